#ifndef SENDOLO_TVIEW2_H
#define SENDOLO_TVIEW2_H

#include <View.h>

#include <atomic>

class BButton;
class BCheckBox;
class BTextControl;
class BTextView;

// Mail mode, program-wide: false when the view is built, flipped by every
// message of the check box. The send thread reads it, so it is atomic.
extern std::atomic<bool> uneVariableBienPratique;

// The sender form: the send button, the mail-mode check box, the sender
// (subject) and destination fields, the picture and the message area.
class TView2 : public BView {
public:
	TView2(BRect frame, int32 windowOnly);

	void AttachedToWindow() override;
	void MessageReceived(BMessage* message) override;

private:
	friend int32 folge_entry(void* data);

	void _StartSend();

	BButton* fSend;
	BCheckBox* fMailMode;
	BTextControl* fSender;
	BTextControl* fDestination;
	BTextView* fMessage;
	int32 fWindowOnly;
};

// The send thread: works on copies of the fields and sends them as a
// pop-up or, in mail mode, as an e-mail.
int32 folge_entry(void* data);

#endif
