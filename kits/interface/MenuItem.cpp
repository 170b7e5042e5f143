#include <MenuItem.h>

#include <Menu.h>
#include <Message.h>
#include <OS.h>
#include <Window.h>

#include <MenuWindow.h>

#include <math.h>

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
{
	SetMessage(message);
	_Init(label, shortcut, modifiers);
}

BMenuItem::BMenuItem(BMenu* submenu, BMessage* message)
{
	SetMessage(message);
	fSubmenu = submenu;
	_Init(submenu != NULL ? submenu->Name() : NULL, 0, 0);
	if (submenu != NULL) {
		submenu->fSuperitem = this;
		BMenuItem* marked = submenu->IsLabelFromMarked() ? submenu->FindMarked() : NULL;
		if (marked != NULL)
			fLabel = marked->Label();
	}
}

void
BMenuItem::_Init(const char* label, char shortcut, uint32 modifiers)
{
	fLabel = label != NULL ? label : "";
	fShortcut = shortcut;
	fModifiers = shortcut != 0 ? modifiers | B_COMMAND_KEY : 0;
}

BMenuItem::~BMenuItem()
{
	if (fMenu != NULL)
		fMenu->RemoveItem(this);
	delete fSubmenu;
}

void
BMenuItem::SetLabel(const char* label)
{
	fLabel = label != NULL ? label : "";
	if (fMenu != NULL)
		fMenu->_InvalidateLayout();
}

void
BMenuItem::SetEnabled(bool enabled)
{
	if (fEnabled == enabled)
		return;
	fEnabled = enabled;
	if (fSubmenu != NULL)
		fSubmenu->fEnabled = enabled;
	_Invalidate();
}

bool
BMenuItem::IsEnabled() const
{
	if (!fEnabled)
		return false;
	return fMenu == NULL || fMenu->IsEnabled();
}

void
BMenuItem::SetMarked(bool marked)
{
	if (fMarked == marked)
		return;
	fMarked = marked;
	if (fMenu != NULL)
		fMenu->_MarkChanged(this);
	_Invalidate();
}

void
BMenuItem::SetShortcut(char shortcut, uint32 modifiers)
{
	fShortcut = shortcut;
	fModifiers = shortcut != 0 ? modifiers | B_COMMAND_KEY : 0;
	if (fMenu != NULL)
		fMenu->_InvalidateLayout();
}

char
BMenuItem::Shortcut(uint32* modifiers) const
{
	if (modifiers != NULL)
		*modifiers = fModifiers;
	return fShortcut;
}

BString
BMenuItem::_ShortcutText() const
{
	// Both Alt and Ctrl work as the command key here; Alt is the one shown,
	// as on BeOS.
	BString text;
	if (fShortcut == 0)
		return text;
	if ((fModifiers & B_SHIFT_KEY) != 0)
		text << "Shift+";
	if ((fModifiers & B_CONTROL_KEY) != 0)
		text << "Ctrl+";
	if ((fModifiers & B_COMMAND_KEY) != 0)
		text << "Alt+";
	char key = fShortcut;
	if (key >= 'a' && key <= 'z')
		key -= 'a' - 'A';
	text << key;
	return text;
}

void
BMenuItem::_Invalidate()
{
	if (fMenu != NULL && fMenu->Window() != NULL && fFrame.IsValid())
		fMenu->Invalidate(fFrame);
}

status_t
BMenuItem::Invoke(BMessage* message)
{
	if (message == NULL)
		message = Message();
	if (message == NULL)
		return B_BAD_VALUE;
	BMessage copy(*message);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	copy.AddInt32("index", fMenu != NULL ? fMenu->IndexOf(this) : -1);
	BMessenger target = Messenger();
	if (!target.IsValid() && fMenu != NULL) {
		// The window the menus belong to, not a menu's own window.
		BMenu* root = fMenu->_Root();
		if (root->fMenuWindow == NULL && root->Window() != NULL)
			target = BMessenger(root->Window());
	}
	if (!target.IsValid())
		return B_BAD_VALUE;
	return target.SendMessage(&copy, HandlerForReply(), Timeout());
}

void
BMenuItem::_Choose(bool deliver)
{
	if (fMenu != NULL && fMenu->IsRadioMode())
		SetMarked(true);
	if (deliver)
		Invoke();
}

void
BMenuItem::GetContentSize(float* width, float* height)
{
	BFont font;
	if (fMenu != NULL)
		fMenu->GetFont(&font);
	font_height fh;
	font.GetHeight(&fh);
	if (width != NULL)
		*width = ceilf(font.StringWidth(fLabel.String()));
	if (height != NULL)
		*height = ceilf(fh.ascent + fh.descent);
}

BPoint
BMenuItem::ContentLocation() const
{
	if (fMenu != NULL && fMenu->Layout() == B_ITEMS_IN_ROW)
		return BPoint(fFrame.left + 8, fFrame.top + 2);
	return BPoint(fFrame.left + 14, fFrame.top + 2);
}

void
BMenuItem::DrawContent()
{
	BMenu* menu = fMenu;
	font_height fh;
	menu->GetFontHeight(&fh);
	BPoint where = ContentLocation();
	where.y += ceilf(fh.ascent);
	menu->DrawString(fLabel.String(), where);
}

void
BMenuItem::Draw()
{
	BMenu* menu = fMenu;
	if (menu == NULL)
		return;
	rgb_color background = ui_color(B_MENU_BACKGROUND_COLOR);
	bool selected = fSelected && IsEnabled();
	if (selected) {
		menu->SetHighColor(ui_color(B_MENU_SELECTED_BACKGROUND_COLOR));
		menu->FillRect(fFrame);
	}
	rgb_color text = selected ? ui_color(B_MENU_SELECTED_ITEM_TEXT_COLOR)
							  : ui_color(B_MENU_ITEM_TEXT_COLOR);
	if (!IsEnabled())
		text = tint_color(background, B_DISABLED_LABEL_TINT);
	menu->SetLowColor(selected ? ui_color(B_MENU_SELECTED_BACKGROUND_COLOR) : background);
	menu->SetHighColor(text);
	DrawContent();

	if (menu->Layout() == B_ITEMS_IN_ROW)
		return;
	float middle = floorf((fFrame.top + fFrame.bottom) / 2);
	if (fMarked) {
		// A check mark in the left margin.
		float x = fFrame.left + 3;
		menu->StrokeLine(BPoint(x, middle), BPoint(x + 2, middle + 3));
		menu->StrokeLine(BPoint(x + 1, middle), BPoint(x + 3, middle + 3));
		menu->StrokeLine(BPoint(x + 3, middle + 2), BPoint(x + 7, middle - 4));
		menu->StrokeLine(BPoint(x + 2, middle + 3), BPoint(x + 7, middle - 3));
	}
	if (fSubmenu != NULL) {
		// A small triangle at the right edge.
		float x = fFrame.right - 9;
		for (int32 i = 0; i < 4; i++)
			menu->StrokeLine(BPoint(x + i, middle - 3 + i), BPoint(x + i, middle + 3 - i));
	} else if (fShortcut != 0) {
		BString shortcut = _ShortcutText();
		font_height fh;
		menu->GetFontHeight(&fh);
		float width = menu->StringWidth(shortcut.String());
		menu->DrawString(shortcut.String(),
			BPoint(fFrame.right - 8 - width, ContentLocation().y + ceilf(fh.ascent)));
	}
}
