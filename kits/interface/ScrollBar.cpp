#include <ScrollBar.h>

#include <MessageRunner.h>
#include <Window.h>

#include <ControlLook.h>

#include <math.h>

#include <algorithm>

static const float kMinThumb = 15;
static const uint32 kRepeatStep = '_SBR';
// As long as a held key waits before it repeats, then about 20 steps a
// second.
static const bigtime_t kRepeatDelay = 300000;
static const bigtime_t kRepeatInterval = 50000;

BScrollBar::BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
	orientation direction)
	: BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW | B_FRAME_EVENTS | B_FULL_UPDATE_ON_RESIZE),
	  fOrientation(direction),
	  fMin(min),
	  fMax(max > min ? max : min)
{
	SetViewColor(control_look().Panel());
	SetTarget(target);
}

BScrollBar::~BScrollBar()
{
	_StopRepeating();
	SetTarget((BView*)NULL);
}

void
BScrollBar::AttachedToWindow()
{
	BView::AttachedToWindow();
}

void
BScrollBar::Draw(BRect)
{
	ControlLook& look = control_look();
	uint32 flags = _Enabled() ? 0 : ControlLook::kDisabled;
	BRect bounds = Bounds();
	look.DrawPlainFrame(this, bounds, 0);
	bool vertical = fOrientation == B_VERTICAL;
	look.DrawArrowButton(this, _DecrementFrame(),
		vertical ? ControlLook::kUpArrow : ControlLook::kLeftArrow,
		flags | (fPressed == kDecrement ? ControlLook::kActivated : 0));
	look.DrawArrowButton(this, _IncrementFrame(),
		vertical ? ControlLook::kDownArrow : ControlLook::kRightArrow,
		flags | (fPressed == kIncrement ? ControlLook::kActivated : 0));
	look.DrawScrollBarTrack(this, _TrackFrame(), flags);
	if (_Enabled()) {
		look.DrawScrollBarThumb(this, _ThumbFrame(), fOrientation,
			fPressed == kThumb ? ControlLook::kActivated : 0);
	}
}

void
BScrollBar::MouseDown(BPoint where)
{
	if (!_Enabled())
		return;
	BRect thumb = _ThumbFrame();
	if (_DecrementFrame().Contains(where)) {
		fPressed = kDecrement;
		SetValue(fValue - fSmallStep);
	} else if (_IncrementFrame().Contains(where)) {
		fPressed = kIncrement;
		SetValue(fValue + fSmallStep);
	} else if (thumb.Contains(where)) {
		fPressed = kThumb;
		fGrab = _Along(where) - _Along(thumb.LeftTop());
	} else if (_TrackFrame().Contains(where)) {
		bool before = _Along(where) < _Along(thumb.LeftTop());
		fPressed = before ? kPageUp : kPageDown;
		SetValue(fValue + (before ? -fLargeStep : fLargeStep));
	} else
		return;
	Invalidate();
	SetMouseEventMask(B_POINTER_EVENTS, B_LOCK_WINDOW_FOCUS);
	fPointer = where;
	fPress++;
	if (fPressed != kThumb) {
		// The first step waits longer; the step's handler then speeds it up.
		BMessage step(kRepeatStep);
		step.AddInt32("press", fPress);
		fRepeater = std::make_unique<BMessageRunner>(BMessenger(this), &step, kRepeatDelay);
	}
}

void
BScrollBar::MouseMoved(BPoint where, uint32, const BMessage*)
{
	fPointer = where;
	if (fPressed != kThumb)
		return;
	BRect track = _TrackFrame();
	BRect thumb = _ThumbFrame();
	bool vertical = fOrientation == B_VERTICAL;
	float room = (vertical ? track.Height() - thumb.Height() : track.Width() - thumb.Width());
	if (room <= 0)
		return;
	float position = _Along(where) - fGrab - (vertical ? track.top : track.left);
	SetValue(roundf(fMin + position / room * (fMax - fMin)));
}

void
BScrollBar::MouseUp(BPoint)
{
	_StopRepeating();
	if (fPressed == kNone)
		return;
	fPressed = kNone;
	Invalidate();
}

void
BScrollBar::DetachedFromWindow()
{
	_StopRepeating();
	fPressed = kNone;
	BView::DetachedFromWindow();
}

void
BScrollBar::MessageReceived(BMessage* message)
{
	if (message->what != kRepeatStep) {
		BView::MessageReceived(message);
		return;
	}
	// A step still queued after the release names an older press.
	int32 press = -1;
	if (message->FindInt32("press", &press) != B_OK || press != fPress || !fRepeater)
		return;
	bigtime_t interval = 0;
	if (fRepeater->GetInfo(&interval, NULL) == B_OK && interval != kRepeatInterval)
		fRepeater->SetInterval(kRepeatInterval);
	_Repeat();
}

