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
	// otherwise the row has no icon. The label is copied too.
	IconListItem(BBitmap* icon, char* label, int level, bool expanded);
	virtual ~IconListItem();

	void DrawItem(BView* owner, BRect frame, bool complete = false) override;
	// The height and width set at construction stay.
	void Update(BView* owner, const BFont* font) override;

	const char* Label() const { return fLabel.String(); }
	const BBitmap* Icon() const { return fIcon; }

	// Shown after the label, "alice · 14:03"; the label stays the name.
	void SetDetail(const char* detail);
	const char* Detail() const { return fDetail.String(); }
	// The text the row shows.
	BString Text() const;

	// The data file's record the row shows, -1 for none.
	int32 Record() const { return fRecord; }
	void SetRecord(int32 record) { fRecord = record; }

private:
	BString fLabel;
	BString fDetail;
	BBitmap* fIcon;
	int32 fRecord = -1;
};

#endif
