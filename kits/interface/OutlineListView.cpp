#include <OutlineListView.h>

#include <List.h>
#include <Window.h>

#include <algorithm>

namespace {

// Each level moves a row this far right; the latch sits in that room.
const float kIndent = 10;
const float kLatchWidth = 10;
const rgb_color kLatchColor = {0, 0, 0, 255};

} // namespace

BOutlineListView::BOutlineListView(BRect frame, const char* name, list_view_type type,
	uint32 resizingMode, uint32 flags)
	: BListView(frame, name, type, resizingMode, flags)
{
}

BOutlineListView::~BOutlineListView()
{
}

void
BOutlineListView::MouseDown(BPoint where)
{
	int32 index = IndexOf(where);
	BListItem* item = ItemAt(index);
	if (item != NULL && item->HasSubitems()
		&& LatchRect(ItemFrame(index), item->OutlineLevel()).Contains(where)) {
		if (!IsFocus())
			MakeFocus(true);
		_Toggle(item, !item->IsExpanded());
		return;
	}
	BListView::MouseDown(where);
}

void
BOutlineListView::KeyDown(const char* bytes, int32 numBytes)
{
	BListItem* item = ItemAt(CurrentSelection());
	if (numBytes == 1 && item != NULL && item->HasSubitems()) {
		if (bytes[0] == B_LEFT_ARROW) {
			_Toggle(item, false);
			return;
		}
		if (bytes[0] == B_RIGHT_ARROW) {
			_Toggle(item, true);
			return;
		}
	}
	BListView::KeyDown(bytes, numBytes);
}

// #pragma mark - items

bool
BOutlineListView::AddItem(BListItem* item)
{
	return AddItem(item, FullListCountItems());
}

bool
BOutlineListView::AddItem(BListItem* item, int32 fullListIndex)
{
	if (item == NULL || fullListIndex < 0 || fullListIndex > FullListCountItems())
		return false;
	fFullList.insert(fFullList.begin() + fullListIndex, item);
	_Refresh();
	return true;
}

bool
BOutlineListView::AddList(BList* list)
{
	return AddList(list, FullListCountItems());
}

bool
BOutlineListView::AddList(BList* list, int32 fullListIndex)
{
	if (list == NULL || fullListIndex < 0 || fullListIndex > FullListCountItems())
		return false;
	for (int32 i = 0; i < list->CountItems(); i++) {
		if (list->ItemAt(i) == NULL)
			return false;
	}
	for (int32 i = 0; i < list->CountItems(); i++)
		fFullList.insert(fFullList.begin() + fullListIndex + i, (BListItem*)list->ItemAt(i));
	_Refresh();
	return true;
}

bool
BOutlineListView::AddUnder(BListItem* item, BListItem* superitem)
{
	int32 super = FullListIndexOf(superitem);
	if (item == NULL || super < 0)
		return false;
	item->SetOutlineLevel(superitem->OutlineLevel() + 1);
	return AddItem(item, _SubtreeEnd(super));
}

bool
BOutlineListView::RemoveItem(BListItem* item)
{
	int32 index = FullListIndexOf(item);
	return index >= 0 && RemoveItem(index) != NULL;
}

BListItem*
BOutlineListView::RemoveItem(int32 fullListIndex)
{
	BListItem* item = FullListItemAt(fullListIndex);
	if (item == NULL)
		return NULL;
	fFullList.erase(fFullList.begin() + fullListIndex, fFullList.begin() + _SubtreeEnd(fullListIndex));
	_Refresh();
	return item;
}

bool
BOutlineListView::RemoveItems(int32 fullListIndex, int32 count)
{
	if (fullListIndex < 0 || count < 0 || fullListIndex + count > FullListCountItems())
		return false;
	fFullList.erase(fFullList.begin() + fullListIndex,
		fFullList.begin() + fullListIndex + count);
	_Refresh();
	return true;
}

void
BOutlineListView::MakeEmpty()
{
	fFullList.clear();
	BListView::MakeEmpty();
}

BListItem*
BOutlineListView::FullListItemAt(int32 fullListIndex) const
{
	if (fullListIndex < 0 || fullListIndex >= FullListCountItems())
		return NULL;
	return fFullList[fullListIndex];
}

int32
BOutlineListView::FullListIndexOf(const BListItem* item) const
{
	auto found = std::find(fFullList.begin(), fFullList.end(), item);
	return found == fFullList.end() ? -1 : (int32)(found - fFullList.begin());
}

int32
BOutlineListView::FullListIndexOf(BPoint point) const
{
	return FullListIndexOf(ItemAt(IndexOf(point)));
}

int32
BOutlineListView::FullListCurrentSelection(int32 n) const
{
	if (n < 0)
		return -1;
	for (int32 i = 0; i < FullListCountItems(); i++) {
		if (fFullList[i]->IsSelected() && n-- == 0)
			return i;
	}
	return -1;
}

// #pragma mark - the tree

void
BOutlineListView::Expand(BListItem* item)
{
	if (FullListHasItem(item))
		_Toggle(item, true);
}

