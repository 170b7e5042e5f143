// The message list of the main window's pages: IconListItem's drawing,
// TestView's rows and the answers it gives REPLY, and PopClass showing
// records with the arrival sound, on the headless display.
#include <ArrivalSound.h>
#include <IconListItem.h>
#include <MessageNames.h>
#include <PopClass.h>
#include <TestView.h>

#include <Application.h>
#include <Bitmap.h>
#include <Harness.h>
#include <HostPath.h>
#include <MimeType.h>
#include <OS.h>
#include <OutlineListView.h>
#include <ScrollView.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <errno.h>
#include <filesystem>
#include <fstream>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const rgb_color kCanvasColour = {255, 240, 200, 255};

BBitmap*
MiniIcon(const char* type)
{
	BBitmap* icon = new BBitmap(BRect(0, 0, 15, 15), B_CMAP8);
	EXPECT_EQ(BMimeType(type).GetIcon(icon, B_MINI_ICON), B_OK);
	return icon;
}

// Draws rows straight into itself, each in the frame given.
class ItemCanvas : public BView {
public:
	struct Row {
		BListItem* item;
		BRect frame;
		bool complete;
	};
	ItemCanvas(std::vector<Row> rows)
		: BView(BRect(0, 0, 299, 119), "canvas", B_FOLLOW_NONE, B_WILL_DRAW),
		  fRows(rows)
	{
		SetViewColor(kCanvasColour);
	}
	void Draw(BRect) override
	{
		for (const Row& row : fRows)
			row.item->DrawItem(this, row.frame, row.complete);
	}

private:
	std::vector<Row> fRows;
};

// An installation of its own for each test: a boot volume whose path holds
// a blank and shell characters, the data file and the sound in it, and the
// install tree's bin folder on the search path.
class MessageListTest : public ::testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sVolume = fs::temp_directory_path() / ("murmelo lists $(x); " + std::to_string(getpid()));
		setenv("BE_BOOT_VOLUME", sVolume.c_str(), 1);
		std::string path = std::string(MURMELO_TREE) + "/bin:/usr/bin:/bin";
		setenv("PATH", path.c_str(), 1);
		sApp = new BTest::HeadlessApp();
	}
	static void TearDownTestSuite()
	{
		delete sApp;
		fs::remove_all(sVolume);
	}
	void SetUp() override
	{
		fs::remove_all(sVolume);
		fs::create_directories(sVolume / "home");
	}
	void TearDown() override
	{
		for (BWindow* window : fWindows) {
			if (window->Lock())
				window->Quit();
		}
	}

	BWindow* NewWindow(const char* title, BRect frame = BRect(100, 100, 499, 399))
	{
		BWindow* window = new BWindow(frame, title, B_TITLED_WINDOW, 0);
		fWindows.push_back(window);
		return window;
	}
	void ShowAndWait(BWindow* window)
	{
		window->Show();
		ASSERT_EQ(BTest::WaitForWindow(window->Title()), window);
		BTest::Locked(window, [&] { window->Activate(); });
		ASSERT_TRUE(BTest::Sync(window));
	}
	// Appends a record from sender to the data file, as the daemon would.
	static void WriteRecord(const std::string& text, const char* sender)
	{
		Tliste record;
		memset(&record, 0, sizeof(record));
		memcpy(record.message, text.data(), std::min<size_t>(text.size(), kMessageSize));
		record.is_new = 1;
		uint32 names = append_message_names(&record, sender, "me", "me");
		ASSERT_NE(names, 0u);
		record.from = record.to = record.realfrom = names;
		std::ofstream file(host_path(MURMELO_DATA_FILE).String(),
			std::ios::binary | std::ios::app);
		file.write((const char*)&record, sizeof(record));
		ASSERT_TRUE(file.good());
	}
	static void InstallSound()
	{
		fs::path music = sVolume / "apps/trovel/music";
		fs::create_directories(music);
		fs::copy_file(fs::path(MURMELO_SOURCE_DIR) / "data/music/trucage", music / "trucage");
	}

	BPoint RowPoint(BOutlineListView* list, int32 index)
	{
		BPoint point;
		BTest::Locked(list->Window(), [&] {
			BRect frame = list->ItemFrame(index);
			point = BPoint(60, floorf((frame.top + frame.bottom) / 2));
		});
		return point;
	}
	std::string Answer(TestView* view, bool sender)
	{
		std::string answer = "(null)";
		BTest::Locked(view->Window(), [&] {
			const char* text = sender ? view->recupLabel() : view->recupSousLabel();
			if (text != NULL)
				answer = text;
		});
		return answer;
	}

	static inline fs::path sVolume;
	static inline BTest::HeadlessApp* sApp = NULL;
	std::vector<BWindow*> fWindows;
};

