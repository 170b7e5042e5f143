// BScrollBar, BScrollView and BBox on the headless display: frames worked
// out from the target, arrows, paging and thumb drags through the mouse,
// a text view scrolled to its caret, the box's border and label.
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <ScrollView.h>
#include <TextControl.h>
#include <TextView.h>

#include "ControlTestSupport.h"

namespace {

class ScrollViewTest : public ControlWindowTest {
protected:
	// A shown window with a 100 x 100 target and a vertical bar beside it
	// over 0 to max, steps 5 and 50.
	BScrollBar* NewBarWindow(const char* title, float max, float proportion,
		BView** target = NULL)
	{
		fWindow = NewWindow(title);
		BView* view = new BView(BRect(10, 10, 109, 109), "target", B_FOLLOW_NONE, B_WILL_DRAW);
		fBar = new BScrollBar(BRect(110, 10, 124, 109), "bar", view, 0, max, B_VERTICAL);
		fWindow->AddChild(view);
		fWindow->AddChild(fBar);
		BTest::Locked(fWindow, [&] {
			fBar->SetSteps(5, 50);
			fBar->SetProportion(proportion);
		});
		ShowAndWait(fWindow);
		if (target != NULL)
			*target = view;
		return fBar;
	}
	float BarValue()
	{
		float v = -1;
		BTest::Locked(fWindow, [&] { v = fBar->Value(); });
		return v;
	}

	BWindow* fWindow = NULL;
	BScrollBar* fBar = NULL;
};

} // namespace

TEST_F(ScrollViewTest, FrameIsWorkedOutFromTheTargetForEachBorder)
{
	struct Case {
		border_style border;
		bool horizontal, vertical;
		BRect frame, target, vbar, hbar;
	};
	const Case cases[] = {
		{B_FANCY_BORDER, false, true, BRect(8, 8, 125, 111), BRect(2, 2, 101, 101),
			BRect(102, 1, 116, 102), BRect()},
		{B_PLAIN_BORDER, true, true, BRect(9, 9, 124, 124), BRect(1, 1, 100, 100),
			BRect(101, 0, 115, 100), BRect(0, 101, 100, 115)},
		{B_NO_BORDER, true, false, BRect(10, 10, 109, 124), BRect(0, 0, 99, 99), BRect(),
			BRect(0, 100, 99, 114)},
	};
	for (const Case& c : cases) {
		BView* target = new BView(BRect(10, 10, 109, 109), "target", B_FOLLOW_ALL, B_WILL_DRAW);
		BScrollView scroll("scroll", target, B_FOLLOW_LEFT_TOP, 0, c.horizontal, c.vertical,
			c.border);
		EXPECT_EQ(scroll.Frame(), c.frame) << c.border;
		EXPECT_EQ(target->Frame(), c.target) << c.border;
		EXPECT_EQ(target->Parent(), &scroll);
		if (c.vertical) {
			ASSERT_NE(scroll.ScrollBar(B_VERTICAL), nullptr);
			EXPECT_EQ(scroll.ScrollBar(B_VERTICAL)->Frame(), c.vbar) << c.border;
			EXPECT_EQ(target->ScrollBar(B_VERTICAL), scroll.ScrollBar(B_VERTICAL));
		} else {
			EXPECT_EQ(scroll.ScrollBar(B_VERTICAL), nullptr);
		}
		if (c.horizontal) {
			EXPECT_EQ(scroll.ScrollBar(B_HORIZONTAL)->Frame(), c.hbar) << c.border;
		}
	}
}

