// The whole road of a message with the real Samba server: smbclient -M
// sends, smbd runs the installed Murmelod, the messenger's pulse shows the
// message once; REPLY answers it through the same server, and away mode
// answers by itself.

#include "MainWindowSupport.h"

#include <PrivateSamba.h>

#include <Alert.h>
#include <Button.h>
#include <HistoryMarks.h>
#include <HistoryWindow.h>
#include <MurmeloSettings.h>

#include <thread>

namespace {

// One poll, and the time smbd takes to run the daemon.
const bigtime_t kOnePoll = 5000000;
const bigtime_t kSendTimeout = 30000000;

const char* kPopName = "varnoth";
const char* kAwayText = "Out for lunch, back at two.";

class MainSambaTest : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		if (getuid() == 0)
			sSamba = new PrivateSamba("MURMELOTEST");
	}

	static void TearDownTestSuite()
	{
		delete sSamba;
		sSamba = NULL;
	}

	void SetUp() override
	{
		if (getuid() != 0)
			GTEST_SKIP() << "the Samba server needs root";
		ASSERT_TRUE(sSamba->Started()) << sSamba->Output();
		sSamba->Clear();
		fOldPath = getenv("PATH");
		setenv("BE_BOOT_VOLUME", sSamba->BootVolume().c_str(), 1);
		std::string bin = sSamba->BootVolume() + "/standin";
		mkdir(bin.c_str(), 0755);
		fSoundLog = bin + "/sounds";
		unlink(fSoundLog.c_str());
		write_standin_media_player(bin, fSoundLog);
		setenv("PATH", (bin + ":" + fOldPath).c_str(), 1);
		setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/murmelo-test-bus", 1);

		murmelo_settings settings;
		settings.popName = kPopName;
		settings.answer = kAwayText;
		ASSERT_EQ(save_murmelo_settings(settings), B_OK);
		fApp = new BTest::HeadlessApp();
		fWindow = new TWindow1((char*)"murmelo", BRect(45, 370, 467, 770));
		fWindow->Show();
		ASSERT_TRUE(BTest::Sync(fWindow));
		fSamples = Rows(0).size();
	}

	void TearDown() override
	{
		close_main_window(fWindow);
		delete fApp;
		if (!fOldPath.empty())
			setenv("PATH", fOldPath.c_str(), 1);
		unsetenv("BE_BOOT_VOLUME");
	}

	std::vector<std::string> Rows(int32 list) { return list_rows(fWindow, list); }

	// Clicks a row of the Pop-Perso list.
	void ClickRow(int32 index)
	{
		BOutlineListView* view = fWindow->List(0)->List();
		BRect frame;
		BTest::Locked(fWindow, [&] { frame = view->ItemFrame(index); });
		ASSERT_EQ(BTest::Click(view, BPoint(frame.left + 30, (frame.top + frame.bottom) / 2)),
			B_OK);
	}

	static std::string Sender(const Tliste& record)
	{
		BString from;
		if (read_message_names(&record, &from, NULL, NULL) != B_OK)
			return "?";
		return from.String();
	}

	static std::string Text(const Tliste& record)
	{
		return std::string(record.message, strnlen(record.message, sizeof(record.message)));
	}

	int Sounds() const { return count_lines(fSoundLog); }

	static PrivateSamba* sSamba;
	std::string fOldPath;
	std::string fSoundLog;
	BTest::HeadlessApp* fApp = NULL;
	TWindow1* fWindow = NULL;
	size_t fSamples = 0;
};

PrivateSamba* MainSambaTest::sSamba = NULL;

} // namespace

