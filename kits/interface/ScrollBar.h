#ifndef _SCROLL_BAR_H
#define _SCROLL_BAR_H

#include <View.h>

#include <memory>

class BMessageRunner;

// A bar with an arrow at each end and a thumb between; its value scrolls
// the target view, and the target's scrolling moves the thumb. Clicking an
// arrow moves by the small step, clicking the track beside the thumb by the
// big step, and holding the button down repeats either; the thumb can be
// dragged. With an empty range it is disabled.
class BScrollBar : public BView {
public:
	BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
		orientation direction);
	virtual ~BScrollBar();

	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
	void MouseUp(BPoint where) override;
	void AttachedToWindow() override;
	void DetachedFromWindow() override;
	void MessageReceived(BMessage* message) override;

	// Called when the value changed; scrolls the target.
	virtual void ValueChanged(float newValue);

	void SetValue(float value);
	float Value() const { return fValue; }
	// How much of the target shows, 0 to 1; it sizes the thumb.
	void SetProportion(float proportion);
	float Proportion() const { return fProportion; }
	void SetRange(float min, float max);
	void GetRange(float* min, float* max) const;
	void SetSteps(float smallStep, float largeStep);
	void GetSteps(float* smallStep, float* largeStep) const;
	void SetTarget(BView* target);
	void SetTarget(const char* targetName);
	BView* Target() const { return fTarget; }
	orientation Orientation() const { return fOrientation; }

private:
	friend class BView;

	enum part { kNone, kDecrement, kIncrement, kPageUp, kPageDown, kThumb };

	BRect _DecrementFrame() const;
	BRect _IncrementFrame() const;
	BRect _TrackFrame() const;
	BRect _ThumbFrame() const;
	float _Along(BPoint point) const;
	bool _Enabled() const { return fMax > fMin; }
	void _Repeat();
	void _StopRepeating();

	BView* fTarget = NULL;
	orientation fOrientation;
	float fValue = 0;
	float fMin = 0;
	float fMax = 0;
	float fProportion = 0;
	float fSmallStep = 1;
	float fLargeStep = 10;
	part fPressed = kNone;
	float fGrab = 0;
	BPoint fPointer;
	int32 fPress = 0; // tells a repeat of this press from a late one
	std::unique_ptr<BMessageRunner> fRepeater;
	bool fSettingValue = false;
};

#endif
