#include <MessageNames.h>
#include <OS.h>
#include <PopClass.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>
#include <thread>
#include <tuple>

#include "DaemonProcess.h"
#include "TempBootVolume.h"

namespace {

class Intake : public testing::Test {
protected:
	std::string Message(const std::string& name, const std::string& text)
	{
		return fVolume.Write("tmp/" + name, text);
	}

	std::string Data() { return TempBootVolume::Read(fVolume.DataFile()); }

	Tliste Record(int i)
	{
		Tliste rec;
		std::string data = Data();
		memset(&rec, 0xee, sizeof(rec));
		if (data.size() >= (size_t)i * sizeof(rec))
			memcpy(&rec, data.data() + (i - 1) * sizeof(rec), sizeof(rec));
		return rec;
	}

	TempBootVolume fVolume;
};

std::string
text_of(const Tliste& rec)
{
	return std::string(rec.message, strnlen(rec.message, sizeof(rec.message)));
}

} // namespace

TEST_F(Intake, FirstMessageCreatesTheFileAndLaterOnesAppend)
{
	mode_t old = umask(0);
	DaemonRun run = run_daemon({"alice", "BOB", Message("m1", "hello\n")});
	umask(old);
	EXPECT_EQ(run.status, 0);
	EXPECT_EQ(run.output, "");
	struct stat st;
	ASSERT_EQ(stat(fVolume.DataFile().c_str(), &st), 0);
	EXPECT_EQ(st.st_size, 1032);
	EXPECT_EQ(st.st_mode & 0777, 0666u);

	EXPECT_EQ(run_daemon({"carol", "BOB", Message("m2", "second")}).status, 0);
	std::string data = Data();
	ASSERT_EQ(data.size(), 2064u);
	EXPECT_EQ(data.compare(1032, 7, std::string("second\0", 7)), 0);

	for (int i = 1; i <= 2; i++) {
		Tliste rec = Record(i);
		const uint8* bytes = (const uint8*)&rec;
		EXPECT_EQ(bytes[1020], 1);
		EXPECT_EQ(rec.ip, 0u);
		EXPECT_NE(rec.from, 0u);
		EXPECT_EQ(rec.to, rec.from);
		EXPECT_EQ(rec.realfrom, rec.from);
		for (int k = 1021; k < 1032; k++)
			EXPECT_EQ(bytes[k], 0) << k;
	}
	EXPECT_EQ(text_of(Record(1)), "hello\n");

	// Each carries the time it arrived, within this test's run.
	int64 after = real_time_clock_usecs();
	for (int i = 1; i <= 2; i++) {
		Tliste rec = Record(i);
		int64 arrival = -1;
		EXPECT_EQ(read_message_arrival(&rec, &arrival), B_OK) << i;
		EXPECT_LE(arrival, after) << i;
		EXPECT_GT(arrival, after - 600000000LL) << i;
	}
}

TEST_F(Intake, TextIsTheFirstThousandBytesAsRead)
{
	std::string big;
	for (int i = 0; i < 1500; i++)
		big += (char)('a' + i % 26);
	std::string odd("line\r\nnext\0after nul\xff\n", 22);
	ASSERT_EQ(run_daemon({"a", "b", Message("big", big)}).status, 0);
	ASSERT_EQ(run_daemon({"a", "b", Message("twelve", "twelve bytes")}).status, 0);
	ASSERT_EQ(run_daemon({"a", "b", Message("empty", "")}).status, 0);
	ASSERT_EQ(run_daemon({"a", "b", Message("odd", odd)}).status, 0);
	ASSERT_EQ(Data().size(), 4u * 1032);

	Tliste rec = Record(1);
	EXPECT_EQ(std::string(rec.message, 1000), big.substr(0, 1000));
	EXPECT_EQ(rec.is_new, 1);

	rec = Record(2);
	EXPECT_EQ(std::string(rec.message, 12), "twelve bytes");
	EXPECT_EQ(std::string(rec.message + 12, 988), std::string(988, '\0'));

	EXPECT_EQ(std::string(Record(3).message, 1000), std::string(1000, '\0'));
	EXPECT_EQ(std::string(Record(4).message, 23), odd + '\0');
}