TEST_F(MainSambaTest, AMessageIsShownOnceAndItsAnswerArrivesUnderOurName)
{
	// smbclient -M finds the sender's name, as Samba hands it to the daemon,
	// on this machine.
	LmhostsLine sender("BARSFRIEND");
	ProcessResult sent = sSamba->Send("barsfriend", "are you at your desk?");
	ASSERT_EQ(sent.status, 0) << sent.output;

	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() >= fSamples + 2; }, kOnePoll));
	std::vector<std::string> rows = Rows(0);
	ASSERT_EQ(rows.size(), fSamples + 2);
	EXPECT_EQ(rows[fSamples], "barsfriend");
	EXPECT_EQ(rows[fSamples + 1], "are you at your desk?");
	EXPECT_TRUE(BTest::WaitFor([&] { return Sounds() == 1; }));
	BTest::WriteWindowPNG(fWindow, BTest::ScreenshotPath("messenger_samba_arrived").c_str());

	// Not shown again at the next poll.
	fWindow->Pulse();
	EXPECT_EQ(Rows(0).size(), fSamples + 2);
	EXPECT_EQ(Sounds(), 1);

	// REPLY on the message, as the user does it.
	ClickRow(fSamples + 1);
	BView* reply = BTest::FindView(fWindow, "REPLY");
	ASSERT_NE(reply, nullptr);
	ASSERT_EQ(BTest::Click(reply, BPoint(10, 10)), B_OK);
	BWindow* popup = BTest::WaitForWindow("private popup");
	ASSERT_NE(popup, nullptr);
	EXPECT_EQ(popup_text(popup), "are you at your desk?");

	const char* typed = "yes, \"coming\" $(id) ; now";
	BView* write = BTest::FindView(popup, "private_popup_write");
	ASSERT_NE(write, nullptr);
	ASSERT_EQ(BTest::Click(write, BPoint(30, 20)), B_OK);
	ASSERT_EQ(BTest::TypeKeys(popup, typed), B_OK);
	BView* send = BTest::FindView(popup, "SEND");
	ASSERT_NE(send, nullptr);
	ASSERT_EQ(BTest::Click(send, BPoint(10, 10)), B_OK);

	BAlert* alert = dynamic_cast<BAlert*>(BTest::WaitForWindow("Pingbox", kSendTimeout));
	ASSERT_NE(alert, nullptr);
	std::string said;
	BTest::Locked(alert, [&] { said = alert->Text(); });
	EXPECT_EQ(said, "\n\nMessage succesfully sent.");
	ASSERT_EQ(BTest::Click(alert->ButtonAt(0), BPoint(5, 5)), B_OK);

	// The answer came back through the same server, under our name.
	ASSERT_TRUE(BTest::WaitFor([&] { return sSamba->Records().size() >= 2; }, kSendTimeout));
	std::vector<Tliste> records = sSamba->Records();
	ASSERT_EQ(records.size(), 2u);
	EXPECT_EQ(Sender(records[1]), kPopName);
	EXPECT_EQ(Text(records[1]), typed);
	// The answer is a new message here too: shown with its own sound before
	// the test ends, so no late sound of this window counts in the next test.
	EXPECT_TRUE(BTest::WaitFor([&] { return Rows(0).size() == fSamples + 4; }));
	EXPECT_TRUE(BTest::WaitFor([&] { return Sounds() == 2; }));
}

TEST_F(MainSambaTest, ABurstOfTenIsShownWholeInOrderWithOneSound)
{
	// A sound that lasts until the test has seen every row: whatever polls
	// the burst takes, the messages that come while it plays add no other.
	std::string release = sSamba->BootVolume() + "/sound-may-end";
	std::string player = sSamba->BootVolume() + "/standin/MediaPlayer";
	std::ofstream(player) << "#!/bin/sh\necho \"$@\" >> '" << fSoundLog << "'\n"
		<< "while [ ! -e '" << release << "' ]; do sleep 0.05; done\n";
	chmod(player.c_str(), 0755);

	std::vector<std::thread> senders;
	std::vector<ProcessResult> results(10);
	for (int i = 0; i < 10; i++) {
		senders.emplace_back([&, i] {
			results[i] = sSamba->Send("burst" + std::to_string(i), "part " + std::to_string(i));
		});
	}
	for (std::thread& sender : senders)
		sender.join();
	for (const ProcessResult& result : results)
		ASSERT_EQ(result.status, 0) << result.output;

	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() >= fSamples + 20; }, kOnePoll));
	fWindow->Pulse();
	std::ofstream(release) << "";
	// In the order the server stored them, each once.
	std::vector<Tliste> records = sSamba->Records();
	ASSERT_EQ(records.size(), 10u);
	std::vector<std::string> rows = Rows(0);
	ASSERT_EQ(rows.size(), fSamples + 20);
	for (size_t i = 0; i < records.size(); i++) {
		EXPECT_EQ(rows[fSamples + 2 * i], Sender(records[i])) << i;
		EXPECT_EQ(rows[fSamples + 2 * i + 1], Text(records[i])) << i;
		EXPECT_EQ(records[i].is_new, 0) << i;
	}
	EXPECT_EQ(Sounds(), 1);
}

