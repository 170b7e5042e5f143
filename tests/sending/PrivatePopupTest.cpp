// The private popup window on the headless display: its layout, and what
// SEND does before anything can be sent.

#include <Alert.h>
#include <Button.h>
#include <Harness.h>
#include <Messenger.h>
#include <MurmeloSettings.h>
#include <ScrollView.h>
#include <TView20.h>
#include <TWindow19.h>
#include <TextView.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "TempBootVolume.h"

namespace {

// A window is gone once its handler token no longer resolves; its address
// alone may already belong to a newer window.
inline bool
Gone(const BMessenger& window)
{
	return window.Target(NULL) == NULL;
}

const BRect kFrame(20, 322, 572, 722);

class PrivatePopup : public testing::Test {
protected:
	void SetUp() override
	{
		// Should anything be sent, the stand-in client keeps its arguments.
		fOldPath = getenv("PATH");
		std::string path = std::string(MURMELO_SOURCE_DIR) + "/tests/sending/standin:" + fOldPath;
		setenv("PATH", path.c_str(), 1);
		setenv("MURMELO_STANDIN_DIR", fVolume.Root().c_str(), 1);
		fApp = new BTest::HeadlessApp();
	}

	void TearDown() override
	{
		delete fApp;
		setenv("PATH", fOldPath.c_str(), 1);
		unsetenv("MURMELO_STANDIN_DIR");
	}

	bool Sent() const { return TempBootVolume::Exists(fVolume.Root() + "/args"); }

	TWindow19* Open(const char* text, const char* correspondent)
	{
		TWindow19* window = new TWindow19("private popup", kFrame, text, correspondent);
		window->Show();
		EXPECT_TRUE(BTest::Sync(window));
		return window;
	}

	static std::string Text(BWindow* window, const char* name)
	{
		std::string text;
		BTest::Locked(window, [&] {
			if (BTextView* view = dynamic_cast<BTextView*>(window->FindView(name)))
				text = view->Text();
		});
		return text;
	}

	TempBootVolume fVolume;
	std::string fOldPath;
	BTest::HeadlessApp* fApp = NULL;
};

} // namespace

TEST_F(PrivatePopup, ShowsTheMessageReadOnlyAboveAnEditableAnswer)
{
	TWindow19* window = Open("hello from far away", "BOB");
	BTest::Locked(window, [&] {
		EXPECT_STREQ(window->Title(), "private popup");
		EXPECT_EQ(window->Frame(), kFrame);
		EXPECT_EQ(window->Type(), B_TITLED_WINDOW);
		EXPECT_TRUE(window->Flags() & B_NOT_RESIZABLE);

		TView20* view = dynamic_cast<TView20*>(window->ChildAt(0));
		ASSERT_NE(view, nullptr);
		EXPECT_EQ(view->Frame(), window->Bounds());
		EXPECT_EQ(view->ViewColor(), make_color(219, 219, 219, 255));
		EXPECT_STREQ(view->Correspondent(), "BOB");

		BTextView* read = dynamic_cast<BTextView*>(window->FindView("private_popup_read"));
		BTextView* write = dynamic_cast<BTextView*>(window->FindView("private_popup_write"));
		ASSERT_NE(read, nullptr);
		ASSERT_NE(write, nullptr);
		EXPECT_STREQ(read->Text(), "hello from far away");
		EXPECT_FALSE(read->IsEditable());
		EXPECT_TRUE(write->IsEditable());
		EXPECT_EQ(read->TextRect(), BRect(10, 20, 544, 270));
		EXPECT_EQ(write->TextRect(), BRect(4, 10, 550, 40));

		BScrollView* readScroll
			= dynamic_cast<BScrollView*>(window->FindView("scroll_private-view-read"));
		BScrollView* writeScroll
			= dynamic_cast<BScrollView*>(window->FindView("scroll_private_popup_write"));
		ASSERT_NE(readScroll, nullptr);
		ASSERT_NE(writeScroll, nullptr);
		EXPECT_EQ(read->Parent(), readScroll);
		EXPECT_EQ(write->Parent(), writeScroll);
		EXPECT_NE(readScroll->ScrollBar(B_VERTICAL), nullptr);
		EXPECT_EQ(readScroll->ScrollBar(B_HORIZONTAL), nullptr);
		EXPECT_EQ(writeScroll->ScrollBar(B_VERTICAL), nullptr);
		EXPECT_EQ(writeScroll->ScrollBar(B_HORIZONTAL), nullptr);

		BButton* send = dynamic_cast<BButton*>(window->FindView("SEND"));
		ASSERT_NE(send, nullptr);
		EXPECT_EQ(send->Parent(), read);
		EXPECT_EQ(send->Frame(), BRect(470, 230, 539, 254));
		EXPECT_STREQ(send->Label(), "SEND");
		EXPECT_EQ(send->Message()->what, (uint32)'ndII');
		EXPECT_FALSE(send->IsDefault());
		EXPECT_EQ(send->Target(), view);
	});
	BTest::WriteWindowPNG(window, BTest::ScreenshotPath("private_popup").c_str());
}

