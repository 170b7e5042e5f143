#include <Menu.h>

#include <WindowInput.h>

#include <Message.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <SeparatorItem.h>
#include <Window.h>

#include <MenuWindow.h>

#include <ctype.h>
#include <math.h>
#include <string.h>

// Menus use the 12-point plain font, as BeOS's menu settings do by default.
static const float kMenuFontSize = 12;
// Item padding: above and below the label, and the frame round a column.
static const float kItemPadding = 2;
static const float kColumnBorder = 1;
static const float kLeftMargin = 14;
static const float kRightMargin = 10;
static const float kShortcutGap = 16;
static const float kSubmenuArrow = 14;

void
MenuTracking::Finish(BMenuItem* item)
{
	if (finished.exchange(true))
		return;
	chosen = item;
	if (done >= 0)
		release_sem(done);
	else {
		BMessage ended(kMenuTrackingEnded);
		ended.AddPointer("tracking", this);
		bar.SendMessage(&ended);
	}
}

BMenu::BMenu(const char* name, menu_layout layout)
	: BView(BRect(0, 0, 0, 0), name, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW)
{
	_InitData(layout);
}

BMenu::BMenu(BRect frame, const char* name, uint32 resizingMode, uint32 flags,
	menu_layout layout, bool resizeToFit)
	: BView(frame, name, resizingMode, flags)
{
	_InitData(layout);
	fResizeToFit = resizeToFit;
}

void
BMenu::_InitData(menu_layout layout)
{
	fLayout = layout;
	BFont font(be_plain_font);
	font.SetSize(kMenuFontSize);
	SetFont(&font);
	SetViewColor(ui_color(B_MENU_BACKGROUND_COLOR));
	SetLowColor(ui_color(B_MENU_BACKGROUND_COLOR));
}

BMenu::~BMenu()
{
	_CloseSubmenu();
	if (fMenuWindow != NULL)
		_CloseWindow();
	while (fItems.CountItems() > 0) {
		BMenuItem* item = (BMenuItem*)fItems.RemoveItem(fItems.CountItems() - 1);
		item->fMenu = NULL;
		delete item;
	}
}

void
BMenu::AttachedToWindow()
{
	BView::AttachedToWindow();
	_Layout();
}

// #pragma mark - items

bool
BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}

bool
BMenu::AddItem(BMenuItem* item, int32 index)
{
	if (item == NULL || item->fMenu != NULL || index < 0 || index > CountItems())
		return false;
	if (!fItems.AddItem(item, index))
		return false;
	item->fMenu = this;
	if (fRadioMode && item->IsMarked())
		_MarkChanged(item);
	if (fSelected >= index)
		fSelected++;
	_InvalidateLayout();
	return true;
}

bool
BMenu::AddItem(BMenu* submenu)
{
	return AddItem(submenu, CountItems());
}

bool
BMenu::AddItem(BMenu* submenu, int32 index)
{
	if (submenu == NULL || submenu->fSuperitem != NULL)
		return false;
	BMenuItem* item = new BMenuItem(submenu);
	if (AddItem(item, index))
		return true;
	item->fSubmenu = NULL;
	submenu->fSuperitem = NULL;
	delete item;
	return false;
}

bool
BMenu::AddSeparatorItem()
{
	return AddItem(new BSeparatorItem);
}

bool
BMenu::RemoveItem(BMenuItem* item)
{
	int32 index = IndexOf(item);
	if (index < 0)
		return false;
	return RemoveItem(index) != NULL;
}

BMenuItem*
BMenu::RemoveItem(int32 index)
{
	BMenuItem* item = ItemAt(index);
	if (item == NULL)
		return NULL;
	if (fOpenSub != NULL && fOpenSub == item->fSubmenu)
		_CloseSubmenu();
	fItems.RemoveItem(index);
	item->fMenu = NULL;
	item->fSelected = false;
	if (fSelected == index)
		fSelected = -1;
	else if (fSelected > index)
		fSelected--;
	_InvalidateLayout();
	return item;
}

