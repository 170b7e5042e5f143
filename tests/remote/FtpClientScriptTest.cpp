// The client against servers that misbehave in ways no real server does on
// request: Telnet negotiation, replies cut anywhere, connections that close
// or go silent. The servers are scripts on loopback.
#include "FtpClient.h"
#include "FtpClientProbe.h"
#include "ScriptedServer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const char* kClosed = "Remote host has closed the connection.\n";

std::string
read_file(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	return content.str();
}

void
write_file(const std::string& path, const std::string& content)
{
	std::ofstream(path, std::ios::binary) << content;
}

// A client whose control connection is one end of a socket pair; the test
// holds the other end and has already written what the "server" says.
struct ReaderSetup {
	FtpClient client;
	int peer = -1;

	explicit ReaderSetup(const std::string& serverBytes)
	{
		int ends[2];
		EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
		FtpClientProbe::AdoptControl(client, ends[0]);
		peer = ends[1];
		ScriptSession::SendOn(peer, serverBytes);
		shutdown(peer, SHUT_WR);
	}
	~ReaderSetup() { close(peer); }

	bool Reply(std::string& text, int& code, int& codeClass)
	{
		return FtpClientProbe::GetReply(client, text, code, codeClass);
	}

	std::string Answers()
	{
		std::string bytes;
		char buffer[64];
		ssize_t received;
		while ((received = recv(peer, buffer, sizeof(buffer), MSG_DONTWAIT)) > 0)
			bytes.append(buffer, received);
		return bytes;
	}
};

class FtpScriptTest : public testing::Test {
protected:
	void SetUp() override
	{
		char pattern[] = "/tmp/murmelo-ftp-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		fFolder = pattern;
	}
	void TearDown() override { std::filesystem::remove_all(fFolder); }

	std::string Local(const char* name) { return fFolder + "/" + name; }

	std::string fFolder;
};

} // namespace

TEST(FtpReplyReader, ReadsSingleAndMultiLineRepliesAndNothingPastThem)
{
	ReaderSetup setup("220 ready\r\n"
					  "230-Welcome\r\n231 x\r\n230-x\r\n230 done\r\n"
					  "22\r\n"
					  "ok\n");
	std::string text;
	int code = 0;
	int codeClass = 0;
	EXPECT_TRUE(setup.Reply(text, code, codeClass));
	EXPECT_EQ(text, "220 ready\n");
	EXPECT_EQ(code, 220);
	EXPECT_EQ(codeClass, 2);

	testing::internal::CaptureStdout();
	EXPECT_TRUE(setup.Reply(text, code, codeClass));
	std::string traced = testing::internal::GetCapturedStdout();
	EXPECT_EQ(text, "230-Welcome\n231 x\n230-x\n230 done\n");
	EXPECT_EQ(code, 230);
	// Each new line shows the whole reply so far again.
	EXPECT_EQ(traced, "230-Welcome\n"
					  "230-Welcome\n231 x\n"
					  "230-Welcome\n231 x\n230-x\n"
					  "230-Welcome\n231 x\n230-x\n230 done\n");

	// Lines too short for a continuation mark are whole replies.
	EXPECT_TRUE(setup.Reply(text, code, codeClass));
	EXPECT_EQ(text, "22\n");
	EXPECT_EQ(code, 22);
	EXPECT_EQ(codeClass, 0);
	EXPECT_TRUE(setup.Reply(text, code, codeClass));
	EXPECT_EQ(text, "ok\n");
	EXPECT_EQ(code, 0);

	EXPECT_FALSE(setup.Reply(text, code, codeClass));
	EXPECT_EQ(text, std::string("ok\n") + kClosed);
	EXPECT_EQ(code, 421);
	EXPECT_EQ(codeClass, 4);
	EXPECT_FALSE(FtpClientProbe::HasControl(setup.client));
	EXPECT_FALSE(FtpClientProbe::Connected(setup.client));
}

