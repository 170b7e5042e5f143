// Farcall as a user runs it: as a process from the command line, and its
// window driven on the headless display, both against a real vsftpd.

#include "VsftpdServer.h"

#include "Process.h"
#include "TWindow1.h"

#include <Button.h>
#include <TextControl.h>
#include <Window.h>

#include <Harness.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

extern char** environ;

namespace {

const std::string kRemoteData = std::string("remote data \0 with a NUL\n", 25) + std::string(3000, 'x');

std::string
farcall()
{
	return std::string(MURMELO_TREE) + "/remote/Farcall";
}

class FarcallTest : public testing::Test {
protected:
	void SetUp() override
	{
		if (getuid() != 0)
			GTEST_SKIP() << "the FTP test user needs root";
		std::string failure = fServer.Start();
		ASSERT_EQ(failure, "");
		fBoot = std::make_unique<TempDir>("murmelo-farcall");
		mkdir((fBoot->Path() + "/home").c_str(), 0755);
		fEnvironment = {"BE_BOOT_VOLUME=" + fBoot->Path(), "BE_DISPLAY=headless"};
	}

	// Puts the other machine's data file where Farcall looks for it.
	void ServeDataFile(bool withFolder = true, bool withFile = true)
	{
		if (!withFolder)
			return;
		std::string folder = fServer.Root() + "/boot";
		mkdir(folder.c_str(), 0755);
		VsftpdServer::GiveToUser(folder);
		mkdir((folder + "/home").c_str(), 0755);
		VsftpdServer::GiveToUser(folder + "/home");
		if (withFile) {
			std::ofstream(folder + "/home/Murmelo.dat", std::ios::binary) << kRemoteData;
			VsftpdServer::GiveToUser(folder + "/home/Murmelo.dat");
		}
	}

	std::string LocalCopy() const { return read_file(fBoot->Path() + "/home/tiranso.dat"); }

	ProcessResult Run(const std::vector<std::string>& arguments)
	{
		std::vector<std::string> argv = {farcall()};
		argv.insert(argv.end(), arguments.begin(), arguments.end());
		return run_process(argv, "", fEnvironment);
	}

	VsftpdServer fServer;
	std::unique_ptr<TempDir> fBoot;
	std::vector<std::string> fEnvironment;
};

bool
ends_with_line(const std::string& output, const std::string& line)
{
	return output.size() >= line.size() + 1
		&& output.compare(output.size() - line.size() - 1, std::string::npos, line + "\n") == 0;
}

} // namespace

TEST_F(FarcallTest, CommandLineReportsEachFailureAndEndsWithStatusZero)
{
	ProcessResult wrong = Run({fServer.Address(), VsftpdServer::kUser, "wrong password"});
	EXPECT_EQ(wrong.status, 0);
	EXPECT_TRUE(ends_with_line(wrong.output, "could not connect")) << wrong.output;
	EXPECT_EQ(wrong.output.find("wrong password"), std::string::npos) << "password traced";

	ProcessResult noFolder = Run({fServer.Address(), VsftpdServer::kUser, VsftpdServer::kPassword});
	EXPECT_EQ(noFolder.status, 0);
	EXPECT_TRUE(ends_with_line(noFolder.output, "no such directory")) << noFolder.output;

	ServeDataFile(true, false);
	ProcessResult noFile = Run({fServer.Address(), VsftpdServer::kUser, VsftpdServer::kPassword});
	EXPECT_EQ(noFile.status, 0);
	EXPECT_TRUE(ends_with_line(noFile.output, "could not get file")) << noFile.output;
	EXPECT_EQ(access((fBoot->Path() + "/home/tiranso.dat").c_str(), F_OK), -1)
		<< "a failed download left a file behind";
}

TEST_F(FarcallTest, CommandLineWithBadArgumentsQuitsWithoutAWindow)
{
	for (const std::vector<std::string>& arguments :
		{std::vector<std::string>{"one"}, {"one", "two"}, {"a", "b", "c", "d"}}) {
		ProcessResult result = Run(arguments);
		EXPECT_EQ(result.status, 0);
		// The line on standard output, then the usage line on standard error.
		EXPECT_EQ(result.output.compare(0, 24, "bad argument in command\n"), 0) << result.output;
		EXPECT_NE(result.output.find("usage: Farcall"), std::string::npos);
	}
}

