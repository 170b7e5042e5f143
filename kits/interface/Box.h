#ifndef _BOX_H
#define _BOX_H

#include <View.h>

#include <String.h>

// A border round a group of views, engraved (fancy) or plain, with a label
// in the bold font set into its top edge.
class BBox : public BView {
public:
	BBox(BRect frame, const char* name = NULL,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP,
		border_style border = B_FANCY_BORDER);
	virtual ~BBox();

	void Draw(BRect updateRect) override;
	void AttachedToWindow() override;
	void FrameResized(float width, float height) override;

	void SetBorder(border_style border);
	border_style Border() const { return fBorder; }
	void SetLabel(const char* label);
	status_t SetLabel(BView* viewLabel);
	const char* Label() const { return fLabel.Length() > 0 ? fLabel.String() : NULL; }
	BView* LabelView() const { return fLabelView; }
	// Where the content goes, inside the border and below the label.
	BRect InnerFrame() const;

private:
	float _TopBorder() const;
	float _LabelHeight() const;

	BString fLabel;
	BView* fLabelView = NULL;
	border_style fBorder;
};

#endif
