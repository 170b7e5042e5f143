#include <CheckBox.h>

#include <Window.h>

#include <ControlLook.h>

#include <math.h>

static const float kBoxSize = 12;
static const float kLabelGap = 6;

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags | B_WILL_DRAW)
{
	// Programs give R5 frames that may be too low for the font, even upside
	// down; the box then grows downwards from its top so it still shows.
	float needed = _NeededHeight();
	if (Frame().Height() < needed)
		ResizeTo(Frame().Width() >= 0 ? Frame().Width() : 0, needed);
}

BCheckBox::~BCheckBox()
{
}

float
BCheckBox::_NeededHeight() const
{
	font_height height;
	GetFontHeight(&height);
	float text = ceilf(height.ascent) + ceilf(height.descent);
	return (text > kBoxSize ? text : kBoxSize) + 1;
}

BRect
BCheckBox::_ContentFrame() const
{
	// As on R5, box and label sit at the top of a frame taller than they
	// need, not in its middle.
	BRect bounds = Bounds();
	float needed = _NeededHeight();
	if (bounds.Height() > needed)
		bounds.bottom = bounds.top + needed;
	return bounds;
}

BRect
BCheckBox::_BoxFrame() const
{
	BRect bounds = _ContentFrame();
	float top = floorf((bounds.top + bounds.bottom + 1 - kBoxSize) / 2);
	return BRect(bounds.left + 1, top, bounds.left + kBoxSize, top + kBoxSize - 1);
}

void
BCheckBox::Draw(BRect)
{
	ControlLook& look = control_look();
	uint32 flags = _LookFlags(Value() != B_CONTROL_OFF);
	BRect box = _BoxFrame();
	look.DrawCheckBox(this, box, fOutlined ? flags ^ ControlLook::kActivated : flags);
	BRect labelRect = _ContentFrame();
	labelRect.left = box.right + kLabelGap;
	look.DrawLabel(this, Label(), labelRect, flags & ~ControlLook::kActivated);
}

void
BCheckBox::MouseDown(BPoint)
{
	if (!IsEnabled())
		return;
	// While the button is held the box shows what a release would make it.
	fOutlined = true;
	SetTracking(true);
	Invalidate();
	SetMouseEventMask(B_POINTER_EVENTS, B_LOCK_WINDOW_FOCUS);
}

void
BCheckBox::MouseMoved(BPoint where, uint32, const BMessage*)
{
	if (!IsTracking())
		return;
	bool inside = Bounds().Contains(where);
	if (inside != fOutlined) {
		fOutlined = inside;
		Invalidate();
	}
}

void
BCheckBox::MouseUp(BPoint where)
{
	if (!IsTracking())
		return;
	SetTracking(false);
	fOutlined = false;
	if (Bounds().Contains(where)) {
		SetValue(Value() != B_CONTROL_OFF ? B_CONTROL_OFF : B_CONTROL_ON);
		Invoke();
	}
	Invalidate();
}

void
BCheckBox::GetPreferredSize(float* width, float* height)
{
	if (width != NULL)
		*width = 1 + kBoxSize + kLabelGap + ceilf(StringWidth(Label() != NULL ? Label() : "")) + 2;
	if (height != NULL)
		*height = _NeededHeight();
}
