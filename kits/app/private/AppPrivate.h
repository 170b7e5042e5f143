#ifndef _APP_PRIVATE_H
#define _APP_PRIVATE_H

#include <Message.h>
#include <OS.h>

#include <condition_variable>
#include <memory>
#include <mutex>

class BHandler;
class BLooper;

namespace BPrivate {

// Handlers are found by number, so that a message for a handler that has
// gone is dropped instead of reaching freed memory.
int32 register_handler(BHandler* handler);
void unregister_handler(int32 token);
BHandler* handler_for_token(int32 token);

// One registry lock guards the set of live loopers and every delivery into
// their queues, so a looper cannot be deleted while a message is posted.
std::mutex& looper_registry_lock();

// Where a synchronous send waits for its reply.
struct ReplySlot {
	std::mutex lock;
	std::condition_variable done;
	bool replied = false;
	BMessage reply;
	// Set when the reply itself waits for an answer.
	std::shared_ptr<ReplySlot> waiting;
};

// Waits for the reply to arrive in a slot, within the time-out.
status_t wait_for_reply(const std::shared_ptr<ReplySlot>& slot, BMessage* reply,
	bigtime_t timeout);

// Hands a message on to another looper with its sender still waiting: the
// reply is owed by whoever handles the copy.
status_t forward_message(BMessage* message, BLooper* looper, BHandler* handler);

// A recursive, owner-counted lock that survives the looper it belongs to,
// so a thread waiting for a looper that is deleted wakes up and fails.
struct LooperLock {
	std::mutex mutex;
	std::condition_variable released;
	thread_id owner = -1;
	int32 count = 0;
	int32 requests = 0;
	bool dead = false;

	status_t Acquire(bigtime_t timeout);
	void Release();
};

} // namespace BPrivate

#endif
