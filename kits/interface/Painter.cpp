#include <Painter.h>

#include <FontEngine.h>
#include <PixelGeometry.h>

#include <math.h>
#include <stdlib.h>

static inline uint32
pack(rgb_color c, uint8 alpha)
{
	return ((uint32)alpha << 24) | ((uint32)c.red << 16) | ((uint32)c.green << 8) | c.blue;
}

static inline rgb_color
unpack(uint32 v)
{
	return rgb_color{(uint8)(v >> 16), (uint8)(v >> 8), (uint8)v, (uint8)(v >> 24)};
}

static inline uint8
mix_channel(uint32 from, uint32 to, uint32 a)
{
	// from + (to - from) * a / 255, rounded; exact at a = 0 and a = 255.
	int32 v = (int32)from * 255 + ((int32)to - (int32)from) * (int32)a;
	return (uint8)((v + 127) / 255);
}

static inline uint32
mix(uint32 dst, rgb_color c, uint32 a, uint8 alpha)
{
	rgb_color d = unpack(dst);
	return ((uint32)alpha << 24) | ((uint32)mix_channel(d.red, c.red, a) << 16)
		| ((uint32)mix_channel(d.green, c.green, a) << 8) | mix_channel(d.blue, c.blue, a);
}

static inline bool
pattern_bit(const pattern& p, int32 x, int32 y)
{
	return (p.data[y & 7] & (0x80 >> (x & 7))) != 0;
}

static inline bool
is_solid(const pattern& p, uint8 value)
{
	for (int i = 0; i < 8; i++) {
		if (p.data[i] != value)
			return false;
	}
	return true;
}

void
Painter::Attach(uint32* bits, int32 width, int32 height, int32 bytesPerRow)
{
	fBits = bits;
	fWidth = width;
	fHeight = height;
	fPixelsPerRow = bytesPerRow / 4;
}

status_t
Painter::Attach(BBitmap* bitmap)
{
	if (bitmap == NULL || !bitmap->IsValid()
		|| (bitmap->ColorSpace() != B_RGB32 && bitmap->ColorSpace() != B_RGBA32))
		return B_BAD_VALUE;
	Attach((uint32*)bitmap->Bits(), bitmap->Bounds().IntegerWidth() + 1,
		bitmap->Bounds().IntegerHeight() + 1, bitmap->BytesPerRow());
	return B_OK;
}

void
Painter::PopState()
{
	if (fStates.size() > 1)
		fStates.pop_back();
}

void
Painter::SetClip(const BRegion* clip)
{
	PainterState& state = State();
	if (clip == NULL) {
		state.clipping = false;
		state.clip.MakeEmpty();
		return;
	}
	state.clipping = true;
	state.clip = *clip;
}

// Calls f(area) for each piece of area inside the buffer and the clip.
template<typename Function>
void
Painter::_ForClip(const clipping_rect& area, Function f)
{
	clipping_rect inside = pixel_intersection(area, clipping_rect{0, 0, fWidth - 1, fHeight - 1});
	if (!pixel_rect_valid(inside))
		return;
	const PainterState& state = State();
	if (!state.clipping) {
		f(inside);
		return;
	}
	for (int32 i = 0; i < state.clip.CountRects(); i++) {
		clipping_rect piece = pixel_intersection(inside, state.clip.RectAtInt(i));
		if (pixel_rect_valid(piece))
			f(piece);
	}
}