rgb_color
Darkened(rgb_color c)
{
	// Over black at 180 of 255.
	return make_color(c.red * 180 / 255, c.green * 180 / 255, c.blue * 180 / 255);
}

bool
Near(rgb_color a, rgb_color b)
{
	return abs(a.red - b.red) <= 1 && abs(a.green - b.green) <= 1 && abs(a.blue - b.blue) <= 1;
}

} // namespace

TEST_F(MessageListTest, RowsCopyTheirIconAndTextAndKeepTheirSize)
{
	std::unique_ptr<BBitmap> icon(MiniIcon(SENDER_ROW_ICON_TYPE));
	char text[] = "hello";
	IconListItem row(icon.get(), text, 1, true);
	ASSERT_NE(row.Icon(), nullptr);
	EXPECT_NE(row.Icon(), icon.get());
	EXPECT_EQ(memcmp(row.Icon()->Bits(), icon->Bits(), 256), 0);
	text[0] = 'j';
	EXPECT_STREQ(row.Label(), "hello");
	EXPECT_EQ(row.OutlineLevel(), 1u);
	EXPECT_TRUE(row.IsExpanded());
	EXPECT_EQ(row.Height(), 18);
	EXPECT_EQ(row.Width(), be_plain_font->StringWidth("hello"));
	BFont big(be_plain_font);
	big.SetSize(30);
	row.Update(NULL, &big);
	EXPECT_EQ(row.Height(), 18);

	// Another layout is not copied; no icon or no label is fine.
	BBitmap wide(BRect(0, 0, 31, 15), B_CMAP8);
	BBitmap deep(BRect(0, 0, 15, 15), B_RGB32);
	EXPECT_EQ(IconListItem(&wide, text, 0, true).Icon(), nullptr);
	EXPECT_EQ(IconListItem(&deep, text, 0, true).Icon(), nullptr);
	IconListItem bare(NULL, NULL, 0, false);
	EXPECT_EQ(bare.Icon(), nullptr);
	EXPECT_STREQ(bare.Label(), "");
	EXPECT_FALSE(bare.IsExpanded());
}

