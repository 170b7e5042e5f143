#ifndef _DAEMON_PROCESS_H
#define _DAEMON_PROCESS_H

// Runs the installed daemon as a process of its own, from an argument
// vector, with its standard output caught.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

struct DaemonOptions {
	// "NAME=value" entries that replace or add to this process's environment.
	std::vector<std::string> environment;
	std::vector<std::string> unset;
	// A file size limit for the child (RLIM_INFINITY: none).
	rlim_t fileSizeLimit = RLIM_INFINITY;
};

class DaemonProcess {
public:
	static std::string Path() { return std::string(MURMELO_TREE) + "/daemon/Murmelod"; }

	DaemonProcess(const std::vector<std::string>& arguments,
		const DaemonOptions& options = DaemonOptions())
	{
		std::vector<std::string> argStrings{Path()};
		argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
		std::vector<std::string> envStrings;
		for (char** entry = environ; *entry != NULL; entry++) {
			std::string name(*entry, strcspn(*entry, "="));
			bool replaced = false;
			for (const std::string& gone : options.unset)
				replaced |= gone == name;
			for (const std::string& set : options.environment)
				replaced |= set.compare(0, name.size() + 1, name + "=") == 0;
			if (!replaced)
				envStrings.push_back(*entry);
		}
		envStrings.insert(envStrings.end(), options.environment.begin(),
			options.environment.end());

		std::vector<char*> argv;
		for (std::string& s : argStrings)
			argv.push_back(s.data());
		argv.push_back(NULL);
		std::vector<char*> envp;
		for (std::string& s : envStrings)
			envp.push_back(s.data());
		envp.push_back(NULL);

		int ends[2];
		int errorEnds[2];
		if (pipe2(ends, O_CLOEXEC) != 0)
			return;
		if (pipe2(errorEnds, O_CLOEXEC) != 0) {
			close(ends[0]);
			close(ends[1]);
			return;
		}
		struct rlimit limit = {options.fileSizeLimit, options.fileSizeLimit};
		bool limited = options.fileSizeLimit != RLIM_INFINITY;
		fPid = fork();
		if (fPid == 0) {
			dup2(ends[1], STDOUT_FILENO);
			dup2(errorEnds[1], STDERR_FILENO);
			if (limited) {
				signal(SIGXFSZ, SIG_IGN);
				setrlimit(RLIMIT_FSIZE, &limit);
			}
			execve(argv[0], argv.data(), envp.data());
			_exit(127);
		}
		close(ends[1]);
		close(errorEnds[1]);
		fOutput = ends[0];
		fErrorOutput = errorEnds[0];
	}

	~DaemonProcess()
	{
		if (fPid > 0 && !fEnded) {
			kill(fPid, SIGKILL);
			Wait();
		}
		if (fOutput >= 0)
			close(fOutput);
		if (fErrorOutput >= 0)
			close(fErrorOutput);
	}

	// True while the process hasn't ended.
	bool Running()
	{
		if (fEnded)
			return false;
		int status;
		pid_t done = waitpid(fPid, &status, WNOHANG);
		if (done == fPid)
			_Ended(status);
		return !fEnded;
	}

	void Signal(int number) { kill(fPid, number); }

	// Waits for the end; returns the exit status, or -signal.
	int Wait()
	{
		ReadOutput();
		if (!fEnded) {
			int status;
			if (waitpid(fPid, &status, 0) == fPid)
				_Ended(status);
		}
		return fStatus;
	}

	// Everything the process wrote to its standard error (read after its
	// standard output: the daemon writes a line or two there at most).
	const std::string& ReadErrors()
	{
		ReadOutput();
		if (fErrorOutput >= 0) {
			char buffer[4096];
			ssize_t got;
			while ((got = read(fErrorOutput, buffer, sizeof(buffer))) > 0)
				fErrors.append(buffer, got);
			close(fErrorOutput);
			fErrorOutput = -1;
		}
		return fErrors;
	}

	// Everything the process printed until it closed its standard output.
	const std::string& ReadOutput()
	{
		if (fOutput >= 0) {
			char buffer[4096];
			ssize_t got;
			while ((got = read(fOutput, buffer, sizeof(buffer))) > 0)
				fText.append(buffer, got);
			close(fOutput);
			fOutput = -1;
		}
		return fText;
	}

private:
	void _Ended(int status)
	{
		fEnded = true;
		fStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
	}

	pid_t fPid = -1;
	int fOutput = -1;
	int fErrorOutput = -1;
	bool fEnded = false;
	int fStatus = -1000;
	std::string fText;
	std::string fErrors;
};

struct DaemonRun {
	int status;
	std::string output;
	std::string errors;
};

inline DaemonRun
run_daemon(const std::vector<std::string>& arguments,
	const DaemonOptions& options = DaemonOptions())
{
	DaemonProcess process(arguments, options);
	int status = process.Wait();
	return {status, process.ReadOutput(), process.ReadErrors()};
}

#endif
