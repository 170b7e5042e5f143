// Letterol on the headless display: the scan's alert and trace, the presses
// that show the mails newest first and the press that ends the program, the
// cut fields, a table past 255 mails, and mails marked read not listed.

#include "Process.h"
#include "TempBootVolume.h"

#include "MessageView.h"
#include "Messagewindow.h"
#include "NewMailTable.h"
#include "letterol.h"

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <Directory.h>
#include <File.h>
#include <Node.h>
#include <OS.h>
#include <TextControl.h>
#include <TextView.h>
#include <Window.h>

#include <Harness.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace {

// The program's loop on a thread of its own, as main() runs it; the
// constructor's scan and alerts happen on that thread too.
class LetterolProgram {
public:
	LetterolProgram()
	{
		fThread = spawn_thread(_Run, "Letterol", B_NORMAL_PRIORITY, this);
		resume_thread(fThread);
	}

	bool WaitForEnd() { return BTest::WaitFor([this] { return fEnded.load(); }, 20000000); }

	// Answers the scan's alert, checking its text.
	void AnswerAlert(const std::string& text)
	{
		BAlert* alert = dynamic_cast<BAlert*>(BTest::WaitForWindow(""));
		ASSERT_NE(alert, nullptr) << "no alert";
		BTest::Locked(alert, [&] {
			EXPECT_EQ(std::string(alert->Text()), text);
			EXPECT_EQ(alert->CountButtons(), 1);
			EXPECT_STREQ(alert->ButtonAt(0)->Label(), "OK");
			EXPECT_EQ(alert->AlertType(), B_INFO_ALERT);
		});
		ASSERT_EQ(BTest::Click(alert->ButtonAt(0), BPoint(10, 8)), B_OK);
		fWindow = BTest::WaitForWindow("MAIL");
		ASSERT_NE(fWindow, nullptr) << "the window did not show";
		BTest::Sync(fWindow);
	}

	void Press()
	{
		BButton* button = dynamic_cast<BButton*>(BTest::FindView(fWindow, "OK"));
		ASSERT_NE(button, nullptr);
		ASSERT_EQ(BTest::Click(button, BPoint(10, 10)), B_OK);
		// The button's message comes after the click: let it be handled.
		BTest::Sync(fWindow);
	}

	// Sender, recipient, subject and body as shown.
	std::vector<std::string> Shown()
	{
		std::vector<std::string> shown;
		BTest::Locked(fWindow, [&] {
			BView* view = fWindow->ChildAt(0);
			for (int32 i = 0; BView* child = view->ChildAt(i); i++) {
				if (BTextControl* field = dynamic_cast<BTextControl*>(child))
					shown.push_back(field->Text());
			}
			BTextView* body = dynamic_cast<BTextView*>(BTest::FindView(fWindow,
				"private_popup_read"));
			shown.push_back(body != NULL ? body->Text() : "(no body view)");
		});
		return shown;
	}

	BWindow* Window() const { return fWindow; }

private:
	static status_t _Run(void* data)
	{
		LetterolProgram* program = (LetterolProgram*)data;
		letterol* app = new letterol();
		app->Run();
		delete app;
		program->fEnded = true;
		return B_OK;
	}

	thread_id fThread = -1;
	BWindow* fWindow = NULL;
	std::atomic<bool> fEnded{false};
};

class LetterolTest : public testing::Test {
protected:
	void SetUp() override { create_directory("/boot/home/mail/in", 0755); }

	std::string Mail(const char* name, const char* from, const char* to, const char* subject,
		const std::string& body = "From: x\n\nhello\n", const char* status = "New")
	{
		std::string path = fBoot.Root() + "/home/mail/in/" + name;
		BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
		EXPECT_EQ(file.InitCheck(), B_OK);
		file.Write(body.data(), body.size());
		BString value(status);
		file.WriteAttrString("MAIL:status", &value);
		if (from != NULL) {
			value = from;
			file.WriteAttrString("MAIL:from", &value);
		}
		if (to != NULL) {
			value = to;
			file.WriteAttrString("MAIL:to", &value);
		}
		if (subject != NULL) {
			value = subject;
			file.WriteAttrString("MAIL:subject", &value);
		}
		int64 when = 1700000000;
		file.WriteAttr("MAIL:when", B_TIME_TYPE, 0, &when, sizeof(when));
		return path;
	}

