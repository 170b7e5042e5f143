// One poll of the main window, TWindow1::Pulse(), on the headless display
// over data files of 1,000, 10,000 and 100,000 records:
//  - BM_PulseIdle: every record already seen, the poll of almost every
//    pulse: count, scan, nothing to show.
//  - BM_PulseShow: the last record new: the whole scan, then its two rows in
//    Pop-Perso, the store and the arrival sound. The player is /bin/true
//    under the name MediaPlayer, so the sound costs one process start and
//    nothing more.
//
//   build/bench/main/bench_main_pulse [--benchmark_filter=Idle|Show]
//
// CPU is the calling thread's; the window's redraw runs on its own thread
// and the player in its own process, so they count in wall time only.
//
// The window's own pulse thread keeps polling every 3 s. Its idle polls are
// harmless beside ours: they find nothing either. In the show case it must
// not poll while the record is new, nor while our pulse runs: the two polls
// share the store's results (first_new_message and new_messages), so one
// thread's find leaks into the other's and both show the record. The bench
// watches the data file's opens, waits for that thread's poll to end and
// the thread to be asleep again, and measures only in the 2.5 s after.
// "foreign_opens" counts opens beyond our own during a measured pulse; it
// stays 0 when the figures are clean.

#include <Harness.h>
#include <MessageNames.h>
#include <OutlineListView.h>
#include <PopClass.h>
#include <TWindow1.h>
#include <TestView.h>

#include "TempBootVolume.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

const off_t kFlagOffset = offsetof(Tliste, is_new);
// What one showing pulse opens the data file for: the scan, reading the
// record, and reading and writing it to mark it seen.
const int kOpensPerShow = 4;
// The pulse thread sleeps 3 s after each poll; measure only well inside.
const bigtime_t kSafeGap = 2500000;

// The opens and closes of the data file, from every thread of this process.
class OpenWatch {
public:
	OpenWatch(const std::string& path)
	{
		fFD = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
		if (fFD >= 0)
			inotify_add_watch(fFD, path.c_str(), IN_OPEN | IN_CLOSE);
	}

	~OpenWatch()
	{
		if (fFD >= 0)
			close(fFD);
	}

	// Forgets what has happened so far; the number of opens among it.
	int Drain()
	{
		int opens = 0;
		while (_Read(0, &opens) > 0) {
		}
		return opens;
	}

	// Waits for someone else's whole poll: an open, then its close. The
	// caller must not open the file meanwhile.
	bool WaitForPoll(bigtime_t timeout)
	{
		Drain();
		fOpenSeen = false;
		fPollSeen = false;
		bigtime_t deadline = system_time() + timeout;
		while (!fPollSeen && system_time() < deadline) {
			int opens = 0;
			int waitMs = (int)((deadline - system_time()) / 1000) + 1;
			if (_Read(waitMs, &opens) < 0)
				return false;
		}
		return fPollSeen;
	}

private:
	// One batch of events; > 0 when there were any.
	int _Read(int waitMs, int* opens)
	{
		struct pollfd fd = {fFD, POLLIN, 0};
		if (poll(&fd, 1, waitMs) <= 0)
			return 0;
		char buffer[4096] __attribute__((aligned(__alignof__(struct inotify_event))));
		ssize_t got = read(fFD, buffer, sizeof(buffer));
		if (got <= 0)
			return got < 0 && errno == EAGAIN ? 0 : -1;
		for (char* at = buffer; at < buffer + got;) {
			struct inotify_event* event = (struct inotify_event*)at;
			if (event->mask & IN_OPEN) {
				(*opens)++;
				fOpenSeen = true;
			}
			// A close with no open seen was a poll already under way.
			if ((event->mask & IN_CLOSE) != 0 && fOpenSeen)
				fPollSeen = true;
			at += sizeof(struct inotify_event) + event->len;
		}
		return 1;
	}

	bool fOpenSeen = false;
	bool fPollSeen = false;
	int fFD = -1;
};

