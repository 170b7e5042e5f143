// The history window on the headless display: a 100,000-record file read
// on a thread, searched, a message deleted and the rest saved, then the
// window opened again as after a restart; away marks, damaged texts and a
// torn marks file.
#include <HistoryWindow.h>

#include <Application.h>
#include <Button.h>
#include <Clipboard.h>
#include <Harness.h>
#include <HistoryMarks.h>
#include <ListView.h>
#include <TextControl.h>

#include "HistorySupport.h"
#include "TempBootVolume.h"

#include <gtest/gtest.h>

#include <time.h>

namespace {

const bigtime_t kLoadTimeout = 120000000;

class HistoryWindowTest : public ::testing::Test {
protected:
	static void SetUpTestSuite()
	{
		// The times shown are local; these tests read them in UTC.
		setenv("TZ", "UTC", 1);
		tzset();
		sApp = new BTest::HeadlessApp("application/x-vnd.Murmelo-history-test");
	}
	static void TearDownTestSuite() { delete sApp; }

	void TearDown() override
	{
		if (fWindow != NULL)
			Close();
	}

	// Opens the history and waits until every record is listed.
	void OpenLoaded()
	{
		fWindow = new HistoryWindow();
		fWindow->Show();
		ASSERT_EQ(BTest::WaitForWindow("History"), fWindow);
		ASSERT_TRUE(BTest::WaitFor([&] {
			bool loaded = false;
			BTest::Locked(fWindow, [&] { loaded = fWindow->IsLoaded(); });
			return loaded;
		}, kLoadTimeout));
		BTest::Sync(fWindow);
		fList = dynamic_cast<BListView*>(BTest::FindView(fWindow, "list"));
		ASSERT_NE(fList, nullptr);
	}

	void Close()
	{
		BTest::CloseWindow(fWindow);
		// Gone from the application too, so the next one is not mistaken for it.
		ASSERT_TRUE(BTest::WaitFor([] {
			return HistoryWindow::Current() == NULL && be_app->CountWindows() == 0;
		}));
		fWindow = NULL;
	}

	int32 Shown()
	{
		int32 shown = -1;
		BTest::Locked(fWindow, [&] { shown = fWindow->CountShown(); });
		return shown;
	}

	std::vector<std::string> ShownTexts()
	{
		std::vector<std::string> texts;
		BTest::Locked(fWindow, [&] {
			for (int32 i = 0; i < fWindow->CountShown(); i++)
				texts.push_back(fWindow->ShownText(i).String());
		});
		return texts;
	}

	void Search(const char* text)
	{
		BView* search = BTest::FindView(fWindow, "search");
		BTest::Click(search, BPoint(100, 10));
		BTest::TypeKeys(fWindow, text);
		// Each key filters all rows, which takes a while in a sanitizer.
		BTest::Sync(fWindow, kLoadTimeout);
	}

	void ClickRow(int32 index)
	{
		BRect frame;
		BTest::Locked(fWindow, [&] { frame = fList->ItemFrame(index); });
		BTest::Click(fList, BPoint(frame.left + 200, frame.top + 5));
	}

	// closes: the press ends the window, which is then not there to sync.
	void Press(BWindow* window, const char* button, bool closes = false)
	{
		BView* view = BTest::FindView(window, button);
		ASSERT_NE(view, nullptr) << button;
		BRect bounds;
		BTest::Locked(window, [&] { bounds = view->Bounds(); });
		BTest::Click(view, BPoint(bounds.Width() / 2, bounds.Height() / 2));
		if (!closes)
			BTest::Sync(window);
	}

	void Screenshot(const char* name)
	{
		BTest::WriteWindowPNG(fWindow, BTest::ScreenshotPath(name).c_str());
	}

	static BTest::HeadlessApp* sApp;
	TempBootVolume fVolume;
	HistoryWindow* fWindow = NULL;
	BListView* fList = NULL;
};

BTest::HeadlessApp* HistoryWindowTest::sApp = NULL;

bool
mentions_printer(std::string text)
{
	for (char& c : text)
		c = (char)tolower((unsigned char)c);
	return text.find("printer") != std::string::npos;
}

} // namespace

