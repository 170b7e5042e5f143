#include <gtest/gtest.h>

#include "DaemonProcess.h"
#include "TempBootVolume.h"

namespace {

const char* const kHelp
	= "\nTo obtain help on Murmelod look at what is following.\n\n\n\n"
	  "to have help on install use  Murmelod install\n\n"
	  "to have help on the software utilisation  use  Murmelod utilisation\n\n"
	  "to have help on diffrent version  use  Murmelod difversion\n\n"
	  "\n\n";

const char* const kBanner
	= "\nthis program is Murmelo V0.0.5 \nMessages are kept in /boot/home/murmelo.dat\n\n\n";

class Dispatcher : public testing::Test {
protected:
	void SetUp() override
	{
		fVolume.Write("apps/trovel/doc/license", "LICENCE\n");
		fVolume.Write("apps/trovel/doc/README", "README\n");
		fVolume.Write("apps/trovel/doc/ChangeLog", "CHANGES\n");
		fVolume.Write("apps/trovel/doc/Usage", "USAGE\n");
	}

	void ExpectWord(const std::string& argument, const std::string& output, int status)
	{
		DaemonRun run = run_daemon({argument});
		EXPECT_EQ(run.output, output) << argument;
		EXPECT_EQ(run.status, status) << argument;
	}

	TempBootVolume fVolume;
};

} // namespace

TEST_F(Dispatcher, WordsAreFoundInsideTheArgumentInTableOrder)
{
	ExpectWord("help", kHelp, 0);
	ExpectWord("helpme", kHelp, 0);
	ExpectWord("info", std::string(kBanner) + "LICENCE\n\n", 1);
	ExpectWord("information", std::string(kBanner) + "LICENCE\n\n", 1);
	ExpectWord("help-info", std::string(kBanner) + "LICENCE\n\n", 1);
	ExpectWord("reinstall", "README\n\n", 1);
	ExpectWord("utilisation", "USAGE\n\n", 1);
	ExpectWord("difversion", "CHANGES\n\n", 1);
	ExpectWord("utilisation, install", "README\n\n", 1);
	ExpectWord("difversion, help", kHelp, 0);
	ExpectWord("difversion-utilisation", "USAGE\n\n", 1);
}

TEST_F(Dispatcher, DocumentsThatCannotBeReadEndWithOne)
{
	fVolume.Write("apps/trovel/doc/ChangeLog", "");
	ExpectWord("difversion", "\n", 1);

	std::string directory = fVolume.DocDirectory();
	unlink((directory + "/README").c_str());
	ExpectWord("install", "Can't read file " + directory + "/README \n", 1);
	unlink((directory + "/license").c_str());
	ExpectWord("info", std::string(kBanner) + "Can't read file " + directory + "/license \n", 1);
}

TEST_F(Dispatcher, InstalledProgramFindsTheShippedDocuments)
{
	DaemonOptions options;
	options.unset = {"BE_BOOT_VOLUME"};
	options.environment = {"HOME=" + fVolume.Root() + "/home"};
	std::string changes
		= TempBootVolume::Read(std::string(MURMELO_SOURCE_DIR) + "/data/doc/ChangeLog");
	ASSERT_FALSE(changes.empty());
	DaemonRun run = run_daemon({"difversion"}, options);
	EXPECT_EQ(run.output, changes + "\n");
	EXPECT_EQ(run.status, 1);
}

TEST_F(Dispatcher, NothingToDoRunsSilentlyUntilAskedToQuit)
{
	std::string message = fVolume.Write("tmp/m", "not stored");
	struct Case {
		std::vector<std::string> arguments;
		int signal;
	};
	std::vector<Case> cases = {
		{{}, SIGTERM},
		{{"INFO"}, SIGINT},
		{{"nothing at all"}, SIGTERM},
		{{"info", message}, SIGTERM},
	};
	std::vector<std::unique_ptr<DaemonProcess>> processes;
	for (const Case& c : cases)
		processes.push_back(std::make_unique<DaemonProcess>(c.arguments));
	usleep(300000);
	for (size_t i = 0; i < cases.size(); i++) {
		EXPECT_TRUE(processes[i]->Running()) << i;
		processes[i]->Signal(cases[i].signal);
		EXPECT_EQ(processes[i]->Wait(), 0) << i;
		EXPECT_EQ(processes[i]->ReadOutput(), "") << i;
	}
	EXPECT_FALSE(TempBootVolume::Exists(fVolume.DataFile()));
}
