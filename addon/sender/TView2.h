#ifndef SENDOLO_TVIEW2_H
#define SENDOLO_TVIEW2_H

#include <String.h>
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
	void _ReadMachines();
	void _ShowMachines(BMessage* list);

	BButton* fSend;
	BCheckBox* fMailMode;
	BTextControl* fSender;
	BTextControl* fDestination;
	BTextView* fMessage;
	// Opens the menu of the machines around; disabled while it reads them.
	BButton* fMachines;
	// The workgroup from the options; empty: Samba's own.
	BString fGroup;
	int32 fWindowOnly;
};

// The machines of the workgroup, read on a thread of their own so that the
// window never waits on the network; the list goes back as kMachinesRead.
int32 machines_entry(void* data);

// The send thread: works on copies of the fields and sends them as a
// pop-up or, in mail mode, as an e-mail.
int32 folge_entry(void* data);

#endif
