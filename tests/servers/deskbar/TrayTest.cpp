// The Deskbar's replicants as StatusNotifierItems on a private session bus
// with a real watcher: the icon's pixels, the tray's clicks opening the
// view's own menu, leaving, and coming back with a restarted watcher.
#include "HostedDeskbar.h"

#include <DesktopSession.h>
#include <DisplayServer.h>
#include <Menu.h>
#include <MenuItem.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <sstream>

extern char** environ;

namespace {

const std::string kLauncher = std::string(MURMELO_TREE) + "/launcher/Launcher";
const char* kWatcher = "org.kde.StatusNotifierWatcher";

struct Entry {
	std::string service;
	std::string path;
};

class TrayTest : public ::testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sSession = new DesktopSession(false);
		if (!sSession->Problem().empty())
			return;
		setenv("DBUS_SESSION_BUS_ADDRESS", sSession->Address().c_str(), 1);
		StartWatcher();
		sDeskbar = new HostedDeskbar();
	}
	static void TearDownTestSuite()
	{
		delete sDeskbar;
		StopWatcher();
		delete sSession;
	}
	void SetUp() override
	{
		if (!sSession->Problem().empty() || access("/usr/bin/status-notifier-watcher", X_OK) != 0)
			GTEST_SKIP() << "no private bus or watcher: " << sSession->Problem();
		ASSERT_NE(sDeskbar->Window(), nullptr);
		sDeskbar->Clear();
		ASSERT_TRUE(BTest::WaitFor([] { return Entries().empty(); }));
	}

	static void StartWatcher()
	{
		const char* argv[] = {"status-notifier-watcher", NULL};
		posix_spawnp(&sWatcher, argv[0], NULL, NULL, (char* const*)argv, environ);
		BTest::WaitFor([] { return HasWatcher(); }, 20000000);
	}

	static void StopWatcher()
	{
		if (sWatcher <= 0)
			return;
		kill(sWatcher, SIGTERM);
		waitpid(sWatcher, NULL, 0);
		sWatcher = -1;
	}

	static ProcessResult Bus(const std::vector<std::string>& arguments)
	{
		std::vector<std::string> argv = {"busctl", "--address=" + sSession->Address()};
		argv.insert(argv.end(), arguments.begin(), arguments.end());
		return run_process(argv);
	}

	static bool HasWatcher()
	{
		return Bus({"call", "org.freedesktop.DBus", "/org/freedesktop/DBus",
					   "org.freedesktop.DBus", "NameHasOwner", "s", kWatcher})
				   .output
			== "b true\n";
	}

	// The items the watcher knows: "a(ss) 1 \":1.5\" \"/path\"".
	static std::vector<Entry> Entries()
	{
		ProcessResult result = Bus({"get-property", kWatcher, "/StatusNotifierWatcher", kWatcher,
			"RegisteredSNIEntries"});
		std::istringstream words(result.output);
		std::string type;
		int count = 0;
		words >> type >> count;
		std::vector<Entry> entries;
		for (int i = 0; i < count; i++) {
			Entry entry;
			words >> entry.service >> entry.path;
			auto unquote = [](std::string& text) {
				if (text.size() >= 2)
					text = text.substr(1, text.size() - 2);
			};
			unquote(entry.service);
			unquote(entry.path);
			entries.push_back(entry);
		}
		return entries;
	}

	// The icon's pixels as 0xAARRGGBB, read through the bus.
	static std::vector<uint32> IconPixels(const Entry& entry, int* width, int* height)
	{
		ProcessResult result = Bus({"get-property", entry.service, entry.path,
			"org.kde.StatusNotifierItem", "IconPixmap"});
		std::istringstream words(result.output);
		std::string type;
		int count = 0, bytes = 0;
		words >> type >> count >> *width >> *height >> bytes;
		std::vector<uint32> pixels;
		for (int i = 0; count == 1 && i + 3 < bytes; i += 4) {
			uint32 a, r, g, b;
			words >> a >> r >> g >> b;
			pixels.push_back(a << 24 | r << 16 | g << 8 | b);
		}
		return pixels;
	}

	static int RedPixels(const std::vector<uint32>& pixels)
	{
		int red = 0;
		for (uint32 pixel : pixels) {
			if (((pixel >> 16) & 0xff) >= 200 && ((pixel >> 8) & 0xff) < 90 && (pixel & 0xff) < 90)
				red++;
		}
		return red;
	}

	static DesktopSession* sSession;
	static HostedDeskbar* sDeskbar;
	static pid_t sWatcher;
};