// The kernel's id of the thread of that name, or -1.
pid_t
find_task(const char* name)
{
	pid_t found = -1;
	DIR* tasks = opendir("/proc/self/task");
	if (tasks == NULL)
		return -1;
	while (struct dirent* entry = readdir(tasks)) {
		std::string comm;
		std::getline(std::ifstream(std::string("/proc/self/task/") + entry->d_name + "/comm"),
			comm);
		if (comm == name)
			found = atoi(entry->d_name);
	}
	closedir(tasks);
	return found;
}

// True once the task sleeps: for the pulse thread after a poll, its wait
// for the next one.
bool
wait_until_asleep(pid_t task, bigtime_t timeout)
{
	std::string path = "/proc/self/task/" + std::to_string(task) + "/stat";
	bigtime_t deadline = system_time() + timeout;
	while (system_time() < deadline) {
		std::string stat;
		std::getline(std::ifstream(path), stat);
		size_t end = stat.rfind(')');
		if (end != std::string::npos && end + 2 < stat.size() && stat[end + 2] == 'S')
			return true;
		usleep(200);
	}
	return false;
}

// A private boot volume with a data file of count seen records, the last
// with a sender, and the main window over it.
class PulseRig {
public:
	PulseRig(int count)
		:
		fCount(count)
	{
		Tliste record;
		memset(&record, 0, sizeof(record));
		strcpy(record.message, "A message of an ordinary length, as a colleague would send it.");
		std::string data;
		data.reserve((size_t)count * sizeof(Tliste));
		for (int i = 1; i < count; i++)
			data.append((const char*)&record, sizeof(record));
		uint32 names = append_message_names(&record, "alice", "me", "me");
		record.from = record.to = record.realfrom = names;
		data.append((const char*)&record, sizeof(record));
		fVolume.Write("home/murmelo.dat", data);

		fFlagFD = open(fVolume.DataFile().c_str(), O_WRONLY | O_CLOEXEC);

		fWindow = new TWindow1((char*)"murmelo", BRect(45, 370, 467, 770));
		fWindow->Show();
		BTest::Sync(fWindow);
		// The thread takes its name once it runs.
		for (int i = 0; i < 500 && fPulseTask < 0; i++) {
			fPulseTask = find_task("et hop");
			if (fPulseTask < 0)
				usleep(10000);
		}
	}

	~PulseRig()
	{
		// Quit() from here returns once the window, and its pulse thread,
		// are gone.
		fWindow->Lock();
		fWindow->Quit();
		magestion->effacetout();
		fWatch.reset();
		close(fFlagFD);
	}

	int Count() const { return fCount; }
	TWindow1* Window() const { return fWindow; }
	// Watching costs every open a little: only the show case watches.
	OpenWatch& Watch()
	{
		if (fWatch == NULL)
			fWatch.reset(new OpenWatch(fVolume.DataFile()));
		return *fWatch;
	}
	void StopWatching() { fWatch.reset(); }

	// True once the pulse thread has just polled and the next gap is ours.
	// NULL once the pulse thread has just polled and the next gap is ours;
	// else what went wrong.
	const char* EnsureGap()
	{
		if (system_time() < fGapEnd)
			return NULL;
		if (fPulseTask < 0)
			return "the window's pulse thread was not found";
		if (!Watch().WaitForPoll(10000000))
			return "the window's pulse thread was not seen polling";
		if (!wait_until_asleep(fPulseTask, 2000000))
			return "the window's pulse thread did not go back to sleep";
		fGapEnd = system_time() + kSafeGap;
		return NULL;
	}

	void SetLastNew(bool isNew)
	{
		uint8 flag = isNew ? 1 : 0;
		pwrite(fFlagFD, &flag, 1, (off_t)(fCount - 1) * sizeof(Tliste) + kFlagOffset);
	}

