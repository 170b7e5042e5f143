#include "TMenuBarComponent3.h"

#include "AddonLauncher.h"
#include "HistoryWindow.h"

#include <UptimeWindow.h>

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <E-mail.h>
#include <MenuItem.h>
#include <OS.h>
#include <Window.h>

#include <TWindow12.h>

#include <stdio.h>

TMenuBarComponent3::TMenuBarComponent3(BRect frame)
	: BMenuBar(frame, "MenuBar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_ITEMS_IN_ROW, true)
{
	fFirstMenu = new BMenu("MENU", B_ITEMS_IN_COLUMN);
	fOptionItem = new BMenuItem("Option", new BMessage(kMenuOption));
	fHistoryItem = new BMenuItem("History\xE2\x80\xA6", new BMessage(kMenuHistory), 'H');
	fAboutItem = new BMenuItem("About", new BMessage(kMenuAbout));
	fQuitItem = new BMenuItem("Quit", new BMessage(kMenuQuit));
	fFirstMenu->AddItem(fOptionItem);
	fFirstMenu->AddItem(fHistoryItem);
	fFirstMenu->AddItem(fAboutItem);
	fFirstMenu->AddSeparatorItem();
	fFirstMenu->AddItem(fQuitItem);
	AddItem(fFirstMenu);

	fSecondMenu = new BMenu("more...", B_ITEMS_IN_COLUMN);
	fMailItem = new BMenuItem("Get Mail", new BMessage(kMenuGetMail));
	fConnectItem = new BMenuItem("connect irc", new BMessage(kMenuConnectIrc));
	fSecondMenu->AddItem(fMailItem);
	fSecondMenu->AddItem(fConnectItem);
	AddItem(fSecondMenu);
}

void
TMenuBarComponent3::AttachedToWindow()
{
	fConnectItem->SetTarget(this);
	fMailItem->SetTarget(this);
	fOptionItem->SetTarget(this);
	fHistoryItem->SetTarget(this);
	fAboutItem->SetTarget(this);
	fQuitItem->SetTarget(this);
	BMenuBar::AttachedToWindow();
}

void
TMenuBarComponent3::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMenuOption:
			(new TWindow12("Option Window", BRect(35, 229, 457, 600)))->Show();
			break;
		case kMenuHistory:
			HistoryWindow::Open(BMessenger(Window()));
			break;
		case kMenuQuit:
			if (be_app != NULL)
				be_app->PostMessage(B_QUIT_REQUESTED);
			break;
		case kMenuGetMail:
			_CheckMail();
			break;
		case kMenuConnectIrc:
			resume_thread(spawn_thread(folge_entry2, "Irc ADDON", B_NORMAL_PRIORITY, this));
			break;
		case kMenuAbout:
			resume_thread(spawn_thread(folge_entry, "et hop", B_NORMAL_PRIORITY, this));
			break;
		default:
			// The menu bar's own tracking messages; anything else is ignored.
			BMenuBar::MessageReceived(message);
			break;
	}
}

void
TMenuBarComponent3::_CheckMail()
{
	puts("mail fonction started");
	fflush(stdout);
	status_t status = check_for_mail(NULL);
	const char* text = NULL;
	// B_OK only says the daemon has checked: whether anything came is for
	// the mail add-on to show, so it gets no alert of its own.
	switch (status) {
		case B_MAIL_NO_DAEMON:
			text = "The mail daemon isn't running";
			break;
		case B_MAIL_UNKNOWN_USER:
			text = "The POP server doesn't recognize the user name";
			break;
		case B_MAIL_WRONG_PASSWORD:
			text = "The POP server doesn't recognize the password";
			break;
		case B_MAIL_UNKNOWN_HOST:
			text = "The POP or SMTP server can't be found";
			break;
		case B_MAIL_ACCESS_ERROR:
			text = "The connection to the POP or SMTP server failed";
			break;
	}
	// Waits on this window's thread, which keeps drawing meanwhile.
	if (text != NULL)
		(new BAlert("", text, "OK", NULL, NULL, B_WIDTH_AS_USUAL, B_INFO_ALERT))->Go();
	puts("mail fonction return");
	fflush(stdout);
	// The mail add-on starts whatever the check said.
	resume_thread(spawn_thread(folge_entry3, "Mail ADDON", B_NORMAL_PRIORITY, this));
}

void
TMenuBarComponent3::_RunAddon(const char* relativePath)
{
	BString path = addon_path(relativePath);
	puts(path.String());
	fflush(stdout);
	// A missing add-on only ends the thread, as before.
	run_addon(path.String());
}

status_t
TMenuBarComponent3::folge_entry(void*)
{
	// Keeps this thread until the about window closes and its tune stops.
	UptimeWindow::AboutSequence();
	return 0;
}

status_t
TMenuBarComponent3::folge_entry2(void*)
{
	_RunAddon("addon/IRC");
	return 0;
}

status_t
TMenuBarComponent3::folge_entry3(void*)
{
	_RunAddon("addon/Letterol");
	return 0;
}
