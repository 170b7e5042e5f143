#ifndef _OUTLINE_LIST_VIEW_H
#define _OUTLINE_LIST_VIEW_H

#include <ListView.h>

// A list of rows in a tree: a row's level says how deep it sits, and the
// rows under a row show only while it and every row above it are
// expanded. A row with rows under it has a small triangle at its left;
// clicking it, or Left and Right on the selected row, collapses and expands.
// CountItems(), ItemAt() and IndexOf() see the shown rows; the FullList
// calls see all.
class BOutlineListView : public BListView {
public:
	BOutlineListView(BRect frame, const char* name,
		list_view_type type = B_SINGLE_SELECTION_LIST, uint32 resizingMode = B_FOLLOW_LEFT_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	virtual ~BOutlineListView();

	void MouseDown(BPoint where) override;
	void KeyDown(const char* bytes, int32 numBytes) override;

	// Adding at a full-list index; the row keeps the level it has.
	bool AddItem(BListItem* item) override;
	bool AddItem(BListItem* item, int32 fullListIndex) override;
	bool AddList(BList* list) override;
	bool AddList(BList* list, int32 fullListIndex) override;
	// Adds item as the last row under superitem, one level deeper.
	bool AddUnder(BListItem* item, BListItem* superitem);
	// Removing a row removes the rows under it too.
	bool RemoveItem(BListItem* item) override;
	BListItem* RemoveItem(int32 fullListIndex) override;
	bool RemoveItems(int32 fullListIndex, int32 count) override;
	void MakeEmpty() override;

	int32 FullListCountItems() const { return (int32)fFullList.size(); }
	BListItem* FullListItemAt(int32 fullListIndex) const;
	int32 FullListIndexOf(const BListItem* item) const;
	int32 FullListIndexOf(BPoint point) const;
	BListItem* FullListFirstItem() const { return FullListItemAt(0); }
	BListItem* FullListLastItem() const { return FullListItemAt(FullListCountItems() - 1); }
	bool FullListHasItem(const BListItem* item) const { return FullListIndexOf(item) >= 0; }
	bool FullListIsEmpty() const { return fFullList.empty(); }
	int32 FullListCurrentSelection(int32 n = 0) const;

	void Expand(BListItem* item);
	void Collapse(BListItem* item);
	bool IsExpanded(int32 fullListIndex) const;

	BListItem* Superitem(const BListItem* item) const;
	int32 CountItemsUnder(BListItem* superitem, bool oneLevelOnly) const;
	BListItem* ItemUnderAt(BListItem* superitem, bool oneLevelOnly, int32 index) const;

	// Where the triangle of a row at that level is drawn and clicked.
	BRect LatchRect(BRect itemRect, int32 level) const;

protected:
	void DrawItem(BListItem* item, BRect itemRect, bool complete = false) override;
	virtual void DrawLatch(BRect latchRect, int32 level, bool collapsed, bool highlighted,
		bool misTracked);

private:
	// Works out which rows show and hands them to the list; rows that
	// disappear lose their selection.
	void _Refresh();
	int32 _SubtreeEnd(int32 fullListIndex) const;
	void _Toggle(BListItem* item, bool expand);

	std::vector<BListItem*> fFullList;
};

#endif
