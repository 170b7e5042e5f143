// The options window on the headless display: filled from the settings
// file, saved by SAVE, and the way to the IRC options window.

#include <Alert.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Harness.h>
#include <Messenger.h>
#include <MurmeloSettings.h>
#include <TWindow12.h>
#include <TextControl.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <string.h>

#include "ClosingClick.h"
#include "SettingsVolume.h"

namespace {

const BRect kFrame(35, 229, 457, 600);

class OptionsWindow : public testing::Test {
protected:
	void SetUp() override { fApp = new BTest::HeadlessApp(); }
	void TearDown() override { delete fApp; }

	TWindow12* Open()
	{
		TWindow12* window = new TWindow12("Option Window", kFrame);
		window->Show();
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

	static int32 Value(BWindow* window, const char* name)
	{
		int32 value = -1;
		BTest::Locked(window, [&] {
			if (BControl* control = dynamic_cast<BControl*>(window->FindView(name)))
				value = control->Value();
		});
		return value;
	}

	// Replaces a field's text the way a user does: click, select all, type.
	static void Retype(BWindow* window, const char* name, const char* text)
	{
		BTextControl* control = dynamic_cast<BTextControl*>(BTest::FindView(window, name));
		ASSERT_NE(control, nullptr) << name;
		BView* editor = NULL;
		BTest::Locked(window, [&] { editor = control->TextView(); });
		ASSERT_EQ(BTest::Click(editor, BPoint(3, 3)), B_OK);
		ASSERT_EQ(BTest::PressKey(window, "a", 0, B_COMMAND_KEY), B_OK);
		ASSERT_EQ(BTest::TypeKeys(window, text), B_OK);
	}

	static void Press(BWindow* window, const char* name)
	{
		BView* view = BTest::FindView(window, name);
		ASSERT_NE(view, nullptr) << name;
		ASSERT_EQ(BTest::Click(view, BPoint(5, 5)), B_OK);
	}

	static void PressToClose(BWindow* window, const char* name)
	{
		BMessenger messenger(window);
		BView* view = BTest::FindView(window, name);
		ASSERT_NE(view, nullptr) << name;
		ASSERT_EQ(ClosingClick().Click(view, BPoint(5, 5)), B_OK);
		ASSERT_TRUE(BTest::WaitFor([&] { return Gone(messenger); }));
	}

	std::string SettingsPath() const { return fVolume.SettingsPath("murmelo_Settings"); }

	SettingsVolume fVolume;
	BTest::HeadlessApp* fApp = NULL;
};

int32
stored_int(const stored_attr& attr)
{
	int32 value = -1;
	if (attr.bytes.size() == 4)
		memcpy(&value, attr.bytes.data(), 4);
	return value;
}

} // namespace

TEST_F(OptionsWindow, WithoutAFileShowsTheBuiltInTexts)
{
	TWindow12* window = Open();
	EXPECT_EQ(Text(window, "name"), "computer name");
	EXPECT_EQ(Text(window, "groupe_selector"), "Workgroup");
	EXPECT_EQ(Text(window, "repondeur"), "I'm away");
	for (const char* box : {"sound_all-popup", "worksound", "persoCheck"})
		EXPECT_EQ(Value(window, box), B_CONTROL_OFF) << box;
	EXPECT_EQ(Value(window, "notifications"), B_CONTROL_ON);

	BTest::Locked(window, [&] {
		EXPECT_STREQ(window->Title(), "Option Window");
		EXPECT_EQ(window->Frame(), kFrame);
		EXPECT_TRUE(window->Flags() & B_NOT_RESIZABLE);
		BView* view = window->ChildAt(0);
		ASSERT_NE(view, nullptr);
		EXPECT_EQ(view->ViewColor(), make_color(143, 166, 240, 255));
		struct {
			const char* name;
			const char* parent;
			BRect frame;
		} layout[] = {
			{"top", NULL, window->Bounds()},
			{"option", "top", BRect(10, 120, 220, 350)},
			{"repon", "top", BRect(230, 120, 400, 279)},
			{"identité", "top", BRect(10, 30, 400, 100)},
			{"sound_all-popup", "option", BRect(27, 184, 200, 202)},
			{"worksound", "option", BRect(27, 117, 200, 135)},
			{"persoCheck", "option", BRect(27, 50, 138, 63)},
			{"notifications", "top", BRect(232, 288, 400, 306)},
			{"repondeur", "repon", BRect(5, 78, 160, 94)},
			{"name", "identité", BRect(220, 30, 367, 44)},
			{"groupe_selector", "identité", BRect(19, 30, 154, 44)},
			{"save_config", "top", BRect(270, 314, 345, 338)},
			{"advanced_config", "top", BRect(270, 338, 345, 360)},
		};
		for (const auto& expected : layout) {
			BView* child = window->FindView(expected.name);
			ASSERT_NE(child, nullptr) << expected.name;
			if (expected.parent != NULL) {
				EXPECT_STREQ(child->Parent()->Name(), expected.parent) << expected.name;
			}
			// Controls may size themselves to their font; where they sit does not change.
			EXPECT_EQ(child->Frame().LeftTop(), expected.frame.LeftTop()) << expected.name;
		}
		EXPECT_STREQ(static_cast<BBox*>(window->FindView("option"))->Label(), "sound options");
		EXPECT_STREQ(static_cast<BBox*>(window->FindView("repon"))->Label(), "automatic answer");
		EXPECT_STREQ(static_cast<BBox*>(window->FindView("identité"))->Label(), "identity");
		EXPECT_STREQ(static_cast<BButton*>(window->FindView("advanced_config"))->Label(),
			"More...");
	});
	BTest::WriteWindowPNG(window, BTest::ScreenshotPath("options_window").c_str());
}

TEST_F(OptionsWindow, SaveWritesTheFileAndClosesTheWindow)
{
	TWindow12* window = Open();
	Retype(window, "name", "varnoth");
	Retype(window, "groupe_selector", "MURMELO");
	Retype(window, "repondeur", "Back at five");
	Press(window, "persoCheck");
	Press(window, "sound_all-popup");
	Press(window, "notifications");
	EXPECT_FALSE(TempBootVolume::Exists(SettingsPath()));

	PressToClose(window, "save_config");
	EXPECT_EQ(read_stored(SettingsPath(), "name_for_pop").Text(), "varnoth");
	EXPECT_EQ(read_stored(SettingsPath(), "name_for_group").Text(), "MURMELO");
	EXPECT_EQ(read_stored(SettingsPath(), "repondeur").Text(), "Back at five");
	EXPECT_EQ(stored_int(read_stored(SettingsPath(), "sound_for_perso")), 1);
	EXPECT_EQ(stored_int(read_stored(SettingsPath(), "sound_for_work")), 0);
	EXPECT_EQ(stored_int(read_stored(SettingsPath(), "sound_for_all")), 1);
	stored_attr notifications = read_stored(SettingsPath(), "notifications");
	EXPECT_EQ(notifications.type, (type_code)B_INT32_TYPE);
	EXPECT_EQ(stored_int(notifications), 0);
}

TEST_F(OptionsWindow, ReopeningShowsWhatWasSavedAndASecondSaveKeepsIt)
{
	murmelo_settings settings;
	settings.popName = "Bérénice";
	settings.group = "MURMELO";
	settings.answer = "gone fishing";
	settings.soundWork = 1;
	settings.notifications = 0;
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);

