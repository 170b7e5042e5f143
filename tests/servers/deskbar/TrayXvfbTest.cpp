// The launcher's icon in a real tray under Xvfb: drawn there, clicked with
// xdotool, its menu opened over the tray, and the messenger started from it.
#include <DesktopSession.h>
#include <Harness.h>
#include <Process.h>
#include <TempBootVolume.h>
#include <XvfbDisplay.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <sstream>

extern char** environ;

namespace {

const std::string kTree = MURMELO_TREE;

pid_t
start(const std::vector<std::string>& arguments)
{
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back((char*)argument.c_str());
	argv.push_back(NULL);
	pid_t pid = -1;
	if (posix_spawnp(&pid, argv[0], NULL, NULL, argv.data(), environ) != 0)
		return -1;
	return pid;
}

void
stop(pid_t pid)
{
	if (pid <= 0)
		return;
	kill(pid, SIGTERM);
	waitpid(pid, NULL, 0);
}

bool
installed(const char* program)
{
	return access((std::string("/usr/bin/") + program).c_str(), X_OK) == 0;
}

// The pixels of a part of the screen, as RGB triples.
std::string
screen_pixels(int x, int y, int width, int height)
{
	TempDir folder("murmelo-tray-shot");
	std::string shot = folder.Path() + "/screen.png";
	run_process({"import", "-window", "root", shot});
	std::ostringstream crop;
	crop << width << "x" << height << "+" << x << "+" << y;
	return run_process({"convert", shot, "-crop", crop.str(), "-depth", "8", "rgb:-"}).output;
}

int
red_pixels(const std::string& rgb)
{
	int red = 0;
	for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
		if ((uint8)rgb[i] >= 200 && (uint8)rgb[i + 1] < 90 && (uint8)rgb[i + 2] < 90)
			red++;
	}
	return red;
}

// How many separate runs of rows hold dark (label) pixels: one per line of
// text in a menu.
int
label_bands(const std::string& rgb, int width)
{
	if (width <= 16)
		return 0;
	int bands = 0;
	bool inBand = false;
	// The edges hold the menu's border; a line across (border, separator)
	// is not text either.
	const int margin = 3;
	int inner = width - 2 * margin;
	size_t rows = rgb.size() / 3 / width;
	for (size_t y = 0; y < rows; y++) {
		int dark = 0;
		for (int x = margin; x < width - margin; x++) {
			size_t i = (y * width + x) * 3;
			if ((uint8)rgb[i] < 80 && (uint8)rgb[i + 1] < 80 && (uint8)rgb[i + 2] < 80)
				dark++;
		}
		bool text = dark > 0 && dark < inner - 8;
		if (text && !inBand)
			bands++;
		inBand = text;
	}
	return bands;
}

// The first window of that name: its left, top, width and height.
bool
window_geometry(const char* name, int geometry[4])
{
	ProcessResult found = run_process({"xdotool", "search", "--name", name});
	std::string id = found.output.substr(0, found.output.find('\n'));
	if (found.status != 0 || id.empty())
		return false;
	ProcessResult shape = run_process({"xdotool", "getwindowgeometry", "--shell", id});
	std::istringstream lines(shape.output);
	std::string line;
	int found_fields = 0;
	while (std::getline(lines, line)) {
		for (int i = 0; i < 4; i++) {
			static const char* const kKeys[] = {"X=", "Y=", "WIDTH=", "HEIGHT="};
			if (line.rfind(kKeys[i], 0) == 0) {
				geometry[i] = atoi(line.c_str() + strlen(kKeys[i]));
				found_fields++;
			}
		}
	}
	return found_fields == 4;
}

void
screenshot(const char* name)
{
	run_process({"import", "-window", "root", BTest::ScreenshotPath(name)});
}

} // namespace

