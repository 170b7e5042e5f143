#include <Bitmap.h>

#include <PixelGeometry.h>

#include <stdlib.h>
#include <string.h>

BBitmap::BBitmap(BRect bounds, color_space space, bool acceptsViews, bool needsContiguous)
{
	_Init(bounds,
		(acceptsViews ? B_BITMAP_ACCEPTS_VIEWS : 0)
			| (needsContiguous ? B_BITMAP_IS_CONTIGUOUS : 0),
		space, B_ANY_BYTES_PER_ROW);
}

BBitmap::BBitmap(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow)
{
	_Init(bounds, flags, space, bytesPerRow);
}

BBitmap::BBitmap(const BBitmap* source, bool acceptsViews, bool needsContiguous)
{
	if (source == NULL || !source->IsValid()) {
		fStatus = B_BAD_VALUE;
		return;
	}
	_Init(source->Bounds(),
		(acceptsViews ? B_BITMAP_ACCEPTS_VIEWS : 0)
			| (needsContiguous ? B_BITMAP_IS_CONTIGUOUS : 0),
		source->ColorSpace(), source->BytesPerRow());
	if (fStatus == B_OK)
		memcpy(fBits, source->fBits, BitsLength());
}

BBitmap::~BBitmap()
{
	free(fBits);
}

void
BBitmap::_Init(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow)
{
	fFlags = flags;
	fSpace = space;
	clipping_rect pixels = pixel_rect(bounds);
	if (!pixel_rect_valid(pixels)) {
		fStatus = B_BAD_VALUE;
		return;
	}
	// The bitmap keeps its own origin at (0, 0).
	fWidth = pixels.right - pixels.left + 1;
	fRows = pixels.bottom - pixels.top + 1;
	fBounds = BRect(0, 0, fWidth - 1, fRows - 1);
	if (space != B_RGB32 && space != B_RGBA32 && space != B_CMAP8 && space != B_GRAY8) {
		fStatus = B_BAD_VALUE;
		return;
	}
	int32 minimum = (int32)bytes_per_row_for(space, fWidth);
	fBytesPerRow = bytesPerRow >= minimum ? bytesPerRow : minimum;
	if ((int64)fBytesPerRow * fRows > 0x40000000) {
		fStatus = B_NO_MEMORY;
		return;
	}
	fBits = (uint8*)calloc((size_t)fBytesPerRow, (size_t)fRows);
	if (fBits == NULL) {
		fStatus = B_NO_MEMORY;
		return;
	}
	if (flags & B_BITMAP_CLEAR_TO_WHITE) {
		if (space == B_CMAP8)
			memset(fBits, 63, BitsLength());
		else
			memset(fBits, 0xff, BitsLength());
	} else if (space == B_RGB32) {
		// Opaque black; the fourth byte of B_RGB32 is unused but kept at 255.
		for (int32 y = 0; y < fRows; y++) {
			uint32* row = (uint32*)(fBits + (size_t)y * fBytesPerRow);
			for (int32 x = 0; x < fWidth; x++)
				row[x] = 0xff000000;
		}
	}
	fStatus = B_OK;
}

void
BBitmap::SetBits(const void* data, int32 length, int32 offset, color_space space)
{
	if (fStatus != B_OK || data == NULL || length <= 0 || offset < 0)
		return;
	// Legacy rules: the source rows are not padded for 24-bit data or for
	// CMAP8 data going into a 32-bit bitmap.
	int32 bytesPerRow;
	if (space == B_RGB24_BIG || space == B_RGB24)
		bytesPerRow = fWidth * 3;
	else if (space == B_CMAP8 && fSpace != B_CMAP8)
		bytesPerRow = fWidth;
	else
		bytesPerRow = (int32)bytes_per_row_for(space, fWidth);
	ImportBits(data, length, bytesPerRow, offset, space);
}

static inline uint32
pack(uint8 r, uint8 g, uint8 b, uint8 a)
{
	return ((uint32)a << 24) | ((uint32)r << 16) | ((uint32)g << 8) | b;
}

