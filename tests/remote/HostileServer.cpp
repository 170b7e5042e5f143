#include "HostileServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const int kWaitMilliseconds = 20000;

// Reads until a line is complete, the writer has gone or the wait is over.
bool
read_line(int fd, std::string& pending, std::string& line)
{
	for (;;) {
		size_t end = pending.find('\n');
		if (end != std::string::npos) {
			line = pending.substr(0, end);
			pending.erase(0, end + 1);
			return true;
		}
		struct pollfd waiting = {fd, POLLIN, 0};
		if (poll(&waiting, 1, kWaitMilliseconds) <= 0)
			return false;
		char buffer[4096];
		ssize_t got = read(fd, buffer, sizeof(buffer));
		if (got <= 0)
			return false;
		pending.append(buffer, got);
	}
}

} // namespace

HostileServer::HostileServer(const std::string& mode, const std::string& data)
{
	int ends[2];
	if (pipe2(ends, O_CLOEXEC) != 0)
		return;
	std::string script = std::string(MURMELO_SOURCE_DIR) + "/tests/remote/hostile_ftp.py";
	std::vector<std::string> argv = {"python3", script, mode};
	std::vector<char*> args;
	for (std::string& arg : argv)
		args.push_back(arg.data());
	args.push_back(NULL);
	std::string hex;
	for (unsigned char byte : data) {
		const char* digits = "0123456789abcdef";
		hex += digits[byte >> 4];
		hex += digits[byte & 15];
	}
	std::vector<std::string> extra = {"HOSTILE_DATA=" + hex};
	std::vector<char*> env;
	for (char** e = environ; *e != NULL; e++)
		env.push_back(*e);
	if (!data.empty())
		env.push_back(extra[0].data());
	env.push_back(NULL);

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
	int error = posix_spawnp(&fPid, "python3", &actions, NULL, args.data(), env.data());
	posix_spawn_file_actions_destroy(&actions);
	close(ends[1]);
	fOutput = ends[0];
	if (error != 0) {
		fPid = -1;
		return;
	}
	std::string line;
	if (read_line(fOutput, fPending, line) && line.compare(0, 5, "PORT ") == 0)
		fPort = atoi(line.c_str() + 5);
}

HostileServer::~HostileServer()
{
	if (fPid > 0) {
		kill(fPid, SIGKILL);
		waitpid(fPid, NULL, 0);
	}
	if (fOutput >= 0)
		close(fOutput);
}

std::vector<std::string>
HostileServer::Requests()
{
	std::vector<std::string> requests;
	std::string line;
	while (fOutput >= 0 && read_line(fOutput, fPending, line))
		requests.push_back(line);
	if (fPid > 0) {
		kill(fPid, SIGKILL);
		waitpid(fPid, NULL, 0);
		fPid = -1;
	}
	return requests;
}
