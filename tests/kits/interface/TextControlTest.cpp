// BTextControl: a label, a one-line field, its message on Enter and on
// losing the focus, only when the text changed.
#include <Button.h>
#include <CheckBox.h>
#include <Clipboard.h>
#include <TextControl.h>

#include "ControlTestSupport.h"

namespace {

const uint32 kNameChanged = 'name';
const uint32 kModified = 'modi';

class TextControlTest : public ControlWindowTest {
protected:
	void SetUp() override
	{
		fWindow = NewWindow("text controls");
		fName = new BTextControl(BRect(10, 10, 250, 30), "name", "Name:", "Ann",
			new BMessage(kNameChanged));
		fOther = new BTextControl(BRect(10, 40, 250, 60), "other", "Other:", "",
			new BMessage('othr'));
		fHandler = new RecordingHandler;
		fWindow->AddHandler(fHandler);
		fName->SetTarget(fHandler);
		fOther->SetTarget(fHandler);
		fWindow->AddChild(fName);
		fWindow->AddChild(fOther);
	}
	size_t Sent(uint32 what)
	{
		// What a control sent while handling input is queued behind it.
		BTest::Sync(fWindow);
		size_t count = 0;
		BTest::Locked(fWindow, [&] {
			for (const BMessage& m : fHandler->messages)
				count += m.what == what;
		});
		return count;
	}
	std::string TextOf(BTextControl* control)
	{
		std::string text;
		BTest::Locked(fWindow, [&] { text = control->Text(); });
		return text;
	}
	void Key(const char* bytes, uint32 modifiers = 0)
	{
		ASSERT_EQ(BTest::PressKey(fWindow, bytes, 0, modifiers), B_OK);
	}

	BWindow* fWindow = NULL;
	BTextControl* fName = NULL;
	BTextControl* fOther = NULL;
	RecordingHandler* fHandler = NULL;
};

const char kEnd[] = {B_END, 0};
const char kBackspace[] = {B_BACKSPACE, 0};
const char kLeft[] = {B_LEFT_ARROW, 0};

} // namespace

TEST_F(TextControlTest, EnterAndLosingFocusSendOnlyWhenTheTextChanged)
{
	ShowAndWait(fWindow);
	// Tab into the field: its text is selected, typing replaces it.
	Key("\t");
	EXPECT_EQ(Focus(fWindow), fName->TextView());
	ASSERT_EQ(BTest::TypeKeys(fWindow, "Bob"), B_OK);
	EXPECT_EQ(TextOf(fName), "Bob");
	EXPECT_EQ(Sent(kNameChanged), 0u);
	Key("\n");
	EXPECT_EQ(Sent(kNameChanged), 1u);
	// Unchanged: Enter sends nothing more.
	Key("\n");
	EXPECT_EQ(Sent(kNameChanged), 1u);
	// Changed, then the focus leaves by Tab: sent once.
	Key(kEnd);
	ASSERT_EQ(BTest::TypeKeys(fWindow, "by"), B_OK);
	Key("\t");
	EXPECT_EQ(Focus(fWindow), fOther->TextView());
	EXPECT_EQ(Sent(kNameChanged), 1u + 1u);
	// In and out without a change: nothing.
	Key("\t", B_SHIFT_KEY);
	EXPECT_EQ(Focus(fWindow), fName->TextView());
	Key("\t");
	EXPECT_EQ(Sent(kNameChanged), 2u);
	BTest::Locked(fWindow, [&] {
		const BMessage& last = fHandler->messages.back();
		void* source = NULL;
		last.FindPointer("source", &source);
		EXPECT_EQ(source, fName);
		// Setting the text is not a change by the user.
		fName->SetText("Set");
	});
	Key("\t", B_SHIFT_KEY);
	Key("\t");
	EXPECT_EQ(Sent(kNameChanged), 2u);
	EXPECT_EQ(TextOf(fName), "Set");
}

