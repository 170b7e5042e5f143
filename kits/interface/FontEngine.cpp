#include <FontEngine.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <math.h>
#include <string.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

struct Face {
	FT_Face face = NULL;
	bool fixed = false;
	float sizeSet = -1;
};

struct GlyphKey {
	int32 face;
	int32 size64;
	uint32 code;
	bool operator==(const GlyphKey& k) const
	{
		return face == k.face && size64 == k.size64 && code == k.code;
	}
};

struct GlyphKeyHash {
	size_t operator()(const GlyphKey& k) const
	{
		return ((size_t)k.face * 1000003u) ^ ((size_t)k.size64 * 8191u) ^ k.code;
	}
};

class Engine {
public:
	std::mutex lock;

	int32 FaceFor(const char* family, const char* style);
	Face& FaceAt(int32 id) { return fFaces[id]; }
	const Glyph* GlyphFor(int32 faceId, float size, uint32 code);

private:
	bool _Init();

	FT_Library fLibrary = NULL;
	bool fTriedInit = false;
	std::vector<Face> fFaces;
	std::map<std::string, int32> fFaceByFile;
	std::map<std::string, int32> fFaceByName;
	std::unordered_map<GlyphKey, std::unique_ptr<Glyph>, GlyphKeyHash> fGlyphs;
};

Engine sEngine;

bool
is_plain_style(const char* style)
{
	return style == NULL || style[0] == '\0' || strcasecmp(style, "Roman") == 0
		|| strcasecmp(style, "Regular") == 0 || strcasecmp(style, "Plain") == 0;
}

// Asks fontconfig for the file of family and style; empty when nothing
// matches the family (fallback fonts of other families do not count, unless
// acceptOther).
std::string
find_font_file(const char* family, const char* style, int* index, bool acceptOther)
{
	FcPattern* pattern = FcPatternCreate();
	FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)family);
	if (is_plain_style(style))
		FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
	else
		FcPatternAddString(pattern, FC_STYLE, (const FcChar8*)style);
	FcConfigSubstitute(NULL, pattern, FcMatchPattern);
	FcDefaultSubstitute(pattern);
	FcResult result;
	FcPattern* match = FcFontMatch(NULL, pattern, &result);
	FcPatternDestroy(pattern);
	std::string path;
	if (match != NULL) {
		FcChar8* file = NULL;
		FcChar8* matchFamily = NULL;
		FcPatternGetString(match, FC_FAMILY, 0, &matchFamily);
		bool sameFamily = matchFamily != NULL
			&& strcasecmp((const char*)matchFamily, family) == 0;
		if ((sameFamily || acceptOther)
			&& FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
			path = (const char*)file;
			if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch)
				*index = 0;
		}
		FcPatternDestroy(match);
	}
	return path;
}

bool
Engine::_Init()
{
	if (!fTriedInit) {
		fTriedInit = true;
		if (FT_Init_FreeType(&fLibrary) != 0)
			fLibrary = NULL;
	}
	return fLibrary != NULL;
}

int32
Engine::FaceFor(const char* family, const char* style)
{
	std::string name = std::string(family) + "\n" + (style != NULL ? style : "");
	auto found = fFaceByName.find(name);
	if (found != fFaceByName.end())
		return found->second;
	int32 id = -1;
	if (_Init()) {
		int index = 0;
		std::string file = find_font_file(family, style, &index, false);
		if (file.empty())
			file = find_font_file(family, NULL, &index, false);
		if (file.empty())
			file = find_font_file("sans-serif", NULL, &index, true);
		std::string key = file + "#" + std::to_string(index);
		auto known = fFaceByFile.find(key);
		if (known != fFaceByFile.end()) {
			id = known->second;
		} else if (!file.empty()) {
			Face face;
			if (FT_New_Face(fLibrary, file.c_str(), index, &face.face) == 0) {
				face.fixed = FT_IS_FIXED_WIDTH(face.face);
				FT_Select_Charmap(face.face, FT_ENCODING_UNICODE);
				id = (int32)fFaces.size();
				fFaces.push_back(face);
				fFaceByFile[key] = id;
			}
		}
	}
	fFaceByName[name] = id;
	return id;
}

