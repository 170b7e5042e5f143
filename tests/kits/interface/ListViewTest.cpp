// BListView, BOutlineListView and BStringItem on the headless display:
// rows, selection by mouse and keys, the messages a list sends, scrolling
// inside a scroll view, the outline's latches, and how rows are drawn.
#include <List.h>
#include <ListView.h>
#include <OutlineListView.h>
#include <ScrollView.h>
#include <StringItem.h>

#include "ControlTestSupport.h"

#include <math.h>

#include <memory>

namespace {

const uint32 kSelect = 'lsel';
const uint32 kInvoke = 'linv';

// Counts the SelectionChanged() calls.
class CountingListView : public BListView {
public:
	using BListView::BListView;
	void SelectionChanged() override { changes++; }
	int changes = 0;
};

class ListViewTest : public ControlWindowTest {
protected:
	// Clicks apart in time are made by moving the clock, not by waiting.
	void SetUp() override { BTest::DriveClock(); }
	void TearDown() override
	{
		ControlWindowTest::TearDown();
		for (BListItem* item : fItems)
			delete item;
	}

	// A list of count rows "row 0" ... in a scroll view of the window.
	BListView* MakeList(BWindow* window, int count, list_view_type type,
		BRect frame = BRect(10, 10, 160, 150))
	{
		fList = new CountingListView(frame, "list", type, B_FOLLOW_ALL);
		for (int i = 0; i < count; i++)
			fList->AddItem(Item(("row " + std::to_string(i)).c_str()));
		fScroll = new BScrollView("scroll", fList, B_FOLLOW_ALL, 0, false, true);
		window->AddChild(fScroll);
		fList->SetSelectionMessage(new BMessage(kSelect));
		fList->SetInvocationMessage(new BMessage(kInvoke));
		fHandler = new RecordingHandler();
		window->AddHandler(fHandler);
		fList->SetTarget(fHandler);
		return fList;
	}
	BStringItem* Item(const char* text, uint32 level = 0)
	{
		BStringItem* item = new BStringItem(text, level);
		fItems.push_back(item);
		return item;
	}
	// The messages the handler has got, after everything sent is in.
	std::vector<BMessage> Sent(BWindow* window)
	{
		BTest::Sync(window);
		std::vector<BMessage> messages;
		BTest::Locked(window, [&] { messages = fHandler->messages; });
		return messages;
	}
	std::vector<int32> Selection(BWindow* window)
	{
		std::vector<int32> selected;
		BTest::Locked(window, [&] {
			for (int32 i = 0; fList->CurrentSelection(i) >= 0; i++)
				selected.push_back(fList->CurrentSelection(i));
		});
		return selected;
	}
	BPoint RowPoint(int32 index)
	{
		BPoint point;
		BTest::Locked(fList->Window(), [&] {
			BRect frame = fList->ItemFrame(index);
			point = BPoint(frame.left + 20, floorf((frame.top + frame.bottom) / 2));
		});
		return point;
	}

	CountingListView* fList = NULL;
	BScrollView* fScroll = NULL;
	RecordingHandler* fHandler = NULL;
	std::vector<BListItem*> fItems;
};

std::vector<int32>
Indices(const BMessage& message)
{
	std::vector<int32> indices;
	int32 index;
	for (int32 i = 0; message.FindInt32("index", i, &index) == B_OK; i++)
		indices.push_back(index);
	return indices;
}

} // namespace

