#include <XvfbDisplay.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace BTest {

namespace {

const int kDisplayFd = 3;
const int kStartMilliseconds = 30000;

} // namespace

XvfbDisplay::XvfbDisplay(const char* screen, const std::vector<std::string>& extraArguments,
	const std::string& logPath)
{
	int ends[2];
	if (pipe2(ends, O_CLOEXEC) != 0)
		return;
	std::vector<std::string> arguments = {"Xvfb", "-displayfd", std::to_string(kDisplayFd),
		"-screen", "0", screen, "-nolisten", "tcp"};
	arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
	std::vector<char*> argv;
	for (std::string& argument : arguments)
		argv.push_back(argument.data());
	argv.push_back(NULL);

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	// dup2 clears close-on-exec: the child keeps this end, and only it.
	posix_spawn_file_actions_adddup2(&actions, ends[1], kDisplayFd);
	if (!logPath.empty()) {
		posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(),
			O_WRONLY | O_CREAT | O_TRUNC, 0644);
		posix_spawn_file_actions_adddup2(&actions, 1, 2);
	}
	int error = posix_spawnp(&fPid, "Xvfb", &actions, NULL, argv.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	close(ends[1]);
	if (error != 0) {
		fPid = -1;
		close(ends[0]);
		return;
	}

	// The number comes with a line end once the server is ready; the pipe
	// closes without one if it fails.
	std::string number;
	for (;;) {
		struct pollfd waiting = {ends[0], POLLIN, 0};
		if (poll(&waiting, 1, kStartMilliseconds) <= 0)
			break;
		char c;
		if (read(ends[0], &c, 1) != 1)
			break;
		if (c == '\n') {
			if (!number.empty())
				fDisplay = ":" + number;
			break;
		}
		number += c;
	}
	close(ends[0]);
}

XvfbDisplay::~XvfbDisplay()
{
	if (fPid > 0 && !fDetached) {
		kill(fPid, SIGTERM);
		waitpid(fPid, NULL, 0);
	}
}

} // namespace BTest
