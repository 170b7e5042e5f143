// The messenger's notification of an arrival: what it shows, where a click
// goes, and that the option in the settings file turns it off.

#include <ArrivalNotice.h>
#include <Harness.h>
#include <MurmeloSettings.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "../settings/SettingsVolume.h"
#include "ServiceTest.h"

namespace {

// Stands for the main window: keeps the records it is asked to show.
class ShowingWindow : public BWindow {
public:
	ShowingWindow()
		:
		BWindow(BRect(50, 50, 249, 149), "murmelo", B_TITLED_WINDOW, 0)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMainShowRecord) {
			BWindow::MessageReceived(message);
			return;
		}
		std::lock_guard<std::mutex> locker(fLock);
		fRecords.push_back(message->GetInt32("record", -1));
	}

	std::vector<int32> Records()
	{
		std::lock_guard<std::mutex> locker(fLock);
		return fRecords;
	}

private:
	std::mutex fLock;
	std::vector<int32> fRecords;
};

class NotifyArrival : public ServiceTest {
protected:
	void SetUp() override
	{
		ServiceTest::SetUp();
		if (IsSkipped() || HasFatalFailure())
			return;
		fApp.reset(new BTest::HeadlessApp());
		fWindow = new ShowingWindow();
		fWindow->Show();
		ASSERT_TRUE(BTest::Sync(fWindow));
	}

	void TearDown() override
	{
		if (fWindow != NULL && fWindow->Lock())
			fWindow->Quit();
		fApp.reset();
	}

	SettingsVolume fVolume;
	std::unique_ptr<BTest::HeadlessApp> fApp;
	ShowingWindow* fWindow = NULL;
};

} // namespace

TEST_F(NotifyArrival, ShowsSenderAndFirstLineAndAClickAsksTheWindowForTheRecord)
{
	// No settings file yet: notifications are on.
	ASSERT_EQ(notify_arrival(fWindow, 42, "friend1", "\r\n  \r\nlunch at noon?\r\nsecond line"),
		B_OK);
	ASSERT_EQ(sSession->Displayed(), 1);
	ASSERT_EQ(sSession->Control({"action", "0"}).status, 0);
	ASSERT_TRUE(BTest::WaitFor([&] { return !fWindow->Records().empty(); }));
	EXPECT_EQ(fWindow->Records(), std::vector<int32>{42});

	std::vector<ShownNotification> shown = sSession->CloseAndReadHistory();
	const ShownNotification* received = Find(shown, "friend1");
	ASSERT_NE(received, nullptr);
	EXPECT_EQ(received->app, "Murmelo");
	EXPECT_EQ(received->body, "lunch at noon?");
}

TEST_F(NotifyArrival, NothingIsSentWhenTheOptionIsOff)
{
	murmelo_settings settings;
	settings.notifications = 0;
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	EXPECT_EQ(notify_arrival(fWindow, 3, "quiet sender", "psst"), B_OK);
	// Sending waits for the service's answer, so anything sent is on screen.
	EXPECT_EQ(sSession->Displayed(), 0);

	settings.notifications = 1;
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	EXPECT_EQ(notify_arrival(fWindow, 4, "loud sender", "hello"), B_OK);
	EXPECT_EQ(sSession->Displayed(), 1);
	std::vector<ShownNotification> shown = sSession->CloseAndReadHistory();
	EXPECT_EQ(Find(shown, "quiet sender"), nullptr);
	EXPECT_NE(Find(shown, "loud sender"), nullptr);
}
