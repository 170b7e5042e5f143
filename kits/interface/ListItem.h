#ifndef _LIST_ITEM_H
#define _LIST_ITEM_H

#include <Rect.h>
#include <SupportDefs.h>

class BFont;
class BList;
class BOutlineListView;
class BView;

// One row of a BListView. The list never deletes its items: whoever made
// them does. In a BOutlineListView the level says how deep the row sits and
// "expanded" whether the rows under it show.
class BListItem {
public:
	BListItem(uint32 outlineLevel = 0, bool expanded = true);
	virtual ~BListItem();

	float Height() const { return fHeight; }
	float Width() const { return fWidth; }
	bool IsSelected() const { return fSelected; }
	void Select() { fSelected = true; }
	void Deselect() { fSelected = false; }

	virtual void SetEnabled(bool enabled) { fEnabled = enabled; }
	bool IsEnabled() const { return fEnabled; }

	void SetHeight(float height) { fHeight = height; }
	void SetWidth(float width) { fWidth = width; }

	// Draws the row into owner within frame. With complete set the row
	// paints its background too; otherwise the owner's view colour is
	// already there and only a selected row needs its highlight.
	virtual void DrawItem(BView* owner, BRect frame, bool complete = false) = 0;
	// Called when the row joins a list in a window, or that list's font
	// changes: width of the owner, height of one line of font.
	virtual void Update(BView* owner, const BFont* font);

	bool IsExpanded() const { return fExpanded; }
	void SetExpanded(bool expanded) { fExpanded = expanded; }
	uint32 OutlineLevel() const { return fLevel; }
	void SetOutlineLevel(uint32 level) { fLevel = level; }

	// Outline state kept by the outline list: whether rows sit under this
	// one and whether all rows above it are expanded.
	bool HasSubitems() const { return fHasSubitems; }
	bool IsItemVisible() const { return fVisible; }

private:
	friend class BOutlineListView;

	BListItem(const BListItem&) = delete;
	BListItem& operator=(const BListItem&) = delete;

	float fWidth = 0;
	float fHeight = 0;
	uint32 fLevel;
	bool fSelected = false;
	bool fEnabled = true;
	bool fExpanded;
	bool fHasSubitems = false;
	bool fVisible = true;
};

#endif