void
BOutlineListView::Collapse(BListItem* item)
{
	if (FullListHasItem(item))
		_Toggle(item, false);
}

bool
BOutlineListView::IsExpanded(int32 fullListIndex) const
{
	BListItem* item = FullListItemAt(fullListIndex);
	return item != NULL && item->IsExpanded();
}

BListItem*
BOutlineListView::Superitem(const BListItem* item) const
{
	int32 index = FullListIndexOf(item);
	if (index < 0)
		return NULL;
	for (int32 i = index - 1; i >= 0; i--) {
		if (fFullList[i]->OutlineLevel() < item->OutlineLevel())
			return fFullList[i];
	}
	return NULL;
}

int32
BOutlineListView::CountItemsUnder(BListItem* superitem, bool oneLevelOnly) const
{
	int32 count = 0;
	while (ItemUnderAt(superitem, oneLevelOnly, count) != NULL)
		count++;
	return count;
}

BListItem*
BOutlineListView::ItemUnderAt(BListItem* superitem, bool oneLevelOnly, int32 index) const
{
	// Without a superitem: the whole list, or its top level.
	int32 start = 0;
	int32 end = FullListCountItems();
	uint32 level = 0;
	if (superitem != NULL) {
		int32 super = FullListIndexOf(superitem);
		if (super < 0)
			return NULL;
		start = super + 1;
		end = _SubtreeEnd(super);
		level = superitem->OutlineLevel() + 1;
	}
	for (int32 i = start; i < end && index >= 0; i++) {
		if (oneLevelOnly && fFullList[i]->OutlineLevel() != level)
			continue;
		if (index-- == 0)
			return fFullList[i];
	}
	return NULL;
}

BRect
BOutlineListView::LatchRect(BRect itemRect, int32 level) const
{
	float left = itemRect.left + level * kIndent;
	return BRect(left, itemRect.top, left + kLatchWidth - 1, itemRect.bottom);
}

// #pragma mark - drawing

void
BOutlineListView::DrawItem(BListItem* item, BRect itemRect, bool complete)
{
	BRect latch = LatchRect(itemRect, item->OutlineLevel());
	if (item->HasSubitems())
		DrawLatch(latch, item->OutlineLevel(), !item->IsExpanded(), item->IsSelected(), false);
	itemRect.left = latch.right + 1;
	BListView::DrawItem(item, itemRect, complete);
}

void
BOutlineListView::DrawLatch(BRect latchRect, int32, bool collapsed, bool, bool)
{
	// A small solid triangle: pointing right when collapsed, down when not.
	PushState();
	SetHighColor(kLatchColor);
	float middle = floorf((latchRect.top + latchRect.bottom) / 2);
	float centre = latchRect.left + 5;
	for (int k = 0; k < 5; k++) {
		if (collapsed) {
			StrokeLine(BPoint(latchRect.left + 3 + k, middle - 4 + k),
				BPoint(latchRect.left + 3 + k, middle + 4 - k));
		} else {
			StrokeLine(BPoint(centre - 4 + k, middle - 2 + k),
				BPoint(centre + 4 - k, middle - 2 + k));
		}
	}
	PopState();
}

// #pragma mark - private

void
BOutlineListView::_Refresh()
{
	std::vector<BListItem*> shown;
	bool selectionLost = false;
	// Rows deeper than this are under a collapsed row; -1 when none is.
	int64 hiddenBelow = -1;
	for (int32 i = 0; i < FullListCountItems(); i++) {
		BListItem* item = fFullList[i];
		BListItem* next = FullListItemAt(i + 1);
		item->fHasSubitems = next != NULL && next->OutlineLevel() > item->OutlineLevel();
		if (hiddenBelow >= 0 && item->OutlineLevel() > hiddenBelow) {
			item->fVisible = false;
			selectionLost |= item->IsSelected();
			item->Deselect();
			continue;
		}
		hiddenBelow = item->IsExpanded() ? -1 : (int64)item->OutlineLevel();
		item->fVisible = true;
		shown.push_back(item);
	}
	// Rows that left the list altogether lose their selection too.
	for (int32 i = 0; i < CountItems(); i++) {
		if (ItemAt(i)->IsSelected() && !FullListHasItem(ItemAt(i)))
			selectionLost = true;
	}
	_SetItems(shown);
	_FixupScrollBar();
	if (Window() != NULL)
		Invalidate();
	if (selectionLost)
		_SelectionChanged();
}

int32
BOutlineListView::_SubtreeEnd(int32 fullListIndex) const
{
	uint32 level = fFullList[fullListIndex]->OutlineLevel();
	int32 end = fullListIndex + 1;
	while (end < FullListCountItems() && fFullList[end]->OutlineLevel() > level)
		end++;
	return end;
}

void
BOutlineListView::_Toggle(BListItem* item, bool expand)
{
	if (item->IsExpanded() == expand)
		return;
	item->SetExpanded(expand);
	_Refresh();
}
