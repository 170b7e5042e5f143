#include <Control.h>

#include <Looper.h>
#include <Message.h>
#include <OS.h>
#include <Window.h>

#include <ControlLook.h>

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags),
	  BInvoker(message, NULL, NULL),
	  fLabel(label),
	  fNavigable((flags & B_NAVIGABLE) != 0)
{
	SetViewColor(control_look().Panel());
	SetLowColor(control_look().Panel());
}

BControl::~BControl()
{
}

void
BControl::AttachedToWindow()
{
	// R5 controls take the colour of the panel they sit on.
	if (Parent() != NULL && Parent()->ViewColor() != B_TRANSPARENT_COLOR) {
		SetViewColor(Parent()->ViewColor());
		SetLowColor(Parent()->ViewColor());
	}
	if (!Messenger().IsValid() && Target() == NULL)
		SetTarget(Window());
	BView::AttachedToWindow();
}

void
BControl::DetachedFromWindow()
{
	BView::DetachedFromWindow();
}

void
BControl::MakeFocus(bool focus)
{
	// The window calls this on the view losing the focus after it has moved
	// the focus on, so redraw whichever way it goes.
	fFocusChanging = true;
	BView::MakeFocus(focus);
	fFocusChanging = false;
	if (Window() != NULL)
		Invalidate();
}

void
BControl::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER) && IsEnabled()) {
		SetValue(Value() != B_CONTROL_OFF ? B_CONTROL_OFF : B_CONTROL_ON);
		Invoke();
		return;
	}
	BView::KeyDown(bytes, numBytes);
}

void
BControl::MessageReceived(BMessage* message)
{
	BView::MessageReceived(message);
}

void
BControl::WindowActivated(bool active)
{
	if (IsFocus())
		Invalidate();
	BView::WindowActivated(active);
}

void
BControl::SetLabel(const char* label)
{
	if (fLabel == (label != NULL ? label : ""))
		return;
	fLabel = label;
	if (Window() != NULL)
		Invalidate();
}

void
BControl::SetValue(int32 value)
{
	if (value == fValue)
		return;
	fValue = value;
	if (Window() != NULL)
		Invalidate();
}

void
BControl::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	// A disabled control is passed over by Tab.
	if (fNavigable)
		SetFlags(enabled ? Flags() | B_NAVIGABLE : Flags() & ~B_NAVIGABLE);
	if (!enabled && IsFocus())
		MakeFocus(false);
	if (Window() != NULL)
		Invalidate();
}

status_t
BControl::Invoke(BMessage* message)
{
	if (message == NULL)
		message = Message();
	if (message == NULL)
		return B_BAD_VALUE;
	BMessage copy(*message);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	copy.AddInt32("be:value", fValue);
	return BInvoker::Invoke(&copy);
}

uint32
BControl::_LookFlags(bool activated) const
{
	uint32 flags = 0;
	if (!IsEnabled())
		flags |= ControlLook::kDisabled;
	if (IsFocus() && Window() != NULL && Window()->IsActive())
		flags |= ControlLook::kFocused;
	if (activated)
		flags |= ControlLook::kActivated;
	return flags;
}
