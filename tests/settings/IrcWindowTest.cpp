// The IRC options window on the headless display: its built-in frame and
// texts, "Save that !", and what it restores from the file.

#include <Alert.h>
#include <Button.h>
#include <Harness.h>
#include <IrcSettings.h>
#include <Messenger.h>
#include <TextControl.h>
#include <TypeConstants.h>
#include <advancedWindow.h>

#include <gtest/gtest.h>

#include <string.h>

#include "ClosingClick.h"
#include "SettingsVolume.h"

namespace {

const BRect kBuiltInFrame(100, 100, 600, 500);
const char* kFields[] = {"Nick", "AltNick", "Ident", "Name", "Server", "Port"};

class IrcWindow : public testing::Test {
protected:
	void SetUp() override
	{
		reset_irc_settings_state();
		fApp = new BTest::HeadlessApp();
	}

	void TearDown() override
	{
		delete fApp;
		reset_irc_settings_state();
	}

	advancedWindow* Open()
	{
		// The window shows itself.
		advancedWindow* window = new advancedWindow();
		EXPECT_EQ(BTest::WaitForWindow("IRC options"), window);
		EXPECT_TRUE(BTest::Sync(window));
		return window;
	}

	static std::string Text(BWindow* window, const char* name)
	{
		std::string text;
		BTest::Locked(window, [&] {
			if (BTextControl* control = dynamic_cast<BTextControl*>(window->FindView(name)))
				text = control->Text();
		});
		return text;
	}

	static void SetText(BWindow* window, const char* name, const char* text)
	{
		BTest::Locked(window, [&] {
			if (BTextControl* control = dynamic_cast<BTextControl*>(window->FindView(name)))
				control->SetText(text);
		});
	}

	static BRect Frame(BWindow* window)
	{
		BRect frame;
		BTest::Locked(window, [&] { frame = window->Frame(); });
		return frame;
	}

	static void SaveThat(BWindow* window)
	{
		BMessenger messenger(window);
		BView* button = BTest::FindView(window, "Connect");
		ASSERT_NE(button, nullptr);
		ASSERT_EQ(ClosingClick().Click(button, BPoint(5, 5)), B_OK);
		ASSERT_TRUE(BTest::WaitFor([&] { return Gone(messenger); }));
	}

	std::string Path() const { return fVolume.SettingsPath("ircADDon_Settings"); }

	void WriteFloat(const char* name, float value)
	{
		BNode(Path().c_str()).WriteAttr(name, B_FLOAT_TYPE, 0, &value, sizeof(value));
	}

	SettingsVolume fVolume;
	BTest::HeadlessApp* fApp = NULL;
};

} // namespace

TEST_F(IrcWindow, WithoutAFileShowsItsBuiltInFrameAndTexts)
{
	advancedWindow* window = Open();
	EXPECT_EQ(Frame(window), kBuiltInFrame);
	EXPECT_EQ(Text(window, "Nick"), "qulbo");
	EXPECT_EQ(Text(window, "AltNick"), "_qulbo_");
	EXPECT_EQ(Text(window, "Name"), "varnoth");
	EXPECT_EQ(Text(window, "Port"), "6667");
	EXPECT_NE(Text(window, "Ident").find('@'), std::string::npos);
	EXPECT_FALSE(Text(window, "Server").empty());
	BTest::Locked(window, [&] {
		EXPECT_STREQ(window->Title(), "IRC options");
		EXPECT_EQ(window->Type(), B_DOCUMENT_WINDOW);
		EXPECT_TRUE(window->Flags() & B_NOT_ZOOMABLE);
		BView* background = window->FindView("Background");
		ASSERT_NE(background, nullptr);
		EXPECT_EQ(background->ViewColor(), make_color(143, 166, 240, 255));
		struct {
			const char* name;
			const char* label;
			BPoint where;
		} fields[] = {{"Nick", "Nick", BPoint(5, 30)}, {"AltNick", "AltNick", BPoint(195, 30)},
			{"Ident", "Identity", BPoint(5, 51)}, {"Name", "Name", BPoint(195, 51)},
			{"Server", "Server", BPoint(5, 72)}, {"Port", "Port", BPoint(195, 72)}};
		for (const auto& expected : fields) {
			BTextControl* field
				= dynamic_cast<BTextControl*>(window->FindView(expected.name));
			ASSERT_NE(field, nullptr) << expected.name;
			EXPECT_EQ(field->Parent(), background) << expected.name;
			EXPECT_STREQ(field->Label(), expected.label) << expected.name;
			EXPECT_EQ(field->Divider(), 35) << expected.name;
			EXPECT_EQ(field->Frame().LeftTop(), expected.where) << expected.name;
		}
		BButton* save = dynamic_cast<BButton*>(window->FindView("Connect"));
		ASSERT_NE(save, nullptr);
		EXPECT_STREQ(save->Label(), "Save that !");
		EXPECT_EQ(save->Message()->what, (uint32)'TTON');
		EXPECT_EQ(save->Target(), window);
		EXPECT_EQ(save->Frame().LeftTop(), BPoint(140, 96));
	});
	BTest::WriteWindowPNG(window, BTest::ScreenshotPath("irc_options_window").c_str());
	// Looking never creates the file.
	EXPECT_FALSE(TempBootVolume::Exists(Path()));
}

