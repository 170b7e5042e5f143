// The whole cost of one message: Samba starts Murmelod once per message, so
// what counts is process start, intake and exit, read beside /bin/true.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

void
run(std::vector<std::string> arguments, benchmark::State& state)
{
	std::vector<char*> argv;
	for (std::string& argument : arguments)
		argv.push_back(argument.data());
	argv.push_back(NULL);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
	for (auto _ : state) {
		pid_t pid;
		if (posix_spawn(&pid, argv[0], &actions, NULL, argv.data(), environ) != 0) {
			state.SkipWithError("can't start the program");
			break;
		}
		int status;
		waitpid(pid, &status, 0);
		if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
			state.SkipWithError("the program failed");
			break;
		}
	}
	posix_spawn_file_actions_destroy(&actions);
}

void
BM_BinTrue(benchmark::State& state)
{
	run({"/bin/true"}, state);
}
BENCHMARK(BM_BinTrue)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The intake of one message of the given text, in a private boot volume.
void
intake(const std::string& text, benchmark::State& state)
{
	char pattern[] = "/tmp/murmelo-bench-XXXXXX";
	std::string root = mkdtemp(pattern);
	mkdir((root + "/home").c_str(), 0755);
	setenv("BE_BOOT_VOLUME", root.c_str(), 1);
	std::string message = root + "/message";
	FILE* file = fopen(message.c_str(), "w");
	fwrite(text.data(), 1, text.size(), file);
	fclose(file);

	run({MURMELO_TREE "/daemon/Murmelod", "sender", "RECIPIENT", message}, state);

	unlink(message.c_str());
	unlink((root + "/home/murmelo.dat").c_str());
	unlink((root + "/home/murmelo.dat.names").c_str());
	rmdir((root + "/home").c_str());
	rmdir(root.c_str());
	unsetenv("BE_BOOT_VOLUME");
}

void
BM_MurmelodIntake(benchmark::State& state)
{
	intake("A message of an ordinary length, as a colleague would send it.\n", state);
}
BENCHMARK(BM_MurmelodIntake)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Longer than a record holds: the whole text goes to the names file too.
void
BM_MurmelodIntakeLong(benchmark::State& state)
{
	std::string text;
	while ((int64_t)text.size() < state.range(0))
		text += "words of a long message, ";
	text.resize(state.range(0));
	intake(text, state);
}
BENCHMARK(BM_MurmelodIntakeLong)->Arg(1500)->Arg(64 << 10)->Unit(benchmark::kMicrosecond)
	->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
