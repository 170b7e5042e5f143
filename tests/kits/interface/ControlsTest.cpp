// BInvoker, BControl, BButton and BCheckBox on the headless display, used
// through clicks and keys the way a person would.
#include <Button.h>
#include <CheckBox.h>

#include "ControlTestSupport.h"

namespace {

const uint32 kPressed = 'prsd';
const uint32 kToggled = 'tgld';

class ControlsTest : public ControlWindowTest {};

} // namespace

TEST_F(ControlsTest, ClickSendsTheMessageToAHandlerOrALooperTarget)
{
	BWindow* window = NewWindow("button targets");
	BButton* toHandler = new BButton(BRect(10, 10, 109, 33), "handler", "Handler",
		new BMessage(kPressed));
	BButton* toLooper = new BButton(BRect(10, 50, 109, 73), "looper", "Looper",
		new BMessage(kPressed));
	BButton* toWindow = new BButton(BRect(10, 90, 109, 113), "window", "Window",
		new BMessage(kPressed));
	RecordingHandler* handler = new RecordingHandler;
	RecordingLooper* looper = new RecordingLooper;
	looper->Run();
	window->AddHandler(handler);
	// Set before the button is in a window: it must still reach the handler.
	toHandler->SetTarget(handler);
	toLooper->SetTarget(looper);
	window->AddChild(toHandler);
	window->AddChild(toLooper);
	window->AddChild(toWindow);
	ShowAndWait(window);

	ASSERT_EQ(BTest::Click(toHandler, BPoint(20, 10)), B_OK);
	ASSERT_EQ(BTest::Click(toLooper, BPoint(20, 10)), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	ASSERT_TRUE(BTest::WaitFor([&] { return looper->Count() == 1; }));
	BTest::Locked(window, [&] {
		ASSERT_EQ(handler->messages.size(), 1u);
		const BMessage& sent = handler->messages[0];
		EXPECT_EQ(sent.what, kPressed);
		void* source = NULL;
		EXPECT_EQ(sent.FindPointer("source", &source), B_OK);
		EXPECT_EQ(source, toHandler);
		int64 when = 0;
		EXPECT_EQ(sent.FindInt64("when", &when), B_OK);
		EXPECT_GT(when, 0);
		EXPECT_EQ(toHandler->Value(), B_CONTROL_OFF);
		// Without a target the window is the target.
		BLooper* targetLooper = NULL;
		EXPECT_EQ(toWindow->Target(&targetLooper), window);
	});
	std::vector<BMessage> got = looper->Messages();
	EXPECT_EQ(got[0].what, kPressed);
	void* source = NULL;
	got[0].FindPointer("source", &source);
	EXPECT_EQ(source, toLooper);
	if (looper->Lock())
		looper->Quit();
}

TEST_F(ControlsTest, ReleasingOutsideOrADisabledButtonSendsNothing)
{
	BWindow* window = NewWindow("button release");
	BButton* button = new BButton(BRect(10, 10, 109, 33), "button", "Press", new BMessage(kPressed));
	RecordingHandler* handler = new RecordingHandler;
	window->AddHandler(handler);
	button->SetTarget(handler);
	window->AddChild(button);
	ShowAndWait(window);

	// Pressed, dragged off, released outside: the press is taken back.
	ASSERT_EQ(BTest::MouseDown(button, BPoint(20, 10)), B_OK);
	BTest::Locked(window, [&] { EXPECT_EQ(button->Value(), B_CONTROL_ON); });
	ASSERT_EQ(BTest::MoveMouse(button, BPoint(200, 100)), B_OK);
	BTest::Locked(window, [&] { EXPECT_EQ(button->Value(), B_CONTROL_OFF); });
	ASSERT_EQ(BTest::MoveMouse(button, BPoint(21, 11)), B_OK);
	BTest::Locked(window, [&] { EXPECT_EQ(button->Value(), B_CONTROL_ON); });
	ASSERT_EQ(BTest::MoveMouse(button, BPoint(200, 100)), B_OK);
	ASSERT_EQ(BTest::MouseUp(button, BPoint(200, 100)), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		EXPECT_TRUE(handler->messages.empty());
		button->SetEnabled(false);
	});
	ASSERT_EQ(BTest::Click(button, BPoint(20, 10)), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		EXPECT_TRUE(handler->messages.empty());
		// Invoke without a message is refused.
		button->SetMessage(NULL);
		EXPECT_EQ(button->Invoke(), B_BAD_VALUE);
	});
}

