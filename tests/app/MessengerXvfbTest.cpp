// The messenger on a real X screen, the whole road once: the installed
// Murmelo under Xvfb on the sdl display, a private smbd whose message command
// runs the installed Murmelod, a person's mouse and keys played by xdotool,
// and the screen read back with ImageMagick's import.

#include "PrivateSamba.h"

#include <Bitmap.h>
#include <Harness.h>
#include <XvfbDisplay.h>
#include <MessageNames.h>
#include <MurmeloSettings.h>
#include <TranslationUtils.h>
#include <Tliste.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

// REPLY runs smbclient without -I: the sender's name must resolve, through
// a line in lmhosts, to the private server.
const char* kFriend = "xvfbfriend";
const char* kPopName = "varnoth";
const char* kMessage = "Hello from the X screen";
const char* kAnswer = "got it, thanks!";

// Where the main window's parts are, from its own top left corner.
const BPoint kSelectedTab(5, 105);
const BPoint kEmptyList(200, 320);
const BRect kNewRows(40, 190, 400, 225);
const BPoint kMessageRow(100, 216);
const BPoint kReplyButton(142, 50);
// And the private popup's.
const BPoint kWriteArea(280, 330);
const BPoint kPopupSend(504, 239);

bool
in_path(const char* program)
{
	std::stringstream paths(getenv("PATH") != NULL ? getenv("PATH") : "/usr/bin:/bin");
	std::string dir;
	while (std::getline(paths, dir, ':')) {
		if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
			return true;
	}
	return false;
}

// Starts a program in the background with the given environment, its
// output into a file.
pid_t
spawn(const std::vector<std::string>& args, const std::vector<std::string>& environment,
	const std::string& output)
{
	std::vector<char*> argv, envp;
	for (const std::string& arg : args)
		argv.push_back(const_cast<char*>(arg.c_str()));
	argv.push_back(NULL);
	for (const std::string& variable : environment)
		envp.push_back(const_cast<char*>(variable.c_str()));
	envp.push_back(NULL);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
	posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
		0644);
	posix_spawn_file_actions_adddup2(&actions, 1, 2);
	pid_t pid = -1;
	if (posix_spawnp(&pid, argv[0], &actions, NULL, argv.data(), envp.data()) != 0)
		pid = -1;
	posix_spawn_file_actions_destroy(&actions);
	return pid;
}

// This process's environment with some variables dropped and others set.
std::vector<std::string>
environment_with(const std::vector<std::string>& drop, const std::vector<std::string>& add)
{
	std::vector<std::string> result;
	for (char** entry = environ; *entry != NULL; entry++) {
		std::string variable = *entry;
		std::string name = variable.substr(0, variable.find('='));
		bool dropped = false;
		for (const std::string& other : drop)
			dropped = dropped || name == other;
		for (const std::string& other : add)
			dropped = dropped || other.compare(0, name.size() + 1, name + "=") == 0;
		if (!dropped)
			result.push_back(variable);
	}
	result.insert(result.end(), add.begin(), add.end());
	return result;
}

// A child that is stopped, if still running, when the test ends.
struct Child {
	pid_t pid = -1;
	int status = -1;

	~Child()
	{
		if (pid > 0) {
			kill(pid, SIGTERM);
			waitpid(pid, NULL, 0);
		}
	}

	// The exit status (128 + signal) once it has ended; -1 while it runs.
	int Wait(bigtime_t timeout)
	{
		for (bigtime_t waited = 0; pid > 0 && waited <= timeout; waited += 100000) {
			int raw;
			if (waitpid(pid, &raw, WNOHANG) == pid) {
				pid = -1;
				status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
				break;
			}
			usleep(100000);
		}
		return status;
	}
};

// The X screen, and what a person does on it.
class Screen {
public:
	Screen(const std::string& display) : fDisplay(display) {}

	ProcessResult Run(const std::vector<std::string>& args) const
	{
		return run_process(args, "", {"DISPLAY=" + fDisplay});
	}

	// The top left corner of the shown window of exactly that title.
	bool FindWindow(const std::string& title, BPoint* where) const
	{
		ProcessResult found = Run({"xdotool", "search", "--onlyvisible", "--name",
			"^" + title + "$", "getwindowgeometry", "--shell"});
		if (found.status != 0)
			return false;
		std::stringstream lines(found.output);
		std::string line;
		int x = -1, y = -1;
		while (std::getline(lines, line)) {
			if (line.compare(0, 2, "X=") == 0 && x < 0)
				x = atoi(line.c_str() + 2);
			else if (line.compare(0, 2, "Y=") == 0 && y < 0)
				y = atoi(line.c_str() + 2);
		}
		if (x < 0 || y < 0)
			return false;
		*where = BPoint(x, y);
		return true;
	}