TEST_F(ScrollViewTest, ResizesWithTheWindowAndKeepsItsBarsAtTheEdges)
{
	BWindow* window = NewWindow("scroll resize");
	BView* target = new BView(BRect(10, 10, 109, 109), "target", B_FOLLOW_ALL, B_WILL_DRAW);
	BScrollView* scroll = new BScrollView("scroll", target, B_FOLLOW_ALL, 0, true, true);
	window->AddChild(scroll);
	ShowAndWait(window);
	BTest::Locked(window, [&] { window->ResizeBy(40, 30); });
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		EXPECT_EQ(scroll->Frame(), BRect(8, 8, 165, 155));
		EXPECT_EQ(target->Frame(), BRect(2, 2, 141, 131));
		EXPECT_EQ(scroll->ScrollBar(B_VERTICAL)->Frame(), BRect(142, 1, 156, 131));
		EXPECT_EQ(scroll->ScrollBar(B_HORIZONTAL)->Frame(), BRect(1, 132, 141, 146));
	});
	Screenshot(window, "scrollview_resized");
}

TEST_F(ScrollViewTest, ArrowsPagesAndThumbDragMoveTheTarget)
{
	BView* target = NULL;
	BScrollBar* bar = NewBarWindow("scroll bar", 200, 0.5f, &target);
	BWindow* window = fWindow;
	auto value = [&] { return BarValue(); };
	auto targetTop = [&] {
		float top = -1;
		BTest::Locked(window, [&] { top = target->Bounds().top; });
		return top;
	};
	// The up arrow at the top stops at the minimum.
	ASSERT_EQ(BTest::Click(bar, BPoint(7, 5)), B_OK);
	EXPECT_EQ(value(), 0);
	ASSERT_EQ(BTest::Click(bar, BPoint(7, 94)), B_OK);
	EXPECT_EQ(value(), 5);
	EXPECT_EQ(targetTop(), 5);
	// The track below the thumb pages down.
	ASSERT_EQ(BTest::Click(bar, BPoint(7, 85)), B_OK);
	EXPECT_EQ(value(), 55);
	EXPECT_EQ(targetTop(), 55);
	// Dragging the thumb: half the room it can move is half the range.
	BRect thumb;
	float room = 0;
	BTest::Locked(window, [&] {
		// The track lies between the two square arrows.
		float track = bar->Bounds().Height() + 1 - 2 - 2 * 14;
		float size = floorf(track * 0.5f);
		room = track - size;
		float top = 15 + floorf(55.0f / 200 * room);
		thumb = BRect(1, top, 13, top + size - 1);
	});
	BPoint grab(7, thumb.top + 3);
	ASSERT_EQ(BTest::MouseDown(bar, grab), B_OK);
	ASSERT_EQ(BTest::MoveMouse(bar, grab + BPoint(30, -(thumb.top - 15))), B_OK);
	EXPECT_EQ(value(), 0);
	ASSERT_EQ(BTest::MoveMouse(bar, BPoint(7, 15 + room / 2 + 3)), B_OK);
	EXPECT_NEAR(value(), 100, 200 / room + 1);
	ASSERT_EQ(BTest::MoveMouse(bar, BPoint(7, 500)), B_OK);
	ASSERT_EQ(BTest::MouseUp(bar, BPoint(7, 500)), B_OK);
	EXPECT_EQ(value(), 200);
	EXPECT_EQ(targetTop(), 200);
	// Scrolling the target moves the thumb; an empty range disables it.
	BTest::Locked(window, [&] {
		target->ScrollTo(0, 30);
		EXPECT_EQ(bar->Value(), 30);
		bar->SetRange(0, 0);
		EXPECT_EQ(bar->Value(), 0);
		EXPECT_EQ(target->Bounds().top, 0);
	});
	ASSERT_EQ(BTest::Click(bar, BPoint(7, 94)), B_OK);
	EXPECT_EQ(value(), 0);
	Screenshot(window, "scrollbar_disabled");
}

