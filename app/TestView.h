#ifndef TEST_VIEW_H
#define TEST_VIEW_H

#include <View.h>

class BOutlineListView;
class IconListItem;

// The icons of the two kinds of rows: the sender, and the message under it.
#define SENDER_ROW_ICON_TYPE "application/x-vnd.be-fileserver"
#define MESSAGE_ROW_ICON_TYPE "application/x-vnd.Be-MAIL"

// One page of the main window: the scrolling list "List" in which each
// message shows as a sender row and, indented under it, its text.
class TestView : public BView {
public:
	// With the two sample rows.
	TestView(BRect frame);
	// With an empty list.
	TestView(BRect frame, char* name);
	virtual ~TestView();

	// Add a row at the end of this view's list; view is this view.
	void AjouteFrom(char* sender, TestView* view);
	void ajouteMess(char* text, TestView* view);
	// Both rows of a stored message: the sender row with its arrival
	// ("14:03", may be empty) shown beside the name, then the text; both
	// rows remember the record they show.
	void AddMessage(const char* sender, const char* arrival, const char* text, int32 record);

	// Whether the last row is in sight (or the list fits), and scrolling
	// down to it: new messages keep a list that shows its end at its end.
	bool IsAtEnd() const;
	void ScrollToEnd();
	// Selects the message rows of record and scrolls them into sight.
	bool SelectRecord(int32 record);

	// What REPLY needs: the sender and the text of the message whose sender
	// row or message row is selected; NULL with nothing selected. Valid
	// until the rows are removed.
	char* recupLabel();
	char* recupSousLabel();
	// When the selected message arrived, as its sender row shows it; NULL
	// with nothing selected.
	const char* SelectedArrival();

	// Removes and deletes every row.
	void EffaceTout();

	BOutlineListView* List() const { return fList; }

private:
	void _Build(bool withSamples);
	IconListItem* _AddRow(const char* iconType, const char* text, int level);
	// The sender row of the message a row belongs to, and its message row.
	IconListItem* _SenderRow(IconListItem* row) const;
	IconListItem* _MessageRow(IconListItem* row) const;
	IconListItem* _Selected() const;

	BOutlineListView* fList = NULL;
};

// Copies of the texts of the rows, slot = the row's position in its list,
// for the first six rows of every list alike; each slot owns its copy.
// Replies don't read it: six slots shared by all lists can't say which
// message a row of a long list or of another list belongs to. No slot
// outside the six is ever written.
extern char* otreEssai[6];

#endif
