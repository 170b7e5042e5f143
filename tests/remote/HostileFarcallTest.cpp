// Farcall against a server that attacks it: each attack ends in time with
// the right line and status, memory and output stay bounded, and the
// earlier tiranso.dat is untouched by every failure.
#include "FtpClient.h"
#include "HostileServer.h"
#include "Process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace {

const std::string kOldCopy = std::string("an earlier copy \0 of the data file\n", 35)
	+ std::string(5000, 'o');
const std::string kRemoteData = std::string("remote data \0\x1b[2J\n", 19) + std::string(4000, 'r');
// The peak memory of an honest run is a few MiB; a reply kept whole would be
// 100 MiB.
const long kPeakKilobytes = 48 * 1024;

class HostileFarcallTest : public testing::Test {
protected:
	void SetUp() override
	{
		fBoot = std::make_unique<TempDir>("murmelo-hostile");
		mkdir(Home().c_str(), 0755);
	}

	void TearDown() override
	{
		if (fMounted)
			umount2(Home().c_str(), MNT_DETACH);
	}

	std::string Home() const { return fBoot->Path() + "/home"; }
	std::string LocalCopy() const { return Home() + "/tiranso.dat"; }

	void WriteOldCopy() const { std::ofstream(LocalCopy(), std::ios::binary) << kOldCopy; }

	// Farcall from the command line, killed if it outlives any deadline.
	ProcessResult Run(const std::vector<std::string>& arguments, const std::string& input = "",
		std::vector<std::string> environment = {})
	{
		std::vector<std::string> argv = {"timeout", "-s", "KILL", "30",
			std::string(MURMELO_TREE) + "/remote/Farcall"};
		argv.insert(argv.end(), arguments.begin(), arguments.end());
		environment.push_back("BE_BOOT_VOLUME=" + fBoot->Path());
		environment.push_back("BE_DISPLAY=headless");
		environment.push_back("FARCALL_TIMEOUT=1");
		return run_process(argv, input, environment);
	}

	// A tiny disk for the user's home: it fills long before the server ends.
	bool MountTinyHome()
	{
		fMounted = mount("tmpfs", Home().c_str(), "tmpfs", 0, "size=64k") == 0;
		return fMounted;
	}

	std::unique_ptr<TempDir> fBoot;
	bool fMounted = false;
};

bool
ends_with_line(const std::string& output, const std::string& line)
{
	return output.size() >= line.size() + 1
		&& output.compare(output.size() - line.size() - 1, std::string::npos, line + "\n") == 0;
}

struct Attack {
	const char* mode;
	const char* line;
};

} // namespace

TEST_F(HostileFarcallTest, EveryAttackFailsInTimeAndLeavesTheOldCopyAlone)
{
	const Attack attacks[] = {
		{"abort426", "could not get file"},
		{"stall", "could not get file"},
		{"second1xx", "could not get file"},
		{"endless", "could not connect"},
		{"longline", "could not connect"},
		{"telnet", "could not connect"},
		{"trickle", "could not connect"},
	};
	for (const Attack& attack : attacks) {
		SCOPED_TRACE(attack.mode);
		WriteOldCopy();
		HostileServer server(attack.mode, kRemoteData);
		ASSERT_TRUE(server.Ready());
		ProcessResult result = Run({server.Address(), "joe", "pw"});
		EXPECT_EQ(result.status, 0);
		EXPECT_TRUE(ends_with_line(result.output, attack.line))
			<< result.output.substr(result.output.size() > 2000 ? result.output.size() - 2000 : 0);
		EXPECT_LT(result.peakKilobytes, kPeakKilobytes);
		// The reprint of a long reply is bounded too: 200 lines at most.
		EXPECT_LT(result.outputBytes, 4u * 1024 * 1024);
		EXPECT_TRUE(read_file(LocalCopy()) == kOldCopy);
		// No partial file is left beside it.
		int entries = 0;
		for (const auto& entry : std::filesystem::directory_iterator(Home())) {
			(void)entry;
			entries++;
		}
		EXPECT_EQ(entries, 1);
	}
}

TEST_F(HostileFarcallTest, FullDiskEndsTheTransferAtOnce)
{
	if (getuid() != 0 || !MountTinyHome())
		GTEST_SKIP() << "mounting a tiny disk needs root";
	WriteOldCopy();
	HostileServer server("flood");
	ASSERT_TRUE(server.Ready());
	ProcessResult result = Run({server.Address(), "joe", "pw"});
	EXPECT_EQ(result.status, 0);
	EXPECT_TRUE(ends_with_line(result.output, "could not get file")) << result.output;
	EXPECT_NE(result.output.find("transfer aborted"), std::string::npos) << result.output;
	EXPECT_TRUE(read_file(LocalCopy()) == kOldCopy);
}

TEST_F(HostileFarcallTest, ServerTextReachesTheTerminalWithItsEscapesShown)
{
	HostileServer server("escapes");
	ASSERT_TRUE(server.Ready());
	ProcessResult result = Run({server.Address(), "joe", "pw"});
	EXPECT_EQ(result.status, 0);
	EXPECT_TRUE(ends_with_line(result.output, "could not connect")) << result.output;
	EXPECT_EQ(result.output.find('\x1b'), std::string::npos);
	EXPECT_EQ(result.output.find('\x07'), std::string::npos);
	EXPECT_NE(result.output.find("220 ^[]0;owned^G ^[[2J^[]52;c;cm0gLXJm^G hi\\x00there\n"),
		std::string::npos)
		<< result.output;
	EXPECT_NE(result.output.find("530 ^[[31mno^[[0m\n"), std::string::npos);
}

