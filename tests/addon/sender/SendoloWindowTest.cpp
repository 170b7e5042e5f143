// Sendolo's window on the headless display: its form as given, the mail-mode
// check box, the sender name from the settings file, the empty-message alert
// and the exits that need no send; and the installed program as a process.

#include "SendoloChild.h"

#include "Process.h"

#include "MurmeloSettings.h"
#include "SendoloDefs.h"
#include "TView2.h"
#include "TWindow1.h"

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <CheckBox.h>
#include <FindDirectory.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Path.h>
#include <ScrollView.h>
#include <TextControl.h>
#include <TextView.h>
#include <Window.h>

#include <Harness.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <fstream>

extern char** environ;

namespace {

void
expect_frame(BView* view, BRect expected)
{
	ASSERT_NE(view, nullptr);
	BRect frame = view->Frame();
	EXPECT_EQ(frame, expected) << view->Name() << ": " << frame.left << ", " << frame.top
							   << ", " << frame.right << ", " << frame.bottom;
}

class SendoloWindow : public testing::Test {
protected:
	void SetUp() override
	{
		fBoot = std::make_unique<TempDir>("murmelo-sendolo");
		mkdir((fBoot->Path() + "/home").c_str(), 0755);
		fEnvironment = {"BE_BOOT_VOLUME=" + fBoot->Path()};
	}

	void Run(const std::function<void()>& body)
	{
		ChildResult result = run_in_child(fEnvironment, body);
		EXPECT_EQ(result.status, 0) << result.output;
		fOutput = result.output;
	}

	std::unique_ptr<TempDir> fBoot;
	std::vector<std::string> fEnvironment;
	std::string fOutput;
};

// A text control is one line of its font high, as on R5, whatever the
// frame's height; the rest of the frame is as given.
void
expect_field_frame(BView* view, BRect given)
{
	ASSERT_NE(view, nullptr);
	BRect frame = view->Frame();
	EXPECT_EQ(frame.LeftTop(), given.LeftTop()) << view->Name();
	EXPECT_EQ(frame.right, given.right) << view->Name();
	EXPECT_GT(frame.Height(), 10) << view->Name();
	EXPECT_LE(frame.bottom, given.bottom) << view->Name();
}

} // namespace