TEST_F(ControlsTest, DefaultButtonGrowsAndAnswersEnterAnywhere)
{
	BWindow* window = NewWindow("default button");
	BButton* ok = new BButton(BRect(100, 100, 174, 123), "ok", "OK", new BMessage(kPressed));
	BButton* other = new BButton(BRect(10, 100, 84, 123), "other", "Other",
		new BMessage(kToggled));
	BCheckBox* box = new BCheckBox(BRect(10, 10, 150, 25), "box", "Box", NULL);
	RecordingHandler* handler = new RecordingHandler;
	window->AddHandler(handler);
	ok->SetTarget(handler);
	other->SetTarget(handler);
	// Made default before it is in a window, as programs often do.
	ok->MakeDefault(true);
	EXPECT_EQ(ok->Frame(), BRect(97, 97, 177, 126));
	window->AddChild(ok);
	window->AddChild(other);
	window->AddChild(box);
	ShowAndWait(window);
	BTest::Locked(window, [&] {
		EXPECT_EQ(window->DefaultButton(), ok);
		box->MakeFocus(true);
	});
	// The outer ring of a default button is black.
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(97, 110)), 0, 0, 0));

	ASSERT_EQ(BTest::PressKey(window, "\n", 0), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		ASSERT_EQ(handler->messages.size(), 1u);
		EXPECT_EQ(handler->messages[0].what, kPressed);
		// Enter went to the default button, not to the focused check box.
		EXPECT_EQ(box->Value(), B_CONTROL_OFF);
		// Only one default button: the old one shrinks back.
		other->MakeDefault(true);
		EXPECT_EQ(window->DefaultButton(), other);
		EXPECT_FALSE(ok->IsDefault());
		EXPECT_EQ(ok->Frame(), BRect(100, 100, 174, 123));
	});
	ASSERT_EQ(BTest::PressKey(window, "\n", 0), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		ASSERT_EQ(handler->messages.size(), 2u);
		EXPECT_EQ(handler->messages[1].what, kToggled);
	});
	Screenshot(window, "controls_default_button");
}

TEST_F(ControlsTest, CheckBoxTogglesByClickAndSpace)
{
	BWindow* window = NewWindow("check box");
	BCheckBox* box = new BCheckBox(BRect(10, 10, 150, 28), "box", "Sound", new BMessage(kToggled));
	RecordingHandler* handler = new RecordingHandler;
	window->AddHandler(handler);
	box->SetTarget(handler);
	window->AddChild(box);
	ShowAndWait(window);

	// A click on the label counts as much as one on the box.
	ASSERT_EQ(BTest::Click(box, BPoint(60, 8)), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		EXPECT_EQ(box->Value(), B_CONTROL_ON);
		ASSERT_EQ(handler->messages.size(), 1u);
		int32 value = -1;
		EXPECT_EQ(handler->messages[0].FindInt32("be:value", &value), B_OK);
		EXPECT_EQ(value, B_CONTROL_ON);
		box->MakeFocus(true);
	});
	ASSERT_EQ(BTest::Sync(window), true);
	// The mark: the middle of the box is black when checked.
	BRect frame;
	BTest::Locked(window, [&] { frame = box->Frame(); });
	float middle = floorf((frame.top + frame.bottom + 1) / 2);
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(frame.left + 6, middle - 1)), 0, 0, 0));
	ASSERT_EQ(BTest::PressKey(window, " "), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		EXPECT_EQ(box->Value(), B_CONTROL_OFF);
		EXPECT_EQ(handler->messages.size(), 2u);
	});
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(frame.left + 6, middle - 1)), 255, 255,
		255));
}