TEST_F(ListViewTest, RowsAreAddedRemovedAndStackedFromTheTop)
{
	BListView list(BRect(0, 0, 99, 99), "list");
	BStringItem* a = Item("a");
	BStringItem* b = Item("b");
	BStringItem* c = Item("c");
	BStringItem* d = Item("d");
	EXPECT_TRUE(list.AddItem(a));
	EXPECT_TRUE(list.AddItem(c));
	EXPECT_TRUE(list.AddItem(b, 1));
	EXPECT_FALSE(list.AddItem(d, 5));
	EXPECT_FALSE(list.AddItem(NULL));
	EXPECT_EQ(list.CountItems(), 3);
	EXPECT_EQ(list.ItemAt(1), b);
	EXPECT_EQ(list.ItemAt(3), nullptr);
	EXPECT_EQ(list.ItemAt(-1), nullptr);
	EXPECT_EQ(list.IndexOf(c), 2);
	EXPECT_EQ(list.IndexOf(d), -1);

	BList more;
	more.AddItem(d);
	EXPECT_TRUE(list.AddList(&more, 0));
	EXPECT_EQ(list.FirstItem(), d);
	EXPECT_EQ(list.LastItem(), c);

	// Heights as the rows have them; frames stack without gaps.
	for (int32 i = 0; i < list.CountItems(); i++)
		list.ItemAt(i)->SetHeight(10 + i);
	EXPECT_EQ(list.ItemFrame(0), BRect(0, 0, 99, 9));
	EXPECT_EQ(list.ItemFrame(2), BRect(0, 21, 99, 32));
	EXPECT_EQ(list.IndexOf(BPoint(50, 20)), 1);
	EXPECT_EQ(list.IndexOf(BPoint(50, 21)), 2);
	EXPECT_EQ(list.IndexOf(BPoint(50, 46)), -1);

	// Removing hands the row back; nothing is deleted.
	list.Select(1);
	EXPECT_EQ(list.RemoveItem(1), a);
	EXPECT_FALSE(a->IsSelected());
	EXPECT_EQ(list.CurrentSelection(), -1);
	EXPECT_TRUE(list.RemoveItem(c));
	EXPECT_FALSE(list.RemoveItem(c));
	EXPECT_EQ(list.RemoveItem(7), nullptr);
	EXPECT_FALSE(list.RemoveItems(1, 5));
	EXPECT_TRUE(list.RemoveItems(0, 1));
	EXPECT_EQ(list.ItemAt(0), b);
	list.MakeEmpty();
	EXPECT_TRUE(list.IsEmpty());
	EXPECT_STREQ(b->Text(), "b");
}

TEST_F(ListViewTest, ClicksSelectOneRowAndDoubleClicksInvoke)
{
	BWindow* window = NewWindow("list click");
	MakeList(window, 5, B_SINGLE_SELECTION_LIST);
	ShowAndWait(window);
	// Attached rows take their height from the list's font.
	float height = 0;
	BTest::Locked(window, [&] { height = fList->ItemAt(0)->Height(); });
	EXPECT_GT(height, 8);

	ASSERT_EQ(BTest::Click(fList, RowPoint(2)), B_OK);
	EXPECT_EQ(Selection(window), std::vector<int32>{2});
	BTest::AdvanceClock(400000); // not a double click
	ASSERT_EQ(BTest::Click(fList, RowPoint(4)), B_OK);
	EXPECT_EQ(Selection(window), std::vector<int32>{4});
	// Below the last row: nothing changes.
	ASSERT_EQ(BTest::Click(fList, BPoint(20, 5 * height + 20)), B_OK);
	EXPECT_EQ(Selection(window), std::vector<int32>{4});

	std::vector<BMessage> sent = Sent(window);
	ASSERT_EQ(sent.size(), 2u);
	EXPECT_EQ(sent[0].what, kSelect);
	EXPECT_EQ(Indices(sent[1]), std::vector<int32>{4});
	void* source = NULL;
	EXPECT_EQ(sent[1].FindPointer("source", &source), B_OK);
	EXPECT_EQ(source, fList);
	EXPECT_TRUE(sent[1].HasInt64("when"));
	BTest::Locked(window, [&] {
		EXPECT_EQ(fList->changes, 2);
		EXPECT_TRUE(fList->IsFocus());
	});

	// A double click on a row selects it and then invokes.
	BTest::AdvanceClock(400000);
	ASSERT_EQ(BTest::Click(fList, RowPoint(1)), B_OK);
	ASSERT_EQ(BTest::Click(fList, RowPoint(1)), B_OK);
	sent = Sent(window);
	ASSERT_EQ(sent.size(), 4u);
	EXPECT_EQ(sent[2].what, kSelect);
	EXPECT_EQ(sent[3].what, kInvoke);
	EXPECT_EQ(Indices(sent[3]), std::vector<int32>{1});
	Screenshot(window, "listview_single");
}

