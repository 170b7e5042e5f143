#ifndef _PAINTER_H
#define _PAINTER_H

#include <Bitmap.h>
#include <Font.h>
#include <GraphicsDefs.h>
#include <Region.h>

#include <vector>

// What the painter draws with. The origin is added to every coordinate
// before it becomes a pixel; the clip is in pixels of the buffer.
struct PainterState {
	BPoint origin;
	BRegion clip;
	bool clipping = false;
	rgb_color high = {0, 0, 0, 255};
	rgb_color low = {255, 255, 255, 255};
	drawing_mode mode = B_OP_COPY;
	source_alpha sourceAlpha = B_PIXEL_ALPHA;
	alpha_function alphaFunction = B_ALPHA_OVERLAY;
	BFont font;
};

// Draws into one 32-bit buffer (B_RGB32 layout: one uint32 0xAARRGGBB per
// pixel) with BeOS pixel coverage: rectangles are inclusive, lines light
// both end points, strings sit on their baseline.
class Painter {
public:
	Painter() { fStates.emplace_back(); }

	void Attach(uint32* bits, int32 width, int32 height, int32 bytesPerRow);
	// Draws into a B_RGB32 or B_RGBA32 bitmap.
	status_t Attach(BBitmap* bitmap);
	int32 Width() const { return fWidth; }
	int32 Height() const { return fHeight; }

	PainterState& State() { return fStates.back(); }
	void PushState() { fStates.push_back(fStates.back()); }
	void PopState();
	void SetClip(const BRegion* clip);

	void FillRect(BRect rect, const pattern& p = B_SOLID_HIGH);
	void StrokeRect(BRect rect, const pattern& p = B_SOLID_HIGH);
	void StrokeLine(BPoint from, BPoint to, const pattern& p = B_SOLID_HIGH);
	void FillRegion(const BRegion& region, const pattern& p = B_SOLID_HIGH);
	void InvertRect(BRect rect);
	// Draws length bytes of string with the left end of its baseline at
	// where; returns the width it advanced by.
	float DrawString(const char* string, int32 length, BPoint where);
	void DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination);

	uint32 PixelAt(int32 x, int32 y) const;

private:
	void _FillPixels(const clipping_rect& area, const pattern& p);
	void _Plot(int32 x, int32 y, rgb_color color, bool patternHigh, uint32 cover, bool bitmap);
	inline uint32 _Compose(uint32 dst, rgb_color color, bool patternHigh, uint32 cover,
		bool bitmap) const;
	template<typename Function> void _ForClip(const clipping_rect& area, Function f);

	uint32* fBits = NULL;
	int32 fWidth = 0;
	int32 fHeight = 0;
	int32 fPixelsPerRow = 0;
	std::vector<PainterState> fStates;
};

#endif