TEST_F(MessageListTest, DrawItemPutsTheIconAndInvertsADarkenedSelection)
{
	std::unique_ptr<BBitmap> icon(MiniIcon(MESSAGE_ROW_ICON_TYPE));
	char text[] = "Hello there";
	IconListItem plain(icon.get(), text, 0, true);
	IconListItem selected(icon.get(), text, 0, true);
	selected.Select();
	IconListItem bare(NULL, text, 0, true);
	bare.Select();
	BWindow* window = NewWindow("rows");
	ItemCanvas* canvas = new ItemCanvas({{&plain, BRect(10, 10, 290, 27), false},
		{&selected, BRect(10, 40, 290, 57), false}, {&bare, BRect(10, 80, 290, 97), true}});
	window->AddChild(canvas);
	ShowAndWait(window);
	auto at = [&](float x, float y) { return BTest::PixelAt(window, BPoint(x, y)); };

	// The icon's 16 x 16 pixels at left + 3, top + 1: as they are on the
	// plain row, inverted then darkened on the selected one, whose
	// transparent pixels show the white fill.
	const color_map* palette = system_colors();
	const uint8* bits = (const uint8*)icon->Bits();
	for (int y = 0; y < 16; y++) {
		for (int x = 0; x < 16; x++) {
			uint8 index = bits[y * 16 + x];
			rgb_color colour = palette->color_list[index];
			bool transparent = index == B_TRANSPARENT_MAGIC_CMAP8;
			EXPECT_EQ(at(13 + x, 11 + y), transparent ? kCanvasColour : colour) << x << "," << y;
			rgb_color darkened = transparent ? make_color(255, 255, 255) : Darkened(colour);
			EXPECT_TRUE(Near(at(13 + x, 41 + y), darkened)) << x << "," << y;
		}
	}
	EXPECT_EQ(at(12, 11), kCanvasColour);
	EXPECT_EQ(at(29, 11), kCanvasColour);

	// The text area: left + 23 to that + width + 1, top + 4 to top + 16;
	// black behind white text on the selected row.
	float right = 33 + plain.Width() + 1;
	EXPECT_EQ(at(33, 44), make_color(0, 0, 0));
	EXPECT_EQ(at(right, 56), make_color(0, 0, 0));
	EXPECT_EQ(at(32, 50), kCanvasColour);
	EXPECT_EQ(at(right + 1, 50), kCanvasColour);
	EXPECT_EQ(at(33, 43), kCanvasColour);
	EXPECT_EQ(at(33, 57), kCanvasColour);
	// Glyphs are smoothed: count the pixels close to the text colour.
	int white = 0, black = 0;
	for (float x = 34; x < right; x++) {
		for (float y = 44; y <= 56; y++) {
			white += at(x, y).red > 200;
			black += at(x, y - 30).red < 60;
		}
	}
	EXPECT_GT(white, 20);
	EXPECT_GT(black, 20);
	// The plain row's text stays within its area, on the view colour.
	EXPECT_EQ(at(33, 14), kCanvasColour);
	EXPECT_EQ(at(right + 1, 20), kCanvasColour);

	// Without an icon the area starts at left + 5, top + 1 and stops at the
	// row's bottom.
	EXPECT_EQ(at(15, 81), make_color(0, 0, 0));
	EXPECT_EQ(at(15, 97), make_color(0, 0, 0));
	EXPECT_EQ(at(14, 81), kCanvasColour);
	EXPECT_EQ(at(15, 98), kCanvasColour);
	EXPECT_EQ(BTest::WriteWindowPNG(window, BTest::ScreenshotPath("iconlistitem_rows").c_str()),
		B_OK);
}

