// Pixel coverage and drawing modes, on tiny bitmaps.
#include <Bitmap.h>
#include <Font.h>
#include <Painter.h>

#include <gtest/gtest.h>

namespace {

class PainterTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		fBitmap = new BBitmap(BRect(0, 0, 15, 15), B_RGB32);
		ASSERT_EQ(fPainter.Attach(fBitmap), B_OK);
		Clear(make_color(255, 255, 255));
	}
	void TearDown() override { delete fBitmap; }

	void Clear(rgb_color c)
	{
		fPainter.PushState();
		fPainter.State().high = c;
		fPainter.FillRect(BRect(0, 0, 15, 15));
		fPainter.PopState();
	}
	rgb_color At(int x, int y) { return fBitmap->PixelAt(x, y); }
	int Count(rgb_color c)
	{
		int n = 0;
		for (int y = 0; y < 16; y++)
			for (int x = 0; x < 16; x++)
				n += At(x, y) == c;
		return n;
	}

	BBitmap* fBitmap = NULL;
	Painter fPainter;
};

const rgb_color kBlack = {0, 0, 0, 255};
const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kRed = {255, 0, 0, 255};

} // namespace

TEST_F(PainterTest, FillAndStrokeCoverInclusiveRects)
{
	fPainter.State().high = kBlack;
	fPainter.FillRect(BRect(2, 3, 4, 5));
	EXPECT_EQ(Count(kBlack), 9);
	EXPECT_EQ(At(2, 3), kBlack);
	EXPECT_EQ(At(4, 5), kBlack);
	EXPECT_EQ(At(5, 5), kWhite);

	Clear(kWhite);
	fPainter.StrokeRect(BRect(0, 0, 9, 9));
	EXPECT_EQ(Count(kBlack), 36);
	EXPECT_EQ(At(9, 9), kBlack);
	EXPECT_EQ(At(1, 1), kWhite);

	// Fractions fall to the pixel they start in.
	Clear(kWhite);
	fPainter.FillRect(BRect(0.6f, 0.6f, 1.4f, 1.4f));
	EXPECT_EQ(Count(kBlack), 4);
}

TEST_F(PainterTest, LinesLightBothEndsAndFollowTheOrigin)
{
	fPainter.State().high = kBlack;
	fPainter.StrokeLine(BPoint(1, 1), BPoint(5, 1));
	EXPECT_EQ(Count(kBlack), 5);
	Clear(kWhite);
	fPainter.StrokeLine(BPoint(0, 0), BPoint(3, 3));
	EXPECT_EQ(Count(kBlack), 4);
	EXPECT_EQ(At(3, 3), kBlack);
	Clear(kWhite);
	fPainter.State().origin = BPoint(10, 10);
	fPainter.StrokeLine(BPoint(0, 0), BPoint(0, 2));
	EXPECT_EQ(Count(kBlack), 3);
	EXPECT_EQ(At(10, 12), kBlack);
}

TEST_F(PainterTest, ClippingLimitsEveryPrimitive)
{
	BRegion clip(BRect(0, 0, 7, 15));
	clip.Exclude(BRect(0, 0, 3, 3));
	fPainter.SetClip(&clip);
	fPainter.State().high = kBlack;
	fPainter.FillRect(BRect(0, 0, 15, 15));
	EXPECT_EQ(Count(kBlack), 8 * 16 - 16);
	EXPECT_EQ(At(2, 2), kWhite);
	EXPECT_EQ(At(8, 8), kWhite);
	fPainter.SetClip(NULL);
	Clear(kWhite);
	fPainter.FillRect(BRect(-5, -5, 30, 30));
	EXPECT_EQ(Count(kBlack), 256);
}

TEST_F(PainterTest, PatternsUseHighAndLow)
{
	fPainter.State().high = kBlack;
	fPainter.State().low = kRed;
	fPainter.FillRect(BRect(0, 0, 1, 1), B_MIXED_COLORS);
	EXPECT_EQ(At(0, 0), kBlack);
	EXPECT_EQ(At(1, 0), kRed);
	EXPECT_EQ(At(0, 1), kRed);
	fPainter.State().mode = B_OP_OVER;
	fPainter.FillRect(BRect(4, 0, 5, 1), B_MIXED_COLORS);
	EXPECT_EQ(At(4, 0), kBlack);
	EXPECT_EQ(At(5, 0), kWhite);
}