TEST_F(ListViewTest, MultipleSelectionExtendsWithShiftAndTogglesWithCommand)
{
	BWindow* window = NewWindow("list multiple");
	MakeList(window, 6, B_MULTIPLE_SELECTION_LIST);
	ShowAndWait(window);
	ASSERT_EQ(BTest::Click(fList, RowPoint(1)), B_OK);
	BTest::AdvanceClock(400000);
	ASSERT_EQ(BTest::Click(fList, RowPoint(3), B_PRIMARY_MOUSE_BUTTON, B_SHIFT_KEY), B_OK);
	EXPECT_EQ(Selection(window), (std::vector<int32>{1, 2, 3}));
	BTest::AdvanceClock(400000);
	ASSERT_EQ(BTest::Click(fList, RowPoint(2), B_PRIMARY_MOUSE_BUTTON, B_COMMAND_KEY), B_OK);
	BTest::AdvanceClock(400000);
	ASSERT_EQ(BTest::Click(fList, RowPoint(5), B_PRIMARY_MOUSE_BUTTON, B_COMMAND_KEY), B_OK);
	EXPECT_EQ(Selection(window), (std::vector<int32>{1, 3, 5}));
	std::vector<BMessage> sent = Sent(window);
	ASSERT_EQ(sent.size(), 4u);
	EXPECT_EQ(Indices(sent.back()), (std::vector<int32>{1, 3, 5}));

	BTest::Locked(window, [&] {
		EXPECT_EQ(fList->CurrentSelection(1), 3);
		EXPECT_EQ(fList->CurrentSelection(3), -1);
		fList->Select(0, true);
		EXPECT_TRUE(fList->IsItemSelected(0));
		fList->DeselectExcept(3, 5);
		EXPECT_EQ(fList->CurrentSelection(), 3);
		fList->Select(0, 2, true);
		EXPECT_EQ(fList->CurrentSelection(3), 3);
		fList->Deselect(3);
		EXPECT_FALSE(fList->IsItemSelected(3));
		// A disabled row can't be selected.
		fList->ItemAt(4)->SetEnabled(false);
		fList->Select(4, true);
		EXPECT_FALSE(fList->IsItemSelected(4));
		// Back to one row at most.
		fList->SetListType(B_SINGLE_SELECTION_LIST);
		EXPECT_EQ(fList->CurrentSelection(1), -1);
		fList->DeselectAll();
		EXPECT_EQ(fList->CurrentSelection(), -1);
	});
}

