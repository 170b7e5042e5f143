// Node monitoring over inotify: what a looper hears when a watched file
// grows, when entries come and go in a watched folder, and that it hears
// nothing more once it stops watching.

#include <AppDefs.h>
#include <Looper.h>
#include <NodeMonitor.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

int64
int64_field(const BMessage& message, const char* name)
{
	int64 value = -1;
	message.FindInt64(name, &value);
	return value;
}

class MonitorLooper : public BLooper {
public:
	MonitorLooper() : BLooper("monitor") {}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != B_NODE_MONITOR)
			return BLooper::MessageReceived(message);
		std::lock_guard<std::mutex> lock(fLock);
		fHeard.push_back(*message);
		fChanged.notify_all();
	}

	// Waits for a message with this opcode (and name, if given); the
	// readiness signal is the message itself.
	bool WaitFor(int32 opcode, const char* name = NULL, BMessage* found = NULL)
	{
		std::unique_lock<std::mutex> lock(fLock);
		return fChanged.wait_for(lock, std::chrono::seconds(10), [&] {
			for (const BMessage& message : fHeard) {
				const char* heard = NULL;
				message.FindString("name", &heard);
				if (message.GetInt32("opcode", -1) == opcode
					&& (name == NULL || (heard != NULL && strcmp(heard, name) == 0))) {
					if (found != NULL)
						*found = message;
					return true;
				}
			}
			return false;
		});
	}

	size_t Count()
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fHeard.size();
	}

	void Forget()
	{
		std::lock_guard<std::mutex> lock(fLock);
		fHeard.clear();
	}

private:
	std::mutex fLock;
	std::condition_variable fChanged;
	std::vector<BMessage> fHeard;
};

class NodeMonitorTest : public testing::Test {
protected:
	void SetUp() override
	{
		char pattern[] = "/tmp/murmelo-monitor-XXXXXX";
		fFolder = mkdtemp(pattern);
		fLooper = new MonitorLooper;
		fLooper->Run();
	}

	void TearDown() override
	{
		stop_watching(fLooper);
		fLooper->Lock();
		fLooper->Quit();
		system(("rm -rf '" + fFolder + "'").c_str());
	}

	void Append(const std::string& path, const char* bytes)
	{
		int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
		ASSERT_GE(fd, 0);
		ASSERT_EQ(write(fd, bytes, strlen(bytes)), (ssize_t)strlen(bytes));
		close(fd);
	}

	std::string fFolder;
	MonitorLooper* fLooper = NULL;
};

} // namespace

TEST_F(NodeMonitorTest, AWatchedFileThatGrowsReportsItsStat)
{
	std::string file = fFolder + "/data";
	Append(file, "first");
	node_ref ref;
	ASSERT_EQ(BNode(file.c_str()).GetNodeRef(&ref), B_OK);
	ASSERT_EQ(watch_node(&ref, B_WATCH_STAT, fLooper), B_OK);

	Append(file, "second");
	BMessage heard;
	ASSERT_TRUE(fLooper->WaitFor(B_STAT_CHANGED, NULL, &heard));
	EXPECT_EQ(int64_field(heard, "node"), (int64)ref.node);
	EXPECT_TRUE(heard.GetInt32("fields", 0) & B_STAT_SIZE);

	// Once stopped, a change is heard by nobody: a second, still watched
	// file proves the monitor ran past it.
	std::string other = fFolder + "/other";
	Append(other, "x");
	node_ref otherRef;
	ASSERT_EQ(BNode(other.c_str()).GetNodeRef(&otherRef), B_OK);
	MonitorLooper* witness = new MonitorLooper;
	witness->Run();
	ASSERT_EQ(watch_node(&otherRef, B_WATCH_STAT, witness), B_OK);
	ASSERT_EQ(watch_node(&ref, B_STOP_WATCHING, fLooper), B_OK);
	fLooper->Forget();
	Append(file, "third");
	Append(other, "y");
	EXPECT_TRUE(witness->WaitFor(B_STAT_CHANGED));
	EXPECT_EQ(fLooper->Count(), 0u);
	stop_watching(witness);
	witness->Lock();
	witness->Quit();
}

TEST_F(NodeMonitorTest, AWatchedFolderReportsEntriesCreatedMovedAndRemoved)
{
	node_ref folder;
	ASSERT_EQ(BNode(fFolder.c_str()).GetNodeRef(&folder), B_OK);
	ASSERT_EQ(watch_node(&folder, B_WATCH_DIRECTORY, fLooper), B_OK);

	Append(fFolder + "/murmelo.dat", "record");
	BMessage created;
	ASSERT_TRUE(fLooper->WaitFor(B_ENTRY_CREATED, "murmelo.dat", &created));
	EXPECT_EQ(int64_field(created, "directory"), (int64)folder.node);
	EXPECT_GT(int64_field(created, "node"), 0);

	ASSERT_EQ(rename((fFolder + "/murmelo.dat").c_str(), (fFolder + "/old.dat").c_str()), 0);
	EXPECT_TRUE(fLooper->WaitFor(B_ENTRY_MOVED, "old.dat"));
	ASSERT_EQ(unlink((fFolder + "/old.dat").c_str()), 0);
	EXPECT_TRUE(fLooper->WaitFor(B_ENTRY_REMOVED, "old.dat"));
}

TEST_F(NodeMonitorTest, NodesThatAreGoneOrNotFromTheKitAreRefused)
{
	node_ref nothing;
	EXPECT_EQ(watch_node(&nothing, B_WATCH_STAT, fLooper), B_BAD_VALUE);
	std::string file = fFolder + "/gone";
	Append(file, "x");
	node_ref ref;
	ASSERT_EQ(BNode(file.c_str()).GetNodeRef(&ref), B_OK);
	unlink(file.c_str());
	EXPECT_NE(watch_node(&ref, B_WATCH_STAT, fLooper), B_OK);
	EXPECT_EQ(watch_node(&ref, B_WATCH_MOUNT, fLooper), B_UNSUPPORTED);
}
