#include <MailInbox.h>

#include <E-mail.h>
#include <Errors.h>

#include "MailSources.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace BPrivate;

namespace {

// false with errno when the file cannot be read whole.
bool
read_whole(const std::string& path, std::string* bytes)
{
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
	if (fd < 0)
		return false;
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (size_t)st.st_size > kMaxMailSize) {
		close(fd);
		errno = EFBIG;
		return false;
	}
	bytes->clear();
	bytes->reserve(st.st_size);
	char buffer[65536];
	ssize_t got;
	while ((got = read(fd, buffer, sizeof(buffer))) > 0)
		bytes->append(buffer, got);
	int saved = errno;
	close(fd);
	errno = saved;
	return got == 0;
}

// A local Maildir, filled by another program: read only, never moved.
status_t
fetch_maildir(const BMailAccount& account, BMailInbox& inbox, int32* filed, BString* error)
{
	std::string root = account.path.String();
	bool any = false;
	status_t result = B_OK;
	// new/ before cur/: a mail a reader moves meanwhile is still met.
	for (const char* sub : {"new", "cur"}) {
		std::string folder = root + "/" + sub;
		DIR* dir = opendir(folder.c_str());
		if (dir == NULL)
			continue;
		any = true;
		std::vector<std::string> names;
		while (struct dirent* entry = readdir(dir)) {
			if (entry->d_name[0] != '.')
				names.push_back(entry->d_name);
		}
		closedir(dir);
		std::sort(names.begin(), names.end());
		for (const std::string& name : names) {
			// The unique part stays when a reader adds flags after the colon.
			std::string unique = name.substr(0, name.find(':'));
			BString key = account.Id() << " " << unique.c_str();
			if (inbox.WasFiled(key))
				continue;
			std::string bytes;
			if (!read_whole(folder + "/" + name, &bytes)) {
				if (errno == ENOENT)
					continue;  // moved to cur/ or deleted meanwhile
				*error = BString("cannot read ") << (folder + "/" + name).c_str() << ": "
												  << strerror(errno);
				result = B_MAIL_ACCESS_ERROR;
				continue;
			}
			status_t status = inbox.File(key, bytes.data(), bytes.size(), error);
			if (status == B_FILE_EXISTS)
				continue;
			if (status != B_OK)
				return status;
			(*filed)++;
		}
	}
	if (!any) {
		*error = BString(account.path) << " is not a Maildir (no new/ or cur/ folder)";
		return B_MAIL_ACCESS_ERROR;
	}
	return result;
}

}  // namespace

status_t
fetch_new_mail(const BMailAccount& account, BMailInbox& inbox, int32* filed, BString* error)
{
	*filed = 0;
	if (inbox.InitCheck() != B_OK) {
		*error = BString("cannot make the folder ") << inbox.Folder();
		return inbox.InitCheck();
	}
	if (account.protocol == "maildir")
		return fetch_maildir(account, inbox, filed, error);
	if (account.protocol == "imap")
		return fetch_imap(account, inbox, filed, error);
	if (account.protocol == "pop3")
		return fetch_pop3(account, inbox, filed, error);
	*error = BString("unknown protocol ") << account.protocol;
	return B_BAD_VALUE;
}