	bool LastIsNew() const
	{
		uint8 flag = 0;
		int fd = open(fVolume.DataFile().c_str(), O_RDONLY | O_CLOEXEC);
		pread(fd, &flag, 1, (off_t)(fCount - 1) * sizeof(Tliste) + kFlagOffset);
		close(fd);
		return flag == 1;
	}

	int32 Rows()
	{
		int32 rows = 0;
		BTest::Locked(fWindow, [&] { rows = fWindow->List(0)->List()->FullListCountItems(); });
		return rows;
	}

	// Pop-Perso and the store empty, and the window done drawing.
	void Clear()
	{
		BTest::Locked(fWindow, [&] { fWindow->List(0)->EffaceTout(); });
		magestion->effacetout();
		BTest::Sync(fWindow);
	}

private:
	int fCount;
	TempBootVolume fVolume;
	int fFlagFD = -1;
	std::unique_ptr<OpenWatch> fWatch;
	TWindow1* fWindow = NULL;
	bigtime_t fGapEnd = 0;
	pid_t fPulseTask = -1;
};

std::unique_ptr<PulseRig> sRig;

// One rig at a time: the boot volume is the process's environment.
PulseRig&
rig_for(int count)
{
	if (sRig == NULL || sRig->Count() != count) {
		sRig.reset();
		sRig.reset(new PulseRig(count));
	}
	return *sRig;
}

void
BM_PulseIdle(benchmark::State& state)
{
	PulseRig& rig = rig_for((int)state.range(0));
	rig.StopWatching();
	rig.SetLastNew(false);
	int32 rows = rig.Rows();
	for (auto _ : state)
		rig.Window()->Pulse();
	if (first_new_message != 0 || rig.Rows() != rows)
		state.SkipWithError("an idle pulse showed something");
	state.SetItemsProcessed(state.iterations() * state.range(0));
	state.SetBytesProcessed(state.iterations() * state.range(0) * (int64_t)sizeof(Tliste));
}
BENCHMARK(BM_PulseIdle)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void
BM_PulseShow(benchmark::State& state)
{
	PulseRig& rig = rig_for((int)state.range(0));
	rig.SetLastNew(false);
	int64_t foreign = 0;
	for (auto _ : state) {
		state.PauseTiming();
		if (const char* error = rig.EnsureGap()) {
			state.SkipWithError(error);
			break;
		}
		// Each pulse shows into the same state: an empty list and store.
		rig.Clear();
		rig.Watch().Drain();
		rig.SetLastNew(true);
		state.ResumeTiming();

		rig.Window()->Pulse();

		state.PauseTiming();
		int opens = rig.Watch().Drain();
		if (opens > kOpensPerShow)
			foreign++;
		if (rig.Rows() != 2 || rig.LastIsNew() || magestion->getNbPop() != 1) {
			state.SkipWithError("the pulse did not show the record exactly once");
			break;
		}
		state.ResumeTiming();
	}
	rig.SetLastNew(false);
	state.counters["foreign_opens"] = (double)foreign;
}
BENCHMARK(BM_PulseShow)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int
main(int argc, char** argv)
{
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;

	// The arrival sound: a player that does nothing, first on the path.
	char pattern[] = "/tmp/murmelo-bench-XXXXXX";
	std::string bin = mkdtemp(pattern);
	std::string player = bin + "/MediaPlayer";
	if (symlink("/bin/true", player.c_str()) != 0) {
		perror("MediaPlayer stand-in");
		return 1;
	}
	const char* path = getenv("PATH");
	std::string oldPath = path != NULL ? path : "/usr/bin:/bin";
	setenv("PATH", (bin + ":" + oldPath).c_str(), 1);

	BTest::HeadlessApp* app = new BTest::HeadlessApp("application/x-vnd.Murmelo-bench");
	benchmark::RunSpecifiedBenchmarks();
	sRig.reset();
	delete app;

	benchmark::Shutdown();
	setenv("PATH", oldPath.c_str(), 1);
	unlink(player.c_str());
	rmdir(bin.c_str());
	return 0;
}