	bool WaitForWindow(const std::string& title, BPoint* where,
		bigtime_t timeout = 15000000) const
	{
		return BTest::WaitFor([&] { return FindWindow(title, where); }, timeout);
	}

	bool Click(BPoint where) const
	{
		return Run({"xdotool", "mousemove", std::to_string((int)where.x),
				   std::to_string((int)where.y), "click", "1"})
				   .status
			== 0;
	}

	bool MoveTo(BPoint where) const
	{
		return Run({"xdotool", "mousemove", std::to_string((int)where.x),
				   std::to_string((int)where.y)})
				   .status
			== 0;
	}

	// Gives the keyboard focus to the window, as a window manager would on a
	// click; here there is none.
	bool Focus(const std::string& title) const
	{
		return Run({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$",
				   "windowfocus"})
				   .status
			== 0;
	}

	bool Type(const std::string& text) const
	{
		return Run({"xdotool", "type", "--delay", "40", text}).status == 0;
	}

	bool Key(const std::string& keys) const { return Run({"xdotool", "key", keys}).status == 0; }

	std::unique_ptr<BBitmap> Shot(const std::string& path) const
	{
		if (Run({"import", "-window", "root", path}).status != 0)
			return NULL;
		return std::unique_ptr<BBitmap>(BTranslationUtils::GetBitmapFile(path.c_str()));
	}

	// Waits until a screenshot, kept at path, satisfies the condition.
	bool WaitForShot(const std::string& path, const std::function<bool(const BBitmap&)>& test,
		bigtime_t timeout = 15000000) const
	{
		return BTest::WaitFor([&] {
			std::unique_ptr<BBitmap> shot = Shot(path);
			return shot != NULL && test(*shot);
		}, timeout);
	}

private:
	std::string fDisplay;
};

// Text in a rectangle of the screen: the pixels far darker than the list's
// white.
int32
dark_pixels(const BBitmap& shot, BRect area)
{
	int32 count = 0;
	for (int32 y = (int32)area.top; y <= (int32)area.bottom; y++) {
		for (int32 x = (int32)area.left; x <= (int32)area.right; x++) {
			rgb_color pixel = shot.PixelAt(x, y);
			count += pixel.red + pixel.green + pixel.blue < 300;
		}
	}
	return count;
}

std::string
text_of(const Tliste& record)
{
	return std::string(record.message, strnlen(record.message, sizeof(record.message)));
}

std::string
sender_of(const Tliste& record)
{
	BString sender;
	read_message_names(&record, &sender, NULL, NULL);
	return sender.String();
}

int
count_lines(const std::string& path)
{
	std::string text = read_file(path);
	int lines = 0;
	for (char c : text)
		lines += c == '\n';
	return lines;
}

} // namespace

