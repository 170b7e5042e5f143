// The about window on the headless display: "About" of the menu bar opens a
// new window for each press, with the read-me, the logo and a tune that stops
// once the window closes; and the window's one-shot sound.
#include <TMenuBarComponent3.h>
#include <UptimeWindow.h>

#include <BitmapView.h>

#include <Application.h>
#include <Bitmap.h>
#include <DisplayServer.h>
#include <Harness.h>
#include <MenuItem.h>
#include <OS.h>
#include <TextView.h>
#include <Window.h>

#include <Process.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// The tune loop's deadline after a close is one poll (2 s); the rest is
// slack for a loaded machine.
const bigtime_t kLoopEnds = 3000000;

std::string
read_text(const std::string& path)
{
	std::ifstream in(path);
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void
copy_file(const std::string& from, const std::string& to, mode_t mode)
{
	std::ifstream in(from, std::ios::binary);
	std::ofstream out(to, std::ios::binary);
	out << in.rdbuf();
	out.close();
	chmod(to.c_str(), mode);
}

std::vector<UptimeWindow*>
about_windows()
{
	std::vector<UptimeWindow*> found;
	for (BWindow* window : DisplayServer::Default()->Windows()) {
		if (UptimeWindow* about = dynamic_cast<UptimeWindow*>(window))
			found.push_back(about);
	}
	return found;
}

status_t
run_about(void*)
{
	UptimeWindow::AboutSequence();
	return B_OK;
}

class AboutWindowTest : public ::testing::Test {
protected:
	static void SetUpTestSuite()
	{
		setenv("BE_AUDIO_OUTPUT", "silent", 1);
		setenv("OMP_NUM_THREADS", "1", 1);
		sApp = new BTest::HeadlessApp("application/x-vnd.Murmelo-about-test");
	}
	static void TearDownTestSuite() { delete sApp; }

	static inline BTest::HeadlessApp* sApp = NULL;
};

} // namespace