TEST_F(ScrollViewTest, AHeldArrowOrTrackRepeatsUntilReleasedOrReached)
{
	BTest::DriveClock();
	BScrollBar* bar = NewBarWindow("held bar", 1000, 0.1f);
	BWindow* window = fWindow;
	auto value = [&] { return BarValue(); };
	// Time passes only as the test moves the clock.
	auto after = [&](bigtime_t time) {
		EXPECT_EQ(BTest::AdvanceClock(time, window), B_OK);
		return value();
	};

	// One step at once, the next after the delay, then 20 a second.
	const BPoint down(7, 94);
	ASSERT_EQ(BTest::MouseDown(bar, down), B_OK);
	EXPECT_EQ(value(), 5);
	EXPECT_EQ(after(299999), 5);
	EXPECT_EQ(after(1), 10);
	EXPECT_EQ(after(49999), 10);
	EXPECT_EQ(after(1), 15);
	EXPECT_EQ(after(150000), 30);
	ASSERT_EQ(BTest::MouseUp(bar, down), B_OK);
	EXPECT_EQ(after(1000000), 30);

	// Moved off the arrow while held, it stops; back on, it goes on.
	ASSERT_EQ(BTest::MouseDown(bar, down), B_OK);
	EXPECT_EQ(after(300000), 40);
	ASSERT_EQ(BTest::MoveMouse(bar, BPoint(7, 40)), B_OK);
	EXPECT_EQ(after(500000), 40);
	ASSERT_EQ(BTest::MoveMouse(bar, down), B_OK);
	EXPECT_EQ(after(50000), 45);
	ASSERT_EQ(BTest::MouseUp(bar, down), B_OK);

	// The track pages until the thumb has come under the pointer, then stops.
	BTest::Locked(window, [&] { bar->SetValue(0); });
	const BPoint track(7, 70);
	ASSERT_EQ(BTest::MouseDown(bar, track), B_OK);
	EXPECT_EQ(value(), 50);
	after(300000);
	for (int i = 0; i < 40; i++)
		after(50000);
	float reached = value();
	// The pointer is at 70% of the bar: the thumb stopped there, not at the end.
	EXPECT_GT(reached, 400);
	EXPECT_LT(reached, 900);
	EXPECT_EQ(fmodf(reached, 50), 0);
	EXPECT_EQ(after(1000000), reached);
	ASSERT_EQ(BTest::MouseUp(bar, track), B_OK);
	EXPECT_EQ(after(1000000), reached);
}

TEST_F(ScrollViewTest, TextViewScrollsToItsCaretAndSetsItsBar)
{
	BWindow* window = NewWindow("scroll text");
	BTextView* text = new BTextView(BRect(10, 10, 159, 79), "text", BRect(3, 3, 146, 66),
		B_FOLLOW_ALL);
	BScrollView* scroll = new BScrollView("scroll", text, B_FOLLOW_ALL, 0, false, true);
	window->AddChild(scroll);
	ShowAndWait(window);
	ASSERT_EQ(BTest::Click(text, BPoint(5, 5)), B_OK);
	for (int i = 0; i < 12; i++)
		ASSERT_EQ(BTest::TypeKeys(window, "line\n"), B_OK);
	ASSERT_EQ(BTest::TypeKeys(window, "last"), B_OK);
	BScrollBar* bar = scroll->ScrollBar(B_VERTICAL);
	BTest::Locked(window, [&] {
		float min, max;
		bar->GetRange(&min, &max);
		EXPECT_GT(max, 0);
		EXPECT_LT(bar->Proportion(), 1);
		EXPECT_GT(bar->Value(), 0);
		EXPECT_EQ(bar->Value(), text->Bounds().top);
		// The caret's line is in sight.
		float height;
		BPoint caret = text->PointAt(text->TextLength(), &height);
		EXPECT_TRUE(text->Bounds().Contains(caret));
		EXPECT_TRUE(text->Bounds().Contains(caret + BPoint(0, height - 1)));
	});
	// The focused text view's scroll view shows the blue ring.
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(50, 9)), 0, 0, 229));
	Screenshot(window, "scrollview_text");
	// Back to the top with the keyboard.
	const char home[] = {B_HOME, 0};
	ASSERT_EQ(BTest::PressKey(window, home, 0, B_COMMAND_KEY), B_OK);
	BTest::Locked(window, [&] {
		EXPECT_EQ(text->Bounds().top, 0);
		EXPECT_EQ(bar->Value(), 0);
	});
}

