#include <MenuWindow.h>

#include <DisplayServer.h>
#include <Menu.h>
#include <Message.h>
#include <Screen.h>

#include <algorithm>

MenuWindow::MenuWindow(BMenu* menu, BPoint where)
	: BWindow(BRect(where, where), menu->Name() != NULL ? menu->Name() : "menu",
		  B_NO_BORDER_WINDOW_LOOK, kMenuWindowFeel,
		  B_NOT_MOVABLE | B_NOT_CLOSABLE | B_NOT_RESIZABLE | B_AVOID_FOCUS),
	  fMenu(menu)
{
	float width, height;
	menu->GetPreferredSize(&width, &height);
	ResizeTo(width, height);
	// A menu opened near the screen's right or bottom edge moves back in,
	// so that all its items can be reached.
	BRect screen = BScreen(this).Frame();
	BPoint leftTop = where;
	leftTop.x = std::max(screen.left, std::min(leftTop.x, screen.right - width));
	leftTop.y = std::max(screen.top, std::min(leftTop.y, screen.bottom - height));
	if (leftTop != where)
		MoveTo(leftTop);
	menu->MoveTo(0, 0);
	menu->ResizeTo(width, height);
	AddChild(menu);
}

MenuWindow::~MenuWindow()
{
	// Whoever opened the menu takes it out before the window goes; should
	// the window end another way, the menu must still outlive it.
	DetachMenu();
}

void
MenuWindow::DetachMenu()
{
	if (fMenu == NULL)
		return;
	RemoveChild(fMenu);
	fMenu = NULL;
}

void
MenuWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	// The menu tracks the mouse in screen coordinates, wherever it is: the
	// server sends presses outside every menu to the topmost one.
	switch (message->what) {
		case B_MOUSE_DOWN:
		case B_MOUSE_UP:
		case B_MOUSE_MOVED: {
			BPoint screen;
			if (fMenu != NULL && message->FindPoint("screen_where", &screen) == B_OK)
				fMenu->_TrackMouse(message->what, screen);
			UpdateIfNeeded();
			return;
		}
		case B_KEY_DOWN: {
			const char* bytes = NULL;
			if (fMenu != NULL && message->FindString("bytes", &bytes) == B_OK)
				fMenu->_TrackKey(bytes);
			UpdateIfNeeded();
			return;
		}
		case B_KEY_UP:
			return;
		case kMenuCloseSubmenu:
			if (fMenu != NULL) {
				fMenu->_CloseSubmenu();
				UpdateIfNeeded();
			}
			return;
	}
	BWindow::DispatchMessage(message, handler);
}
