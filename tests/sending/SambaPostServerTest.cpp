// samba_post with today's smbclient against a real smbd on loopback. The
// client is given a configuration of its own that resolves names only by
// broadcast on the loopback interface, so nothing leaves the machine.

#include "Process.h"
#include <PrivateSamba.h>
#include "SambaAlert.h"

#include <MessageNames.h>
#include <SambaPost.h>
#include <Tliste.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>


#include <fstream>
#include <string>
#include <vector>

namespace {

enum ServerState { kStopped, kTakesMessages, kRefusesMessages };

std::string
script()
{
	return std::string(MURMELO_SOURCE_DIR) + "/scripts/private-samba";
}

// Another test run's server may hold the port for a while.
bool
wait_for_free_port()
{
	for (int i = 0; i < 600 && PrivateSamba::PortTaken(); i++)
		usleep(100000);
	return !PrivateSamba::PortTaken();
}

class SambaServer : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sDir = new TempDir("murmelo-samba-post");
		// The server's guest account runs the daemon inside.
		chmod(sDir->Path().c_str(), 0755);
		std::ofstream(sDir->Path() + "/client.conf") << "[global]\n"
			"\tname resolve order = bcast\n"
			"\tinterfaces = 127.0.0.1/8\n"
			"\tbind interfaces only = yes\n";
		setenv("SMB_CONF_PATH", (sDir->Path() + "/client.conf").c_str(), 1);
		setenv("BE_BOOT_VOLUME", (sDir->Path() + "/server/boot").c_str(), 1);
		sApp = new BTest::HeadlessApp();
	}

	static void TearDownTestSuite()
	{
		Switch(kStopped);
		delete sApp;
		sApp = NULL;
		unsetenv("SMB_CONF_PATH");
		unsetenv("BE_BOOT_VOLUME");
		delete sDir;
		sDir = NULL;
	}

	void SetUp() override
	{
		if (getuid() != 0)
			GTEST_SKIP() << "the Samba server needs root";
	}

	// Brings the server into the state a test needs, restarting it only
	// when the state changes.
	static void Switch(ServerState state)
	{
		if (state == sState)
			return;
		std::string server = sDir->Path() + "/server";
		if (sState != kStopped)
			run_process({script(), "stop", server});
		sState = kStopped;
		ASSERT_TRUE(wait_for_free_port()) << "something else listens on 127.0.0.1:139";
		if (state == kStopped)
			return;
		std::vector<std::string> environment;
		if (state == kRefusesMessages)
			environment.push_back("MURMELO_NO_MESSAGE_COMMAND=1");
		ProcessResult started = run_process(
			{script(), "start", server, std::string(MURMELO_TREE) + "/daemon/Murmelod"}, "",
			environment);
		ASSERT_EQ(started.status, 0) << started.output;
		sState = state;
	}

	static std::vector<Tliste> Records()
	{
		std::string data = read_file(sDir->Path() + "/server/boot/home/murmelo.dat");
		std::vector<Tliste> records(data.size() / sizeof(Tliste));
		memcpy(records.data(), data.data(), records.size() * sizeof(Tliste));
		return records;
	}

	// smbd runs its message command after it has answered the client.
	static std::vector<Tliste> WaitForRecords(size_t count)
	{
		std::vector<Tliste> records;
		for (int i = 0; i < 500 && (records = Records()).size() < count; i++)
			usleep(20000);
		return records;
	}

	// Sends as the private popup window does, and answers the alert the
	// user then sees.
	static ShownAlert Post(const char* destination, const char* text, const char* sender,
		const char* screenshot)
	{
		samba_post(destination, text, sender);
		return take_samba_alert(screenshot);
	}

	static TempDir* sDir;
	static inline BTest::HeadlessApp* sApp = NULL;
	static ServerState sState;
};

TempDir* SambaServer::sDir = NULL;
ServerState SambaServer::sState = kStopped;

} // namespace

TEST_F(SambaServer, ASentMessageArrivesWithItsSender)
{
	Switch(kTakesMessages);
	size_t before = Records().size();
	ShownAlert alert = Post("127.0.0.1", "hello from samba_post", "alice", "samba_post_real_sent");
	EXPECT_EQ(alert.title, "Pingbox") << alert.text;
	EXPECT_EQ(alert.text, "\n\nMessage succesfully sent.");
	EXPECT_EQ(alert.button, "ok");
	std::vector<Tliste> records = WaitForRecords(before + 1);
	ASSERT_EQ(records.size(), before + 1);
	EXPECT_STREQ(records.back().message, "hello from samba_post");
	BString from;
	ASSERT_EQ(read_message_names(&records.back(), &from, NULL, NULL), B_OK);
	EXPECT_STREQ(from.String(), "alice");
}

TEST_F(SambaServer, ShellCharactersArriveAsTypedAndRunNothing)
{
	Switch(kTakesMessages);
	TempDir traps("murmelo-traps");
	const std::string text = "\"double\" 'single' `touch " + traps.Path() + "/backtick` $(touch "
		+ traps.Path() + "/dollar) ; touch " + traps.Path() + "/semicolon > " + traps.Path()
		+ "/redirect & echo $HOME | cat < /etc/passwd";
	size_t before = Records().size();
	ShownAlert alert = Post("127.0.0.1", text.c_str(), "mallory", NULL);
	EXPECT_EQ(alert.title, "Pingbox") << alert.text;
	std::vector<Tliste> records = WaitForRecords(before + 1);
	ASSERT_EQ(records.size(), before + 1);
	EXPECT_EQ(std::string(records.back().message), text);
	for (const char* trap : {"backtick", "dollar", "semicolon", "redirect"}) {
		struct stat info;
		EXPECT_NE(stat((traps.Path() + "/" + trap).c_str(), &info), 0) << trap;
	}
}

TEST_F(SambaServer, AServerWithoutMessageCommandRefuses)
{
	Switch(kRefusesMessages);
	ShownAlert alert = Post("127.0.0.1", "nobody listens", "alice", "samba_post_real_refused");
	EXPECT_EQ(alert.title, "error");
	EXPECT_EQ(alert.text, "\n\n127.0.0.1 can't receive\nwinpopup messages.");
	EXPECT_EQ(alert.button, "oki");
}

TEST_F(SambaServer, AnUnknownNameIsAnUnknownHost)
{
	ShownAlert alert = Post("NOSUCHMACHINE", "anyone?", "alice", "samba_post_real_unknown");
	EXPECT_EQ(alert.title, "error");
	EXPECT_EQ(alert.text, "\n\nUnknown host : NOSUCHMACHINE");
}

TEST_F(SambaServer, ARefusedConnectionIsUnreachable)
{
	Switch(kStopped);
	ShownAlert alert = Post("127.0.0.1", "is it on?", "alice", "samba_post_real_unreachable");
	EXPECT_EQ(alert.title, "error");
	EXPECT_EQ(alert.text, "\n\nHost unreachable: 127.0.0.1");
	// What today's client says, for the record.
	samba_reply reply;
	ASSERT_EQ(samba_run("127.0.0.1", "x", "alice", &reply), B_OK);
	EXPECT_NE(strstr(reply.output, "NT_STATUS_CONNECTION_REFUSED"), nullptr) << reply.output;
}
