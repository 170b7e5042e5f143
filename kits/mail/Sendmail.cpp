#include "Sendmail.h"

#include <E-mail.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace BPrivate {

namespace {

const char* const kOverrideVariable = "MURMELO_SENDMAIL";
const char* const kStandardSendmail = "/usr/sbin/sendmail";


bool
is_program(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
		&& access(path.c_str(), X_OK) == 0;
}


// What sendmail's exit status (from sysexits.h) means, for the user and for
// the caller.
status_t
status_for_exit(int code, std::string& meaning)
{
	switch (code) {
		case 65:
			meaning = "the mail was refused as malformed";
			return B_MAIL_INVALID_MAIL;
		case 67:
			meaning = "a recipient is unknown";
			return B_MAIL_UNKNOWN_USER;
		case 68:
			meaning = "a host is unknown";
			return B_MAIL_UNKNOWN_HOST;
		case 69:
			meaning = "the mail service is unavailable";
			return B_ERROR;
		case 71:
			meaning = "system error";
			return B_ERROR;
		case 74:
			meaning = "input/output error";
			return B_IO_ERROR;
		case 75:
			meaning = "temporary failure, try again later";
			return B_ERROR;
		case 76:
			meaning = "the mail server broke the protocol";
			return B_ERROR;
		case 77:
			meaning = "permission denied";
			return B_MAIL_ACCESS_ERROR;
		case 78:
			meaning = "sendmail is not configured";
			return B_MAIL_NO_DAEMON;
		default:
			meaning = "it gave no reason";
			return B_ERROR;
	}
}


// Writes all of the message; false with errno set when the reader goes away.
// SIGPIPE is held back on this thread meanwhile, so that a sendmail that
// stops reading yields EPIPE instead of ending the whole program.
bool
write_all(int fd, const std::string& message)
{
	sigset_t pipeSignal;
	sigemptyset(&pipeSignal);
	sigaddset(&pipeSignal, SIGPIPE);
	sigset_t previousMask;
	pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
	sigset_t pending;
	sigpending(&pending);
	bool wasPending = sigismember(&pending, SIGPIPE);

	bool ok = true;
	size_t written = 0;
	while (written < message.size()) {
		ssize_t result = write(fd, message.data() + written, message.size() - written);
		if (result < 0 && errno == EINTR)
			continue;
		if (result < 0) {
			ok = false;
			break;
		}
		written += result;
	}

	int error = errno;
	if (!ok && error == EPIPE && !wasPending) {
		struct timespec noWait = {0, 0};
		sigtimedwait(&pipeSignal, NULL, &noWait);
	}
	pthread_sigmask(SIG_SETMASK, &previousMask, NULL);
	errno = error;
	return ok;
}

} // namespace


status_t
mail_find_sendmail(std::string& path, std::string& problem)
{
	// The path is taken as it is: a test points it at a program of its own or
	// at one that does not exist.
	const char* override = getenv(kOverrideVariable);
	if (override != NULL && override[0] != '\0') {
		if (is_program(override)) {
			path = override;
			return B_OK;
		}
		problem = std::string(kOverrideVariable) + " names \"" + override
			+ "\", which is not a program";
		return B_MAIL_NO_DAEMON;
	}

	// Relative folders of PATH are left out: a mail must not start whatever
	// "sendmail" lies in the current folder.
	const char* searchPath = getenv("PATH");
	std::string folders = searchPath != NULL ? searchPath : "";
	size_t start = 0;
	while (start <= folders.size()) {
		size_t end = folders.find(':', start);
		if (end == std::string::npos)
			end = folders.size();
		std::string folder = folders.substr(start, end - start);
		if (!folder.empty() && folder[0] == '/') {
			std::string candidate = folder + (folder.back() == '/' ? "" : "/") + "sendmail";
			if (is_program(candidate)) {
				path = candidate;
				return B_OK;
			}
		}
		start = end + 1;
	}
	if (is_program(kStandardSendmail)) {
		path = kStandardSendmail;
		return B_OK;
	}
	problem = std::string("no sendmail program on PATH or at ") + kStandardSendmail
		+ " (install an MTA such as msmtp-mta)";
	return B_MAIL_NO_DAEMON;
}


status_t
mail_run_sendmail(const std::string& path, const std::string& message, std::string& problem)
{
	int ends[2];
	if (pipe2(ends, O_CLOEXEC) != 0) {
		problem = std::string("no pipe to sendmail (") + strerror(errno) + ")";
		return B_ERROR;
	}

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
	posix_spawnattr_t attributes;
	posix_spawnattr_init(&attributes);
	sigset_t signals;
	sigemptyset(&signals);
	posix_spawnattr_setsigmask(&attributes, &signals);
	sigaddset(&signals, SIGPIPE);
	posix_spawnattr_setsigdefault(&attributes, &signals);
	posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

	// "-t": the recipients come from To, Cc and Bcc. "-oi": a line holding a
	// lone dot is text, not the end of the mail.
	char* arguments[] = {const_cast<char*>(path.c_str()), const_cast<char*>("-t"),
		const_cast<char*>("-oi"), NULL};
	pid_t child = -1;
	int spawnError = posix_spawn(&child, path.c_str(), &actions, &attributes, arguments,
		environ);
	posix_spawn_file_actions_destroy(&actions);
	posix_spawnattr_destroy(&attributes);
	close(ends[0]);
	if (spawnError != 0) {
		close(ends[1]);
		problem = "could not start " + path + " (" + strerror(spawnError) + ")";
		return B_MAIL_NO_DAEMON;
	}

	bool written = write_all(ends[1], message);
	int writeError = errno;
	close(ends[1]);

	int status = 0;
	pid_t waited;
	do
		waited = waitpid(child, &status, 0);
	while (waited < 0 && errno == EINTR);
	if (waited != child) {
		problem = "lost track of " + path + " (" + strerror(errno) + ")";
		return B_ERROR;
	}
	if (WIFSIGNALED(status)) {
		problem = path + " was killed by signal " + std::to_string(WTERMSIG(status));
		return B_ERROR;
	}
	int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	if (code != 0) {
		std::string meaning;
		status_t result = status_for_exit(code, meaning);
		problem = path + " failed with exit status " + std::to_string(code) + " (" + meaning
			+ ")";
		return result;
	}
	if (!written) {
		problem = path + " stopped reading the mail before its end (" + strerror(writeError)
			+ ")";
		return B_IO_ERROR;
	}
	return B_OK;
}

} // namespace BPrivate