inline uint32
Painter::_Compose(uint32 dst, rgb_color c, bool patternHigh, uint32 cover, bool bitmap) const
{
	const PainterState& s = fStates.back();
	switch (s.mode) {
		case B_OP_COPY:
			if (bitmap || cover == 255)
				return pack(c, c.alpha);
			return mix(pack(s.low, s.low.alpha), c, cover, c.alpha);
		case B_OP_OVER:
			if (bitmap)
				return c.alpha == 0 ? dst : pack(c, 255);
			return patternHigh ? mix(dst, c, cover, 255) : dst;
		case B_OP_ERASE:
			return patternHigh ? mix(dst, s.low, cover, 255) : dst;
		case B_OP_INVERT: {
			if (!patternHigh || (bitmap && c.alpha == 0))
				return dst;
			rgb_color d = unpack(dst);
			rgb_color inverse = {(uint8)(255 - d.red), (uint8)(255 - d.green),
				(uint8)(255 - d.blue), 255};
			return mix(dst, inverse, cover, 255);
		}
		case B_OP_SELECT: {
			if (!patternHigh)
				return dst;
			rgb_color d = unpack(dst);
			auto same = [&d](rgb_color x) {
				return x.red == d.red && x.green == d.green && x.blue == d.blue;
			};
			if (same(s.high))
				return mix(dst, s.low, cover, 255);
			if (same(s.low))
				return mix(dst, s.high, cover, 255);
			return dst;
		}
		case B_OP_ADD:
		case B_OP_SUBTRACT:
		case B_OP_BLEND:
		case B_OP_MIN:
		case B_OP_MAX: {
			if (bitmap && c.alpha == 0)
				return dst;
			rgb_color d = unpack(dst);
			rgb_color r = c;
			auto channel = [&s](uint8 dv, uint8 cv) -> uint8 {
				switch (s.mode) {
					case B_OP_ADD:
						return dv + cv > 255 ? 255 : dv + cv;
					case B_OP_SUBTRACT:
						return dv < cv ? 0 : dv - cv;
					default:
						return (uint8)((dv + cv) / 2);
				}
			};
			if (s.mode == B_OP_MIN || s.mode == B_OP_MAX) {
				int32 bc = 308 * c.red + 600 * c.green + 116 * c.blue;
				int32 bd = 308 * d.red + 600 * d.green + 116 * d.blue;
				bool takeSource = s.mode == B_OP_MIN ? bc < bd : bc > bd;
				r = takeSource ? c : d;
			} else {
				r.red = channel(d.red, c.red);
				r.green = channel(d.green, c.green);
				r.blue = channel(d.blue, c.blue);
			}
			return mix(dst, r, cover, 255);
		}
		case B_OP_ALPHA: {
			uint32 alpha = c.alpha;
			if (s.sourceAlpha == B_CONSTANT_ALPHA)
				alpha = bitmap ? s.high.alpha * c.alpha / 255 : s.high.alpha;
			alpha = alpha * cover / 255;
			if (s.alphaFunction == B_ALPHA_OVERLAY)
				return mix(dst, c, alpha, (uint8)(dst >> 24));
			// Composite: for drawing into transparent bitmaps.
			uint32 dstAlpha = dst >> 24;
			uint32 outAlpha = 255 * 255 - (255 - alpha) * (255 - dstAlpha);
			if (outAlpha == 0)
				return 0;
			rgb_color d = unpack(dst);
			auto channel = [&](uint8 sv, uint8 dv) -> uint8 {
				uint32 v = (sv * alpha * 255 + dv * dstAlpha * (255 - alpha)) / outAlpha;
				return (uint8)(v > 255 ? 255 : v);
			};
			rgb_color r = {channel(c.red, d.red), channel(c.green, d.green),
				channel(c.blue, d.blue), 0};
			return pack(r, (uint8)((outAlpha + 127) / 255));
		}
	}
	return dst;
}

inline void
Painter::_Plot(int32 x, int32 y, rgb_color color, bool patternHigh, uint32 cover, bool bitmap)
{
	uint32* p = fBits + (size_t)y * fPixelsPerRow + x;
	*p = _Compose(*p, color, patternHigh, cover, bitmap);
}

void
Painter::_FillPixels(const clipping_rect& area, const pattern& p)
{
	const PainterState& s = State();
	// The common cases write one value over whole rows.
	bool solidHigh = is_solid(p, 0xff);
	bool solidLow = is_solid(p, 0x00);
	bool constant = false;
	uint32 value = 0;
	if (s.mode == B_OP_COPY && (solidHigh || solidLow)) {
		rgb_color c = solidHigh ? s.high : s.low;
		value = pack(c, c.alpha);
		constant = true;
	} else if (s.mode == B_OP_OVER && solidHigh) {
		value = pack(s.high, 255);
		constant = true;
	} else if (s.mode == B_OP_OVER && solidLow) {
		return;
	}
	_ForClip(area, [&](const clipping_rect& r) {
		for (int32 y = r.top; y <= r.bottom; y++) {
			uint32* row = fBits + (size_t)y * fPixelsPerRow;
			if (constant) {
				for (int32 x = r.left; x <= r.right; x++)
					row[x] = value;
				continue;
			}
			for (int32 x = r.left; x <= r.right; x++) {
				bool high = pattern_bit(p, x, y);
				row[x] = _Compose(row[x], high ? s.high : s.low, high, 255, false);
			}
		}
	});
}

