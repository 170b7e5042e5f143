// cmake --install under a fresh prefix: the tree the build leaves, the
// desktop entries and icons, and the script that sets up a user's home.

#include "Process.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class InstallTest : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sPrefix = new TempDir("murmelo-prefix");
		sInstalled = run_process({"cmake", "--install", MURMELO_BINARY_DIR, "--prefix",
			sPrefix->Path()});
	}

	static void TearDownTestSuite()
	{
		delete sPrefix;
		sPrefix = NULL;
	}

	static std::string Path(const std::string& relative)
	{
		return sPrefix->Path() + "/" + relative;
	}

	static TempDir* sPrefix;
	static ProcessResult sInstalled;
};

TempDir* InstallTest::sPrefix = NULL;
ProcessResult InstallTest::sInstalled;

int
Mode(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? (int)(st.st_mode & 07777) : -1;
}

} // namespace

TEST_F(InstallTest, TheTreeHoldsTheProgramsTheirDataAndADesktopEntry)
{
	ASSERT_EQ(sInstalled.status, 0) << sInstalled.output;
	for (const char* program : {"Murmelo/Murmelo", "Murmelo/Murmelo2", "daemon/Murmelod",
			"bin/MediaPlayer", "bin/murmelo-user-setup", "bin/mail_daemon", "addon/Sendolo",
			"remote/Farcall"})
		EXPECT_EQ(access(Path(std::string("trovel/") + program).c_str(), X_OK), 0) << program;
	for (const char* file : {"doc/README", "doc/About", "music/trucage", "music/star.mid"})
		EXPECT_EQ(access(Path(std::string("trovel/") + file).c_str(), R_OK), 0) << file;

	// The messenger, the sender and the remote control are in the menu, each
	// with its icon and the absolute path of its program.
	struct {
		const char* name;
		const char* program;
	} entries[] = {{"murmelo", "Murmelo/Murmelo"}, {"sendolo", "addon/Sendolo"},
		{"farcall", "remote/Farcall"}};
	for (const auto& desktop : entries) {
		std::string file = Path(std::string("share/applications/") + desktop.name + ".desktop");
		std::string entry = read_file(file);
		ASSERT_FALSE(entry.empty()) << file;
		EXPECT_NE(entry.find("\nExec=" + Path(std::string("trovel/") + desktop.program) + "\n"),
			std::string::npos) << entry;
		EXPECT_NE(entry.find(std::string("\nIcon=") + desktop.name + "\n"), std::string::npos);
		EXPECT_EQ(access(Path(std::string("share/icons/hicolor/64x64/apps/") + desktop.name
			+ ".png").c_str(), R_OK), 0) << desktop.name;
		if (access("/usr/bin/desktop-file-validate", X_OK) == 0) {
			ProcessResult valid = run_process({"desktop-file-validate", file});
			EXPECT_EQ(valid.status, 0) << valid.output;
		}
	}
}

TEST_F(InstallTest, UserSetupOpensTheDataFilesToTheGuestAndPrintsTheSambaLines)
{
	ASSERT_EQ(sInstalled.status, 0) << sInstalled.output;
	std::string home = Path("home/alice");
	ASSERT_EQ(system(("mkdir -p '" + home + "'").c_str()), 0);
	chmod(home.c_str(), 0755);
	// A data file with messages keeps them.
	{
		FILE* file = fopen((home + "/murmelo.dat").c_str(), "w");
		ASSERT_NE(file, nullptr);
		fputs("kept", file);
		fclose(file);
		chmod((home + "/murmelo.dat").c_str(), 0600);
	}
	// Run by hand under sudo, it still sets up the home it is given, not the
	// sudo caller's: only --apply and --remove act for the caller.
	ProcessResult setup = run_process({Path("trovel/bin/murmelo-user-setup")}, "",
		{"HOME=" + home, "SUDO_USER=nobody"});
	ASSERT_EQ(setup.status, 0) << setup.output;
	EXPECT_EQ(Mode(home + "/murmelo.dat"), 0666);
	EXPECT_EQ(Mode(home + "/murmelo.dat.names"), 0666);
	EXPECT_EQ(read_file(home + "/murmelo.dat"), "kept");
	std::string line = "message command = /bin/sh -c 'HOME=" + home + " "
		+ Path("trovel/daemon/Murmelod") + " \"$0\" \"$1\" \"$2\"; rm -f \"$2\"' %f %L %s";
	EXPECT_NE(setup.output.find(line), std::string::npos) << setup.output;

	// smb.conf cannot carry a home with a space: refused, nothing made.
	std::string spaced = Path("home/bob smith");
	ASSERT_EQ(system(("mkdir -p '" + spaced + "'").c_str()), 0);
	setup = run_process({Path("trovel/bin/murmelo-user-setup")}, "", {"HOME=" + spaced});
	EXPECT_EQ(setup.status, 1);
	EXPECT_NE(setup.output.find("cannot"), std::string::npos) << setup.output;
	EXPECT_NE(access((spaced + "/murmelo.dat").c_str(), F_OK), 0);
}
