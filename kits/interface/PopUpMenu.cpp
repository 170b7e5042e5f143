#include <PopUpMenu.h>

#include <MenuItem.h>
#include <OS.h>

#include <MenuWindow.h>

struct BPopUpMenu::AsyncGo {
	BPopUpMenu* menu;
	BPoint where;
	bool deliversMessage;
	bool openAnyway;
	BRect clickToOpen;
	bool haveRect;
};

BPopUpMenu::BPopUpMenu(const char* name, bool radioMode, bool labelFromMarked,
	menu_layout layout)
	: BMenu(name, layout)
{
	SetRadioMode(radioMode);
	if (labelFromMarked)
		SetLabelFromMarked(true);
}

BPopUpMenu::~BPopUpMenu()
{
}

BMenuItem*
BPopUpMenu::Go(BPoint where, bool deliversMessage, bool openAnyway, bool async)
{
	if (async) {
		AsyncGo* go = new AsyncGo{this, where, deliversMessage, openAnyway, BRect(), false};
		thread_id thread = spawn_thread(_AsyncThread, "pop-up menu", B_NORMAL_PRIORITY, go);
		if (thread < 0 || resume_thread(thread) != B_OK)
			delete go;
		return NULL;
	}
	return _Go(where, deliversMessage, openAnyway, BRect(), false);
}

BMenuItem*
BPopUpMenu::Go(BPoint where, bool deliversMessage, bool openAnyway, BRect clickToOpen,
	bool async)
{
	if (async) {
		AsyncGo* go = new AsyncGo{this, where, deliversMessage, openAnyway, clickToOpen, true};
		thread_id thread = spawn_thread(_AsyncThread, "pop-up menu", B_NORMAL_PRIORITY, go);
		if (thread < 0 || resume_thread(thread) != B_OK)
			delete go;
		return NULL;
	}
	return _Go(where, deliversMessage, openAnyway, clickToOpen, true);
}

status_t
BPopUpMenu::_AsyncThread(void* data)
{
	AsyncGo* go = (AsyncGo*)data;
	BPopUpMenu* menu = go->menu;
	menu->_Go(go->where, go->deliversMessage, go->openAnyway, go->clickToOpen, go->haveRect);
	delete go;
	if (menu->fAutoDestruct)
		delete menu;
	return B_OK;
}

BMenuItem*
BPopUpMenu::_Go(BPoint where, bool deliversMessage, bool openAnyway, BRect clickToOpen,
	bool haveRect)
{
	if (fMenuWindow != NULL)
		return NULL;
	auto tracking = std::make_shared<MenuTracking>();
	tracking->done = create_sem(0, "pop-up menu");
	if (tracking->done < 0)
		return NULL;
	tracking->openAnyway = openAnyway;
	tracking->clickToOpen = clickToOpen;
	tracking->haveClickToOpen = haveRect;
	_OpenAt(where, tracking, false);

	// The menus live on their own threads; this one only waits, then closes
	// them, so it may well be a window's thread.
	while (acquire_sem(tracking->done) == B_INTERRUPTED) {
	}
	BMenuItem* chosen = tracking->chosen;
	_CloseWindow();
	fTracking.reset();
	delete_sem(tracking->done);
	if (chosen != NULL)
		chosen->_Choose(deliversMessage);
	return chosen;
}