TEST_F(FarcallTest, CommandLineFetchesThenKeepsRunningUntilAskedToQuit)
{
	ServeDataFile();
	// An older, longer copy must not leave its tail behind.
	std::ofstream(fBoot->Path() + "/home/tiranso.dat") << std::string(10000, 'o');

	std::vector<std::string> argv
		= {farcall(), fServer.Address(), VsftpdServer::kUser, VsftpdServer::kPassword};
	std::vector<char*> args;
	for (std::string& arg : argv)
		args.push_back(arg.data());
	args.push_back(NULL);
	std::vector<std::string> environment(fEnvironment);
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

	bool fetched = BTest::WaitFor([&] { return LocalCopy() == kRemoteData; }, 20000000);
	// The handler is installed once the application runs, after the fetch.
	EXPECT_TRUE(wait_for_signal_handler(pid, SIGTERM)) << "the program ended after fetching";
	int status;
	EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the program ended after fetching";
	kill(pid, SIGTERM);
	ASSERT_EQ(waitpid(pid, &status, 0), pid);
	EXPECT_TRUE(fetched);
	EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

namespace {

// The window runs in a child process, since a press of connect ends the
// process; the child's exit status is the program's.
int
press_connect_in_child(const std::string& address, const char* user, const char* password,
	const std::string& boot, bool checkForm)
{
	pid_t pid = fork();
	if (pid == 0) {
		setenv("BE_BOOT_VOLUME", boot.c_str(), 1);
		BTest::HeadlessApp app("application/x-vnd.tiranso");
		TWindow1* window = new TWindow1;
		window->Show();
		BWindow* shown = BTest::WaitForWindow("remote control");
		if (shown == NULL)
			_exit(10);
		BTextControl* fields[3];
		const char* names[3] = {"Destinataire", "MonTextControl", "message_a_moi"};
		const char* labels[3] = {"login:", "IP:", "password:"};
		float lastTop = -1;
		for (int i = 0; i < 3; i++) {
			fields[i] = dynamic_cast<BTextControl*>(BTest::FindView(shown, names[i]));
			if (fields[i] == NULL)
				_exit(11);
			if (checkForm) {
				BRect frame;
				std::string label;
				if (!BTest::Locked(shown, [&] {
						frame = fields[i]->Frame();
						label = fields[i]->Label() != NULL ? fields[i]->Label() : "";
					}))
					_exit(15);
				if (label != labels[i] || frame.top <= lastTop)
					_exit(12);
				lastTop = frame.top;
			}
		}
		BButton* button = dynamic_cast<BButton*>(BTest::FindView(shown, "Mon_Boutton"));
		if (button == NULL || strcmp(button->Label(), "connect") != 0)
			_exit(13);
		const char* texts[3] = {user, address.c_str(), password};
		for (int i = 0; i < 3; i++) {
			BTest::Click(fields[i]->TextView(), BPoint(5, 5));
			BTest::TypeKeys(shown, texts[i]);
		}
		BTest::WriteWindowPNG(shown, BTest::ScreenshotPath("farcall_window").c_str());
		BTest::Click(button, BPoint(10, 10));
		// The press ends the process; reaching here is a failure.
		sleep(30);
		_exit(14);
	}
	int status;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

TEST_F(FarcallTest, WindowFetchEndsWithStatusOneAndFailureWithZero)
{
	ServeDataFile();
	EXPECT_EQ(press_connect_in_child(fServer.Address(), VsftpdServer::kUser, "wrong",
				  fBoot->Path(), true),
		0);
	EXPECT_EQ(access((fBoot->Path() + "/home/tiranso.dat").c_str(), F_OK), -1);
	EXPECT_EQ(press_connect_in_child(fServer.Address(), VsftpdServer::kUser,
				  VsftpdServer::kPassword, fBoot->Path(), false),
		1);
	EXPECT_EQ(LocalCopy(), kRemoteData);
}

TEST_F(FarcallTest, FailuresAgainstARealServerLeaveTheEarlierCopyAsItWas)
{
	const std::string earlier = std::string("earlier \0 copy\n", 15) + std::string(2000, 'e');
	std::string home = fBoot->Path() + "/home";
	// A 64 KiB disk for the user's home, and a remote file that can't fit.
	if (mount("tmpfs", home.c_str(), "tmpfs", 0, "size=64k") != 0)
		GTEST_SKIP() << "mounting a tiny disk needs root";
	struct Unmount {
		std::string path;
		~Unmount() { umount2(path.c_str(), MNT_DETACH); }
	} unmount{home};
	std::ofstream(home + "/tiranso.dat", std::ios::binary) << earlier;

	ProcessResult wrong = Run({fServer.Address(), VsftpdServer::kUser, "wrong password"});
	EXPECT_TRUE(ends_with_line(wrong.output, "could not connect")) << wrong.output;
	ServeDataFile(true, false);
	ProcessResult missing = Run({fServer.Address(), VsftpdServer::kUser, VsftpdServer::kPassword});
	EXPECT_TRUE(ends_with_line(missing.output, "could not get file")) << missing.output;
	EXPECT_TRUE(LocalCopy() == earlier);

	std::string remote = fServer.Root() + "/boot/home/Murmelo.dat";
	std::ofstream(remote, std::ios::binary) << std::string(4 * 1024 * 1024, 'b');
	VsftpdServer::GiveToUser(remote);
	ProcessResult full = Run({fServer.Address(), VsftpdServer::kUser, VsftpdServer::kPassword});
	EXPECT_EQ(full.status, 0);
	EXPECT_TRUE(ends_with_line(full.output, "could not get file")) << full.output;
	EXPECT_NE(full.output.find("transfer aborted"), std::string::npos) << full.output;
	EXPECT_TRUE(LocalCopy() == earlier);
	// Nothing of the attempt stays on the full disk.
	EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home),
				  std::filesystem::directory_iterator()),
		1);
}
