// The main window on the headless display, with records written straight
// into the data file: what the pulse shows, once; CLEAR; REPLY; away mode.

#include "MainWindowSupport.h"

#include <ArrivalNotice.h>
#include <TView20.h>

#include <Alert.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <time.h>

namespace {

const bigtime_t kOnePoll = 3500000;

// A file nobody can write, root included, for as long as it lives.
class ImmutableFile {
public:
	explicit ImmutableFile(const std::string& path) : fPath(path)
	{
		fLocked = _Set(true);
		// Without root the mode is enough.
		if (!fLocked && getuid() != 0)
			fLocked = chmod(path.c_str(), 0444) == 0;
	}
	~ImmutableFile()
	{
		if (fLocked)
			_Set(false);
	}
	bool Locked() const { return fLocked; }

private:
	bool _Set(bool on)
	{
		int fd = open(fPath.c_str(), O_RDONLY);
		if (fd < 0)
			return false;
		int flags = 0;
		bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
		flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
		done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
		close(fd);
		return done;
	}

	std::string fPath;
	bool fLocked = false;
};

} // namespace

TEST_F(MainWindowTest, WithoutDataFileThePulseLeavesTheListsAlone)
{
	Open();
	std::vector<std::string> before = Rows(0);
	fWindow->Pulse();
	for (int32 i = 0; i < 3; i++)
		EXPECT_EQ(Rows(i), before) << "list " << i;
	EXPECT_EQ(Sounds(), 0);
	EXPECT_EQ(access(fVolume.DataFile().c_str(), F_OK), -1) << "the pulse made a data file";
}

TEST_F(MainWindowTest, EveryNewRecordOfAPollIsShownInOrderWithOneSound)
{
	setenv("TZ", "UTC", 1);
	tzset();
	int64 now = (int64)time(NULL) * 1000000;
	int64 at1403 = now - now % (24 * 3600000000LL) + (14 * 60 + 3) * 60000000LL;
	AddRecord("old", "already seen", false);
	AddRecord("alice", "second record", true, at1403);
	AddRecord("bob", "third record");
	Open();
	size_t samples = Rows(1).size();

	// Both in the first poll, in order, each with its two rows.
	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() >= samples + 4; }, kOnePoll));
	std::vector<std::string> rows = Rows(0);
	ASSERT_EQ(rows.size(), samples + 4);
	EXPECT_EQ(rows[samples], "alice");
	EXPECT_EQ(rows[samples + 1], "second record");
	EXPECT_EQ(rows[samples + 2], "bob");
	EXPECT_EQ(rows[samples + 3], "third record");
	// The arrival beside the name; a record stored without one shows the name.
	std::vector<std::string> shown = Shown(0);
	ASSERT_EQ(shown.size(), samples / 2 + 2);
	EXPECT_EQ(shown[samples / 2], "alice \u00b7 14:03");
	EXPECT_EQ(shown[samples / 2 + 1], "bob");
	EXPECT_TRUE(BTest::WaitFor([&] { return Sounds() == 1; }));

	// Nothing new any more: the next poll shows nothing and plays nothing.
	fWindow->Pulse();
	EXPECT_EQ(Rows(0).size(), samples + 4);
	EXPECT_EQ(Rows(1).size(), samples);
	EXPECT_EQ(Rows(2).size(), samples);
	EXPECT_EQ(magestion->getNbPop(), 2);

	// The file keeps every record; the shown ones are no longer new, and
	// nothing but their flag byte was written.
	std::string data = read_all(fVolume.DataFile());
	ASSERT_EQ(data.size(), 3 * sizeof(Tliste));
	for (int i = 0; i < 3; i++)
		EXPECT_EQ(((const Tliste*)data.data())[i].is_new, 0) << "record " << i + 1;
	EXPECT_EQ(Sounds(), 1);

	// A click on a message's desktop notification selects that message.
	BMessage show(kMainShowRecord);
	show.AddInt32("record", 2);
	fWindow->PostMessage(&show);
	ASSERT_TRUE(BTest::Sync(fWindow));
	BTest::Locked(fWindow, [&] {
		EXPECT_STREQ(fWindow->List(0)->recupLabel(), "alice");
		EXPECT_STREQ(fWindow->List(0)->recupSousLabel(), "second record");
	});
}

