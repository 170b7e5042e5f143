// BMimeType: type names, and the mini icons of the kit's icon store.
#include <Bitmap.h>
#include <MimeType.h>

#include <gtest/gtest.h>

#include <set>

TEST(MimeTypeTest, TypeNamesAreCheckedAndComparedWithoutCase)
{
	BMimeType type("application/x-vnd.Be-MAIL");
	EXPECT_EQ(type.InitCheck(), B_OK);
	EXPECT_STREQ(type.Type(), "application/x-vnd.Be-MAIL");
	EXPECT_TRUE(type == "application/x-vnd.be-mail");
	EXPECT_FALSE(type == "application/x-vnd.be-fileserver");
	BMimeType super;
	EXPECT_EQ(type.GetSupertype(&super), B_OK);
	EXPECT_STREQ(super.Type(), "application");
	EXPECT_TRUE(super.IsSupertypeOnly());

	for (const char* bad : {"", "/", "text/", "/plain", "a/b/c", "text/pl ain", "text/a;b"})
		EXPECT_FALSE(BMimeType::IsValid(bad)) << bad;
	EXPECT_EQ(BMimeType("text plain").InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BMimeType().InitCheck(), B_NO_INIT);
	EXPECT_EQ(BMimeType(std::string(240, 'a').c_str()).InitCheck(), B_BAD_VALUE);
}

TEST(MimeTypeTest, MiniIconsOfTheStoreAreSixteenSquareInThePalette)
{
	const color_map* palette = system_colors();
	for (const char* name : {"application/x-vnd.be-fileserver", "application/x-vnd.Be-MAIL"}) {
		BBitmap icon(BRect(0, 0, 15, 15), B_CMAP8);
		memset(icon.Bits(), 0, icon.BitsLength());
		ASSERT_EQ(BMimeType(name).GetIcon(&icon, B_MINI_ICON), B_OK) << name;
		// Some of it is transparent, the outline is black, and there is more
		// than one colour.
		const uint8* bits = (const uint8*)icon.Bits();
		std::set<uint8> indices(bits, bits + 256);
		EXPECT_TRUE(indices.count(B_TRANSPARENT_MAGIC_CMAP8)) << name;
		EXPECT_GE(indices.size(), 3u) << name;
		bool black = false;
		for (uint8 index : indices)
			black |= palette->color_list[index] == make_color(0, 0, 0);
		EXPECT_TRUE(black) << name;

		// The same icon in a 32-bit bitmap.
		BBitmap rgba(BRect(0, 0, 15, 15), B_RGBA32);
		ASSERT_EQ(BMimeType(name).GetIcon(&rgba, B_MINI_ICON), B_OK);
		for (int y = 0; y < 16; y++) {
			for (int x = 0; x < 16; x++) {
				rgb_color expected = icon.PixelAt(x, y);
				rgb_color got = rgba.PixelAt(x, y);
				EXPECT_EQ(got.alpha, expected.alpha);
				if (expected.alpha != 0) {
					EXPECT_EQ(got, expected) << name << " " << x << "," << y;
				}
			}
		}
	}
	// The two icons differ.
	BBitmap a(BRect(0, 0, 15, 15), B_CMAP8), b(BRect(0, 0, 15, 15), B_CMAP8);
	BMimeType("application/x-vnd.be-fileserver").GetIcon(&a, B_MINI_ICON);
	BMimeType("application/x-vnd.be-mail").GetIcon(&b, B_MINI_ICON);
	EXPECT_NE(memcmp(a.Bits(), b.Bits(), 256), 0);
}

TEST(MimeTypeTest, WhatHasNoIconOrDoesNotFitAnswersAnError)
{
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	memset(mini.Bits(), 7, mini.BitsLength());
	EXPECT_EQ(BMimeType("text/plain").GetIcon(&mini, B_MINI_ICON), B_ENTRY_NOT_FOUND);
	// Nothing is written on failure.
	EXPECT_EQ(((uint8*)mini.Bits())[0], 7);
	BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
	EXPECT_EQ(BMimeType("application/x-vnd.be-fileserver").GetIcon(&large, B_LARGE_ICON),
		B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BMimeType("application/x-vnd.be-fileserver").GetIcon(&large, B_MINI_ICON),
		B_BAD_VALUE);
	BBitmap gray(BRect(0, 0, 15, 15), B_GRAY8);
	EXPECT_EQ(BMimeType("application/x-vnd.be-fileserver").GetIcon(&gray, B_MINI_ICON),
		B_BAD_VALUE);
	EXPECT_EQ(BMimeType("application/x-vnd.be-fileserver").GetIcon(NULL, B_MINI_ICON),
		B_BAD_VALUE);
	EXPECT_EQ(BMimeType().GetIcon(&mini, B_MINI_ICON), B_NO_INIT);
}