TEST_F(HistoryWindowTest, HundredThousandMessagesSearchDeleteSaveAndReopen)
{
	append_history_records(100000, printer_sample);
	std::string data = TempBootVolume::Read(fVolume.DataFile());
	std::string names = TempBootVolume::Read(fVolume.NamesFile());

	// Closed while it still reads: the reader stops and the window goes.
	fWindow = new HistoryWindow();
	fWindow->Show();
	ASSERT_TRUE(BTest::WaitFor([&] { return Shown() > 0; }));
	Close();

	OpenLoaded();
	ASSERT_EQ(Shown(), 100000);
	std::vector<std::string> all = ShownTexts();
	// Newest first, with time, sender, recipient and text.
	EXPECT_EQ(all.front(), "2 Dec 11:46  friend5 \xE2\x86\x92 pc1\nmessage #100000\n");
	EXPECT_EQ(all.back().substr(all.back().find('\n')), "\nmessage #1\n");
	Screenshot("history-all");

	Search("printer");
	std::vector<std::string> found = ShownTexts();
	ASSERT_EQ(found.size(), (size_t)kPrinterMessages);
	for (const std::string& text : found)
		EXPECT_TRUE(mentions_printer(text)) << text;
	EXPECT_NE(found[0].find("#99007"), std::string::npos);
	Screenshot("history-search");

	// Delete the newest printer message; its neighbour takes the selection.
	ClickRow(0);
	Press(fWindow, "copy");
	ASSERT_TRUE(be_clipboard->Lock());
	const char* copied = NULL;
	ssize_t size = 0;
	be_clipboard->Data()->FindData("text/plain", B_MIME_TYPE, (const void**)&copied, &size);
	EXPECT_EQ(std::string(copied != NULL ? copied : "", size), found[0]);
	be_clipboard->Unlock();
	Press(fWindow, "delete");
	std::vector<std::string> left = ShownTexts();
	ASSERT_EQ(left.size(), found.size() - 1);
	EXPECT_EQ(left[0], found[1]);
	BTest::Locked(fWindow, [&] {
		EXPECT_EQ(fList->CurrentSelection(), 0);
		EXPECT_EQ(fWindow->CountMessages(), 99999);
	});

	// Save the shown messages through the prompt.
	std::string saved = fVolume.Root() + "/home/printer messages.txt";
	Press(fWindow, "save");
	BWindow* prompt = BTest::WaitForWindow("Save History");
	ASSERT_NE(prompt, nullptr);
	BTextControl* path = dynamic_cast<BTextControl*>(BTest::FindView(prompt, "path"));
	ASSERT_NE(path, nullptr);
	BTest::Locked(prompt, [&] {
		EXPECT_EQ(std::string(path->Text()), fVolume.Root() + "/home/murmelo-history.txt");
		path->SetText(saved.c_str());
	});
	Press(prompt, "save", true);
	ASSERT_TRUE(BTest::WaitFor([&] { return TempBootVolume::Exists(saved); }));
	BTest::Sync(fWindow);
	std::string expected;
	for (const std::string& text : left)
		expected += text + "\n";
	EXPECT_EQ(TempBootVolume::Read(saved), expected);
	EXPECT_FALSE(TempBootVolume::Exists(saved + ".part"));
	Close();

	// As after a restart: the deleted message stays away.
	OpenLoaded();
	EXPECT_EQ(Shown(), 99999);
	Search("PRINTER");
	EXPECT_EQ(ShownTexts(), left);
	Screenshot("history-reopened");

	EXPECT_TRUE(TempBootVolume::Read(fVolume.DataFile()) == data);
	EXPECT_TRUE(TempBootVolume::Read(fVolume.NamesFile()) == names);
}

