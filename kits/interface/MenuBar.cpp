#include <MenuBar.h>

#include <Message.h>
#include <MenuItem.h>
#include <Window.h>

#include <MenuWindow.h>

BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode, menu_layout layout,
	bool resizeToFit)
	: BMenu(frame, name, resizingMode, B_WILL_DRAW | B_FRAME_EVENTS, layout, resizeToFit)
{
}

BMenuBar::~BMenuBar()
{
	_CloseMenus();
}

void
BMenuBar::AttachedToWindow()
{
	BMenu::AttachedToWindow();
	_FitToItems();
	if (Window()->KeyMenuBar() == NULL)
		Window()->SetKeyMenuBar(this);
}

void
BMenuBar::DetachedFromWindow()
{
	if (Window()->KeyMenuBar() == this)
		Window()->SetKeyMenuBar(NULL);
	BMenu::DetachedFromWindow();
}

void
BMenuBar::_FitToItems()
{
	if (!fResizeToFit || Window() == NULL)
		return;
	float width, height;
	GetPreferredSize(&width, &height);
	// A row spans its parent when it follows both sides; its height is the
	// items' own.
	if (Layout() == B_ITEMS_IN_ROW
		&& (ResizingMode() & B_FOLLOW_LEFT_RIGHT) == B_FOLLOW_LEFT_RIGHT) {
		BRect parent = Parent() != NULL ? Parent()->Bounds() : Window()->Bounds();
		width = parent.right - Frame().left;
	}
	if (width != Frame().Width() || height != Frame().Height())
		ResizeTo(width, height);
}

void
BMenuBar::Draw(BRect updateRect)
{
	if (!fLayoutValid)
		_Layout();
	rgb_color background = ui_color(B_MENU_BACKGROUND_COLOR);
	SetHighColor(background);
	FillRect(updateRect);
	// Bevelled: light above and left, shadowed below and right.
	BRect bounds = Bounds();
	SetHighColor(tint_color(background, B_LIGHTEN_2_TINT));
	StrokeLine(bounds.LeftBottom(), bounds.LeftTop());
	StrokeLine(bounds.RightTop());
	SetHighColor(tint_color(background, B_DARKEN_2_TINT));
	StrokeLine(BPoint(bounds.left + 1, bounds.bottom), bounds.RightBottom());
	StrokeLine(BPoint(bounds.right, bounds.top + 1));
	for (int32 i = 0; i < CountItems(); i++) {
		BMenuItem* item = ItemAt(i);
		if (item->Frame().Intersects(updateRect))
			item->Draw();
	}
}

void
BMenuBar::MouseDown(BPoint where)
{
	int32 index = _IndexAt(where);
	if (index < 0 || !_Selectable(index))
		return;
	BMenuItem* item = ItemAt(index);
	if (item->Submenu() == NULL) {
		// A plain item in the bar is chosen at once.
		item->_Choose(true);
		return;
	}
	_OpenMenu(index, false);
}

void
BMenuBar::_OpenMenu(int32 index, bool selectFirst)
{
	bool wasOpen = fTracking != NULL;
	_CloseMenus();
	BMenuItem* item = ItemAt(index);
	if (item == NULL || item->Submenu() == NULL || !_Selectable(index) || Window() == NULL)
		return;
	if (!wasOpen)
		Window()->MenusBeginning();
	auto tracking = std::make_shared<MenuTracking>();
	tracking->bar = BMessenger(this);
	tracking->clickToOpen = ConvertToScreen(item->Frame());
	tracking->haveClickToOpen = true;
	for (int32 i = 0; i < CountItems(); i++)
		tracking->titles.push_back(ConvertToScreen(ItemAt(i)->Frame()));
	tracking->title = index;
	// Opened by keys, no button is to be released.
	tracking->released = selectFirst;
	fTracking = tracking;
	_Select(index, true, selectFirst);
}

void
BMenuBar::_CloseMenus()
{
	_CloseSubmenu();
	if (fSelected >= 0)
		_Select(-1, false);
	fTracking.reset();
}

void
BMenuBar::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMenuTrackingEnded: {
			void* sender = NULL;
			message->FindPointer("tracking", &sender);
			if (!fTracking || sender != fTracking.get())
				break;
			BMenuItem* chosen = fTracking->chosen;
			_CloseMenus();
			if (Window() != NULL)
				Window()->MenusEnded();
			// Delivered once the menus are gone, as on BeOS.
			if (chosen != NULL)
				chosen->_Choose(true);
			break;
		}
		case kMenuNavigate: {
			if (!fTracking || CountItems() == 0)
				break;
			int32 index;
			if (message->FindInt32("index", &index) == B_OK) {
				_OpenMenu(index, false);
				break;
			}
			int32 delta = 1;
			message->FindInt32("delta", &delta);
			int32 next = _NextSelectable(fTracking->title, delta < 0 ? -1 : 1);
			if (next >= 0)
				_OpenMenu(next, true);
			break;
		}
		default:
			BMenu::MessageReceived(message);
			break;
	}
}