TEST(FtpReplyReader, RefusesTelnetOptionsAndKeepsOtherBytes)
{
	// "\xec\x9d\xb4" is a UTF-8 letter whose first byte is the value of the
	// Telnet end-of-file command; without an IAC before it, it is text.
	ReaderSetup setup("\xff\xfb\x01"
					  "220 \xff\xffx\xff\xfd\x03y\xff\xf1z\r\n"
					  "257 \"/\xec\x9d\xb4\"\r\n"
					  "550 end\xff\xec"
					  "200 next\r\n");
	std::string text;
	int code = 0;
	int codeClass = 0;
	EXPECT_TRUE(setup.Reply(text, code, codeClass));
	EXPECT_EQ(text, "220 \xffxy\xf1z\n");
	EXPECT_EQ(setup.Answers(), "\xff\xfe\x01\xff\xfc\x03");
	EXPECT_TRUE(setup.Reply(text, code, codeClass));
	EXPECT_EQ(text, "257 \"/\xec\x9d\xb4\"\n");
	EXPECT_TRUE(setup.Reply(text, code, codeClass));
	EXPECT_EQ(text, "550 end\n");
	EXPECT_EQ(code, 550);
	EXPECT_TRUE(setup.Reply(text, code, codeClass));
	EXPECT_EQ(text, "200 next\n");
}

TEST(FtpReplyReader, ConnectionClosedInsideAReplyEndsTheSession)
{
	ReaderSetup setup("230-partial\r\n230-more");
	std::string text;
	int code = 0;
	int codeClass = 0;
	EXPECT_FALSE(setup.Reply(text, code, codeClass));
	EXPECT_EQ(text, std::string("230-partial\n") + kClosed);
	EXPECT_EQ(code, 421);
	EXPECT_FALSE(FtpClientProbe::HasControl(setup.client));
}

TEST_F(FtpScriptTest, LoginAndDirectoryRequestsOverRepliesCutAnywhere)
{
	ScriptedServer server([](ScriptSession& s) {
		s.Send("\xff\xfb\x01"
			   "22");
		s.Pause(30);
		s.Send("0-hello\r\n22");
		s.Pause(30);
		s.Send("0 ready\r\n");
		s.ReadLine();
		s.Send("331 password please\r\n");
		s.ReadLine();
		s.Send("230 in\r\n");
		s.ReadLine();
		s.Send("250 ok\r\n");
		s.ReadLine();
		s.Send("257 \"/boot/home\" is the current directory\r\n");
		s.ReadLine();
		s.Send("257 no quote at all\r\n");
		s.ReadLine();
		s.Send("250 ok\r\n");
	});
	FtpClient client;
	testing::internal::CaptureStdout();
	EXPECT_TRUE(client.connect(server.Address(), "joe", "s3cret"));
	EXPECT_TRUE(client.cd(""));
	std::string dir = "before";
	EXPECT_TRUE(client.pwd(dir));
	EXPECT_EQ(dir, "/boot/home");
	EXPECT_FALSE(client.pwd(dir));
	EXPECT_EQ(dir, "/boot/home");
	// A line break in an argument would be a request of its own: not sent.
	EXPECT_FALSE(client.cd("x\r\nDELE Murmelo.dat"));
	EXPECT_TRUE(client.cd("end"));
	std::string traced = testing::internal::GetCapturedStdout();

	std::vector<std::string> expected = {
		"\xff\xfe\x01USER joe", "PASS s3cret", "CWD /", "PWD", "PWD", "CWD end"};
	EXPECT_EQ(server.Requests(), expected);
	EXPECT_NE(traced.find("220-hello\n220 ready\n"), std::string::npos);
	EXPECT_NE(traced.find("PASS <suppressed>  (real password sent)\n"), std::string::npos);
	EXPECT_EQ(traced.find("s3cret"), std::string::npos);
}

