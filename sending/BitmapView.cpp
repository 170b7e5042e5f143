#include "BitmapView.h"

#include <Bitmap.h>

BitmapView::BitmapView(BBitmap* bitmap, BRect frame, const char* name, uint32 resizingMode,
	uint32 flags)
	: BView(frame, name, resizingMode, flags),
	  fBitmap(bitmap)
{
}

BitmapView::~BitmapView()
{
	delete fBitmap;
}

void
BitmapView::AttachedToWindow()
{
	if (Parent() != NULL)
		SetViewColor(Parent()->ViewColor());
}

void
BitmapView::Draw(BRect updateRect)
{
	if (fBitmap == NULL)
		return;
	// Transparent pixels let the view colour show.
	SetDrawingMode(B_OP_OVER);
	DrawBitmap(fBitmap, updateRect, updateRect);
}

void
BitmapView::GetPreferredSize(float* width, float* height)
{
	float w = 0, h = 0;
	if (fBitmap != NULL) {
		BRect bounds = fBitmap->Bounds();
		w = bounds.right - bounds.left;
		h = bounds.bottom - bounds.top;
	}
	if (width != NULL)
		*width = w;
	if (height != NULL)
		*height = h;
}

void
BitmapView::ResizeToPreferred()
{
	float width, height;
	GetPreferredSize(&width, &height);
	ResizeTo(width, height);
}

void
BitmapView::SetBitmap(BBitmap* bitmap)
{
	if (bitmap == fBitmap)
		return;
	delete fBitmap;
	fBitmap = bitmap;
}
