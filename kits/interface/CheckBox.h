#ifndef _CHECK_BOX_H
#define _CHECK_BOX_H

#include <Control.h>

// A box with a mark and a label to its right; a click (anywhere on it)
// toggles the value between B_CONTROL_OFF and B_CONTROL_ON and sends the
// message. A frame lower than the label needs grows to the height it needs.
class BCheckBox : public BControl {
public:
	BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BCheckBox();

	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
	void MouseUp(BPoint where) override;
	void GetPreferredSize(float* width, float* height) override;

private:
	BRect _ContentFrame() const;
	BRect _BoxFrame() const;
	float _NeededHeight() const;

	bool fOutlined = false;
};

#endif
