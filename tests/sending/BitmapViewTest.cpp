#include <Bitmap.h>
#include <BitmapView.h>
#include <Harness.h>
#include <TranslationUtils.h>
#include <Window.h>

#include <gtest/gtest.h>

namespace {

int sBitmapsDeleted = 0;

class CountedBitmap : public BBitmap {
public:
	CountedBitmap(BRect bounds) : BBitmap(bounds, B_RGBA32) {}
	~CountedBitmap() override { sBitmapsDeleted++; }
};

const rgb_color kBlue = {0, 0, 255, 255};
const rgb_color kRed = {255, 0, 0, 255};

} // namespace

TEST(BitmapView, PreferredSizeFollowsTheBitmap)
{
	BitmapView empty(NULL, BRect(0, 0, 9, 9), "BitmapView", B_FOLLOW_LEFT_TOP, B_WILL_DRAW);
	float width = -1, height = -1;
	empty.GetPreferredSize(&width, &height);
	EXPECT_EQ(width, 0);
	EXPECT_EQ(height, 0);

	BitmapView view(new BBitmap(BRect(0, 0, 99, 49), B_RGB32), BRect(0, 0, 9, 9), "BitmapView",
		B_FOLLOW_LEFT_TOP, B_WILL_DRAW);
	view.GetPreferredSize(&width, &height);
	EXPECT_EQ(width, 99);
	EXPECT_EQ(height, 49);
	view.ResizeToPreferred();
	EXPECT_EQ(view.Frame(), BRect(0, 0, 99, 49));
}

TEST(BitmapView, OwnsItsBitmap)
{
	sBitmapsDeleted = 0;
	CountedBitmap* first = new CountedBitmap(BRect(0, 0, 1, 1));
	{
		BitmapView view(first, BRect(0, 0, 1, 1), "BitmapView", B_FOLLOW_LEFT_TOP, B_WILL_DRAW);
		EXPECT_EQ(view.Bitmap(), first);
		view.SetBitmap(new CountedBitmap(BRect(0, 0, 2, 2)));
		EXPECT_EQ(sBitmapsDeleted, 1);
		CountedBitmap* last = new CountedBitmap(BRect(0, 0, 3, 3));
		view.SetBitmap(last);
		EXPECT_EQ(sBitmapsDeleted, 2);
		EXPECT_EQ(view.Bitmap(), last);
	}
	EXPECT_EQ(sBitmapsDeleted, 3);
}

TEST(BitmapView, TransparentPixelsShowTheParentsColour)
{
	BTest::HeadlessApp app;
	BWindow* window = new BWindow(BRect(40, 40, 139, 89), "bitmap view", B_TITLED_WINDOW, 0);
	BView* parent = new BView(window->Bounds(), "parent", B_FOLLOW_ALL_SIDES, 0);
	parent->SetViewColor(kBlue);
	// Left half red, right half transparent.
	BBitmap* bitmap = new BBitmap(BRect(0, 0, 19, 9), B_RGBA32);
	uint32* bits = (uint32*)bitmap->Bits();
	for (int y = 0; y < 10; y++)
		for (int x = 0; x < 20; x++)
			bits[y * 20 + x] = x < 10 ? 0xffff0000 : 0x00ffffff;
	BitmapView* view = new BitmapView(bitmap, bitmap->Bounds(), "BitmapView",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	view->MoveTo(30, 20);
	parent->AddChild(view);
	window->AddChild(parent);
	BitmapView* empty = new BitmapView(NULL, BRect(60, 5, 69, 14), "empty", B_FOLLOW_LEFT_TOP,
		B_WILL_DRAW);
	parent->AddChild(empty);
	window->Show();
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] { EXPECT_EQ(view->ViewColor(), kBlue); });
	EXPECT_EQ(BTest::PixelAt(window, BPoint(30, 20)), kRed);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(39, 29)), kRed);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(40, 20)), kBlue);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(49, 29)), kBlue);
	// Without a bitmap only the view colour.
	EXPECT_EQ(BTest::PixelAt(window, BPoint(65, 10)), kBlue);
	EXPECT_EQ(BTest::WriteWindowPNG(window, BTest::ScreenshotPath("bitmap_view").c_str()), B_OK);
}

TEST(BitmapView, ShowsTheBuiltInPictures)
{
	BTest::HeadlessApp app;
	BBitmap* skin = BTranslationUtils::GetBitmap("skin");
	ASSERT_NE(skin, nullptr);
	// The skin is the control strip's size: 0, 0, 430, 100.
	EXPECT_EQ(skin->Bounds(), BRect(0, 0, 430, 100));
	BBitmap* joli = BTranslationUtils::GetBitmap("mainjoli");
	ASSERT_NE(joli, nullptr);
	// It fits the skin where the strip puts it, at (360, 37).
	EXPECT_LE(360 + joli->Bounds().right, 430);
	EXPECT_LE(37 + joli->Bounds().bottom, 100);
	BBitmap* start = BTranslationUtils::GetBitmap("start");
	ASSERT_NE(start, nullptr);
	BBitmap* trovel = BTranslationUtils::GetBitmap("trovel");
	ASSERT_NE(trovel, nullptr);
	delete trovel;

	BWindow* window = new BWindow(BRect(0, 0, 430, 100), "strip", B_TITLED_WINDOW, 0);
	BitmapView* skinView = new BitmapView(skin, skin->Bounds(), "BitmapView",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	BitmapView* joliView = new BitmapView(joli, joli->Bounds(), "BitmapView",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	joliView->MoveTo(360, 37);
	skinView->AddChild(joliView);
	window->AddChild(skinView);
	window->Show();
	ASSERT_TRUE(BTest::Sync(window));
	// The skin's SEND button face, between its bevels.
	EXPECT_EQ(BTest::PixelAt(window, BPoint(240, 50)), make_color(0xe8, 0xe8, 0xe8));
	EXPECT_EQ(BTest::WriteWindowPNG(window, BTest::ScreenshotPath("skin").c_str()), B_OK);

	BWindow* splash = new BWindow(start->Bounds(), "starting Murmelo", B_NO_BORDER_WINDOW_LOOK,
		B_NORMAL_WINDOW_FEEL, 0);
	splash->AddChild(new BitmapView(start, start->Bounds(), "BitmapView",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW));
	splash->MoveTo(300, 200);
	splash->Show();
	ASSERT_TRUE(BTest::Sync(splash));
	EXPECT_EQ(BTest::WriteWindowPNG(splash, BTest::ScreenshotPath("start").c_str()), B_OK);
}
