#include "LaunchProcess.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

extern char** environ;

namespace BPrivate {

team_id
launch_program_process(const std::vector<std::string>& argv, int notifyFd)
{
	if (argv.empty())
		return B_BAD_VALUE;
	std::vector<char*> arguments;
	for (const std::string& argument : argv)
		arguments.push_back(const_cast<char*>(argument.c_str()));
	arguments.push_back(NULL);

	std::vector<std::string> variables;
	for (char** variable = environ; *variable != NULL; variable++) {
		if (strncmp(*variable, "BE_LAUNCH_FD=", 13) != 0)
			variables.push_back(*variable);
	}
	variables.push_back("BE_LAUNCH_FD=" + std::to_string(notifyFd));
	std::vector<char*> environment;
	for (std::string& variable : variables)
		environment.push_back(variable.data());
	environment.push_back(NULL);

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	// Dup'ing a descriptor onto itself clears its close-on-exec flag in the
	// child only.
	posix_spawn_file_actions_adddup2(&actions, notifyFd, notifyFd);
	posix_spawnattr_t attributes;
	posix_spawnattr_init(&attributes);
	sigset_t defaults;
	sigemptyset(&defaults);
	sigaddset(&defaults, SIGPIPE);
	posix_spawnattr_setsigdefault(&attributes, &defaults);
	posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
	pid_t child = -1;
	int error = posix_spawn(&child, arguments[0], &actions, &attributes, arguments.data(),
		environment.data());
	posix_spawn_file_actions_destroy(&actions);
	posix_spawnattr_destroy(&attributes);
	if (error != 0)
		return B_LAUNCH_FAILED;
	// A launched application lives on its own; its end is collected here so
	// that it leaves no zombie behind.
	std::thread([child] {
		int status;
		while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
		}
	}).detach();
	return (team_id)child;
}

} // namespace BPrivate
