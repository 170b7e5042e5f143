#ifndef BITMAP_VIEW_H
#define BITMAP_VIEW_H

#include <View.h>

class BBitmap;

// Shows one picture, drawn over the view colour, which it takes from its
// parent so the area around and behind the picture matches. Owns the bitmap.
class BitmapView : public BView {
public:
	BitmapView(BBitmap* bitmap, BRect frame, const char* name, uint32 resizingMode,
		uint32 flags);
	virtual ~BitmapView();

	void AttachedToWindow() override;
	void Draw(BRect updateRect) override;
	void GetPreferredSize(float* width, float* height) override;
	void ResizeToPreferred() override;

	// Deletes the bitmap shown so far and takes this one; does not redraw.
	void SetBitmap(BBitmap* bitmap);
	BBitmap* Bitmap() const { return fBitmap; }

private:
	BBitmap* fBitmap;
};

#endif