bool
BMenu::RemoveItems(int32 index, int32 count, bool deleteItems)
{
	if (index < 0 || count < 0 || index + count > CountItems())
		return false;
	for (int32 i = 0; i < count; i++) {
		BMenuItem* item = RemoveItem(index);
		if (deleteItems)
			delete item;
	}
	return true;
}

bool
BMenu::RemoveItem(BMenu* submenu)
{
	int32 index = IndexOf(submenu);
	if (index < 0)
		return false;
	BMenuItem* item = RemoveItem(index);
	// The menu goes back to its caller; the item that held it is ours.
	item->fSubmenu = NULL;
	submenu->fSuperitem = NULL;
	delete item;
	return true;
}

BMenuItem*
BMenu::ItemAt(int32 index) const
{
	return (BMenuItem*)fItems.ItemAt(index);
}

BMenu*
BMenu::SubmenuAt(int32 index) const
{
	BMenuItem* item = ItemAt(index);
	return item != NULL ? item->Submenu() : NULL;
}

int32
BMenu::IndexOf(BMenuItem* item) const
{
	return fItems.IndexOf(item);
}

int32
BMenu::IndexOf(BMenu* submenu) const
{
	for (int32 i = 0; i < CountItems(); i++) {
		if (ItemAt(i)->Submenu() == submenu && submenu != NULL)
			return i;
	}
	return -1;
}

BMenuItem*
BMenu::FindItem(const char* label) const
{
	if (label == NULL)
		return NULL;
	for (int32 i = 0; i < CountItems(); i++) {
		BMenuItem* item = ItemAt(i);
		if (strcmp(item->Label(), label) == 0)
			return item;
		if (item->Submenu() != NULL) {
			if (BMenuItem* found = item->Submenu()->FindItem(label))
				return found;
		}
	}
	return NULL;
}

BMenuItem*
BMenu::FindItem(uint32 command) const
{
	for (int32 i = 0; i < CountItems(); i++) {
		BMenuItem* item = ItemAt(i);
		if (item->Message() != NULL && item->Message()->what == command)
			return item;
		if (item->Submenu() != NULL) {
			if (BMenuItem* found = item->Submenu()->FindItem(command))
				return found;
		}
	}
	return NULL;
}

BMenuItem*
BMenu::FindMarked()
{
	for (int32 i = 0; i < CountItems(); i++) {
		if (ItemAt(i)->IsMarked())
			return ItemAt(i);
	}
	return NULL;
}

status_t
BMenu::SetTargetForItems(BHandler* target)
{
	for (int32 i = 0; i < CountItems(); i++) {
		status_t status = ItemAt(i)->SetTarget(target);
		if (status != B_OK)
			return status;
	}
	return B_OK;
}

status_t
BMenu::SetTargetForItems(BMessenger messenger)
{
	for (int32 i = 0; i < CountItems(); i++)
		ItemAt(i)->SetTarget(messenger);
	return B_OK;
}

void
BMenu::SetEnabled(bool enabled)
{
	if (fEnabled == enabled)
		return;
	fEnabled = enabled;
	if (fSuperitem != NULL)
		fSuperitem->SetEnabled(enabled);
	if (Window() != NULL)
		Invalidate();
}

bool
BMenu::IsEnabled() const
{
	if (!fEnabled)
		return false;
	BMenu* super = Supermenu();
	return super == NULL || super->IsEnabled();
}

void
BMenu::SetRadioMode(bool on)
{
	fRadioMode = on;
	if (!on)
		fLabelFromMarked = false;
	else if (BMenuItem* marked = FindMarked())
		_MarkChanged(marked);
}

void
BMenu::SetLabelFromMarked(bool on)
{
	fLabelFromMarked = on;
	if (on)
		SetRadioMode(true);
}

void
BMenu::_MarkChanged(BMenuItem* item)
{
	if (!item->IsMarked())
		return;
	if (fRadioMode) {
		for (int32 i = 0; i < CountItems(); i++) {
			BMenuItem* other = ItemAt(i);
			if (other != item && other->fMarked) {
				other->fMarked = false;
				other->_Invalidate();
			}
		}
	}
	if (fLabelFromMarked && fSuperitem != NULL)
		fSuperitem->SetLabel(item->Label());
}

