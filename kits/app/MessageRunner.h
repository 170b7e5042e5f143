#ifndef _MESSAGE_RUNNER_H
#define _MESSAGE_RUNNER_H

#include <Messenger.h>

// Sends a message to a target every interval, count times (or for as long
// as it lives when count is negative). All runners of a process share one
// timer thread; the first message goes one interval after construction.
class BMessageRunner {
public:
	BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval,
		int32 count = -1);
	BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval,
		int32 count, BMessenger replyTo);
	virtual ~BMessageRunner();

	status_t InitCheck() const { return fID >= 0 ? B_OK : fID; }

	// Both start the count of intervals again from now.
	status_t SetInterval(bigtime_t interval);
	status_t SetCount(int32 count);
	// B_BAD_VALUE once the runner has sent all its messages.
	status_t GetInfo(bigtime_t* interval, int32* count) const;

	// A runner that owns itself: it goes when its count is used up.
	static status_t StartSending(BMessenger target, const BMessage* message,
		bigtime_t interval, int32 count);
	static status_t StartSending(BMessenger target, const BMessage* message,
		bigtime_t interval, int32 count, BMessenger replyTo);

private:
	BMessageRunner(const BMessageRunner&) = delete;
	BMessageRunner& operator=(const BMessageRunner&) = delete;

	int32 fID;
};

namespace BPrivate {

// Kit-private: the time the runners (and the display server's click
// counting) go by. Normally system_time(); a test harness may stop it and
// move it on by hand, and then no runner fires unless it does.
bigtime_t runner_time();
void drive_runner_clock(bool driven);
bool runner_clock_driven();
// Moves a driven clock on, sending every message due meanwhile, in order,
// before it returns. B_NOT_ALLOWED when the clock is not driven.
status_t advance_runner_clock(bigtime_t delta);

} // namespace BPrivate

#endif
