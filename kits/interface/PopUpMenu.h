#ifndef _POP_UP_MENU_H
#define _POP_UP_MENU_H

#include <Menu.h>

// A menu that opens where it is asked to, in a window of its own.
class BPopUpMenu : public BMenu {
public:
	BPopUpMenu(const char* name, bool radioMode = true, bool labelFromMarked = true,
		menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual ~BPopUpMenu();

	// Opens the menu with its left-top corner at where (screen coordinates).
	// Synchronous: waits until an item is chosen or the menu is dismissed
	// and answers the item or NULL; with deliversMessage the item also
	// sends its message. Asynchronous: answers NULL at once; the item's
	// message is sent when deliversMessage. A release of the button that
	// opened it closes the menu unless openAnyway, or unless it happens in
	// clickToOpen (screen coordinates).
	BMenuItem* Go(BPoint where, bool deliversMessage = false, bool openAnyway = false,
		bool async = false);
	BMenuItem* Go(BPoint where, bool deliversMessage, bool openAnyway, BRect clickToOpen,
		bool async = false);

	// An asynchronous pop-up deletes itself once it has closed.
	void SetAsyncAutoDestruct(bool on) { fAutoDestruct = on; }
	bool AsyncAutoDestruct() const { return fAutoDestruct; }

private:
	struct AsyncGo;

	BMenuItem* _Go(BPoint where, bool deliversMessage, bool openAnyway, BRect clickToOpen,
		bool haveRect);
	static status_t _AsyncThread(void* data);

	bool fAutoDestruct = false;
};

#endif
