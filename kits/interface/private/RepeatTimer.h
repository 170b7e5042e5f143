#ifndef _REPEAT_TIMER_H
#define _REPEAT_TIMER_H

#include <Message.h>
#include <Messenger.h>
#include <SupportDefs.h>

#include <condition_variable>
#include <mutex>
#include <thread>

// Sends a message once after a delay and then at an interval until
// stopped, as a held mouse button repeats a scroll arrow. Stopping waits
// for the sending thread, so nothing is sent after Stop() returns; a copy
// already queued may still arrive and must be recognised by its contents.
class RepeatTimer {
public:
	RepeatTimer() = default;
	~RepeatTimer() { Stop(); }
	RepeatTimer(const RepeatTimer&) = delete;
	RepeatTimer& operator=(const RepeatTimer&) = delete;

	void Start(const BMessenger& target, const BMessage& message, bigtime_t delay,
		bigtime_t interval);
	void Stop();

private:
	std::mutex fLock;
	std::condition_variable fWake;
	bool fStopping = false;
	std::thread fThread;
};

#endif
