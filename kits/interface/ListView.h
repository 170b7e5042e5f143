#ifndef _LIST_VIEW_H
#define _LIST_VIEW_H

#include <Invoker.h>
#include <ListItem.h>
#include <View.h>

#include <vector>

class BList;
class BMessage;

enum list_view_type {
	B_SINGLE_SELECTION_LIST = 0,
	B_MULTIPLE_SELECTION_LIST = 1,
};

// A column of rows on white, stacked from the top. A click selects a row
// (Shift extends, Command toggles in a multiple-selection list), the arrow
// keys move the selection, a double click or Enter invokes. The selection
// message goes out whenever the selection changes, the invocation message
// on invocation; both carry "when", "source" and one "index" per selected
// row, and go to the window unless another target was set. The list never
// deletes its items.
class BListView : public BView, public BInvoker {
public:
	BListView(BRect frame, const char* name, list_view_type type = B_SINGLE_SELECTION_LIST,
		uint32 resizingMode = B_FOLLOW_LEFT_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	virtual ~BListView();

	// Hooks.
	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void KeyDown(const char* bytes, int32 numBytes) override;
	void AttachedToWindow() override;
	void FrameResized(float width, float height) override;
	void MakeFocus(bool focus = true) override;
	void WindowActivated(bool active) override;
	virtual void SelectionChanged();

	// Items.
	virtual bool AddItem(BListItem* item);
	virtual bool AddItem(BListItem* item, int32 index);
	virtual bool AddList(BList* list);
	virtual bool AddList(BList* list, int32 index);
	virtual bool RemoveItem(BListItem* item);
	virtual BListItem* RemoveItem(int32 index);
	virtual bool RemoveItems(int32 index, int32 count);
	virtual void MakeEmpty();

	int32 CountItems() const { return (int32)fItems.size(); }
	BListItem* ItemAt(int32 index) const;
	BListItem* FirstItem() const { return ItemAt(0); }
	BListItem* LastItem() const { return ItemAt(CountItems() - 1); }
	int32 IndexOf(const BListItem* item) const;
	// The row under a point of the view, or -1.
	int32 IndexOf(BPoint point) const;
	bool HasItem(const BListItem* item) const { return IndexOf(item) >= 0; }
	bool IsEmpty() const { return fItems.empty(); }

	// Selection.
	void SetListType(list_view_type type);
	list_view_type ListType() const { return fListType; }
	void Select(int32 index, bool extend = false);
	void Select(int32 from, int32 to, bool extend = false);
	bool IsItemSelected(int32 index) const;
	// The index of the n-th selected row, or -1.
	int32 CurrentSelection(int32 n = 0) const;
	void Deselect(int32 index);
	void DeselectAll();
	void DeselectExcept(int32 exceptFrom, int32 exceptTo);

	// Messages.
	virtual void SetSelectionMessage(BMessage* message);
	virtual void SetInvocationMessage(BMessage* message);
	BMessage* SelectionMessage() const { return fSelectMessage; }
	uint32 SelectionCommand() const { return fSelectMessage != NULL ? fSelectMessage->what : 0; }
	BMessage* InvocationMessage() const { return Message(); }
	uint32 InvocationCommand() const { return Command(); }
	status_t Invoke(BMessage* message = NULL) override;

	// Geometry and scrolling.
	BRect ItemFrame(int32 index) const;
	void InvalidateItem(int32 index);
	void ScrollToSelection();
	void ScrollTo(int32 index);
	using BView::ScrollTo;

protected:
	// Draws one row in its frame; the outline list adds its latch here.
	virtual void DrawItem(BListItem* item, BRect itemRect, bool complete = false);
	// The row list itself, for the outline list, which shows only some of
	// its rows here. They neither call hooks nor send messages.
	bool _InsertItem(BListItem* item, int32 index);
	BListItem* _RemoveItemAt(int32 index);
	void _SetItems(const std::vector<BListItem*>& items);
	void _UpdateItem(BListItem* item);
	void _FixupScrollBar();
	// Called after the selection changed: the hook and the message.
	void _SelectionChanged();

private:
	bool _Select(int32 from, int32 to, bool extend);
	bool _Deselect(int32 index);
	bool _DeselectAll(int32 exceptFrom, int32 exceptTo);
	void _MoveSelection(int32 to, bool extend);
	void _SendMessage(BMessage* message);
	float _ItemTop(int32 index) const;
	float _TotalHeight() const;

	std::vector<BListItem*> fItems;
	list_view_type fListType;
	BMessage* fSelectMessage = NULL;
	// Where Shift extends from, and the row the keys last moved to.
	int32 fAnchor = -1;
	int32 fLastClicked = -1;
	int32 fCursor = -1;
};

#endif