TEST_F(MessageListTest, ANewListHoldsTheSampleRowsAndMessagesComeAsTwoRows)
{
	BWindow* window = NewWindow("sample");
	TestView* view = new TestView(BRect(0, 0, 299, 199));
	TestView* empty = new TestView(BRect(300, 0, 399, 199), (char*)"second");
	window->AddChild(view);
	window->AddChild(empty);
	ShowAndWait(window);
	BTest::Locked(window, [&] {
		EXPECT_STREQ(view->Name(), "TestView");
		EXPECT_EQ(view->ResizingMode(), (uint32)B_FOLLOW_ALL_SIDES);
		BOutlineListView* list = dynamic_cast<BOutlineListView*>(view->FindView("List"));
		ASSERT_EQ(list, view->List());
		EXPECT_EQ(list->ListType(), B_SINGLE_SELECTION_LIST);
		BScrollView* scroll = dynamic_cast<BScrollView*>(view->FindView("scroll"));
		ASSERT_NE(scroll, nullptr);
		EXPECT_EQ(scroll->Parent(), view);
		EXPECT_EQ(scroll->Border(), B_FANCY_BORDER);
		EXPECT_EQ(scroll->ScrollBar(B_HORIZONTAL), nullptr);
		// The scroll view and its bar fit the page.
		EXPECT_EQ(scroll->Frame(), view->Bounds());
		EXPECT_EQ(scroll->ScrollBar(B_VERTICAL)->Frame().right, scroll->Bounds().right - 1);

		ASSERT_EQ(list->FullListCountItems(), 2);
		IconListItem* sender = dynamic_cast<IconListItem*>(list->ItemAt(0));
		IconListItem* message = dynamic_cast<IconListItem*>(list->ItemAt(1));
		ASSERT_NE(sender, nullptr);
		ASSERT_NE(message, nullptr);
		EXPECT_STREQ(sender->Label(), "Yeah...");
		EXPECT_EQ(sender->OutlineLevel(), 0u);
		EXPECT_STREQ(message->Label(), "It seems to work pretty well...");
		EXPECT_EQ(message->OutlineLevel(), 1u);
		EXPECT_STREQ(otreEssai[0], "Yeah...");
		EXPECT_STREQ(otreEssai[1], "It seems to work pretty well...");
		// Each row has the icon of its kind.
		std::unique_ptr<BBitmap> server(MiniIcon(SENDER_ROW_ICON_TYPE));
		std::unique_ptr<BBitmap> mail(MiniIcon(MESSAGE_ROW_ICON_TYPE));
		EXPECT_EQ(memcmp(sender->Icon()->Bits(), server->Bits(), 256), 0);
		EXPECT_EQ(memcmp(message->Icon()->Bits(), mail->Bits(), 256), 0);

		EXPECT_EQ(empty->List()->FullListCountItems(), 0);
		EXPECT_STREQ(empty->Name(), "TestView");
	});

	char from[] = "alice";
	char text[] = "lunch?";
	BTest::Locked(window, [&] {
		view->AjouteFrom(from, view);
		view->ajouteMess(text, view);
		EXPECT_EQ(view->List()->CountItems(), 4);
		EXPECT_STREQ(otreEssai[2], from);
		EXPECT_STREQ(otreEssai[3], text);
		EXPECT_EQ(view->List()->ItemAt(3)->OutlineLevel(), 1u);
	});
	char from2[] = "bob";
	char text2[] = "the meeting moved to room 4";
	BTest::Locked(window, [&] {
		view->AjouteFrom(from2, view);
		view->ajouteMess(text2, view);
	});
	ASSERT_EQ(BTest::Click(view->List(), RowPoint(view->List(), 2)), B_OK);
	EXPECT_EQ(Answer(view, true), "alice");
	EXPECT_EQ(Answer(view, false), "lunch?");
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(BTest::WriteWindowPNG(window, BTest::ScreenshotPath("messagelist").c_str()), B_OK);
}