void
BScrollBar::_Repeat()
{
	// Only while the pointer stays on the arrow, or until the thumb has
	// come to the pointer.
	switch (fPressed) {
		case kDecrement:
			if (_DecrementFrame().Contains(fPointer))
				SetValue(fValue - fSmallStep);
			break;
		case kIncrement:
			if (_IncrementFrame().Contains(fPointer))
				SetValue(fValue + fSmallStep);
			break;
		case kPageUp:
			if (_TrackFrame().Contains(fPointer) && _Along(fPointer) < _Along(_ThumbFrame().LeftTop()))
				SetValue(fValue - fLargeStep);
			break;
		case kPageDown:
			if (_TrackFrame().Contains(fPointer)
				&& _Along(fPointer) > _Along(_ThumbFrame().RightBottom()))
				SetValue(fValue + fLargeStep);
			break;
		default:
			break;
	}
}

void
BScrollBar::_StopRepeating()
{
	fRepeater.reset();
}

void
BScrollBar::ValueChanged(float newValue)
{
	if (fTarget == NULL)
		return;
	BRect bounds = fTarget->Bounds();
	if (fOrientation == B_VERTICAL)
		fTarget->ScrollTo(bounds.left, newValue);
	else
		fTarget->ScrollTo(newValue, bounds.top);
}

void
BScrollBar::SetValue(float value)
{
	value = std::clamp(value, fMin, fMax);
	if (value == fValue)
		return;
	fValue = value;
	if (Window() != NULL)
		Invalidate();
	// The target's ScrollTo() sets the value back; once is enough.
	if (fSettingValue)
		return;
	fSettingValue = true;
	ValueChanged(value);
	fSettingValue = false;
}

void
BScrollBar::SetProportion(float proportion)
{
	proportion = std::clamp(proportion, 0.0f, 1.0f);
	if (proportion == fProportion)
		return;
	fProportion = proportion;
	if (Window() != NULL)
		Invalidate();
}

void
BScrollBar::SetRange(float min, float max)
{
	if (max < min)
		max = min;
	if (min == fMin && max == fMax)
		return;
	fMin = min;
	fMax = max;
	if (Window() != NULL)
		Invalidate();
	SetValue(fValue);
}

void
BScrollBar::GetRange(float* min, float* max) const
{
	if (min != NULL)
		*min = fMin;
	if (max != NULL)
		*max = fMax;
}

void
BScrollBar::SetSteps(float smallStep, float largeStep)
{
	fSmallStep = smallStep;
	fLargeStep = largeStep;
}

void
BScrollBar::GetSteps(float* smallStep, float* largeStep) const
{
	if (smallStep != NULL)
		*smallStep = fSmallStep;
	if (largeStep != NULL)
		*largeStep = fLargeStep;
}

void
BScrollBar::SetTarget(BView* target)
{
	if (fTarget != NULL) {
		BScrollBar*& slot = fOrientation == B_VERTICAL ? fTarget->fVerScroller
													   : fTarget->fHorScroller;
		if (slot == this)
			slot = NULL;
	}
	fTarget = target;
	if (target != NULL) {
		BScrollBar*& slot = fOrientation == B_VERTICAL ? target->fVerScroller
													   : target->fHorScroller;
		if (slot != NULL && slot != this)
			slot->fTarget = NULL;
		slot = this;
	}
}

void
BScrollBar::SetTarget(const char* targetName)
{
	if (targetName == NULL || Window() == NULL)
		return;
	SetTarget(Window()->FindView(targetName));
}

float
BScrollBar::_Along(BPoint point) const
{
	return fOrientation == B_VERTICAL ? point.y : point.x;
}

BRect
BScrollBar::_DecrementFrame() const
{
	BRect inside = Bounds().InsetByCopy(1, 1);
	if (fOrientation == B_VERTICAL)
		return BRect(inside.left, inside.top, inside.right, inside.top + inside.Width());
	return BRect(inside.left, inside.top, inside.left + inside.Height(), inside.bottom);
}

BRect
BScrollBar::_IncrementFrame() const
{
	BRect inside = Bounds().InsetByCopy(1, 1);
	if (fOrientation == B_VERTICAL)
		return BRect(inside.left, inside.bottom - inside.Width(), inside.right, inside.bottom);
	return BRect(inside.right - inside.Height(), inside.top, inside.right, inside.bottom);
}

BRect
BScrollBar::_TrackFrame() const
{
	BRect inside = Bounds().InsetByCopy(1, 1);
	if (fOrientation == B_VERTICAL) {
		inside.top = _DecrementFrame().bottom + 1;
		inside.bottom = _IncrementFrame().top - 1;
	} else {
		inside.left = _DecrementFrame().right + 1;
		inside.right = _IncrementFrame().left - 1;
	}
	return inside;
}

BRect
BScrollBar::_ThumbFrame() const
{
	BRect track = _TrackFrame();
	bool vertical = fOrientation == B_VERTICAL;
	float length = (vertical ? track.Height() : track.Width()) + 1;
	float size = fProportion > 0 ? floorf(length * fProportion) : kMinThumb;
	size = std::min(std::max(size, kMinThumb), length);
	float position = fMax > fMin ? floorf((fValue - fMin) / (fMax - fMin) * (length - size)) : 0;
	if (vertical)
		return BRect(track.left, track.top + position, track.right, track.top + position + size - 1);
	return BRect(track.left + position, track.top, track.left + position + size - 1, track.bottom);
}
