#ifndef _STRING_ITEM_H
#define _STRING_ITEM_H

#include <ListItem.h>
#include <String.h>

// A row of one line of text. A selected row is tinted darker than the
// list's view colour; a disabled row's text is greyed.
class BStringItem : public BListItem {
public:
	BStringItem(const char* text, uint32 outlineLevel = 0, bool expanded = true);
	virtual ~BStringItem();

	void DrawItem(BView* owner, BRect frame, bool complete = false) override;
	void Update(BView* owner, const BFont* font) override;

	virtual void SetText(const char* text);
	const char* Text() const { return fHasText ? fText.String() : NULL; }
	// Distance from the row's top to the text's baseline, set by Update().
	float BaselineOffset() const { return fBaselineOffset; }

private:
	BString fText;
	bool fHasText;
	float fBaselineOffset = 0;
};

#endif
