// Message runners on the process' timer thread, mostly on a driven clock:
// how many messages, when, in what order, and what ends a runner.
#include <Application.h>
#include <Looper.h>
#include <MessageRunner.h>
#include <Messenger.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Notes the "tag" of every message and the clock's time when handling it;
// answers 'sync' so that the test knows all before it was handled.
class Recorder : public BLooper {
public:
	Recorder() : BLooper("recorder") {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'sync') {
			BMessage reply('done');
			message->SendReply(&reply);
			return;
		}
		const char* tag = "?";
		message->FindString("tag", &tag);
		std::lock_guard<std::mutex> guard(fLock);
		fTags.push_back(tag);
		fTimes.push_back(BPrivate::runner_time());
	}
	std::vector<std::string> Tags()
	{
		std::lock_guard<std::mutex> guard(fLock);
		return fTags;
	}
	std::vector<bigtime_t> Times()
	{
		std::lock_guard<std::mutex> guard(fLock);
		return fTimes;
	}

private:
	std::mutex fLock;
	std::vector<std::string> fTags;
	std::vector<bigtime_t> fTimes;
};

class MessageRunnerTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		BPrivate::drive_runner_clock(true);
		fRecorder = new Recorder;
		fRecorder->Run();
		fTarget = BMessenger(fRecorder);
		fStart = BPrivate::runner_time();
	}
	void TearDown() override
	{
		if (fRecorder != NULL && fRecorder->Lock())
			fRecorder->Quit();
		BPrivate::drive_runner_clock(false);
	}

	// Moves the clock on and waits until the recorder has handled what came.
	std::vector<std::string> Advance(bigtime_t delta)
	{
		EXPECT_EQ(BPrivate::advance_runner_clock(delta), B_OK);
		BMessage sync('sync'), reply;
		EXPECT_EQ(fTarget.SendMessage(&sync, &reply), B_OK);
		return fRecorder->Tags();
	}

	static BMessage Tagged(const char* tag)
	{
		BMessage message('tick');
		message.AddString("tag", tag);
		return message;
	}

	Recorder* fRecorder = NULL;
	BMessenger fTarget;
	bigtime_t fStart = 0;
};

using Tags = std::vector<std::string>;

} // namespace

TEST_F(MessageRunnerTest, SendsEveryIntervalAsOftenAsCountedInTimeOrder)
{
	BMessage a = Tagged("a"), b = Tagged("b");
	BMessageRunner thrice(fTarget, &a, 30000, 3);
	BMessageRunner forever(fTarget, &b, 50000);
	ASSERT_EQ(thrice.InitCheck(), B_OK);
	ASSERT_EQ(forever.InitCheck(), B_OK);

	EXPECT_EQ(Advance(29999), Tags{});
	EXPECT_EQ(Advance(1), Tags{"a"});
	EXPECT_EQ(Advance(70000), (Tags{"a", "b", "a", "a", "b"}));
	// The clock stood where the test left it when the first was handled.
	std::vector<bigtime_t> times = fRecorder->Times();
	ASSERT_EQ(times.size(), 5u);
	EXPECT_EQ(times[0] - fStart, 30000);
	EXPECT_EQ(times[4] - fStart, 100000);

	// The three are sent: that runner is done, the other goes on.
	bigtime_t interval;
	int32 count;
	EXPECT_EQ(thrice.GetInfo(&interval, &count), B_BAD_VALUE);
	EXPECT_EQ(forever.GetInfo(&interval, &count), B_OK);
	EXPECT_EQ(interval, 50000);
	EXPECT_EQ(count, -1);
	EXPECT_EQ(Advance(1000000).size(), 5u + 20u);
}

