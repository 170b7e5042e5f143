// The private popup window sending through the real smbclient to a private
// smbd on loopback, whose message command stores with Murmelod.

#include "Process.h"
#include <PrivateSamba.h>

#include <Alert.h>
#include <Harness.h>
#include <MessageNames.h>
#include <Messenger.h>
#include <MurmeloSettings.h>
#include <TWindow19.h>
#include <TextView.h>
#include <Tliste.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

// A window is gone once its handler token no longer resolves; its address
// alone may already belong to a newer window.
inline bool
Gone(const BMessenger& window)
{
	return window.Target(NULL) == NULL;
}

const BRect kFrame(20, 322, 572, 722);
const bigtime_t kSendTimeout = 30000000;

std::string
script()
{
	return std::string(MURMELO_SOURCE_DIR) + "/scripts/private-samba";
}

class PrivatePopupSamba : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		if (getuid() != 0)
			return;
		// Another run's server may still hold the port for a while; messages
		// sent to it would be lost to this test.
		for (int i = 0; i < 600 && PrivateSamba::PortTaken(); i++)
			usleep(100000);
		sDir = new TempDir("murmelo-popup-samba");
		if (PrivateSamba::PortTaken()) {
			sStartOutput = "something else listens on 127.0.0.1:139";
			return;
		}
		ProcessResult started = run_process({script(), "start", sDir->Path(),
			std::string(MURMELO_TREE) + "/daemon/Murmelod", "MURMELOTEST"});
		sStarted = started.status == 0;
		sStartOutput = started.output;
		setenv("BE_BOOT_VOLUME", (sDir->Path() + "/boot").c_str(), 1);
	}

	static void TearDownTestSuite()
	{
		if (sDir == NULL)
			return;
		run_process({script(), "stop", sDir->Path()});
		unsetenv("BE_BOOT_VOLUME");
		delete sDir;
		sDir = NULL;
	}

	void SetUp() override
	{
		if (getuid() != 0)
			GTEST_SKIP() << "the Samba server needs root";
		ASSERT_TRUE(sStarted) << sStartOutput;
		for (const char* file : {"/boot/home/murmelo.dat", "/boot/home/murmelo.dat.names"})
			ASSERT_EQ(truncate((sDir->Path() + file).c_str(), 0), 0);
		murmelo_settings settings;
		settings.popName = "varnoth";
		ASSERT_EQ(save_murmelo_settings(settings), B_OK);
		fApp = new BTest::HeadlessApp();
	}

	void TearDown() override { delete fApp; }

	TWindow19* Open(const char* text, const char* correspondent)
	{
		TWindow19* window = new TWindow19("private popup", kFrame, text, correspondent);
		window->Show();
		EXPECT_TRUE(BTest::Sync(window));
		return window;
	}

	// Types the answer into the write area, then presses SEND.
	void Answer(BWindow* window, const char* text, int presses = 1)
	{
		BView* write = BTest::FindView(window, "private_popup_write");
		ASSERT_NE(write, nullptr);
		ASSERT_EQ(BTest::Click(write, BPoint(30, 20)), B_OK);
		ASSERT_EQ(BTest::TypeKeys(window, text), B_OK);
		BView* send = BTest::FindView(window, "SEND");
		ASSERT_NE(send, nullptr);
		for (int i = 0; i < presses; i++)
			ASSERT_EQ(BTest::Click(send, BPoint(10, 10)), B_OK);
	}

	static std::vector<Tliste> Records()
	{
		std::string data = read_file(sDir->Path() + "/boot/home/murmelo.dat");
		std::vector<Tliste> records(data.size() / sizeof(Tliste));
		if (!records.empty())
			memcpy(records.data(), data.data(), records.size() * sizeof(Tliste));
		return records;
	}

	static bool WaitForRecords(size_t count)
	{
		return BTest::WaitFor([&] { return Records().size() >= count; }, kSendTimeout);
	}

	static std::string AlertText(BWindow* alert)
	{
		std::string text;
		BTest::Locked(alert, [&] {
			if (const char* said = static_cast<BAlert*>(alert)->Text())
				text = said;
		});
		return text;
	}

	static TempDir* sDir;
	static bool sStarted;
	static std::string sStartOutput;
	BTest::HeadlessApp* fApp = NULL;
};

TempDir* PrivatePopupSamba::sDir = NULL;
bool PrivatePopupSamba::sStarted = false;
std::string PrivatePopupSamba::sStartOutput;

} // namespace

TEST_F(PrivatePopupSamba, AnswerArrivesUnderOurNameThenTheWindowCloses)
{
	TWindow19* window = Open("are you there?", "127.0.0.1");
	BMessenger messenger(window);
	const char* typed = "yes \"here\" $(touch /tmp/murmelo-popup-pwned) ; > x";
	Answer(window, typed);

	BWindow* alert = BTest::WaitForWindow("Pingbox", kSendTimeout);
	ASSERT_NE(alert, nullptr);
	EXPECT_EQ(AlertText(alert), "\n\nMessage succesfully sent.");
	BTest::WriteWindowPNG(alert, BTest::ScreenshotPath("private_popup_sent").c_str());
	EXPECT_TRUE(BTest::WaitFor([&] { return Gone(messenger); }, kSendTimeout));

	ASSERT_TRUE(WaitForRecords(1));
	std::vector<Tliste> records = Records();
	ASSERT_EQ(records.size(), 1u);
	EXPECT_STREQ(records[0].message, typed);
	BString from;
	ASSERT_EQ(read_message_names(&records[0], &from, NULL, NULL), B_OK);
	EXPECT_STREQ(from.String(), "varnoth");
	EXPECT_NE(access("/tmp/murmelo-popup-pwned", F_OK), 0) << "the answer reached a shell";
}

