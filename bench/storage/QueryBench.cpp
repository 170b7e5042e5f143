// The query for new mail against walking the folder: 10,000 mail files,
// 100 of them new, all filed through the kit on a private boot volume.
// Also what the index costs a write of an indexed attribute.

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <Query.h>
#include <Volume.h>
#include <VolumeRoster.h>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>

namespace {

const int kMails = 10000;
const int kNew = 100;

int
remove_entry(const char* path, const struct stat*, int, struct FTW*)
{
	return ::remove(path);
}

// The private boot volume with its mail, made once for all benchmarks.
class MailVolume {
public:
	MailVolume()
	{
		char pattern[] = "/tmp/murmelo-bench-query-XXXXXX";
		fRoot = mkdtemp(pattern);
		setenv("BE_BOOT_VOLUME", fRoot.c_str(), 1);
		create_directory("/boot/home/mail/in", 0755);
		fFolder = fRoot + "/home/mail/in";
		for (int i = 0; i < kMails; i++) {
			char name[32];
			snprintf(name, sizeof(name), "/mail%05d", i);
			std::string path = fFolder + name;
			BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE);
			file.Write("From: someone\nSubject: hi\n\nbody\n", 32);
			// Spread the new ones through the folder.
			BString status(i % (kMails / kNew) == 0 ? "New" : "Read");
			file.WriteAttrString("MAIL:status", &status);
			BString from("someone@example.org");
			file.WriteAttrString("MAIL:from", &from);
			BString subject("hi");
			file.WriteAttrString("MAIL:subject", &subject);
			int64 when = 1700000000 + i;
			file.WriteAttr("MAIL:when", B_TIME_TYPE, 0, &when, sizeof(when));
		}
		BVolumeRoster().GetBootVolume(&fVolume);
		// The steady state is measured: nothing changed within the rescan's
		// one-second margin, and a first query has looked at the folder.
		sleep(2);
		BQuery first;
		first.SetVolume(&fVolume);
		first.SetPredicate("MAIL:status = New");
		first.Fetch();
	}

	~MailVolume() { nftw(fRoot.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }

	const std::string& Folder() const { return fFolder; }
	const BVolume& Volume() const { return fVolume; }

private:
	std::string fRoot;
	std::string fFolder;
	BVolume fVolume;
};

MailVolume&
volume()
{
	static MailVolume* sVolume = new MailVolume;
	return *sVolume;
}

void
BM_QueryNewMail(benchmark::State& state)
{
	MailVolume& mail = volume();
	for (auto _ : state) {
		BQuery query;
		query.SetVolume(&mail.Volume());
		query.SetPredicate("MAIL:status = New");
		if (query.Fetch() != B_OK) {
			state.SkipWithError("fetch failed");
			return;
		}
		int found = 0;
		entry_ref ref;
		while (query.GetNextRef(&ref) == B_OK)
			found++;
		if (found != kNew)
			state.SkipWithError("wrong count");
	}
	state.SetItemsProcessed(state.iterations() * kMails);
}
BENCHMARK(BM_QueryNewMail)->Unit(benchmark::kMillisecond);

// What a program without queries does: every entry, its node, its status.
void
BM_WalkFolderThroughTheKit(benchmark::State& state)
{
	MailVolume& mail = volume();
	for (auto _ : state) {
		BDirectory folder(mail.Folder().c_str());
		BEntry entry;
		int found = 0;
		while (folder.GetNextEntry(&entry) == B_OK) {
			BNode node(&entry);
			BString status;
			if (node.ReadAttrString("MAIL:status", &status) == B_OK && status == "New")
				found++;
		}
		if (found != kNew)
			state.SkipWithError("wrong count");
	}
	state.SetItemsProcessed(state.iterations() * kMails);
}
BENCHMARK(BM_WalkFolderThroughTheKit)->Unit(benchmark::kMillisecond);

// The same walk with bare system calls: the least a walk can cost.
void
BM_WalkFolderWithSystemCalls(benchmark::State& state)
{
	MailVolume& mail = volume();
	for (auto _ : state) {
		DIR* dir = opendir(mail.Folder().c_str());
		int found = 0;
		char value[64];
		while (struct dirent* entry = readdir(dir)) {
			if (entry->d_name[0] == '.')
				continue;
			std::string path = mail.Folder() + "/" + entry->d_name;
			ssize_t length = getxattr(path.c_str(), "user.MAIL:status", value, sizeof(value));
			if (length == 8 && memcmp(value + 4, "New", 4) == 0)
				found++;
		}
		closedir(dir);
		if (found != kNew)
			state.SkipWithError("wrong count");
	}
	state.SetItemsProcessed(state.iterations() * kMails);
}
BENCHMARK(BM_WalkFolderWithSystemCalls)->Unit(benchmark::kMillisecond);

// What the query's rescan must do at the least: look at each file's change
// time, reading no attribute.
void
BM_StatEveryFile(benchmark::State& state)
{
	MailVolume& mail = volume();
	for (auto _ : state) {
		DIR* dir = opendir(mail.Folder().c_str());
		struct stat st;
		while (struct dirent* entry = readdir(dir))
			fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW);
		closedir(dir);
	}
	state.SetItemsProcessed(state.iterations() * kMails);
}
BENCHMARK(BM_StatEveryFile)->Unit(benchmark::kMillisecond);

// The index's share of a write: an indexed attribute against one without.
void
BM_WriteAttribute(benchmark::State& state)
{
	MailVolume& mail = volume();
	std::string path = mail.Folder() + "/mail00001";
	BNode node(path.c_str());
	const char* name = state.range(0) ? "MAIL:subject" : "unindexed:subject";
	BString value("hi");
	for (auto _ : state)
		node.WriteAttrString(name, &value);
}
BENCHMARK(BM_WriteAttribute)->Arg(0)->Arg(1)->ArgName("indexed")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
