#include <Harness.h>
#include <TabView.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <math.h>

namespace {

const rgb_color kSelected = {216, 216, 216, 255};
const rgb_color kOther = {184, 184, 184, 255};
const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kShadow = {152, 152, 152, 255};
const rgb_color kCorner = {190, 190, 190, 255};

// Counts its redraws.
class CountingTabView : public TabView {
public:
	using TabView::TabView;
	void Draw(BRect update) override
	{
		draws++;
		TabView::Draw(update);
	}
	int draws = 0;
};

// A fixed font at 16 points is 10 pixels a character, so these labels are
// 40, 60 and 30 wide.
const char* kLabels[] = {"abcd", "abcdef", "abc"};

BFont
LabelFont()
{
	BFont font(be_fixed_font);
	font.SetSize(16);
	return font;
}

class TabViewTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		fApp = new BTest::HeadlessApp();
		fWindow = new BWindow(BRect(100, 100, 529, 529), "tabs", B_TITLED_WINDOW, 0);
		BFont font = LabelFont();
		fTabs = new CountingTabView(fWindow->Bounds(), NULL, kLabels, 3, B_FOLLOW_ALL_SIDES,
			B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE, &font);
		BRect content = fTabs->GetContentArea();
		const rgb_color colours[] = {{255, 255, 255, 255}, {255, 240, 200, 255},
			{200, 240, 255, 255}};
		for (int i = 0; i < 3; i++) {
			fPages[i] = new BView(content, kLabels[i], B_FOLLOW_ALL_SIDES, 0);
			fPages[i]->SetViewColor(colours[i]);
		}
		fTabs->AddViews(fPages);
		fWindow->AddChild(fTabs);
		fWindow->Show();
		ASSERT_TRUE(BTest::Sync(fWindow));
	}
	void TearDown() override { delete fApp; }

	rgb_color At(float x, float y) { return BTest::PixelAt(fWindow, BPoint(x, y)); }
	bool Hidden(int i)
	{
		bool hidden = false;
		BTest::Locked(fWindow, [&] { hidden = fPages[i]->IsHidden(); });
		return hidden;
	}

	BTest::HeadlessApp* fApp = NULL;
	BWindow* fWindow = NULL;
	CountingTabView* fTabs = NULL;
	BView* fPages[3] = {};
};

} // namespace

TEST_F(TabViewTest, GeometryOfLabelsFortySixtyThirty)
{
	font_height height;
	LabelFont().GetHeight(&height);
	float ascent = ceilf(height.ascent);
	float tabHeight = ascent + ceilf(height.descent) + 10;
	BTest::Locked(fWindow, [&] {
		// Every tab is 60 + 18 + 2 = 80 wide.
		EXPECT_EQ(fTabs->TabFrame(0), BRect(0, 0, 79, tabHeight));
		EXPECT_EQ(fTabs->TabFrame(1), BRect(80, 0, 159, tabHeight));
		EXPECT_EQ(fTabs->TabFrame(2), BRect(160, 0, 239, tabHeight));
		// Labels centred in 78.
		EXPECT_EQ(fTabs->LabelFrame(0), BRect(19, 5, 59, 5 + tabHeight - 10));
		EXPECT_EQ(fTabs->LabelFrame(1).left, 89);
		EXPECT_EQ(fTabs->LabelFrame(2).left, 184);
		EXPECT_EQ(fTabs->LabelPoint(1), BPoint(89, 5 + ascent));
		EXPECT_EQ(fTabs->GetTabsWidth(), 242);
		EXPECT_EQ(fTabs->GetContentArea(), BRect(1, tabHeight + 1, 428, 428));
		EXPECT_EQ(fTabs->Selection(), 0);
		EXPECT_EQ(fTabs->ViewColor(), kSelected);
	});
}

TEST_F(TabViewTest, OnlyTheFirstPageIsVisibleAfterAddViews)
{
	EXPECT_FALSE(Hidden(0));
	EXPECT_TRUE(Hidden(1));
	EXPECT_TRUE(Hidden(2));
	BTest::Locked(fWindow, [&] {
		EXPECT_EQ(fTabs->CountChildren(), 3);
		EXPECT_EQ(fTabs->ChildAt(1), fPages[1]);
	});
	float y = fTabs->GetContentArea().top + 20;
	EXPECT_EQ(At(100, y), make_color(255, 255, 255));
}

