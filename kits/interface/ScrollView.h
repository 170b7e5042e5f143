#ifndef _SCROLL_VIEW_H
#define _SCROLL_VIEW_H

#include <ScrollBar.h>

// A frame round a target view with scroll bars right of it and/or below
// it. Its frame is worked out from the target's: the bars are added, then
// the border on every side; the target moves inside the border.
class BScrollView : public BView {
public:
	BScrollView(const char* name, BView* target,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = 0,
		bool horizontal = false, bool vertical = false, border_style border = B_FANCY_BORDER);
	virtual ~BScrollView();

	void Draw(BRect updateRect) override;
	void AttachedToWindow() override;
	void FrameResized(float width, float height) override;
	void WindowActivated(bool active) override;

	BScrollBar* ScrollBar(orientation posture) const;
	void SetBorder(border_style border);
	border_style Border() const { return fBorder; }
	bool SetBorderHighlighted(bool highlighted);
	bool IsBorderHighlighted() const { return fHighlighted; }
	void SetTarget(BView* target);
	BView* Target() const { return fTarget; }

private:
	static float _BorderSize(border_style border);
	static BRect _ComputeFrame(BView* target, bool horizontal, bool vertical,
		border_style border);
	void _LayoutBars();

	BView* fTarget;
	BScrollBar* fHorizontal = NULL;
	BScrollBar* fVertical = NULL;
	border_style fBorder;
	bool fHighlighted = false;
};

#endif