	// Runs body in a child on the headless display; its standard output
	// comes back in fOutput, its failures fail the test.
	void Run(const std::function<void()>& body)
	{
		char path[] = "/tmp/murmelo-letterol-out-XXXXXX";
		int output = mkstemp(path);
		ASSERT_GE(output, 0);
		fflush(stdout);
		fflush(stderr);
		pid_t parent = getpid();
		pid_t pid = fork();
		if (pid == 0) {
			prctl(PR_SET_PDEATHSIG, SIGKILL);
			if (getppid() != parent)
				_exit(127);
			dup2(output, STDOUT_FILENO);
			int errors = open((std::string(path) + ".err").c_str(),
				O_WRONLY | O_CREAT | O_TRUNC, 0600);
			dup2(errors, STDERR_FILENO);
			setenv("BE_DISPLAY", "headless", 1);
			body();
			fflush(stdout);
			fflush(stderr);
			_exit(testing::Test::HasFailure() ? 1 : 0);
		}
		close(output);
		int status = 0;
		waitpid(pid, &status, 0);
		fOutput = read_file(path);
		std::string errors = read_file(std::string(path) + ".err");
		unlink(path);
		unlink((std::string(path) + ".err").c_str());
		EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
			<< "the child failed:\n" << errors << "\noutput:\n" << fOutput;
	}

	TempBootVolume fBoot;
	std::string fOutput;
};

using Fields = std::vector<std::string>;

TEST_F(LetterolTest, ThreeNewMailsAreCountedThenShownNewestFirstAndTheFourthPressEnds)
{
	Mail("m1", "alice@example.org", "me@here", "First", "From: alice\n\nOne\n");
	Mail("m2", "bob@example.org", "me@here", "Second", "From: bob\n\nTwo\n");
	Mail("m3", "carol@example.org", "you@there", "Third", "From: carol\n\nThree\n");
	// Read ones are not listed, marked through the kit or by another program.
	std::string read = Mail("r1", "dave@example.org", "me@here", "Old");
	BNode node(read.c_str());
	BString status("Read");
	node.WriteAttrString("MAIL:status", &status);
	std::string other = Mail("r2", "erin@example.org", "me@here", "Older");
	ProcessResult marked = run_process({"setfattr", "-n", "user.MAIL:status", "-v",
		"0x4353545252656164" "00", other});
	ASSERT_EQ(marked.status, 0) << marked.output;

	Run([] {
		LetterolProgram program;
		program.AnswerAlert("3 new messages.\\n");
		ASSERT_NE(program.Window(), nullptr);
		EXPECT_EQ(program.Shown(), (Fields{"", "", "", ""}));
		program.Press();
		EXPECT_EQ(program.Shown(),
			(Fields{"carol@example.org", "you@there", "Third", "From: carol\n\nThree\n"}));
		EXPECT_EQ(BTest::WriteWindowPNG(program.Window(),
					  BTest::ScreenshotPath("letterol-third-mail").c_str()),
			B_OK);
		program.Press();
		EXPECT_EQ(program.Shown(),
			(Fields{"bob@example.org", "me@here", "Second", "From: bob\n\nTwo\n"}));
		program.Press();
		EXPECT_EQ(program.Shown(),
			(Fields{"alice@example.org", "me@here", "First", "From: alice\n\nOne\n"}));
		program.Press();
		EXPECT_TRUE(program.WaitForEnd()) << "the fourth press did not end the program";
	});
	EXPECT_EQ(fOutput,
		"  1 From: alice@example.org   testFirst\n"
		"   Sub: First\\n"
		"  2 From: bob@example.org     testSecond\n"
		"   Sub: Second\\n"
		"  3 From: carol@example.org   testThird\n"
		"   Sub: Third\\n"
		"number3\nnumberThird\n"
		"number2\nnumberSecond\n"
		"number1\nnumberFirst\n");
}

