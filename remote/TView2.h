#ifndef FARCALL_TVIEW2_H
#define FARCALL_TVIEW2_H

#include <View.h>

class BButton;
class BTextControl;

// The form: a connect button, the address, login and password fields and
// the picture.
class TView2 : public BView {
public:
	TView2(BRect frame);
	void AttachedToWindow() override;
	void MessageReceived(BMessage* message) override;

private:
	BButton* fConnect;
	BTextControl* fAddress;
	BTextControl* fLogin;
	BTextControl* fPassword;
};

#endif
