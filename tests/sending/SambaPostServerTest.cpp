// samba_post with today's smbclient against a real smbd on loopback. The
// client is given a configuration of its own that resolves names only by
// broadcast on the loopback interface, so nothing leaves the machine.

#include "Process.h"

#include <MessageNames.h>
#include <SambaPost.h>
#include <Tliste.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

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

// Whether anything answers on 127.0.0.1:139.
bool
port_taken()
{
	int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
	struct sockaddr_in address = {};
	address.sin_family = AF_INET;
	address.sin_port = htons(139);
	address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	bool taken = connect(fd, (struct sockaddr*)&address, sizeof(address)) == 0;
	close(fd);
	return taken;
}

// Another test run's server may hold the port for a while.
bool
wait_for_free_port()
{
	for (int i = 0; i < 600 && port_taken(); i++)
		usleep(100000);
	return !port_taken();
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
	}

	static void TearDownTestSuite()
	{
		Switch(kStopped);
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

	static samba_outcome Send(const char* destination, const char* text, const char* sender,
		samba_reply* reply)
	{
		EXPECT_EQ(samba_run(destination, text, sender, reply), B_OK);
		return samba_classify(*reply);
	}

	static TempDir* sDir;
	static ServerState sState;
};

TempDir* SambaServer::sDir = NULL;
ServerState SambaServer::sState = kStopped;

} // namespace

TEST_F(SambaServer, ASentMessageArrivesWithItsSender)
{
	Switch(kTakesMessages);
	size_t before = Records().size();
	samba_reply reply;
	EXPECT_EQ(Send("127.0.0.1", "hello from samba_post", "alice", &reply), SAMBA_SENT)
		<< reply.output << reply.errors;
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
	samba_reply reply;
	EXPECT_EQ(Send("127.0.0.1", text.c_str(), "mallory", &reply), SAMBA_SENT)
		<< reply.output << reply.errors;
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
	samba_reply reply;
	EXPECT_EQ(Send("127.0.0.1", "nobody listens", "alice", &reply), SAMBA_NOT_ACCEPTED)
		<< reply.output << reply.errors;
	EXPECT_EQ(reply.status, 0);
}

TEST_F(SambaServer, AnUnknownNameIsAnUnknownHost)
{
	samba_reply reply;
	EXPECT_EQ(Send("NOSUCHMACHINE", "anyone?", "alice", &reply), SAMBA_UNKNOWN_HOST)
		<< reply.output << reply.errors;
}

TEST_F(SambaServer, ARefusedConnectionIsUnreachable)
{
	Switch(kStopped);
	samba_reply reply;
	EXPECT_EQ(Send("127.0.0.1", "is it on?", "alice", &reply), SAMBA_UNREACHABLE)
		<< reply.output << reply.errors;
	EXPECT_NE(strstr(reply.output, "NT_STATUS_CONNECTION_REFUSED"), nullptr) << reply.output;
}
