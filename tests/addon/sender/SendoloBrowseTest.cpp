// The machines around, from a real browse list: three private smbd with
// nmbd on their own loopback addresses, one the workgroup's master browser.
// GAMMA stands for this machine: the client's Samba is told that is its
// name.

#include "SendoloChild.h"

#include "Process.h"
#include <PrivateSamba.h>

#include "BrowseList.h"
#include "MurmeloSettings.h"

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <Errors.h>
#include <Menu.h>
#include <MenuItem.h>
#include <MessageNames.h>
#include <TextControl.h>
#include <Tliste.h>
#include <Window.h>

#include <Harness.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace {

const char* kGroup = "MURMELOBROWSE";
const char* kPopName = "Zoe_42";

class SendoloBrowse : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		if (getuid() != 0)
			return;
		sDir = new TempDir("murmelo-sendolo-browse");
		chmod(sDir->Path().c_str(), 0755);
		// Names are found by broadcast on loopback, where the servers' nmbd
		// answer.
		std::ofstream(sDir->Path() + "/client.conf") << "[global]\n"
			"\tworkgroup = " << kGroup << "\n"
			"\tnetbios name = GAMMA\n"
			"\tname resolve order = bcast\n"
			"\tinterfaces = 127.0.0.1/8\n"
			"\tbind interfaces only = yes\n";
		mkdir((sDir->Path() + "/client").c_str(), 0755);
		mkdir((sDir->Path() + "/client/home").c_str(), 0755);
		setenv("SMB_CONF_PATH", (sDir->Path() + "/client.conf").c_str(), 1);
		sAlpha = new PrivateSamba("ALPHA", "127.0.0.2", kGroup, "master");
		sBeta = new PrivateSamba("BETA", "127.0.0.3", kGroup, "member");
		sGamma = new PrivateSamba("GAMMA", "127.0.0.4", kGroup, "member");
		// The election and the members' announcements take nmbd a while;
		// the list itself says when it is there.
		std::vector<BString> machines;
		for (int i = 0; i < 240; i++) {
			if (browse_machines(kGroup, &machines) == B_OK && machines.size() == 3)
				break;
			usleep(500000);
		}
		sMachines = new std::vector<BString>(machines);
	}

	static void TearDownTestSuite()
	{
		delete sAlpha;
		delete sBeta;
		delete sGamma;
		delete sMachines;
		delete sDir;
		sAlpha = sBeta = sGamma = NULL;
		sMachines = NULL;
		sDir = NULL;
		unsetenv("SMB_CONF_PATH");
	}

	void SetUp() override
	{
		if (getuid() != 0)
			GTEST_SKIP() << "the Samba servers need root";
		for (PrivateSamba* server : {sAlpha, sBeta, sGamma}) {
			ASSERT_TRUE(server->Started()) << server->Output();
			server->Clear();
		}
		std::vector<std::string> names;
		for (const BString& machine : *sMachines)
			names.push_back(machine.String());
		std::sort(names.begin(), names.end());
		ASSERT_EQ(names, (std::vector<std::string>{"ALPHA", "BETA", "GAMMA"}))
			<< "the browse list did not fill in time";
		fEnvironment = {"BE_BOOT_VOLUME=" + sDir->Path() + "/client"};
	}

	static std::vector<Tliste> WaitForRecords(const PrivateSamba& server, size_t count)
	{
		std::vector<Tliste> records;
		for (int i = 0; i < 500 && (records = server.Records()).size() < count; i++)
			usleep(20000);
		return records;
	}

	static TempDir* sDir;
	static PrivateSamba* sAlpha;
	static PrivateSamba* sBeta;
	static PrivateSamba* sGamma;
	static std::vector<BString>* sMachines;
	std::vector<std::string> fEnvironment;
};

TempDir* SendoloBrowse::sDir = NULL;
PrivateSamba* SendoloBrowse::sAlpha = NULL;
PrivateSamba* SendoloBrowse::sBeta = NULL;
PrivateSamba* SendoloBrowse::sGamma = NULL;
std::vector<BString>* SendoloBrowse::sMachines = NULL;

void
save_identity()
{
	murmelo_settings settings;
	settings.popName = kPopName;
	settings.group = kGroup;
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
}

} // namespace