TEST_F(PrivatePopup, KeepsItsOwnCopiesOfNameAndText)
{
	// The caller's buffers may change or go (the main window's list is
	// emptied); the window keeps what it was given, the name cut to 99 bytes.
	std::string longName(150, 'n');
	char name[200];
	char text[64];
	strcpy(name, longName.c_str());
	strcpy(text, "first words");
	TWindow19* window = Open(text, name);
	memset(name, 'x', sizeof(name) - 1);
	memset(text, 'y', sizeof(text) - 1);
	BTest::Locked(window, [&] {
		TView20* view = dynamic_cast<TView20*>(window->ChildAt(0));
		ASSERT_NE(view, nullptr);
		EXPECT_EQ(std::string(view->Correspondent()), longName.substr(0, 99));
	});
	EXPECT_EQ(Text(window, "private_popup_read"), "first words");
}

TEST_F(PrivatePopup, SendWithoutSettingsAsksForANameAndKeepsTheWindow)
{
	TWindow19* window = Open("are you there?", "BOB");
	BMessenger messenger(window);
	// SEND works without a click into the answer first.
	BView* send = BTest::FindView(window, "SEND");
	ASSERT_NE(send, nullptr);
	ASSERT_EQ(BTest::Click(send, BPoint(10, 10)), B_OK);

	BAlert* alert = dynamic_cast<BAlert*>(BTest::WaitForWindow("error"));
	ASSERT_NE(alert, nullptr);
	std::string said;
	BTest::Locked(alert, [&] { said = alert->Text(); });
	EXPECT_NE(said.find("set your name in the options window"), std::string::npos) << said;
	BTest::Locked(alert, [&] { EXPECT_EQ(alert->Shortcut(0), B_ESCAPE); });
	BTest::WriteWindowPNG(alert, BTest::ScreenshotPath("private_popup_no_name").c_str());
	EXPECT_FALSE(Sent());
	EXPECT_TRUE(!Gone(messenger));
	EXPECT_EQ(Text(window, "private_popup_read"), "are you there?");
	EXPECT_FALSE(TempBootVolume::Exists(fVolume.Root() + "/home/config/settings/murmelo_Settings"));
}

TEST_F(PrivatePopup, SendGoesToTheWindowsOwnCorrespondent)
{
	murmelo_settings settings;
	settings.popName = "varnoth";
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	TWindow19* first = Open("one", "ALICE");
	TWindow19* second = Open("two", "BOB");
	BMessenger firstMessenger(first);
	BMessenger secondMessenger(second);
	BView* write = BTest::FindView(second, "private_popup_write");
	ASSERT_NE(write, nullptr);
	ASSERT_EQ(BTest::Click(write, BPoint(30, 20)), B_OK);
	ASSERT_EQ(BTest::TypeKeys(second, "hi bob"), B_OK);
	ASSERT_EQ(BTest::Click(BTest::FindView(second, "SEND"), BPoint(10, 10)), B_OK);

	ASSERT_TRUE(BTest::WaitFor([&] { return Gone(secondMessenger); }));
	ASSERT_TRUE(Sent());
	std::string arguments = TempBootVolume::Read(fVolume.Root() + "/args");
	// The values, then the code page the text is handed over in.
	EXPECT_EQ(arguments, std::string("-M\0BOB\0-U\0varnoth\0--option=unix charset=CP850\0"
		"--option=dos charset=CP850\0", 73));
	EXPECT_EQ(TempBootVolume::Read(fVolume.Root() + "/input"), "hi bob");
	EXPECT_TRUE(!Gone(firstMessenger));
}

TEST_F(PrivatePopup, CloseBoxClosesOnlyThatWindow)
{
	TWindow19* first = Open("one", "ALICE");
	TWindow19* second = Open("two", "BOB");
	BMessenger firstMessenger(first);
	BMessenger secondMessenger(second);
	ASSERT_EQ(BTest::CloseWindow(first), B_OK);
	EXPECT_TRUE(BTest::WaitFor([&] { return Gone(firstMessenger); }));
	EXPECT_TRUE(!Gone(secondMessenger));
	EXPECT_EQ(Text(second, "private_popup_read"), "two");
}
