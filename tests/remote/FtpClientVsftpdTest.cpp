// The client against a real vsftpd on loopback.
#include "FtpClient.h"
#include "FtpClientProbe.h"
#include "VsftpdServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

namespace {

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

std::string
random_bytes(size_t size)
{
	std::mt19937 generator(size);
	std::string bytes(size, '\0');
	for (char& byte : bytes)
		byte = (char)generator();
	return bytes;
}

std::string
start(VsftpdServer& server, const std::string& extraConfig)
{
	if (geteuid() != 0)
		return "needs root to make the test user";
	return server.Start(extraConfig);
}

} // namespace

class VsftpdTest : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sServer = new VsftpdServer;
		std::string banner = sServer->Folder() + "/banner";
		write_file(banner, "Murmelo test server\nsecond line\n");
		sProblem = start(*sServer, "banner_file=" + banner + "\n");
		std::filesystem::create_directories(sServer->Root() + "/boot/home");
		VsftpdServer::GiveToUser(sServer->Root() + "/boot/home");
	}

	static void TearDownTestSuite()
	{
		delete sServer;
		sServer = NULL;
	}

	void SetUp() override
	{
		if (!sProblem.empty())
			GTEST_SKIP() << sProblem;
		fHome = sServer->Root() + "/boot/home";
		fLocal = sServer->Folder() + "/local";
		std::filesystem::create_directories(fLocal);
	}

	void TearDown() override
	{
		std::error_code ignored;
		std::filesystem::remove_all(fLocal, ignored);
	}

	bool Login(FtpClient& client)
	{
		return client.connect(sServer->Address(), VsftpdServer::kUser, VsftpdServer::kPassword);
	}

	static VsftpdServer* sServer;
	static std::string sProblem;
	std::string fHome;
	std::string fLocal;
};

VsftpdServer* VsftpdTest::sServer = NULL;
std::string VsftpdTest::sProblem;

TEST_F(VsftpdTest, LogsInWithTheRightPasswordOnly)
{
	FtpClient client;
	testing::internal::CaptureStdout();
	EXPECT_FALSE(client.connect(sServer->Address(), VsftpdServer::kUser, "wrong"));
	EXPECT_FALSE(FtpClientProbe::HasControl(client));
	EXPECT_TRUE(Login(client));
	std::string traced = testing::internal::GetCapturedStdout();
	EXPECT_TRUE(FtpClientProbe::Connected(client));
	EXPECT_NE(traced.find("530 "), std::string::npos);
	EXPECT_NE(traced.find("220-Murmelo test server\n220-second line\n220 \n"), std::string::npos)
		<< traced;
	EXPECT_EQ(traced.find("wrong"), std::string::npos);
	EXPECT_EQ(traced.find(VsftpdServer::kPassword), std::string::npos);
}

TEST_F(VsftpdTest, ChangesListsAndNamesDirectories)
{
	write_file(fHome + "/Murmelo.dat", "data");
	// A name whose UTF-8 holds the byte of the Telnet end-of-file command.
	std::filesystem::create_directories(fHome + "/\xec\x9d\xb4");
	FtpClient client;
	ASSERT_TRUE(Login(client));
	std::string dir;
	EXPECT_TRUE(client.pwd(dir));
	EXPECT_EQ(dir, "/");
	EXPECT_TRUE(client.cd("/boot/home/"));
	EXPECT_TRUE(client.pwd(dir));
	EXPECT_EQ(dir, "/boot/home");
	EXPECT_FALSE(client.cd("/no/such/folder"));

	std::string listing = "kept:";
	EXPECT_TRUE(client.ls(listing));
	EXPECT_EQ(listing.substr(0, 5), "kept:");
	EXPECT_NE(listing.find("Murmelo.dat\r\n"), std::string::npos) << listing;
	client.setPassive(true);
	std::string passiveListing;
	EXPECT_TRUE(client.ls(passiveListing));
	EXPECT_NE(passiveListing.find("Murmelo.dat"), std::string::npos);

	EXPECT_TRUE(client.cd("\xec\x9d\xb4"));
	EXPECT_TRUE(client.pwd(dir));
	EXPECT_EQ(dir, "/boot/home/\xec\x9d\xb4");
	EXPECT_TRUE(client.cd(""));
	EXPECT_TRUE(client.pwd(dir));
	EXPECT_EQ(dir, "/");
}

