#include <Bitmap.h>
#include <TranslationUtils.h>
#include <TranslatorFormats.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string kData = MURMELO_SOURCE_DIR "/tests/kits/translation/data/";

void
ExpectPixels(BBitmap* bitmap, bool transparentCorner)
{
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 2, 1));
	EXPECT_EQ(bitmap->PixelAt(0, 0), make_color(255, 0, 0));
	EXPECT_EQ(bitmap->PixelAt(1, 0), make_color(0, 255, 0));
	EXPECT_EQ(bitmap->PixelAt(2, 0), make_color(0, 0, 255));
	EXPECT_EQ(bitmap->PixelAt(0, 1).alpha, transparentCorner ? 0 : 255);
	EXPECT_EQ(bitmap->PixelAt(2, 1), make_color(255, 255, 255));
}

std::vector<char>
ReadAll(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(Translation, ReadsPngBmpGifAndJpegFiles)
{
	BBitmap* png = BTranslationUtils::GetBitmap((kData + "pixels.png").c_str());
	ExpectPixels(png, true);
	delete png;
	BBitmap* gif = BTranslationUtils::GetBitmap((kData + "pixels.gif").c_str());
	ExpectPixels(gif, true);
	delete gif;
	BBitmap* bmp = BTranslationUtils::GetBitmap((kData + "pixels.bmp").c_str());
	ExpectPixels(bmp, false);
	delete bmp;

	BBitmap* jpeg = BTranslationUtils::GetBitmap((kData + "pixels.jpg").c_str());
	ASSERT_NE(jpeg, nullptr);
	EXPECT_EQ(jpeg->Bounds(), BRect(0, 0, 15, 7));
	rgb_color c = jpeg->PixelAt(8, 4);
	EXPECT_GT(c.red, 240);
	EXPECT_LT(c.green, 15);
	delete jpeg;
}

TEST(Translation, NamesAreFilesOfTheCurrentDirectory)
{
	char saved[4096];
	ASSERT_NE(getcwd(saved, sizeof(saved)), nullptr);
	ASSERT_EQ(chdir(kData.c_str()), 0);
	BBitmap* bitmap = BTranslationUtils::GetBitmap("pixels.gif");
	EXPECT_EQ(chdir(saved), 0);
	ExpectPixels(bitmap, true);
	delete bitmap;
}

TEST(Translation, FallsBackToThePicturesBuiltIn)
{
	// "embedded_pixels" is built into this test from data/pixels.png.
	BBitmap* bitmap = BTranslationUtils::GetBitmap("embedded_pixels");
	ExpectPixels(bitmap, true);
	delete bitmap;
	bitmap = BTranslationUtils::GetBitmap(B_TRANSLATOR_BITMAP, "embedded_pixels");
	ExpectPixels(bitmap, true);
	delete bitmap;
	EXPECT_EQ(BTranslationUtils::GetBitmap("no such picture"), nullptr);
	EXPECT_EQ(BTranslationUtils::GetBitmap((const char*)NULL), nullptr);
}

TEST(Translation, DamagedDataIsRefused)
{
	for (const char* name : {"pixels.png", "pixels.gif", "pixels.bmp", "pixels.jpg"}) {
		std::vector<char> data = ReadAll(kData + name);
		ASSERT_GT(data.size(), 20u) << name;
		// Cut short: a clear failure or a picture, never a crash.
		for (size_t cut : {data.size() / 2, (size_t)12, (size_t)30}) {
			BBitmap* bitmap = BTranslationUtils::GetBitmap(data.data(), cut);
			delete bitmap;
		}
		// A BMP that claims a huge size is refused before anything is allocated.
		if (std::string(name) == "pixels.bmp") {
			std::vector<char> huge = data;
			huge[18] = huge[19] = huge[20] = 0x7f;
			EXPECT_EQ(BTranslationUtils::GetBitmap(huge.data(), huge.size()), nullptr);
		}
	}
	const char text[] = "this is no picture at all";
	EXPECT_EQ(BTranslationUtils::GetBitmap(text, sizeof(text)), nullptr);
	// A directory is no file.
	EXPECT_EQ(BTranslationUtils::GetBitmapFile(kData.c_str()), nullptr);
}
