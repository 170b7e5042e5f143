#include <ListView.h>

#include <List.h>
#include <Message.h>
#include <OS.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <Window.h>

#include <algorithm>
#include <math.h>

BListView::BListView(BRect frame, const char* name, list_view_type type, uint32 resizingMode,
	uint32 flags)
	: BView(frame, name, resizingMode, flags),
	  fListType(type)
{
	SetViewColor(ui_color(B_LIST_BACKGROUND_COLOR));
	SetLowColor(ui_color(B_LIST_BACKGROUND_COLOR));
}

BListView::~BListView()
{
	delete fSelectMessage;
}

// #pragma mark - hooks

void
BListView::Draw(BRect updateRect)
{
	float top = 0;
	for (BListItem* item : fItems) {
		float bottom = top + ceilf(item->Height()) - 1;
		if (top > updateRect.bottom)
			break;
		if (bottom >= updateRect.top)
			DrawItem(item, BRect(Bounds().left, top, Bounds().right, bottom), false);
		top = bottom + 1;
	}
}

void
BListView::DrawItem(BListItem* item, BRect itemRect, bool complete)
{
	PushState();
	item->DrawItem(this, itemRect, complete);
	PopState();
}

void
BListView::MouseDown(BPoint where)
{
	if (!IsFocus())
		MakeFocus(true);
	int32 index = IndexOf(where);
	if (index < 0)
		return;
	int32 clicks = 1;
	int32 modifiers = 0;
	if (Window() != NULL && Window()->CurrentMessage() != NULL) {
		Window()->CurrentMessage()->FindInt32("clicks", &clicks);
		Window()->CurrentMessage()->FindInt32("modifiers", &modifiers);
	}
	// The second click of a double click on the row the first one chose.
	if (clicks >= 2 && index == fLastClicked) {
		Invoke();
		return;
	}
	fLastClicked = index;
	if (!ItemAt(index)->IsEnabled())
		return;

	bool changed;
	if (fListType == B_MULTIPLE_SELECTION_LIST && (modifiers & B_SHIFT_KEY) != 0
		&& fAnchor >= 0) {
		changed = _Select(std::min(fAnchor, index), std::max(fAnchor, index), false);
	} else if (fListType == B_MULTIPLE_SELECTION_LIST
		&& (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY)) != 0) {
		changed = IsItemSelected(index) ? _Deselect(index) : _Select(index, index, true);
		fAnchor = index;
	} else {
		changed = _Select(index, index, false);
		fAnchor = index;
	}
	fCursor = index;
	if (changed)
		_SelectionChanged();
}

void
BListView::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes != 1 || IsEmpty()) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	int32 modifiers = 0;
	if (Window() != NULL && Window()->CurrentMessage() != NULL)
		Window()->CurrentMessage()->FindInt32("modifiers", &modifiers);
	bool extend = fListType == B_MULTIPLE_SELECTION_LIST && (modifiers & B_SHIFT_KEY) != 0;
	int32 current = fCursor >= 0 && fCursor < CountItems() ? fCursor : CurrentSelection();
	float page = Bounds().Height() + 1;
	switch (bytes[0]) {
		case B_UP_ARROW:
			_MoveSelection(current < 0 ? 0 : std::max(current - 1, (int32)0), extend);
			break;
		case B_DOWN_ARROW:
			_MoveSelection(current < 0 ? 0 : std::min(current + 1, CountItems() - 1), extend);
			break;
		case B_HOME:
			_MoveSelection(0, extend);
			break;
		case B_END:
			_MoveSelection(CountItems() - 1, extend);
			break;
		case B_PAGE_UP: {
			// The row a page above the current one.
			float y = (current < 0 ? 0 : _ItemTop(current)) - page;
			int32 to = IndexOf(BPoint(0, std::max(y, 0.0f)));
			_MoveSelection(to < 0 ? 0 : to, extend);
			break;
		}
		case B_PAGE_DOWN: {
			float y = (current < 0 ? 0 : _ItemTop(current)) + page;
			int32 to = IndexOf(BPoint(0, y));
			_MoveSelection(to < 0 ? CountItems() - 1 : to, extend);
			break;
		}
		case B_ENTER:
			if (CurrentSelection() >= 0)
				Invoke();
			break;
		default:
			BView::KeyDown(bytes, numBytes);
	}
}