TEST_F(MessageRunnerTest, ChangesStartTheIntervalAgainAndDeletionStopsIt)
{
	BMessage tick = Tagged("t");
	auto runner = std::make_unique<BMessageRunner>(fTarget, &tick, 100000);
	EXPECT_EQ(Advance(60000).size(), 0u);
	EXPECT_EQ(runner->SetInterval(20000), B_OK);
	EXPECT_EQ(Advance(19999).size(), 0u);
	EXPECT_EQ(Advance(1).size(), 1u);
	EXPECT_EQ(runner->SetCount(2), B_OK);
	EXPECT_EQ(Advance(100000).size(), 3u);
	EXPECT_EQ(runner->SetInterval(1000), B_BAD_VALUE);

	runner = std::make_unique<BMessageRunner>(fTarget, &tick, 10000);
	EXPECT_EQ(runner->SetInterval(0), B_BAD_VALUE);
	EXPECT_EQ(runner->SetCount(0), B_OK);
	EXPECT_EQ(Advance(100000).size(), 3u);
	runner = std::make_unique<BMessageRunner>(fTarget, &tick, 10000);
	EXPECT_EQ(Advance(10000).size(), 4u);
	runner.reset();
	EXPECT_EQ(Advance(100000).size(), 4u);
}

TEST_F(MessageRunnerTest, BadArgumentsAndGoneTargetsEndNothingElse)
{
	BMessage tick = Tagged("t");
	EXPECT_NE(BMessageRunner(fTarget, NULL, 1000).InitCheck(), B_OK);
	EXPECT_NE(BMessageRunner(fTarget, &tick, 0).InitCheck(), B_OK);
	EXPECT_NE(BMessageRunner(fTarget, &tick, 1000, 0).InitCheck(), B_OK);
	EXPECT_NE(BMessageRunner(BMessenger(), &tick, 1000).InitCheck(), B_OK);
	BMessageRunner unset(BMessenger(), &tick, 1000);
	EXPECT_EQ(unset.SetInterval(1000), B_NO_INIT);
	EXPECT_EQ(unset.GetInfo(NULL, NULL), B_BAD_VALUE);

	// A runner whose looper quit goes quietly; the others keep sending.
	Recorder* other = new Recorder;
	other->Run();
	BMessageRunner orphan(BMessenger(other), &tick, 10000);
	BMessageRunner kept(fTarget, &tick, 10000);
	other->Lock();
	other->Quit();
	EXPECT_EQ(Advance(30000).size(), 3u);
	EXPECT_EQ(orphan.GetInfo(NULL, NULL), B_BAD_VALUE);

	// One that owns itself leaves when its count is used up.
	BMessage own = Tagged("own");
	EXPECT_EQ(BMessageRunner::StartSending(fTarget, &own, 5000, 2), B_OK);
	EXPECT_EQ(BMessageRunner::StartSending(fTarget, &own, 0, 2), B_BAD_VALUE);
	Tags tags = Advance(20000);
	EXPECT_EQ(std::count(tags.begin(), tags.end(), "own"), 2);
	EXPECT_EQ(BPrivate::advance_runner_clock(-1), B_BAD_VALUE);
}

TEST_F(MessageRunnerTest, TheTimerThreadSendsOnTheRealClock)
{
	BPrivate::drive_runner_clock(false);
	EXPECT_EQ(BPrivate::advance_runner_clock(1000), B_NOT_ALLOWED);
	BMessage tick = Tagged("real");
	BMessageRunner runner(fTarget, &tick, 1000, 3);
	// Waited for by its result, not by a time: three messages come.
	for (int i = 0; i < 5000 && fRecorder->Tags().size() < 3; i++)
		snooze(1000);
	EXPECT_EQ(fRecorder->Tags(), (Tags{"real", "real", "real"}));
}

namespace {

class PulsingApp : public BApplication {
public:
	PulsingApp() : BApplication("application/x-vnd.Murmelo-pulse-test") {}
	void ReadyToRun() override
	{
		SetPulseRate(100000);
		BPrivate::advance_runner_clock(350000);
		SetPulseRate(0);
		BPrivate::advance_runner_clock(1000000);
		PostMessage(B_QUIT_REQUESTED);
	}
	void Pulse() override { pulses++; }
	int pulses = 0;
};

} // namespace

TEST(BApplicationPulse, PulsesAtItsRateUntilTurnedOff)
{
	BPrivate::drive_runner_clock(true);
	PulsingApp* app = new PulsingApp;
	app->Run();
	EXPECT_EQ(app->pulses, 3);
	delete app;
	BPrivate::drive_runner_clock(false);
}