TEST_F(Intake, LongTextsAreKeptWholeBesideTheirUnchangedRecord)
{
	// 1,500 bytes with bytes that are not UTF-8: kept as they came.
	std::string head(1000, 'h');
	std::string first = head + std::string(490, 't') + "\xff\xfe bad";
	std::string second = head + "another tail";
	ASSERT_EQ(run_daemon({"a", "b", Message("first", first)}).status, 0);
	ASSERT_EQ(run_daemon({"a", "b", Message("second", second)}).status, 0);
	ASSERT_EQ(run_daemon({"a", "b", Message("exact", head)}).status, 0);
	ASSERT_EQ(run_daemon({"a", "b", Message("short", "short one")}).status, 0);
	ASSERT_EQ(Data().size(), 4u * 1032);

	// The records are what they always were: the first 1000 bytes.
	MessageNamesReader reader;
	BString text;
	for (int i : {1, 2}) {
		Tliste rec = Record(i);
		EXPECT_EQ(std::string(rec.message, 1000), head);
		EXPECT_EQ(read_message_text(&rec, &text), B_OK);
		EXPECT_EQ(std::string(text.String(), text.Length()), i == 1 ? first : second);
		EXPECT_EQ(reader.ReadText(&rec, message_check(&rec), &text), B_OK);
		EXPECT_EQ(std::string(text.String(), text.Length()), i == 1 ? first : second);
		BString from;
		EXPECT_EQ(read_message_names(&rec, &from, NULL, NULL), B_OK);
		EXPECT_EQ(from, "a");
	}
	Tliste exact = Record(3);
	EXPECT_EQ(read_message_text(&exact, &text), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(std::string(text.String()), head);
	Tliste shortOne = Record(4);
	EXPECT_EQ(read_message_text(&shortOne, &text), B_OK);
	EXPECT_EQ(text, "short one");

	// Past the most a text entry keeps, the rest is dropped, not silently.
	std::string huge(kMaxMessageText + 10, 'x');
	DaemonRun run = run_daemon({"a", "b", Message("huge", huge)});
	EXPECT_EQ(run.status, 0);
	EXPECT_NE(run.errors.find("longer than"), std::string::npos) << run.errors;
	Tliste rec = Record(5);
	EXPECT_EQ(read_message_text(&rec, &text), B_OK);
	EXPECT_EQ((size_t)text.Length(), kMaxMessageText);
}

TEST_F(Intake, NamesTravelWithTheRecord)
{
	const std::string sender = "it's \"me\" $(rm -rf /); `x` & y";
	ASSERT_EQ(run_daemon({sender, "PC1", Message("m1", "one")}).status, 0);
	ASSERT_EQ(run_daemon({"bob", "PC1", Message("m2", "two"), "everybody", "ignored"}).status, 0);
	ASSERT_EQ(run_daemon({std::string(400, 'L'), "PC1", Message("m3", "one")}).status, 0);

	BString from, to, realfrom;
	Tliste rec = Record(1);
	EXPECT_EQ(read_message_names(&rec, &from, &to, &realfrom), B_OK);
	EXPECT_EQ(std::string(from.String()), sender);
	EXPECT_EQ(to, "PC1");
	EXPECT_EQ(realfrom, "PC1");

	rec = Record(2);
	EXPECT_EQ(read_message_names(&rec, &from, &to, &realfrom), B_OK);
	EXPECT_EQ(from, "bob");
	EXPECT_EQ(to, "everybody");
	EXPECT_EQ(realfrom, "PC1");

	// Same text as record 1, another sender: each record finds its own.
	rec = Record(3);
	EXPECT_EQ(read_message_names(&rec, &from, NULL, NULL), B_OK);
	EXPECT_EQ(std::string(from.String()), std::string(255, 'L'));
}

TEST_F(Intake, UnreadableMessageFileIsReportedAndStoresNothing)
{
	std::string missing = fVolume.Root() + "/tmp/x";
	DaemonRun run = run_daemon({"a", "b", missing});
	EXPECT_EQ(run.status, 1);
	EXPECT_EQ(run.output, "Can't read file " + missing + " \n");
	EXPECT_FALSE(TempBootVolume::Exists(fVolume.DataFile()));

	ASSERT_EQ(run_daemon({"a", "b", Message("m", "kept")}).status, 0);
	std::string before = Data();
	run = run_daemon({"a", "b", fVolume.Root() + "/tmp"});
	EXPECT_EQ(run.status, 1);
	EXPECT_EQ(run.output, "Can't read file " + fVolume.Root() + "/tmp \n");
	EXPECT_EQ(Data(), before);
}

TEST_F(Intake, DataFileThatCannotBeWrittenIsReported)
{
	std::string message = Message("m", "lost?");
	ASSERT_EQ(symlink("/dev/full", fVolume.DataFile().c_str()), 0);
	DaemonRun run = run_daemon({"a", "b", message});
	EXPECT_EQ(run.status, 1);
	EXPECT_EQ(run.output, "Can't write file " + fVolume.DataFile() + " \n");

	// No home folder at all.
	unlink(fVolume.DataFile().c_str());
	unlink(fVolume.NamesFile().c_str());
	ASSERT_EQ(rmdir((fVolume.Root() + "/home").c_str()), 0);
	run = run_daemon({"a", "b", message});
	EXPECT_EQ(run.status, 1);
	EXPECT_EQ(run.output, "Can't write file " + fVolume.DataFile() + " \n");
}

TEST_F(Intake, ShortWriteLeavesNoTornRecord)
{
	ASSERT_EQ(run_daemon({"a", "b", Message("m1", "first")}).status, 0);
	std::string before = Data();
	DaemonOptions options;
	options.fileSizeLimit = 1032 + 500;
	DaemonRun run = run_daemon({"a", "b", Message("m2", "second")}, options);
	EXPECT_EQ(run.status, 1);
	EXPECT_EQ(run.output, "Can't write file " + fVolume.DataFile() + " \n");
	EXPECT_EQ(Data(), before);

	ASSERT_EQ(run_daemon({"a", "b", Message("m3", "third")}).status, 0);
	EXPECT_EQ(Data().size(), 2064u);
	EXPECT_EQ(text_of(Record(2)), "third");
}

TEST_F(Intake, ConcurrentIntakesLeaveEveryRecordWhole)
{
	const int kProcesses = 8;
	const int kMessages = 50;
	std::vector<std::string> files;
	for (int p = 0; p < kProcesses; p++) {
		for (int m = 0; m < kMessages; m++) {
			std::string text = "message " + std::to_string(m) + " of sender " + std::to_string(p)
				+ std::string(100 + p * 100, '.');
			files.push_back(Message(std::to_string(p) + "-" + std::to_string(m), text));
		}
	}
	std::vector<std::thread> senders;
	std::vector<int> failures(kProcesses, 0);
	for (int p = 0; p < kProcesses; p++) {
		senders.emplace_back([&, p] {
			for (int m = 0; m < kMessages; m++) {
				DaemonRun run = run_daemon(
					{"sender" + std::to_string(p), "to" + std::to_string(m), files[p * kMessages + m]});
				failures[p] += run.status != 0;
			}
		});
	}
	for (std::thread& sender : senders)
		sender.join();
	for (int p = 0; p < kProcesses; p++)
		EXPECT_EQ(failures[p], 0);

	ASSERT_EQ(Data().size(), (size_t)kProcesses * kMessages * 1032);
	std::set<std::pair<int, int>> seen;
	for (int i = 1; i <= kProcesses * kMessages; i++) {
		Tliste rec = Record(i);
		int m = -1;
		int p = -1;
		ASSERT_EQ(sscanf(rec.message, "message %d of sender %d", &m, &p), 2) << i;
		ASSERT_TRUE(p >= 0 && p < kProcesses && m >= 0 && m < kMessages) << i;
		EXPECT_EQ(text_of(rec), TempBootVolume::Read(files[p * kMessages + m])) << i;
		EXPECT_EQ(rec.is_new, 1);
		BString from, to;
		EXPECT_EQ(read_message_names(&rec, &from, &to, NULL), B_OK) << i;
		EXPECT_EQ(std::string(from.String()), "sender" + std::to_string(p)) << i;
		EXPECT_EQ(std::string(to.String()), "to" + std::to_string(m)) << i;
		seen.insert({p, m});
	}
	EXPECT_EQ(seen.size(), (size_t)kProcesses * kMessages);
}

TEST_F(Intake, RaggedDataFileIsPaddedBackOntoTheRecordGrid)
{
	ASSERT_EQ(run_daemon({"a", "b", Message("m1", "first")}).status, 0);
	// Stray bytes at the end, as a torn write of an older program leaves.
	std::string ragged = Data() + std::string(100, 'z');
	fVolume.Write("home/murmelo.dat", ragged);

	DaemonRun run = run_daemon({"carol", "PC1", Message("m2", "after the tail")});
	EXPECT_EQ(run.status, 0);
	EXPECT_EQ(run.output, "");
	EXPECT_NE(run.errors.find("off the record grid"), std::string::npos) << run.errors;
	std::string data = Data();
	ASSERT_EQ(data.size(), 3u * 1032);
	// The old tail stays; the zeros after it make a slot readers skip.
	EXPECT_EQ(data.compare(0, ragged.size(), ragged), 0);
	Tliste junk = Record(2);
	EXPECT_EQ(junk.is_new, 0);
	Tliste rec = Record(3);
	EXPECT_EQ(text_of(rec), "after the tail");
	EXPECT_EQ(rec.is_new, 1);
	BString from;
	EXPECT_EQ(read_message_names(&rec, &from, NULL, NULL), B_OK);
	EXPECT_EQ(from, "carol");

	// Back on the grid: said once, not again.
	run = run_daemon({"dave", "PC1", Message("m3", "next")});
	EXPECT_EQ(run.status, 0);
	EXPECT_EQ(run.errors, "");
	EXPECT_EQ(Data().size(), 4u * 1032);
	EXPECT_EQ(text_of(Record(4)), "next");
}

TEST_F(Intake, NamesThatCannotBeWrittenStillStoreTheRecordAndSaySo)
{
	// A folder where the names file should be: not writable even by root.
	ASSERT_EQ(mkdir(fVolume.NamesFile().c_str(), 0755), 0);
	DaemonRun run = run_daemon({"alice", "PC1", Message("m1", "kept anyway")});
	EXPECT_EQ(run.status, 1);
	EXPECT_EQ(run.errors, "Can't write file " + fVolume.NamesFile() + "\n");
	ASSERT_EQ(Data().size(), 1032u);
	Tliste rec = Record(1);
	EXPECT_EQ(text_of(rec), "kept anyway");
	EXPECT_EQ(rec.is_new, 1);
	BString from;
	read_message_names(&rec, &from, NULL, NULL);
	EXPECT_EQ(from, "unknown");
}

TEST_F(Intake, FifosAreRefusedWithoutWaiting)
{
	auto runBounded = [](const std::vector<std::string>& arguments) {
		DaemonProcess process(arguments);
		for (int i = 0; i < 1000 && process.Running(); i++)
			usleep(10000);
		bool hung = process.Running();
		int status = process.Wait();
		return std::make_pair(hung ? -1000 : status, process.ReadOutput());
	};

	// As the message file: nobody will ever write to it.
	std::string fifo = fVolume.Root() + "/tmp/fifo";
	Message("m", "");
	ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
	auto [status, output] = runBounded({"a", "b", fifo});
	EXPECT_EQ(status, 1);
	EXPECT_EQ(output, "Can't read file " + fifo + " \n");
	EXPECT_FALSE(TempBootVolume::Exists(fVolume.DataFile()));

	// As the data file, and as the names file.
	std::string message = Message("m", "text");
	ASSERT_EQ(mkfifo(fVolume.DataFile().c_str(), 0600), 0);
	std::tie(status, output) = runBounded({"a", "b", message});
	EXPECT_EQ(status, 1);
	EXPECT_EQ(output, "Can't write file " + fVolume.DataFile() + " \n");
	unlink(fVolume.DataFile().c_str());
	unlink(fVolume.NamesFile().c_str());
	ASSERT_EQ(mkfifo(fVolume.NamesFile().c_str(), 0600), 0);
	std::tie(status, output) = runBounded({"a", "b", message});
	EXPECT_EQ(status, 1);
	EXPECT_EQ(text_of(Record(1)), "text");
}

TEST_F(Intake, RecordsToolShowsEscapesOfSenderAndText)
{
	ASSERT_EQ(run_daemon({"evil\x1b]0;x\x07", "PC1", Message("m1", "hi\x1b[2J there\r\n")}).status,
		0);
	std::string tool = std::string(MURMELO_BINARY_DIR) + "/tools/murmelo-records";
	std::string data = fVolume.DataFile();
	int ends[2];
	ASSERT_EQ(pipe(ends), 0);
	pid_t pid = fork();
	if (pid == 0) {
		dup2(ends[1], STDOUT_FILENO);
		execl(tool.c_str(), tool.c_str(), data.c_str(), (char*)NULL);
		_exit(127);
	}
	close(ends[1]);
	std::string output;
	char buffer[4096];
	ssize_t got;
	while ((got = read(ends[0], buffer, sizeof(buffer))) > 0)
		output.append(buffer, got);
	close(ends[0]);
	int status;
	ASSERT_EQ(waitpid(pid, &status, 0), pid);
	EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	EXPECT_EQ(output.find('\x1b'), std::string::npos) << output;
	EXPECT_NE(output.find("from \"evil^[]0;x^G\" to \"PC1\", new\nhi^[[2J there\r\n"),
		std::string::npos)
		<< output;
}
