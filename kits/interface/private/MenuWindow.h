#ifndef _MENU_WINDOW_H
#define _MENU_WINDOW_H

#include <Messenger.h>
#include <OS.h>
#include <Window.h>

#include <atomic>
#include <vector>

class BMenu;
class BMenuItem;

// Messages between the open menus and whoever opened them.
enum {
	kMenuTrackingEnded = '_MTE', // to the menu bar: close, then deliver the chosen item
	kMenuNavigate = '_MNV',      // to the menu bar: "index" or "delta" of the title to open
	kMenuCloseSubmenu = '_MCS',  // to a menu window: close the submenu open from it
};

// One opening of a menu and its submenus, shared by all of them.
struct MenuTracking {
	// Who closes the menus when they are done: a menu bar (told by
	// kMenuTrackingEnded) or a waiting Go() (its semaphore).
	BMessenger bar;
	sem_id done = -1;
	std::atomic<bool> finished{false};
	std::atomic<BMenuItem*> chosen{NULL};
	// A release of the opening press here keeps the menus open.
	BRect clickToOpen;
	bool haveClickToOpen = false;
	bool openAnyway = false;
	std::atomic<bool> released{false};
	// The menu bar's titles (screen) and the one open.
	std::vector<BRect> titles;
	int32 title = -1;

	// From any menu's thread: the menus are to close, with item chosen or
	// NULL. The first call counts.
	void Finish(BMenuItem* item);
};

// The borderless window an open menu lives in.
class MenuWindow : public BWindow {
public:
	MenuWindow(BMenu* menu, BPoint where);
	virtual ~MenuWindow();

	void DispatchMessage(BMessage* message, BHandler* handler) override;
	BMenu* Menu() const { return fMenu; }
	// Takes the menu out again, window locked.
	void DetachMenu();

private:
	BMenu* fMenu;
};

#endif