TEST_F(MessageListTest, ReplyGetsTheSenderAndTextOfTheSelectedMessageInEveryList)
{
	for (int i = 1; i <= 10; i++)
		WriteRecord("text " + std::to_string(i), ("sender " + std::to_string(i)).c_str());
	BWindow* window = NewWindow("reply");
	TestView* first = new TestView(BRect(0, 0, 199, 299));
	TestView* second = new TestView(BRect(200, 0, 399, 299), (char*)"second");
	window->AddChild(first);
	window->AddChild(second);
	ShowAndWait(window);
	PopClass store;
	// No sound file: the player ends at once.
	for (int i = 1; i <= 10; i++)
		store.ajoute3(i, first);
	store.ajoute3(4, second);
	store.ajoute3(5, second);
	EXPECT_EQ(store.getNbPop(), 12);
	BOutlineListView* list = first->List();
	BTest::Locked(window, [&] { EXPECT_EQ(list->CountItems(), 22); });

	EXPECT_EQ(Answer(first, true), "(null)");
	EXPECT_EQ(Answer(first, false), "(null)");
	// The third message: its text row, then its sender row.
	ASSERT_EQ(BTest::Click(list, RowPoint(list, 7)), B_OK);
	EXPECT_EQ(Answer(first, true), "sender 3");
	EXPECT_EQ(Answer(first, false), "text 3");
	const char up[] = {B_UP_ARROW, 0};
	ASSERT_EQ(BTest::PressKey(window, up), B_OK);
	BTest::Locked(window, [&] { EXPECT_EQ(list->CurrentSelection(), 6); });
	EXPECT_EQ(Answer(first, true), "sender 3");
	EXPECT_EQ(Answer(first, false), "text 3");
	// The tenth, at the end of the list, by keys.
	const char end[] = {B_END, 0};
	ASSERT_EQ(BTest::PressKey(window, end), B_OK);
	EXPECT_EQ(Answer(first, true), "sender 10");
	EXPECT_EQ(Answer(first, false), "text 10");
	ASSERT_EQ(BTest::PressKey(window, up), B_OK);
	BTest::Locked(window, [&] { EXPECT_EQ(list->CurrentSelection(), 20); });
	EXPECT_EQ(Answer(first, true), "sender 10");
	EXPECT_EQ(Answer(first, false), "text 10");
	// The sample rows answer for themselves.
	const char home[] = {B_HOME, 0};
	ASSERT_EQ(BTest::PressKey(window, home), B_OK);
	EXPECT_EQ(Answer(first, true), "Yeah...");
	EXPECT_EQ(Answer(first, false), "It seems to work pretty well...");

	// The second list answers with its own rows; the first keeps its own.
	EXPECT_EQ(Answer(second, true), "(null)");
	ASSERT_EQ(BTest::Click(second->List(), RowPoint(second->List(), 3)), B_OK);
	EXPECT_EQ(Answer(second, true), "sender 5");
	EXPECT_EQ(Answer(second, false), "text 5");
	EXPECT_EQ(Answer(first, true), "Yeah...");
	BTest::Locked(window, [&] { first->List()->DeselectAll(); });
	EXPECT_EQ(Answer(first, true), "(null)");
	EXPECT_EQ(Answer(first, false), "(null)");
}

TEST_F(MessageListTest, EffaceToutEmptiesTheListAndTheNextMessageStartsAtRowZero)
{
	BWindow* window = NewWindow("clear");
	TestView* view = new TestView(BRect(0, 0, 299, 199));
	window->AddChild(view);
	ShowAndWait(window);
	char from[] = "bob";
	char text[] = "see you";
	BTest::Locked(window, [&] {
		view->List()->Select(1);
		view->EffaceTout();
		EXPECT_EQ(view->List()->FullListCountItems(), 0);
		EXPECT_EQ(view->recupLabel(), nullptr);
		EXPECT_EQ(view->recupSousLabel(), nullptr);
		view->AjouteFrom(from, view);
		view->ajouteMess(text, view);
		EXPECT_EQ(view->List()->CountItems(), 2);
		EXPECT_STREQ(otreEssai[0], from);
		EXPECT_STREQ(otreEssai[1], text);
		// Copies: the caller's buffer may go.
		EXPECT_NE(otreEssai[0], from);
	});
	ASSERT_TRUE(BTest::Sync(window));
	// The old rows are gone from the screen too: below the new two, white.
	BPoint below = view->List()->ConvertToScreen(BPoint(100, 45)) - window->Frame().LeftTop();
	EXPECT_EQ(BTest::PixelAt(window, below), make_color(255, 255, 255));
}