TEST_F(ListViewTest, KeysMoveTheSelectionAndEnterInvokes)
{
	BWindow* window = NewWindow("list keys");
	MakeList(window, 30, B_MULTIPLE_SELECTION_LIST);
	ShowAndWait(window);
	BTest::Locked(window, [&] { fList->MakeFocus(); });
	const char down[] = {B_DOWN_ARROW, 0};
	const char up[] = {B_UP_ARROW, 0};
	// With nothing selected Down takes the first row.
	ASSERT_EQ(BTest::PressKey(window, down), B_OK);
	EXPECT_EQ(Selection(window), std::vector<int32>{0});
	ASSERT_EQ(BTest::PressKey(window, down), B_OK);
	ASSERT_EQ(BTest::PressKey(window, down), B_OK);
	ASSERT_EQ(BTest::PressKey(window, up), B_OK);
	EXPECT_EQ(Selection(window), std::vector<int32>{1});
	ASSERT_EQ(BTest::PressKey(window, down, 0, B_SHIFT_KEY), B_OK);
	ASSERT_EQ(BTest::PressKey(window, down, 0, B_SHIFT_KEY), B_OK);
	EXPECT_EQ(Selection(window), (std::vector<int32>{1, 2, 3}));
	ASSERT_EQ(BTest::PressKey(window, up, 0, B_SHIFT_KEY), B_OK);
	EXPECT_EQ(Selection(window), (std::vector<int32>{1, 2}));

	// End goes to the last row and scrolls it into view.
	const char end[] = {B_END, 0};
	ASSERT_EQ(BTest::PressKey(window, end), B_OK);
	EXPECT_EQ(Selection(window), std::vector<int32>{29});
	BTest::Locked(window, [&] {
		EXPECT_EQ(fList->Bounds().bottom, fList->ItemFrame(29).bottom);
		EXPECT_EQ(fScroll->ScrollBar(B_VERTICAL)->Value(), fList->Bounds().top);
	});
	const char home[] = {B_HOME, 0};
	const char pageDown[] = {B_PAGE_DOWN, 0};
	ASSERT_EQ(BTest::PressKey(window, home), B_OK);
	EXPECT_EQ(Selection(window), std::vector<int32>{0});
	ASSERT_EQ(BTest::PressKey(window, pageDown), B_OK);
	std::vector<int32> selected = Selection(window);
	ASSERT_EQ(selected.size(), 1u);
	BTest::Locked(window, [&] {
		// A page further: the row at the old row's top plus the view's height.
		EXPECT_EQ(selected[0], fList->IndexOf(BPoint(0, fList->Bounds().Height() + 1)));
	});

	const char enter[] = {B_ENTER, 0};
	ASSERT_EQ(BTest::PressKey(window, enter), B_OK);
	std::vector<BMessage> sent = Sent(window);
	ASSERT_FALSE(sent.empty());
	EXPECT_EQ(sent.back().what, kInvoke);
	EXPECT_EQ(Indices(sent.back()), selected);
}

TEST_F(ListViewTest, TheScrollBarFollowsTheHeightOfTheRows)
{
	BWindow* window = NewWindow("list scrolling");
	MakeList(window, 3, B_SINGLE_SELECTION_LIST);
	ShowAndWait(window);
	BScrollBar* bar = fScroll->ScrollBar(B_VERTICAL);
	float rowHeight = 0;
	float visible = 0;
	BTest::Locked(window, [&] {
		rowHeight = fList->ItemAt(0)->Height();
		visible = fList->Bounds().Height() + 1;
		float min, max;
		bar->GetRange(&min, &max);
		EXPECT_EQ(max, 0);
		for (int i = 3; i < 40; i++)
			fList->AddItem(Item("more"));
		bar->GetRange(&min, &max);
		EXPECT_EQ(max, 40 * rowHeight - visible);
		EXPECT_NEAR(bar->Proportion(), visible / (40 * rowHeight), 0.001);
		fList->Select(35);
		fList->ScrollToSelection();
		EXPECT_EQ(fList->Bounds().bottom, 36 * rowHeight - 1);
		fList->ScrollTo(2);
		EXPECT_EQ(fList->Bounds().top, 2 * rowHeight);
	});
	// The arrow at the bottom of the bar scrolls one row.
	ASSERT_EQ(BTest::Click(bar, BPoint(7, bar->Bounds().bottom - 5)), B_OK);
	BTest::Locked(window, [&] { EXPECT_EQ(fList->Bounds().top, 3 * rowHeight); });
	Screenshot(window, "listview_scrolled");
	BTest::Locked(window, [&] {
		fList->MakeEmpty();
		float min, max;
		bar->GetRange(&min, &max);
		EXPECT_EQ(max, 0);
		EXPECT_EQ(fList->Bounds().top, 0);
	});
}

