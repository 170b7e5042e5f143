// The control strip's menu bar on the headless display: its menus and their
// messages, the options window, quitting, and the mail check with the add-on
// programs it starts, found two folders above the running program.
#include <TMenuBarComponent3.h>

#include <HistoryWindow.h>

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <Button.h>
#include <DisplayServer.h>
#include <Harness.h>
#include <MenuItem.h>
#include <OS.h>
#include <SeparatorItem.h>
#include <Window.h>

#include <Process.h>

#include "TempBootVolume.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

// An application that notes quit requests and refuses them until the
// test is over.
class QuitCountingApp : public BApplication {
public:
	QuitCountingApp() : BApplication("application/x-vnd.Murmelo-menubar-test") {}
	bool QuitRequested() override
	{
		if (allowQuit)
			return true;
		quitRequests++;
		return false;
	}
	std::atomic<bool> allowQuit{false};
	std::atomic<int32> quitRequests{0};
};

// The main window's part: counts what the history tells it.
class StripWindow : public BWindow {
public:
	StripWindow(const char* title)
		: BWindow(BRect(45, 370, 467, 770), title, B_TITLED_WINDOW, B_NOT_RESIZABLE)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == kMainHistoryOpened)
			historyOpened++;
		else
			BWindow::MessageReceived(message);
	}
	std::atomic<int32> historyOpened{0};
};

status_t
run_app(void* app)
{
	((BApplication*)app)->Run();
	return B_OK;
}

class MenuBarTest : public ::testing::Test {
protected:
	static void SetUpTestSuite()
	{
		setenv("BE_DISPLAY", "headless", 1);
		sApp = new QuitCountingApp;
		sThread = spawn_thread(run_app, "menu bar test application", B_NORMAL_PRIORITY, sApp);
		resume_thread(sThread);
	}
	static void TearDownTestSuite()
	{
		sApp->allowQuit = true;
		sApp->PostMessage(B_QUIT_REQUESTED);
		status_t result;
		wait_for_thread(sThread, &result);
		delete sApp;
	}
	void TearDown() override
	{
		for (BWindow* window : fWindows) {
			if (window->Lock())
				window->Quit();
		}
	}