TEST_F(TabViewTest, ColoursOfTheSelectedAndOtherTabs)
{
	float h = fTabs->TabFrame(0).bottom;
	// Insides: the view colour for the selected tab, the average for others.
	EXPECT_EQ(At(5, 5), kSelected);
	EXPECT_EQ(At(85, 5), kOther);
	EXPECT_EQ(At(165, 5), kOther);
	// The selected tab runs down into the content; the others stop above H.
	EXPECT_EQ(At(40, h), kSelected);
	EXPECT_EQ(At(120, h), kWhite); // the frame's top line under tab 1
	// Outline: lit left and top, the corner, the shaded right side.
	EXPECT_EQ(At(80, 10), kWhite);
	EXPECT_EQ(At(100, 0), kWhite);
	EXPECT_EQ(At(159 - 3, 0), kCorner);
	EXPECT_EQ(At(159 - 1, h - 1), kShadow);
	// The content frame: white on the left, shaded right and bottom.
	EXPECT_EQ(At(0, 300), kWhite);
	EXPECT_EQ(At(429, 300), kShadow);
	EXPECT_EQ(At(200, 429), kShadow);
	// Some of the label is black.
	int dark = 0;
	for (int x = 19; x <= 59; x++)
		for (int y = 5; y <= h - 5; y++)
			dark += At(x, y).red < 80;
	EXPECT_GT(dark, 20);
	EXPECT_EQ(BTest::WriteWindowPNG(fWindow, BTest::ScreenshotPath("tabview").c_str()), B_OK);
}

TEST_F(TabViewTest, ClickingATabSelectsItAndShowsItsPage)
{
	ASSERT_EQ(BTest::Click(fTabs, BPoint(120, 8)), B_OK);
	BTest::Locked(fWindow, [&] {
		EXPECT_EQ(fTabs->Selection(), 1);
		EXPECT_TRUE(fTabs->IsFocus());
	});
	EXPECT_TRUE(Hidden(0));
	EXPECT_FALSE(Hidden(1));
	EXPECT_EQ(At(85, 5), kSelected);
	EXPECT_EQ(At(5, 5), kOther);
	float y = fTabs->GetContentArea().top + 20;
	EXPECT_EQ(At(100, y), make_color(255, 240, 200));
	EXPECT_EQ(BTest::WriteWindowPNG(fWindow, BTest::ScreenshotPath("tabview_second").c_str()),
		B_OK);

	// The selected tab again, and right of the last tab: nothing changes,
	// nothing is redrawn.
	int draws = 0;
	BTest::Locked(fWindow, [&] { draws = fTabs->draws; });
	ASSERT_EQ(BTest::Click(fTabs, BPoint(100, 8)), B_OK);
	ASSERT_EQ(BTest::Click(fTabs, BPoint(300, 8)), B_OK);
	BTest::Locked(fWindow, [&] {
		EXPECT_EQ(fTabs->Selection(), 1);
		EXPECT_EQ(fTabs->draws, draws);
		// An index without a tab is ignored.
		fTabs->SelectTab(7);
		fTabs->SelectTab(-1);
		EXPECT_EQ(fTabs->Selection(), 1);
	});
}

TEST_F(TabViewTest, ResizingRedrawsTheFrame)
{
	BTest::Locked(fWindow, [&] { fWindow->ResizeBy(-100, -50); });
	ASSERT_TRUE(BTest::Sync(fWindow));
	EXPECT_EQ(At(329, 200), kShadow);
	EXPECT_EQ(At(200, 379), kShadow);
	BTest::Locked(fWindow, [&] { fWindow->ResizeBy(150, 20); });
	ASSERT_TRUE(BTest::Sync(fWindow));
	EXPECT_EQ(At(479, 200), kShadow);
	EXPECT_EQ(At(329, 200), make_color(255, 255, 255));
	EXPECT_EQ(At(400, fTabs->TabFrame(0).bottom), kWhite);
	// Narrower than the row of tabs: the edge crosses the last tab.
	BTest::Locked(fWindow, [&] { fWindow->ResizeTo(199, 300); });
	ASSERT_TRUE(BTest::Sync(fWindow));
	EXPECT_EQ(At(199, 200), kShadow);
	EXPECT_EQ(BTest::WriteWindowPNG(fWindow, BTest::ScreenshotPath("tabview_narrow").c_str()),
		B_OK);
}
