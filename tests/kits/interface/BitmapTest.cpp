#include <Bitmap.h>

#include <gtest/gtest.h>

TEST(Bitmap, SizesAndRows)
{
	BBitmap rgb(BRect(0, 0, 99, 49), B_RGB32);
	ASSERT_EQ(rgb.InitCheck(), B_OK);
	EXPECT_EQ(rgb.Bounds(), BRect(0, 0, 99, 49));
	EXPECT_EQ(rgb.BytesPerRow(), 400);
	EXPECT_EQ(rgb.BitsLength(), 400 * 50);

	BBitmap icon(BRect(0, 0, 14, 14), B_CMAP8);
	EXPECT_EQ(icon.BytesPerRow(), 16);
	BBitmap icon16(BRect(0, 0, 15, 15), B_CMAP8);
	EXPECT_EQ(icon16.BytesPerRow(), 16);
	EXPECT_EQ(icon16.BitsLength(), 256);

	// A rectangle away from the origin keeps its size, not its place.
	BBitmap moved(BRect(10, 10, 19, 14), B_RGBA32);
	EXPECT_EQ(moved.Bounds(), BRect(0, 0, 9, 4));

	BBitmap bad(BRect(0, 0, -1, -1), B_RGB32);
	EXPECT_NE(bad.InitCheck(), B_OK);
	EXPECT_EQ(bad.Bits(), nullptr);
}

TEST(Bitmap, SixteenBySixteenIconsUseTheSystemPalette)
{
	BBitmap icon(BRect(0, 0, 15, 15), B_CMAP8);
	uint8 data[256];
	for (int i = 0; i < 256; i++)
		data[i] = (uint8)i;
	icon.SetBits(data, 256, 0, B_CMAP8);
	EXPECT_EQ(icon.PixelAt(0, 0), make_color(0, 0, 0));
	EXPECT_EQ(icon.PixelAt(15, 3), make_color(255, 255, 255)); // index 63
	EXPECT_EQ(icon.PixelAt(15, 15).alpha, 0);                  // index 255

	// 24-bit data converts into the palette and into 32 bits.
	uint8 rgb[3 * 16];
	for (int i = 0; i < 16; i++) {
		rgb[i * 3] = 255;
		rgb[i * 3 + 1] = 0;
		rgb[i * 3 + 2] = 0;
	}
	icon.SetBits(rgb, sizeof(rgb), 0, B_RGB24_BIG);
	EXPECT_EQ(icon.PixelAt(5, 0), make_color(255, 0, 0));
	BBitmap wide(BRect(0, 0, 15, 0), B_RGB32);
	wide.SetBits(rgb, sizeof(rgb), 0, B_RGB24_BIG);
	EXPECT_EQ(wide.PixelAt(15, 0), make_color(255, 0, 0));

	BBitmap copy(&icon);
	EXPECT_EQ(copy.PixelAt(5, 0), make_color(255, 0, 0));
}
