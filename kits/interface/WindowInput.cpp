#include <WindowInput.h>

#include <Application.h>
#include <Button.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <View.h>
#include <Window.h>

#include <DisplayServer.h>

#include <ctype.h>
#include <string.h>

#include <algorithm>

namespace BPrivate {

bool
view_is_within(const BView* v, const BView* view)
{
	for (; v != NULL; v = v->Parent()) {
		if (v == view)
			return true;
	}
	return false;
}

void
WindowInput::HandleMouse(BMessage* message)
{
	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		return;
	int32 buttons = 0;
	message->FindInt32("buttons", &buttons);
	fMousePosition = where;
	fMouseButtons = (uint32)buttons;

	auto deliver = [message, where](BView* view) {
		BPoint local = where - view->_WindowOffset();
		message->ReplacePoint("where", local);
		if (message->ReplacePoint("be:view_where", local) != B_OK)
			message->AddPoint("be:view_where", local);
		return local;
	};

	BView* top = fWindow->fTopView;
	switch (message->what) {
		case B_MOUSE_DOWN: {
			BView* view = top->_ViewAt(where);
			fMouseDownView = view;
			fMouseMaskView = NULL;
			if (view != NULL)
				view->MouseDown(deliver(view));
			break;
		}
		case B_MOUSE_UP: {
			BView* view = fMouseMaskView != NULL ? fMouseMaskView : top->_ViewAt(where);
			fMouseMaskView = NULL;
			fMouseDownView = NULL;
			if (view != NULL)
				view->MouseUp(deliver(view));
			break;
		}
		case B_MOUSE_MOVED: {
			if (fMouseMaskView != NULL) {
				BView* view = fMouseMaskView;
				bool inside = view->_WindowRect().Contains(where);
				view->MouseMoved(deliver(view), inside ? B_INSIDE_VIEW : B_OUTSIDE_VIEW, NULL);
				break;
			}
			BView* view = top->_ViewAt(where);
			BView* last = fLastMouseMovedView;
			fLastMouseMovedView = view;
			if (view != last) {
				if (last != NULL)
					last->MouseMoved(deliver(last), B_EXITED_VIEW, NULL);
				if (view != NULL)
					view->MouseMoved(deliver(view), B_ENTERED_VIEW, NULL);
			} else if (view != NULL)
				view->MouseMoved(deliver(view), B_INSIDE_VIEW, NULL);
			break;
		}
	}
}

void
WindowInput::HandleKey(BMessage* message)
{
	const char* bytes = NULL;
	if (message->FindString("bytes", &bytes) != B_OK || bytes == NULL)
		bytes = "";
	int32 modifiers = 0;
	message->FindInt32("modifiers", &modifiers);
	bool down = message->what == B_KEY_DOWN || message->what == B_UNMAPPED_KEY_DOWN;
	bool single = strlen(bytes) == 1;
	bool command = (modifiers & B_COMMAND_KEY) != 0;
	// Command-Q always asks the application, whatever the window's
	// shortcuts; Command-W closes only when no shortcut of its own uses W.
	if (down && command && single && (bytes[0] | 0x20) == 'q' && be_app != NULL) {
		BMessage quit(B_QUIT_REQUESTED);
		quit.AddBool("shortcut", true);
		be_app->PostMessage(&quit);
		return;
	}
	if (down && single && (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY)) != 0
		&& _HandleShortcut(bytes[0], modifiers))
		return;
	window_feel feel = fWindow->Feel();
	bool modal = feel == B_MODAL_SUBSET_WINDOW_FEEL || feel == B_MODAL_APP_WINDOW_FEEL
		|| feel == B_MODAL_ALL_WINDOW_FEEL;
	if (down && command && single && (bytes[0] | 0x20) == 'w'
		&& (fWindow->Flags() & B_NOT_CLOSABLE) == 0 && !modal) {
		fWindow->PostMessage(B_QUIT_REQUESTED);
		return;
	}
	// Enter without modifiers belongs to the default button, wherever the
	// focus is.
	BButton* defaultButton = fWindow->DefaultButton();
	if (down && bytes[0] == B_ENTER && bytes[1] == '\0' && defaultButton != NULL
		&& (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY)) == 0
		&& defaultButton->IsEnabled() && !defaultButton->IsHidden()) {
		defaultButton->KeyDown(bytes, 1);
		return;
	}
	BView* focus = fWindow->CurrentFocus();
	if (focus == NULL) {
		if (down && bytes[0] == B_TAB && bytes[1] == '\0')
			KeyboardNavigation((modifiers & B_SHIFT_KEY) != 0);
		return;
	}
	if (down)
		focus->KeyDown(bytes, (int32)strlen(bytes));
	else
		focus->KeyUp(bytes, (int32)strlen(bytes));
}

