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

	// What REPLY needs: the sender and the text of the message whose sender
	// row or message row is selected; NULL with nothing selected. Valid
	// until the rows are removed.
	char* recupLabel();
	char* recupSousLabel();

	// Removes and deletes every row.
	void EffaceTout();

	BOutlineListView* List() const { return fList; }

private:
	void _Build(bool withSamples);
	void _AddRow(const char* iconType, char* text, int level);
	// The sender row of the message a row belongs to, and its message row.
	IconListItem* _SenderRow(IconListItem* row) const;
	IconListItem* _MessageRow(IconListItem* row) const;
	IconListItem* _Selected() const;

	BOutlineListView* fList = NULL;
};

// The text pointers the rows were added with, slot = the row's position in
// its list, for the first six rows of every list alike. Replies don't read
// it: six slots shared by all lists can't say which message a row of a
// long list or of another list belongs to, and a caller's text may be gone
// by now. No slot outside the six is ever written.
extern char* otreEssai[6];

#endif