TEST_F(VsftpdTest, TransfersBinaryAndAsciiFilesInBothModes)
{
	std::string binary = random_bytes(300000);
	std::string text = "line one\nline two\n\nno end";
	write_file(fLocal + "/binary", binary);
	write_file(fLocal + "/text", text);

	for (bool passive : {false, true}) {
		SCOPED_TRACE(passive ? "passive" : "active");
		FtpClient client;
		ASSERT_TRUE(Login(client));
		client.setPassive(passive);
		ASSERT_TRUE(client.cd("/boot/home"));

		EXPECT_TRUE(client.putFile(fLocal + "/binary", "up.bin", FtpClient::binary_mode));
		EXPECT_EQ(read_file(fHome + "/up.bin"), binary);
		EXPECT_TRUE(client.putFile(fLocal + "/text", "up.txt", FtpClient::ascii_mode));
		EXPECT_EQ(read_file(fHome + "/up.txt"), text);

		// Downloads over an older, longer copy must not keep its tail.
		write_file(fLocal + "/down.bin", binary + binary);
		EXPECT_TRUE(client.getFile("up.bin", fLocal + "/down.bin", FtpClient::binary_mode));
		EXPECT_EQ(read_file(fLocal + "/down.bin"), binary);
		EXPECT_TRUE(client.getFile("up.txt", fLocal + "/down.txt", FtpClient::ascii_mode));
		EXPECT_EQ(read_file(fLocal + "/down.txt"), text);

		EXPECT_FALSE(client.getFile("missing", fLocal + "/missing", FtpClient::binary_mode));
		EXPECT_FALSE(std::filesystem::exists(fLocal + "/missing"));
		EXPECT_FALSE(client.putFile(fLocal + "/missing", "x", FtpClient::binary_mode));
		EXPECT_EQ(FtpClientProbe::Passive(client), passive);
		EXPECT_FALSE(FtpClientProbe::HasData(client));
	}
}

TEST_F(VsftpdTest, BootPathsAreLocalPathsOfThisHost)
{
	write_file(fHome + "/Murmelo.dat", random_bytes(5000));
	std::filesystem::create_directories(fLocal + "/volume/home");
	setenv("BE_BOOT_VOLUME", (fLocal + "/volume").c_str(), 1);
	FtpClient client;
	ASSERT_TRUE(Login(client));
	ASSERT_TRUE(client.cd("/boot/home/"));
	EXPECT_TRUE(client.getFile("Murmelo.dat", "/boot/home/tiranso.dat", FtpClient::binary_mode));
	EXPECT_TRUE(client.putFile("/boot/home/tiranso.dat", "copy.dat", FtpClient::binary_mode));
	unsetenv("BE_BOOT_VOLUME");
	EXPECT_EQ(read_file(fLocal + "/volume/home/tiranso.dat"), read_file(fHome + "/Murmelo.dat"));
	EXPECT_EQ(read_file(fHome + "/copy.dat"), read_file(fHome + "/Murmelo.dat"));
}

TEST_F(VsftpdTest, MovesFiles)
{
	write_file(fHome + "/old.dat", "moving");
	FtpClient client;
	ASSERT_TRUE(Login(client));
	ASSERT_TRUE(client.cd("/boot/home"));
	EXPECT_TRUE(client.moveFile("old.dat", "new.dat"));
	EXPECT_FALSE(std::filesystem::exists(fHome + "/old.dat"));
	EXPECT_EQ(read_file(fHome + "/new.dat"), "moving");
	EXPECT_FALSE(client.moveFile("old.dat", "other.dat"));
}

TEST_F(VsftpdTest, RefusedPassiveModeFailsTheTransferWithoutFallingBack)
{
	VsftpdServer noPassive;
	ASSERT_EQ(start(noPassive, "pasv_enable=NO\n"), "");
	write_file(noPassive.Root() + "/f", "active only");
	FtpClient client;
	ASSERT_TRUE(client.connect(noPassive.Address(), VsftpdServer::kUser, VsftpdServer::kPassword));
	client.setPassive(true);
	EXPECT_FALSE(client.getFile("f", fLocal + "/f", FtpClient::binary_mode));
	EXPECT_TRUE(FtpClientProbe::Passive(client));
	client.setPassive(false);
	EXPECT_TRUE(client.getFile("f", fLocal + "/f", FtpClient::binary_mode));
	EXPECT_EQ(read_file(fLocal + "/f"), "active only");
}

TEST_F(VsftpdTest, Reply421EndsOrRefusesTheSession)
{
	VsftpdServer strict;
	ASSERT_EQ(start(strict, "max_per_ip=1\nidle_session_timeout=1\n"), "");

	// One session holds the only place; the next one is turned away.
	FtpClient first;
	ASSERT_TRUE(first.connect(strict.Address(), VsftpdServer::kUser, VsftpdServer::kPassword));
	FtpClient second;
	testing::internal::CaptureStdout();
	EXPECT_FALSE(second.connect(strict.Address(), VsftpdServer::kUser, VsftpdServer::kPassword));
	std::string traced = testing::internal::GetCapturedStdout();
	EXPECT_EQ(traced.substr(0, 4), "421 ");
	EXPECT_FALSE(FtpClientProbe::HasControl(second));

	// An idle session is ended by the server.
	sleep(2);
	testing::internal::CaptureStdout();
	EXPECT_FALSE(first.cd("/"));
	traced = testing::internal::GetCapturedStdout();
	EXPECT_NE(traced.find("421 Timeout.\n"), std::string::npos) << traced;
	EXPECT_FALSE(FtpClientProbe::Connected(first));
	EXPECT_FALSE(FtpClientProbe::HasControl(first));
	std::string dir;
	EXPECT_FALSE(first.pwd(dir));
}