void
WindowInput::AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target)
{
	if (message == NULL)
		return;
	std::unique_ptr<BMessage> owned(message);
	RemoveShortcut(key, modifiers);
	if (target == NULL || target->Looper() != fWindow)
		target = fWindow;
	fShortcuts.push_back({(uint32)tolower((unsigned char)key),
		(modifiers & (B_SHIFT_KEY | B_CONTROL_KEY | B_OPTION_KEY)) | B_COMMAND_KEY,
		std::move(owned), BMessenger(target, fWindow)});
}

void
WindowInput::RemoveShortcut(uint32 key, uint32 modifiers)
{
	int32 index = _ShortcutIndex(key, modifiers);
	if (index >= 0)
		fShortcuts.erase(fShortcuts.begin() + index);
}

bool
WindowInput::HasShortcut(uint32 key, uint32 modifiers) const
{
	return _ShortcutIndex(key, modifiers) >= 0;
}

bool
WindowInput::ShortcutMatches(uint32 shortcutModifiers, uint32 pressed)
{
	// Command is held (Alt, or Ctrl standing for it as in text views);
	// Shift and Option must be as the shortcut says, and a shortcut with
	// Control wants Ctrl and Alt both.
	const uint32 kExact = B_SHIFT_KEY | B_OPTION_KEY;
	if ((shortcutModifiers & kExact) != (pressed & kExact))
		return false;
	if ((shortcutModifiers & B_CONTROL_KEY) != 0)
		return (pressed & B_CONTROL_KEY) != 0 && (pressed & B_COMMAND_KEY) != 0;
	return true;
}

void
WindowInput::SetMouseEventMask(BView* view, uint32 mask, uint32 options)
{
	// Only while a button is down: until it comes up, the view gets the mouse.
	if ((mask & B_POINTER_EVENTS) != 0 && fMouseButtons != 0) {
		fMouseMaskView = view;
		fMouseMaskOptions = options;
	}
}

void
WindowInput::GetMouse(BPoint* where, uint32* buttons) const
{
	// The server knows where the mouse is now, not only where it last was
	// when this window heard of it.
	DisplayServer* server = DisplayServer::Current();
	if (server != NULL) {
		*where = fWindow->ConvertFromScreen(server->MousePosition());
		*buttons = server->MouseButtons();
	} else {
		*where = fMousePosition;
		*buttons = fMouseButtons;
	}
}

void
WindowInput::KeyboardNavigation(bool backward)
{
	std::vector<BView*> views;
	fWindow->fTopView->_CollectNavigable(views);
	if (views.empty())
		return;
	auto it = std::find(views.begin(), views.end(), fWindow->CurrentFocus());
	int32 count = (int32)views.size();
	int32 index;
	if (it == views.end())
		index = backward ? count - 1 : 0;
	else
		index = ((int32)(it - views.begin()) + (backward ? count - 1 : 1)) % count;
	views[index]->MakeFocus(true);
}

void
WindowInput::ViewRemoved(BView* view)
{
	if (view_is_within(fLastMouseMovedView, view))
		fLastMouseMovedView = NULL;
	if (view_is_within(fMouseDownView, view))
		fMouseDownView = NULL;
	if (view_is_within(fMouseMaskView, view))
		fMouseMaskView = NULL;
}

bool
WindowInput::_HandleShortcut(char key, uint32 modifiers)
{
	// Control letters arrive as their control codes.
	if (key >= 1 && key <= 26 && (modifiers & B_CONTROL_KEY) != 0)
		key += 'a' - 1;
	uint32 lower = tolower((unsigned char)key);
	for (Shortcut& shortcut : fShortcuts) {
		if (shortcut.key != lower || !ShortcutMatches(shortcut.modifiers, modifiers))
			continue;
		BMessage copy(*shortcut.message);
		copy.AddInt64("when", system_time());
		shortcut.target.SendMessage(&copy);
		return true;
	}
	BMenuBar* bar = fWindow->KeyMenuBar();
	if (bar == NULL)
		return false;
	fWindow->MenusBeginning();
	BMenuItem* item = bar->_FindShortcut(key, modifiers);
	if (item != NULL)
		item->_Choose(true);
	fWindow->MenusEnded();
	return item != NULL;
}

int32
WindowInput::_ShortcutIndex(uint32 key, uint32 modifiers) const
{
	// Stored as a lower-case key with Command always among the modifiers.
	key = tolower((unsigned char)key);
	modifiers = (modifiers & (B_SHIFT_KEY | B_CONTROL_KEY | B_OPTION_KEY)) | B_COMMAND_KEY;
	for (size_t i = 0; i < fShortcuts.size(); i++) {
		if (fShortcuts[i].key == key && fShortcuts[i].modifiers == modifiers)
			return (int32)i;
	}
	return -1;
}

} // namespace BPrivate