TEST_F(MainWindowTest, ARecordShowsWhenTheDataFileChangesWithoutWaitingForThePoll)
{
	Open();
	fWindow->SetPollInterval(3600000000LL);
	size_t before = Rows(0).size();
	// Made by the first message, then grown by the next: both are seen.
	AddRecord("carol", "first of all");
	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() == before + 2; }));
	AddRecord("dave", "and then");
	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() == before + 4; }));
	EXPECT_EQ(Rows(0).back(), "and then");
}

TEST_F(MainWindowTest, ThirtyMessagesKeepTheNewestRowInSightUnlessTheUserScrolledAway)
{
	Open();
	fWindow->SetPollInterval(3600000000LL);
	TestView* list = fWindow->List(0);
	// Every page and its scroll bar end inside the window.
	BTest::Locked(fWindow, [&] {
		BRect window = fWindow->Bounds();
		for (int32 i = 0; i < 3; i++) {
			BView* scroll = fWindow->List(i)->ChildAt(0);
			BRect frame = scroll->ConvertToScreen(scroll->Bounds());
			frame.OffsetBy(-fWindow->Frame().LeftTop());
			EXPECT_TRUE(window.Contains(frame)) << "page " << i;
		}
	});

	std::string previous;
	for (int i = 1; i <= 30; i++) {
		std::string name = "friend" + std::to_string(i);
		AddRecord(name.c_str(), ("message number " + std::to_string(i)).c_str());
		fWindow->Pulse();
		ASSERT_TRUE(BTest::Sync(fWindow));
		BTest::Locked(fWindow, [&] {
			BOutlineListView* view = list->List();
			BRect last = view->ItemFrame(view->CountItems() - 1);
			EXPECT_TRUE(view->Bounds().Contains(last)) << "message " << i;
		});
		std::string shot = BTest::ScreenshotPath(
			("main_window_message_" + std::to_string(i)).c_str());
		ASSERT_EQ(BTest::WriteWindowPNG(fWindow, shot.c_str()), B_OK);
		std::string picture = read_all(shot);
		EXPECT_NE(picture, previous) << "the window did not change for message " << i;
		previous = picture;
	}

	// Scrolled back to the top, the user stays there when another comes.
	BTest::Locked(fWindow, [&] { list->List()->ScrollTo(BPoint(0, 0)); });
	AddRecord("late", "one more");
	fWindow->Pulse();
	BTest::Locked(fWindow, [&] {
		EXPECT_EQ(list->List()->Bounds().top, 0);
		EXPECT_FALSE(list->IsAtEnd());
	});
}

TEST_F(MainWindowTest, AReadOnlyDataFileShowsItsNewRecordOnceAndSaysSoOnce)
{
	AddRecord("erin", "can't be marked");
	ImmutableFile locked(fVolume.DataFile());
	if (!locked.Locked())
		GTEST_SKIP() << "this file system can't make a file read-only for root";
	std::string before = read_all(fVolume.DataFile());
	Open();
	size_t samples = Rows(1).size();
	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() == samples + 2; }, kOnePoll));
	BWindow* alert = BTest::WaitForWindow("");
	ASSERT_NE(alert, nullptr);
	BTest::Locked(alert, [&] {
		EXPECT_NE(std::string(static_cast<BAlert*>(alert)->Text()).find("can't write"),
			std::string::npos);
	});
	fWindow->Pulse();
	fWindow->Pulse();
	EXPECT_EQ(Rows(0).size(), samples + 2);
	EXPECT_EQ(read_all(fVolume.DataFile()), before);
	// No second alert.
	alert->Lock();
	alert->Quit();
	EXPECT_EQ(BTest::WaitForWindow("", 300000), nullptr);
}

TEST_F(MainWindowTest, AFifoInPlaceOfTheDataFileNeverHoldsUpThePoll)
{
	ASSERT_EQ(mkfifo(fVolume.DataFile().c_str(), 0666), 0);
	Open();
	std::vector<std::string> before = Rows(0);
	// Neither poll waits for a writer that never comes.
	fWindow->Pulse();
	fWindow->Pulse();
	EXPECT_EQ(Rows(0), before);
	EXPECT_EQ(magestion->count_total_number_of_messages(), 0);
}