void
BListView::AttachedToWindow()
{
	if (!BInvoker::Messenger().IsValid() && BInvoker::Target() == NULL)
		SetTarget(Window());
	BFont font;
	GetFont(&font);
	for (BListItem* item : fItems)
		item->Update(this, &font);
	_FixupScrollBar();
	BView::AttachedToWindow();
}

void
BListView::FrameResized(float width, float height)
{
	BView::FrameResized(width, height);
	_FixupScrollBar();
}

void
BListView::MakeFocus(bool focus)
{
	BView::MakeFocus(focus);
	// The scroll view's border shows where the keys go.
	if (dynamic_cast<BScrollView*>(Parent()) != NULL && Window() != NULL)
		Parent()->Invalidate();
}

void
BListView::WindowActivated(bool active)
{
	BView::WindowActivated(active);
	if (IsFocus() && dynamic_cast<BScrollView*>(Parent()) != NULL)
		Parent()->Invalidate();
}

void
BListView::SelectionChanged()
{
}

// #pragma mark - items

bool
BListView::AddItem(BListItem* item)
{
	return AddItem(item, CountItems());
}

bool
BListView::AddItem(BListItem* item, int32 index)
{
	if (!_InsertItem(item, index))
		return false;
	_FixupScrollBar();
	if (Window() != NULL)
		Invalidate(BRect(Bounds().left, _ItemTop(index), Bounds().right, Bounds().bottom));
	return true;
}

bool
BListView::AddList(BList* list)
{
	return AddList(list, CountItems());
}

bool
BListView::AddList(BList* list, int32 index)
{
	if (list == NULL || index < 0 || index > CountItems())
		return false;
	for (int32 i = 0; i < list->CountItems(); i++) {
		if (!_InsertItem((BListItem*)list->ItemAt(i), index + i))
			return false;
	}
	_FixupScrollBar();
	if (Window() != NULL)
		Invalidate();
	return true;
}

bool
BListView::RemoveItem(BListItem* item)
{
	int32 index = IndexOf(item);
	return index >= 0 && RemoveItem(index) != NULL;
}

BListItem*
BListView::RemoveItem(int32 index)
{
	BListItem* item = ItemAt(index);
	if (item == NULL)
		return NULL;
	float top = _ItemTop(index);
	bool wasSelected = item->IsSelected();
	_RemoveItemAt(index);
	_FixupScrollBar();
	if (Window() != NULL)
		Invalidate(BRect(Bounds().left, top, Bounds().right, Bounds().bottom));
	if (wasSelected)
		_SelectionChanged();
	return item;
}

bool
BListView::RemoveItems(int32 index, int32 count)
{
	if (index < 0 || count < 0 || index + count > CountItems())
		return false;
	bool selectionChanged = false;
	for (int32 i = 0; i < count; i++) {
		selectionChanged |= ItemAt(index)->IsSelected();
		_RemoveItemAt(index);
	}
	_FixupScrollBar();
	if (Window() != NULL)
		Invalidate();
	if (selectionChanged)
		_SelectionChanged();
	return true;
}

void
BListView::MakeEmpty()
{
	bool selectionChanged = CurrentSelection() >= 0;
	_SetItems(std::vector<BListItem*>());
	ScrollTo(BPoint(0, 0));
	_FixupScrollBar();
	if (Window() != NULL)
		Invalidate();
	if (selectionChanged)
		_SelectionChanged();
}

BListItem*
BListView::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return NULL;
	return fItems[index];
}

int32
BListView::IndexOf(const BListItem* item) const
{
	auto found = std::find(fItems.begin(), fItems.end(), item);
	return found == fItems.end() ? -1 : (int32)(found - fItems.begin());
}

int32
BListView::IndexOf(BPoint point) const
{
	if (point.y < 0)
		return -1;
	float top = 0;
	for (int32 i = 0; i < CountItems(); i++) {
		float bottom = top + ceilf(fItems[i]->Height()) - 1;
		if (point.y <= bottom)
			return i;
		top = bottom + 1;
	}
	return -1;
}

