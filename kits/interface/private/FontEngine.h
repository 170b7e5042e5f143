#ifndef _FONT_ENGINE_H
#define _FONT_ENGINE_H

#include <Font.h>

#include <vector>

// One rendered glyph: an 8-bit coverage image placed relative to the pen on
// the baseline. Glyphs are cached and never freed, so a pointer to one stays
// good for the life of the program.
struct Glyph {
	int32 left = 0;    // from the pen to the image's left column
	int32 top = 0;     // from the baseline up to the image's top row
	int32 width = 0;
	int32 height = 0;
	float advance = 0; // where the next glyph starts
	std::vector<uint8> coverage;
};

// Reaches FreeType for the kit. FreeType faces are not thread-safe, so every
// call into FreeType happens under the engine's one lock; drawing uses the
// cached glyphs outside it.
namespace FontEngine {

void GetHeight(const BFont& font, font_height* height);
float StringWidth(const BFont& font, const char* string, int32 length);
// The glyphs of string and each glyph's pen offset from the string's start.
void Layout(const BFont& font, const char* string, int32 length,
	std::vector<const Glyph*>& glyphs, std::vector<float>& offsets);
// Whether family and style name a font that fontconfig can find.
bool Exists(const char* family, const char* style);
bool IsFixed(const BFont& font);

} // namespace FontEngine

#endif