DesktopSession* TrayTest::sSession = NULL;
HostedDeskbar* TrayTest::sDeskbar = NULL;
pid_t TrayTest::sWatcher = -1;

} // namespace

TEST_F(TrayTest, IconShowsMuInRedAndTheTraysClicksOpenTheLauncherMenu)
{
	EXPECT_TRUE(sDeskbar->InTray());
	ASSERT_EQ(run_process({kLauncher}).status, 0);
	ASSERT_TRUE(BTest::WaitFor([] { return Entries().size() == 1; }));
	Entry item = Entries()[0];

	int width = 0, height = 0;
	std::vector<uint32> pixels = IconPixels(item, &width, &height);
	EXPECT_EQ(width, 16);
	EXPECT_EQ(height, 16);
	ASSERT_EQ(pixels.size(), 256u);
	EXPECT_GT(RedPixels(pixels), 8) << "the letters MU in red";
	EXPECT_EQ(Bus({"get-property", item.service, item.path, "org.kde.StatusNotifierItem",
				  "Title"})
				  .output,
		"s \"Launcher\"\n");

	// Both ways a tray asks for the menu open it where it was clicked.
	for (const char* method : {"ContextMenu", "Activate"}) {
		ASSERT_EQ(Bus({"call", item.service, item.path, "org.kde.StatusNotifierItem", method,
					  "ii", "300", "200"})
					  .status,
			0);
		BWindow* menuWindow = BTest::WaitForWindow("LauncherView");
		ASSERT_NE(menuWindow, nullptr) << method;
		BTest::Sync(menuWindow);
		BMenu* menu = dynamic_cast<BMenu*>(BTest::FindView(menuWindow, "LauncherView"));
		ASSERT_NE(menu, nullptr);
		int32 count = 0;
		BRect frame;
		BTest::Locked(menuWindow, [&] {
			count = menu->CountItems();
			frame = menuWindow->Frame();
		});
		EXPECT_EQ(count, 7);
		BTest::WriteWindowPNG(menuWindow,
			BTest::ScreenshotPath((std::string("deskbar-tray-menu-") + method).c_str()).c_str());
		EXPECT_NEAR(frame.left, 300, 2);
		EXPECT_NEAR(frame.top, 200, 2);
		if (strcmp(method, "Activate") == 0) {
			BMenuItem* quit = NULL;
			BTest::Locked(menuWindow, [&] { quit = menu->FindItem("Quit"); });
			ASSERT_EQ(BTest::ClickScreen(BTest::ItemCenter(menuWindow, quit)), B_OK);
		} else {
			BTest::ClickScreen(BPoint(5, 5));
			ASSERT_TRUE(BTest::WaitFor(
				[] { return DisplayServer::Default()->FindWindow("LauncherView") == NULL; }));
		}
	}
	// Quit: the watcher sees the icon go.
	EXPECT_TRUE(BTest::WaitFor([] { return Entries().empty(); }));
	EXPECT_EQ(sDeskbar->Count(), 0);
}

TEST_F(TrayTest, IconsRegisterAgainWithARestartedWatcherAndShowInTheWindowMeanwhile)
{
	ASSERT_EQ(run_process({kLauncher}).status, 0);
	ASSERT_TRUE(BTest::WaitFor([] { return Entries().size() == 1; }));

	StopWatcher();
	ASSERT_TRUE(BTest::WaitFor([] { return !sDeskbar->InTray(); }));
	// Meanwhile the host's own window shows the icon, and it draws.
	BTest::Sync(sDeskbar->Window());
	BTest::WriteWindowPNG(sDeskbar->Window(), BTest::ScreenshotPath("deskbar-no-tray").c_str());

	StartWatcher();
	ASSERT_TRUE(BTest::WaitFor([] { return Entries().size() == 1; }));
	EXPECT_TRUE(sDeskbar->InTray());
	int width = 0, height = 0;
	EXPECT_GT(RedPixels(IconPixels(Entries()[0], &width, &height)), 8);
}