BMenu*
BMenu::Supermenu() const
{
	return fSuperitem != NULL ? fSuperitem->Menu() : NULL;
}

BMenu*
BMenu::_Root()
{
	BMenu* root = this;
	while (root->Supermenu() != NULL)
		root = root->Supermenu();
	return root;
}

// #pragma mark - layout and drawing

void
BMenu::_InvalidateLayout()
{
	fLayoutValid = false;
	if (Window() != NULL) {
		_Layout();
		if (BMenuBar* bar = dynamic_cast<BMenuBar*>(this))
			bar->_FitToItems();
		Invalidate();
	}
}

void
BMenu::_Layout()
{
	float x = 0;
	float y = fLayout == B_ITEMS_IN_ROW ? 1 : kColumnBorder + 1;
	float widest = 0;
	float rowHeight = 0;
	// Columns: as wide as the widest label plus the widest shortcut.
	float shortcutWidth = 0;
	bool anySubmenu = false;
	for (int32 i = 0; i < CountItems(); i++) {
		BMenuItem* item = ItemAt(i);
		float width, height;
		item->GetContentSize(&width, &height);
		if (fLayout == B_ITEMS_IN_ROW) {
			item->fFrame = BRect(x, y, x + width + 16 - 1, y + height + 2 * kItemPadding - 1);
			x += width + 16;
			rowHeight = std::max(rowHeight, height + 2 * kItemPadding);
		} else {
			item->fFrame = BRect(kColumnBorder, y, 0, y + height + 2 * kItemPadding - 1);
			y += height + 2 * kItemPadding;
			widest = std::max(widest, width);
			if (item->fShortcut != 0)
				shortcutWidth = std::max(shortcutWidth,
					ceilf(StringWidth(item->_ShortcutText().String())));
			anySubmenu |= item->Submenu() != NULL;
		}
	}
	if (fLayout == B_ITEMS_IN_ROW) {
		if (rowHeight == 0) {
			font_height fh;
			GetFontHeight(&fh);
			rowHeight = ceilf(fh.ascent + fh.descent) + 2 * kItemPadding;
		}
		for (int32 i = 0; i < CountItems(); i++)
			ItemAt(i)->fFrame.bottom = y + rowHeight - 1;
		fPreferredWidth = x;
		fPreferredHeight = rowHeight + 1;
	} else {
		float right = kLeftMargin + widest + kRightMargin;
		if (shortcutWidth > 0)
			right += kShortcutGap + shortcutWidth;
		if (anySubmenu)
			right += kSubmenuArrow;
		for (int32 i = 0; i < CountItems(); i++)
			ItemAt(i)->fFrame.right = kColumnBorder + right - 1;
		fPreferredWidth = right + 2 * kColumnBorder - 1;
		fPreferredHeight = y + 1 + kColumnBorder - 1;
		if (CountItems() == 0) {
			fPreferredWidth = 40;
			fPreferredHeight = 2 * kColumnBorder + 6;
		}
	}
	fLayoutValid = true;
}

void
BMenu::GetPreferredSize(float* width, float* height)
{
	if (!fLayoutValid)
		_Layout();
	if (width != NULL)
		*width = fPreferredWidth;
	if (height != NULL)
		*height = fPreferredHeight;
}

void
BMenu::_DrawBackground(BRect updateRect)
{
	rgb_color background = ui_color(B_MENU_BACKGROUND_COLOR);
	SetHighColor(background);
	FillRect(updateRect);
	if (fLayout == B_ITEMS_IN_ROW)
		return;
	// A raised frame with a dark outline, as R5 drew its menus.
	BRect bounds = Bounds();
	SetHighColor(tint_color(background, B_DARKEN_3_TINT));
	StrokeRect(bounds);
	bounds.InsetBy(1, 1);
	SetHighColor(tint_color(background, B_LIGHTEN_2_TINT));
	StrokeLine(bounds.LeftBottom(), bounds.LeftTop());
	StrokeLine(bounds.RightTop());
	SetHighColor(tint_color(background, B_DARKEN_1_TINT));
	StrokeLine(BPoint(bounds.right, bounds.top + 1), bounds.RightBottom());
	StrokeLine(BPoint(bounds.left + 1, bounds.bottom));
}

