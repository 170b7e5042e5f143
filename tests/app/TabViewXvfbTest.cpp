// A real window under Xvfb through the sdl display: the tab view over the
// skin, a click by xdotool, and the screen read back with ImageMagick.
#include <Bitmap.h>
#include <BitmapView.h>
#include <Harness.h>
#include <XvfbDisplay.h>
#include <Screen.h>
#include <TabView.h>
#include <TranslationUtils.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

bool
InPath(const char* program)
{
	const char* path = getenv("PATH");
	std::string paths = path != NULL ? path : "/usr/bin:/bin";
	size_t start = 0;
	while (start <= paths.size()) {
		size_t end = paths.find(':', start);
		std::string dir = paths.substr(start, end == std::string::npos ? end : end - start);
		if (access((dir + "/" + program).c_str(), X_OK) == 0)
			return true;
		if (end == std::string::npos)
			break;
		start = end + 1;
	}
	return false;
}

pid_t
Spawn(const std::vector<std::string>& args)
{
	std::vector<char*> argv;
	for (const std::string& arg : args)
		argv.push_back(const_cast<char*>(arg.c_str()));
	argv.push_back(NULL);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
	pid_t pid = -1;
	if (posix_spawnp(&pid, argv[0], &actions, NULL, argv.data(), environ) != 0)
		pid = -1;
	posix_spawn_file_actions_destroy(&actions);
	return pid;
}

int
RunProgram(const std::vector<std::string>& args)
{
	pid_t pid = Spawn(args);
	if (pid < 0)
		return -1;
	int status = 0;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

BBitmap*
ScreenShot(const std::string& path)
{
	if (RunProgram({"import", "-window", "root", path}) != 0)
		return NULL;
	return BTranslationUtils::GetBitmapFile(path.c_str());
}

} // namespace

TEST(TabViewOnXvfb, ClickSwitchesTheTabOnARealScreen)
{
	for (const char* tool : {"Xvfb", "xdotool", "import"}) {
		if (!InPath(tool))
			GTEST_SKIP() << tool << " is not installed";
	}
	// Xvfb ends with its last client: this process, whose display server
	// keeps its connection until it exits.
	BTest::XvfbDisplay xvfb("800x600x24", {"-terminate"});
	ASSERT_TRUE(xvfb.Started());
	std::string display = xvfb.Display();
	setenv("DISPLAY", display.c_str(), 1);
	unsetenv("WAYLAND_DISPLAY");
	unsetenv("SDL_VIDEODRIVER");

	{
		BTest::HeadlessApp app("application/x-vnd.Murmelo-test", "sdl");
		BWindow* window = new BWindow(BRect(100, 100, 529, 529), "murmelo", B_TITLED_WINDOW,
			B_NOT_RESIZABLE);
		BBitmap* skin = BTranslationUtils::GetBitmap("skin");
		ASSERT_NE(skin, nullptr);
		window->AddChild(new BitmapView(skin, skin->Bounds(), "BitmapView",
			B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW));
		const char* labels[] = {"Pop-Perso", "WorkGroup", "All-Pop"};
		TabView* tabs = new TabView(BRect(0, 101, 429, 429), NULL, labels, 3,
			B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE, be_plain_font);
		BView* pages[3];
		const rgb_color colours[] = {{255, 255, 255, 255}, {255, 240, 200, 255},
			{200, 240, 255, 255}};
		for (int i = 0; i < 3; i++) {
			pages[i] = new BView(tabs->GetContentArea(), labels[i], B_FOLLOW_ALL_SIDES, 0);
			pages[i]->SetViewColor(colours[i]);
		}
		tabs->AddViews(pages);
		window->AddChild(tabs);
		window->Show();
		ASSERT_EQ(BTest::WaitForWindow("murmelo"), window);
		xvfb.Detach();
		ASSERT_TRUE(BTest::Sync(window));
		// Alerts are centred and menus kept on this screen, not an assumed one.
		EXPECT_EQ(BScreen(window).Frame(), BRect(0, 0, 799, 599));

		std::string path = BTest::ScreenshotPath("xvfb_before");
		BRect second = tabs->TabFrame(1);
		// Screen coordinates of the middle of tab 1 and of a point on its page.
		BPoint tab1(100 + (second.left + second.right) / 2, 100 + 101 + 8);
		BPoint tab0(100 + 5, 100 + 101 + 5);
		BPoint page(100 + 200, 100 + 300);
		bool shown = BTest::WaitFor([&] {
			BBitmap* shot = ScreenShot(path);
			bool ok = shot != NULL && shot->PixelAt(tab0.x, tab0.y) == make_color(216, 216, 216)
				&& shot->PixelAt(page.x, page.y) == make_color(255, 255, 255);
			delete shot;
			return ok;
		});
		ASSERT_TRUE(shown) << "the window never showed on the screen";

		ASSERT_EQ(RunProgram({"xdotool", "mousemove", std::to_string((int)tab1.x),
					  std::to_string((int)tab1.y), "click", "1"}),
			0);
		int32 selected = -1;
		EXPECT_TRUE(BTest::WaitFor([&] {
			BTest::Locked(window, [&] { selected = tabs->Selection(); });
			return selected == 1;
		}));
		ASSERT_TRUE(BTest::Sync(window));
		path = BTest::ScreenshotPath("xvfb_after");
		bool switched = BTest::WaitFor([&] {
			BBitmap* shot = ScreenShot(path);
			bool ok = shot != NULL && shot->PixelAt(tab1.x, 100 + 101 + 5) == make_color(216, 216, 216)
				&& shot->PixelAt(tab0.x, tab0.y) == make_color(184, 184, 184)
				&& shot->PixelAt(page.x, page.y) == make_color(255, 240, 200)
				&& shot->PixelAt(100 + 240, 100 + 50) == make_color(0xe8, 0xe8, 0xe8);
			delete shot;
			return ok;
		});
		EXPECT_TRUE(switched) << "see " << path;
	}
}
