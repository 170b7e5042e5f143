#ifndef MESSAGE_VIEW_H
#define MESSAGE_VIEW_H

#include <View.h>

class BButton;
class BTextControl;
class BTextView;

// The window's one view: the mail's fields, its beginning, and "OK" to go
// to the next one. Its constructor runs the scan.
class MessageView : public BView {
public:
	MessageView(BRect frame);

	void AttachedToWindow() override;
	void MessageReceived(BMessage* message) override;

	BButton* OKButton() const { return fOK; }

private:
	void _ShowNext();

	BTextView* fBody = NULL;
	BTextControl* fSender = NULL;
	BTextControl* fRecipient = NULL;
	BTextControl* fSubject = NULL;
	BButton* fOK = NULL;
};

#endif
