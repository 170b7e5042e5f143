#include <RepeatTimer.h>

#include <chrono>

void
RepeatTimer::Start(const BMessenger& target, const BMessage& message, bigtime_t delay,
	bigtime_t interval)
{
	Stop();
	fStopping = false;
	fThread = std::thread([this, target, message, delay, interval] {
		std::unique_lock<std::mutex> guard(fLock);
		bigtime_t wait = delay;
		while (!fWake.wait_for(guard, std::chrono::microseconds(wait),
			[this] { return fStopping; })) {
			BMessage copy(message);
			// Posting only queues, so the lock may be held: Stop() then
			// cannot return between the check and the send.
			if (target.SendMessage(&copy) != B_OK)
				break;
			wait = interval;
		}
	});
}

void
RepeatTimer::Stop()
{
	if (!fThread.joinable())
		return;
	{
		std::lock_guard<std::mutex> guard(fLock);
		fStopping = true;
	}
	fWake.notify_all();
	fThread.join();
}
