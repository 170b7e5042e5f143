#ifndef _BUTTON_H
#define _BUTTON_H

#include <Control.h>

// A push button: sends its message when clicked, or when Space or Enter is
// pressed while it has the focus. The default button of a window also
// answers Enter anywhere in the window.
class BButton : public BControl {
public:
	BButton(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BButton();

	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
	void MouseUp(BPoint where) override;
	void KeyDown(const char* bytes, int32 numBytes) override;
	void AttachedToWindow() override;
	void GetPreferredSize(float* width, float* height) override;

	// As on R5, a default button grows by three pixels on every side for
	// its thick frame, and shrinks back when it is no longer the default.
	virtual void MakeDefault(bool flag);
	bool IsDefault() const { return fDefault; }

private:
	bool fDefault = false;
};

#endif