TEST_F(FtpScriptTest, ServerClosingWhileCdWaitsEndsTheSession)
{
	ScriptedServer server([](ScriptSession& s) {
		script_login(s);
		s.ReadLine();
		s.Close();
	});
	FtpClient client;
	ASSERT_TRUE(client.connect(server.Address(), "joe", "pw"));
	testing::internal::CaptureStdout();
	EXPECT_FALSE(client.cd("/boot/home/"));
	std::string traced = testing::internal::GetCapturedStdout();
	EXPECT_EQ(traced, std::string("CWD /boot/home/\n") + kClosed);
	EXPECT_FALSE(FtpClientProbe::Connected(client));
	std::string dir;
	EXPECT_FALSE(client.pwd(dir));
	EXPECT_FALSE(client.getFile("f", Local("f"), FtpClient::binary_mode));
	EXPECT_FALSE(std::filesystem::exists(Local("f")));
	EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(FtpScriptTest, SilentServerTimesOutAndBusyGreetingRefusesLogin)
{
	ScriptedServer silent([](ScriptSession& s) {
		script_login(s);
		s.ReadLine();
		// Nothing more is said; the client has to give up by itself.
		EXPECT_EQ(s.ReadLine(), "<eof>");
	});
	ScriptedServer busy([](ScriptSession& s) { s.Send("421 busy\r\n"); });
	FtpClient client;
	client.setTimeout(200000);
	ASSERT_TRUE(client.connect(silent.Address(), "joe", "pw"));
	EXPECT_FALSE(client.cd("somewhere"));
	EXPECT_FALSE(FtpClientProbe::HasControl(client));
	EXPECT_FALSE(client.connect(busy.Address(), "joe", "pw"));
	EXPECT_FALSE(FtpClientProbe::HasControl(client));
	EXPECT_FALSE(FtpClientProbe::Connected(client));
}

TEST_F(FtpScriptTest, PassiveModeConnectsWhereTheReplySaysAndFallsBackToActive)
{
	ScriptedServer server([](ScriptSession& s) {
		script_login(s);
		// Passive, to an address that is not the control connection's.
		s.ReadLine();
		s.Send("200 binary\r\n");
		s.ReadLine();
		int port = 0;
		int listener = ScriptSession::ListenOn("127.0.0.2", port);
		s.Send("227 Entering Passive Mode (127,0,0,2," + std::to_string(port / 256) + ","
			+ std::to_string(port % 256) + ").\r\n");
		s.ReadLine();
		int data = ScriptSession::AcceptOn(listener);
		s.Send("150 here it comes\r\n");
		ScriptSession::SendOn(data, "passive data");
		close(data);
		close(listener);
		s.Send("226 done\r\n");
		// A PASV reply without the numbers: active mode from now on.
		s.ReadLine();
		s.Send("200 binary\r\n");
		s.ReadLine();
		s.Send("227 no numbers here\r\n");
		std::string portRequest = s.ReadLine();
		s.Send("200 port ok\r\n");
		s.ReadLine();
		s.Send("150 here it comes\r\n");
		data = s.ConnectData(portRequest);
		ScriptSession::SendOn(data, "active data");
		close(data);
		s.Send("226 done\r\n");
		// A refused PASV fails the transfer and leaves the mode alone.
		s.ReadLine();
		s.Send("200 binary\r\n");
		s.ReadLine();
		s.Send("502 no passive mode here\r\n");
	});
	FtpClient client;
	ASSERT_TRUE(client.connect(server.Address(), "joe", "pw"));
	client.setPassive(true);
	EXPECT_TRUE(client.getFile("a", Local("a"), FtpClient::binary_mode));
	EXPECT_EQ(read_file(Local("a")), "passive data");
	EXPECT_TRUE(client.getFile("b", Local("b"), FtpClient::binary_mode));
	EXPECT_EQ(read_file(Local("b")), "active data");
	EXPECT_FALSE(FtpClientProbe::Passive(client));
	client.setPassive(true);
	EXPECT_FALSE(client.getFile("c", Local("c"), FtpClient::binary_mode));
	EXPECT_TRUE(FtpClientProbe::Passive(client));

	const std::vector<std::string>& requests = server.Requests();
	ASSERT_EQ(requests.size(), 11u);
	EXPECT_EQ(requests[3], "PASV");
	EXPECT_EQ(requests[6], "PASV");
	EXPECT_EQ(requests[7].substr(0, 15), "PORT 127,0,0,1,");
	EXPECT_EQ(requests[10], "PASV");
}

TEST_F(FtpScriptTest, AsciiDownloadDropsCRsWhereverTheDataIsCut)
{
	ScriptedServer server([](ScriptSession& s) {
		script_login(s);
		s.ReadLine();
		s.Send("200 ascii\r\n");
		std::string portRequest = s.ReadLine();
		s.Send("200 port ok\r\n");
		s.ReadLine();
		s.Send("150 here it comes\r\n");
		int data = s.ConnectData(portRequest);
		ScriptSession::SendOn(data, "a\r");
		s.Pause(50);
		ScriptSession::SendOn(data, "\nb\r");
		s.Pause(50);
		ScriptSession::SendOn(data, "\r\nc\r");
		close(data);
		s.Send("226 done\r\n");
	});
	FtpClient client;
	ASSERT_TRUE(client.connect(server.Address(), "joe", "pw"));
	EXPECT_TRUE(client.getFile("text", Local("text"), FtpClient::ascii_mode));
	// Cut anywhere, a CR LF is an LF, a CR CR is a CR, and a CR at the very
	// end is dropped.
	EXPECT_EQ(read_file(Local("text")), "a\nb\r\nc");
}

TEST_F(FtpScriptTest, FailedTransfersReportFailureAndKeepTheDialogueInStep)
{
	ScriptedServer server([](ScriptSession& s) {
		script_login(s);
		// The upload arrives, but the server cannot keep it.
		s.ReadLine();
		s.Send("200 ascii\r\n");
		std::string portRequest = s.ReadLine();
		s.Send("200 port ok\r\n");
		s.ReadLine();
		s.Send("150 send it\r\n");
		int data = s.ConnectData(portRequest);
		EXPECT_EQ(ScriptSession::ReadAll(data), "x\r\ny");
		close(data);
		s.Send("451 disk full\r\n");
		// The data connection is promised and never made.
		s.ReadLine();
		s.Send("200 binary\r\n");
		s.ReadLine();
		s.Send("200 port ok\r\n");
		s.ReadLine();
		s.Send("150 here it comes\r\n");
		// After the client stopped waiting for the connection, but before it
		// stops waiting for this reply.
		s.Pause(750);
		s.Send("425 no data connection\r\n");
		// The data stops half-way.
		s.ReadLine();
		s.Send("200 binary\r\n");
		portRequest = s.ReadLine();
		s.Send("200 port ok\r\n");
		s.ReadLine();
		s.Send("150 here it comes\r\n");
		data = s.ConnectData(portRequest);
		ScriptSession::SendOn(data, "only the first half");
		ScriptSession::ReadAll(data);
		close(data);
		s.Send("426 transfer aborted\r\n");
		s.ReadLine();
		s.Send("250 still in step\r\n");
	});
	write_file(Local("up"), "x\ny");
	write_file(Local("old"), "an older copy");
	FtpClient client;
	client.setTimeout(500000);
	ASSERT_TRUE(client.connect(server.Address(), "joe", "pw"));
	EXPECT_FALSE(client.putFile(Local("up"), "up", FtpClient::ascii_mode));
	EXPECT_FALSE(client.getFile("never", Local("never"), FtpClient::binary_mode));
	EXPECT_FALSE(std::filesystem::exists(Local("never")));
	EXPECT_FALSE(client.getFile("half", Local("old"), FtpClient::binary_mode));
	// The half that came does not reach the earlier copy.
	EXPECT_EQ(read_file(Local("old")), "an older copy");
	EXPECT_TRUE(client.cd("next"));
	EXPECT_EQ(server.Requests().back(), "CWD next");
}