TEST_F(ControlsTest, CheckBoxLowerThanItsFontGrowsAndStaysClickable)
{
	BWindow* window = NewWindow("grown check box");
	// A frame given by a program: bottom above top.
	BCheckBox* box = new BCheckBox(BRect(75, 70, 170, 60), "mail", "MAIL mode",
		new BMessage(kToggled));
	RecordingHandler* handler = new RecordingHandler;
	window->AddHandler(handler);
	box->SetTarget(handler);
	window->AddChild(box);
	BRect frame = box->Frame();
	EXPECT_EQ(frame.left, 75);
	EXPECT_EQ(frame.top, 70);
	EXPECT_EQ(frame.right, 170);
	EXPECT_GE(frame.Height(), 12);
	ShowAndWait(window);

	// The box shows: its dark inner edge is in the window.
	bool dark = false;
	for (float y = frame.top; y <= frame.bottom && !dark; y++) {
		rgb_color c = BTest::PixelAt(window, BPoint(frame.left + 2, y));
		dark = c.red < 120;
	}
	EXPECT_TRUE(dark);
	ASSERT_EQ(BTest::Click(box, BPoint(5, frame.Height() / 2)), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		EXPECT_EQ(box->Value(), B_CONTROL_ON);
		EXPECT_EQ(handler->messages.size(), 1u);
	});
	Screenshot(window, "controls_grown_check_box");
}

TEST_F(ControlsTest, TabMovesTheFocusThroughNavigableViews)
{
	BWindow* window = NewWindow("tab order");
	BButton* first = new BButton(BRect(10, 10, 89, 33), "first", "First", NULL);
	BCheckBox* second = new BCheckBox(BRect(10, 40, 120, 55), "second", "Second", NULL);
	BView* plain = new BView(BRect(10, 60, 50, 70), "plain", B_FOLLOW_NONE, B_WILL_DRAW);
	BButton* disabled = new BButton(BRect(10, 80, 89, 103), "disabled", "Off", NULL);
	BButton* third = new BButton(BRect(10, 120, 89, 143), "third", "Third", NULL);
	for (BView* view : std::vector<BView*>{first, second, plain, disabled, third})
		window->AddChild(view);
	disabled->SetEnabled(false);
	ShowAndWait(window);

	ASSERT_EQ(BTest::PressKey(window, "\t"), B_OK);
	EXPECT_EQ(Focus(window), first);
	ASSERT_EQ(BTest::PressKey(window, "\t"), B_OK);
	EXPECT_EQ(Focus(window), second);
	// The focus mark: blue under the label.
	bool blue = false;
	BRect frame;
	BTest::Locked(window, [&] { frame = second->Frame(); });
	for (float y = frame.top; y <= frame.bottom && !blue; y++) {
		for (float x = frame.left + 18; x < frame.left + 40 && !blue; x++)
			blue = is_color(BTest::PixelAt(window, BPoint(x, y)), 0, 0, 229);
	}
	EXPECT_TRUE(blue);
	// Not navigable, disabled: passed over.
	ASSERT_EQ(BTest::PressKey(window, "\t"), B_OK);
	EXPECT_EQ(Focus(window), third);
	ASSERT_EQ(BTest::PressKey(window, "\t"), B_OK);
	EXPECT_EQ(Focus(window), first);
	ASSERT_EQ(BTest::PressKey(window, "\t", 0, B_SHIFT_KEY), B_OK);
	EXPECT_EQ(Focus(window), third);
	// The mark left the check box with the focus.
	blue = false;
	for (float y = frame.top; y <= frame.bottom && !blue; y++) {
		for (float x = frame.left + 18; x < frame.left + 40 && !blue; x++)
			blue = is_color(BTest::PixelAt(window, BPoint(x, y)), 0, 0, 229);
	}
	EXPECT_FALSE(blue);
	// Space presses the focused button.
	RecordingHandler* handler = new RecordingHandler;
	BTest::Locked(window, [&] {
		window->AddHandler(handler);
		third->SetMessage(new BMessage(kPressed));
		third->SetTarget(handler);
	});
	ASSERT_EQ(BTest::PressKey(window, " "), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] { EXPECT_EQ(handler->messages.size(), 1u); });
}