	TWindow12* window = Open();
	EXPECT_EQ(Text(window, "name"), "Bérénice");
	EXPECT_EQ(Text(window, "groupe_selector"), "MURMELO");
	EXPECT_EQ(Text(window, "repondeur"), "gone fishing");
	EXPECT_EQ(Value(window, "persoCheck"), B_CONTROL_OFF);
	EXPECT_EQ(Value(window, "worksound"), B_CONTROL_ON);
	EXPECT_EQ(Value(window, "sound_all-popup"), B_CONTROL_OFF);
	EXPECT_EQ(Value(window, "notifications"), B_CONTROL_OFF);

	// Saved again untouched: nothing is reset.
	PressToClose(window, "save_config");
	murmelo_settings loaded;
	ASSERT_EQ(load_murmelo_settings(&loaded), B_OK);
	EXPECT_EQ(loaded.popName, "Bérénice");
	EXPECT_EQ(loaded.soundPerso, 0);
	EXPECT_EQ(loaded.soundWork, 1);
	EXPECT_EQ(loaded.soundAll, 0);
	EXPECT_EQ(loaded.notifications, 0);
}

TEST_F(OptionsWindow, EnterInAFieldChangesNothingUntilSave)
{
	TWindow12* window = Open();
	Retype(window, "repondeur", "new answer");
	ASSERT_EQ(BTest::PressKey(window, "\n", 0x47), B_OK);
	Retype(window, "name", "someone");
	ASSERT_EQ(BTest::PressKey(window, "\n", 0x47), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_FALSE(TempBootVolume::Exists(SettingsPath()));
	BMessenger messenger(window);
	EXPECT_TRUE(!Gone(messenger));
	EXPECT_EQ(Text(window, "repondeur"), "new answer");
}

TEST_F(OptionsWindow, MoreOpensTheIrcOptionsWindow)
{
	TWindow12* window = Open();
	Press(window, "advanced_config");
	BWindow* irc = BTest::WaitForWindow("IRC options");
	ASSERT_NE(irc, nullptr);
	// The options window stays.
	EXPECT_TRUE(!Gone(BMessenger(window)));
}

TEST_F(OptionsWindow, ASaveThatFailsSaysSoAndKeepsTheWindow)
{
	// No settings folder can be made below a plain file.
	fVolume.Write("home/config", "in the way");
	TWindow12* window = Open();
	Retype(window, "name", "varnoth");
	Press(window, "save_config");
	BAlert* alert = dynamic_cast<BAlert*>(BTest::WaitForWindow("error"));
	ASSERT_NE(alert, nullptr);
	std::string said;
	BTest::Locked(alert, [&] { said = alert->Text(); });
	EXPECT_NE(said.find("could not be saved"), std::string::npos) << said;
	BTest::WriteWindowPNG(alert, BTest::ScreenshotPath("options_save_failed").c_str());
	EXPECT_TRUE(!Gone(BMessenger(window)));
	EXPECT_EQ(Text(window, "name"), "varnoth");
}
