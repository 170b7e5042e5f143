// How long a message takes to show: from smbclient's return to its two rows
// in Pop-Perso. A private smbd on 127.0.0.1:139 stores each message with
// the built Murmelod; the main window runs on the headless display over the
// same boot volume, with its own pulse thread. Needs root (port 139).
//
//   build/bench/main/bench_main_arrival [messages, 20 if not given]
//
// The window wakes when the data file changes, with a 3 s poll behind it;
// each message is sent after a random pause of 0 to 3 s (a fixed seed, the
// same pauses every run), as messages arrive at any moment, not just after
// the previous one was shown. Then a burst: ten smbclient runs at once,
// timed from the first start and from the last return until all twenty
// rows are in. The arrival sound is /bin/true under the name MediaPlayer.

#include "Process.h"

#include <Harness.h>
#include <IconListItem.h>
#include <OutlineListView.h>
#include <PopClass.h>
#include <TWindow1.h>
#include <TestView.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

typedef std::chrono::steady_clock Clock;

const char* kServerName = "MURMELOBENCH";
const char* kSender = "bench";
const int kStartAttempts = 10;
const bigtime_t kShowTimeout = 20000000;

std::atomic<bool> sInterrupted(false);

void
interrupted(int)
{
	sInterrupted = true;
}

std::string
script()
{
	return std::string(MURMELO_SOURCE_DIR) + "/scripts/private-samba";
}

double
ms_between(Clock::time_point from, Clock::time_point to)
{
	return std::chrono::duration<double, std::milli>(to - from).count();
}

// The server, stopped whatever way the bench ends.
class SambaServer {
public:
	SambaServer(const std::string& dir)
		:
		fDir(dir)
	{
	}

	~SambaServer()
	{
		if (fStarted)
			run_process({script(), "stop", fDir});
	}

	bool Start()
	{
		// The script waits for another test's server to free the port, but
		// only so long: try again a few times.
		for (int attempt = 0; attempt < kStartAttempts && !sInterrupted; attempt++) {
			fStarted = true;
			ProcessResult started = run_process({script(), "start", fDir,
				std::string(MURMELO_TREE) + "/daemon/Murmelod", kServerName});
			if (started.status == 0)
				return true;
			run_process({script(), "stop", fDir});
			fStarted = false;
			fprintf(stderr, "%s", started.output.c_str());
			if (started.output.find("taken") == std::string::npos)
				return false;
		}
		return false;
	}

private:
	std::string fDir;
	bool fStarted = false;
};

struct Arrival {
	double smbclient;  // ms smbclient ran
	double stored;  // ms from its return until the record was in the file
	double shown;  // ms from its return until the rows were in the list
};

void
summary(const char* what, std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	size_t n = values.size();
	double median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
	double sum = 0;
	for (double value : values)
		sum += value;
	printf("%-28s min %8.1f  median %8.1f  mean %8.1f  max %8.1f ms\n", what, values.front(),
		median, sum / n, values.back());
}

int32
rows_of(TWindow1* window, std::string* lastSender, std::string* lastText)
{
	int32 count = 0;
	BTest::Locked(window, [&] {
		BOutlineListView* list = window->List(0)->List();
		count = list->FullListCountItems();
		if (count >= 2 && lastSender != NULL) {
			IconListItem* sender = dynamic_cast<IconListItem*>(list->FullListItemAt(count - 2));
			IconListItem* text = dynamic_cast<IconListItem*>(list->FullListItemAt(count - 1));
			*lastSender = sender != NULL ? sender->Label() : "";
			*lastText = text != NULL ? text->Label() : "";
		}
	});
	return count;
}

