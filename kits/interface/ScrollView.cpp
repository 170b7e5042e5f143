#include <ScrollView.h>

#include <Window.h>

#include <ControlLook.h>

BScrollView::BScrollView(const char* name, BView* target, uint32 resizingMode, uint32 flags,
	bool horizontal, bool vertical, border_style border)
	: BView(_ComputeFrame(target, horizontal, vertical, border), name, resizingMode,
		  flags | B_WILL_DRAW | B_FRAME_EVENTS),
	  fTarget(target),
	  fBorder(border)
{
	SetViewColor(control_look().Panel());
	float size = _BorderSize(border);
	if (target != NULL) {
		target->MoveTo(size, size);
		AddChild(target);
	}
	if (vertical) {
		fVertical = new BScrollBar(BRect(0, 0, B_V_SCROLL_BAR_WIDTH, 15), "_VSB_", target, 0,
			0, B_VERTICAL);
		fVertical->SetResizingMode(B_FOLLOW_RIGHT | B_FOLLOW_TOP_BOTTOM);
		AddChild(fVertical);
	}
	if (horizontal) {
		fHorizontal = new BScrollBar(BRect(0, 0, 15, B_H_SCROLL_BAR_HEIGHT), "_HSB_", target,
			0, 0, B_HORIZONTAL);
		fHorizontal->SetResizingMode(B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM);
		AddChild(fHorizontal);
	}
	_LayoutBars();
}

BScrollView::~BScrollView()
{
}

float
BScrollView::_BorderSize(border_style border)
{
	return border == B_FANCY_BORDER ? 2 : border == B_PLAIN_BORDER ? 1 : 0;
}

BRect
BScrollView::_ComputeFrame(BView* target, bool horizontal, bool vertical, border_style border)
{
	BRect frame = target != NULL ? target->Frame() : BRect(0, 0, 15, 15);
	if (vertical)
		frame.right += B_V_SCROLL_BAR_WIDTH;
	if (horizontal)
		frame.bottom += B_H_SCROLL_BAR_HEIGHT;
	float size = _BorderSize(border);
	frame.InsetBy(-size, -size);
	// Without a border the bars need their last pixel as well.
	if (size == 0) {
		if (vertical)
			frame.right += 1;
		if (horizontal)
			frame.bottom += 1;
	}
	return frame;
}

void
BScrollView::_LayoutBars()
{
	float size = _BorderSize(fBorder);
	BRect bounds = Bounds();
	// The target fills the inside of the border less the bars.
	BRect inside = bounds.InsetByCopy(size, size);
	if (fVertical != NULL)
		inside.right -= B_V_SCROLL_BAR_WIDTH + (size == 0 ? 1 : 0);
	if (fHorizontal != NULL)
		inside.bottom -= B_H_SCROLL_BAR_HEIGHT + (size == 0 ? 1 : 0);
	if (fTarget != NULL && fTarget->Frame() != inside) {
		fTarget->MoveTo(inside.LeftTop());
		fTarget->ResizeTo(inside.Width(), inside.Height());
	}
	// The bars start one pixel off the target and lie over the inner ring
	// of the border.
	float overlap = size > 0 ? 1 : 0;
	if (fVertical != NULL) {
		BRect bar(inside.right + 1, inside.top - overlap, inside.right + 1 + B_V_SCROLL_BAR_WIDTH,
			inside.bottom + (fHorizontal != NULL ? 0 : overlap));
		fVertical->MoveTo(bar.LeftTop());
		fVertical->ResizeTo(bar.Width(), bar.Height());
	}
	if (fHorizontal != NULL) {
		BRect bar(inside.left - overlap, inside.bottom + 1,
			inside.right + (fVertical != NULL ? 0 : overlap),
			inside.bottom + 1 + B_H_SCROLL_BAR_HEIGHT);
		fHorizontal->MoveTo(bar.LeftTop());
		fHorizontal->ResizeTo(bar.Width(), bar.Height());
	}
}

void
BScrollView::Draw(BRect)
{
	ControlLook& look = control_look();
	BRect bounds = Bounds();
	bool focused = fHighlighted
		|| (fTarget != NULL && fTarget->IsFocus() && Window() != NULL && Window()->IsActive());
	uint32 flags = focused ? ControlLook::kFocused : 0;
	if (fBorder == B_FANCY_BORDER)
		look.DrawSunkenFrame(this, bounds, flags);
	else if (fBorder == B_PLAIN_BORDER)
		look.DrawPlainFrame(this, bounds, flags);
	// The square where two bars meet.
	if (fVertical != NULL && fHorizontal != NULL) {
		BRect corner(fVertical->Frame().left, fHorizontal->Frame().top, fVertical->Frame().right,
			fHorizontal->Frame().bottom);
		SetHighColor(look.Panel());
		FillRect(corner);
	}
}

void
BScrollView::AttachedToWindow()
{
	BView::AttachedToWindow();
}

void
BScrollView::FrameResized(float width, float height)
{
	BView::FrameResized(width, height);
	Invalidate();
}

void
BScrollView::WindowActivated(bool active)
{
	BView::WindowActivated(active);
	Invalidate();
}

BScrollBar*
BScrollView::ScrollBar(orientation posture) const
{
	return posture == B_VERTICAL ? fVertical : fHorizontal;
}

void
BScrollView::SetBorder(border_style border)
{
	if (border == fBorder)
		return;
	// The outside stays; the target and the bars make room for the border.
	fBorder = border;
	_LayoutBars();
	if (Window() != NULL)
		Invalidate();
}

bool
BScrollView::SetBorderHighlighted(bool highlighted)
{
	if (fBorder == B_NO_BORDER)
		return false;
	fHighlighted = highlighted;
	if (Window() != NULL)
		Invalidate();
	return true;
}

void
BScrollView::SetTarget(BView* target)
{
	if (target == fTarget)
		return;
	if (fTarget != NULL)
		RemoveChild(fTarget);
	fTarget = target;
	if (target != NULL)
		AddChild(target, ChildAt(0));
	if (fVertical != NULL)
		fVertical->SetTarget(target);
	if (fHorizontal != NULL)
		fHorizontal->SetTarget(target);
	_LayoutBars();
}
