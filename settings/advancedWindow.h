#ifndef _ADVANCED_WINDOW_H
#define _ADVANCED_WINDOW_H

#include <Window.h>

class BTextControl;

// The IRC options window: the IRC add-on's nicknames, identity, server and
// port, and its own frame, kept in "ircADDon_Settings". It shows itself.
class advancedWindow : public BWindow {
public:
	advancedWindow();

	void MessageReceived(BMessage* message) override;

	void RestoreSettings2();
	status_t SaveSettings2();

private:
	BView* fBackground = NULL;
	BTextControl* fNick = NULL;
	BTextControl* fAltNick = NULL;
	BTextControl* fIdent = NULL;
	BTextControl* fName = NULL;
	BTextControl* fServer = NULL;
	BTextControl* fPort = NULL;
};

#endif