TEST_F(MainSambaTest, AwayModeAnswersEachMessageOnceAndListsNothing)
{
	LmhostsLine sender("BARSFRIEND");
	BView* away = BTest::FindView(fWindow, "AWAY mode");
	ASSERT_NE(away, nullptr);
	ASSERT_EQ(BTest::Click(away, BPoint(5, 5)), B_OK);
	ASSERT_TRUE(BTest::Sync(fWindow));
	ASSERT_TRUE(fWindow->IsAway());

	ProcessResult sent = sSamba->Send("barsfriend", "lunch?");
	ASSERT_EQ(sent.status, 0) << sent.output;

	// The away answer arrives through the same server, to the sender, from us.
	ASSERT_TRUE(BTest::WaitFor([&] { return sSamba->Records().size() >= 2; }, kSendTimeout));
	// Our own answer is new in turn: its poll answers "varnoth", which no
	// name service knows, and the count stays.
	ASSERT_TRUE(BTest::WaitFor([&] {
		std::vector<Tliste> stored = sSamba->Records();
		return stored.size() == 2 && stored[1].is_new == 0;
	}, kSendTimeout));
	fWindow->Pulse();
	std::vector<Tliste> records = sSamba->Records();
	ASSERT_EQ(records.size(), 2u);
	EXPECT_EQ(Text(records[0]), "lunch?");
	EXPECT_EQ(Sender(records[1]), kPopName);
	EXPECT_EQ(Text(records[1]), kAwayText);
	for (const Tliste& record : records)
		EXPECT_EQ(record.is_new, 0);
	EXPECT_EQ(Rows(0).size(), fSamples);
	EXPECT_EQ(Sounds(), 0);

	// Kept for the history, marked as answered while away, and counted in
	// the title until the history has been opened.
	HistoryMarks marks;
	ASSERT_EQ(marks.Load(), B_OK);
	EXPECT_TRUE(marks.KindsOf(1, message_check(&records[0])) & HISTORY_MARK_AWAY);
	std::string title;
	BTest::Locked(fWindow, [&] { title = fWindow->Title(); });
	EXPECT_EQ(title, "murmelo (" + std::to_string(fWindow->Unread()) + ")");
	EXPECT_GE(fWindow->Unread(), 1);
	fWindow->PostMessage(kMainHistoryOpened);
	ASSERT_TRUE(BTest::Sync(fWindow));
	BTest::Locked(fWindow, [&] { title = fWindow->Title(); });
	EXPECT_EQ(title, "murmelo");
}

TEST_F(MainSambaTest, ALongMessageIsShownWholeInTheListThePopupAndTheHistory)
{
	std::string text;
	for (int i = 0; text.size() < 1500; i++)
		text += "phrase " + std::to_string(i) + (i % 10 == 9 ? ".\n" : ", ");
	text.resize(1500);
	ProcessResult sent = sSamba->Send("longwinded", text);
	ASSERT_EQ(sent.status, 0) << sent.output;

	ASSERT_TRUE(BTest::WaitFor([&] { return Rows(0).size() >= fSamples + 2; }, kOnePoll));
	EXPECT_EQ(Rows(0)[fSamples + 1], text);
	// The record is what it always was: 1032 bytes, the first 1000 of them.
	std::vector<Tliste> records = sSamba->Records();
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(read_file(sSamba->DataFile()).size(), 1032u);
	EXPECT_EQ(std::string(records[0].message, 1000), text.substr(0, 1000));

	ClickRow(fSamples + 1);
	ASSERT_EQ(BTest::Click(BTest::FindView(fWindow, "REPLY"), BPoint(10, 10)), B_OK);
	BWindow* popup = BTest::WaitForWindow("private popup");
	ASSERT_NE(popup, nullptr);
	EXPECT_EQ(popup_text(popup), text);
	BTest::Locked(popup, [&] { popup->Quit(); });

	HistoryWindow* history = new HistoryWindow();
	history->Show();
	ASSERT_TRUE(BTest::WaitFor([&] {
		bool loaded = false;
		BTest::Locked(history, [&] { loaded = history->IsLoaded(); });
		return loaded;
	}));
	BTest::Locked(history, [&] {
		ASSERT_EQ(history->CountShown(), 1);
		EXPECT_NE(std::string(history->ShownText(0).String()).find(text), std::string::npos);
	});
	BTest::Locked(history, [&] { history->Quit(); });
	EXPECT_TRUE(BTest::WaitFor([&] { return Sounds() == 1; }));
}