// Runs in a copy of this test program placed in a private install tree
// (see the test below); skipped in an ordinary run.
TEST_F(AboutWindowTest, DISABLED_InstalledCopyOpensTwoAboutWindowsFromTheMenu)
{
	const char* readme = getenv("ABOUT_README");
	ASSERT_NE(readme, nullptr);

	// Clear of the about windows, which open at (50, 50).
	BWindow* main = new BWindow(BRect(500, 450, 922, 850), "about menu", B_TITLED_WINDOW,
		B_NOT_RESIZABLE);
	TMenuBarComponent3* bar = new TMenuBarComponent3(BRect(0, 0, 100, 15));
	main->AddChild(bar);
	main->Show();
	ASSERT_EQ(BTest::WaitForWindow("about menu"), main);
	// Menus open from the active window only.
	BTest::Locked(main, [&] { main->Activate(); });
	ASSERT_TRUE(BTest::WaitFor([&] {
		bool active = false;
		BTest::Locked(main, [&] { active = main->IsActive(); });
		return active;
	}));
	BTest::Sync(main);

	// Two presses, two windows, each with its own tune loop.
	for (size_t presses = 1; presses <= 2; presses++) {
		BMenuItem* title = NULL;
		BTest::Locked(main, [&] { title = bar->ItemAt(0); });
		BTest::ClickScreen(BTest::ItemCenter(main, title));
		BWindow* menu = BTest::WaitForWindow("MENU");
		ASSERT_NE(menu, nullptr);
		BTest::Sync(menu);
		BTest::ClickScreen(BTest::ItemCenter(menu, bar->SubmenuAt(0)->FindItem("About")));
		ASSERT_TRUE(BTest::WaitFor([&] { return about_windows().size() == presses; }));
	}
	std::vector<UptimeWindow*> windows = about_windows();
	std::vector<std::shared_ptr<AboutTuneState>> tunes;
	for (UptimeWindow* window : windows) {
		ASSERT_NE(BTest::WaitForWindow("About Murmelo"), nullptr);
		BTest::Sync(window);
		BTest::Locked(window, [&] {
			tunes.push_back(window->TuneState());
			EXPECT_STREQ(window->Title(), "About Murmelo");
			EXPECT_EQ(window->Frame(), BRect(50, 50, 450, 400));
			EXPECT_EQ(window->Look(), B_TITLED_WINDOW_LOOK);
			EXPECT_EQ(window->Feel(), B_NORMAL_WINDOW_FEEL);
			EXPECT_EQ(window->Flags(), (uint32)0x82);

			BTextView* text = dynamic_cast<BTextView*>(window->FindView("private_popup_read"));
			ASSERT_NE(text, nullptr);
			EXPECT_STREQ(text->Text(), read_text(readme).c_str());
			EXPECT_FALSE(text->IsEditable());
			EXPECT_EQ(text->Frame(), BRect(0, 0, 400, 350));
			EXPECT_EQ(text->ResizingMode(), (uint32)B_FOLLOW_ALL_SIDES);
			EXPECT_EQ(text->Flags(), (uint32)0x26000000);
			EXPECT_EQ(text->ViewColor(), make_color(0, 0, 0));
			EXPECT_EQ(text->HighColor(), make_color(255, 0, 0));
			BFont font;
			rgb_color color;
			text->GetFontAndColor(0, &font, &color);
			EXPECT_EQ(font.Size(), 13);
			EXPECT_EQ(color, make_color(255, 163, 0));

			// The logo sits over the text, at its top-left corner.
			BitmapView* logo = dynamic_cast<BitmapView*>(text->FindView("BitmapView"));
			ASSERT_NE(logo, nullptr);
			EXPECT_EQ(logo->Parent(), text);
			ASSERT_NE(logo->Bitmap(), nullptr);
			EXPECT_EQ(logo->Frame(), logo->Bitmap()->Bounds());
			EXPECT_EQ(logo->ResizingMode(), (uint32)(B_FOLLOW_LEFT | B_FOLLOW_TOP));
		});
	}
	ASSERT_EQ(tunes.size(), 2u);
	for (auto& tune : tunes)
		EXPECT_TRUE(BTest::WaitFor([&] { return tune->playing.load(); })) << "no tune";

	// Orange type on black below the logo.
	BRect logoBounds;
	BTest::Locked(windows[0], [&] {
		logoBounds = windows[0]->FindView("BitmapView")->Frame();
	});
	EXPECT_EQ(BTest::PixelAt(windows[0], BPoint(399, 349)), make_color(0, 0, 0));
	bool orange = false;
	for (int32 y = (int32)logoBounds.bottom + 1; y < 175 && !orange; y++) {
		for (int32 x = 0; x < 400 && !orange; x++) {
			rgb_color c = BTest::PixelAt(windows[0], BPoint(x, y));
			orange = c.red > 200 && c.green > 100 && c.green < 200 && c.blue < 60;
		}
	}
	EXPECT_TRUE(orange) << "no orange text below the logo";
	EXPECT_EQ(BTest::WriteWindowPNG(windows[0], BTest::ScreenshotPath("about_window").c_str()),
		B_OK);

	// Closing one ends only its own loop, within a poll.
	ASSERT_EQ(BTest::CloseWindow(windows[0]), B_OK);
	// The close box's request reaches the window on its own thread.
	ASSERT_TRUE(BTest::WaitFor([&] { return tunes[0]->stop.load(); }));
	EXPECT_TRUE(BTest::WaitFor([&] { return !tunes[0]->playing; }, kLoopEnds));
	EXPECT_TRUE(tunes[1]->playing);
	EXPECT_EQ(about_windows().size(), 1u);

	ASSERT_EQ(BTest::CloseWindow(windows[1]), B_OK);
	EXPECT_TRUE(BTest::WaitFor([&] { return !tunes[1]->playing; }, kLoopEnds));
	EXPECT_TRUE(BTest::WaitFor([&] { return about_windows().empty(); }));
	// Quit() deletes the window: it is not unlocked afterwards.
	if (main->Lock())
		main->Quit();
}

