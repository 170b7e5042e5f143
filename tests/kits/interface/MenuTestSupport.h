// What the menu tests share: input at screen points through the display
// server, open menu windows found by their menu's name, item places.
#ifndef MENU_TEST_SUPPORT_H
#define MENU_TEST_SUPPORT_H

#include <DisplayServer.h>
#include <Harness.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Window.h>

#include <gtest/gtest.h>

namespace menu_test {

const char kEscapeKey[] = {B_ESCAPE, 0};
const char kEnterKey[] = {B_ENTER, 0};
const char kUpKey[] = {B_UP_ARROW, 0};
const char kDownKey[] = {B_DOWN_ARROW, 0};
const char kLeftKey[] = {B_LEFT_ARROW, 0};
const char kRightKey[] = {B_RIGHT_ARROW, 0};

inline void
Inject(InputEvent::Type type, BPoint screen, uint32 buttons)
{
	InputEvent event;
	event.type = type;
	event.where = screen;
	event.buttons = buttons;
	DisplayServer::Default()->Inject(event);
	DisplayServer::Default()->Sync(BTest::kDefaultTimeout);
}

inline void
Down(BPoint screen)
{
	Inject(InputEvent::MOUSE_DOWN, screen, B_PRIMARY_MOUSE_BUTTON);
}

inline void
Up(BPoint screen)
{
	Inject(InputEvent::MOUSE_UP, screen, 0);
}

inline void
Move(BPoint screen)
{
	Inject(InputEvent::MOUSE_MOVED, screen, DisplayServer::Default()->MouseButtons());
}

inline void
Click(BPoint screen)
{
	Down(screen);
	Up(screen);
}

// The shown window of a menu of that name, or NULL.
inline BWindow*
MenuWindowOf(const char* name, bigtime_t timeout = BTest::kDefaultTimeout)
{
	BWindow* window = BTest::WaitForWindow(name, timeout);
	if (window != NULL)
		BTest::Sync(window);
	return window;
}

inline bool
MenuClosed(const char* name)
{
	return BTest::WaitFor([&] { return DisplayServer::Default()->FindWindow(name) == NULL; });
}

// The middle of an item, on the screen; the item's menu's window is locked
// for it.
inline BPoint
ItemPoint(BWindow* window, BMenuItem* item)
{
	BPoint point;
	BTest::Locked(window, [&] {
		BRect frame = item->Menu()->ConvertToScreen(item->Frame());
		point = BPoint((int32)((frame.left + frame.right) / 2),
			(int32)((frame.top + frame.bottom) / 2));
	});
	return point;
}

inline int32
Selected(BWindow* window, BMenu* menu)
{
	int32 index = -2;
	BTest::Sync(window);
	BTest::Locked(window, [&] { index = menu->_SelectedIndex(); });
	return index;
}

} // namespace menu_test

#endif
