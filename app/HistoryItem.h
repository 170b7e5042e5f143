#ifndef _HISTORY_ITEM_H
#define _HISTORY_ITEM_H

#include <ListItem.h>
#include <String.h>

#include <Tliste.h>

class MessageNamesReader;

// One message of the history, drawn on two lines: time, sender and
// recipient (and the away mark), then the text on one line. Made on the
// history's reader thread; everything it shows is read then.
class HistoryItem : public BListItem {
public:
	// record is 1-based, check its message_check(), kinds its marks.
	HistoryItem(int32 record, const Tliste& rec, uint32 check, uint32 kinds,
		MessageNamesReader& names);

	void DrawItem(BView* owner, BRect frame, bool complete = false) override;
	void Update(BView* owner, const BFont* font) override;

	// The message as copied and saved: a heading line, then the text.
	BString Text() const;
	// Whether sender, recipient or text holds needle, which is lower case;
	// ASCII letters match either case.
	bool Matches(const BString& lowerNeedle) const;

	int32 Record() const { return fRecord; }
	uint32 Check() const { return fCheck; }
	bool IsAway() const { return fAway; }
	bool IsDeleted() const { return fDeleted; }
	void SetDeleted() { fDeleted = true; }

private:
	void _Prepare();

	int32 fRecord;
	uint32 fCheck;
	bool fAway;
	bool fDeleted = false;
	int64 fArrival = -1;
	BString fFrom;
	BString fTo;
	BString fText;
	// What is drawn, made when the row first joins the list.
	BString fTime;
	BString fHeading;
	BString fLineText;
	float fLine = 12;
	float fBaseline = 10;
	float fTimeWidth = 80;
	float fFontSize = 0;
};

// The bytes as UTF-8, each invalid byte replaced by U+FFFD.
BString valid_utf8(const char* bytes, size_t size);

#endif