TEST_F(ListViewTest, StringItemsDrawTheirTextAndATintedSelection)
{
	BWindow* window = NewWindow("list look");
	MakeList(window, 3, B_SINGLE_SELECTION_LIST);
	BTest::Locked(window, [&] { fList->Select(1); });
	ShowAndWait(window);
	BRect rows[3];
	BTest::Locked(window, [&] {
		for (int i = 0; i < 3; i++)
			rows[i] = fList->ConvertToParent(fList->ItemFrame(i));
	});
	BPoint origin(fScroll->Frame().left, fScroll->Frame().top);
	rgb_color tint = tint_color(make_color(255, 255, 255), B_HIGHLIGHT_BACKGROUND_TINT);
	auto at = [&](int row, float x, float y) {
		return BTest::PixelAt(window, origin + BPoint(rows[row].left + x, rows[row].top + y));
	};
	// Background of the rows: white, tinted for the selected one, right to
	// the end of the row.
	EXPECT_EQ(at(0, 100, 1), make_color(255, 255, 255));
	EXPECT_EQ(at(1, 100, 1), tint);
	EXPECT_EQ(at(1, rows[1].Width(), rows[1].Height()), tint);
	EXPECT_EQ(at(2, 1, 1), make_color(255, 255, 255));
	// The text starts 4 pixels in and is dark.
	int dark[3] = {};
	for (int row = 0; row < 3; row++) {
		for (float x = 0; x < 60; x++) {
			for (float y = 0; y <= rows[row].Height(); y++) {
				rgb_color c = at(row, x, y);
				if (c.red < 100) {
					dark[row]++;
					EXPECT_GE(x, 4);
				}
			}
		}
	}
	EXPECT_GT(dark[0], 10);
	EXPECT_GT(dark[1], 10);
	Screenshot(window, "listview_string_items");
}

TEST_F(ListViewTest, OutlineRowsShowUnderExpandedParentsOnly)
{
	BOutlineListView list(BRect(0, 0, 199, 199), "outline");
	BStringItem* fruit = Item("fruit");
	BStringItem* apple = Item("apple", 1);
	BStringItem* pear = Item("pear");
	BStringItem* seed = Item("seed");
	BStringItem* veg = Item("vegetables");
	list.AddItem(fruit);
	list.AddItem(apple);
	list.AddItem(veg);
	EXPECT_TRUE(list.AddUnder(pear, fruit));
	EXPECT_TRUE(list.AddUnder(seed, pear));
	EXPECT_FALSE(list.AddUnder(Item("x"), Item("not in the list")));
	// fruit, apple, pear, seed, vegetables
	EXPECT_EQ(list.FullListCountItems(), 5);
	EXPECT_EQ(list.FullListIndexOf(pear), 2);
	EXPECT_EQ(seed->OutlineLevel(), 2u);
	EXPECT_TRUE(fruit->HasSubitems());
	EXPECT_FALSE(veg->HasSubitems());
	EXPECT_EQ(list.Superitem(seed), pear);
	EXPECT_EQ(list.Superitem(fruit), nullptr);
	EXPECT_EQ(list.CountItemsUnder(fruit, true), 2);
	EXPECT_EQ(list.CountItemsUnder(fruit, false), 3);
	EXPECT_EQ(list.CountItemsUnder(NULL, true), 2);
	EXPECT_EQ(list.ItemUnderAt(fruit, true, 1), pear);
	EXPECT_EQ(list.ItemUnderAt(fruit, false, 2), seed);
	EXPECT_EQ(list.CountItems(), 5);

	// Collapsing hides every row below, and their selection goes.
	list.Select(list.IndexOf(seed));
	list.Collapse(pear);
	EXPECT_EQ(list.CountItems(), 4);
	EXPECT_EQ(list.IndexOf(seed), -1);
	EXPECT_FALSE(seed->IsSelected());
	EXPECT_FALSE(seed->IsItemVisible());
	list.Collapse(fruit);
	EXPECT_EQ(list.CountItems(), 2);
	EXPECT_EQ(list.ItemAt(1), veg);
	// Expanding fruit again shows pear but not what pear still hides.
	list.Expand(fruit);
	EXPECT_EQ(list.CountItems(), 4);
	EXPECT_TRUE(list.IsExpanded(0));
	EXPECT_FALSE(list.IsExpanded(2));
	list.Select(list.IndexOf(veg));
	EXPECT_EQ(list.FullListCurrentSelection(), 4);
	EXPECT_EQ(list.CurrentSelection(), 3);

	// Removing a row takes its subtree with it.
	EXPECT_EQ(list.RemoveItem(1), apple);
	EXPECT_TRUE(list.RemoveItem(pear));
	EXPECT_EQ(list.FullListCountItems(), 2);
	EXPECT_FALSE(list.FullListHasItem(seed));
	EXPECT_FALSE(fruit->HasSubitems());
	list.MakeEmpty();
	EXPECT_EQ(list.FullListCountItems(), 0);
	EXPECT_EQ(list.CountItems(), 0);
}