// #pragma mark - selection

void
BListView::SetListType(list_view_type type)
{
	if (type == fListType)
		return;
	fListType = type;
	// One selected row at most in a single-selection list.
	if (type == B_SINGLE_SELECTION_LIST && CurrentSelection(1) >= 0) {
		int32 first = CurrentSelection();
		if (_DeselectAll(first, first))
			_SelectionChanged();
	}
}

void
BListView::Select(int32 index, bool extend)
{
	if (_Select(index, index, extend)) {
		fAnchor = fCursor = index;
		_SelectionChanged();
	}
}

void
BListView::Select(int32 from, int32 to, bool extend)
{
	if (_Select(from, to, extend)) {
		fAnchor = from;
		fCursor = to;
		_SelectionChanged();
	}
}

bool
BListView::IsItemSelected(int32 index) const
{
	BListItem* item = ItemAt(index);
	return item != NULL && item->IsSelected();
}

int32
BListView::CurrentSelection(int32 n) const
{
	if (n < 0)
		return -1;
	for (int32 i = 0; i < CountItems(); i++) {
		if (fItems[i]->IsSelected() && n-- == 0)
			return i;
	}
	return -1;
}

void
BListView::Deselect(int32 index)
{
	if (_Deselect(index))
		_SelectionChanged();
}

void
BListView::DeselectAll()
{
	if (_DeselectAll(-1, -1))
		_SelectionChanged();
}

void
BListView::DeselectExcept(int32 exceptFrom, int32 exceptTo)
{
	if (exceptFrom < 0 || exceptTo < exceptFrom)
		return;
	if (_DeselectAll(exceptFrom, exceptTo))
		_SelectionChanged();
}

// #pragma mark - messages

void
BListView::SetSelectionMessage(BMessage* message)
{
	if (message == fSelectMessage)
		return;
	delete fSelectMessage;
	fSelectMessage = message;
}

void
BListView::SetInvocationMessage(BMessage* message)
{
	SetMessage(message);
}

status_t
BListView::Invoke(BMessage* message)
{
	if (message == NULL)
		message = Message();
	if (message == NULL)
		return B_BAD_VALUE;
	BMessage copy(*message);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	for (int32 i = 0; i < CountItems(); i++) {
		if (fItems[i]->IsSelected())
			copy.AddInt32("index", i);
	}
	return BInvoker::Invoke(&copy);
}

// #pragma mark - geometry

BRect
BListView::ItemFrame(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return BRect();
	float top = _ItemTop(index);
	return BRect(Bounds().left, top, Bounds().right, top + ceilf(fItems[index]->Height()) - 1);
}

void
BListView::InvalidateItem(int32 index)
{
	if (Window() != NULL && index >= 0 && index < CountItems())
		Invalidate(ItemFrame(index));
}

void
BListView::ScrollToSelection()
{
	ScrollTo(CurrentSelection());
}

void
BListView::ScrollTo(int32 index)
{
	if (index < 0 || index >= CountItems())
		return;
	BRect frame = ItemFrame(index);
	BRect bounds = Bounds();
	if (frame.top < bounds.top)
		ScrollTo(BPoint(bounds.left, frame.top));
	else if (frame.bottom > bounds.bottom)
		ScrollTo(BPoint(bounds.left, std::max(0.0f, frame.bottom - bounds.Height())));
}

// #pragma mark - for the outline list