const Glyph*
Engine::GlyphFor(int32 faceId, float size, uint32 code)
{
	GlyphKey key{faceId, (int32)lroundf(size * 64), code};
	auto found = fGlyphs.find(key);
	if (found != fGlyphs.end())
		return found->second.get();

	auto glyph = std::make_unique<Glyph>();
	Face& face = fFaces[faceId];
	if (face.sizeSet != size) {
		FT_Set_Char_Size(face.face, 0, key.size64, 72, 72);
		face.sizeSet = size;
	}
	FT_UInt index = FT_Get_Char_Index(face.face, code);
	// Light hinting keeps the shapes true and only snaps them vertically.
	if (FT_Load_Glyph(face.face, index, FT_LOAD_TARGET_LIGHT) == 0) {
		FT_GlyphSlot slot = face.face->glyph;
		glyph->advance = slot->linearHoriAdvance / 65536.0f;
		if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
			const FT_Bitmap& bitmap = slot->bitmap;
			glyph->left = slot->bitmap_left;
			glyph->top = slot->bitmap_top;
			glyph->width = (int32)bitmap.width;
			glyph->height = (int32)bitmap.rows;
			glyph->coverage.resize((size_t)glyph->width * glyph->height);
			for (int32 y = 0; y < glyph->height; y++) {
				memcpy(&glyph->coverage[(size_t)y * glyph->width],
					bitmap.buffer + (ptrdiff_t)y * bitmap.pitch, glyph->width);
			}
		}
	}
	const Glyph* result = glyph.get();
	fGlyphs[key] = std::move(glyph);
	return result;
}

// Decodes one UTF-8 character; malformed bytes count as one character each.
uint32
next_char(const char*& s, const char* end)
{
	uint8 c = (uint8)*s++;
	if (c < 0x80)
		return c;
	int extra = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : 0;
	if (extra == 0)
		return 0xfffd;
	uint32 code = c & (0x3f >> extra);
	for (int i = 0; i < extra; i++) {
		if (s >= end || ((uint8)*s & 0xc0) != 0x80)
			return 0xfffd;
		code = (code << 6) | ((uint8)*s++ & 0x3f);
	}
	return code;
}

float
spaced_advance(const BFont& font, float advance)
{
	if (font.Spacing() == B_BITMAP_SPACING || font.Spacing() == B_FIXED_SPACING)
		return roundf(advance);
	return advance;
}

} // namespace

namespace FontEngine {

void
GetHeight(const BFont& font, font_height* height)
{
	font_family family;
	font_style style;
	font.GetFamilyAndStyle(&family, &style);
	std::lock_guard<std::mutex> guard(sEngine.lock);
	int32 id = sEngine.FaceFor(family, style);
	if (id < 0) {
		*height = font_height{font.Size() * 0.8f, font.Size() * 0.2f, 0};
		return;
	}
	FT_Face face = sEngine.FaceAt(id).face;
	float scale = font.Size() / face->units_per_EM;
	height->ascent = face->ascender * scale;
	height->descent = -face->descender * scale;
	float leading = (face->height - face->ascender + face->descender) * scale;
	height->leading = leading > 0 ? leading : 0;
}

float
StringWidth(const BFont& font, const char* string, int32 length)
{
	std::vector<const Glyph*> glyphs;
	std::vector<float> offsets;
	Layout(font, string, length, glyphs, offsets);
	return offsets.empty() ? 0 : offsets.back();
}

void
Layout(const BFont& font, const char* string, int32 length, std::vector<const Glyph*>& glyphs,
	std::vector<float>& offsets)
{
	glyphs.clear();
	offsets.clear();
	font_family family;
	font_style style;
	font.GetFamilyAndStyle(&family, &style);
	std::lock_guard<std::mutex> guard(sEngine.lock);
	int32 id = sEngine.FaceFor(family, style);
	if (id < 0)
		return;
	const char* s = string;
	const char* end = string + length;
	float pen = 0;
	while (s < end && *s != '\0') {
		const Glyph* glyph = sEngine.GlyphFor(id, font.Size(), next_char(s, end));
		glyphs.push_back(glyph);
		offsets.push_back(pen);
		pen += spaced_advance(font, glyph->advance);
	}
	// One more offset: the end of the string.
	offsets.push_back(pen);
}

bool
Exists(const char* family, const char* style)
{
	FcInit();
	int index;
	return !find_font_file(family, style, &index, false).empty();
}

bool
IsFixed(const BFont& font)
{
	font_family family;
	font_style style;
	font.GetFamilyAndStyle(&family, &style);
	std::lock_guard<std::mutex> guard(sEngine.lock);
	int32 id = sEngine.FaceFor(family, style);
	return id >= 0 && sEngine.FaceAt(id).fixed;
}

} // namespace FontEngine
