#ifndef _MENU_ITEM_H
#define _MENU_ITEM_H

#include <Invoker.h>
#include <Rect.h>
#include <String.h>

class BMenu;

namespace BPrivate {
class WindowInput;
}

// One entry of a menu: a label with an optional shortcut and mark, or the
// title of a submenu. The menu owns its items, an item its submenu.
class BMenuItem : public BInvoker {
public:
	BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
	BMenuItem(BMenu* submenu, BMessage* message = NULL);
	virtual ~BMenuItem();

	virtual void SetLabel(const char* label);
	virtual void SetEnabled(bool enabled);
	virtual void SetMarked(bool marked);
	// The command key is always implied; modifiers are dropped without a key.
	virtual void SetShortcut(char shortcut, uint32 modifiers);

	const char* Label() const { return fLabel.String(); }
	// False when the item or its menu is disabled.
	bool IsEnabled() const;
	bool IsMarked() const { return fMarked; }
	char Shortcut(uint32* modifiers = NULL) const;
	BMenu* Submenu() const { return fSubmenu; }
	BMenu* Menu() const { return fMenu; }
	// Where the item sits in its menu's coordinates.
	BRect Frame() const { return fFrame; }

	// Adds "when", "source" (this item) and "index" (its place in the menu)
	// to the copy sent. Without a target, the window of the top-level menu
	// (the one holding the menu bar) gets it.
	status_t Invoke(BMessage* message = NULL) override;

protected:
	virtual void GetContentSize(float* width, float* height);
	virtual void DrawContent();
	virtual void Draw();
	bool IsSelected() const { return fSelected; }
	BPoint ContentLocation() const;

private:
	friend class BMenu;
	friend class BMenuBar;
	friend class BPopUpMenu;

	void _Init(const char* label, char shortcut, uint32 modifiers);
	// Chosen by the user, the menus closed: marks it in a radio menu and,
	// when asked, sends its message.
	void _Choose(bool deliver);
	friend class BWindow;
	friend class BPrivate::WindowInput;
	BString _ShortcutText() const;
	void _Invalidate();

	BString fLabel;
	BMenu* fSubmenu = NULL;
	BMenu* fMenu = NULL;
	BRect fFrame;
	char fShortcut = 0;
	uint32 fModifiers = 0;
	bool fEnabled = true;
	bool fMarked = false;
	bool fSelected = false;
};

#endif