off_t
file_size(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

// Sends the messages one by one and times each; false when one went wrong.
bool
measure(TWindow1* window, const std::string& dataFile, int count, std::vector<Arrival>* arrivals)
{
	std::mt19937 random(20240601);
	std::uniform_int_distribution<int> pause(0, 2999);
	for (int i = 1; i <= count && !sInterrupted; i++) {
		usleep(pause(random) * 1000);
		std::string text = "Arrival " + std::to_string(i) + ": is the coffee ready?";
		int32 before = rows_of(window, NULL, NULL);
		off_t size = file_size(dataFile);

		Clock::time_point start = Clock::now();
		ProcessResult sent = run_process(
			{"smbclient", "-M", kServerName, "-I", "127.0.0.1", "-U", kSender, "-N"}, text);
		Clock::time_point returned = Clock::now();
		if (sent.status != 0) {
			fprintf(stderr, "message %d: smbclient failed (%d): %s\n", i, sent.status,
				sent.output.c_str());
			return false;
		}

		Clock::time_point stored = returned;
		bool isStored = false;
		std::string sender, shownText;
		bigtime_t deadline = system_time() + kShowTimeout;
		while (rows_of(window, &sender, &shownText) < before + 2) {
			if (!isStored && file_size(dataFile) >= size + (off_t)sizeof(Tliste)) {
				stored = Clock::now();
				isStored = true;
			}
			if (system_time() > deadline || sInterrupted) {
				fprintf(stderr, "message %d: not shown within %d s\n", i,
					(int)(kShowTimeout / 1000000));
				return false;
			}
			usleep(1000);
		}
		Clock::time_point shown = Clock::now();
		if (!isStored)
			stored = shown;
		if (sender != kSender || shownText != text) {
			fprintf(stderr, "message %d: shown as \"%s\" / \"%s\"\n", i, sender.c_str(),
				shownText.c_str());
			return false;
		}

		Arrival arrival = {ms_between(start, returned), ms_between(returned, stored),
			ms_between(returned, shown)};
		arrivals->push_back(arrival);
		printf("%2d  smbclient %7.1f ms  stored after %7.1f ms  shown after %7.1f ms\n", i,
			arrival.smbclient, arrival.stored, arrival.shown);
		fflush(stdout);
	}
	return !sInterrupted;
}

// Ten messages at once; false when one went wrong.
bool
measure_burst(TWindow1* window)
{
	const int kBurst = 10;
	int32 before = rows_of(window, NULL, NULL);
	std::vector<std::thread> senders;
	std::vector<ProcessResult> results(kBurst);
	std::vector<Clock::time_point> returned(kBurst);
	Clock::time_point start = Clock::now();
	for (int i = 0; i < kBurst; i++) {
		senders.emplace_back([&, i] {
			results[i] = run_process({"smbclient", "-M", kServerName, "-I", "127.0.0.1", "-U",
				kSender, "-N"}, "Burst " + std::to_string(i));
			returned[i] = Clock::now();
		});
	}
	for (std::thread& sender : senders)
		sender.join();
	for (const ProcessResult& result : results) {
		if (result.status != 0) {
			fprintf(stderr, "burst: smbclient failed (%d): %s\n", result.status,
				result.output.c_str());
			return false;
		}
	}
	Clock::time_point last = *std::max_element(returned.begin(), returned.end());
	bigtime_t deadline = system_time() + kShowTimeout;
	while (rows_of(window, NULL, NULL) < before + 2 * kBurst) {
		if (system_time() > deadline || sInterrupted) {
			fprintf(stderr, "burst: not all shown within %d s\n", (int)(kShowTimeout / 1000000));
			return false;
		}
		usleep(1000);
	}
	Clock::time_point shown = Clock::now();
	printf("burst of %d: all shown %.1f ms after the last smbclient returned, %.1f ms after "
		"the first started\n", kBurst, ms_between(last, shown), ms_between(start, shown));
	return true;
}

} // namespace

int
main(int argc, char** argv)
{
	int count = argc > 1 ? atoi(argv[1]) : 20;
	if (count < 1) {
		fprintf(stderr, "usage: %s [messages]\n", argv[0]);
		return 2;
	}
	if (getuid() != 0) {
		fprintf(stderr, "%s: the Samba server needs root (port 139)\n", argv[0]);
		return 2;
	}
	// Ctrl-C ends the run through the same road as its end, so the server
	// is always stopped.
	struct sigaction action = {};
	action.sa_handler = interrupted;
	sigaction(SIGINT, &action, NULL);
	sigaction(SIGTERM, &action, NULL);
	sigaction(SIGHUP, &action, NULL);

	TempDir dir("murmelo-arrival");
	std::string oldPath = getenv("PATH") != NULL ? getenv("PATH") : "/usr/bin:/bin";
	bool ok = false;
	std::vector<Arrival> arrivals;
	{
		SambaServer server(dir.Path());
		if (!server.Start()) {
			fprintf(stderr, "could not start the private Samba server\n");
			return 1;
		}
		std::string bin = dir.Path() + "/standin";
		mkdir(bin.c_str(), 0755);
		symlink("/bin/true", (bin + "/MediaPlayer").c_str());
		setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
		setenv("BE_BOOT_VOLUME", (dir.Path() + "/boot").c_str(), 1);

		BTest::HeadlessApp* app = new BTest::HeadlessApp("application/x-vnd.Murmelo-bench");
		TWindow1* window = new TWindow1((char*)"murmelo", BRect(45, 370, 467, 770));
		window->Show();
		BTest::Sync(window);

		printf("%d messages to %s on 127.0.0.1, each after a pause of 0 to 3 s\n", count,
			kServerName);
		ok = measure(window, dir.Path() + "/boot/home/murmelo.dat", count, &arrivals);
		ok = ok && measure_burst(window);

		window->Lock();
		window->Quit();
		magestion->effacetout();
		delete app;
		setenv("PATH", oldPath.c_str(), 1);
		unsetenv("BE_BOOT_VOLUME");
	}

	if (!arrivals.empty()) {
		std::vector<double> smbclient, stored, shown;
		for (const Arrival& arrival : arrivals) {
			smbclient.push_back(arrival.smbclient);
			stored.push_back(arrival.stored);
			shown.push_back(arrival.shown);
		}
		printf("over %zu messages:\n", arrivals.size());
		summary("smbclient run", smbclient);
		summary("stored after its return", stored);
		summary("shown after its return", shown);
	}
	return ok ? 0 : 1;
}
