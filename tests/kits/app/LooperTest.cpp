#include <Autolock.h>
#include <Handler.h>
#include <Looper.h>
#include <Messenger.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

class RecordingHandler : public BHandler {
public:
	RecordingHandler(const char* name) : BHandler(name) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'ping' && message->IsSourceWaiting()) {
			BMessage reply('pong');
			reply.AddString("from", Name());
			message->SendReply(&reply);
			return;
		}
		received.push_back(message->what);
		thread = find_thread(NULL);
	}
	std::vector<uint32> received;
	thread_id thread = -1;
};

class CountingLooper : public BLooper {
public:
	CountingLooper(std::atomic<int>* gone) : BLooper("counting"), fGone(gone) {}
	~CountingLooper() override { (*fGone)++; }
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'slow')
			snooze(20000);
		handled.push_back(message->what);
	}
	bool QuitRequested() override { return allowQuit; }
	std::vector<uint32> handled;
	bool allowQuit = true;

private:
	std::atomic<int>* fGone;
};

bool
wait_until(const std::function<bool()>& condition)
{
	for (int i = 0; i < 500; i++) {
		if (condition())
			return true;
		snooze(2000);
	}
	return false;
}

} // namespace

TEST(BLooper, DeliversToItsHandlersOnItsOwnThread)
{
	std::atomic<int> gone{0};
	CountingLooper* looper = new CountingLooper(&gone);
	RecordingHandler* handler = new RecordingHandler("handler");
	looper->AddHandler(handler);
	thread_id thread = looper->Run();
	ASSERT_GT(thread, 0);

	EXPECT_EQ(looper->PostMessage('one'), B_OK);
	BMessage two('two');
	EXPECT_EQ(looper->PostMessage(&two, handler), B_OK);
	ASSERT_TRUE(wait_until([&] {
		BAutolock lock(looper);
		return looper->handled.size() == 1 && handler->received.size() == 1;
	}));
	EXPECT_EQ(handler->thread, thread);

	// A handler of another looper is refused.
	RecordingHandler stranger("stranger");
	EXPECT_EQ(looper->PostMessage(&two, &stranger), B_MISMATCHED_VALUES);

	// A synchronous send gets the handler's reply.
	BMessenger messenger(handler);
	ASSERT_TRUE(messenger.IsValid());
	BMessage reply;
	ASSERT_EQ(messenger.SendMessage('ping', &reply), B_OK);
	EXPECT_EQ(reply.what, (uint32)'pong');
	EXPECT_STREQ(reply.GetString("from"), "handler");

	// A message nobody answers still ends the wait.
	BMessenger toLooper(looper);
	ASSERT_EQ(toLooper.SendMessage('none', &reply), B_OK);
	EXPECT_EQ(reply.what, (uint32)B_NO_REPLY);

	ASSERT_TRUE(looper->Lock());
	looper->RemoveHandler(handler);
	delete handler;
	looper->Quit();
	EXPECT_EQ(gone.load(), 1);
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_EQ(toLooper.SendMessage('late'), B_BAD_PORT_ID);
}

TEST(BLooper, QuitFromAnotherThreadFinishesQueuedMessagesFirst)
{
	std::atomic<int> gone{0};
	CountingLooper* looper = new CountingLooper(&gone);
	looper->Run();
	for (int i = 0; i < 5; i++)
		looper->PostMessage('slow');
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
	EXPECT_EQ(gone.load(), 1);
}

TEST(BLooper, QuitRequestedDecidesAndLockFailsOnceGone)
{
	std::atomic<int> gone{0};
	CountingLooper* looper = new CountingLooper(&gone);
	looper->allowQuit = false;
	looper->Run();
	BMessenger messenger(looper);
	BMessage reply;
	ASSERT_EQ(messenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
	EXPECT_FALSE(reply.GetBool("result", true));
	EXPECT_EQ(gone.load(), 0);

	{
		BAutolock lock(looper);
		looper->allowQuit = true;
	}
	ASSERT_EQ(messenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
	EXPECT_TRUE(reply.GetBool("result", false));
	ASSERT_TRUE(wait_until([&] { return gone.load() == 1; }));
	EXPECT_FALSE(looper->Lock());
}

TEST(BLooper, LockIsRecursiveAndSharedAcrossThreads)
{
	std::atomic<int> gone{0};
	CountingLooper* looper = new CountingLooper(&gone);
	looper->Run();
	ASSERT_TRUE(looper->Lock());
	ASSERT_TRUE(looper->Lock());
	EXPECT_EQ(looper->CountLocks(), 2);
	EXPECT_TRUE(looper->IsLocked());

	// While this thread holds the lock, the looper's thread cannot handle.
	looper->PostMessage('held');
	snooze(20000);
	EXPECT_TRUE(looper->handled.empty());
	EXPECT_EQ(looper->LockWithTimeout(0), B_OK);
	looper->Unlock();
	looper->Unlock();
	looper->Unlock();
	ASSERT_TRUE(wait_until([&] {
		BAutolock lock(looper);
		return looper->handled.size() == 1;
	}));
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}
