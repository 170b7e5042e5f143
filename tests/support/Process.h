#ifndef _TEST_PROCESS_H
#define _TEST_PROCESS_H

#include <stddef.h>
#include <sys/types.h>

#include <string>
#include <vector>

// Runs a program with an argument vector (never through a shell), feeds it
// input on its standard input and collects its standard output and error.
struct ProcessResult {
	int status = -1;  // exit status, or 128 + signal
	std::string output;  // the first 16 MiB of it
	size_t outputBytes = 0;
	long peakKilobytes = 0;  // the program's peak resident memory
};

ProcessResult run_process(const std::vector<std::string>& argv, const std::string& input = "",
	const std::vector<std::string>& extraEnvironment = {});

// A private temporary folder, removed with its contents at the end.
class TempDir {
public:
	TempDir(const char* prefix = "murmelo-test");
	~TempDir();
	const std::string& Path() const { return fPath; }

private:
	std::string fPath;
};

std::string read_file(const std::string& path);

// Waits until the process pid has a handler for signal (a program sent a
// signal before its handler is in place just dies of it); false if it ended
// or the time ran out first.
bool wait_for_signal_handler(pid_t pid, int signal, int timeoutMilliseconds = 20000);

// Sets an environment variable (unsets it for NULL) for as long as it lives,
// then restores it.
class ScopedVariable {
public:
	ScopedVariable(const char* name, const char* value);
	~ScopedVariable();

private:
	std::string fName;
	std::string fOld;
	bool fHad = false;
};

#endif
