#ifndef ICON_LIST_ITEM_H
#define ICON_LIST_ITEM_H

#include <ListItem.h>
#include <String.h>

class BBitmap;

// A row of a message list: a 16 x 16 icon and one line of text. A selected
// row shows its icon darkened on black and its text white on black.
class IconListItem : public BListItem {
public:
	// Copies icon when it has the byte layout of a 16 x 16 B_CMAP8 bitmap;
	// otherwise the row has no icon. The label is copied too; the pointer
	// is kept as given.
	IconListItem(BBitmap* icon, char* label, int level, bool expanded);
	virtual ~IconListItem();

	void DrawItem(BView* owner, BRect frame, bool complete = false) override;
	// The height and width set at construction stay.
	void Update(BView* owner, const BFont* font) override;

	const char* Label() const { return fLabel.String(); }
	char* LabelPointer() const { return fLabelPointer; }
	const BBitmap* Icon() const { return fIcon; }

private:
	BString fLabel;
	char* fLabelPointer;
	BBitmap* fIcon;
};

#endif
