// Opening the history window on the headless display over a data file of
// 10,000 and 100,000 records (every record with names and an arrival time):
//  - BM_HistoryFirstRows: from creating the window to its first rows
//    listed and drawn.
//  - BM_HistoryAllRows: from creating the window to every record listed
//    and drawn; "rss_MiB" is how much the process grew with the window open
//    (run it alone, --benchmark_filter=All, or the memory freed by the
//    benchmarks before is reused and the figure is too small).
// Times are wall-clock (manual time): the reading runs on its own thread
// and the drawing on the window's.
//
//   build/bench/main/bench_main_history [--benchmark_filter=First|All]

#include <Application.h>
#include <Harness.h>
#include <HistoryWindow.h>
#include <OS.h>

#include "HistorySupport.h"
#include "TempBootVolume.h"

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

std::unique_ptr<TempBootVolume> sVolume;
int32 sRecords = 0;

// A data file of that many records, made once per size.
void
Prepare(int32 records)
{
	if (sRecords == records)
		return;
	sVolume.reset();
	sVolume = std::make_unique<TempBootVolume>();
	append_history_records(records, printer_sample);
	sRecords = records;
}

// The resident size of this process, in MiB.
double
ResidentMiB()
{
	long pages = 0;
	long resident = 0;
	FILE* statm = fopen("/proc/self/statm", "r");
	if (statm != NULL) {
		if (fscanf(statm, "%ld %ld", &pages, &resident) != 2)
			resident = 0;
		fclose(statm);
	}
	return resident * (double)sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

void
CloseHistory(HistoryWindow* window)
{
	BTest::CloseWindow(window);
	BTest::WaitFor(
		[] { return HistoryWindow::Current() == NULL && be_app->CountWindows() == 0; }, 60000000);
}

// Opens the history and waits until ready(window) holds and all is drawn;
// the seconds that took.
double
TimeOpen(const std::function<bool(HistoryWindow*)>& ready, HistoryWindow** opened)
{
	bigtime_t start = system_time();
	HistoryWindow* window = new HistoryWindow();
	window->Show();
	while (true) {
		bool done = false;
		BTest::Locked(window, [&] { done = ready(window); });
		if (done)
			break;
		snooze(100);
	}
	BTest::Sync(window, 60000000);
	*opened = window;
	return (system_time() - start) / 1e6;
}

void
BM_HistoryFirstRows(benchmark::State& state)
{
	Prepare((int32)state.range(0));
	for (auto _ : state) {
		HistoryWindow* window;
		state.SetIterationTime(TimeOpen([](HistoryWindow* w) { return w->CountShown() > 0; },
			&window));
		state.PauseTiming();
		CloseHistory(window);
		state.ResumeTiming();
	}
}
BENCHMARK(BM_HistoryFirstRows)->Arg(10000)->Arg(100000)->UseManualTime()
	->Unit(benchmark::kMillisecond);

void
BM_HistoryAllRows(benchmark::State& state)
{
	Prepare((int32)state.range(0));
	int32 shown = 0;
	double grown = 0;
	for (auto _ : state) {
		double before = ResidentMiB();
		HistoryWindow* window;
		state.SetIterationTime(TimeOpen([](HistoryWindow* w) { return w->IsLoaded(); },
			&window));
		// The first opening grows the most; later ones reuse freed memory.
		grown = std::max(grown, ResidentMiB() - before);
		BTest::Locked(window, [&] { shown = window->CountShown(); });
		state.PauseTiming();
		CloseHistory(window);
		state.ResumeTiming();
	}
	state.counters["rows"] = shown;
	state.counters["rss_MiB"] = grown;
}
BENCHMARK(BM_HistoryAllRows)->Arg(10000)->Arg(100000)->UseManualTime()
	->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int
main(int argc, char** argv)
{
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;
	BTest::HeadlessApp* app = new BTest::HeadlessApp("application/x-vnd.Murmelo-history-bench");
	benchmark::RunSpecifiedBenchmarks();
	delete app;
	sVolume.reset();
	benchmark::Shutdown();
	return 0;
}
