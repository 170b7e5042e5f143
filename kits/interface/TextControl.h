#ifndef _TEXT_CONTROL_H
#define _TEXT_CONTROL_H

#include <Control.h>
#include <TextView.h>

class BTextControlInput;

// A label left of the divider and a one-line text field right of it. Its
// message goes out when Enter is pressed or the field loses the focus, and
// only when the text changed since the field took the focus.
class BTextControl : public BControl {
public:
	BTextControl(BRect frame, const char* name, const char* label, const char* initialText,
		BMessage* message, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BTextControl();

	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void AttachedToWindow() override;
	void MakeFocus(bool focus = true) override;
	void WindowActivated(bool active) override;
	void FrameResized(float width, float height) override;
	void GetPreferredSize(float* width, float* height) override;
	void SetEnabled(bool enabled) override;
	void SetLabel(const char* label) override;

	virtual void SetText(const char* text);
	const char* Text() const;
	BTextView* TextView() const;

	// Sent (through Invoke) on every change of the text.
	virtual void SetModificationMessage(BMessage* message);
	BMessage* ModificationMessage() const { return fModificationMessage; }

	virtual void SetAlignment(alignment label, alignment text);
	void GetAlignment(alignment* label, alignment* text) const;
	virtual void SetDivider(float dividingLine);
	float Divider() const { return fDivider; }

private:
	friend class BTextControlInput;

	BRect _FieldFrame() const;
	float _LineHeight() const;
	void _LayoutField();
	void _Modified();

	BTextControlInput* fText = NULL;
	BMessage* fModificationMessage = NULL;
	float fDivider = 0;
	alignment fLabelAlignment = B_ALIGN_LEFT;
};

#endif
