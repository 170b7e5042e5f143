// The one control look, checked pixel by pixel where its R5 shape is the
// point: the button bevel, the default ring, the check box, the sunken
// frame and its focus ring, the arrow and the box border.
#include <ControlLook.h>

#include "ControlTestSupport.h"

#include <functional>

namespace {

// Calls one drawing function of the look in its Draw().
class LookView : public BView {
public:
	LookView(BRect frame, std::function<void(BView*)> draw)
		: BView(frame, "look", B_FOLLOW_NONE, B_WILL_DRAW), fDraw(std::move(draw))
	{
		SetViewColor(216, 216, 216);
	}
	void Draw(BRect) override { fDraw(this); }

private:
	std::function<void(BView*)> fDraw;
};

class ControlLookTest : public ControlWindowTest {
protected:
	// Draws with f in a 40 x 30 view at (10, 10) and returns the window.
	BWindow* DrawWith(const char* title, std::function<void(BView*)> f)
	{
		BWindow* window = NewWindow(title, BRect(100, 100, 159, 149));
		window->AddChild(new LookView(BRect(10, 10, 49, 39), f));
		ShowAndWait(window);
		return window;
	}
	// The colour at view coordinates (x, y).
	rgb_color At(BWindow* window, float x, float y)
	{
		return BTest::PixelAt(window, BPoint(10 + x, 10 + y));
	}
};

} // namespace

TEST_F(ControlLookTest, ButtonHasDarkOutlineRoundCornersAndBevel)
{
	BRect face;
	BWindow* window = DrawWith("look button", [&](BView* view) {
		BRect rect(0, 0, 39, 24);
		control_look().DrawButton(view, rect, 0);
		face = rect;
	});
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_TRUE(is_color(At(window, 0, 0), 216, 216, 216)); // corner left out
	EXPECT_TRUE(is_color(At(window, 1, 0), 96, 96, 96));    // outline
	EXPECT_TRUE(is_color(At(window, 0, 12), 96, 96, 96));
	EXPECT_TRUE(is_color(At(window, 1, 1), 255, 255, 255)); // light top-left
	EXPECT_TRUE(is_color(At(window, 38, 23), 152, 152, 152)); // shadow bottom-right
	EXPECT_TRUE(is_color(At(window, 20, 12), 232, 232, 232)); // face
	EXPECT_EQ(face, BRect(3, 3, 36, 21));
}

TEST_F(ControlLookTest, PushedButtonAndDefaultRing)
{
	BWindow* window = DrawWith("look pushed", [](BView* view) {
		BRect rect(0, 0, 39, 29);
		control_look().DrawDefaultFrame(view, rect, ControlLook::kDefault);
		control_look().DrawButton(view, rect, ControlLook::kActivated);
	});
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_TRUE(is_color(At(window, 0, 0), 0, 0, 0));       // default ring
	EXPECT_TRUE(is_color(At(window, 39, 29), 0, 0, 0));
	EXPECT_TRUE(is_color(At(window, 1, 1), 216, 216, 216)); // gap
	EXPECT_TRUE(is_color(At(window, 4, 4), 152, 152, 152)); // pushed: dark top-left
	EXPECT_TRUE(is_color(At(window, 20, 15), 184, 184, 184)); // darker face
}

TEST_F(ControlLookTest, CheckBoxBevelAndMark)
{
	BWindow* window = DrawWith("look check", [](BView* view) {
		control_look().DrawCheckBox(view, BRect(0, 0, 11, 11), 0);
		control_look().DrawCheckBox(view, BRect(20, 0, 31, 11), ControlLook::kActivated);
	});
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_TRUE(is_color(At(window, 0, 0), 184, 184, 184));
	EXPECT_TRUE(is_color(At(window, 11, 11), 255, 255, 255));
	EXPECT_TRUE(is_color(At(window, 1, 1), 96, 96, 96));
	EXPECT_TRUE(is_color(At(window, 5, 5), 255, 255, 255)); // empty
	EXPECT_TRUE(is_color(At(window, 23, 3), 0, 0, 0));      // the X
	EXPECT_TRUE(is_color(At(window, 28, 3), 0, 0, 0));
	EXPECT_TRUE(is_color(At(window, 25, 5), 0, 0, 0));
	EXPECT_TRUE(is_color(At(window, 25, 3), 255, 255, 255));
}

TEST_F(ControlLookTest, SunkenFrameTurnsBlueWithFocus)
{
	BRect inside;
	BWindow* window = DrawWith("look sunken", [&](BView* view) {
		BRect plain(0, 0, 15, 15);
		control_look().DrawSunkenFrame(view, plain, 0);
		inside = plain;
		BRect focused(20, 0, 35, 15);
		control_look().DrawSunkenFrame(view, focused, ControlLook::kFocused);
	});
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(inside, BRect(2, 2, 13, 13));
	EXPECT_TRUE(is_color(At(window, 0, 5), 184, 184, 184));
	EXPECT_TRUE(is_color(At(window, 15, 5), 255, 255, 255));
	EXPECT_TRUE(is_color(At(window, 1, 5), 96, 96, 96));
	EXPECT_TRUE(is_color(At(window, 14, 5), 216, 216, 216));
	EXPECT_TRUE(is_color(At(window, 21, 5), 0, 0, 229));
	EXPECT_TRUE(is_color(At(window, 34, 5), 0, 0, 229));
}

TEST_F(ControlLookTest, ArrowPointsTheRightWay)
{
	BWindow* window = DrawWith("look arrow", [](BView* view) {
		control_look().DrawArrowButton(view, BRect(0, 0, 12, 12), ControlLook::kUpArrow, 0);
		control_look().DrawArrowButton(view, BRect(20, 0, 32, 12), ControlLook::kRightArrow,
			0);
	});
	ASSERT_TRUE(BTest::Sync(window));
	// Up: the tip row is one pixel, the base row seven.
	EXPECT_TRUE(is_color(At(window, 6, 4), 0, 0, 0));
	EXPECT_TRUE(is_color(At(window, 5, 4), 216, 216, 216));
	EXPECT_TRUE(is_color(At(window, 3, 7), 0, 0, 0));
	EXPECT_TRUE(is_color(At(window, 9, 7), 0, 0, 0));
	// Right: the tip column is on the right.
	EXPECT_TRUE(is_color(At(window, 28, 6), 0, 0, 0));
	EXPECT_TRUE(is_color(At(window, 28, 5), 216, 216, 216));
	EXPECT_TRUE(is_color(At(window, 25, 3), 0, 0, 0));
}
