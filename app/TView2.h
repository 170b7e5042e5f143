#ifndef _TVIEW2_H
#define _TVIEW2_H

#include <View.h>

class BButton;
class BCheckBox;
class TMenuBarComponent3;

// The control strip at the top of the main window: the skin picture with
// CLEAR, REPLY, SEND, the "AWAY mode" check box, the menu bar and a second
// picture. CLEAR, REPLY and AWAY mode go to the window; SEND starts the
// sender add-on here, on a thread of its own.
class TView2 : public BView {
public:
	TView2(BRect frame);

	void AttachedToWindow() override;
	void MessageReceived(BMessage* message) override;

	// The sending thread: runs "addon/Sendolo" of the install tree and waits
	// for it.
	static status_t envoiBienDuCon(void* view);

private:
	BCheckBox* fAwayBox;
	BButton* fClearButton;
	BButton* fReplyButton;
	BButton* fSendButton;
	TMenuBarComponent3* fMenuBar;
};

// The strip's commands.
enum {
	kStripClear = 'lear',
	kStripReply = 'pply',
	kStripSend = 'send',
	kStripAway = 'ondi',
};

#endif
