#ifndef _CONTROL_H
#define _CONTROL_H

#include <Invoker.h>
#include <String.h>
#include <View.h>

enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1,
	B_CONTROL_PARTIALLY_ON = 2,
};

// A view with a label and a value that sends its message when used. Its
// target is the window unless another is set.
class BControl : public BView, public BInvoker {
public:
	BControl(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode, uint32 flags);
	virtual ~BControl();

	void AttachedToWindow() override;
	void DetachedFromWindow() override;
	void MakeFocus(bool focus = true) override;
	void KeyDown(const char* bytes, int32 numBytes) override;
	void MessageReceived(BMessage* message) override;
	void WindowActivated(bool active) override;

	virtual void SetLabel(const char* label);
	const char* Label() const { return fLabel.Length() > 0 ? fLabel.String() : NULL; }
	virtual void SetValue(int32 value);
	int32 Value() const { return fValue; }
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const { return fEnabled; }

	// Adds "when", "source" (this control) and "be:value" to the copy sent.
	status_t Invoke(BMessage* message = NULL) override;

protected:
	bool IsFocusChanging() const { return fFocusChanging; }
	bool IsTracking() const { return fTracking; }
	void SetTracking(bool state) { fTracking = state; }
	void SetValueNoUpdate(int32 value) { fValue = value; }
	// The state the control look wants: enabled, focused (in an active
	// window), activated.
	uint32 _LookFlags(bool activated) const;

private:
	BString fLabel;
	int32 fValue = B_CONTROL_OFF;
	bool fEnabled = true;
	bool fTracking = false;
	bool fFocusChanging = false;
	bool fNavigable = false;
};

#endif
