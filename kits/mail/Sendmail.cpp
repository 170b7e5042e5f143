#include "Sendmail.h"

#include <E-mail.h>

#include <image.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

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


// Writes all of the message; false with errno set when the reader goes away
// (EPIPE: the kernel kit keeps SIGPIPE from ending the program).
bool
write_all(int fd, const std::string& message)
{
	size_t written = 0;
	while (written < message.size()) {
		ssize_t result = write(fd, message.data() + written, message.size() - written);
		if (result < 0 && errno == EINTR)
			continue;
		if (result < 0)
			return false;
		written += result;
	}
	return true;
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
	// "-t": the recipients come from To, Cc and Bcc. "-oi": a line holding a
	// lone dot is text, not the end of the mail.
	// The path is the program itself, even without a folder: never one of PATH.
	std::string program = path.find('/') == std::string::npos ? "./" + path : path;
	const char* arguments[] = {program.c_str(), "-t", "-oi", NULL};
	image_pipes pipes;
	thread_id child = load_image_etc(3, arguments, NULL, B_IMAGE_PIPE_STDIN, &pipes);
	if (child >= 0) {
		status_t status = resume_thread(child);
		if (status != B_OK) {
			close(pipes.stdin_fd);
			child = status;
		}
	}
	if (child < 0) {
		problem = "could not start " + path + " (" + be_strerror(child) + ")";
		return B_MAIL_NO_DAEMON;
	}

	bool written = write_all(pipes.stdin_fd, message);
	int writeError = errno;
	close(pipes.stdin_fd);

	int32 code = 0;
	int32 signal = 0;
	status_t waited = wait_for_image(child, &code, &signal);
	if (waited != B_OK) {
		problem = "lost track of " + path + " (" + be_strerror(waited) + ")";
		return B_ERROR;
	}
	if (signal != 0) {
		problem = path + " was killed by signal " + std::to_string(signal);
		return B_ERROR;
	}
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
