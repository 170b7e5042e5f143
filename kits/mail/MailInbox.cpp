#include <MailInbox.h>

#include <E-mail.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <HostPath.h>
#include <Node.h>
#include <Path.h>
#include <TypeConstants.h>

#include "MailHeaders.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

using namespace BPrivate;

namespace {

// Attributes hold one line each; the mail file keeps the whole field.
const size_t kAttributeLimit = 1000;

status_t
make_folders(const BString& path)
{
	std::string partial;
	std::string whole = path.String();
	for (size_t slash = whole.find('/', 1);; slash = whole.find('/', slash + 1)) {
		partial = whole.substr(0, slash);
		if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
			return errno;
		if (slash == std::string::npos)
			return B_OK;
	}
}

// The file name follows from the key, so a mail filed just before a crash
// is recognised instead of filed again.
BString
name_for(const BString& key)
{
	uint64 hash = 14695981039346656037ULL;
	for (const char* p = key.String(); *p != '\0'; p++) {
		hash ^= (unsigned char)*p;
		hash *= 1099511628211ULL;
	}
	char name[32];
	snprintf(name, sizeof(name), "mail_%016llx", (unsigned long long)hash);
	return name;
}

bool
write_all(int fd, const char* data, size_t size)
{
	while (size > 0) {
		ssize_t done = write(fd, data, size);
		if (done < 0 && errno == EINTR)
			continue;
		if (done <= 0)
			return false;
		data += done;
		size -= done;
	}
	return true;
}

status_t
write_string(BNode& node, const char* name, const std::string& value)
{
	ssize_t written = node.WriteAttr(name, B_STRING_TYPE, 0, value.c_str(), value.size() + 1);
	return written < 0 ? (status_t)written : B_OK;
}

std::string
trimmed(const std::string& text)
{
	size_t first = text.find_first_not_of(" \t\r");
	size_t last = text.find_last_not_of(" \t\r");
	return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace

BString
BMailAccount::Id() const
{
	BString id;
	if (protocol == "maildir")
		id << "maildir:" << path;
	else
		id << protocol << (tls ? "s" : "") << "://" << user << "@" << host << ":" << port << "/"
		   << (protocol == "imap" ? mailbox.String() : "");
	return id;
}

BString
mail_settings_path()
{
	BPath path;
	find_directory(B_USER_SETTINGS_DIRECTORY, &path);
	path.Append("mail_accounts");
	return path.Path();
}

status_t
read_mail_settings(const char* path, BMailSettings* result, BString* error)
{
	// A file with a fault checks no account at all, not the ones before it.
	*result = BMailSettings();
	BMailSettings parsed;
	BMailSettings* settings = &parsed;
	int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
	if (fd < 0) {
		*error = BString(path) << ": " << strerror(errno);
		return errno == ENOENT ? B_ENTRY_NOT_FOUND : B_PERMISSION_DENIED;
	}
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		close(fd);
		*error = BString(path) << " is not a plain file";
		return B_BAD_VALUE;
	}
	if ((st.st_mode & 077) != 0 || st.st_uid != getuid()) {
		close(fd);
		char mode[8];
		snprintf(mode, sizeof(mode), "%04o", (unsigned)(st.st_mode & 07777));
		*error = BString(path) << " may be read by others (mode " << mode
			<< "); it holds passwords, so it is not used until only you can read it "
			   "(chmod 600)";
		return B_PERMISSION_DENIED;
	}
	std::string text;
	char buffer[4096];
	ssize_t got;
	while ((got = read(fd, buffer, sizeof(buffer))) > 0 && text.size() < 1024 * 1024)
		text.append(buffer, got);
	close(fd);

	BMailAccount* account = NULL;
	int lineNumber = 0;
	size_t start = 0;
	while (start < text.size()) {
		size_t end = text.find('\n', start);
		if (end == std::string::npos)
			end = text.size();
		std::string line = trimmed(text.substr(start, end - start));
		start = end + 1;
		lineNumber++;
		if (line.empty() || line[0] == '#')
			continue;
		size_t blank = line.find_first_of(" \t");
		std::string key = line.substr(0, blank);
		std::string value = blank == std::string::npos ? "" : trimmed(line.substr(blank));
		BString where = BString(path) << ", line " << (int32)lineNumber << ": ";
		if (key == "check_every") {
			char* rest;
			long minutes = strtol(value.c_str(), &rest, 10);
			if (value.empty() || *rest != '\0' || minutes < 0 || minutes > 24 * 60) {
				*error = where << "check_every wants minutes from 0 to 1440";
				return B_BAD_VALUE;
			}
			settings->checkMinutes = minutes;
		} else if (key == "account") {
			settings->accounts.push_back(BMailAccount());
			account = &settings->accounts.back();
			account->name = value.c_str();
		} else if (account == NULL) {
			*error = where << "\"" << key.c_str() << "\" comes before any \"account\" line";
			return B_BAD_VALUE;
		} else if (key == "protocol") {
			if (value != "imap" && value != "pop3" && value != "maildir") {
				*error = where << "the protocol is imap, pop3 or maildir";
				return B_BAD_VALUE;
			}
			account->protocol = value.c_str();
		} else if (key == "host")
			account->host = value.c_str();
		else if (key == "port") {
			char* rest;
			long port = strtol(value.c_str(), &rest, 10);
			if (value.empty() || *rest != '\0' || port < 1 || port > 65535) {
				*error = where << "the port is a number from 1 to 65535";
				return B_BAD_VALUE;
			}
			account->port = port;
		} else if (key == "tls") {
			if (value != "yes" && value != "no") {
				*error = where << "tls is yes or no";
				return B_BAD_VALUE;
			}
			account->tls = value == "yes";
		} else if (key == "user")
			account->user = value.c_str();
		else if (key == "password")
			account->password = value.c_str();
		else if (key == "mailbox")
			account->mailbox = value.c_str();
		else if (key == "path")
			account->path = value.c_str();
		else if (key == "ca_file")
			account->caFile = value.c_str();
		else {
			*error = where << "unknown setting \"" << key.c_str() << "\"";
			return B_BAD_VALUE;
		}
	}
	for (BMailAccount& each : settings->accounts) {
		BString which = BString(path) << ", account \"" << each.name << "\": ";
		if (each.protocol == "") {
			*error = which << "no protocol";
			return B_BAD_VALUE;
		}
		if (each.protocol == "maildir" ? each.path == "" : (each.host == "" || each.user == "")) {
			*error = which << (each.protocol == "maildir" ? "no path" : "no host or user");
			return B_BAD_VALUE;
		}
		if (each.port == 0 && each.protocol == "imap")
			each.port = each.tls ? 993 : 143;
		if (each.port == 0 && each.protocol == "pop3")
			each.port = each.tls ? 995 : 110;
	}
	*result = parsed;
	return B_OK;
}

BMailInbox::BMailInbox(Reporter reporter)
	: fStatus(B_OK), fFolder(host_path("/boot/home/mail/in")), fReporter(reporter)
{
	BPath settings;
	find_directory(B_USER_SETTINGS_DIRECTORY, &settings, true);
	fListPath = BString(settings.Path()) << "/mail_daemon_filed";
	if (make_folders(fFolder) != B_OK) {
		fStatus = B_PERMISSION_DENIED;
		return;
	}
	FILE* list = fopen(fListPath.String(), "re");
	if (list == NULL)
		return;
	char* line = NULL;
	size_t capacity = 0;
	ssize_t length;
	while ((length = getline(&line, &capacity, list)) > 0) {
		// A line cut by a crash has no end and names nothing.
		if (line[length - 1] != '\n')
			break;
		fFiled.insert(std::string(line, length - 1));
	}
	free(line);
	fclose(list);
}

bool
BMailInbox::WasFiled(const BString& key) const
{
	return fFiled.count(key.String()) > 0;
}

status_t
BMailInbox::File(const BString& key, const char* data, size_t size, BString* error)
{
	if (fStatus != B_OK) {
		*error = BString("cannot make the folder ") << fFolder;
		return fStatus;
	}
	BString name = name_for(key);
	BString final = BString(fFolder) << "/" << name;
	struct stat st;
	if (lstat(final.String(), &st) == 0) {
		_Remember(key);
		return B_FILE_EXISTS;
	}

	mail_headers headers = parse_mail_headers(data, size);
	BString part = BString(fFolder) << "/." << name << ".part";
	int fd = open(part.String(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
	if (fd < 0) {
		*error = BString("cannot write ") << part << ": " << strerror(errno);
		return B_IO_ERROR;
	}
	bool written = write_all(fd, data, size) && fsync(fd) == 0;
	int savedErrno = errno;
	close(fd);
	if (!written) {
		unlink(part.String());
		*error = BString("cannot write ") << part << ": " << strerror(savedErrno);
		return B_IO_ERROR;
	}

	auto field = [&](const char* what, const std::string& value) {
		if (value.size() <= kAttributeLimit)
			return value;
		if (fReporter)
			fReporter(BString(key) << ": its " << what << " is cut to " << (int32)kAttributeLimit
								   << " bytes for the attribute; the mail file keeps it whole");
		return cut_utf8(value, kAttributeLimit);
	};
	for (const std::string& problem : headers.problems) {
		if (fReporter)
			fReporter(BString(key) << ": " << problem.c_str() << "; filed as it is");
	}
	time_t when = headers.when != -1 ? headers.when : time(NULL);
	BNode node(part.String());
	status_t status = node.InitCheck();
	if (status == B_OK)
		status = write_string(node, B_MAIL_ATTR_FROM, field("sender", headers.from));
	if (status == B_OK)
		status = write_string(node, B_MAIL_ATTR_TO, field("recipient", headers.to));
	if (status == B_OK)
		status = write_string(node, B_MAIL_ATTR_SUBJECT, field("subject", headers.subject));
	if (status == B_OK) {
		ssize_t done = node.WriteAttr(B_MAIL_ATTR_WHEN, B_TIME_TYPE, 0, &when, sizeof(when));
		status = done < 0 ? (status_t)done : B_OK;
	}
	if (status == B_OK) {
		ssize_t done = node.WriteAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, B_MAIL_TYPE,
			strlen(B_MAIL_TYPE) + 1);
		status = done < 0 ? (status_t)done : B_OK;
	}
	// The status last: a query for new mail must not find a file in the
	// making.
	if (status == B_OK)
		status = write_string(node, B_MAIL_ATTR_STATUS, "New");
	node.Unset();
	if (status == B_OK) {
		BEntry entry(part.String());
		status = entry.Rename(final.String(), false);
	}
	if (status != B_OK) {
		unlink(part.String());
		*error = BString("cannot file the mail as ") << final << ": " << be_strerror(status);
		return status;
	}
	return _Remember(key);
}

int32
BMailInbox::CountNew() const
{
	int32 count = 0;
	DIR* dir = opendir(fFolder.String());
	if (dir == NULL)
		return 0;
	while (struct dirent* entry = readdir(dir)) {
		if (entry->d_name[0] == '.')
			continue;
		BNode node((BString(fFolder) << "/" << entry->d_name).String());
		char status[16] = {};
		ssize_t got = node.ReadAttr(B_MAIL_ATTR_STATUS, B_STRING_TYPE, 0, status, sizeof(status) - 1);
		if (got > 0 && strcmp(status, "New") == 0)
			count++;
	}
	closedir(dir);
	return count;
}

status_t
BMailInbox::_Remember(const BString& key)
{
	fFiled.insert(key.String());
	int fd = open(fListPath.String(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
	if (fd < 0)
		return B_OK;  // The file name still tells the mail apart.
	std::string line = std::string(key.String()) + "\n";
	write_all(fd, line.data(), line.size());
	close(fd);
	return B_OK;
}
