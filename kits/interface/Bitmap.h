#ifndef _BITMAP_H
#define _BITMAP_H

#include <GraphicsDefs.h>
#include <Rect.h>

enum {
	B_BITMAP_CLEAR_TO_WHITE = 0x00000001,
	B_BITMAP_ACCEPTS_VIEWS = 0x00000002,
	B_BITMAP_IS_AREA = 0x00000004,
	B_BITMAP_IS_LOCKED = 0x00000008 | B_BITMAP_IS_AREA,
	B_BITMAP_IS_CONTIGUOUS = 0x00000010 | B_BITMAP_IS_LOCKED,
	B_BITMAP_IS_OFFSCREEN = 0x00000020,
	B_BITMAP_WILL_OVERLAY = 0x00000040 | B_BITMAP_IS_OFFSCREEN,
	B_BITMAP_RESERVE_OVERLAY_CHANNEL = 0x00000080,
	B_BITMAP_NO_SERVER_LINK = 0x00000100,
};

#define B_ANY_BYTES_PER_ROW -1

// A picture in memory. The kit stores B_RGB32, B_RGBA32, B_CMAP8 and B_GRAY8;
// rows run top to bottom, each padded to a multiple of four bytes.
class BBitmap {
public:
	BBitmap(BRect bounds, color_space space, bool acceptsViews = false,
		bool needsContiguous = false);
	BBitmap(BRect bounds, uint32 flags, color_space space,
		int32 bytesPerRow = B_ANY_BYTES_PER_ROW);
	BBitmap(const BBitmap* source, bool acceptsViews = false, bool needsContiguous = false);
	virtual ~BBitmap();

	status_t InitCheck() const { return fStatus; }
	bool IsValid() const { return fStatus == B_OK; }

	BRect Bounds() const { return fBounds; }
	void* Bits() const { return fBits; }
	int32 BitsLength() const { return fBytesPerRow * fRows; }
	int32 BytesPerRow() const { return fBytesPerRow; }
	color_space ColorSpace() const { return fSpace; }
	uint32 Flags() const { return fFlags; }

	// Copies length bytes of data in space into the bitmap, converting
	// B_RGB32, B_RGBA32, B_RGB24_BIG, B_CMAP8 and B_GRAY8 rows as needed.
	void SetBits(const void* data, int32 length, int32 offset, color_space space);
	status_t ImportBits(const void* data, int32 length, int32 bytesPerRow, int32 offset,
		color_space space);
	status_t ImportBits(const BBitmap* source);

	// The colour of one pixel, whatever the colour space; transparent pixels
	// (alpha 0, the magic B_RGB32 colour, CMAP8 index 255) have alpha 0.
	rgb_color PixelAt(int32 x, int32 y) const;

private:
	BBitmap(const BBitmap&) = delete;
	BBitmap& operator=(const BBitmap&) = delete;

	void _Init(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow);

	BRect fBounds;
	color_space fSpace = B_NO_COLOR_SPACE;
	uint32 fFlags = 0;
	uint8* fBits = NULL;
	int32 fBytesPerRow = 0;
	int32 fRows = 0;
	int32 fWidth = 0;
	status_t fStatus = B_NO_INIT;
};

#endif
