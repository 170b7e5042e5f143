#ifndef _MENU_BAR_H
#define _MENU_BAR_H

#include <Menu.h>

// The row of menu titles at the top of a window. A press on a title opens
// its menu below it; releasing on the title keeps it open, dragging to an
// item and releasing chooses it. Left and right move between the menus.
class BMenuBar : public BMenu {
public:
	BMenuBar(BRect frame, const char* name,
		uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
	virtual ~BMenuBar();

	void AttachedToWindow() override;
	void DetachedFromWindow() override;
	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MessageReceived(BMessage* message) override;

	// Kit-private: opens the menu of that title as a press would.
	void _OpenMenu(int32 index, bool selectFirst);
	void _CloseMenus();

private:
	friend class BMenu;

	void _FitToItems();
};

#endif