TEST_F(TextControlTest, EditingAPasteTurnsLineBreaksIntoSpaces)
{
	BTest::Locked(fWindow, [&] { fName->SetModificationMessage(new BMessage(kModified)); });
	ShowAndWait(fWindow);
	BRect field;
	BTest::Locked(fWindow, [&] { field = fName->TextView()->Bounds(); });
	// A click puts the caret where it lands, here past the end.
	ASSERT_EQ(BTest::Click(fName->TextView(), BPoint(field.right - 2, 4)), B_OK);
	EXPECT_EQ(Focus(fWindow), fName->TextView());
	Key(kBackspace);
	EXPECT_EQ(TextOf(fName), "An");
	EXPECT_EQ(Sent(kModified), 1u);
	if (be_clipboard->Lock()) {
		be_clipboard->Clear();
		be_clipboard->Data()->AddData("text/plain", B_MIME_TYPE, "na\nmarie", 8);
		be_clipboard->Commit();
		be_clipboard->Unlock();
	}
	ASSERT_EQ(BTest::PressKey(fWindow, "v", 0, B_CONTROL_KEY), B_OK);
	EXPECT_EQ(TextOf(fName), "Anna marie");
	Key(kLeft, B_SHIFT_KEY);
	Key(kLeft, B_SHIFT_KEY);
	Key(kLeft, B_SHIFT_KEY);
	Key(kLeft, B_SHIFT_KEY);
	Key(kLeft, B_SHIFT_KEY);
	Key(kLeft, B_SHIFT_KEY);
	ASSERT_EQ(BTest::PressKey(fWindow, "x", 0, B_CONTROL_KEY), B_OK);
	EXPECT_EQ(TextOf(fName), "Anna");
	BTest::Locked(fWindow, [&] { EXPECT_EQ(fName->TextView()->CountLines(), 1); });
	// Enter still stays out of the text.
	Key("\n");
	EXPECT_EQ(TextOf(fName), "Anna");
	EXPECT_EQ(Sent(kNameChanged), 1u);
}

TEST_F(TextControlTest, LabelLeftOfTheDividerAndALowFrameGrows)
{
	BTextControl* low = new BTextControl(BRect(10, 80, 250, 85), "low", "Low:", "text", NULL);
	BTest::Locked(fWindow, [&] { fWindow->AddChild(low); });
	ShowAndWait(fWindow);
	BTest::Locked(fWindow, [&] {
		// Half the width by default, at least the label.
		EXPECT_EQ(fName->Divider(), 120);
		EXPECT_GE(fName->TextView()->Frame().left, fName->Divider());
		fName->SetDivider(60);
		EXPECT_GE(fName->TextView()->Frame().left, 60);
		EXPECT_LT(fName->TextView()->Frame().left, 70);
		EXPECT_EQ(fName->TextView()->Frame().right, fName->Bounds().right - 2);
		font_height height;
		low->GetFontHeight(&height);
		EXPECT_GE(low->Frame().Height(), ceilf(height.ascent + height.descent) + 4);
		EXPECT_EQ(low->Frame().top, 80);
	});
	ASSERT_EQ(BTest::Click(low, BPoint(200, 8)), B_OK);
	EXPECT_EQ(Focus(fWindow), low->TextView());
	// The focused field has the blue ring.
	BRect frame;
	BTest::Locked(fWindow, [&] { frame = low->ConvertToParent(low->TextView()->Frame()); });
	EXPECT_TRUE(is_color(BTest::PixelAt(fWindow, BPoint(frame.left + 20, frame.top - 1)), 0, 0,
		229));
	Screenshot(fWindow, "textcontrol_focus");
}

TEST_F(TextControlTest, HiddenTypingMakesAPasswordField)
{
	BTest::Locked(fWindow, [&] { fOther->TextView()->HideTyping(true); });
	ShowAndWait(fWindow);
	ASSERT_EQ(BTest::Click(fOther->TextView(), BPoint(5, 4)), B_OK);
	ASSERT_EQ(BTest::TypeKeys(fWindow, "pa55"), B_OK);
	EXPECT_EQ(TextOf(fOther), "pa55");
	Screenshot(fWindow, "textcontrol_password");
}

TEST_F(TextControlTest, FormWithEveryControl)
{
	BButton* ok = new BButton(BRect(170, 150, 249, 173), "ok", "OK", new BMessage('ok  '));
	BButton* cancel = new BButton(BRect(80, 150, 159, 173), "cancel", "Cancel", NULL);
	BCheckBox* sound = new BCheckBox(BRect(10, 70, 150, 85), "sound", "Play a sound", NULL);
	BCheckBox* mail = new BCheckBox(BRect(10, 90, 150, 80), "mail", "MAIL mode", NULL);
	BTextControl* disabled = new BTextControl(BRect(10, 115, 250, 135), "disabled", "Off:",
		"disabled", NULL);
	BTest::Locked(fWindow, [&] {
		for (BView* view : std::vector<BView*>{ok, cancel, sound, mail, disabled})
			fWindow->AddChild(view);
		ok->MakeDefault(true);
		sound->SetValue(B_CONTROL_ON);
		disabled->SetEnabled(false);
		fName->SetDivider(50);
		fOther->SetDivider(50);
	});
	ShowAndWait(fWindow);
	Key("\t");
	Screenshot(fWindow, "controls_form");
}
