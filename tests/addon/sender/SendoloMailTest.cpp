// Sendolo's mail mode against real mail software: msmtp as sendmail,
// delivering to an SMTP server on loopback that stores what it receives;
// the stored mail is read back with Python's email package.

#include "SendoloChild.h"

#include "Process.h"
#include "SmtpStore.h"

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <CheckBox.h>
#include <Messenger.h>
#include <TextControl.h>
#include <Window.h>

#include <Harness.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace {

const char* kMsmtp = "/usr/bin/msmtp";

// Ticks MAIL mode and fills in the form.
void
fill_mail(SendoloProgram& program, const char* to, const char* subject, const char* text)
{
	BCheckBox* box = program.MailMode();
	ASSERT_NE(box, nullptr);
	BRect bounds;
	BTest::Locked(program.Window(), [&] { bounds = box->Bounds(); });
	ASSERT_EQ(BTest::Click(box, BPoint(bounds.Width() / 2, bounds.Height() / 2)), B_OK);
	program.Type(program.Destination(), to);
	program.Type(program.Sender(), subject);
	program.TypeMessage(text);
}

class SendoloMail : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sStore = new SmtpStore;
		if (!sStore->Problem().empty())
			return;
		// A folder of PATH whose sendmail is msmtp.
		std::string bin = sStore->Root() + "/bin";
		std::filesystem::create_directory(bin);
		std::error_code ignored;
		std::filesystem::create_symlink(kMsmtp, bin + "/sendmail", ignored);
		std::filesystem::create_directory(sStore->Root() + "/boot");
		std::filesystem::create_directory(sStore->Root() + "/boot/home");
	}

	static void TearDownTestSuite()
	{
		delete sStore;
		sStore = NULL;
	}

	void SetUp() override
	{
		ASSERT_EQ(access(kMsmtp, X_OK), 0) << "msmtp is not installed (Debian: msmtp-mta)";
		ASSERT_EQ(sStore->Problem(), "");
		// Nothing of the machine's own mail setup or of the user's.
		fEnvironment = {"HOME=" + sStore->Home(), "PATH=" + sStore->Root() + "/bin:/usr/bin:/bin",
			"BE_BOOT_VOLUME=" + sStore->Root() + "/boot"};
	}

	ChildResult Run(const std::function<void()>& body)
	{
		return run_in_child(fEnvironment, [&] {
			unsetenv("MURMELO_SENDMAIL");
			body();
		});
	}

	static SmtpStore* sStore;
	std::vector<std::string> fEnvironment;
};

SmtpStore* SendoloMail::sStore = NULL;

} // namespace

TEST_F(SendoloMail, TypedMailArrivesIntactAndEndsTheProgram)
{
	int before = sStore->CountMails();
	const std::string subject = "R\xc3\xa9union \xc3\xa0 5h";
	const std::string text = "Prix : 5 \xe2\x82\xac, d\xc3\xa9j\xc3\xa0 pay\xc3\xa9.";
	ChildResult result = Run([&] {
		SendoloProgram program;
		ASSERT_NE(program.Window(), nullptr);
		fill_mail(program, "friend@localhost", subject.c_str(), text.c_str());
		program.Send();
		EXPECT_TRUE(program.WaitForEnd(20000000)) << "the program did not end after the send";
		EXPECT_EQ(BTest::WaitForWindow("", 0), nullptr) << "an alert for a good address";
	});
	EXPECT_EQ(result.status, 0) << result.output;
	EXPECT_EQ(count_lines(result.output, "mail send"), 1) << result.output;
	EXPECT_EQ(count_lines(result.output, "popup"), 0) << result.output;

	ASSERT_EQ(sStore->CountMails(), before + 1) << read_file(sStore->Root() + "/msmtp.log");
	int number = before + 1;
	EXPECT_EQ(sStore->Recipients(number), "friend@localhost\n");
	std::map<std::string, std::string> mail = read_mail(sStore->MailPath(number), false);
	EXPECT_EQ(mail["to"], "friend@localhost");
	EXPECT_EQ(from_hex(mail["subject-hex"]), subject);
	EXPECT_EQ(from_hex(mail["body-hex"]), text + "\n");
	// The euro sign is beyond ISO-8859-1: the body goes as UTF-8.
	EXPECT_EQ(mail["charset"], "utf-8");
	EXPECT_EQ(mail["content-type"], "text/plain");
	EXPECT_EQ(mail["mime-version"], "1.0");
	EXPECT_EQ(mail["date-has-offset"], "True");
	EXPECT_EQ(mail["defects"], "0");
	for (const char* name : {"Date", "From", "Message-ID", "To", "Subject", "MIME-Version",
			 "Content-Type", "Content-Transfer-Encoding"})
		EXPECT_EQ(mail[std::string("count ") + name], "1") << name;
}

