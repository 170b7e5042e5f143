// One poll of the main window, TWindow1::Pulse(), on the headless display
// over data files of 1,000 to 1,000,000 records:
//  - BM_PulseIdle: every record already seen, the poll of almost every
//    pulse: count, scan from where the unseen records start, nothing to
//    show. It should cost the same at any size.
//  - BM_PulseShow: one new record appended, as the intake does: the scan
//    of it, its two rows in Pop-Perso, the store, marking it seen and the
//    arrival sound. The player is /bin/true under the name MediaPlayer, so
//    the sound costs one thread and one process start and nothing more.
//
//   build/bench/main/bench_main_pulse [--benchmark_filter=Idle|Show]
//
// CPU is the calling thread's; the window's redraw runs on its own thread
// and the player in its own process, so they count in wall time only. The
// window's own pulse thread is put to sleep (no node watches, a poll
// interval of an hour), so only the benchmark polls.

#include <Harness.h>
#include <MessageNames.h>
#include <NodeMonitor.h>
#include <OutlineListView.h>
#include <PopClass.h>
#include <TWindow1.h>
#include <TestView.h>

#include "TempBootVolume.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace {

const off_t kFlagOffset = offsetof(Tliste, is_new);

// A private boot volume with a data file of count seen records, the last
// with a sender, and the main window over it.
class PulseRig {
public:
	PulseRig(int count)
		:
		fCount(count)
	{
		// Records of zeros are seen records: a sparse file holds a million
		// of them at no cost.
		fVolume.Write("home/murmelo.dat", "");
		fDataFD = open(fVolume.DataFile().c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
		ftruncate(fDataFD, (off_t)count * sizeof(Tliste));

		memset(&fRecord, 0, sizeof(fRecord));
		strcpy(fRecord.message, "A message of an ordinary length, as a colleague would send it.");
		uint32 names = append_message_names(&fRecord, "alice", "me", "me");
		fRecord.from = fRecord.to = fRecord.realfrom = names;
		fRecord.is_new = 1;

		fWindow = new TWindow1((char*)"murmelo", BRect(45, 370, 467, 770));
		fWindow->Show();
		BTest::Sync(fWindow);
		stop_watching(fWindow);
		fWindow->SetPollInterval(3600000000LL);
		// Its first poll has read the file; the next is an hour away.
		fWindow->Pulse();
	}

	~PulseRig()
	{
		// Quit() from here returns once the window, and its pulse thread,
		// are gone.
		fWindow->Lock();
		fWindow->Quit();
		magestion->effacetout();
		close(fDataFD);
	}

	int Count() const { return fCount; }
	TWindow1* Window() const { return fWindow; }

	// A new record at the end, as the intake appends it.
	void Arrive() { write(fDataFD, &fRecord, sizeof(fRecord)); }

	bool LastIsNew() const
	{
		struct stat st;
		fstat(fDataFD, &st);
		uint8 flag = 0;
		pread(fDataFD, &flag, 1, st.st_size - sizeof(Tliste) + kFlagOffset);
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
	int fDataFD = -1;
	Tliste fRecord;
	TWindow1* fWindow = NULL;
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
	int32 rows = rig.Rows();
	for (auto _ : state)
		rig.Window()->Pulse();
	if (first_new_message != 0 || rig.Rows() != rows)
		state.SkipWithError("an idle pulse showed something");
	state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PulseIdle)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)
	->Unit(benchmark::kMicrosecond);

void
BM_PulseShow(benchmark::State& state)
{
	PulseRig& rig = rig_for((int)state.range(0));
	for (auto _ : state) {
		state.PauseTiming();
		// Each pulse shows into the same state: an empty list and store.
		rig.Clear();
		rig.Arrive();
		state.ResumeTiming();

		rig.Window()->Pulse();

		state.PauseTiming();
		if (rig.Rows() != 2 || rig.LastIsNew() || magestion->getNbPop() != 1) {
			state.SkipWithError("the pulse did not show the record exactly once");
			break;
		}
		state.ResumeTiming();
	}
}
BENCHMARK(BM_PulseShow)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

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
