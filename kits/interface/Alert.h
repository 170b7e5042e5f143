#ifndef _ALERT_H
#define _ALERT_H

#include <Window.h>

class BBitmap;
class BButton;
class BInvoker;

enum alert_type {
	B_EMPTY_ALERT = 0,
	B_INFO_ALERT,
	B_IDEA_ALERT,
	B_WARNING_ALERT,
	B_STOP_ALERT,
};

enum button_width {
	B_WIDTH_AS_USUAL = 0,
	B_WIDTH_FROM_WIDEST,
	B_WIDTH_FROM_LABEL,
};

enum button_spacing {
	B_EVEN_SPACING = 0,
	B_OFFSET_SPACING,
};

// A modal window with a text, an icon and one to three buttons. Made with
// new; it deletes itself once a button has been pressed. Buttons are
// indexed 0 to 2 from left to right; the last one is the default (Enter).
class BAlert : public BWindow {
public:
	BAlert(const char* title, const char* text, const char* button1, const char* button2 = NULL,
		const char* button3 = NULL, button_width width = B_WIDTH_AS_USUAL,
		alert_type type = B_INFO_ALERT);
	BAlert(const char* title, const char* text, const char* button1, const char* button2,
		const char* button3, button_width width, button_spacing spacing,
		alert_type type = B_INFO_ALERT);
	virtual ~BAlert();

	void DispatchMessage(BMessage* message, BHandler* handler) override;
	void MessageReceived(BMessage* message) override;

	// A key (its first byte, e.g. B_ESCAPE) that presses the button.
	void SetShortcut(int32 index, char key);
	char Shortcut(int32 index) const;

	// Shows the alert and waits for a button; answers its index, or -1 when
	// the alert went away without one. Called on a window's thread, that
	// window keeps drawing meanwhile.
	int32 Go();
	// Shows the alert and returns at once. On a button, a copy of the
	// invoker's message with the int32 "which" (the button's index) is sent
	// through it. The alert owns the invoker; NULL sends nothing.
	status_t Go(BInvoker* invoker);

	BButton* ButtonAt(int32 index) const;
	int32 CountButtons() const { return fButtonCount; }
	const char* Text() const;
	alert_type AlertType() const { return fType; }

	// Where an alert of that size goes: the middle of the screen.
	static BRect AlertPosition(float width, float height);

private:
	struct Waiter;

	void _Init(const char* text, const char* button1, const char* button2, const char* button3,
		button_width width, button_spacing spacing, alert_type type);
	void _Layout(button_width width, button_spacing spacing);
	void _Show();
	void _Pressed(int32 index);
	static void _ServeUpdates(BWindow* window);

	alert_type fType = B_INFO_ALERT;
	BView* fBackground = NULL;
	BView* fTextView = NULL;
	BButton* fButtons[3] = {NULL, NULL, NULL};
	char fShortcuts[3] = {0, 0, 0};
	int32 fButtonCount = 0;
	BInvoker* fInvoker = NULL;
	Waiter* fWaiter = NULL;
	bool fDone = false;
};

#endif