bool
BListView::_InsertItem(BListItem* item, int32 index)
{
	if (item == NULL || index < 0 || index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	_UpdateItem(item);
	if (fAnchor >= index)
		fAnchor++;
	if (fCursor >= index)
		fCursor++;
	fLastClicked = -1;
	// A single-selection list keeps at most one selected row.
	if (item->IsSelected() && fListType == B_SINGLE_SELECTION_LIST)
		_DeselectAll(index, index);
	return true;
}

BListItem*
BListView::_RemoveItemAt(int32 index)
{
	BListItem* item = ItemAt(index);
	if (item == NULL)
		return NULL;
	fItems.erase(fItems.begin() + index);
	item->Deselect();
	if (fAnchor == index)
		fAnchor = -1;
	else if (fAnchor > index)
		fAnchor--;
	if (fCursor == index)
		fCursor = -1;
	else if (fCursor > index)
		fCursor--;
	fLastClicked = -1;
	return item;
}

void
BListView::_SetItems(const std::vector<BListItem*>& items)
{
	BListItem* anchor = ItemAt(fAnchor);
	BListItem* cursor = ItemAt(fCursor);
	for (BListItem* item : fItems) {
		if (std::find(items.begin(), items.end(), item) == items.end())
			item->Deselect();
	}
	fItems = items;
	for (BListItem* item : fItems)
		_UpdateItem(item);
	fAnchor = IndexOf(anchor);
	fCursor = IndexOf(cursor);
	fLastClicked = -1;
}

void
BListView::_UpdateItem(BListItem* item)
{
	if (Window() == NULL)
		return;
	BFont font;
	GetFont(&font);
	item->Update(this, &font);
}

void
BListView::_FixupScrollBar()
{
	BRect bounds = Bounds();
	if (BScrollBar* bar = ScrollBar(B_VERTICAL)) {
		float height = _TotalHeight();
		float visible = bounds.Height() + 1;
		float step = IsEmpty() ? 20 : std::max(1.0f, ceilf(fItems[0]->Height()));
		bar->SetRange(0, std::max(0.0f, height - visible));
		bar->SetProportion(height > 0 ? std::min(1.0f, visible / height) : 1);
		bar->SetSteps(step, std::max(step, visible - step));
	}
	if (BScrollBar* bar = ScrollBar(B_HORIZONTAL)) {
		float widest = 0;
		for (BListItem* item : fItems)
			widest = std::max(widest, item->Width());
		float visible = bounds.Width() + 1;
		bar->SetRange(0, std::max(0.0f, ceilf(widest - visible)));
		bar->SetProportion(widest > 0 ? std::min(1.0f, visible / widest) : 1);
		bar->SetSteps(10, std::max(10.0f, visible - 10));
	}
}

void
BListView::_SelectionChanged()
{
	SelectionChanged();
	if (fSelectMessage != NULL)
		Invoke(fSelectMessage);
}

// #pragma mark - private

bool
BListView::_Select(int32 from, int32 to, bool extend)
{
	if (from < 0 || to >= CountItems() || from > to)
		return false;
	if (fListType == B_SINGLE_SELECTION_LIST) {
		from = to;
		extend = false;
	}
	bool changed = false;
	if (!extend)
		changed = _DeselectAll(from, to);
	for (int32 i = from; i <= to; i++) {
		BListItem* item = fItems[i];
		if (item->IsSelected() || !item->IsEnabled())
			continue;
		item->Select();
		InvalidateItem(i);
		changed = true;
	}
	return changed;
}

bool
BListView::_Deselect(int32 index)
{
	BListItem* item = ItemAt(index);
	if (item == NULL || !item->IsSelected())
		return false;
	item->Deselect();
	InvalidateItem(index);
	return true;
}

bool
BListView::_DeselectAll(int32 exceptFrom, int32 exceptTo)
{
	bool changed = false;
	for (int32 i = 0; i < CountItems(); i++) {
		if (i >= exceptFrom && i <= exceptTo)
			continue;
		changed |= _Deselect(i);
	}
	return changed;
}

void
BListView::_MoveSelection(int32 to, bool extend)
{
	if (to < 0 || to >= CountItems())
		return;
	bool changed;
	if (extend && fAnchor >= 0)
		changed = _Select(std::min(fAnchor, to), std::max(fAnchor, to), false);
	else {
		changed = _Select(to, to, false);
		fAnchor = to;
	}
	fCursor = to;
	ScrollTo(to);
	if (changed)
		_SelectionChanged();
}

float
BListView::_ItemTop(int32 index) const
{
	float top = 0;
	for (int32 i = 0; i < index && i < CountItems(); i++)
		top += ceilf(fItems[i]->Height());
	return top;
}

float
BListView::_TotalHeight() const
{
	return _ItemTop(CountItems());
}