TEST_F(HistoryWindowTest, AwayMarksShowDamagedTextsAreReplacedAndATornMarksFileIsSkipped)
{
	append_history_records(5, [](int32 i) {
		HistorySample s;
		s.from = "friend" + std::to_string(i);
		s.to = "me";
		s.text = "hello #" + std::to_string(i);
		if (i == 1)
			s.old = true;
		if (i == 2)
			s.text = std::string("caf\xE9 \xFF\xFE ok\nsecond line\x01");
		return s;
	});
	// A torn tail of the data file is no message.
	FILE* data = fopen(fVolume.DataFile().c_str(), "ab");
	fwrite("half a record", 1, 13, data);
	fclose(data);

	std::string records = TempBootVolume::Read(fVolume.DataFile());
	const Tliste* rec = (const Tliste*)records.data();
	ASSERT_EQ(append_history_mark(3, &rec[2], HISTORY_MARK_AWAY), B_OK);
	// A torn mark, then a tombstone for record 4, then one written for
	// another message at index 5 (a replaced data file).
	std::string marks = fVolume.Root() + "/home/murmelo.dat.marks";
	std::string torn = TempBootVolume::Read(marks).substr(0, 11);
	FILE* file = fopen(marks.c_str(), "ab");
	fwrite(torn.data(), 1, torn.size(), file);
	fclose(file);
	ASSERT_EQ(append_history_mark(4, &rec[3], HISTORY_MARK_DELETED), B_OK);
	ASSERT_EQ(append_history_mark(5, &rec[0], HISTORY_MARK_DELETED), B_OK);

	OpenLoaded();
	std::vector<std::string> shown = ShownTexts();
	ASSERT_EQ(shown.size(), 4u);
	EXPECT_EQ(shown[0], "1 Dec 08:00  friend5 \xE2\x86\x92 me\nhello #5\n");
	EXPECT_EQ(shown[1], "1 Dec 08:00  friend3 \xE2\x86\x92 me  (away)\nhello #3\n");
	EXPECT_EQ(shown[2], "1 Dec 08:00  friend2 \xE2\x86\x92 me\ncaf\xEF\xBF\xBD \xEF\xBF\xBD"
		"\xEF\xBF\xBD ok\nsecond line\x01\n");
	EXPECT_EQ(shown[3], "(no time)  unknown \xE2\x86\x92 unknown\nhello #1\n");

	// The away row is tinted where no text is drawn; the others are white.
	BRect away;
	BRect plain;
	BPoint awayPoint;
	BPoint plainPoint;
	BTest::Locked(fWindow, [&] {
		away = fList->ItemFrame(1);
		plain = fList->ItemFrame(0);
		awayPoint = fList->ConvertToScreen(BPoint(away.right - 3, away.top + 3));
		plainPoint = fList->ConvertToScreen(BPoint(plain.right - 3, plain.top + 3));
		awayPoint -= fWindow->Frame().LeftTop();
		plainPoint -= fWindow->Frame().LeftTop();
	});
	rgb_color tint = BTest::PixelAt(fWindow, awayPoint);
	rgb_color white = BTest::PixelAt(fWindow, plainPoint);
	EXPECT_EQ(tint.red, 255);
	EXPECT_EQ(tint.green, 236);
	EXPECT_EQ(tint.blue, 190);
	EXPECT_EQ(white.red + white.green + white.blue, 3 * 255);
	Screenshot("history-away");

	// A bare name is saved in the home folder; a folder that isn't there
	// is an error, and leaves nothing behind.
	BMessage save(kHistorySaveTo);
	save.AddString("path", "bare.txt");
	fWindow->PostMessage(&save);
	std::string bare = fVolume.Root() + "/home/bare.txt";
	ASSERT_TRUE(BTest::WaitFor([&] { return TempBootVolume::Exists(bare); }));
	EXPECT_EQ(TempBootVolume::Read(bare), shown[0] + "\n" + shown[1] + "\n" + shown[2] + "\n"
		+ shown[3] + "\n");
	std::string missing = fVolume.Root() + "/no such folder/history.txt";
	BTest::Locked(fWindow, [&] {
		BString error;
		EXPECT_NE(fWindow->SaveShown(missing.c_str(), &error), B_OK);
		EXPECT_EQ(error, "No such file or directory");
	});
	EXPECT_FALSE(TempBootVolume::Exists(missing + ".part"));

	// The Delete key in the list deletes too.
	ClickRow(1);
	BTest::PressKey(fWindow, "\x7f");
	BTest::Sync(fWindow);
	EXPECT_EQ(ShownTexts(), std::vector<std::string>({shown[0], shown[2], shown[3]}));
	HistoryMarks tombstones;
	ASSERT_EQ(tombstones.Load(), B_OK);
	EXPECT_EQ(tombstones.KindsOf(3, message_check(&rec[2])),
		(uint32)(HISTORY_MARK_AWAY | HISTORY_MARK_DELETED));
}