TEST_F(SendoloBrowse, AtOurWorkgroupReachesEveryOtherMachineOfIt)
{
	std::vector<BString> none;
	EXPECT_EQ(browse_machines("NOSUCHGROUP", &none), B_NAME_NOT_FOUND);

	std::string alertFile = sDir->Path() + "/alert";
	ChildResult result = run_in_child(fEnvironment, [&] {
		save_identity();
		SendoloProgram program;
		ASSERT_NE(program.Window(), nullptr);
		program.Type(program.Destination(), "@");
		program.TypeMessage("to the whole group");
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
		BTest::PressKey(outcome, "\x1b");
		EXPECT_TRUE(program.WaitForEnd(10000000));
	}, 120);
	EXPECT_EQ(result.status, 0) << result.output;

	std::string alert = read_file(alertFile);
	EXPECT_TRUE(alert == "Pingbox|\n\nALPHA: Message succesfully sent.\n"
			"BETA: Message succesfully sent."
		|| alert == "Pingbox|\n\nBETA: Message succesfully sent.\n"
			"ALPHA: Message succesfully sent.") << alert;
	for (PrivateSamba* server : {sAlpha, sBeta}) {
		ScopedVariable volume("BE_BOOT_VOLUME", server->BootVolume().c_str());
		std::vector<Tliste> records = WaitForRecords(*server, 1);
		ASSERT_EQ(records.size(), 1u) << server->Name();
		EXPECT_STREQ(records[0].message, "to the whole group");
		BString from;
		ASSERT_EQ(read_message_names(&records[0], &from, NULL, NULL), B_OK);
		EXPECT_STREQ(from.String(), kPopName);
	}
	EXPECT_TRUE(sGamma->Records().empty()) << "our own machine got the message";
}

TEST_F(SendoloBrowse, TheMachinesButtonListsTheWorkgroupAndFillsTheField)
{
	ChildResult result = run_in_child(fEnvironment, [&] {
		save_identity();
		SendoloProgram program;
		ASSERT_NE(program.Window(), nullptr);
		BButton* button = dynamic_cast<BButton*>(BTest::FindView(program.Window(), "machines"));
		ASSERT_NE(button, nullptr);
		ASSERT_EQ(BTest::Click(button, BPoint(8, 8)), B_OK);
		BWindow* menuWindow = BTest::WaitForWindow("machines", 20000000);
		ASSERT_NE(menuWindow, nullptr) << "no menu within the time limit";
		BTest::Sync(menuWindow);
		BMenu* menu = dynamic_cast<BMenu*>(BTest::FindView(menuWindow, "machines"));
		ASSERT_NE(menu, nullptr);
		std::vector<std::string> labels;
		BMenuItem* beta = NULL;
		BTest::Locked(menuWindow, [&] {
			for (int32 i = 0; i < menu->CountItems(); i++) {
				labels.push_back(menu->ItemAt(i)->Label());
				if (labels.back() == "BETA")
					beta = menu->ItemAt(i);
			}
		});
		std::sort(labels.begin(), labels.end());
		EXPECT_EQ(labels, (std::vector<std::string>{"ALPHA", "BETA", "GAMMA"}));
		ASSERT_NE(beta, nullptr);
		ASSERT_EQ(BTest::ClickScreen(BTest::ItemCenter(menuWindow, beta)), B_OK);
		EXPECT_TRUE(BTest::WaitFor([&] {
			bool filled = false;
			BTest::Locked(program.Window(),
				[&] { filled = std::string(program.Destination()->Text()) == "BETA"; });
			return filled;
		}));
		BTest::WriteWindowPNG(program.Window(), BTest::ScreenshotPath("sendolo_machines").c_str());
		ASSERT_EQ(BTest::CloseWindow(program.Window()), B_OK);
		EXPECT_TRUE(program.WaitForEnd(5000000));
	}, 120);
	EXPECT_EQ(result.status, 0) << result.output;
}

TEST_F(SendoloBrowse, TheListIsReadAtMostOnceAMinute)
{
	bigtime_t start = 1000000000;
	std::vector<BString> machines;
	ASSERT_EQ(browse_machines_cached(kGroup, &machines, 5000000, start), B_OK);
	ASSERT_EQ(machines.size(), 3u);

	// With no tool to be found, only the kept list can answer.
	ScopedVariable path("PATH", "/nonexistent");
	machines.clear();
	ASSERT_EQ(browse_machines_cached("murmelobrowse", &machines, 5000000,
		start + kBrowseCacheLife - 1), B_OK);
	EXPECT_EQ(machines.size(), 3u);

	machines.clear();
	EXPECT_NE(browse_machines_cached(kGroup, &machines, 5000000, start + kBrowseCacheLife),
		B_OK);
	EXPECT_TRUE(machines.empty());
}
