#ifndef _GRAPHICS_DEFS_H
#define _GRAPHICS_DEFS_H

#include <SupportDefs.h>

// Eight rows of eight bits; bit 7 of a row is its leftmost pixel.
typedef struct pattern {
	uint8 data[8];
} pattern;

inline bool
operator==(const pattern& a, const pattern& b)
{
	for (int i = 0; i < 8; i++) {
		if (a.data[i] != b.data[i])
			return false;
	}
	return true;
}

extern const pattern B_SOLID_HIGH;
extern const pattern B_MIXED_COLORS;
extern const pattern B_SOLID_LOW;

typedef struct rgb_color {
	uint8 red;
	uint8 green;
	uint8 blue;
	uint8 alpha;

	rgb_color& set_to(uint8 r, uint8 g, uint8 b, uint8 a = 255)
	{
		red = r;
		green = g;
		blue = b;
		alpha = a;
		return *this;
	}
	bool operator==(const rgb_color& c) const
	{
		return red == c.red && green == c.green && blue == c.blue && alpha == c.alpha;
	}
	bool operator!=(const rgb_color& c) const { return !(*this == c); }
} rgb_color;

inline rgb_color
make_color(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255)
{
	rgb_color c = {red, green, blue, alpha};
	return c;
}

extern const rgb_color B_TRANSPARENT_COLOR;
extern const uint8 B_TRANSPARENT_MAGIC_CMAP8;
extern const uint16 B_TRANSPARENT_MAGIC_RGBA15;
extern const uint16 B_TRANSPARENT_MAGIC_RGBA15_BIG;
extern const uint32 B_TRANSPARENT_MAGIC_RGBA32;
extern const uint32 B_TRANSPARENT_MAGIC_RGBA32_BIG;
extern const uint8 B_TRANSPARENT_8_BIT;
extern const rgb_color B_TRANSPARENT_32_BIT;

typedef struct color_map {
	int32 id;
	rgb_color color_list[256];
	uint8 inversion_map[256];
	uint8 index_map[32768];
} color_map;

// The BeOS system palette, the colours of B_CMAP8 bitmaps.
const color_map* system_colors();

typedef enum {
	B_NO_COLOR_SPACE = 0x0000,
	B_RGB24 = 0x0003,
	B_RGB32 = 0x0008,
	B_RGBA32 = 0x2008,
	B_RGB16 = 0x0005,
	B_RGB15 = 0x0010,
	B_RGBA15 = 0x2010,
	B_CMAP8 = 0x0004,
	B_GRAY8 = 0x0002,
	B_GRAY1 = 0x0001,
	B_RGB24_BIG = 0x1003,
	B_RGB32_BIG = 0x1008,
	B_RGBA32_BIG = 0x3008,
	B_RGB16_BIG = 0x1005,
	B_RGB15_BIG = 0x1010,
	B_RGBA15_BIG = 0x3010,

	B_RGB32_LITTLE = B_RGB32,
	B_RGBA32_LITTLE = B_RGBA32,
	B_RGB24_LITTLE = B_RGB24,
	B_RGB16_LITTLE = B_RGB16,
	B_RGB15_LITTLE = B_RGB15,
	B_RGBA15_LITTLE = B_RGBA15,
} color_space;

enum {
	B_MONOCHROME_1_BIT = B_GRAY1,
	B_GRAYSCALE_8_BIT = B_GRAY8,
	B_COLOR_8_BIT = B_CMAP8,
	B_RGB_32_BIT = B_RGB32,
	B_RGB_16_BIT = B_RGB15,
	B_BIG_RGB_32_BIT = B_RGB32_BIG,
	B_BIG_RGB_16_BIT = B_RGB15_BIG,
};

// Bits per row of a bitmap of that space and width, rounded up to 4 bytes;
// 0 for a space the kit cannot store.
size_t bytes_per_row_for(color_space space, int32 width);

typedef enum {
	B_OP_COPY = 0,
	B_OP_OVER = 1,
	B_OP_ERASE = 2,
	B_OP_INVERT = 3,
	B_OP_ADD = 4,
	B_OP_SUBTRACT = 5,
	B_OP_BLEND = 6,
	B_OP_MIN = 7,
	B_OP_MAX = 8,
	B_OP_SELECT = 9,
	B_OP_ALPHA = 10,
} drawing_mode;

typedef enum {
	B_PIXEL_ALPHA = 0,
	B_CONSTANT_ALPHA = 1,
} source_alpha;

typedef enum {
	B_ALPHA_OVERLAY = 0,
	B_ALPHA_COMPOSITE = 1,
} alpha_function;

enum {
	B_8_BIT_640x480 = 0x00000001,
	B_32_BIT_640x480 = 0x00000008,
};

#endif