TEST_F(SendoloWindow, FormHasEveryControlAsGiven)
{
	Run([] {
		SendoloProgram program;
		BWindow* window = program.Window();
		ASSERT_NE(window, nullptr);
		BTest::Locked(window, [&] {
			EXPECT_EQ(window->Frame(), BRect(18, 50, 286, 251));
			EXPECT_EQ(window->Type(), B_TITLED_WINDOW);
			EXPECT_TRUE(window->Flags() & B_NOT_RESIZABLE);
			EXPECT_STREQ(be_app->Signature(), SENDOLO_SIGNATURE);

			BButton* send = program.SendButton();
			expect_frame(send, BRect(37, 26, 106, 50));
			EXPECT_STREQ(send->Label(), "send it");
			EXPECT_EQ(send->Command(), (uint32)'tton');
			EXPECT_FALSE(send->IsDefault());

			TView2* view = dynamic_cast<TView2*>(send->Parent());
			ASSERT_NE(view, nullptr);
			EXPECT_EQ(view->Frame(), window->Bounds());
			rgb_color color = view->ViewColor();
			EXPECT_EQ((int)color.red, 219);
			EXPECT_EQ((int)color.green, 219);
			EXPECT_EQ((int)color.blue, 219);
			EXPECT_EQ(send->Target(), view);

			BTextControl* sender = program.Sender();
			expect_field_frame(sender, BRect(53, 124, 211, 149));
			EXPECT_STREQ(sender->Label(), "me");
			EXPECT_STREQ(sender->Text(), "group");
			EXPECT_EQ(sender->Command(), (uint32)'Recu');
			EXPECT_EQ(sender->Target(), view);

			BTextControl* destination = program.Destination();
			expect_field_frame(destination, BRect(53, 104, 211, 129));
			EXPECT_STREQ(destination->Label(), "To :");
			EXPECT_STREQ(destination->Text(), "MyFriend");
			EXPECT_EQ(destination->Command(), (uint32)'eone');
			// No target: its message goes to the window, which ignores it.
			EXPECT_EQ(destination->Target(), window);

			BCheckBox* mailMode = program.MailMode();
			ASSERT_NE(mailMode, nullptr);
			EXPECT_STREQ(mailMode->Label(), "MAIL mode");
			EXPECT_EQ(mailMode->Command(), (uint32)'Mail');
			EXPECT_EQ(mailMode->Target(), view);
			EXPECT_EQ(mailMode->Value(), B_CONTROL_OFF);

			BView* picture = window->FindView("BitmapView");
			ASSERT_NE(picture, nullptr) << "the picture mainjoli did not load";
			EXPECT_EQ(picture->Frame().LeftTop(), BPoint(190, 20));

			// The scroll view takes the message area's place and holds it
			// inside its border.
			BTextView* message = program.Message();
			ASSERT_NE(message, nullptr);
			BRect area = message->Parent()->ConvertToParent(message->Frame());
			EXPECT_EQ(area, BRect(4, 160, 286, 200)) << area.left << ", " << area.top << ", "
													 << area.right << ", " << area.bottom;
			EXPECT_EQ(message->TextRect(), BRect(4, 10, 260, 15));
			EXPECT_EQ(message->TextLength(), 0);
			BScrollView* scroll = dynamic_cast<BScrollView*>(message->Parent());
			ASSERT_NE(scroll, nullptr);
			EXPECT_STREQ(scroll->Name(), "scroll_Text");
			EXPECT_NE(scroll->ScrollBar(B_HORIZONTAL), nullptr);
			EXPECT_NE(scroll->ScrollBar(B_VERTICAL), nullptr);

			// Added in the order of the table, then the machines button.
			const char* order[] = {"Mon_Boutton", "MonTextControl", "Destinataire", "MAIL mode",
				"BitmapView", "scroll_Text", "machines"};
			ASSERT_EQ(view->CountChildren(), 7);
			for (int32 i = 0; i < 7; i++)
				EXPECT_STREQ(view->ChildAt(i)->Name(), order[i]);
		});
		EXPECT_TRUE(BTest::WriteWindowPNG(window,
			BTest::ScreenshotPath("sendolo_popup_mode").c_str()) == B_OK);
	});
}

TEST_F(SendoloWindow, MailModeBoxShowsDespiteItsUpsideDownFrameAndTogglesBothWays)
{
	Run([] {
		SendoloProgram program;
		BWindow* window = program.Window();
		BCheckBox* box = program.MailMode();
		ASSERT_NE(box, nullptr);
		BRect frame;
		BTest::Locked(window, [&] { frame = box->Frame(); });
		// Its top and left stay; it grows down to the height its label needs.
		EXPECT_EQ(frame.LeftTop(), BPoint(75, 70));
		EXPECT_EQ(frame.right, 170);
		EXPECT_GE(frame.Height(), 10) << frame.top << " .. " << frame.bottom;

		// The box's mark shows: something darker than the view colour
		// inside its frame.
		int dark = 0;
		for (float y = frame.top; y <= frame.bottom; y++) {
			for (float x = frame.left; x < frame.left + 20; x++) {
				rgb_color pixel = BTest::PixelAt(window, BPoint(x, y));
				dark += pixel.red < 150 && pixel.green < 150 && pixel.blue < 150;
			}
		}
		EXPECT_GT(dark, 20) << "the check box is not drawn";

		BPoint middle(frame.Width() / 2, frame.Height() / 2);
		// The box's message may still be queued behind the click.
		ASSERT_EQ(BTest::Click(box, middle), B_OK);
		EXPECT_TRUE(BTest::Sync(window));
		EXPECT_EQ(box->Value(), B_CONTROL_ON);
		EXPECT_TRUE(uneVariableBienPratique);
		EXPECT_EQ(BTest::WriteWindowPNG(window, BTest::ScreenshotPath("sendolo_mail_mode").c_str()),
			B_OK);
		ASSERT_EQ(BTest::Click(box, middle), B_OK);
		EXPECT_TRUE(BTest::Sync(window));
		EXPECT_EQ(box->Value(), B_CONTROL_OFF);
		EXPECT_FALSE(uneVariableBienPratique);
	});
}

