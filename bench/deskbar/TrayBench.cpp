// From starting Launcher to its icon registered on a real watcher (a
// private session bus), and the Deskbar's memory with that one icon.
//   build/bench/deskbar/bench_tray

#include "SessionBus.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const std::string kTree = MURMELO_TREE;
std::string sFolder;
pid_t sBus = -1;
pid_t sWatcher = -1;

std::mutex sLock;
std::condition_variable sChanged;
int sRegistered = 0;

pid_t
start(const std::vector<std::string>& arguments, int outputFd = -1)
{
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back((char*)argument.c_str());
	argv.push_back(NULL);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	if (outputFd >= 0)
		posix_spawn_file_actions_adddup2(&actions, outputFd, 3);
	else
		posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
	pid_t pid = -1;
	if (posix_spawnp(&pid, argv[0], &actions, NULL, argv.data(), environ) != 0)
		pid = -1;
	posix_spawn_file_actions_destroy(&actions);
	return pid;
}

void
run(const std::vector<std::string>& arguments)
{
	pid_t pid = start(arguments);
	if (pid > 0)
		waitpid(pid, NULL, 0);
}

bool
set_up()
{
	char pattern[] = "/tmp/murmelo-bench-tray-XXXXXX";
	if (mkdtemp(pattern) == NULL)
		return false;
	sFolder = pattern;
	mkdir((sFolder + "/run").c_str(), 0700);
	mkdir((sFolder + "/boot").c_str(), 0700);
	mkdir((sFolder + "/boot/home").c_str(), 0700);
	std::ofstream(sFolder + "/bus.conf")
		<< "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
		   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
		   "<busconfig><type>session</type><listen>unix:path="
		<< sFolder << "/bus</listen><auth>EXTERNAL</auth>"
		<< "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
		   "</policy></busconfig>\n";
	int ready[2];
	if (pipe(ready) != 0)
		return false;
	sBus = start({"dbus-daemon", "--nofork", "--nopidfile",
					 "--config-file=" + sFolder + "/bus.conf", "--print-address=3"},
		ready[1]);
	close(ready[1]);
	char buffer[256];
	pollfd entry = {ready[0], POLLIN, 0};
	bool started = poll(&entry, 1, 10000) == 1 && read(ready[0], buffer, sizeof(buffer)) > 0;
	close(ready[0]);
	if (!started)
		return false;
	setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + sFolder + "/bus").c_str(), 1);
	setenv("XDG_RUNTIME_DIR", (sFolder + "/run").c_str(), 1);
	setenv("BE_BOOT_VOLUME", (sFolder + "/boot").c_str(), 1);
	setenv("XDG_CONFIG_HOME", (sFolder + "/config").c_str(), 1);
	setenv("BE_DISPLAY", "headless", 1);

	BPrivate::SessionBus::Default().WatchSignal("/StatusNotifierWatcher",
		"org.kde.StatusNotifierWatcher", "StatusNotifierItemRegistered",
		[](const BPrivate::BusSignal&) {
			std::lock_guard<std::mutex> guard(sLock);
			sRegistered++;
			sChanged.notify_all();
		});
	if (BPrivate::SessionBus::Default().Connect() != B_OK)
		return false;
	sWatcher = start({"status-notifier-watcher"});
	for (int i = 0; i < 200; i++) {
		if (BPrivate::SessionBus::Default().HasOwner("org.kde.StatusNotifierWatcher"))
			return true;
		usleep(50000);
	}
	return false;
}

pid_t
deskbar_pid()
{
	DIR* proc = opendir("/proc");
	pid_t found = -1;
	while (struct dirent* entry = proc != NULL ? readdir(proc) : NULL) {
		pid_t pid = atoi(entry->d_name);
		if (pid <= 0)
			continue;
		char exe[4096];
		ssize_t length = readlink(("/proc/" + std::string(entry->d_name) + "/exe").c_str(), exe,
			sizeof(exe) - 1);
		if (length <= 0)
			continue;
		exe[length] = '\0';
		std::ifstream environment("/proc/" + std::string(entry->d_name) + "/environ");
		std::string text((std::istreambuf_iterator<char>(environment)),
			std::istreambuf_iterator<char>());
		if (kTree + "/bin/Deskbar" == exe
			&& text.find("XDG_RUNTIME_DIR=" + sFolder + "/run") != std::string::npos)
			found = pid;
	}
	if (proc != NULL)
		closedir(proc);
	return found;
}

long
resident_kilobytes(pid_t pid)
{
	std::ifstream status("/proc/" + std::to_string(pid) + "/status");
	std::string line;
	while (std::getline(status, line)) {
		if (line.rfind("VmRSS:", 0) == 0)
			return atol(line.c_str() + 6);
	}
	return -1;
}

void
BM_LauncherToRegisteredItem(benchmark::State& state)
{
	if (sWatcher <= 0) {
		state.SkipWithError("no private bus or watcher");
		return;
	}
	// The Deskbar runs before the clock starts: its own start is not the
	// launcher's.
	run({kTree + "/launcher/Launcher"});
	run({kTree + "/launcher/Launcher", "remove"});
	for (auto _ : state) {
		int before;
		{
			std::lock_guard<std::mutex> guard(sLock);
			before = sRegistered;
		}
		run({kTree + "/launcher/Launcher"});
		std::unique_lock<std::mutex> guard(sLock);
		if (!sChanged.wait_for(guard, std::chrono::seconds(10),
				[&] { return sRegistered > before; })) {
			state.SkipWithError("the item was not registered");
			break;
		}
		guard.unlock();
		state.PauseTiming();
		run({kTree + "/launcher/Launcher", "remove"});
		state.ResumeTiming();
	}
}
BENCHMARK(BM_LauncherToRegisteredItem)->Unit(benchmark::kMillisecond)->UseRealTime();

void
BM_DeskbarMemoryWithOneIcon(benchmark::State& state)
{
	run({kTree + "/launcher/Launcher"});
	pid_t deskbar = deskbar_pid();
	if (deskbar <= 0) {
		state.SkipWithError("no Deskbar");
		return;
	}
	for (auto _ : state)
		benchmark::DoNotOptimize(resident_kilobytes(deskbar));
	state.counters["resident_KiB"] = (double)resident_kilobytes(deskbar);
	run({kTree + "/launcher/Launcher", "remove"});
}
BENCHMARK(BM_DeskbarMemoryWithOneIcon)->Iterations(1);

} // namespace

int
main(int argc, char** argv)
{
	benchmark::Initialize(&argc, argv);
	bool ready = set_up();
	if (!ready)
		fprintf(stderr, "bench_tray: no private bus or watcher; nothing measured\n");
	benchmark::RunSpecifiedBenchmarks();
	if (pid_t deskbar = deskbar_pid(); deskbar > 0) {
		kill(deskbar, SIGTERM);
	}
	for (pid_t pid : {sWatcher, sBus}) {
		if (pid > 0) {
			kill(pid, SIGTERM);
			waitpid(pid, NULL, 0);
		}
	}
	if (!sFolder.empty()) {
		const char* argv2[] = {"rm", "-rf", sFolder.c_str(), NULL};
		pid_t pid;
		if (posix_spawnp(&pid, "rm", NULL, NULL, (char* const*)argv2, environ) == 0)
			waitpid(pid, NULL, 0);
	}
	return 0;
}