	// A window like the main one, with the bar at the top-left of a strip.
	BWindow* NewStripWindow(const char* title)
	{
		BWindow* window = new StripWindow(title);
		fWindows.push_back(window);
		BView* strip = new BView(BRect(0, 0, 430, 100), "strip", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
		strip->SetViewColor(219, 219, 219);
		fBar = new TMenuBarComponent3(BRect(0, 0, 100, 15));
		strip->AddChild(fBar);
		window->AddChild(strip);
		window->Show();
		EXPECT_EQ(BTest::WaitForWindow(title), window);
		BTest::Locked(window, [&] { window->Activate(); });
		EXPECT_TRUE(BTest::WaitFor([&] {
			bool active = false;
			BTest::Locked(window, [&] { active = window->IsActive(); });
			return active;
		}));
		BTest::Sync(window);
		return window;
	}
	// Opens a menu of the bar by its title and answers its window.
	BWindow* Open(BWindow* window, int32 title)
	{
		BMenuItem* item = NULL;
		BTest::Locked(window, [&] { item = fBar->ItemAt(title); });
		BTest::ClickScreen(BTest::ItemCenter(window, item));
		BWindow* open = BTest::WaitForWindow(item->Submenu()->Name());
		if (open != NULL)
			BTest::Sync(open);
		return open;
	}
	void Choose(BWindow* window, int32 title, const char* label)
	{
		BWindow* open = Open(window, title);
		ASSERT_NE(open, nullptr);
		BMenu* menu = fBar->SubmenuAt(title);
		BTest::ClickScreen(BTest::ItemCenter(open, menu->FindItem(label)));
		ASSERT_TRUE(BTest::WaitFor(
			[&] { return DisplayServer::Default()->FindWindow(menu->Name()) == NULL; }));
		BTest::Sync(window);
	}

	static inline QuitCountingApp* sApp = NULL;
	static inline thread_id sThread = -1;
	std::vector<BWindow*> fWindows;
	TMenuBarComponent3* fBar = NULL;
};

// What the screen shows over area: the windows, later ones on top.
status_t
WriteScreenPNG(const std::vector<BWindow*>& windows, BRect area, const char* path)
{
	int32 width = area.IntegerWidth() + 1;
	int32 height = area.IntegerHeight() + 1;
	std::vector<uint32> pixels((size_t)width * height, 0xff336698);
	for (BWindow* window : windows) {
		BRect frame;
		BTest::Locked(window, [&] { frame = window->Frame(); });
		for (int32 y = 0; y < height; y++) {
			for (int32 x = 0; x < width; x++) {
				BPoint screen(area.left + x, area.top + y);
				if (!frame.Contains(screen))
					continue;
				rgb_color c = BTest::PixelAt(window, screen - frame.LeftTop());
				pixels[(size_t)y * width + x]
					= 0xff000000 | (c.red << 16) | (c.green << 8) | c.blue;
			}
		}
	}
	png_image image;
	memset(&image, 0, sizeof(image));
	image.version = PNG_IMAGE_VERSION;
	image.width = width;
	image.height = height;
	image.format = PNG_FORMAT_BGRA;
	return png_image_write_to_file(&image, path, 0, pixels.data(), width * 4, NULL) ? B_OK
																					: B_ERROR;
}

std::string
read_text(const std::string& path)
{
	std::ifstream in(path);
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST_F(MenuBarTest, TheBarHoldsBothMenusWithTheirItemsCommandsAndTargets)
{
	BWindow* window = NewStripWindow("menu bar items");
	BTest::Locked(window, [&] {
		EXPECT_STREQ(fBar->Name(), "MenuBar");
		EXPECT_EQ(fBar->ResizingMode(), (uint32)(B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP));
		EXPECT_EQ(fBar->Layout(), B_ITEMS_IN_ROW);
		// Resized to fit: one row high, across the strip.
		EXPECT_EQ(fBar->Frame().LeftTop(), BPoint(0, 0));
		EXPECT_EQ(fBar->Frame().Width(), 430);
		ASSERT_EQ(fBar->CountItems(), 2);
		EXPECT_STREQ(fBar->ItemAt(0)->Label(), "MENU");
		EXPECT_STREQ(fBar->ItemAt(1)->Label(), "more...");

		const struct {
			int32 menu;
			const char* label;
			uint32 what;
			char shortcut;
		} items[] = {
			{0, "Option", 'tion'},
			{0, "History\xE2\x80\xA6", 'hist', 'H'},
			{0, "About", 'bout'},
			{0, NULL, 0},
			{0, "Quit", 'tter'},
			{1, "Get Mail", 'Mail'},
			{1, "connect irc", '_Irc'},
		};
		int32 index[2] = {0, 0};
		for (const auto& expected : items) {
			BMenu* menu = fBar->SubmenuAt(expected.menu);
			EXPECT_EQ(menu->Layout(), B_ITEMS_IN_COLUMN);
			BMenuItem* item = menu->ItemAt(index[expected.menu]++);
			ASSERT_NE(item, nullptr);
			if (expected.label == NULL) {
				EXPECT_NE(dynamic_cast<BSeparatorItem*>(item), nullptr);
				continue;
			}
			SCOPED_TRACE(expected.label);
			EXPECT_STREQ(item->Label(), expected.label);
			EXPECT_EQ(item->Command(), expected.what);
			EXPECT_EQ(item->Shortcut(), expected.shortcut);
			EXPECT_EQ(item->Target(), fBar);
		}
		EXPECT_EQ(fBar->SubmenuAt(0)->CountItems(), 5);
		EXPECT_EQ(fBar->SubmenuAt(1)->CountItems(), 2);
	});
}

TEST_F(MenuBarTest, OptionOpensTheOptionsWindowAndQuitAsksTheApplication)
{
	BWindow* window = NewStripWindow("menu bar commands");
	Choose(window, 0, "Option");
	BWindow* options = BTest::WaitForWindow("Option Window");
	ASSERT_NE(options, nullptr);
	fWindows.push_back(options);
	BTest::Locked(options, [&] {
		EXPECT_EQ(options->Frame(), BRect(35, 229, 457, 600));
		// Out of the way of the bar, which it covers.
		options->MoveTo(600, 229);
	});
	// Each choice a new window.
	Choose(window, 0, "Option");
	ASSERT_TRUE(BTest::WaitFor([&] {
		int32 count = 0;
		for (BWindow* w : DisplayServer::Default()->Windows())
			count += strcmp(w->Title(), "Option Window") == 0;
		return count == 2;
	}));
	for (BWindow* w : DisplayServer::Default()->Windows()) {
		if (strcmp(w->Title(), "Option Window") == 0 && w != options) {
			fWindows.push_back(w);
			BTest::Locked(w, [&] { w->MoveTo(600, 229); });
		}
	}

	int32 before = sApp->quitRequests;
	Choose(window, 0, "Quit");
	EXPECT_TRUE(BTest::WaitFor([&] { return sApp->quitRequests == before + 1; }));
}

TEST_F(MenuBarTest, BothMenusOpenOverTheStrip)
{
	BWindow* window = NewStripWindow("menu bar look");
	for (int32 title = 0; title < 2; title++) {
		BWindow* open = Open(window, title);
		ASSERT_NE(open, nullptr);
		// The menu hangs below its title, on menu grey.
		BRect titleFrame, menuFrame;
		BTest::Locked(window,
			[&] { titleFrame = fBar->ConvertToScreen(fBar->ItemAt(title)->Frame()); });
		BTest::Locked(open, [&] { menuFrame = open->Frame(); });
		EXPECT_EQ(menuFrame.LeftTop(), BPoint(titleFrame.left, titleFrame.bottom + 1));
		rgb_color inside = BTest::PixelAt(open, BPoint(menuFrame.Width() - 4, 4));
		EXPECT_EQ(inside.red, 216);
		std::string name = title == 0 ? "menubar_MENU_open" : "menubar_more_open";
		BTest::Sync(window);
		EXPECT_EQ(WriteScreenPNG({window, open}, BRect(45, 370, 300, 470),
					  BTest::ScreenshotPath(name.c_str()).c_str()),
			B_OK);
		InputEvent escape;
		escape.type = InputEvent::KEY_DOWN;
		escape.bytes = "\x1b";
		DisplayServer::Default()->Inject(escape);
		const char* menuName = fBar->SubmenuAt(title)->Name();
		ASSERT_TRUE(BTest::WaitFor(
			[&] { return DisplayServer::Default()->FindWindow(menuName) == NULL; }));
	}
}

// Runs in a copy of this test program placed in a private install tree
// (see the test below); skipped in an ordinary run.
TEST_F(MenuBarTest, DISABLED_InstalledCopyChecksMailThenStartsTheAddOns)
{
	const char* record = getenv("MENUBAR_RECORD");
	ASSERT_NE(record, nullptr);
	BWindow* window = NewStripWindow("installed menu bar");
	BWindow* open = Open(window, 1);
	ASSERT_NE(open, nullptr);
	BTest::ClickScreen(BTest::ItemCenter(open, fBar->SubmenuAt(1)->FindItem("Get Mail")));

	// The alert, with its one button; the add-on waits for it.
	BAlert* alert = NULL;
	ASSERT_TRUE(BTest::WaitFor([&] {
		for (BWindow* w : DisplayServer::Default()->Windows()) {
			if ((alert = dynamic_cast<BAlert*>(w)) != NULL)
				return true;
		}
		return false;
	}));
	BTest::Sync(alert);
	BButton* ok = NULL;
	BTest::Locked(alert, [&] {
		EXPECT_STREQ(alert->Title(), "");
		EXPECT_STREQ(alert->Text(), "The mail daemon isn't running");
		EXPECT_EQ(alert->AlertType(), B_INFO_ALERT);
		ASSERT_EQ(alert->CountButtons(), 1);
		ok = alert->ButtonAt(0);
		EXPECT_STREQ(ok->Label(), "OK");
	});
	snooze(100000);
	EXPECT_EQ(access(record, F_OK), -1) << "the add-on started before the alert closed";
	ASSERT_EQ(BTest::Click(ok, BPoint(10, 5)), B_OK);
	ASSERT_TRUE(BTest::WaitFor([&] { return read_text(record).find("Letterol") != std::string::npos; }));

	// "connect irc" starts the IRC add-on "addon/IRC".
	open = Open(window, 1);
	ASSERT_NE(open, nullptr);
	BTest::ClickScreen(BTest::ItemCenter(open, fBar->SubmenuAt(1)->FindItem("connect irc")));
	ASSERT_TRUE(BTest::WaitFor([&] { return read_text(record).find("IRC\n") != std::string::npos; }));
}

// A copy of this test program at <tree>/y/Murmelo in an install tree whose
// path holds a blank and a shell character, with stand-ins for the add-ons
// that note the path they were started by (and what the mail folder of
// BE_BOOT_VOLUME holds by then).
struct InstalledCopy {
	InstalledCopy() : temp("murmelo-menubar")
	{
		tree = temp.Path() + "/inst dir;$(true)/apps/x";
		for (const std::string& folder : {temp.Path() + "/inst dir;$(true)",
				 temp.Path() + "/inst dir;$(true)/apps", tree, tree + "/y", tree + "/addon"})
			EXPECT_EQ(mkdir(folder.c_str(), 0755), 0) << folder;
		program = tree + "/y/Murmelo";
		{
			std::ifstream in("/proc/self/exe", std::ios::binary);
			std::ofstream out(program, std::ios::binary);
			out << in.rdbuf();
		}
		EXPECT_EQ(chmod(program.c_str(), 0755), 0);
		record = temp.Path() + "/started";
		runtime = temp.Path() + "/runtime";
		EXPECT_EQ(mkdir(runtime.c_str(), 0700), 0);
		for (const char* name : {"Letterol", "IRC"}) {
			std::string path = tree + "/addon/" + name;
			std::ofstream script(path);
			script << "#!/bin/sh\nprintf '%s\\n' \"$0\" >> \"$MENUBAR_RECORD\"\n"
					  "if [ -n \"$BE_BOOT_VOLUME\" ]; then ls \"$BE_BOOT_VOLUME/home/mail/in\" "
					  "| wc -l >> \"$MENUBAR_RECORD\"; fi\n";
			script.close();
			EXPECT_EQ(chmod(path.c_str(), 0755), 0);
		}
	}

	ProcessResult Run(const char* test, std::vector<std::string> environment = {})
	{
		environment.push_back("MENUBAR_RECORD=" + record);
		// Its own runtime folder: no mail daemon of the user's answers.
		environment.push_back("XDG_RUNTIME_DIR=" + runtime);
		return run_process({program, "--gtest_also_run_disabled_tests",
							   std::string("--gtest_filter=MenuBarTest.") + test},
			"", environment);
	}

	TempDir temp;
	std::string tree, program, record, runtime;
};

TEST_F(MenuBarTest, GetMailShowsTheNoDaemonAlertAndStillStartsLetterolFromTheInstallTree)
{
	InstalledCopy copy;
	std::string tree = copy.tree;
	ProcessResult child = copy.Run("DISABLED_InstalledCopyChecksMailThenStartsTheAddOns");
	EXPECT_EQ(child.status, 0) << child.output;
	EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
	// The lines it writes, in order.
	size_t started = child.output.find("mail fonction started\n");
	size_t returned = child.output.find("mail fonction return\n");
	size_t path = child.output.find(tree + "/addon/Letterol\n");
	EXPECT_NE(started, std::string::npos);
	EXPECT_NE(returned, std::string::npos);
	EXPECT_NE(path, std::string::npos);
	EXPECT_LT(started, returned);
	EXPECT_LT(returned, path);
	EXPECT_EQ(read_text(copy.record),
		tree + "/addon/Letterol\n" + tree + "/addon/IRC\n");
}

// Runs in the installed copy while the mail daemon runs.
TEST_F(MenuBarTest, DISABLED_InstalledCopyAsksTheRunningDaemonAndStartsLetterolWithoutAnAlert)
{
	const char* record = getenv("MENUBAR_RECORD");
	ASSERT_NE(record, nullptr);
	BWindow* window = NewStripWindow("installed menu bar");
	BWindow* open = Open(window, 1);
	ASSERT_NE(open, nullptr);
	BTest::ClickScreen(BTest::ItemCenter(open, fBar->SubmenuAt(1)->FindItem("Get Mail")));
	// An alert would hold the add-on back until it is closed.
	ASSERT_TRUE(BTest::WaitFor([&] { return read_text(record).find("Letterol") != std::string::npos; }));
	for (BWindow* w : DisplayServer::Default()->Windows())
		EXPECT_EQ(dynamic_cast<BAlert*>(w), nullptr) << w->Title();
}

TEST_F(MenuBarTest, GetMailWithTheDaemonRunningShowsNoAlertAndTheMailIsFiledBeforeLetterolStarts)
{
	InstalledCopy copy;
	TempBootVolume volume;
	TempDir maildir("murmelo-menubar-maildir");
	for (const char* sub : {"/new", "/cur", "/tmp"})
		ASSERT_EQ(mkdir((maildir.Path() + sub).c_str(), 0700), 0);
	std::string settings = volume.Write("home/config/settings/mail_accounts",
		"check_every 0\naccount local\n\tprotocol maildir\n\tpath " + maildir.Path() + "\n");
	ASSERT_EQ(chmod(settings.c_str(), 0600), 0);
	std::vector<std::string> environment{
		"BE_BOOT_VOLUME=" + volume.Root(), "XDG_RUNTIME_DIR=" + copy.runtime};

	// The daemon, ready once it has made its first check.
	int ends[2];
	ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
	std::string daemonPath = std::string(MURMELO_TREE) + "/bin/mail_daemon";
	std::vector<std::string> envStrings;
	for (char** entry = environ; *entry != NULL; entry++)
		envStrings.push_back(*entry);
	envStrings.insert(envStrings.end(), environment.begin(), environment.end());
	std::vector<char*> envp;
	for (std::string& each : envStrings)
		envp.push_back(each.data());
	envp.push_back(NULL);
	char* argv[] = {daemonPath.data(), NULL};
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
	pid_t daemon;
	ASSERT_EQ(posix_spawn(&daemon, daemonPath.c_str(), &actions, NULL, argv, envp.data()), 0);
	posix_spawn_file_actions_destroy(&actions);
	close(ends[1]);
	FILE* output = fdopen(ends[0], "r");
	char line[256];
	ASSERT_NE(fgets(line, sizeof(line), output), nullptr);
	EXPECT_STREQ(line, "mail_daemon: checked 1 account, 0 new mails filed\n");

	// A mail arrives after that check: only a check asked for files it.
	std::ofstream(maildir.Path() + "/new/1.a.host") << "Subject: hi\r\n\r\nbody\r\n";
	ProcessResult child = copy.Run(
		"DISABLED_InstalledCopyAsksTheRunningDaemonAndStartsLetterolWithoutAnAlert", environment);
	EXPECT_EQ(child.status, 0) << child.output;
	EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
	EXPECT_LT(child.output.find("mail fonction started\n"), child.output.find("mail fonction return\n"));
	EXPECT_EQ(read_text(copy.record), copy.tree + "/addon/Letterol\n1\n");
	ASSERT_NE(fgets(line, sizeof(line), output), nullptr);
	EXPECT_STREQ(line, "mail_daemon: checked 1 account, 1 new mail filed\n");

	kill(daemon, SIGTERM);
	int status;
	waitpid(daemon, &status, 0);
	fclose(output);
}

TEST_F(MenuBarTest, HistoryOpensOneWindowByMenuOrAltHAndTellsTheMainWindow)
{
	TempBootVolume volume;
	StripWindow* window = (StripWindow*)NewStripWindow("menu bar history");
	auto histories = [] {
		int32 count = 0;
		for (BWindow* w : DisplayServer::Default()->Windows())
			count += strcmp(w->Title(), "History") == 0;
		return count;
	};
	Choose(window, 0, "History\xE2\x80\xA6");
	BWindow* history = BTest::WaitForWindow("History");
	ASSERT_NE(history, nullptr);
	EXPECT_EQ(history, HistoryWindow::Current());
	EXPECT_TRUE(BTest::WaitFor([&] { return window->historyOpened == 1; }));
	// Out of the way of the bar.
	BTest::Locked(history, [&] { history->MoveTo(500, 60); });

	// A second choice brings the same window to the front.
	BTest::Locked(window, [&] { window->Activate(); });
	BTest::Sync(window);
	Choose(window, 0, "History\xE2\x80\xA6");
	EXPECT_TRUE(BTest::WaitFor([&] { return window->historyOpened == 2; }));
	EXPECT_TRUE(BTest::WaitFor([&] {
		bool active = false;
		BTest::Locked(history, [&] { active = history->IsActive(); });
		return active;
	}));
	EXPECT_EQ(histories(), 1);

	BTest::CloseWindow(history);
	ASSERT_TRUE(BTest::WaitFor([&] { return histories() == 0; }));
	BTest::Locked(window, [&] { window->Activate(); });
	BTest::Sync(window);
	BTest::PressKey(window, "h", 0, B_COMMAND_KEY);
	history = BTest::WaitForWindow("History");
	ASSERT_NE(history, nullptr);
	EXPECT_TRUE(BTest::WaitFor([&] { return window->historyOpened == 3; }));
	fWindows.push_back(history);
}