TEST_F(SendoloWindow, SenderNameComesFromTheSettingsFile)
{
	Run([] {
		BTest::HeadlessApp app(SENDOLO_SIGNATURE);
		BPath settings;
		ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &settings, true), B_OK);
		std::string file = std::string(settings.Path()) + "/" + kMurmeloSettingsName;

		auto shown = [](const char* what) {
			TWindow1* window = new TWindow1("sender window", BRect(18, 50, 286, 251), 0);
			window->Show();
			std::string text;
			BWindow* found = BTest::WaitForWindow("sender window");
			EXPECT_EQ(found, window) << what;
			// Quit() deletes the window: it is not unlocked afterwards.
			if (window->Lock()) {
				text = ((BTextControl*)window->FindView("MonTextControl"))->Text();
				window->Quit();
			}
			BTest::WaitFor([] { return BTest::WaitForWindow("sender window", 0) == NULL; });
			return text;
		};

		EXPECT_EQ(shown("no file"), "group");
		std::ofstream(file).close();
		EXPECT_EQ(shown("no name in the file"), "group");
		murmelo_settings values;
		values.popName = "Zo\xc3\xa9_42";
		ASSERT_EQ(save_murmelo_settings(values), B_OK);
		EXPECT_EQ(shown("a name"), "Zo\xc3\xa9_42");
		values.popName = "";
		ASSERT_EQ(save_murmelo_settings(values), B_OK);
		EXPECT_EQ(shown("an empty name"), "");
	});
}

TEST_F(SendoloWindow, EmptyMessageIsRefusedWithAnAlertAndClosingEndsTheProgram)
{
	Run([] {
		SendoloProgram program;
		BWindow* window = program.Window();
		ASSERT_NE(window, nullptr);
		program.Send();
		BAlert* alert = dynamic_cast<BAlert*>(BTest::WaitForWindow(""));
		ASSERT_NE(alert, nullptr) << "no alert with an empty title";
		BTest::Locked(alert, [&] {
			EXPECT_STREQ(alert->Text(), "please enter a text");
			EXPECT_EQ(alert->CountButtons(), 1);
			EXPECT_STREQ(alert->ButtonAt(0)->Label(), "OK");
			EXPECT_EQ(alert->AlertType(), B_INFO_ALERT);
			// The usual button width.
			EXPECT_GE(alert->ButtonAt(0)->Frame().Width() + 1, 75);
		});
		// Shown is not yet drawn.
		EXPECT_TRUE(BTest::Sync(alert));
		EXPECT_EQ(BTest::WriteWindowPNG(alert,
			BTest::ScreenshotPath("sendolo_enter_a_text").c_str()), B_OK);
		EXPECT_EQ(BTest::Click(alert->ButtonAt(0), BPoint(10, 8)), B_OK);
		EXPECT_TRUE(BTest::WaitFor([] { return BTest::WaitForWindow("", 0) == NULL; }));

		// The window stays, and the message area has the focus.
		BTextView* message = program.Message();
		EXPECT_TRUE(BTest::WaitFor([&] {
			bool focus = false;
			BTest::Locked(window, [&] { focus = window->CurrentFocus() == message; });
			return focus;
		}));
		EXPECT_FALSE(program.Ended());

		// Typing now goes to the message area.
		ASSERT_EQ(BTest::TypeKeys(window, "hi"), B_OK);
		BTest::Locked(window, [&] { EXPECT_STREQ(message->Text(), "hi"); });

		ASSERT_EQ(BTest::CloseWindow(window), B_OK);
		EXPECT_TRUE(program.WaitForEnd(5000000)) << "closing the window left the program running";
	});
	EXPECT_EQ(count_lines(fOutput, "popup"), 0) << fOutput;
	EXPECT_EQ(count_lines(fOutput, "mail send"), 0) << fOutput;
}