TEST_F(ScrollViewTest, BoxDrawsItsBorderAndLabel)
{
	BWindow* window = NewWindow("box");
	BBox* fancy = new BBox(BRect(10, 10, 140, 90), "fancy");
	fancy->SetLabel("Sounds");
	BBox* plain = new BBox(BRect(150, 10, 280, 90), "plain", B_FOLLOW_LEFT_TOP,
		B_WILL_DRAW, B_PLAIN_BORDER);
	BBox* none = new BBox(BRect(10, 100, 140, 180), "none", B_FOLLOW_LEFT_TOP, B_WILL_DRAW,
		B_NO_BORDER);
	BCheckBox* inside = new BCheckBox(BRect(10, 25, 120, 40), "inside", "Beep", NULL);
	fancy->AddChild(inside);
	window->AddChild(fancy);
	window->AddChild(plain);
	window->AddChild(none);
	ShowAndWait(window);
	BRect inner;
	BTest::Locked(window, [&] {
		inner = fancy->InnerFrame();
		EXPECT_GT(inner.top, 2);
		EXPECT_EQ(inner.left, 2);
		EXPECT_EQ(plain->InnerFrame(), BRect(1, 1, 129, 79));
	});
	// Engraved: a shadow line with a white line inside it.
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(10, 60)), 152, 152, 152));
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(11, 60)), 255, 255, 255));
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(280, 60)), 184, 184, 184));
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(10, 140)), 216, 216, 216));
	// The label breaks the top edge: no border line in the gap before it,
	// and dark text above the edge.
	float edge = 10 + floorf(inner.top / 2);
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(12, edge)), 152, 152, 152));
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(17, edge)), 216, 216, 216));
	EXPECT_TRUE(is_color(BTest::PixelAt(window, BPoint(19, edge)), 216, 216, 216));
	bool dark = false;
	for (float x = 20; x < 60; x++) {
		for (float y = 10; y < 10 + inner.top; y++)
			dark = dark || BTest::PixelAt(window, BPoint(x, y)).red < 80;
	}
	EXPECT_TRUE(dark);
	Screenshot(window, "box_borders");
}

TEST_F(ScrollViewTest, FormWithABoxAScrolledTextAndControls)
{
	BWindow* window = NewWindow("form", BRect(100, 100, 419, 339));
	BBox* box = new BBox(BRect(10, 10, 309, 120), "box");
	box->SetLabel("Options");
	BTextControl* name = new BTextControl(BRect(10, 22, 280, 40), "name", "Your name:", "Ann",
		NULL);
	name->SetDivider(70);
	BCheckBox* sound = new BCheckBox(BRect(10, 48, 200, 60), "sound", "Play a sound", NULL);
	BCheckBox* mail = new BCheckBox(BRect(10, 70, 200, 60), "mail", "MAIL mode", NULL);
	box->AddChild(name);
	box->AddChild(sound);
	box->AddChild(mail);
	BTextView* text = new BTextView(BRect(10, 130, 295, 195), "text", BRect(3, 3, 282, 62),
		B_FOLLOW_ALL);
	BScrollView* scroll = new BScrollView("scroll", text, B_FOLLOW_ALL, 0, false, true);
	BButton* send = new BButton(BRect(229, 205, 304, 228), "send", "SEND", NULL);
	BButton* cancel = new BButton(BRect(140, 205, 215, 228), "cancel", "Cancel", NULL);
	window->AddChild(box);
	window->AddChild(scroll);
	window->AddChild(cancel);
	window->AddChild(send);
	BTest::Locked(window, [&] {
		send->MakeDefault(true);
		sound->SetValue(B_CONTROL_ON);
		text->SetText("Hello there, this answer is long enough to wrap onto a second "
					  "line and a third one inside the scroll view.\nSecond paragraph.\n"
					  "Third.\nFourth.");
	});
	ShowAndWait(window);
	ASSERT_EQ(BTest::Click(text, BPoint(30, 8)), B_OK);
	Screenshot(window, "controls_form_full");
}