TEST(MessengerOnXvfb, ReceivesShowsAnswersAndQuitsOnARealScreen)
{
	if (getuid() != 0)
		GTEST_SKIP() << "the Samba server and the lmhosts file need root";
	for (const char* tool : {"Xvfb", "xdotool", "import", "smbd", "smbclient"}) {
		if (!in_path(tool))
			GTEST_SKIP() << tool << " is not installed";
	}

	TempDir dir("murmelo-xvfb");
	ASSERT_FALSE(dir.Path().empty());

	BTest::XvfbDisplay xvfb("1024x768x24", {}, dir.Path() + "/xvfb.log");
	ASSERT_TRUE(xvfb.Started()) << read_file(dir.Path() + "/xvfb.log");
	std::string display = xvfb.Display();
	Screen screen(display);

	PrivateSamba samba;
	ASSERT_TRUE(samba.Started()) << samba.Output();
	std::string boot = samba.BootVolume();
	// The names file of the records is read through the boot volume too.
	ScopedVariable bootVariable("BE_BOOT_VOLUME", boot.c_str());
	murmelo_settings settings;
	settings.popName = kPopName;
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);

	// The messenger puts its own tree's bin folder first on its search
	// path, so the stand-in player goes into a tree of its own, beside a
	// hard link to the installed program (a copy across file systems).
	std::string tree = dir.Path() + "/tree/trovel";
	std::filesystem::create_directories(tree + "/Murmelo");
	std::filesystem::create_directories(tree + "/bin");
	std::string program = tree + "/Murmelo/Murmelo";
	std::error_code error;
	std::filesystem::create_hard_link(std::string(MURMELO_TREE) + "/Murmelo/Murmelo", program,
		error);
	if (error)
		std::filesystem::copy_file(std::string(MURMELO_TREE) + "/Murmelo/Murmelo", program);
	// There is no sound device here: the stand-in only records each run.
	std::string soundLog = dir.Path() + "/sounds";
	std::ofstream(tree + "/bin/MediaPlayer") << "#!/bin/sh\necho \"$@\" >> '" << soundLog
											 << "'\n";
	chmod((tree + "/bin/MediaPlayer").c_str(), 0755);

	LmhostsLine lmhosts("XVFBFRIEND");

	std::string log = dir.Path() + "/murmelo.log";
	const char* path = getenv("PATH");
	Child murmelo;
	murmelo.pid = spawn({program},
		environment_with({"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"},
			{"DISPLAY=" + display, "BE_DISPLAY=sdl", "BE_BOOT_VOLUME=" + boot,
				"PATH=" + tree + "/bin:" + (path != NULL ? path : "/usr/bin:/bin")}),
		log);
	ASSERT_GT(murmelo.pid, 0);

	// The splash, then the main window at its place, drawn.
	BPoint origin;
	ASSERT_TRUE(screen.WaitForWindow("murmelo", &origin)) << read_file(log);
	EXPECT_EQ(origin, BPoint(250, 200));
	std::string before = BTest::ScreenshotPath("messenger_xvfb_before");
	ASSERT_TRUE(screen.WaitForShot(before, [&](const BBitmap& shot) {
		return shot.PixelAt(origin.x + kSelectedTab.x, origin.y + kSelectedTab.y)
				== make_color(216, 216, 216)
			&& shot.PixelAt(origin.x + kEmptyList.x, origin.y + kEmptyList.y)
				== make_color(255, 255, 255);
	})) << "the main window never showed; see " << before;
	BRect rows = kNewRows.OffsetByCopy(origin);
	std::unique_ptr<BBitmap> empty = screen.Shot(before);
	ASSERT_NE(empty, nullptr);
	EXPECT_EQ(dark_pixels(*empty, rows), 0);

	ProcessResult sent = samba.Send(kFriend, kMessage);
	ASSERT_EQ(sent.status, 0) << sent.output;

	// The pulse finds the record and draws its two rows.
	std::string after = BTest::ScreenshotPath("messenger_xvfb_after");
	ASSERT_TRUE(screen.WaitForShot(after, [&](const BBitmap& shot) {
		return dark_pixels(shot, rows) > 50;
	})) << "the message never showed; see " << after << "\n" << read_file(log);
	ASSERT_TRUE(BTest::WaitFor([&] { return count_lines(soundLog) >= 1; }));
	EXPECT_EQ(count_lines(soundLog), 1) << read_file(soundLog);

	// Select the message, REPLY, write the answer, SEND.
	ASSERT_TRUE(screen.Click(origin + kMessageRow));
	ASSERT_TRUE(screen.Click(origin + kReplyButton));
	BPoint popup;
	ASSERT_TRUE(screen.WaitForWindow("private popup", &popup, 5000000))
		<< "REPLY opened no private popup";
	ASSERT_TRUE(screen.Click(popup + kWriteArea));
	ASSERT_TRUE(screen.Type(kAnswer));
	ASSERT_TRUE(screen.Click(popup + kPopupSend));

	// The outcome alert, dismissed with Enter.
	BPoint alert;
	BPoint failure;
	ASSERT_TRUE(BTest::WaitFor([&] {
		return screen.FindWindow("Pingbox", &alert) || screen.FindWindow("error", &failure);
	}, 30000000));
	if (screen.FindWindow("error", &failure)) {
		std::string path = BTest::ScreenshotPath("messenger_xvfb_failure");
		screen.Shot(path);
		FAIL() << "the answer was not sent; see " << path;
	}
	ASSERT_TRUE(screen.MoveTo(alert + BPoint(100, 40)));
	ASSERT_TRUE(screen.Key("Return"));
	EXPECT_TRUE(BTest::WaitFor([&] { return !screen.FindWindow("Pingbox", &alert); }))
		<< "the alert stayed";
	EXPECT_FALSE(screen.FindWindow("private popup", &popup)) << "the popup stayed after SEND";

	// The answer came back through the same server, under the user's name.
	ASSERT_TRUE(BTest::WaitFor([&] { return samba.Records().size() >= 2; }));
	std::vector<Tliste> stored = samba.Records();
	ASSERT_EQ(stored.size(), 2u);
	EXPECT_EQ(sender_of(stored[0]), kFriend);
	EXPECT_EQ(text_of(stored[0]), kMessage);
	EXPECT_EQ(sender_of(stored[1]), kPopName);
	EXPECT_EQ(text_of(stored[1]), kAnswer);

	// Command-W over the main window closes it, and that ends the program.
	ASSERT_TRUE(screen.MoveTo(origin + kEmptyList));
	// Its title may count the message that came while it was not active.
	ASSERT_TRUE(screen.Focus("murmelo( \\([0-9]+\\))?"));
	ASSERT_TRUE(screen.Key("alt+w"));
	EXPECT_EQ(murmelo.Wait(10000000), 0) << read_file(log);
}