TEST_F(AboutWindowTest, AboutTwiceOpensTwoWindowsWhoseTunesEndWithThem)
{
	// The program's copy at <tree>/apps/trovel/y, the tune and the read-me
	// beside it as installed; the path has a blank and a shell character.
	TempDir temp("murmelo-about");
	std::string boot = temp.Path() + "/boot dir;$(true)";
	std::string tree = boot + "/apps/trovel";
	for (const std::string& folder : {boot, boot + "/apps", tree, tree + "/y", tree + "/music",
			 tree + "/doc"})
		ASSERT_EQ(mkdir(folder.c_str(), 0755), 0) << folder;
	std::string program = tree + "/y/Murmelo";
	copy_file("/proc/self/exe", program, 0755);
	copy_file(std::string(MURMELO_TREE) + "/music/star.mid", tree + "/music/star.mid", 0644);
	copy_file(std::string(MURMELO_TREE) + "/doc/README", tree + "/doc/README", 0644);

	ProcessResult child = run_process({program, "--gtest_also_run_disabled_tests",
										   "--gtest_filter=AboutWindowTest.DISABLED_*"},
		"", {"BE_BOOT_VOLUME=" + boot, "ABOUT_README=" + tree + "/doc/README"});
	EXPECT_EQ(child.status, 0) << child.output;
	EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
}

TEST_F(AboutWindowTest, WithoutReadMeLogoFileOrTuneTheWindowStillOpensAndItsThreadEnds)
{
	// An empty boot volume: no read-me; this test program has no tune two
	// folders above it.
	TempDir temp("murmelo-about-empty");
	setenv("BE_BOOT_VOLUME", temp.Path().c_str(), 1);
	thread_id thread = spawn_thread(run_about, "et hop", B_NORMAL_PRIORITY, NULL);
	ASSERT_GE(resume_thread(thread), B_OK);
	BWindow* window = BTest::WaitForWindow("About Murmelo");
	unsetenv("BE_BOOT_VOLUME");
	ASSERT_NE(window, nullptr);
	BTest::Sync(window);
	std::shared_ptr<AboutTuneState> tune;
	BTest::Locked(window, [&] {
		tune = static_cast<UptimeWindow*>(window)->TuneState();
		BTextView* text = dynamic_cast<BTextView*>(window->FindView("private_popup_read"));
		ASSERT_NE(text, nullptr);
		std::string expected = "Can't read file " + temp.Path() + "/apps/trovel/doc/README ";
		EXPECT_STREQ(text->Text(), expected.c_str());
	});
	EXPECT_FALSE(tune->playing);

	ASSERT_EQ(BTest::CloseWindow(window), B_OK);
	EXPECT_TRUE(BTest::WaitFor([&] { return about_windows().empty(); }));
	// The loop sees the flag within a poll, and the about thread ends.
	bigtime_t closed = system_time();
	status_t result;
	EXPECT_EQ(wait_for_thread(thread, &result), B_OK);
	EXPECT_LT(system_time() - closed, kLoopEnds);
}

TEST_F(AboutWindowTest, PlaysoundPlaysAFileToItsEndAndReportsWhatItCannotPlay)
{
	UptimeWindow* window = new UptimeWindow(BRect(0, 0, 400, 350));
	std::string missing = "/nonexistent/murmelo/sound";

	testing::internal::CaptureStderr();
	EXPECT_NE(window->playsound(missing.c_str()), 0);
	EXPECT_EQ(testing::internal::GetCapturedStderr(), "Couldn't find " + missing + ".\n");

	// A file that is no sound.
	std::string readme = std::string(MURMELO_TREE) + "/doc/README";
	testing::internal::CaptureStderr();
	EXPECT_NE(window->playsound(readme.c_str()), 0);
	EXPECT_EQ(testing::internal::GetCapturedStderr(), readme + " not a valid sound file.\n");

	std::string sound = std::string(MURMELO_TREE) + "/music/trucage";
	EXPECT_EQ(window->playsound(sound.c_str()), 0);

	window->Lock();
	window->Quit();
}