void
BMenu::Draw(BRect updateRect)
{
	if (!fLayoutValid)
		_Layout();
	_DrawBackground(updateRect);
	for (int32 i = 0; i < CountItems(); i++) {
		BMenuItem* item = ItemAt(i);
		if (item->Frame().Intersects(updateRect))
			item->Draw();
	}
}

// #pragma mark - tracking

int32
BMenu::_IndexAt(BPoint where) const
{
	for (int32 i = 0; i < CountItems(); i++) {
		if (ItemAt(i)->Frame().Contains(where))
			return i;
	}
	return -1;
}

bool
BMenu::_Selectable(int32 index) const
{
	BMenuItem* item = ItemAt(index);
	return item != NULL && item->IsEnabled() && dynamic_cast<BSeparatorItem*>(item) == NULL;
}

int32
BMenu::_NextSelectable(int32 from, int32 step) const
{
	int32 count = CountItems();
	for (int32 n = 1; n <= count; n++) {
		int32 index = ((from + step * n) % count + count) % count;
		if (from < 0 && step < 0)
			index = ((count - n) % count + count) % count;
		if (_Selectable(index))
			return index;
	}
	return -1;
}

void
BMenu::_Select(int32 index, bool openSubmenu, bool selectFirstOfSubmenu)
{
	if (index >= 0 && !_Selectable(index))
		index = -1;
	if (index != fSelected) {
		BMenuItem* old = ItemAt(fSelected);
		if (old != NULL) {
			if (fOpenSub != NULL && fOpenSub == old->Submenu())
				_CloseSubmenu();
			old->fSelected = false;
			old->_Invalidate();
		}
		fSelected = index;
		if (BMenuItem* item = ItemAt(index)) {
			item->fSelected = true;
			item->_Invalidate();
		}
	}
	BMenuItem* item = ItemAt(fSelected);
	if (openSubmenu && item != NULL && item->Submenu() != NULL && fOpenSub == NULL)
		_Open(fSelected, selectFirstOfSubmenu);
}

void
BMenu::_Open(int32 index, bool selectFirst)
{
	BMenuItem* item = ItemAt(index);
	if (item == NULL || item->Submenu() == NULL || Window() == NULL || !fTracking)
		return;
	if (fTracking->finished)
		return;
	BRect frame = ConvertToScreen(item->Frame());
	BPoint where = fLayout == B_ITEMS_IN_ROW ? BPoint(frame.left, frame.bottom + 1)
											 : BPoint(frame.right + 1, frame.top - 2);
	fOpenSub = item->Submenu();
	fOpenSub->_OpenAt(where, fTracking, selectFirst);
}

void
BMenu::_OpenAt(BPoint screen, const std::shared_ptr<MenuTracking>& tracking, bool selectFirst)
{
	fTracking = tracking;
	fSelected = -1;
	for (int32 i = 0; i < CountItems(); i++)
		ItemAt(i)->fSelected = false;
	_Layout();
	MenuWindow* window = new MenuWindow(this, screen);
	fMenuWindow = window;
	if (selectFirst) {
		window->Lock();
		_Select(_NextSelectable(-1, 1), false);
		window->Unlock();
	}
	window->Show();
}

void
BMenu::_CloseSubmenu()
{
	BMenu* sub = fOpenSub;
	fOpenSub = NULL;
	if (sub != NULL && sub->fMenuWindow != NULL)
		sub->_CloseWindow();
}

void
BMenu::_CloseWindow()
{
	// Called by whoever opened the menu, never by its own window: the
	// opener locks the window, takes the menu out and waits for the
	// window's thread to end. Locks go from opener to opened only.
	MenuWindow* window = fMenuWindow;
	if (window == NULL || !window->Lock())
		return;
	_CloseSubmenu();
	window->DetachMenu();
	fMenuWindow = NULL;
	if (BMenuItem* item = ItemAt(fSelected))
		item->fSelected = false;
	fSelected = -1;
	window->Quit();
}