TEST_F(LetterolTest, NoNewMailIsSaidTwiceAndTheFirstPressEnds)
{
	Mail("r1", "dave@example.org", "me@here", "Old", "x", "Read");
	Run([] {
		LetterolProgram program;
		program.AnswerAlert("No new messages.\\n");
		ASSERT_NE(program.Window(), nullptr);
		EXPECT_EQ(program.Shown(), (Fields{"", "", "", ""}));
		program.Press();
		EXPECT_TRUE(program.WaitForEnd());
	});
	EXPECT_EQ(fOutput, "No new messages.\\n");
}

TEST_F(LetterolTest, FieldsAreCutAsGivenAndNeverInsideACharacter)
{
	std::string body(10000, 'b');
	// The 8000th byte is the first of a two-byte character.
	body.replace(7999, 2, "\xc3\xa9");
	Mail("m1", "a-very-long-sender-name@example.org", NULL,
		"A subject that runs on for more than forty characters", body);
	Mail("m2", "\xc3\xa9l\xc3\xa9onore-\xc3\xa9l\xc3\xa9onore-\xc3\xa9l\xc3\xa9onore@x",
		"me", NULL, std::string("raw \xe9t\xe9 latin-1\0after NUL", 28));

	Run([] {
		LetterolProgram program;
		program.AnswerAlert("2 new messages.\\n");
		ASSERT_NE(program.Window(), nullptr);
		program.Press();
		// Twenty characters, not twenty bytes; no subject, an empty field;
		// the body ends at its first NUL.
		EXPECT_EQ(program.Shown(),
			(Fields{"\xc3\xa9l\xc3\xa9onore-\xc3\xa9l\xc3\xa9onore-\xc3\xa9l", "me", "",
				"raw \xe9t\xe9 latin-1"}));
		program.Press();
		Fields shown = program.Shown();
		ASSERT_EQ(shown.size(), 4u);
		EXPECT_EQ(shown[0], "a-very-long-sender-n");
		EXPECT_EQ(shown[1], "");
		EXPECT_EQ(shown[2], "A subject that runs on for more than for");
		EXPECT_EQ(shown[3], std::string(7999, 'b'));
		program.Press();
		EXPECT_TRUE(program.WaitForEnd());
	});
	EXPECT_NE(fOutput.find("  1 From: a-very-long-sender-n"
						   "testA subject that runs on for more than for\n"),
		std::string::npos)
		<< fOutput;
}

TEST_F(LetterolTest, ThreeHundredNewMailsAreAllCountedAndShown)
{
	char name[32];
	char subject[32];
	for (int i = 1; i <= 300; i++) {
		snprintf(name, sizeof(name), "m%03d", i);
		snprintf(subject, sizeof(subject), "mail %d", i);
		Mail(name, "sender@example.org", "me@here", subject);
	}
	Run([] {
		LetterolProgram program;
		program.AnswerAlert("300 new messages.\\n");
		ASSERT_NE(program.Window(), nullptr);
		for (int i = 300; i >= 1; i--) {
			program.Press();
			if (i == 300 || i == 256 || i == 255 || i == 1)
				EXPECT_EQ(program.Shown()[2], "mail " + std::to_string(i));
		}
		program.Press();
		EXPECT_TRUE(program.WaitForEnd());
	});
	EXPECT_NE(fOutput.find("300 From: sender@example.org  testmail 300\n"), std::string::npos);
	EXPECT_NE(fOutput.find("number1\nnumbermail 1\n"), std::string::npos);
}

TEST_F(LetterolTest, ClosingTheWindowEndsTheProgram)
{
	Mail("m1", "alice@example.org", "me@here", "First");
	Run([] {
		LetterolProgram program;
		program.AnswerAlert("1 new messages.\\n");
		ASSERT_NE(program.Window(), nullptr);
		ASSERT_EQ(BTest::CloseWindow(program.Window()), B_OK);
		EXPECT_TRUE(program.WaitForEnd());
	});
}

} // namespace
