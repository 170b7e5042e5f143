// The launcher against the Deskbar host of this process: its icon, its
// menu and what the menu starts, and the removal paths.
#include "HostedDeskbar.h"

#include <Alert.h>
#include <AppDefs.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Message.h>
#include <Messenger.h>
#include <Roster.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

namespace {

const std::string kLauncher = std::string(MURMELO_TREE) + "/launcher/Launcher";

class LauncherTest : public ::testing::Test {
protected:
	static void SetUpTestSuite()
	{
		// No tray: the host's own window shows the icons.
		setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
		sDeskbar = new HostedDeskbar();
	}
	static void TearDownTestSuite()
	{
		delete sDeskbar;
		sDeskbar = NULL;
	}
	void SetUp() override
	{
		ASSERT_NE(sDeskbar->Window(), nullptr);
		sDeskbar->Clear();
	}

	static ProcessResult Launcher(const std::vector<std::string>& arguments = {})
	{
		std::vector<std::string> argv = {kLauncher};
		argv.insert(argv.end(), arguments.begin(), arguments.end());
		return run_process(argv);
	}

	// Opens the icon's menu with a click and answers its window.
	static BWindow* OpenMenu(BView* icon)
	{
		EXPECT_EQ(BTest::MouseDown(icon, BPoint(8, 8)), B_OK);
		BWindow* menu = BTest::WaitForWindow("LauncherView");
		if (menu != NULL)
			BTest::Sync(menu);
		return menu;
	}

	static void Choose(BWindow* menuWindow, const char* label)
	{
		BMenu* menu = dynamic_cast<BMenu*>(BTest::FindView(menuWindow, "LauncherView"));
		ASSERT_NE(menu, nullptr);
		BMenuItem* item = NULL;
		BTest::Locked(menuWindow, [&] { item = menu->FindItem(label); });
		ASSERT_NE(item, nullptr) << label;
		ASSERT_EQ(BTest::ClickScreen(BTest::ItemCenter(menuWindow, item)), B_OK);
	}

	static void StopProgram(const char* signature)
	{
		team_id team = be_roster->TeamFor(signature);
		if (team >= 0)
			kill(team, SIGTERM);
	}

	static HostedDeskbar* sDeskbar;
};

HostedDeskbar* LauncherTest::sDeskbar = NULL;

} // namespace

TEST_F(LauncherTest, IconDrawsMuInRedAndItsMenuHasTheFiveCommands)
{
	ProcessResult result = Launcher();
	EXPECT_EQ(result.status, 0);
	EXPECT_NE(result.output.find(" Replicant sent to the Deskbar.\n"), std::string::npos)
		<< result.output;
	EXPECT_NE(result.output.find("[LauncherView::LauncherView] Constructed.\n"),
		std::string::npos);
	ASSERT_EQ(sDeskbar->Count(), 1);

	BView* icon = sDeskbar->ReplicantAt(0);
	ASSERT_NE(icon, nullptr);
	BWindow* window = sDeskbar->Window();
	BTest::Sync(window);
	BRect frame;
	BTest::Locked(window, [&] {
		EXPECT_STREQ(icon->Name(), "Launcher");
		EXPECT_EQ(icon->Bounds(), BRect(0, 0, 15, 15));
		EXPECT_EQ(icon->Flags(), (uint32)0x30000000);
		frame = icon->ConvertToScreen(icon->Bounds());
		frame.OffsetBy(-window->Frame().left, -window->Frame().top);
	});
	BTest::WriteWindowPNG(window, BTest::ScreenshotPath("deskbar-launcher").c_str());
	int red = 0;
	for (int32 y = (int32)frame.top; y <= (int32)frame.bottom; y++) {
		for (int32 x = (int32)frame.left; x <= (int32)frame.right; x++) {
			rgb_color pixel = BTest::PixelAt(window, BPoint(x, y));
			// The letters' edges are smoothed into the view colour.
			if (pixel.red >= 200 && pixel.green < 90 && pixel.blue < 90)
				red++;
		}
	}
	EXPECT_GT(red, 8) << "the letters MU in red";

	BWindow* menuWindow = OpenMenu(icon);
	ASSERT_NE(menuWindow, nullptr);
	BTest::WriteWindowPNG(menuWindow, BTest::ScreenshotPath("deskbar-launcher-menu").c_str());
	BMenu* menu = dynamic_cast<BMenu*>(BTest::FindView(menuWindow, "LauncherView"));
	ASSERT_NE(menu, nullptr);
	std::vector<std::pair<std::string, uint32>> items;
	BTest::Locked(menuWindow, [&] {
		for (int32 i = 0; i < menu->CountItems(); i++) {
			BMenuItem* item = menu->ItemAt(i);
			items.emplace_back(item->Label() != NULL && item->Label()[0] != '\0' ? item->Label() : "-",
				item->Message() != NULL ? item->Message()->what : 0);
		}
	});
	std::vector<std::pair<std::string, uint32>> expected = {{"MURMELO", 10000},
		{"quick message", 10001}, {"-", 0}, {"tiranso control", 10002}, {"-", 0},
		{"About\xE2\x80\xA6", B_ABOUT_REQUESTED}, {"Quit", 10004}};
	EXPECT_EQ(items, expected);

	// About: the alert, and the icon is still there.
	Choose(menuWindow, "About\xE2\x80\xA6");
	BWindow* about = BTest::WaitForWindow("About Launcher");
	ASSERT_NE(about, nullptr);
	BTest::CloseWindow(about);
	EXPECT_EQ(sDeskbar->Count(), 1);
}

