#include "Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

const size_t kKeptOutput = 16 * 1024 * 1024;

} // namespace

ProcessResult
run_process(const std::vector<std::string>& argv, const std::string& input,
	const std::vector<std::string>& extraEnvironment)
{
	ProcessResult result;
	int in[2], out[2];
	if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
		return result;

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, in[0], 0);
	posix_spawn_file_actions_adddup2(&actions, out[1], 1);
	posix_spawn_file_actions_adddup2(&actions, out[1], 2);

	std::vector<char*> args;
	for (const std::string& arg : argv)
		args.push_back(const_cast<char*>(arg.c_str()));
	args.push_back(NULL);
	std::vector<char*> env;
	// An extra variable replaces the one of the same name.
	for (char** e = environ; *e != NULL; e++) {
		std::string entry = *e;
		std::string name = entry.substr(0, entry.find('='));
		bool replaced = false;
		for (const std::string& extra : extraEnvironment)
			replaced = replaced || extra.compare(0, name.size() + 1, name + "=") == 0;
		if (!replaced)
			env.push_back(*e);
	}
	for (const std::string& e : extraEnvironment)
		env.push_back(const_cast<char*>(e.c_str()));
	env.push_back(NULL);

	pid_t pid;
	int error = posix_spawnp(&pid, args[0], &actions, NULL, args.data(), env.data());
	posix_spawn_file_actions_destroy(&actions);
	close(in[0]);
	close(out[1]);
	if (error != 0) {
		close(in[1]);
		close(out[0]);
		result.output = std::string("spawn failed: ") + strerror(error);
		return result;
	}

	// Feed the input while draining the output, so neither side can block.
	signal(SIGPIPE, SIG_IGN);
	size_t written = 0;
	bool inputOpen = true;
	if (input.empty()) {
		close(in[1]);
		inputOpen = false;
	}
	while (true) {
		struct pollfd fds[2] = {{out[0], POLLIN, 0}, {inputOpen ? in[1] : -1, POLLOUT, 0}};
		if (poll(fds, 2, -1) < 0)
			break;
		if (fds[1].revents != 0 && inputOpen) {
			ssize_t n = write(in[1], input.data() + written, input.size() - written);
			if (n > 0)
				written += n;
			if (n < 0 || written == input.size()) {
				close(in[1]);
				inputOpen = false;
			}
		}
		if (fds[0].revents != 0) {
			char buffer[4096];
			ssize_t n = read(out[0], buffer, sizeof(buffer));
			if (n <= 0)
				break;
			// A runaway program's output is counted, not all kept.
			result.outputBytes += n;
			if (result.output.size() < kKeptOutput)
				result.output.append(buffer, n);
		}
	}
	if (inputOpen)
		close(in[1]);
	close(out[0]);
	int status;
	struct rusage usage = {};
	wait4(pid, &status, 0, &usage);
	result.peakKilobytes = usage.ru_maxrss;
	result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	return result;
}

TempDir::TempDir(const char* prefix)
{
	std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
	std::vector<char> buffer(pattern.begin(), pattern.end());
	buffer.push_back('\0');
	if (mkdtemp(buffer.data()) != NULL)
		fPath = buffer.data();
}

TempDir::~TempDir()
{
	std::error_code error;
	if (!fPath.empty())
		std::filesystem::remove_all(fPath, error);
}

std::string
read_file(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	std::stringstream content;
	content << file.rdbuf();
	return content.str();
}

ScopedVariable::ScopedVariable(const char* name, const char* value)
	:
	fName(name)
{
	const char* old = getenv(name);
	fHad = old != NULL;
	if (fHad)
		fOld = old;
	if (value != NULL)
		setenv(name, value, 1);
	else
		unsetenv(name);
}

ScopedVariable::~ScopedVariable()
{
	if (fHad)
		setenv(fName.c_str(), fOld.c_str(), 1);
	else
		unsetenv(fName.c_str());
}

bool
wait_for_signal_handler(pid_t pid, int signal, int timeoutMilliseconds)
{
	// The mask of caught signals in /proc: set once the program has
	// installed its handler, so a signal sent then is handled, not fatal.
	std::string path = "/proc/" + std::to_string(pid) + "/status";
	for (int waited = 0; waited <= timeoutMilliseconds; waited += 5) {
		std::string status = read_file(path);
		// Gone, or ended and not yet waited for.
		if (status.empty() || status.find("State:\tZ") != std::string::npos)
			return false;
		size_t at = status.find("SigCgt:");
		if (at != std::string::npos) {
			unsigned long long caught = strtoull(status.c_str() + at + 7, NULL, 16);
			if (caught & (1ull << (signal - 1)))
				return true;
		}
		usleep(5000);
	}
	return false;
}