TEST_F(SendoloMail, TwoLetterAddressWarnsThenIsStillHandedOver)
{
	int before = sStore->CountMails();
	ChildResult result = Run([&] {
		SendoloProgram program({"from the tray"});
		BWindow* window = program.Window();
		ASSERT_NE(window, nullptr);
		fill_mail(program, "ab", "group", "short address");
		BTextControl* destination = program.Destination();
		program.Send();

		BAlert* alert = dynamic_cast<BAlert*>(BTest::WaitForWindow(""));
		ASSERT_NE(alert, nullptr) << "no warning for a two-letter address";
		BTest::Locked(alert, [&] {
			EXPECT_STREQ(alert->Text(), "Bad E-mail adress");
			EXPECT_EQ(alert->CountButtons(), 1);
			EXPECT_STREQ(alert->ButtonAt(0)->Label(), "OK");
			EXPECT_EQ(alert->AlertType(), B_INFO_ALERT);
		});
		// Shown is not yet drawn.
		EXPECT_TRUE(BTest::Sync(alert));
		EXPECT_EQ(BTest::WriteWindowPNG(alert,
			BTest::ScreenshotPath("sendolo_bad_address").c_str()), B_OK);
		// Nothing goes until the warning is dismissed.
		usleep(200000);
		EXPECT_EQ(sStore->CountMails(), before);

		// Held until the focus has been seen, the window cannot close.
		BMessenger messenger(window);
		EXPECT_EQ(BTest::Click(alert->ButtonAt(0), BPoint(10, 8)), B_OK);
		bool focused = false;
		BTest::WaitFor([&] {
			if (!messenger.LockTarget())
				return true;
			focused = window->CurrentFocus() == destination->TextView();
			window->Unlock();
			return focused;
		}, 10000000);
		EXPECT_TRUE(focused) << "the destination field did not get the focus";

		EXPECT_TRUE(BTest::WaitFor([] { return BTest::WaitForWindow("sender window", 0) == NULL; },
			20000000)) << "the window stayed after the send";
		usleep(300000);
		EXPECT_FALSE(program.Ended()) << "the program ended with its window";
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		EXPECT_TRUE(program.WaitForEnd(5000000));
	});
	EXPECT_EQ(result.status, 0) << result.output;
	EXPECT_EQ(count_lines(result.output, "mail send"), 1) << result.output;
	ASSERT_EQ(sStore->CountMails(), before + 1) << read_file(sStore->Root() + "/msmtp.log");
	EXPECT_EQ(sStore->Recipients(before + 1), "ab\n");
	EXPECT_EQ(read_mail(sStore->MailPath(before + 1), false)["to"], "ab");
}

TEST_F(SendoloMail, ThreeLetterAddressGoesWithoutWarning)
{
	int before = sStore->CountMails();
	ChildResult result = Run([&] {
		SendoloProgram program;
		ASSERT_NE(program.Window(), nullptr);
		fill_mail(program, "abc", "group", "three letters");
		program.Send();
		// A warning would hold the send: the program ends only without one.
		EXPECT_TRUE(program.WaitForEnd(20000000)) << "the send did not complete";
	});
	EXPECT_EQ(result.status, 0) << result.output;
	EXPECT_EQ(count_lines(result.output, "mail send"), 1) << result.output;
	ASSERT_EQ(sStore->CountMails(), before + 1);
	EXPECT_EQ(sStore->Recipients(before + 1), "abc\n");
}
