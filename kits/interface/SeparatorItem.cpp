#include <SeparatorItem.h>

#include <Menu.h>

BSeparatorItem::BSeparatorItem()
	: BMenuItem("", NULL)
{
	BMenuItem::SetEnabled(false);
}

BSeparatorItem::~BSeparatorItem()
{
}

void
BSeparatorItem::SetEnabled(bool)
{
}

void
BSeparatorItem::GetContentSize(float* width, float* height)
{
	if (width != NULL)
		*width = 2;
	if (height != NULL)
		*height = 4;
}

void
BSeparatorItem::Draw()
{
	BMenu* menu = Menu();
	if (menu == NULL)
		return;
	// An etched line: a shadow over a highlight.
	BRect frame = Frame();
	float y = frame.top + 3;
	rgb_color background = ui_color(B_MENU_BACKGROUND_COLOR);
	menu->SetHighColor(tint_color(background, B_DARKEN_2_TINT));
	menu->StrokeLine(BPoint(frame.left + 1, y), BPoint(frame.right - 1, y));
	menu->SetHighColor(tint_color(background, B_LIGHTEN_2_TINT));
	menu->StrokeLine(BPoint(frame.left + 1, y + 1), BPoint(frame.right - 1, y + 1));
}