TEST_F(MessageListTest, RowsComeFromAnotherThreadUnderTheLockWhileTheWindowDraws)
{
	BWindow* window = NewWindow("pulse");
	TestView* view = new TestView(BRect(0, 0, 299, 199));
	window->AddChild(view);
	ShowAndWait(window);
	struct Work {
		TestView* view;
		std::vector<std::string> names;
	} work{view, {}};
	for (int i = 0; i < 40; i++)
		work.names.push_back("message " + std::to_string(i));
	thread_id pulse = spawn_thread(
		[](void* data) -> status_t {
			Work* w = (Work*)data;
			for (std::string& name : w->names) {
				if (!w->view->Window()->Lock())
					return B_ERROR;
				w->view->AjouteFrom(name.data(), w->view);
				w->view->ajouteMess(name.data(), w->view);
				w->view->Window()->Unlock();
				snooze(1000);
			}
			return B_OK;
		},
		"pulse", B_NORMAL_PRIORITY, &work);
	ASSERT_GE(pulse, 0);
	resume_thread(pulse);
	// Meanwhile the window is clicked, scrolled and redrawn.
	const char down[] = {B_DOWN_ARROW, 0};
	for (int i = 0; i < 10; i++) {
		ASSERT_EQ(BTest::Click(view->List(), BPoint(60, 5 + i * 18)), B_OK);
		ASSERT_EQ(BTest::PressKey(window, down), B_OK);
		BTest::Locked(window, [&] { view->List()->Invalidate(); });
	}
	status_t result = B_ERROR;
	wait_for_thread(pulse, &result);
	EXPECT_EQ(result, B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		BOutlineListView* list = view->List();
		ASSERT_EQ(list->CountItems(), 82);
		for (int i = 0; i < 40; i++) {
			EXPECT_STREQ(((IconListItem*)list->ItemAt(2 + 2 * i))->Label(),
				work.names[i].c_str());
		}
		float min = -1, max = -1;
		((BScrollView*)view->FindView("scroll"))->ScrollBar(B_VERTICAL)->GetRange(&min, &max);
		EXPECT_EQ(max, 82 * 18 - (list->Bounds().Height() + 1));
	});
}

TEST_F(MessageListTest, Ajoute3ShowsTheRecordAndWaitsForTheArrivalSound)
{
	std::string full(kMessageSize, 'x');
	WriteRecord("first", "carol");
	WriteRecord(full, "dave");
	InstallSound();
	EXPECT_EQ(play_arrival_sound(), B_OK);

	BWindow* window = NewWindow("arrival");
	TestView* view = new TestView(BRect(0, 0, 299, 199), (char*)"page");
	window->AddChild(view);
	ShowAndWait(window);
	PopClass store;
	store.ajoute3(2, view);
	// The player has finished and been reaped before ajoute3 returned.
	errno = 0;
	EXPECT_EQ(waitpid(-1, NULL, WNOHANG), -1);
	EXPECT_EQ(errno, ECHILD);
	BTest::Locked(window, [&] {
		ASSERT_EQ(view->List()->CountItems(), 2);
		EXPECT_STREQ(((IconListItem*)view->List()->ItemAt(0))->Label(), "dave");
		// A text of all 1000 bytes has no terminating zero: it is cut there.
		EXPECT_EQ(strlen(((IconListItem*)view->List()->ItemAt(1))->Label()), 1000u);
	});
	ASSERT_EQ(store.getNbPop(), 1);
	EXPECT_EQ(memcmp(store.getPop()->message, full.data(), kMessageSize), 0);

	// A record in memory; then a record that can't be read shows empty.
	Tliste* rec = new Tliste;
	memset(rec, 0, sizeof(Tliste));
	strcpy(rec->message, "in memory");
	store.ajoute2(rec, view);
	store.ajoute3(9, view);
	EXPECT_EQ(store.getNbPop(), 3);
	BTest::Locked(window, [&] {
		ASSERT_EQ(view->List()->CountItems(), 6);
		EXPECT_STREQ(((IconListItem*)view->List()->ItemAt(3))->Label(), "in memory");
		EXPECT_STREQ(((IconListItem*)view->List()->ItemAt(2))->Label(), "unknown");
		EXPECT_STREQ(((IconListItem*)view->List()->ItemAt(5))->Label(), "");
	});

	// Without the sound file the player fails, and says so.
	fs::remove(sVolume / "apps/trovel/music/trucage");
	EXPECT_EQ(play_arrival_sound(), B_ERROR);
}