void
BMenu::_TrackMouse(uint32 what, BPoint screen)
{
	if (!fTracking || fTracking->finished)
		return;
	MenuTracking& tracking = *fTracking;
	BPoint where = ConvertFromScreen(screen);
	bool inside = Bounds().Contains(where);
	int32 index = inside ? _IndexAt(where) : -1;
	switch (what) {
		case B_MOUSE_MOVED:
			if (inside) {
				_Select(index, true);
				break;
			}
			// Over another title of the menu bar: that menu opens instead.
			for (int32 i = 0; i < (int32)tracking.titles.size(); i++) {
				if (i != tracking.title && tracking.titles[i].Contains(screen)) {
					BMessage navigate(kMenuNavigate);
					navigate.AddInt32("index", i);
					tracking.bar.SendMessage(&navigate);
					return;
				}
			}
			if (fOpenSub == NULL)
				_Select(-1, false);
			break;
		case B_MOUSE_DOWN:
			// A press outside every open menu closes them all.
			if (!inside)
				tracking.Finish(NULL);
			break;
		case B_MOUSE_UP: {
			bool first = !tracking.released.exchange(true);
			if (inside) {
				BMenuItem* item = ItemAt(index);
				if (item != NULL && item->Submenu() == NULL && _Selectable(index))
					tracking.Finish(item);
				break;
			}
			if (tracking.haveClickToOpen && tracking.clickToOpen.Contains(screen))
				break;
			if (first && tracking.openAnyway)
				break;
			tracking.Finish(NULL);
			break;
		}
	}
}

BMenuItem*
BMenu::_FindShortcut(char key, uint32 modifiers) const
{
	if (!fEnabled)
		return NULL;
	for (int32 i = 0; i < CountItems(); i++) {
		BMenuItem* item = ItemAt(i);
		if (!item->IsEnabled())
			continue;
		if (BMenu* submenu = item->Submenu()) {
			if (BMenuItem* found = submenu->_FindShortcut(key, modifiers))
				return found;
			continue;
		}
		uint32 itemModifiers = 0;
		char shortcut = item->Shortcut(&itemModifiers);
		if (shortcut != 0 && tolower((unsigned char)shortcut) == tolower((unsigned char)key)
			&& BPrivate::WindowInput::ShortcutMatches(itemModifiers, modifiers))
			return item;
	}
	return NULL;
}

void
BMenu::_TrackKey(const char* bytes)
{
	if (!fTracking || fTracking->finished || bytes == NULL || bytes[1] != '\0')
		return;
	MenuTracking& tracking = *fTracking;
	BMenu* super = Supermenu();
	bool underBar = super != NULL && super->fMenuWindow == NULL && tracking.title >= 0;
	switch (bytes[0]) {
		case B_DOWN_ARROW:
		case B_UP_ARROW: {
			int32 next = _NextSelectable(fSelected, bytes[0] == B_DOWN_ARROW ? 1 : -1);
			if (next >= 0)
				_Select(next, false);
			break;
		}
		case B_RIGHT_ARROW: {
			BMenuItem* item = ItemAt(fSelected);
			if (item != NULL && item->Submenu() != NULL) {
				_Select(fSelected, true, true);
				break;
			}
			if (tracking.title >= 0) {
				BMessage navigate(kMenuNavigate);
				navigate.AddInt32("delta", 1);
				tracking.bar.SendMessage(&navigate);
			}
			break;
		}
		case B_LEFT_ARROW:
			if (super != NULL && super->fMenuWindow != NULL)
				super->fMenuWindow->PostMessage(kMenuCloseSubmenu);
			else if (underBar) {
				BMessage navigate(kMenuNavigate);
				navigate.AddInt32("delta", -1);
				tracking.bar.SendMessage(&navigate);
			}
			break;
		case B_ENTER:
		case B_SPACE: {
			BMenuItem* item = ItemAt(fSelected);
			if (item == NULL)
				break;
			if (item->Submenu() != NULL)
				_Select(fSelected, true, true);
			else
				tracking.Finish(item);
			break;
		}
		case B_ESCAPE:
			tracking.Finish(NULL);
			break;
	}
}