TEST_F(PainterTest, OverLeavesTransparentBitmapPixelsAlone)
{
	BBitmap picture(BRect(0, 0, 1, 0), B_RGBA32);
	uint32* bits = (uint32*)picture.Bits();
	bits[0] = 0xff0000ff; // opaque blue
	bits[1] = 0x00ff0000; // transparent red
	fPainter.State().mode = B_OP_OVER;
	fPainter.DrawBitmap(&picture, picture.Bounds(), BRect(3, 3, 4, 3));
	EXPECT_EQ(At(3, 3), make_color(0, 0, 255));
	EXPECT_EQ(At(4, 3), kWhite);
	// Copy writes every pixel as it is.
	fPainter.State().mode = B_OP_COPY;
	fPainter.DrawBitmap(&picture, picture.Bounds(), BRect(3, 5, 4, 5));
	EXPECT_EQ(At(4, 5), kRed);

	// The magic colour of B_RGB32 and index 255 of B_CMAP8 are transparent too.
	BBitmap rgb(BRect(0, 0, 0, 0), B_RGB32);
	*(uint32*)rgb.Bits() = B_TRANSPARENT_MAGIC_RGBA32;
	BBitmap cmap(BRect(0, 0, 1, 0), B_CMAP8);
	((uint8*)cmap.Bits())[0] = B_TRANSPARENT_MAGIC_CMAP8;
	((uint8*)cmap.Bits())[1] = 42; // red ramp
	fPainter.State().mode = B_OP_OVER;
	fPainter.DrawBitmap(&rgb, rgb.Bounds(), BRect(8, 8, 8, 8));
	fPainter.DrawBitmap(&cmap, cmap.Bounds(), BRect(9, 8, 10, 8));
	EXPECT_EQ(At(8, 8), kWhite);
	EXPECT_EQ(At(9, 8), kWhite);
	EXPECT_EQ(At(10, 8), kRed);
}

TEST_F(PainterTest, InvertTwiceRestores)
{
	fPainter.State().high = make_color(10, 20, 30);
	fPainter.FillRect(BRect(0, 0, 3, 3));
	fPainter.InvertRect(BRect(0, 0, 1, 1));
	EXPECT_EQ(At(0, 0), make_color(245, 235, 225));
	EXPECT_EQ(At(2, 2), make_color(10, 20, 30));
	fPainter.State().mode = B_OP_INVERT;
	fPainter.StrokeRect(BRect(0, 0, 3, 3));
	fPainter.StrokeRect(BRect(0, 0, 3, 3));
	EXPECT_EQ(At(3, 3), make_color(10, 20, 30));
	EXPECT_EQ(At(0, 0), make_color(245, 235, 225));
}

TEST_F(PainterTest, ConstantAlphaDarkens)
{
	fPainter.State().mode = B_OP_ALPHA;
	fPainter.State().sourceAlpha = B_CONSTANT_ALPHA;
	fPainter.State().high = make_color(0, 0, 0, 128);
	fPainter.FillRect(BRect(0, 0, 0, 0));
	rgb_color half = At(0, 0);
	EXPECT_GE(half.red, 126);
	EXPECT_LE(half.red, 128);
	// Pixel alpha of a bitmap, and constant alpha on top of it.
	BBitmap picture(BRect(0, 0, 0, 0), B_RGBA32);
	*(uint32*)picture.Bits() = 0x80000000; // black, alpha 128
	fPainter.State().sourceAlpha = B_PIXEL_ALPHA;
	fPainter.DrawBitmap(&picture, picture.Bounds(), BRect(1, 0, 1, 0));
	EXPECT_NEAR(At(1, 0).red, 127, 1);
	fPainter.State().sourceAlpha = B_CONSTANT_ALPHA;
	fPainter.State().high.alpha = 255;
	fPainter.DrawBitmap(&picture, picture.Bounds(), BRect(2, 0, 2, 0));
	EXPECT_NEAR(At(2, 0).red, 127, 1);
}

TEST_F(PainterTest, TextIsAntialiasedAndAdvancesByItsWidth)
{
	BFont font(be_plain_font);
	font.SetSize(12);
	fPainter.State().font = font;
	float advanced = fPainter.DrawString("Hi", 2, BPoint(1, 12));
	EXPECT_EQ(advanced, font.StringWidth("Hi"));
	int dark = 0, grey = 0;
	for (int y = 0; y < 16; y++) {
		for (int x = 0; x < 16; x++) {
			rgb_color c = At(x, y);
			dark += c.red < 60;
			grey += c.red >= 60 && c.red < 230;
			// Nothing below the baseline: neither H nor i descends.
			if (y > 12) {
				EXPECT_EQ(c, kWhite);
			}
		}
	}
	EXPECT_GT(dark, 10);
	EXPECT_GT(grey, 0);
}
