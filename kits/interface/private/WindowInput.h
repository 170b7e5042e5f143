#ifndef _WINDOW_INPUT_H
#define _WINDOW_INPUT_H

#include <Messenger.h>
#include <Point.h>

#include <memory>
#include <vector>

class BHandler;
class BMessage;
class BView;
class BWindow;

namespace BPrivate {

// A window's mouse and keys: which of its views hears them, the view that
// keeps the mouse while a button is down, the keyboard shortcuts and the
// keyboard navigation. Runs on the window's thread, with its lock held.
class WindowInput {
public:
	WindowInput(BWindow* window) : fWindow(window) {}

	void HandleMouse(BMessage* message);
	void HandleKey(BMessage* message);

	void AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target);
	void RemoveShortcut(uint32 key, uint32 modifiers);
	bool HasShortcut(uint32 key, uint32 modifiers) const;
	// Whether keys pressed with these modifiers choose a shortcut that has
	// those; the menus match their items the same way.
	static bool ShortcutMatches(uint32 shortcutModifiers, uint32 pressed);

	void SetMouseEventMask(BView* view, uint32 mask, uint32 options);
	void GetMouse(BPoint* where, uint32* buttons) const;
	BView* LastMouseMovedView() const { return fLastMouseMovedView; }
	void KeyboardNavigation(bool backward);
	// Forgets the views of a subtree leaving the window.
	void ViewRemoved(BView* view);

private:
	bool _HandleShortcut(char key, uint32 modifiers);
	int32 _ShortcutIndex(uint32 key, uint32 modifiers) const;

	struct Shortcut {
		uint32 key;
		uint32 modifiers;
		std::unique_ptr<BMessage> message;
		BMessenger target;
	};

	BWindow* fWindow;
	std::vector<Shortcut> fShortcuts;
	BView* fLastMouseMovedView = NULL;
	BView* fMouseDownView = NULL;
	BView* fMouseMaskView = NULL;
	uint32 fMouseMaskOptions = 0;
	BPoint fMousePosition;
	uint32 fMouseButtons = 0;
};

// Whether v is view or inside it.
bool view_is_within(const BView* v, const BView* view);

} // namespace BPrivate

#endif