TEST_F(MainWindowTest, ClearEmptiesTheListsButNotTheFileOrTheStore)
{
	AddRecord("alice", "to be cleared");
	Open();
	// Shown, in the store and marked as seen.
	ASSERT_TRUE(BTest::WaitFor([&] {
		std::string data = read_all(fVolume.DataFile());
		return data.size() == sizeof(Tliste) && ((const Tliste*)data.data())->is_new == 0;
	}, kOnePoll));
	ASSERT_EQ(Rows(0).size(), Rows(1).size() + 2);
	std::string data = read_all(fVolume.DataFile());
	int stored = magestion->getNbPop();

	// Through the strip's button, as the user does.
	BView* clear = BTest::FindView(fWindow, "CLEAR");
	ASSERT_NE(clear, nullptr);
	ASSERT_EQ(BTest::Click(clear, BPoint(10, 10)), B_OK);
	ASSERT_TRUE(BTest::Sync(fWindow));
	for (int32 i = 0; i < 3; i++)
		EXPECT_TRUE(Rows(i).empty()) << "list " << i;
	EXPECT_EQ(read_all(fVolume.DataFile()), data);
	EXPECT_EQ(magestion->getNbPop(), stored);
}

TEST_F(MainWindowTest, ReplyOpensThePrivatePopupOnlyForASelectedMessage)
{
	Open();
	fWindow->PostMessage(kMainClear);
	ASSERT_TRUE(BTest::Sync(fWindow));
	// Nothing selected: no window.
	fWindow->PostMessage(kMainReply);
	ASSERT_TRUE(BTest::Sync(fWindow));
	EXPECT_EQ(BTest::WaitForWindow("private popup", 300000), nullptr);

	setenv("TZ", "UTC", 1);
	tzset();
	int64 now = (int64)time(NULL) * 1000000;
	AddRecord("carol", "answer me", true, now - now % (24 * 3600000000LL) + 9.5 * 3600000000LL);

	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() == 2; }, kOnePoll));
	BTest::Locked(fWindow, [&] { fWindow->List(0)->List()->Select(1); });
	fWindow->PostMessage(kMainReply);
	BWindow* popup = BTest::WaitForWindow("private popup");
	ASSERT_NE(popup, nullptr);
	EXPECT_EQ(popup_text(popup), "answer me");
	// Who wrote it, and when, above the text.
	EXPECT_NE(BTest::FindView(popup, "private_popup_caption"), nullptr);
	TView20* view = dynamic_cast<TView20*>(BTest::FindView(popup, "TView20"));
	ASSERT_NE(view, nullptr);
	EXPECT_STREQ(view->Caption(), "carol \u00b7 09:30");
	BTest::Locked(popup, [&] { EXPECT_EQ(popup->Frame(), BRect(20, 322, 572, 722)); });
	popup->Lock();
	popup->Quit();
}

TEST_F(MainWindowTest, AwayModeAddsNothingToTheList)
{
	Open();
	std::vector<std::string> before = Rows(0);
	BView* away = BTest::FindView(fWindow, "AWAY mode");
	ASSERT_NE(away, nullptr);
	ASSERT_EQ(BTest::Click(away, BPoint(5, 5)), B_OK);
	ASSERT_TRUE(BTest::Sync(fWindow));
	EXPECT_TRUE(fWindow->IsAway());
	// No settings here: the record is not answered, but handled once.
	AddRecord("dave", "while away");
	ASSERT_TRUE(BTest::WaitFor([&] {
		std::string data = read_all(fVolume.DataFile());
		return data.size() == sizeof(Tliste) && ((const Tliste*)data.data())->is_new == 0;
	}, kOnePoll));
	EXPECT_EQ(Rows(0), before);
	EXPECT_EQ(Sounds(), 0);
	ASSERT_EQ(BTest::Click(away, BPoint(5, 5)), B_OK);
	ASSERT_TRUE(BTest::Sync(fWindow));
	EXPECT_FALSE(fWindow->IsAway());
}


TEST_F(MainWindowTest, BytesThatAreNotUTF8ShowAsReplacementMarksAndStayInTheFile)
{
	AddRecord("eve", "caf\xe9 au lait");
	Open();
	size_t samples = Rows(1).size();
	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() >= samples + 2; }, kOnePoll));
	EXPECT_EQ(Rows(0)[samples + 1], "caf\xef\xbf\xbd au lait");
	std::string data = read_all(fVolume.DataFile());
	ASSERT_GE(data.size(), 1032u);
	EXPECT_EQ(data.substr(0, 12), "caf\xe9 au lait");
	EXPECT_TRUE(BTest::WaitFor([&] { return Sounds() == 1; }));
}
