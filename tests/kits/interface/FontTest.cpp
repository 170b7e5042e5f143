#include <Font.h>

#include <gtest/gtest.h>

#include <math.h>
#include <string.h>
#include <thread>

TEST(Font, SystemFontsAreDejaVu)
{
	font_family family;
	font_style style;
	be_plain_font->GetFamilyAndStyle(&family, &style);
	EXPECT_STREQ(family, "DejaVu Sans");
	EXPECT_EQ(be_plain_font->Size(), 10.0f);
	EXPECT_EQ(be_bold_font->Face() & B_BOLD_FACE, B_BOLD_FACE);
	EXPECT_TRUE(be_fixed_font->IsFixed());
	EXPECT_FALSE(be_plain_font->IsFixed());
	BFont copy;
	EXPECT_TRUE(copy == *be_plain_font);
}

TEST(Font, WidthsAndHeights)
{
	BFont font(be_plain_font);
	font.SetSize(20);
	EXPECT_EQ(font.StringWidth(""), 0);
	float w = font.StringWidth("Hello");
	EXPECT_GT(w, 40);
	EXPECT_LT(w, 70);
	EXPECT_EQ(font.StringWidth("Hello", 2), font.StringWidth("He"));
	EXPECT_GT(font.StringWidth("WWW"), font.StringWidth("iii"));
	font.SetSize(40);
	EXPECT_NEAR(font.StringWidth("Hello"), 2 * w, 3);

	font_height height;
	font.GetHeight(&height);
	EXPECT_GT(height.ascent, 25);
	EXPECT_LT(height.ascent, 40);
	EXPECT_GT(height.descent, 5);
	EXPECT_GE(height.leading, 0);

	// Bitmap spacing: whole pixels, so that what is measured is what is drawn.
	EXPECT_EQ(w, floorf(w));
}

TEST(Font, FixedFontAtSixteenPointsIsTenPixelsAChar)
{
	BFont font(be_fixed_font);
	font.SetSize(16);
	const char* labels[] = {"abcd", "abcdef", "abc"};
	int32 lengths[] = {4, 6, 3};
	float widths[3];
	font.GetStringWidths(labels, lengths, 3, widths);
	EXPECT_EQ(widths[0], 40);
	EXPECT_EQ(widths[1], 60);
	EXPECT_EQ(widths[2], 30);
}

TEST(Font, FamiliesAndFaces)
{
	BFont font;
	EXPECT_EQ(font.SetFamilyAndStyle("No Such Family Here", "Book"), B_NAME_NOT_FOUND);
	font_family family;
	font.GetFamilyAndStyle(&family, NULL);
	EXPECT_STREQ(family, "DejaVu Sans");
	float plain = font.StringWidth("Murmelo");
	font.SetFace(B_BOLD_FACE);
	EXPECT_GT(font.StringWidth("Murmelo"), plain);
	// Broken UTF-8 is measured, not trusted.
	EXPECT_GT(font.StringWidth("a\xc3"), 0);
}

TEST(Font, MeasuringFromManyThreads)
{
	std::vector<std::thread> threads;
	std::vector<float> widths(4);
	for (int i = 0; i < 4; i++) {
		threads.emplace_back([i, &widths] {
			BFont font(be_plain_font);
			font.SetSize(9 + i);
			float w = 0;
			for (int n = 0; n < 200; n++)
				w = font.StringWidth("Pop-Perso WorkGroup All-Pop");
			widths[i] = w;
		});
	}
	for (auto& t : threads)
		t.join();
	for (int i = 1; i < 4; i++)
		EXPECT_GT(widths[i], widths[i - 1]);
}
