// Sendolo reaching several machines at once: two private smbd on their own
// loopback addresses, each with its own name and data file, found through
// lmhosts lines as names on a LAN are.

#include "SendoloChild.h"

#include "Process.h"
#include <PrivateSamba.h>

#include "MurmeloSettings.h"

#include <Alert.h>
#include <Application.h>
#include <MessageNames.h>
#include <TextControl.h>
#include <TextView.h>
#include <Tliste.h>
#include <Window.h>

#include <Harness.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>

namespace {

const char* kPopName = "Zoe_42";

class SendoloReach : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		if (getuid() != 0)
			return;
		sDir = new TempDir("murmelo-sendolo-reach");
		chmod(sDir->Path().c_str(), 0755);
		// A name lmhosts lacks is then looked for by broadcast, on loopback
		// only, and reported as not found.
		std::ofstream(sDir->Path() + "/client.conf") << "[global]\n"
			"\tname resolve order = lmhosts bcast\n"
			"\tinterfaces = 127.0.0.1/8\n"
			"\tbind interfaces only = yes\n";
		mkdir((sDir->Path() + "/client").c_str(), 0755);
		mkdir((sDir->Path() + "/client/home").c_str(), 0755);
		sAlpha = new PrivateSamba("ALPHA", "127.0.0.2", "MURMELOREACH");
		sBeta = new PrivateSamba("BETA", "127.0.0.3", "MURMELOREACH");
		sAlphaLine = new LmhostsLine("ALPHA", "127.0.0.2");
		sBetaLine = new LmhostsLine("BETA", "127.0.0.3");
	}

	static void TearDownTestSuite()
	{
		delete sAlphaLine;
		delete sBetaLine;
		delete sAlpha;
		delete sBeta;
		delete sDir;
		sAlphaLine = sBetaLine = NULL;
		sAlpha = sBeta = NULL;
		sDir = NULL;
	}

	void SetUp() override
	{
		if (getuid() != 0)
			GTEST_SKIP() << "the Samba server needs root";
		ASSERT_TRUE(sAlpha->Started()) << sAlpha->Output();
		ASSERT_TRUE(sBeta->Started()) << sBeta->Output();
		sAlpha->Clear();
		sBeta->Clear();
		fEnvironment = {"SMB_CONF_PATH=" + sDir->Path() + "/client.conf",
			"BE_BOOT_VOLUME=" + sDir->Path() + "/client"};
	}

	// smbd runs its message command after it has answered the client.
	static std::vector<Tliste> WaitForRecords(const PrivateSamba& server, size_t count)
	{
		std::vector<Tliste> records;
		for (int i = 0; i < 500 && (records = server.Records()).size() < count; i++)
			usleep(20000);
		return records;
	}

	// Sends text to destination from Sendolo's window; returns the text of
	// the one outcome alert.
	std::string SendFromWindow(const char* destination, const std::string& text)
	{
		std::string alertFile = sDir->Path() + "/alert";
		unlink(alertFile.c_str());
		ChildResult result = run_in_child(fEnvironment, [&] {
			murmelo_settings settings;
			settings.popName = kPopName;
			ASSERT_EQ(save_murmelo_settings(settings), B_OK);
			SendoloProgram program;
			ASSERT_NE(program.Window(), nullptr);
			program.Type(program.Destination(), destination);
			BTest::Locked(program.Window(), [&] {
				EXPECT_STREQ(program.Destination()->Text(), destination);
			});
			if (text.size() < 200) {
				program.TypeMessage(text.c_str());
			} else {
				// As pasted: typing it key by key would only take time.
				BTest::Locked(program.Window(),
					[&] { program.Message()->SetText(text.c_str()); });
			}
			program.Send();
			BAlert* outcome = NULL;
			BTest::WaitFor([&] {
				for (const char* title : {"error", "Pingbox"}) {
					outcome = dynamic_cast<BAlert*>(BTest::WaitForWindow(title, 0));
					if (outcome != NULL)
						return true;
				}
				return false;
			}, 60000000);
			ASSERT_NE(outcome, nullptr) << "no outcome alert";
			EXPECT_TRUE(BTest::Sync(outcome));
			BTest::Locked(outcome, [&] {
				std::ofstream(alertFile) << outcome->Title() << "|" << outcome->Text();
			});
			BTest::WriteWindowPNG(outcome, BTest::ScreenshotPath("sendolo_several").c_str());
			BTest::PressKey(outcome, "\x1b");
			EXPECT_TRUE(program.WaitForEnd(10000000));
		}, 120);
		EXPECT_EQ(result.status, 0) << result.output;
		return read_file(alertFile);
	}

	static TempDir* sDir;
	static PrivateSamba* sAlpha;
	static PrivateSamba* sBeta;
	static LmhostsLine* sAlphaLine;
	static LmhostsLine* sBetaLine;
	std::vector<std::string> fEnvironment;
};

TempDir* SendoloReach::sDir = NULL;
PrivateSamba* SendoloReach::sAlpha = NULL;
PrivateSamba* SendoloReach::sBeta = NULL;
LmhostsLine* SendoloReach::sAlphaLine = NULL;
LmhostsLine* SendoloReach::sBetaLine = NULL;

} // namespace

TEST_F(SendoloReach, EachNamedMachineGetsTheMessageAndOneAlertSaysWhoDidNot)
{
	std::string alert = SendFromWindow("alpha, beta, nosuchhost", "to all of you");
	EXPECT_EQ(alert, "error|\n\nalpha: Message succesfully sent.\n"
		"beta: Message succesfully sent.\nUnknown host : nosuchhost");
	for (PrivateSamba* server : {sAlpha, sBeta}) {
		ScopedVariable volume("BE_BOOT_VOLUME", server->BootVolume().c_str());
		std::vector<Tliste> records = WaitForRecords(*server, 1);
		ASSERT_EQ(records.size(), 1u) << server->Name();
		EXPECT_STREQ(records[0].message, "to all of you");
		BString from;
		ASSERT_EQ(read_message_names(&records[0], &from, NULL, NULL), B_OK);
		EXPECT_STREQ(from.String(), kPopName);
	}
}

TEST_F(SendoloReach, ALongTextArrivesInWholeMarkedParts)
{
	std::string text;
	for (int i = 0; text.size() < 3500; i++)
		text += "mot" + std::to_string(i) + (i % 12 == 11 ? "\n" : " ");
	std::string alert = SendFromWindow("beta", text);
	EXPECT_EQ(alert, "Pingbox|\n\nMessage succesfully sent.\n\nSent as 3 messages.");

	std::vector<Tliste> records = WaitForRecords(*sBeta, 3);
	ASSERT_EQ(records.size(), 3u);
	// Whole parts: each keeps its text past the record's 1000 bytes, and
	// they add up to the text, less the blank or line end of each cut.
	std::string joined;
	ScopedVariable volume("BE_BOOT_VOLUME", sBeta->BootVolume().c_str());
	for (size_t i = 0; i < records.size(); i++) {
		BString part;
		ASSERT_EQ(read_message_text(&records[i], &part), B_OK);
		std::string mark = "(" + std::to_string(i + 1) + "/3) ";
		ASSERT_EQ(std::string(part.String()).substr(0, mark.size()), mark);
		joined += std::string(part.String()).substr(mark.size());
		if (i + 1 < records.size())
			joined += text[joined.size()];
	}
	EXPECT_EQ(joined, text);
	EXPECT_TRUE(sAlpha->Records().empty());
}
