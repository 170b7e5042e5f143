#include "MailFixture.h"

#include <Node.h>
#include <TypeConstants.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

extern char** environ;

namespace {

std::string
string_attribute(BNode& node, const char* name, bool* typesRight)
{
	attr_info info;
	if (node.GetAttrInfo(name, &info) != B_OK) {
		*typesRight = false;
		return "<none>";
	}
	std::string value(info.size, '\0');
	node.ReadAttr(name, info.type, 0, value.data(), value.size());
	// Stored as BeOS stores strings: with the terminating NUL.
	if (value.empty() || value.back() != '\0'
		|| info.type != (strcmp(name, "BEOS:TYPE") == 0 ? B_MIME_STRING_TYPE : B_STRING_TYPE))
		*typesRight = false;
	else
		value.pop_back();
	return value;
}

}  // namespace

MailFixture::MailFixture()
{
	Runtime();
}

const std::string&
MailFixture::Runtime()
{
	static TempDir runtime("murmelo-mail-runtime");
	static bool set = (setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1), true);
	(void)set;
	return runtime.Path();
}

MailFixture::~MailFixture() {}

std::string
MailFixture::SettingsPath() const
{
	return fVolume.Root() + "/home/config/settings/mail_accounts";
}

void
MailFixture::WriteSettings(const std::string& text, mode_t mode)
{
	std::string path = fVolume.Write("home/config/settings/mail_accounts", "check_every 0\n" + text);
	chmod(path.c_str(), mode);
}

std::string
MailFixture::MaildirAccount(const std::string& path) const
{
	return "account local\n\tprotocol maildir\n\tpath " + path + "\n";
}

std::vector<std::string>
MailFixture::Environment() const
{
	return {"BE_BOOT_VOLUME=" + fVolume.Root(), "XDG_RUNTIME_DIR=" + Runtime()};
}

ProcessResult
MailFixture::RunOnce()
{
	return run_process({DaemonPath(), "--once"}, "", Environment());
}

std::vector<FiledMail>
MailFixture::Filed() const
{
	std::vector<FiledMail> mails;
	std::string folder = fVolume.Root() + "/home/mail/in";
	DIR* dir = opendir(folder.c_str());
	if (dir == NULL)
		return mails;
	while (struct dirent* entry = readdir(dir)) {
		if (entry->d_name[0] == '.')
			continue;
		FiledMail mail;
		mail.name = entry->d_name;
		std::string path = folder + "/" + mail.name;
		mail.bytes = TempBootVolume::Read(path);
		BNode node(path.c_str());
		mail.typesRight = true;
		mail.from = string_attribute(node, "MAIL:from", &mail.typesRight);
		mail.to = string_attribute(node, "MAIL:to", &mail.typesRight);
		mail.subject = string_attribute(node, "MAIL:subject", &mail.typesRight);
		mail.status = string_attribute(node, "MAIL:status", &mail.typesRight);
		mail.type = string_attribute(node, "BEOS:TYPE", &mail.typesRight);
		attr_info info;
		if (node.GetAttrInfo("MAIL:when", &info) != B_OK || info.type != B_TIME_TYPE
			|| info.size != sizeof(time_t))
			mail.typesRight = false;
		else
			node.ReadAttr("MAIL:when", B_TIME_TYPE, 0, &mail.when, sizeof(mail.when));
		mails.push_back(mail);
	}
	closedir(dir);
	std::sort(mails.begin(), mails.end(),
		[](const FiledMail& a, const FiledMail& b) { return a.subject < b.subject; });
	return mails;
}

std::vector<std::string>
MailFixture::Leftovers() const
{
	std::vector<std::string> names;
	DIR* dir = opendir((fVolume.Root() + "/home/mail/in").c_str());
	if (dir == NULL)
		return names;
	while (struct dirent* entry = readdir(dir)) {
		if (entry->d_name[0] == '.' && strcmp(entry->d_name, ".") != 0
			&& strcmp(entry->d_name, "..") != 0)
			names.push_back(entry->d_name);
	}
	closedir(dir);
	return names;
}

LocalMaildir::LocalMaildir()
{
	for (const char* sub : {"new", "cur", "tmp"})
		mkdir((fDir.Path() + "/" + sub).c_str(), 0700);
}

std::string
LocalMaildir::Put(const std::string& sub, const std::string& name, const std::string& bytes)
{
	std::string path = fDir.Path() + "/" + sub + "/" + name;
	std::ofstream(path, std::ios::binary) << bytes;
	return path;
}

std::vector<std::string>
LocalMaildir::Names(const std::string& sub) const
{
	std::vector<std::string> names;
	DIR* dir = opendir((fDir.Path() + "/" + sub).c_str());
	while (dir != NULL && (errno = 0, true)) {
		struct dirent* entry = readdir(dir);
		if (entry == NULL)
			break;
		if (entry->d_name[0] != '.')
			names.push_back(entry->d_name);
	}
	if (dir != NULL)
		closedir(dir);
	std::sort(names.begin(), names.end());
	return names;
}

RunningDaemon::RunningDaemon(const std::vector<std::string>& environment,
	const std::vector<std::string>& command)
{
	int ends[2];
	if (pipe2(ends, O_CLOEXEC) != 0)
		return;
	std::vector<std::string> envStrings;
	for (char** entry = environ; *entry != NULL; entry++) {
		std::string name(*entry, strcspn(*entry, "="));
		bool replaced = false;
		for (const std::string& set : environment)
			replaced |= set.compare(0, name.size() + 1, name + "=") == 0;
		if (!replaced)
			envStrings.push_back(*entry);
	}
	envStrings.insert(envStrings.end(), environment.begin(), environment.end());
	std::vector<char*> envp;
	for (std::string& s : envStrings)
		envp.push_back(s.data());
	envp.push_back(NULL);
	std::vector<std::string> arguments = command;
	if (arguments.empty())
		arguments.push_back(MailFixture::DaemonPath());
	std::string path = arguments[0];
	std::vector<char*> argv;
	for (std::string& argument : arguments)
		argv.push_back(argument.data());
	argv.push_back(NULL);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
	if (posix_spawn(&fPid, path.c_str(), &actions, NULL, argv.data(), envp.data()) != 0)
		fPid = -1;
	posix_spawn_file_actions_destroy(&actions);
	close(ends[1]);
	fOutput = ends[0];
}

RunningDaemon::~RunningDaemon()
{
	if (fPid > 0) {
		kill(fPid, SIGTERM);
		int status;
		waitpid(fPid, &status, 0);
	}
	if (fOutput >= 0)
		close(fOutput);
}

bool
RunningDaemon::WaitForLine(const std::string& prefix, std::string* line)
{
	for (;;) {
		size_t end;
		while ((end = fBuffer.find('\n')) != std::string::npos) {
			std::string one = fBuffer.substr(0, end);
			fBuffer.erase(0, end + 1);
			if (one.compare(0, prefix.size(), prefix) == 0) {
				if (line != NULL)
					*line = one;
				return true;
			}
		}
		// A bound for a daemon that hangs, not a pace.
		struct pollfd pfd = {fOutput, POLLIN, 0};
		if (poll(&pfd, 1, 60000) <= 0)
			return false;
		char buffer[4096];
		ssize_t got = read(fOutput, buffer, sizeof(buffer));
		if (got <= 0)
			return false;
		fBuffer.append(buffer, got);
	}
}
