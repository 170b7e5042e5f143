#ifndef _MESSENGER_H
#define _MESSENGER_H

#include <Message.h>
#include <OS.h>

class BHandler;
class BLooper;

// An address for messages: a looper, and in it a handler or its preferred
// handler. Only loopers of this process can be reached.
class BMessenger {
public:
	BMessenger();
	BMessenger(const char* signature, team_id team = -1, status_t* result = NULL);
	BMessenger(const BHandler* handler, const BLooper* looper = NULL, status_t* result = NULL);
	BMessenger(const BMessenger& other) = default;
	~BMessenger() = default;

	BMessenger& operator=(const BMessenger& other) = default;
	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }

	bool IsTargetLocal() const { return true; }
	BHandler* Target(BLooper** looper) const;
	bool LockTarget() const;
	status_t LockTargetWithTimeout(bigtime_t timeout) const;
	bool IsValid() const;
	team_id Team() const;

	status_t SendMessage(uint32 command, BHandler* replyTo = NULL) const;
	status_t SendMessage(BMessage* message, BHandler* replyTo = NULL,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	status_t SendMessage(BMessage* message, BMessenger replyTo,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	status_t SendMessage(uint32 command, BMessage* reply) const;
	status_t SendMessage(BMessage* message, BMessage* reply,
		bigtime_t deliveryTimeout = B_INFINITE_TIMEOUT,
		bigtime_t replyTimeout = B_INFINITE_TIMEOUT) const;

	// Kit-private
	BLooper* _Looper() const { return fLooper; }
	int32 _HandlerToken() const { return fHandlerToken; }
	void _SetTo(BLooper* looper, int32 handlerToken);

private:
	status_t _Send(BMessage* message, BLooper* replyLooper, int32 replyToken,
		BMessage* reply, bigtime_t replyTimeout) const;

	BLooper* fLooper = NULL;
	int32 fHandlerToken = -1;
};

#endif
