// Counting and scanning the data file, as the main program does every few
// seconds, for files of 1,000 to 100,000 records.

#include <PopClass.h>

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

// A private boot volume whose data file holds count records, every tenth
// of them new.
class DataFile {
public:
	DataFile(int count)
	{
		char pattern[] = "/tmp/murmelo-bench-XXXXXX";
		fRoot = mkdtemp(pattern);
		mkdir((fRoot + "/home").c_str(), 0755);
		setenv("BE_BOOT_VOLUME", fRoot.c_str(), 1);
		FILE* file = fopen((fRoot + "/home/murmelo.dat").c_str(), "wb");
		Tliste record;
		memset(&record, 0, sizeof(record));
		strcpy(record.message, "A message of an ordinary length.");
		for (int i = 0; i < count; i++) {
			record.is_new = i % 10 == 9;
			fwrite(&record, sizeof(record), 1, file);
		}
		fclose(file);
	}

	~DataFile()
	{
		unlink((fRoot + "/home/murmelo.dat").c_str());
		rmdir((fRoot + "/home").c_str());
		rmdir(fRoot.c_str());
		unsetenv("BE_BOOT_VOLUME");
	}

private:
	std::string fRoot;
};

void
BM_Count(benchmark::State& state)
{
	DataFile file((int)state.range(0));
	PopClass store;
	for (auto _ : state)
		benchmark::DoNotOptimize(store.count_total_number_of_messages());
	state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Count)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void
BM_Scan(benchmark::State& state)
{
	DataFile file((int)state.range(0));
	PopClass store;
	total_number_of_messages = store.count_total_number_of_messages();
	for (auto _ : state)
		benchmark::DoNotOptimize(store.are_there_new_messages_in_data_file());
	if (new_messages != state.range(0) / 10)
		state.SkipWithError("wrong number of new records");
	state.SetItemsProcessed(state.iterations() * state.range(0));
	state.SetBytesProcessed(state.iterations() * state.range(0) * (int64_t)sizeof(Tliste));
}
BENCHMARK(BM_Scan)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
