#ifndef _WINDOW_CANVAS_H
#define _WINDOW_CANVAS_H

#include <Region.h>

#include <atomic>
#include <memory>
#include <vector>

class BView;
class BWindow;
class Painter;
struct ServerWindow;

namespace BPrivate {

// What a window's views draw into, and its way to the screen: the pixels,
// the painter, the regions waiting to be drawn and to be flushed, and the
// copy the display server presents.
class WindowCanvas {
public:
	WindowCanvas(BWindow* window);
	~WindowCanvas();

	Painter* GetPainter() const { return fPainter.get(); }
	std::shared_ptr<ServerWindow> Server() const { return fServer; }
	// Keeps what was drawn where it still fits; the rest is drawn anew.
	void Resize(int32 width, int32 height);

	void Invalidate(const BRegion& windowRegion);
	void DrewOutsideUpdate(const BRegion& windowRegion);
	bool NeedsUpdate() const { return fUpdateRegion.CountRects() > 0; }
	// The _UPDATE_ message asking for this was handled.
	void UpdateHandled() { fUpdatePosted = false; }
	// Draws what is invalid and hands all that changed to the server.
	void UpdateAndFlush();
	// Hands what was drawn outside an update to the server.
	void FlushDrawnOutside();
	void DisableUpdates() { fUpdatesDisabled++; }
	void EnableUpdates()
	{
		if (fUpdatesDisabled > 0)
			fUpdatesDisabled--;
	}

	// What the views ask while they draw.
	bool InUpdate() const { return fInUpdate; }
	const BRegion& UpdateRegion() const { return fCurrentUpdate; }
	void ViewTreeChanged() { fClipGeneration++; }
	uint32 ClipGeneration() const { return fClipGeneration; }
	BView* DrawingView() const { return fDrawingView; }
	uint32 DrawingGeneration() const { return fDrawingGeneration; }
	void SetDrawingView(BView* view, uint32 generation)
	{
		fDrawingView = view;
		fDrawingGeneration = generation;
	}
	void ViewRemoved(BView* view);

private:
	void _PostUpdate();
	void _Flush(const BRegion& region);

	BWindow* fWindow;
	std::unique_ptr<Painter> fPainter;
	std::vector<uint32> fPixels;
	int32 fWidth = 0;
	int32 fHeight = 0;
	BRegion fUpdateRegion;
	BRegion fCurrentUpdate;
	BRegion fDrawnOutside;
	std::atomic<bool> fUpdatePosted{false};
	bool fInUpdate = false;
	int32 fUpdatesDisabled = 0;
	uint32 fClipGeneration = 1;
	BView* fDrawingView = NULL;
	uint32 fDrawingGeneration = 0;
	std::shared_ptr<ServerWindow> fServer;
};

} // namespace BPrivate

#endif