TEST_F(LauncherTest, MenuStartsTheInstalledProgramsFromTheModulesFolder)
{
	ASSERT_EQ(Launcher().status, 0);
	ASSERT_EQ(sDeskbar->Count(), 1);
	BView* icon = sDeskbar->ReplicantAt(0);

	// The path line goes to this process's standard output, unended.
	fflush(stdout);
	TempDir folder("murmelo-launcher-out");
	std::string capture = folder.Path() + "/stdout";
	int saved = dup(1);
	int file = open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
	dup2(file, 1);
	close(file);
	BWindow* menuWindow = OpenMenu(icon);
	ASSERT_NE(menuWindow, nullptr);
	Choose(menuWindow, "MURMELO");
	bool started = BTest::WaitFor([] { return be_roster->IsRunning("application/x-vnd.Murmelo"); },
		20000000);
	fflush(stdout);
	dup2(saved, 1);
	close(saved);
	EXPECT_TRUE(started) << "the messenger runs";
	StopProgram("application/x-vnd.Murmelo");
	std::string expectedLine = std::string("Path for Murmelo:  ") + MURMELO_TREE
		+ "/Murmelo/Murmelo2\\n";
	EXPECT_NE(read_file(capture).find(expectedLine), std::string::npos) << read_file(capture);

	menuWindow = OpenMenu(icon);
	ASSERT_NE(menuWindow, nullptr);
	Choose(menuWindow, "quick message");
	EXPECT_TRUE(BTest::WaitFor(
		[] { return be_roster->IsRunning("application/x-vnd.Murmelo.Sender"); }, 20000000));
	StopProgram("application/x-vnd.Murmelo.Sender");
}

TEST_F(LauncherTest, QuitTakesOutEveryLauncherIconAndLeavesTheOthers)
{
	ASSERT_EQ(Launcher().status, 0);
	ASSERT_EQ(Launcher().status, 0);
	ASSERT_EQ(sDeskbar->Count(), 2);
	// Another program's item stays.
	BView other(BRect(0, 0, 15, 15), "Other", 0, B_WILL_DRAW);
	BMessage archive;
	ASSERT_EQ(other.Archive(&archive), B_OK);
	{
		BAutolock locker(sDeskbar->Window());
		ASSERT_EQ(sDeskbar->Window()->Shelf()->AddReplicant(&archive, BPoint(0, 0)), B_OK);
	}

	BWindow* menuWindow = OpenMenu(sDeskbar->ReplicantAt(1));
	ASSERT_NE(menuWindow, nullptr);
	Choose(menuWindow, "Quit");
	EXPECT_TRUE(BTest::WaitFor([] { return sDeskbar->Count() == 1; }));
	ASSERT_EQ(sDeskbar->Count(), 1);
	EXPECT_STREQ(sDeskbar->ReplicantAt(0)->Name(), "Other");

	// Once none is left, the Deskbar says it does not understand.
	BMessage request(B_DELETE_PROPERTY);
	request.AddSpecifier("Replicant", "LauncherView");
	request.AddSpecifier("Shelf");
	request.AddSpecifier("View", "Status");
	request.AddSpecifier("Window", "Deskbar");
	BMessage reply;
	ASSERT_EQ(BMessenger("application/x-vnd.Be-TSKB").SendMessage(&request, &reply), B_OK);
	EXPECT_EQ(reply.what, (uint32)B_MESSAGE_NOT_UNDERSTOOD);
}

TEST_F(LauncherTest, RemoveArgumentsTakeOutAllIconsAndOthersDoNothing)
{
	ASSERT_EQ(Launcher().status, 0);
	ASSERT_EQ(Launcher().status, 0);
	ASSERT_EQ(sDeskbar->Count(), 2);
	ProcessResult other = Launcher({"other"});
	EXPECT_EQ(other.status, 0);
	EXPECT_EQ(other.output, "");
	EXPECT_EQ(sDeskbar->Count(), 2);

	EXPECT_EQ(Launcher({"remove"}).status, 0);
	EXPECT_EQ(sDeskbar->Count(), 0);

	ASSERT_EQ(Launcher().status, 0);
	ASSERT_EQ(Launcher().status, 0);
	EXPECT_EQ(Launcher({"--remove-all"}).status, 0);
	EXPECT_EQ(sDeskbar->Count(), 0);
	// The case matters.
	ASSERT_EQ(Launcher().status, 0);
	EXPECT_EQ(Launcher({"REMOVE"}).status, 0);
	EXPECT_EQ(sDeskbar->Count(), 1);
}
