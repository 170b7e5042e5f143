#include <WindowCanvas.h>

#include <AppDefs.h>
#include <View.h>
#include <Window.h>

#include <DisplayServer.h>
#include <Painter.h>
#include <PixelGeometry.h>
#include <WindowInput.h>

#include <algorithm>

namespace BPrivate {

WindowCanvas::WindowCanvas(BWindow* window)
	:
	fWindow(window),
	fPainter(std::make_unique<Painter>()),
	fServer(std::make_shared<ServerWindow>())
{
}

WindowCanvas::~WindowCanvas()
{
}

void
WindowCanvas::Resize(int32 width, int32 height)
{
	if (width < 1)
		width = 1;
	if (height < 1)
		height = 1;
	std::vector<uint32> pixels((size_t)width * height, 0xffd8d8d8);
	int32 rows = std::min(height, fHeight);
	int32 columns = std::min(width, fWidth);
	for (int32 y = 0; y < rows; y++) {
		std::copy_n(fPixels.begin() + (size_t)y * fWidth, columns,
			pixels.begin() + (size_t)y * width);
	}
	fPixels.swap(pixels);
	fWidth = width;
	fHeight = height;
	fPainter->Attach(fPixels.data(), width, height, width * 4);
	fDrawingView = NULL;
	fClipGeneration++;

	std::lock_guard<std::mutex> guard(fServer->lock);
	fServer->pixels = fPixels;
	fServer->width = width;
	fServer->height = height;
	fServer->dirty.Set(BRect(0, 0, width - 1, height - 1));
}

void
WindowCanvas::Invalidate(const BRegion& windowRegion)
{
	fUpdateRegion.Include(&windowRegion);
	_PostUpdate();
}

void
WindowCanvas::DrewOutsideUpdate(const BRegion& windowRegion)
{
	fDrawnOutside.Include(&windowRegion);
	_PostUpdate();
}

void
WindowCanvas::UpdateAndFlush()
{
	if (fWindow->IsHidden() || fUpdatesDisabled > 0)
		return;
	BRegion flush(fDrawnOutside);
	fDrawnOutside.MakeEmpty();
	if (fUpdateRegion.CountRects() > 0) {
		fCurrentUpdate = fUpdateRegion;
		fUpdateRegion.MakeEmpty();
		fInUpdate = true;
		fDrawingView = NULL;
		fWindow->fTopView->_DrawTree(fCurrentUpdate);
		fInUpdate = false;
		fDrawingView = NULL;
		flush.Include(&fCurrentUpdate);
		fCurrentUpdate.MakeEmpty();
		// Invalidated while drawing: next round.
		if (fUpdateRegion.CountRects() > 0 && !fUpdatePosted.exchange(true))
			fWindow->PostMessage(_UPDATE_);
	}
	if (flush.CountRects() > 0)
		_Flush(flush);
}

void
WindowCanvas::FlushDrawnOutside()
{
	if (fDrawnOutside.CountRects() > 0) {
		BRegion region(fDrawnOutside);
		fDrawnOutside.MakeEmpty();
		_Flush(region);
	}
}

void
WindowCanvas::ViewRemoved(BView* view)
{
	if (view_is_within(fDrawingView, view))
		fDrawingView = NULL;
}

void
WindowCanvas::_PostUpdate()
{
	// From another thread the window is asked to draw; on its own, the end
	// of the message it handles draws.
	if (fWindow->fRunning && find_thread(NULL) != fWindow->Thread()
		&& !fUpdatePosted.exchange(true))
		fWindow->PostMessage(_UPDATE_);
}

void
WindowCanvas::_Flush(const BRegion& region)
{
	bool present = false;
	{
		std::lock_guard<std::mutex> guard(fServer->lock);
		ServerWindow& screen = *fServer;
		clipping_rect all = {0, 0, std::min(fWidth, screen.width) - 1,
			std::min(fHeight, screen.height) - 1};
		for (int32 i = 0; i < region.CountRects(); i++) {
			clipping_rect r = pixel_intersection(region.RectAtInt(i), all);
			if (!pixel_rect_valid(r))
				continue;
			for (int32 y = r.top; y <= r.bottom; y++) {
				std::copy_n(fPixels.begin() + (size_t)y * fWidth + r.left, r.right - r.left + 1,
					screen.pixels.begin() + (size_t)y * screen.width + r.left);
			}
			screen.dirty.Include(r);
		}
		if (screen.id >= 0 && !screen.presentPending && screen.dirty.CountRects() > 0) {
			screen.presentPending = true;
			present = true;
		}
	}
	if (present)
		DisplayServer::Default()->Present(fServer->id);
}

} // namespace BPrivate