TEST(TrayXvfbTest, IconIsDrawnInTheTrayAndItsMenuStartsTheMessenger)
{
	if (!installed("gtk-sni-tray-standalone") || !installed("status-notifier-watcher")
		|| !installed("xdotool") || !installed("import"))
		GTEST_SKIP() << "the tray, its watcher, xdotool or ImageMagick is not installed";
	BTest::XvfbDisplay display("640x480x24");
	ASSERT_TRUE(display.Started());
	DesktopSession session(false);
	ASSERT_EQ(session.Problem(), "");
	TempDir runtime("murmelo-tray-run");
	chmod(runtime.Path().c_str(), 0700);
	TempBootVolume volume;
	ScopedVariable bus("DBUS_SESSION_BUS_ADDRESS", session.Address().c_str());
	ScopedVariable screen("DISPLAY", display.Display().c_str());
	ScopedVariable runtimeFolder("XDG_RUNTIME_DIR", runtime.Path().c_str());
	ScopedVariable config("XDG_CONFIG_HOME", (volume.Root() + "/config").c_str());
	ScopedVariable backend("BE_DISPLAY", "sdl");
	ScopedVariable wayland("WAYLAND_DISPLAY", NULL);

	pid_t watcher = start({"status-notifier-watcher"});
	ASSERT_TRUE(BTest::WaitFor([&] {
		return run_process({"busctl", "--address=" + session.Address(), "call",
				   "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
				   "NameHasOwner", "s", "org.kde.StatusNotifierWatcher"})
				   .output
			== "b true\n";
	}, 20000000));
	pid_t tray = start({"gtk-sni-tray-standalone", "--top", "--beginning", "--size", "30"});

	// Not through a pipe: the Deskbar it starts would hold it open.
	pid_t launcher = start({kTree + "/launcher/Launcher"});
	int status = -1;
	ASSERT_EQ(waitpid(launcher, &status, 0), launcher);
	EXPECT_EQ(status, 0);
	// The tray draws the icon at its beginning, top left.
	bool drawn = BTest::WaitFor([] { return red_pixels(screen_pixels(0, 0, 30, 30)) > 8; },
		20000000);
	screenshot("tray-icon");
	EXPECT_TRUE(drawn) << "the MU icon in the tray";

	int menu[4] = {0, 0, 0, 0};
	run_process({"xdotool", "mousemove", "15", "15", "click", "1"});
	bool opened = BTest::WaitFor([&] { return window_geometry("^LauncherView$", menu); },
		20000000);
	EXPECT_TRUE(opened) << "the icon's menu";
	if (opened) {
		// Nothing but the click has reached the Deskbar: the menu must draw
		// its first frame on its own, a band of dark label pixels per item.
		int bands = 0;
		bool drawn = BTest::WaitFor([&] {
			bands = label_bands(screen_pixels(menu[0], menu[1], menu[2], menu[3]), menu[2]);
			return bands >= 5;
		}, 5000000);
		EXPECT_TRUE(drawn) << "the menu's five labels before the pointer moves; bands: "
						   << bands;
		screenshot("tray-menu");
		// "MURMELO", the first item.
		run_process({"xdotool", "mousemove", std::to_string(menu[0] + menu[2] / 2),
			std::to_string(menu[1] + 9), "click", "1"});
		int messenger[4];
		EXPECT_TRUE(BTest::WaitFor([&] { return window_geometry("^murmelo", messenger); },
			30000000))
			<< "the messenger's window";
		screenshot("tray-messenger");
	}

	// Every program of the session ends with it.
	pid_t remover = start({kTree + "/launcher/Launcher", "remove"});
	waitpid(remover, NULL, 0);
	ProcessResult teams = run_process({"pgrep", "-f", "-d", " ", "^" + kTree + "/"});
	std::istringstream pids(teams.output);
	pid_t pid;
	while (pids >> pid) {
		// Only the programs this test started: they run in its runtime folder.
		std::string environment = read_file("/proc/" + std::to_string(pid) + "/environ");
		if (environment.find("XDG_RUNTIME_DIR=" + runtime.Path()) != std::string::npos)
			kill(pid, SIGTERM);
	}
	stop(tray);
	stop(watcher);
}