TEST_F(IrcWindow, SaveThatStoresEverythingAndReopeningRestoresIt)
{
	advancedWindow* window = Open();
	BTest::Locked(window, [&] {
		window->MoveTo(140, 120);
		window->ResizeTo(420, 300);
	});
	const char* texts[] = {"nick2", "alt2", "me@here.invalid", "Full Name", "irc.invalid", "7000"};
	for (int i = 0; i < 6; i++)
		SetText(window, kFields[i], texts[i]);
	SaveThat(window);

	for (const char* name : {"Setup2000:top", "Setup2000:bottom", "Setup2000:left",
			 "Setup2000:right", "TimeStamp", "Paranoid", "Nick", "AltNick", "Server", "Port",
			 "Name", "Ident"})
		EXPECT_TRUE(read_stored(Path(), name).exists) << name;
	EXPECT_EQ(read_stored(Path(), "Port").Text(), "7000");

	window = Open();
	EXPECT_EQ(Frame(window), BRect(140, 120, 560, 420));
	for (int i = 0; i < 6; i++)
		EXPECT_EQ(Text(window, kFields[i]), texts[i]) << kFields[i];
}

TEST_F(IrcWindow, AFileWithoutAFrameKeepsTheBuiltInFrame)
{
	fVolume.MakeFile("ircADDon_Settings");
	BNode(Path().c_str()).WriteAttr("Nick", B_STRING_TYPE, 0, "stored", 6);
	advancedWindow* window = Open();
	EXPECT_EQ(Frame(window), kBuiltInFrame);
	EXPECT_EQ(Text(window, "Nick"), "stored");
	EXPECT_EQ(Text(window, "AltNick"), "_qulbo_");
}

TEST_F(IrcWindow, AnUnusableStoredFrameKeepsTheBuiltInFrame)
{
	fVolume.MakeFile("ircADDon_Settings");
	WriteFloat("Setup2000:top", 300);
	WriteFloat("Setup2000:bottom", 100);
	WriteFloat("Setup2000:left", 10);
	WriteFloat("Setup2000:right", 400);
	advancedWindow* window = Open();
	EXPECT_EQ(Frame(window), kBuiltInFrame);
}

TEST_F(IrcWindow, AStoredTimeStampOutlivesASave)
{
	fVolume.MakeFile("ircADDon_Settings");
	WriteFloat("Setup2000:top", 110);
	WriteFloat("Setup2000:bottom", 410);
	WriteFloat("Setup2000:left", 120);
	WriteFloat("Setup2000:right", 520);
	uint8 on = 1;
	BNode(Path().c_str()).WriteAttr("TimeStamp", B_BOOL_TYPE, 0, &on, 1);
	advancedWindow* window = Open();
	EXPECT_EQ(Frame(window), BRect(120, 110, 520, 410));
	SaveThat(window);
	EXPECT_EQ(read_stored(Path(), "TimeStamp").bytes, std::vector<uint8>{1});
	EXPECT_EQ(read_stored(Path(), "Paranoid").bytes, std::vector<uint8>{0});
}

TEST_F(IrcWindow, ASaveThatFailsSaysSoAndKeepsTheWindow)
{
	fVolume.Write("home/config", "in the way");
	advancedWindow* window = Open();
	SetText(window, "Nick", "kept");
	BView* button = BTest::FindView(window, "Connect");
	ASSERT_NE(button, nullptr);
	ASSERT_EQ(BTest::Click(button, BPoint(5, 5)), B_OK);
	BAlert* alert = dynamic_cast<BAlert*>(BTest::WaitForWindow("error"));
	ASSERT_NE(alert, nullptr);
	std::string said;
	BTest::Locked(alert, [&] { said = alert->Text(); });
	EXPECT_NE(said.find("could not be saved"), std::string::npos) << said;
	EXPECT_TRUE(!Gone(BMessenger(window)));
	EXPECT_EQ(Text(window, "Nick"), "kept");
}
