#include "TestView.h"

#include "IconListItem.h"

#include <Bitmap.h>
#include <MimeType.h>
#include <OutlineListView.h>
#include <ScrollView.h>
#include <Window.h>

#include <stdlib.h>
#include <string.h>

char* otreEssai[6] = {};

namespace {

char sSampleSender[] = "Yeah...";
char sSampleMessage[] = "It seems to work pretty well...";

} // namespace

TestView::TestView(BRect frame)
	: BView(frame, "TestView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW)
{
	_Build(true);
}

TestView::TestView(BRect frame, char*)
	: BView(frame, "TestView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW)
{
	_Build(false);
}

TestView::~TestView()
{
	EffaceTout();
}

void
TestView::AjouteFrom(char* sender, TestView*)
{
	_AddRow(SENDER_ROW_ICON_TYPE, sender, 0);
}

void
TestView::ajouteMess(char* text, TestView*)
{
	_AddRow(MESSAGE_ROW_ICON_TYPE, text, 1);
}

void
TestView::AddMessage(const char* sender, const char* arrival, const char* text, int32 record)
{
	IconListItem* from = _AddRow(SENDER_ROW_ICON_TYPE, sender, 0);
	from->SetDetail(arrival);
	from->SetRecord(record);
	_AddRow(MESSAGE_ROW_ICON_TYPE, text, 1)->SetRecord(record);
}

bool
TestView::IsAtEnd() const
{
	int32 count = fList->CountItems();
	return count == 0 || fList->ItemFrame(count - 1).bottom <= fList->Bounds().bottom + 1;
}

void
TestView::ScrollToEnd()
{
	int32 count = fList->CountItems();
	if (count == 0)
		return;
	BRect last = fList->ItemFrame(count - 1);
	float top = last.bottom - fList->Bounds().Height();
	if (top > fList->Bounds().top)
		fList->ScrollTo(BPoint(0, top));
}

bool
TestView::SelectRecord(int32 record)
{
	for (int32 i = 0; i < fList->CountItems(); i++) {
		IconListItem* row = dynamic_cast<IconListItem*>(fList->ItemAt(i));
		if (row == NULL || row->Record() != record || row->OutlineLevel() != 0)
			continue;
		fList->Select(i);
		// The message row under it in sight as well.
		fList->ScrollToSelection();
		if (i + 1 < fList->CountItems()) {
			BRect below = fList->ItemFrame(i + 1);
			if (below.bottom > fList->Bounds().bottom)
				fList->ScrollTo(BPoint(0, below.bottom - fList->Bounds().Height()));
		}
		return true;
	}
	return false;
}

char*
TestView::recupLabel()
{
	IconListItem* sender = _SenderRow(_Selected());
	return sender != NULL ? const_cast<char*>(sender->Label()) : NULL;
}

const char*
TestView::SelectedArrival()
{
	IconListItem* sender = _SenderRow(_Selected());
	return sender != NULL ? sender->Detail() : NULL;
}

char*
TestView::recupSousLabel()
{
	IconListItem* message = _MessageRow(_Selected());
	return message != NULL ? const_cast<char*>(message->Label()) : NULL;
}

void
TestView::EffaceTout()
{
	std::vector<BListItem*> rows;
	for (int32 i = 0; i < fList->FullListCountItems(); i++)
		rows.push_back(fList->FullListItemAt(i));
	fList->MakeEmpty();
	for (BListItem* row : rows)
		delete row;
}

void
TestView::_Build(bool withSamples)
{
	// The list and its bar fill the view, inside the scroll view's border.
	BRect frame = Bounds().InsetByCopy(2, 2);
	frame.right -= B_V_SCROLL_BAR_WIDTH;
	fList = new BOutlineListView(frame, "List", B_SINGLE_SELECTION_LIST, B_FOLLOW_LEFT_TOP,
		B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	if (withSamples) {
		_AddRow(SENDER_ROW_ICON_TYPE, sSampleSender, 0);
		_AddRow(MESSAGE_ROW_ICON_TYPE, sSampleMessage, 1);
	}
	AddChild(new BScrollView("scroll", fList, B_FOLLOW_ALL_SIDES, 0, false, true,
		B_FANCY_BORDER));
}

IconListItem*
TestView::_AddRow(const char* iconType, const char* text, int level)
{
	BBitmap icon(BRect(0, 0, 15, 15), B_CMAP8);
	// A type without an icon leaves the icon area blank.
	memset(icon.Bits(), B_TRANSPARENT_MAGIC_CMAP8, icon.BitsLength());
	BMimeType(iconType).GetIcon(&icon, B_MINI_ICON);
	IconListItem* row = new IconListItem(&icon, const_cast<char*>(text), level, true);
	fList->AddItem(row);
	int32 position = fList->FullListCountItems() - 1;
	if (position >= 0 && position < 6) {
		free(otreEssai[position]);
		otreEssai[position] = strdup(text != NULL ? text : "");
	}
	return row;
}

IconListItem*
TestView::_SenderRow(IconListItem* row) const
{
	if (row == NULL || row->OutlineLevel() == 0)
		return row;
	return dynamic_cast<IconListItem*>(fList->Superitem(row));
}

IconListItem*
TestView::_MessageRow(IconListItem* row) const
{
	if (row == NULL || row->OutlineLevel() > 0)
		return row;
	return dynamic_cast<IconListItem*>(fList->ItemUnderAt(row, true, 0));
}

IconListItem*
TestView::_Selected() const
{
	return dynamic_cast<IconListItem*>(fList->FullListItemAt(fList->FullListCurrentSelection()));
}
