#include <Button.h>

#include <Window.h>

#include <ControlLook.h>

#include <math.h>

BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags | B_WILL_DRAW)
{
	// Never lower than the label needs.
	font_height height;
	GetFontHeight(&height);
	BFont font;
	GetFont(&font);
	float needed = font.Size() + ceilf(height.ascent + height.descent);
	if (Frame().Height() < needed)
		ResizeTo(Frame().Width(), needed);
}

BButton::~BButton()
{
}

void
BButton::Draw(BRect)
{
	ControlLook& look = control_look();
	BRect rect = Bounds();
	uint32 flags = _LookFlags(Value() == B_CONTROL_ON);
	if (fDefault) {
		flags |= ControlLook::kDefault;
		look.DrawDefaultFrame(this, rect, flags);
	}
	look.DrawButton(this, rect, flags);
	look.DrawLabel(this, Label(), rect, flags, B_ALIGN_CENTER);
}

void
BButton::MouseDown(BPoint)
{
	if (!IsEnabled())
		return;
	SetValue(B_CONTROL_ON);
	SetTracking(true);
	SetMouseEventMask(B_POINTER_EVENTS, B_LOCK_WINDOW_FOCUS);
}

void
BButton::MouseMoved(BPoint where, uint32, const BMessage*)
{
	if (!IsTracking())
		return;
	SetValue(Bounds().Contains(where) ? B_CONTROL_ON : B_CONTROL_OFF);
}

void
BButton::MouseUp(BPoint where)
{
	if (!IsTracking())
		return;
	SetTracking(false);
	bool inside = Bounds().Contains(where);
	SetValue(B_CONTROL_OFF);
	if (inside)
		Invoke();
}

void
BButton::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER)) {
		if (IsEnabled())
			Invoke();
		return;
	}
	BControl::KeyDown(bytes, numBytes);
}

void
BButton::AttachedToWindow()
{
	BControl::AttachedToWindow();
	if (fDefault && Window()->DefaultButton() != this)
		Window()->SetDefaultButton(this);
}

void
BButton::GetPreferredSize(float* width, float* height)
{
	font_height fh;
	GetFontHeight(&fh);
	BFont font;
	GetFont(&font);
	float w = ceilf(StringWidth(Label() != NULL ? Label() : "")) + 20;
	if (w < 75)
		w = 75;
	float h = font.Size() + ceilf(fh.ascent + fh.descent);
	if (fDefault) {
		w += 6;
		h += 6;
	}
	if (width != NULL)
		*width = w;
	if (height != NULL)
		*height = h;
}

void
BButton::MakeDefault(bool flag)
{
	if (flag == fDefault)
		return;
	fDefault = flag;
	float grow = flag ? 3 : -3;
	MoveBy(-grow, -grow);
	ResizeBy(2 * grow, 2 * grow);
	if (Window() != NULL) {
		if (flag && Window()->DefaultButton() != this)
			Window()->SetDefaultButton(this);
		else if (!flag && Window()->DefaultButton() == this)
			Window()->SetDefaultButton(NULL);
		Invalidate();
	}
}