// No network is asked: a workgroup name no NetBIOS name can hold is refused
// before any tool runs. The menu still opens and says why it is empty, and
// the button works again.
TEST_F(SendoloWindow, MachinesMenuSaysWhyItHasNoMachine)
{
	Run([] {
		murmelo_settings settings;
		settings.group = "no|such group";
		ASSERT_EQ(save_murmelo_settings(settings), B_OK);
		SendoloProgram program;
		BWindow* window = program.Window();
		BButton* button = dynamic_cast<BButton*>(BTest::FindView(window, "machines"));
		ASSERT_NE(button, nullptr);
		for (int round = 0; round < 2; round++) {
			ASSERT_EQ(BTest::Click(button, BPoint(8, 8)), B_OK);
			BWindow* menuWindow = BTest::WaitForWindow("machines");
			ASSERT_NE(menuWindow, nullptr);
			BTest::Sync(menuWindow);
			BMenu* menu = dynamic_cast<BMenu*>(BTest::FindView(menuWindow, "machines"));
			ASSERT_NE(menu, nullptr);
			BTest::Locked(menuWindow, [&] {
				ASSERT_EQ(menu->CountItems(), 1);
				EXPECT_STREQ(menu->ItemAt(0)->Label(), "no workgroup name to look for");
				EXPECT_FALSE(menu->ItemAt(0)->IsEnabled());
			});
			ASSERT_EQ(BTest::PressKey(menuWindow, "\x1b"), B_OK);
			ASSERT_TRUE(BTest::WaitFor([] { return BTest::WaitForWindow("machines", 0) == NULL; }));
			BTest::Locked(window, [&] {
				EXPECT_TRUE(button->IsEnabled());
				EXPECT_STREQ(program.Destination()->Text(), "MyFriend");
			});
		}
		ASSERT_EQ(BTest::CloseWindow(window), B_OK);
		EXPECT_TRUE(program.WaitForEnd(5000000));
	});
}

TEST_F(SendoloWindow, InstalledProgramWaitsForItsUserWithOrWithoutArguments)
{
	std::string program = std::string(MURMELO_TREE) + "/addon/Sendolo";
	ASSERT_EQ(access(program.c_str(), X_OK), 0);
	for (std::vector<std::string> argv : {std::vector<std::string>{program},
			 std::vector<std::string>{program, "from the tray"}}) {
		std::vector<char*> args;
		for (std::string& argument : argv)
			args.push_back(argument.data());
		args.push_back(NULL);
		std::vector<std::string> environment = {fEnvironment[0], "BE_DISPLAY=headless"};
		std::vector<char*> env;
		for (char** e = environ; *e != NULL; e++)
			env.push_back(*e);
		for (std::string& e : environment)
			env.push_back(e.data());
		env.push_back(NULL);
		std::string outputPath = fBoot->Path() + "/output";
		posix_spawn_file_actions_t actions;
		posix_spawn_file_actions_init(&actions);
		posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(),
			O_WRONLY | O_CREAT | O_TRUNC, 0644);
		posix_spawn_file_actions_adddup2(&actions, 1, 2);
		pid_t pid;
		ASSERT_EQ(posix_spawn(&pid, args[0], &actions, NULL, args.data(), env.data()), 0);
		posix_spawn_file_actions_destroy(&actions);
		// Signalled once it can take the signal as a quit request.
		EXPECT_TRUE(wait_for_signal_handler(pid, SIGTERM)) << "Sendolo ended on its own";
		int status;
		kill(pid, SIGTERM);
		ASSERT_EQ(waitpid(pid, &status, 0), pid);
		// The application quits on SIGTERM, as on a quit request.
		EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
		EXPECT_EQ(read_file(outputPath), "") << "printed something before any send";
	}
}
