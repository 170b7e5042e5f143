#ifndef _MENU_H
#define _MENU_H

#include <List.h>
#include <Messenger.h>
#include <View.h>

#include <memory>

class BMenuItem;
struct MenuTracking;
class MenuWindow;

enum menu_layout {
	B_ITEMS_IN_ROW = 0,
	B_ITEMS_IN_COLUMN,
	B_ITEMS_IN_MATRIX,
};

// A list of items in a column or a row. A menu in a column is shown in a
// window of its own, above the others, while it is open (as a submenu, or a
// pop-up menu); a row is the menu bar of a window. Items are chosen with the
// mouse or the keys; the chosen item's message goes to its target once the
// menus are closed. Changing an open menu needs its window locked.
class BMenu : public BView {
public:
	BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual ~BMenu();

	void AttachedToWindow() override;
	void Draw(BRect updateRect) override;
	void GetPreferredSize(float* width, float* height) override;

	bool AddItem(BMenuItem* item);
	bool AddItem(BMenuItem* item, int32 index);
	// Wraps the menu in an item of its name.
	bool AddItem(BMenu* submenu);
	bool AddItem(BMenu* submenu, int32 index);
	bool AddSeparatorItem();
	// The item leaves the menu; it is not deleted.
	bool RemoveItem(BMenuItem* item);
	BMenuItem* RemoveItem(int32 index);
	bool RemoveItems(int32 index, int32 count, bool deleteItems = false);
	bool RemoveItem(BMenu* submenu);

	BMenuItem* ItemAt(int32 index) const;
	BMenu* SubmenuAt(int32 index) const;
	int32 CountItems() const { return fItems.CountItems(); }
	int32 IndexOf(BMenuItem* item) const;
	int32 IndexOf(BMenu* submenu) const;
	// Searches submenus too.
	BMenuItem* FindItem(const char* label) const;
	BMenuItem* FindItem(uint32 command) const;
	BMenuItem* FindMarked();

	virtual status_t SetTargetForItems(BHandler* target);
	virtual status_t SetTargetForItems(BMessenger messenger);
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;
	// At most one item marked; choosing an item marks it. Off also turns
	// label-from-marked off.
	virtual void SetRadioMode(bool on);
	bool IsRadioMode() const { return fRadioMode; }
	// The superitem shows the marked item's label; turns radio mode on.
	virtual void SetLabelFromMarked(bool on);
	bool IsLabelFromMarked() const { return fLabelFromMarked; }

	BMenu* Supermenu() const;
	BMenuItem* Superitem() const { return fSuperitem; }
	menu_layout Layout() const { return fLayout; }

	// Kit-private: the item highlighted, the submenu open, tracking.
	int32 _SelectedIndex() const { return fSelected; }
	BMenu* _OpenSubmenu() const { return fOpenSub; }
	void _TrackMouse(uint32 what, BPoint screen);
	void _TrackKey(const char* bytes);
	void _CloseSubmenu();
	void _InvalidateLayout();
	// The enabled item, here or in an enabled submenu, that a key with
	// these modifiers chooses; NULL if none.
	BMenuItem* _FindShortcut(char key, uint32 modifiers) const;

protected:
	BMenu(BRect frame, const char* name, uint32 resizingMode, uint32 flags, menu_layout layout,
		bool resizeToFit);

	// Opens the item's submenu in a window of its own, below a title of a
	// row or beside an item of a column; selects its first item when asked.
	void _Open(int32 index, bool selectFirst);
	void _Select(int32 index, bool openSubmenu, bool selectFirstOfSubmenu = false);
	void _OpenAt(BPoint screen, const std::shared_ptr<MenuTracking>& tracking,
		bool selectFirst);
	void _CloseWindow();
	int32 _IndexAt(BPoint where) const;
	void _Layout();
	void _DrawBackground(BRect updateRect);
	bool _Selectable(int32 index) const;
	int32 _NextSelectable(int32 from, int32 step) const;
	BMenu* _Root();
	void _MarkChanged(BMenuItem* item);

	std::shared_ptr<MenuTracking> fTracking;

private:
	friend class BMenuItem;
	friend class BMenuBar;
	friend class BPopUpMenu;
	friend class MenuWindow;

	void _InitData(menu_layout layout);

	BList fItems;
	menu_layout fLayout;
	BMenuItem* fSuperitem = NULL;
	BMenu* fOpenSub = NULL;
	MenuWindow* fMenuWindow = NULL;
	int32 fSelected = -1;
	bool fEnabled = true;
	bool fRadioMode = false;
	bool fLabelFromMarked = false;
	bool fResizeToFit = true;
	bool fLayoutValid = false;
	float fPreferredWidth = 0;
	float fPreferredHeight = 0;
};

#endif
