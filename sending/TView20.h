#ifndef _TVIEW20_H
#define _TVIEW20_H

#include <String.h>
#include <View.h>

class BButton;
class BTextView;

// The private popup window's view: the received text above, the answer
// below, and SEND, which sends the answer on a thread of its own.
class TView20 : public BView {
public:
	TView20(BRect frame, const char* text, const char* correspondent,
		const char* arrival = NULL);

	void AttachedToWindow() override;
	void MessageReceived(BMessage* message) override;

	const char* Correspondent() const { return fCorrespondent.String(); }
	// "alice · 14:03" above the received text; empty without a correspondent.
	const char* Caption() const { return fCaption.String(); }

private:
	BTextView* fWrite = NULL;
	BTextView* fRead = NULL;
	BButton* fSend = NULL;
	BString fCorrespondent;
	BString fCaption;
};

// The body of the "et hop" send thread; takes ownership of its argument,
// which TView20 makes when SEND is handled.
int32 folge_entry(void* job);

#endif
