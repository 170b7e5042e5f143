// The receiving road with the real Samba server: smbclient -M sends, smbd
// runs the installed Murmelod as its message command, and the record lands
// in the data file.

#include "Process.h"

#include <MessageNames.h>
#include <Tliste.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

namespace {

const char* kServerName = "MURMELOTEST";

std::string
script()
{
	return std::string(MURMELO_SOURCE_DIR) + "/scripts/private-samba";
}

std::set<std::string>
samba_temp_files()
{
	std::set<std::string> files;
	if (DIR* dir = opendir("/tmp")) {
		while (struct dirent* entry = readdir(dir)) {
			if (strncmp(entry->d_name, "msg.", 4) == 0)
				files.insert(entry->d_name);
		}
		closedir(dir);
	}
	return files;
}

class SambaTest : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sDir = new TempDir("murmelo-samba");
		ProcessResult started = run_process({script(), "start", sDir->Path(),
			std::string(MURMELO_TREE) + "/daemon/Murmelod", kServerName});
		sStarted = started.status == 0;
		sStartOutput = started.output;
		setenv("BE_BOOT_VOLUME", (sDir->Path() + "/boot").c_str(), 1);
	}

	static void TearDownTestSuite()
	{
		run_process({script(), "stop", sDir->Path()});
		unsetenv("BE_BOOT_VOLUME");
		delete sDir;
	}

	void SetUp() override
	{
		if (getuid() != 0)
			GTEST_SKIP() << "the Samba server needs root";
		ASSERT_TRUE(sStarted) << sStartOutput;
		// Each test starts from an empty data file.
		for (const char* file : {"/boot/home/murmelo.dat", "/boot/home/murmelo.dat.names"})
			ASSERT_EQ(truncate((sDir->Path() + file).c_str(), 0), 0);
	}

	static ProcessResult Send(const std::string& sender, const std::string& text)
	{
		return run_process({"smbclient", "-M", kServerName, "-I", "127.0.0.1", "-U", sender, "-N"},
			text);
	}

	static std::vector<Tliste> Records()
	{
		std::string data = read_file(sDir->Path() + "/boot/home/murmelo.dat");
		std::vector<Tliste> records(data.size() / sizeof(Tliste));
		memcpy(records.data(), data.data(), records.size() * sizeof(Tliste));
		return records;
	}

	static bool WaitForRecords(size_t count)
	{
		// smbd runs the command after it has answered the client.
		for (int i = 0; i < 500; i++) {
			if (Records().size() >= count)
				return true;
			usleep(20000);
		}
		return false;
	}

	static std::string Text(const Tliste& record)
	{
		return std::string(record.message, strnlen(record.message, sizeof(record.message)));
	}

	static TempDir* sDir;
	static bool sStarted;
	static std::string sStartOutput;
};

TempDir* SambaTest::sDir = NULL;
bool SambaTest::sStarted = false;
std::string SambaTest::sStartOutput;

} // namespace

TEST_F(SambaTest, StoresTextByteForByteWithItsSender)
{
	std::set<std::string> before = samba_temp_files();
	const std::vector<std::string> texts = {
		"plain hello",
		"quotes \"double\" and 'single' and `back`",
		"$(touch /tmp/murmelo-pwned) ; rm -rf / ; echo $HOME & | > <",
		"line one\nline two\n\nline four\n",
		"accents: d\xc3\xa9j\xc3\xa0 vu",
	};
	for (const std::string& text : texts) {
		ProcessResult sent = Send("alice", text);
		ASSERT_EQ(sent.status, 0) << sent.output;
	}
	ASSERT_TRUE(WaitForRecords(texts.size()));
	std::vector<Tliste> records = Records();
	ASSERT_EQ(records.size(), texts.size());
	for (size_t i = 0; i < texts.size(); i++) {
		EXPECT_EQ(Text(records[i]), texts[i]) << "record " << i + 1;
		EXPECT_EQ(records[i].is_new, 1);
		BString from, to;
		ASSERT_EQ(read_message_names(&records[i], &from, &to, NULL), B_OK);
		EXPECT_STREQ(from.String(), "alice");
		EXPECT_STRCASEEQ(to.String(), kServerName);
	}
	EXPECT_NE(access("/tmp/murmelo-pwned", F_OK), 0) << "message text reached a shell";
	// Samba's temporary message files are removed once stored.
	EXPECT_EQ(samba_temp_files(), before);
}

