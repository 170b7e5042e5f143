// Sendolo's pop-ups against the real smbd on loopback, whose message command
// runs our daemon: what is typed arrives with our name_for_pop as sender.
// The client resolves names by broadcast on loopback only.

#include "SendoloChild.h"

#include "Process.h"
#include <PrivateSamba.h>

#include "MurmeloSettings.h"

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <MessageNames.h>
#include <TextControl.h>
#include <Tliste.h>
#include <Window.h>

#include <Harness.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

// smbd hands the message command a sender name with every character beyond
// ASCII made "_", so the name checked here is plain.
const char* kPopName = "Zoe_42";

std::string
script()
{
	return std::string(MURMELO_SOURCE_DIR) + "/scripts/private-samba";
}

class SendoloSamba : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		if (getuid() != 0)
			return;
		sDir = new TempDir("murmelo-sendolo-samba");
		chmod(sDir->Path().c_str(), 0755);
		std::ofstream(sDir->Path() + "/client.conf") << "[global]\n"
			"\tname resolve order = bcast\n"
			"\tinterfaces = 127.0.0.1/8\n"
			"\tbind interfaces only = yes\n";
		// Another run's server may hold the port for a while.
		for (int i = 0; i < 600 && PrivateSamba::PortTaken(); i++)
			usleep(100000);
		ProcessResult started = run_process({script(), "start", sDir->Path() + "/server",
			std::string(MURMELO_TREE) + "/daemon/Murmelod"});
		sStarted = started.status == 0;
		sStartOutput = started.output;
		// The parent reads the server's data file and its names; each
		// child has a boot volume of its own.
		setenv("BE_BOOT_VOLUME", (sDir->Path() + "/server/boot").c_str(), 1);
		mkdir((sDir->Path() + "/client").c_str(), 0755);
		mkdir((sDir->Path() + "/client/home").c_str(), 0755);
	}

	static void TearDownTestSuite()
	{
		if (sDir == NULL)
			return;
		run_process({script(), "stop", sDir->Path() + "/server"});
		unsetenv("BE_BOOT_VOLUME");
		delete sDir;
		sDir = NULL;
	}

	void SetUp() override
	{
		if (getuid() != 0)
			GTEST_SKIP() << "the Samba server needs root";
		ASSERT_TRUE(sStarted) << sStartOutput;
		fEnvironment = {"SMB_CONF_PATH=" + sDir->Path() + "/client.conf",
			"BE_BOOT_VOLUME=" + sDir->Path() + "/client"};
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

	// Our name as the settings file of the client's boot volume holds it.
	static void StorePopName()
	{
		murmelo_settings settings;
		settings.popName = kPopName;
		ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	}

	static TempDir* sDir;
	static bool sStarted;
	static std::string sStartOutput;
	std::vector<std::string> fEnvironment;
};

TempDir* SendoloSamba::sDir = NULL;
bool SendoloSamba::sStarted = false;
std::string SendoloSamba::sStartOutput;

} // namespace

TEST_F(SendoloSamba, TypedPopupArrivesUnderOurNameAndTheProgramEndsOnceTheOutcomeIsRead)
{
	size_t before = Records().size();
	const char* text = "Caf\xc3\xa9 at five? \"yes\" $(id) ; `x`";
	ChildResult result = run_in_child(fEnvironment, [&] {
		StorePopName();
		SendoloProgram program;
		ASSERT_NE(program.Window(), nullptr);
		BTest::Locked(program.Window(),
			[&] { EXPECT_STREQ(program.Sender()->Text(), kPopName); });
		program.Type(program.Destination(), "127.0.0.1");
		program.TypeMessage(text);
		program.Send();

		// The window goes; the outcome stays up until it has been read, and
		// only then does the program end.
		BAlert* outcome = dynamic_cast<BAlert*>(BTest::WaitForWindow("Pingbox", 20000000));
		ASSERT_NE(outcome, nullptr) << "no outcome alert";
		EXPECT_TRUE(BTest::WaitFor(
			[] { return BTest::WaitForWindow("sender window", 0) == NULL; }));
		BTest::Locked(outcome,
			[&] { EXPECT_STREQ(outcome->Text(), "\n\nMessage succesfully sent."); });
		usleep(300000);
		EXPECT_FALSE(program.Ended()) << "the outcome alert went with the program";
		// Shown is not yet drawn.
		EXPECT_TRUE(BTest::Sync(outcome));
		EXPECT_EQ(BTest::WriteWindowPNG(outcome, BTest::ScreenshotPath("sendolo_sent").c_str()),
			B_OK);
		EXPECT_EQ(BTest::Click(outcome->ButtonAt(0), BPoint(10, 8)), B_OK);
		EXPECT_TRUE(program.WaitForEnd(5000000)) << "the program did not end after the send";
	});
	EXPECT_EQ(result.status, 0) << result.output;
	EXPECT_EQ(count_lines(result.output, "popup"), 1) << result.output;

	std::vector<Tliste> records = WaitForRecords(before + 1);
	ASSERT_EQ(records.size(), before + 1);
	EXPECT_STREQ(records.back().message, text);
	BString from;
	ASSERT_EQ(read_message_names(&records.back(), &from, NULL, NULL), B_OK);
	EXPECT_STREQ(from.String(), kPopName);
}

TEST_F(SendoloSamba, TwoQuickPressesSendTwiceAndOneArgumentKeepsTheProgramRunning)
{
	size_t before = Records().size();
	ChildResult result = run_in_child(fEnvironment, [&] {
		StorePopName();
		SendoloProgram program({"from the tray"});
		BWindow* window = program.Window();
		ASSERT_NE(window, nullptr);
		program.Type(program.Destination(), "127.0.0.1");
		program.TypeMessage("twice");
		program.Send();
		program.Send();
		EXPECT_TRUE(BTest::WaitFor([] { return BTest::WaitForWindow("sender window", 0) == NULL; },
			20000000)) << "the window stayed after the send";
		usleep(300000);
		EXPECT_FALSE(program.Ended()) << "the program ended with its window";
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		EXPECT_TRUE(program.WaitForEnd(5000000));
	});
	EXPECT_EQ(result.status, 0) << result.output;
	EXPECT_EQ(count_lines(result.output, "popup"), 2) << result.output;
	std::vector<Tliste> records = WaitForRecords(before + 2);
	ASSERT_EQ(records.size(), before + 2);
	for (size_t i = before; i < records.size(); i++) {
		EXPECT_STREQ(records[i].message, "twice");
		BString from;
		ASSERT_EQ(read_message_names(&records[i], &from, NULL, NULL), B_OK);
		EXPECT_STREQ(from.String(), kPopName);
	}
}