TEST_F(PrivatePopupSamba, EachWindowAnswersItsOwnCorrespondent)
{
	// Nothing listens on 127.0.0.2, so only the first window's answer can
	// arrive, and the second window's alert names its own correspondent.
	TWindow19* reachable = Open("one", "127.0.0.1");
	TWindow19* unreachable = Open("two", "127.0.0.2");
	BMessenger reachableMessenger(reachable);
	BMessenger unreachableMessenger(unreachable);
	Answer(unreachable, "to two");
	BWindow* alert = BTest::WaitForWindow("error", kSendTimeout);
	ASSERT_NE(alert, nullptr);
	EXPECT_EQ(AlertText(alert), "\n\nHost unreachable: 127.0.0.2");
	EXPECT_TRUE(BTest::WaitFor([&] { return Gone(unreachableMessenger); }, kSendTimeout));
	EXPECT_TRUE(!Gone(reachableMessenger));

	Answer(reachable, "to one");
	ASSERT_NE(BTest::WaitForWindow("Pingbox", kSendTimeout), nullptr);
	ASSERT_TRUE(WaitForRecords(1));
	EXPECT_STREQ(Records()[0].message, "to one");
	EXPECT_TRUE(BTest::WaitFor([&] { return Gone(reachableMessenger); }, kSendTimeout));
}

TEST_F(PrivatePopupSamba, TwoQuickPressesSendTwice)
{
	TWindow19* window = Open("ping?", "127.0.0.1");
	BMessenger messenger(window);
	Answer(window, "pong", 2);
	ASSERT_TRUE(WaitForRecords(2));
	usleep(200000);
	std::vector<Tliste> records = Records();
	ASSERT_EQ(records.size(), 2u);
	EXPECT_STREQ(records[0].message, "pong");
	EXPECT_STREQ(records[1].message, "pong");
	EXPECT_TRUE(BTest::WaitFor([&] { return Gone(messenger); }, kSendTimeout));
}

TEST_F(PrivatePopupSamba, AnEmptyAnswerIsSent)
{
	TWindow19* window = Open("say nothing", "127.0.0.1");
	BMessenger messenger(window);
	BView* send = BTest::FindView(window, "SEND");
	ASSERT_NE(send, nullptr);
	ASSERT_EQ(BTest::Click(send, BPoint(10, 10)), B_OK);
	ASSERT_NE(BTest::WaitForWindow("Pingbox", kSendTimeout), nullptr);
	EXPECT_TRUE(BTest::WaitFor([&] { return Gone(messenger); }, kSendTimeout));
	ASSERT_TRUE(WaitForRecords(1));
	EXPECT_STREQ(Records()[0].message, "");
}

TEST_F(PrivatePopupSamba, WhatTheCodePageLacksArrivesTransliteratedAsTheAlertSays)
{
	struct {
		const char* typed;
		const char* stored;
		const char* said;
	} cases[] = {
		// "prix 5 € — ok"
		{"prix 5 \xe2\x82\xac \xe2\x80\x94 ok", "prix 5 EUR - ok",
			"\n\nMessage succesfully sent.\n\nThe WinPopup code page lacks some characters; "
			"sent as: \xe2\x82\xac \xe2\x86\x92 EUR, \xe2\x80\x94 \xe2\x86\x92 -"},
		// "Ça coûte 5 € — ok"
		{"\xc3\x87" "a co\xc3\xbbte 5 \xe2\x82\xac \xe2\x80\x94 ok",
			"\xc3\x87" "a co\xc3\xbbte 5 EUR - ok",
			"\n\nMessage succesfully sent.\n\nThe WinPopup code page lacks some characters; "
			"sent as: \xe2\x82\xac \xe2\x86\x92 EUR, \xe2\x80\x94 \xe2\x86\x92 -"},
		// "Ça coûte cher", and accents astride smbclient's 127-byte blocks.
		{"\xc3\x87" "a co\xc3\xbbte cher", "\xc3\x87" "a co\xc3\xbbte cher",
			"\n\nMessage succesfully sent."},
	};
	std::string astride(126, 'a');
	for (int i = 0; i < 5; i++)
		astride += "\xc3\xa9\xc3\xa8" + std::string(125, 'b');
	size_t count = 0;
	for (const auto& c : cases) {
		TWindow19* window = Open("?", "127.0.0.1");
		BTextView* write = dynamic_cast<BTextView*>(BTest::FindView(window, "private_popup_write"));
		ASSERT_NE(write, nullptr);
		std::string typed = c.typed;
		if (&c == &cases[2])
			typed += "\n" + astride;
		BTest::Locked(window, [&] { write->SetText(typed.c_str()); });
		BView* send = BTest::FindView(window, "SEND");
		ASSERT_NE(send, nullptr);
		ASSERT_EQ(BTest::Click(send, BPoint(10, 10)), B_OK);
		BWindow* alert = BTest::WaitForWindow("Pingbox", kSendTimeout);
		ASSERT_NE(alert, nullptr) << c.typed;
		EXPECT_EQ(AlertText(alert), c.said);
		// Gone before the next send, whose alert has the same title.
		BTest::PressKey(alert, "\x1b");
		ASSERT_TRUE(BTest::WaitFor([] { return BTest::WaitForWindow("Pingbox", 0) == NULL; }));
		ASSERT_TRUE(WaitForRecords(++count));
		Tliste record = Records().back();
		BString text;
		read_message_text(&record, &text);
		std::string expected = c.stored;
		if (&c == &cases[2])
			expected += "\n" + astride;
		EXPECT_EQ(std::string(text.String()), expected);
	}
}