TEST_F(SambaTest, LongMessagesKeepTheirFirstThousandBytes)
{
	std::string text;
	for (int i = 0; i < 1500; i++)
		text += (char)('a' + i % 26);
	ASSERT_EQ(Send("bob smith", text).status, 0);
	ASSERT_TRUE(WaitForRecords(1));
	std::vector<Tliste> records = Records();
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(std::string(records[0].message, 1000), text.substr(0, 1000));
	BString from;
	ASSERT_EQ(read_message_names(&records[0], &from, NULL, NULL), B_OK);
	// Samba hands the sender over with everything but letters and digits
	// replaced.
	EXPECT_STREQ(from.String(), "bob_smith");
}

TEST_F(SambaTest, ManySendersAtOnceLeaveEveryRecordIntact)
{
	const int kSenders = 20;
	const int kMessages = 25;
	std::set<std::string> before = samba_temp_files();
	std::atomic<int> failures{0};
	std::vector<std::thread> senders;
	for (int s = 0; s < kSenders; s++) {
		senders.emplace_back([s, &failures] {
			for (int m = 0; m < kMessages; m++) {
				std::string text = "sender" + std::to_string(s) + " message " + std::to_string(m);
				if (Send("sender" + std::to_string(s), text).status != 0)
					failures++;
			}
		});
	}
	for (std::thread& sender : senders)
		sender.join();
	ASSERT_EQ(failures.load(), 0);
	ASSERT_TRUE(WaitForRecords(kSenders * kMessages));
	usleep(200000);

	std::string data = read_file(sDir->Path() + "/boot/home/murmelo.dat");
	EXPECT_EQ(data.size(), (size_t)kSenders * kMessages * sizeof(Tliste));
	std::map<std::string, int> seen;
	for (const Tliste& record : Records()) {
		std::string text = Text(record);
		seen[text]++;
		BString from;
		ASSERT_EQ(read_message_names(&record, &from, NULL, NULL), B_OK) << text;
		EXPECT_EQ(text.substr(0, text.find(' ')), std::string(from.String()));
		EXPECT_EQ(record.is_new, 1);
	}
	EXPECT_EQ(seen.size(), (size_t)kSenders * kMessages);
	for (auto& entry : seen)
		EXPECT_EQ(entry.second, 1) << entry.first;
	EXPECT_EQ(samba_temp_files(), before);
}

// The configuration the README gives users: the daemon finds the data file
// through HOME, since Samba runs it as its guest account.
TEST(SambaReadmeConfiguration, StoresIntoTheUsersHomeAndCleansUp)
{
	if (getuid() != 0)
		GTEST_SKIP() << "the Samba server needs root";
	TempDir state("murmelo-samba-readme");
	TempDir home("murmelo-home");
	std::set<std::string> before = samba_temp_files();
	ProcessResult started = run_process({script(), "start", state.Path(),
		std::string(MURMELO_TREE) + "/daemon/Murmelod", kServerName},
		"", {"MURMELO_HOME=" + home.Path()});
	ASSERT_EQ(started.status, 0) << started.output;
	std::string smbConf = read_file(state.Path() + "/smb.conf");
	EXPECT_NE(smbConf.find("message command = /bin/sh -c 'HOME=" + home.Path()), std::string::npos);

	ProcessResult sent = run_process(
		{"smbclient", "-M", kServerName, "-I", "127.0.0.1", "-U", "carol", "-N"}, "to your home");
	EXPECT_EQ(sent.status, 0) << sent.output;
	std::string data;
	for (int i = 0; i < 250 && data.size() < sizeof(Tliste); i++) {
		usleep(20000);
		data = read_file(home.Path() + "/murmelo.dat");
	}
	run_process({script(), "stop", state.Path()});

	ASSERT_EQ(data.size(), sizeof(Tliste));
	Tliste record;
	memcpy(&record, data.data(), sizeof(record));
	EXPECT_STREQ(record.message, "to your home");
	setenv("HOME", home.Path().c_str(), 1);
	unsetenv("BE_BOOT_VOLUME");
	BString from;
	EXPECT_EQ(read_message_names(&record, &from, NULL, NULL), B_OK);
	EXPECT_STREQ(from.String(), "carol");
	EXPECT_EQ(samba_temp_files(), before);
}
