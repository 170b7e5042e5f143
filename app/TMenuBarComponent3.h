#ifndef _TMENUBARCOMPONENT3_H
#define _TMENUBARCOMPONENT3_H

#include <MenuBar.h>

class BMenuItem;

// The small menu bar of the control strip: "MENU" opens the options window,
// the history, the about window and quits; "more..." checks for mail and starts the
// mail add-on, or starts the IRC add-on. Long work runs on threads of its
// own so the window stays responsive.
class TMenuBarComponent3 : public BMenuBar {
public:
	TMenuBarComponent3(BRect frame);

	void AttachedToWindow() override;
	void MessageReceived(BMessage* message) override;

	// Thread entries, each given the menu bar: the about window, the IRC
	// add-on, the mail add-on.
	static status_t folge_entry(void* bar);
	static status_t folge_entry2(void* bar);
	static status_t folge_entry3(void* bar);

private:
	void _CheckMail();
	static void _RunAddon(const char* relativePath);

	BMenuItem* fConnectItem;
	BMenuItem* fQuitItem;
	BMenuItem* fAboutItem;
	BMenuItem* fOptionItem;
	BMenuItem* fHistoryItem;
	BMenu* fFirstMenu;
	BMenuItem* fMailItem;
	BMenu* fSecondMenu;
};

// The commands of its items.
enum {
	kMenuOption = 'tion',
	kMenuAbout = 'bout',
	kMenuHistory = 'hist',
	kMenuQuit = 'tter',
	kMenuGetMail = 'Mail',
	kMenuConnectIrc = '_Irc',
};

#endif
