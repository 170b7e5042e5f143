// The character set conversions: BeOS's convert_to_utf8 / convert_from_utf8
// over iconv, and the transliteration our WinPopup sends rely on.

#include <UTF8.h>

#include <Errors.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string
from_utf8(uint32 encoding, const std::string& text, int32* read = NULL, char substitute = 0x1a)
{
	char out[256];
	int32 srcLength = (int32)text.size();
	int32 dstLength = sizeof(out);
	int32 state = 7;
	EXPECT_EQ(convert_from_utf8(encoding, text.data(), &srcLength, out, &dstLength, &state,
		substitute), B_OK);
	EXPECT_EQ(state, 0);
	if (read != NULL)
		*read = srcLength;
	return std::string(out, dstLength);
}

std::string
to_utf8(uint32 encoding, const std::string& bytes)
{
	char out[256];
	int32 srcLength = (int32)bytes.size();
	int32 dstLength = sizeof(out);
	int32 state = 0;
	EXPECT_EQ(convert_to_utf8(encoding, bytes.data(), &srcLength, out, &dstLength, &state),
		B_OK);
	EXPECT_EQ(srcLength, (int32)bytes.size());
	return std::string(out, dstLength);
}

std::string
fitted(uint32 encoding, const std::string& text, int32* replaced = NULL)
{
	BString result;
	EXPECT_EQ(fit_utf8_to_encoding(encoding, text.data(), (int32)text.size(), &result, replaced),
		B_OK);
	return result.String();
}

} // namespace

TEST(UTF8, CodePagesConvertBothWays)
{
	const std::string text = "\xc3\x87" "a co\xc3\xbbte";  // Ça coûte
	EXPECT_EQ(from_utf8(B_MS_DOS_850_CONVERSION, text), "\x80" "a co\x96te");
	EXPECT_EQ(to_utf8(B_MS_DOS_850_CONVERSION, "\x80" "a co\x96te"), text);
	EXPECT_EQ(from_utf8(B_ISO1_CONVERSION, text), "\xc7" "a co\xfbte");
	// 858 is 850 with the euro sign where 850 has the dotless i.
	EXPECT_EQ(to_utf8(B_MS_DOS_858_CONVERSION, "\xd5"), "\xe2\x82\xac");
	EXPECT_EQ(to_utf8(B_MS_DOS_850_CONVERSION, "\xd5"), "\xc4\xb1");
	EXPECT_EQ(to_utf8(B_MS_DOS_866_CONVERSION, "\x8f"), "\xd0\x9f");
}

TEST(UTF8, WhatCannotBeConvertedBecomesTheSubstituteAndCutCharactersWait)
{
	// The euro sign is one character: one substitute, whatever its bytes.
	EXPECT_EQ(from_utf8(B_MS_DOS_850_CONVERSION, "5 \xe2\x82\xac!"), "5 \x1a!");
	EXPECT_EQ(from_utf8(B_MS_DOS_850_CONVERSION, "5 \xe2\x82\xac!", NULL, '?'), "5 ?!");
	EXPECT_EQ(from_utf8(B_MS_DOS_850_CONVERSION, "a\xff" "b"), "a\x1a" "b");
	// A character cut off at the end is left for the next call.
	int32 read = 0;
	EXPECT_EQ(from_utf8(B_MS_DOS_850_CONVERSION, "ab\xc3", &read), "ab");
	EXPECT_EQ(read, 2);
	// What does not fit stays unread, and the counts say so.
	char out[2];
	int32 srcLength = 4;
	int32 dstLength = 2;
	int32 state = 0;
	ASSERT_EQ(convert_from_utf8(B_ISO1_CONVERSION, "abcd", &srcLength, out, &dstLength, &state),
		B_OK);
	EXPECT_EQ(srcLength, 2);
	EXPECT_EQ(dstLength, 2);
	EXPECT_EQ(convert_from_utf8(999, "abcd", &srcLength, out, &dstLength, &state), B_ERROR);
}

TEST(UTF8, FittingTransliteratesWhatTheCodePageLacks)
{
	int32 replaced = -1;
	// "prix 5 € — ok"
	const std::string prix = "prix 5 \xe2\x82\xac \xe2\x80\x94 ok";
	EXPECT_EQ(fitted(B_MS_DOS_850_CONVERSION, prix, &replaced), "prix 5 EUR - ok");
	EXPECT_EQ(replaced, 2);
	EXPECT_EQ(fitted(B_MS_DOS_858_CONVERSION, prix, &replaced), "prix 5 \xe2\x82\xac - ok");
	EXPECT_EQ(replaced, 1);
	// Curly quotes, an ellipsis, and what has no spelling at all.
	EXPECT_EQ(fitted(B_MS_DOS_850_CONVERSION,
		"\xe2\x80\x9cyes\xe2\x80\x9d \xe2\x80\x99 \xe2\x80\xa6 \xe2\x84\xb5", &replaced),
		"\"yes\" ' ... ?");
	EXPECT_EQ(replaced, 5);
	// What the code page has stays as it is; bytes that are not UTF-8 are
	// replaced too, never passed on.
	EXPECT_EQ(fitted(B_MS_DOS_850_CONVERSION, "\xc3\x87" "a co\xc3\xbbte", &replaced),
		"\xc3\x87" "a co\xc3\xbbte");
	EXPECT_EQ(replaced, 0);
	EXPECT_EQ(fitted(B_MS_DOS_850_CONVERSION, "a\xc3(b\xed\xa0\x80", &replaced), "a?(b???");
	EXPECT_EQ(replaced, 4);

	BString out;
	EXPECT_EQ(fit_utf8_to_encoding(999, "x", 1, &out), B_ERROR);
	EXPECT_EQ(fit_utf8_to_encoding(B_ISO1_CONVERSION, NULL, 1, &out), B_BAD_VALUE);
}
