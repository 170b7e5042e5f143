#include <Font.h>

#include <FontEngine.h>

#include <stdio.h>
#include <string.h>

// As on BeOS R5: the plain font at 10 points, bold and fixed at 12.
static constinit BFont sPlainFont("DejaVu Sans", "Book", 10.0f, B_REGULAR_FACE);
static constinit BFont sBoldFont("DejaVu Sans", "Bold", 12.0f, B_BOLD_FACE);
static constinit BFont sFixedFont("DejaVu Sans Mono", "Book", 12.0f, B_REGULAR_FACE);

static void
copy_name(char* to, const char* from, size_t size)
{
	size_t length = strnlen(from, size - 1);
	memcpy(to, from, length);
	to[length] = '\0';
}

const BFont* be_plain_font = &sPlainFont;
const BFont* be_bold_font = &sBoldFont;
const BFont* be_fixed_font = &sFixedFont;

BFont::BFont()
	: BFont(sPlainFont)
{
}

BFont::BFont(const BFont* font)
	: BFont(font != NULL ? *font : sPlainFont)
{
}

status_t
BFont::SetFamilyAndStyle(const font_family family, const font_style style)
{
	const char* newFamily = family != NULL ? family : fFamily;
	const char* newStyle = style != NULL ? style : fStyle;
	if (!FontEngine::Exists(newFamily, newStyle))
		return B_NAME_NOT_FOUND;
	font_family f;
	font_style s;
	copy_name(f, newFamily, sizeof(f));
	copy_name(s, newStyle, sizeof(s));
	memcpy(fFamily, f, sizeof(f));
	memcpy(fStyle, s, sizeof(s));
	fFace = strcasestr(fStyle, "bold") != NULL ? B_BOLD_FACE : B_REGULAR_FACE;
	if (strcasestr(fStyle, "italic") != NULL || strcasestr(fStyle, "oblique") != NULL)
		fFace = (fFace & ~B_REGULAR_FACE) | B_ITALIC_FACE;
	return B_OK;
}

status_t
BFont::SetFamilyAndFace(const font_family family, uint16 face)
{
	if (family != NULL) {
		status_t status = SetFamilyAndStyle(family, NULL);
		if (status != B_OK)
			return status;
	}
	SetFace(face);
	return B_OK;
}

void
BFont::SetFace(uint16 face)
{
	const char* style;
	bool bold = (face & B_BOLD_FACE) != 0;
	bool italic = (face & B_ITALIC_FACE) != 0;
	if (bold && italic)
		style = "Bold Oblique";
	else if (bold)
		style = "Bold";
	else if (italic)
		style = "Oblique";
	else
		style = "Book";
	// Keep the face bits even when the family lacks that style.
	if (FontEngine::Exists(fFamily, style))
		copy_name(fStyle, style, sizeof(fStyle));
	fFace = face;
}

void
BFont::GetFamilyAndStyle(font_family* family, font_style* style) const
{
	if (family != NULL)
		memcpy(*family, fFamily, sizeof(fFamily));
	if (style != NULL)
		memcpy(*style, fStyle, sizeof(fStyle));
}

bool
BFont::IsFixed() const
{
	return FontEngine::IsFixed(*this);
}

float
BFont::StringWidth(const char* string) const
{
	if (string == NULL)
		return 0;
	return FontEngine::StringWidth(*this, string, (int32)strlen(string));
}

float
BFont::StringWidth(const char* string, int32 length) const
{
	if (string == NULL || length <= 0)
		return 0;
	return FontEngine::StringWidth(*this, string, (int32)strnlen(string, length));
}

void
BFont::GetStringWidths(const char* stringArray[], const int32 lengthArray[], int32 numStrings,
	float widthArray[]) const
{
	for (int32 i = 0; i < numStrings; i++)
		widthArray[i] = StringWidth(stringArray[i], lengthArray[i]);
}

void
BFont::GetHeight(font_height* height) const
{
	if (height != NULL)
		FontEngine::GetHeight(*this, height);
}

bool
BFont::operator==(const BFont& font) const
{
	return strcmp(fFamily, font.fFamily) == 0 && strcmp(fStyle, font.fStyle) == 0
		&& fSize == font.fSize && fShear == font.fShear && fRotation == font.fRotation
		&& fSpacing == font.fSpacing && fEncoding == font.fEncoding && fFace == font.fFace
		&& fFlags == font.fFlags;
}

void
BFont::PrintToStream() const
{
	printf("BFont(%s/%s, %.1f pt)\n", fFamily, fStyle, fSize);
}

void
BFont::_CopyFrom(const BFont& font, uint32 mask)
{
	if (mask & B_FONT_FAMILY_AND_STYLE) {
		memcpy(fFamily, font.fFamily, sizeof(fFamily));
		memcpy(fStyle, font.fStyle, sizeof(fStyle));
	}
	if (mask & B_FONT_SIZE)
		fSize = font.fSize;
	if (mask & B_FONT_SHEAR)
		fShear = font.fShear;
	if (mask & B_FONT_ROTATION)
		fRotation = font.fRotation;
	if (mask & B_FONT_SPACING)
		fSpacing = font.fSpacing;
	if (mask & B_FONT_ENCODING)
		fEncoding = font.fEncoding;
	if (mask & B_FONT_FACE)
		fFace = font.fFace;
	if (mask & B_FONT_FLAGS)
		fFlags = font.fFlags;
}
