#ifndef _FONT_H
#define _FONT_H

#include <InterfaceDefs.h>
#include <SupportDefs.h>

#define B_FONT_FAMILY_LENGTH 63
#define B_FONT_STYLE_LENGTH 63
typedef char font_family[B_FONT_FAMILY_LENGTH + 1];
typedef char font_style[B_FONT_STYLE_LENGTH + 1];

enum {
	B_CHAR_SPACING = 0,
	B_STRING_SPACING = 1,
	B_BITMAP_SPACING = 2,
	B_FIXED_SPACING = 3,
};

enum font_direction {
	B_FONT_LEFT_TO_RIGHT = 0,
	B_FONT_RIGHT_TO_LEFT = 1,
};

enum {
	B_DISABLE_ANTIALIASING = 0x00000001,
	B_FORCE_ANTIALIASING = 0x00000002,
};

// Which properties BView::SetFont() copies.
enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_SHEAR = 0x00000004,
	B_FONT_ROTATION = 0x00000008,
	B_FONT_SPACING = 0x00000010,
	B_FONT_ENCODING = 0x00000020,
	B_FONT_FACE = 0x00000040,
	B_FONT_FLAGS = 0x00000080,
	B_FONT_ALL = 0x000000ff,
};

enum {
	B_ITALIC_FACE = 0x0001,
	B_UNDERSCORE_FACE = 0x0002,
	B_NEGATIVE_FACE = 0x0004,
	B_OUTLINED_FACE = 0x0008,
	B_STRIKEOUT_FACE = 0x0010,
	B_BOLD_FACE = 0x0020,
	B_REGULAR_FACE = 0x0040,
};

enum {
	B_UNICODE_UTF8 = 0,
};

struct escapement_delta {
	float nonspace;
	float space;
};

struct font_height {
	float ascent;
	float descent;
	float leading;
};

// A font description: family, style, size and the rest. Glyphs come from
// FreeType, the font file from fontconfig; 1 point is 1 pixel. With the
// default B_BITMAP_SPACING every character advances by whole pixels, so that
// widths measured are the widths drawn.
class BFont {
public:
	BFont();
	BFont(const BFont& font) = default;
	BFont(const BFont* font);
	BFont& operator=(const BFont& font) = default;

	status_t SetFamilyAndStyle(const font_family family, const font_style style);
	status_t SetFamilyAndFace(const font_family family, uint16 face);
	void SetSize(float size) { fSize = size > 0 ? size : fSize; }
	void SetShear(float shear) { fShear = shear; }
	void SetRotation(float rotation) { fRotation = rotation; }
	void SetSpacing(uint8 spacing) { fSpacing = spacing; }
	void SetEncoding(uint8 encoding) { fEncoding = encoding; }
	void SetFace(uint16 face);
	void SetFlags(uint32 flags) { fFlags = flags; }

	void GetFamilyAndStyle(font_family* family, font_style* style) const;
	float Size() const { return fSize; }
	float Shear() const { return fShear; }
	float Rotation() const { return fRotation; }
	uint8 Spacing() const { return fSpacing; }
	uint8 Encoding() const { return fEncoding; }
	uint16 Face() const { return fFace; }
	uint32 Flags() const { return fFlags; }
	font_direction Direction() const { return B_FONT_LEFT_TO_RIGHT; }
	bool IsFixed() const;

	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;
	void GetStringWidths(const char* stringArray[], const int32 lengthArray[],
		int32 numStrings, float widthArray[]) const;
	void GetHeight(font_height* height) const;

	bool operator==(const BFont& font) const;
	bool operator!=(const BFont& font) const { return !(*this == font); }
	void PrintToStream() const;

	// The kit's own: copies the properties named in mask from font.
	void _CopyFrom(const BFont& font, uint32 mask);

	constexpr BFont(const char* family, const char* style, float size, uint16 face)
		: fSize(size), fFace(face)
	{
		_Copy(fFamily, family);
		_Copy(fStyle, style);
	}

private:
	static constexpr void _Copy(char* to, const char* from)
	{
		int i = 0;
		for (; from[i] != '\0' && i < B_FONT_FAMILY_LENGTH; i++)
			to[i] = from[i];
		for (; i <= B_FONT_FAMILY_LENGTH; i++)
			to[i] = '\0';
	}

	font_family fFamily = {};
	font_style fStyle = {};
	float fSize = 10.0f;
	float fShear = 90.0f;
	float fRotation = 0.0f;
	uint32 fFlags = 0;
	uint16 fFace = B_REGULAR_FACE;
	uint8 fSpacing = B_BITMAP_SPACING;
	uint8 fEncoding = B_UNICODE_UTF8;
};

extern const BFont* be_plain_font;
extern const BFont* be_bold_font;
extern const BFont* be_fixed_font;

#endif