void
Painter::FillRect(BRect rect, const pattern& p)
{
	if (fBits == NULL)
		return;
	_FillPixels(pixel_rect(rect.OffsetByCopy(State().origin)), p);
}

void
Painter::StrokeRect(BRect rect, const pattern& p)
{
	if (fBits == NULL)
		return;
	clipping_rect r = pixel_rect(rect.OffsetByCopy(State().origin));
	if (!pixel_rect_valid(r))
		return;
	// Each pixel of the ring once, so that inverting strokes stay exact.
	_FillPixels(clipping_rect{r.left, r.top, r.right, r.top}, p);
	if (r.bottom > r.top)
		_FillPixels(clipping_rect{r.left, r.bottom, r.right, r.bottom}, p);
	if (r.bottom - r.top >= 2) {
		_FillPixels(clipping_rect{r.left, r.top + 1, r.left, r.bottom - 1}, p);
		if (r.right > r.left)
			_FillPixels(clipping_rect{r.right, r.top + 1, r.right, r.bottom - 1}, p);
	}
}

void
Painter::StrokeLine(BPoint from, BPoint to, const pattern& p)
{
	if (fBits == NULL)
		return;
	const PainterState& s = State();
	int32 x0 = pixel_coordinate(from.x + s.origin.x);
	int32 y0 = pixel_coordinate(from.y + s.origin.y);
	int32 x1 = pixel_coordinate(to.x + s.origin.x);
	int32 y1 = pixel_coordinate(to.y + s.origin.y);
	if (x0 == x1 || y0 == y1) {
		_FillPixels(clipping_rect{x0 < x1 ? x0 : x1, y0 < y1 ? y0 : y1, x0 < x1 ? x1 : x0,
						y0 < y1 ? y1 : y0},
			p);
		return;
	}
	// Bresenham, both end points included.
	int32 dx = abs(x1 - x0);
	int32 dy = -abs(y1 - y0);
	int32 sx = x0 < x1 ? 1 : -1;
	int32 sy = y0 < y1 ? 1 : -1;
	int32 error = dx + dy;
	while (true) {
		_ForClip(clipping_rect{x0, y0, x0, y0}, [&](const clipping_rect&) {
			bool high = pattern_bit(p, x0, y0);
			_Plot(x0, y0, high ? s.high : s.low, high, 255, false);
		});
		if (x0 == x1 && y0 == y1)
			break;
		int32 e2 = 2 * error;
		if (e2 >= dy) {
			error += dy;
			x0 += sx;
		}
		if (e2 <= dx) {
			error += dx;
			y0 += sy;
		}
	}
}

void
Painter::FillRegion(const BRegion& region, const pattern& p)
{
	if (fBits == NULL)
		return;
	BRegion moved(region);
	moved.OffsetBy(State().origin);
	for (int32 i = 0; i < moved.CountRects(); i++)
		_FillPixels(moved.RectAtInt(i), p);
}

void
Painter::InvertRect(BRect rect)
{
	PushState();
	State().mode = B_OP_INVERT;
	FillRect(rect, B_SOLID_HIGH);
	PopState();
}