TEST_F(HostileFarcallTest, BlankServerNameIsNoServer)
{
	HostileServer server("good");
	ASSERT_TRUE(server.Ready());
	// Without the check, an empty host was the wildcard address: this
	// machine, where the server listens.
	for (std::string name : {std::string(""), std::string("   ")}) {
		ProcessResult result = Run({name + ":" + std::to_string(server.Port()), "joe", "pw"});
		EXPECT_EQ(result.output, "(no server name given)\ncould not connect\n");
		EXPECT_EQ(result.status, 0);
	}
	ProcessResult result = Run({"", "joe", "pw"});
	EXPECT_TRUE(ends_with_line(result.output, "could not connect"));
	FtpClient client;
	EXPECT_FALSE(client.connect(" \t", "joe", "pw"));
}

TEST_F(HostileFarcallTest, PasswordComesFromStandardInputOrTheEnvironment)
{
	auto sentPassword = [](HostileServer& server) {
		for (const std::string& request : server.Requests()) {
			if (request.compare(0, 5, "PASS ") == 0)
				return request.substr(5);
		}
		return std::string("<none>");
	};
	HostileServer fromInput("refuse");
	ASSERT_TRUE(fromInput.Ready());
	ProcessResult result = Run({fromInput.Address(), "joe", "-"}, "from input\n");
	EXPECT_TRUE(ends_with_line(result.output, "could not connect")) << result.output;
	EXPECT_EQ(sentPassword(fromInput), "from input");

	HostileServer fromEnvironment("refuse");
	ASSERT_TRUE(fromEnvironment.Ready());
	result = Run({fromEnvironment.Address(), "joe"}, "", {"FARCALL_PASSWORD=from env"});
	EXPECT_TRUE(ends_with_line(result.output, "could not connect")) << result.output;
	EXPECT_EQ(sentPassword(fromEnvironment), "from env");

	// Without the variable two words are still a bad command line, and the
	// usage line says how to give the password.
	result = Run({"a", "b"});
	EXPECT_EQ(result.status, 0);
	EXPECT_NE(result.output.find("bad argument in command\n"), std::string::npos);
	EXPECT_NE(result.output.find("FARCALL_PASSWORD"), std::string::npos) << result.output;
}

TEST_F(HostileFarcallTest, PasswordIsHiddenFromPsWhileTheProgramRuns)
{
	HostileServer server("good", kRemoteData);
	ASSERT_TRUE(server.Ready());
	std::vector<std::string> argv = {std::string(MURMELO_TREE) + "/remote/Farcall",
		server.Address(), "joe", "s3cret-pass"};
	std::vector<char*> args;
	for (std::string& arg : argv)
		args.push_back(arg.data());
	args.push_back(NULL);
	std::vector<std::string> environment = {"BE_BOOT_VOLUME=" + fBoot->Path(),
		"BE_DISPLAY=headless"};
	std::vector<char*> env;
	for (char** e = environ; *e != NULL; e++)
		env.push_back(*e);
	for (std::string& e : environment)
		env.push_back(e.data());
	env.push_back(NULL);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
	pid_t pid;
	ASSERT_EQ(posix_spawn(&pid, args[0], &actions, NULL, args.data(), env.data()), 0);
	posix_spawn_file_actions_destroy(&actions);

	// Once the file is fetched the program keeps running: ps must not show
	// the password meanwhile.
	for (int i = 0; i < 2000 && read_file(LocalCopy()) != kRemoteData; i++)
		usleep(10000);
	EXPECT_TRUE(wait_for_signal_handler(pid, SIGTERM));
	std::string cmdline = read_file("/proc/" + std::to_string(pid) + "/cmdline");
	kill(pid, SIGTERM);
	waitpid(pid, NULL, 0);
	std::vector<std::string> requests = server.Requests();
	EXPECT_NE(std::find(requests.begin(), requests.end(), "PASS s3cret-pass"), requests.end());
	EXPECT_EQ(cmdline.find("s3cret"), std::string::npos) << cmdline;
	EXPECT_NE(cmdline.find(std::string("joe\0***", 7)), std::string::npos) << cmdline;
	EXPECT_TRUE(read_file(LocalCopy()) == kRemoteData);
}

TEST_F(HostileFarcallTest, ActiveModeTakesTheDataConnectionOnlyFromTheServer)
{
	HostileServer server("stranger", kRemoteData);
	ASSERT_TRUE(server.Ready());
	FtpClient client;
	client.setTimeout(5000000);
	testing::internal::CaptureStdout();
	ASSERT_TRUE(client.connect(server.Address(), "joe", "pw"));
	EXPECT_TRUE(client.getFile("Murmelo.dat", LocalCopy(), FtpClient::binary_mode));
	std::string traced = testing::internal::GetCapturedStdout();
	EXPECT_TRUE(read_file(LocalCopy()) == kRemoteData);
	EXPECT_NE(traced.find("(data connection from 127.0.0.2 refused)\n"), std::string::npos)
		<< traced;
}