TEST_F(ListViewTest, ClickingTheLatchCollapsesAndExpands)
{
	BWindow* window = NewWindow("outline click");
	BOutlineListView* list = new BOutlineListView(BRect(10, 10, 160, 150), "outline");
	BStringItem* parent = Item("parent");
	BStringItem* child = Item("child", 1);
	list->AddItem(parent);
	list->AddItem(child);
	list->AddItem(Item("other"));
	window->AddChild(new BScrollView("scroll", list, B_FOLLOW_ALL, 0, false, true));
	ShowAndWait(window);
	BRect latch;
	BPoint offset;
	BTest::Locked(window, [&] {
		latch = list->LatchRect(list->ItemFrame(0), 0);
		offset = list->ConvertToScreen(BPoint(0, 0)) - window->Frame().LeftTop();
	});
	auto latchPixels = [&] {
		int dark = 0;
		for (float x = latch.left; x <= latch.right; x++)
			for (float y = latch.top; y <= latch.bottom; y++)
				dark += BTest::PixelAt(window, offset + BPoint(x, y)).red < 100;
		return dark;
	};
	// An expanded triangle points down: widest at its top row.
	int expandedDark = latchPixels();
	EXPECT_GE(expandedDark, 20);
	BPoint middle((latch.left + latch.right) / 2, (latch.top + latch.bottom) / 2);
	ASSERT_EQ(BTest::Click(list, middle), B_OK);
	BTest::Locked(window, [&] {
		EXPECT_EQ(list->CountItems(), 2);
		EXPECT_FALSE(parent->IsExpanded());
		// The latch doesn't select.
		EXPECT_EQ(list->CurrentSelection(), -1);
	});
	EXPECT_EQ(latchPixels(), expandedDark);
	Screenshot(window, "outline_collapsed");
	BTest::AdvanceClock(400000);
	ASSERT_EQ(BTest::Click(list, middle), B_OK);
	BTest::Locked(window, [&] { EXPECT_EQ(list->ItemAt(1), child); });
	// Left and Right on the selected row do the same.
	BTest::AdvanceClock(400000);
	ASSERT_EQ(BTest::Click(list, BPoint(60, middle.y)), B_OK);
	const char left[] = {B_LEFT_ARROW, 0};
	ASSERT_EQ(BTest::PressKey(window, left), B_OK);
	BTest::Locked(window, [&] { EXPECT_EQ(list->CountItems(), 2); });
	const char right[] = {B_RIGHT_ARROW, 0};
	ASSERT_EQ(BTest::PressKey(window, right), B_OK);
	BTest::Locked(window, [&] {
		EXPECT_EQ(list->CountItems(), 3);
		EXPECT_EQ(list->CurrentSelection(), 0);
	});
	Screenshot(window, "outline_expanded");
}