float
Painter::DrawString(const char* string, int32 length, BPoint where)
{
	if (string == NULL || length <= 0)
		return 0;
	const PainterState& s = State();
	std::vector<const Glyph*> glyphs;
	std::vector<float> offsets;
	FontEngine::Layout(s.font, string, length, glyphs, offsets);
	if (offsets.empty())
		return 0;
	if (fBits == NULL)
		return offsets.back();
	int32 baseX = pixel_coordinate(where.x + s.origin.x);
	int32 baseY = pixel_coordinate(where.y + s.origin.y);
	bool antialias = (s.font.Flags() & B_DISABLE_ANTIALIASING) == 0;
	for (size_t i = 0; i < glyphs.size(); i++) {
		const Glyph* glyph = glyphs[i];
		if (glyph->width == 0)
			continue;
		int32 left = baseX + (int32)lroundf(offsets[i]) + glyph->left;
		int32 top = baseY - glyph->top;
		clipping_rect area{left, top, left + glyph->width - 1, top + glyph->height - 1};
		_ForClip(area, [&](const clipping_rect& r) {
			for (int32 y = r.top; y <= r.bottom; y++) {
				const uint8* coverage = &glyph->coverage[(size_t)(y - top) * glyph->width];
				for (int32 x = r.left; x <= r.right; x++) {
					uint32 cover = coverage[x - left];
					if (!antialias)
						cover = cover >= 128 ? 255 : 0;
					if (cover != 0)
						_Plot(x, y, s.high, true, cover, false);
				}
			}
		});
	}
	return offsets.back();
}

static inline rgb_color
source_pixel(const uint8* bits, int32 bytesPerRow, color_space space, int32 x, int32 y,
	const color_map* map)
{
	const uint8* row = bits + (size_t)y * bytesPerRow;
	switch (space) {
		case B_RGB32: {
			uint32 v = ((const uint32*)row)[x];
			// The magic colour is transparent, except for alpha blending,
			// where B_RGB32 is read as if it had an alpha channel.
			uint8 alpha = (v & 0x00ffffff) == B_TRANSPARENT_MAGIC_RGBA32 ? 0 : 255;
			return rgb_color{(uint8)(v >> 16), (uint8)(v >> 8), (uint8)v, alpha};
		}
		case B_RGBA32:
			return unpack(((const uint32*)row)[x]);
		case B_CMAP8:
			return map->color_list[row[x]];
		case B_GRAY8:
			return rgb_color{row[x], row[x], row[x], 255};
		default:
			return rgb_color{0, 0, 0, 0};
	}
}

void
Painter::DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination)
{
	if (fBits == NULL || bitmap == NULL || !bitmap->IsValid())
		return;
	const PainterState& s = State();
	clipping_rect src = pixel_rect(source);
	clipping_rect dst = pixel_rect(destination.OffsetByCopy(s.origin));
	if (!pixel_rect_valid(src) || !pixel_rect_valid(dst))
		return;
	int32 srcWidth = src.right - src.left + 1;
	int32 srcHeight = src.bottom - src.top + 1;
	int32 dstWidth = dst.right - dst.left + 1;
	int32 dstHeight = dst.bottom - dst.top + 1;
	clipping_rect bounds = pixel_rect(bitmap->Bounds());
	const uint8* bits = (const uint8*)bitmap->Bits();
	int32 bytesPerRow = bitmap->BytesPerRow();
	color_space space = bitmap->ColorSpace();
	const color_map* map = space == B_CMAP8 ? system_colors() : NULL;
	bool alphaMode = s.mode == B_OP_ALPHA;
	_ForClip(dst, [&](const clipping_rect& r) {
		for (int32 y = r.top; y <= r.bottom; y++) {
			// Nearest source pixel; 1:1 when the sizes agree.
			int32 sy = src.top + (int32)((int64)(y - dst.top) * srcHeight / dstHeight);
			if (sy < bounds.top || sy > bounds.bottom)
				continue;
			uint32* row = fBits + (size_t)y * fPixelsPerRow;
			for (int32 x = r.left; x <= r.right; x++) {
				int32 sx = src.left + (int32)((int64)(x - dst.left) * srcWidth / dstWidth);
				if (sx < bounds.left || sx > bounds.right)
					continue;
				rgb_color c = source_pixel(bits, bytesPerRow, space, sx, sy, map);
				if (alphaMode && space == B_RGB32)
					c.alpha = bits[(size_t)sy * bytesPerRow + (size_t)sx * 4 + 3];
				row[x] = _Compose(row[x], c, true, 255, true);
			}
		}
	});
}

uint32
Painter::PixelAt(int32 x, int32 y) const
{
	if (fBits == NULL || x < 0 || y < 0 || x >= fWidth || y >= fHeight)
		return 0;
	return fBits[(size_t)y * fPixelsPerRow + x];
}
