// The main window on the headless display, with records written straight
// into the data file: what the pulse shows, once; CLEAR; REPLY; away mode.

#include "MainWindowSupport.h"

namespace {

const bigtime_t kOnePoll = 3500000;

} // namespace

TEST_F(MainWindowTest, WithoutDataFileThePulseLeavesTheListsAlone)
{
	Open();
	std::vector<std::string> before = Rows(0);
	usleep(kOnePoll);
	for (int32 i = 0; i < 3; i++)
		EXPECT_EQ(Rows(i), before) << "list " << i;
	EXPECT_EQ(Sounds(), 0);
	EXPECT_EQ(access(fVolume.DataFile().c_str(), F_OK), -1) << "the pulse made a data file";
}

TEST_F(MainWindowTest, EachNewRecordIsShownOnceInPopPersoWithOneSound)
{
	AddRecord("old", "already seen", false);
	AddRecord("alice", "second record");
	AddRecord("bob", "third record");
	Open();
	size_t samples = Rows(1).size();

	// One record per pulse, the first new one first.
	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() >= samples + 2; }, kOnePoll));
	std::vector<std::string> rows = Rows(0);
	ASSERT_EQ(rows.size(), samples + 2);
	EXPECT_EQ(rows[samples], "alice");
	EXPECT_EQ(rows[samples + 1], "second record");
	// The sound plays once the rows are in.
	EXPECT_TRUE(BTest::WaitFor([&] { return Sounds() == 1; }));

	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() >= samples + 4; }, kOnePoll));
	rows = Rows(0);
	EXPECT_EQ(rows[samples + 2], "bob");
	EXPECT_EQ(rows[samples + 3], "third record");
	EXPECT_TRUE(BTest::WaitFor([&] { return Sounds() == 2; }));

	// Nothing new any more: the next pulse shows nothing again.
	usleep(kOnePoll);
	EXPECT_EQ(Rows(0).size(), samples + 4);
	EXPECT_EQ(Sounds(), 2);
	EXPECT_EQ(Rows(1).size(), samples);
	EXPECT_EQ(Rows(2).size(), samples);
	EXPECT_EQ(magestion->getNbPop(), 2);

	// The file keeps every record; the shown ones are no longer new.
	std::string data = read_all(fVolume.DataFile());
	ASSERT_EQ(data.size(), 3 * sizeof(Tliste));
	for (int i = 0; i < 3; i++)
		EXPECT_EQ(((const Tliste*)data.data())[i].is_new, 0) << "record " << i + 1;
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

	AddRecord("carol", "answer me");

	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() == 2; }, kOnePoll));
	BTest::Locked(fWindow, [&] { fWindow->List(0)->List()->Select(1); });
	fWindow->PostMessage(kMainReply);
	BWindow* popup = BTest::WaitForWindow("private popup");
	ASSERT_NE(popup, nullptr);
	EXPECT_EQ(popup_text(popup), "answer me");
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