status_t
BBitmap::ImportBits(const void* data, int32 length, int32 bytesPerRow, int32 offset,
	color_space space)
{
	if (fStatus != B_OK || data == NULL || length < 0 || offset < 0 || bytesPerRow <= 0)
		return B_BAD_VALUE;
	int32 bpp;
	switch (space) {
		case B_RGB32:
		case B_RGBA32:
		case B_RGB32_BIG:
		case B_RGBA32_BIG:
			bpp = 4;
			break;
		case B_RGB24:
		case B_RGB24_BIG:
			bpp = 3;
			break;
		case B_CMAP8:
		case B_GRAY8:
			bpp = 1;
			break;
		default:
			return B_BAD_VALUE;
	}
	if (space == fSpace && bytesPerRow == fBytesPerRow) {
		int32 count = length < BitsLength() - offset ? length : BitsLength() - offset;
		if (count > 0)
			memcpy(fBits + offset, data, count);
		return B_OK;
	}
	const color_map* map = system_colors();
	const uint8* source = (const uint8*)data;
	// offset counts bytes of the destination, as pixels of it.
	int32 destBpp = fSpace == B_CMAP8 || fSpace == B_GRAY8 ? 1 : 4;
	int32 first = offset / destBpp;
	int32 pixels = length / bpp;
	for (int32 i = 0; i < pixels; i++) {
		int32 sx = i % ((bytesPerRow) / bpp > 0 ? bytesPerRow / bpp : 1);
		int32 sy = i / (bytesPerRow / bpp > 0 ? bytesPerRow / bpp : 1);
		if (sx >= fWidth)
			continue;
		const uint8* s = source + (size_t)sy * bytesPerRow + (size_t)sx * bpp;
		if (s + bpp > source + length)
			break;
		int32 index = first + sy * fWidth + sx;
		int32 x = index % fWidth;
		int32 y = index / fWidth;
		if (y >= fRows)
			break;
		rgb_color c;
		switch (space) {
			case B_RGB32:
				c = make_color(s[2], s[1], s[0], 255);
				break;
			case B_RGBA32:
				c = make_color(s[2], s[1], s[0], s[3]);
				break;
			case B_RGB32_BIG:
				c = make_color(s[1], s[2], s[3], 255);
				break;
			case B_RGBA32_BIG:
				c = make_color(s[1], s[2], s[3], s[0]);
				break;
			case B_RGB24:
				c = make_color(s[2], s[1], s[0], 255);
				break;
			case B_RGB24_BIG:
				c = make_color(s[0], s[1], s[2], 255);
				break;
			case B_CMAP8:
				c = map->color_list[s[0]];
				break;
			default:
				c = make_color(s[0], s[0], s[0], 255);
				break;
		}
		uint8* d = fBits + (size_t)y * fBytesPerRow + (size_t)x * destBpp;
		if (fSpace == B_CMAP8) {
			*d = c.alpha == 0 ? B_TRANSPARENT_MAGIC_CMAP8
				: map->index_map[((c.red & 0xf8) << 7) | ((c.green & 0xf8) << 2)
					| (c.blue >> 3)];
		} else if (fSpace == B_GRAY8) {
			*d = (uint8)((c.red * 308 + c.green * 600 + c.blue * 116) >> 10);
		} else {
			*(uint32*)d = pack(c.red, c.green, c.blue, fSpace == B_RGB32 ? 255 : c.alpha);
		}
	}
	return B_OK;
}

status_t
BBitmap::ImportBits(const BBitmap* source)
{
	if (source == NULL || !source->IsValid())
		return B_BAD_VALUE;
	return ImportBits(source->Bits(), source->BitsLength(), source->BytesPerRow(), 0,
		source->ColorSpace());
}

rgb_color
BBitmap::PixelAt(int32 x, int32 y) const
{
	if (fStatus != B_OK || x < 0 || y < 0 || x >= fWidth || y >= fRows)
		return make_color(0, 0, 0, 0);
	const uint8* p = fBits + (size_t)y * fBytesPerRow;
	switch (fSpace) {
		case B_RGB32: {
			uint32 v = ((const uint32*)p)[x];
			if ((v & 0x00ffffff) == B_TRANSPARENT_MAGIC_RGBA32)
				return make_color(0x77, 0x74, 0x77, 0);
			return make_color((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff, 255);
		}
		case B_RGBA32: {
			uint32 v = ((const uint32*)p)[x];
			return make_color((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff, v >> 24);
		}
		case B_CMAP8:
			return system_colors()->color_list[p[x]];
		case B_GRAY8:
			return make_color(p[x], p[x], p[x], 255);
		default:
			return make_color(0, 0, 0, 0);
	}
}
