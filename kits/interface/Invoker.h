#ifndef _INVOKER_H
#define _INVOKER_H

#include <Messenger.h>

class BHandler;
class BLooper;
class BMessage;

// Something that sends one message to one target when it is used: a
// control, a menu item, an alert. The target is a handler (in its looper),
// a looper (to its preferred handler) or a messenger.
class BInvoker {
public:
	BInvoker();
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = NULL);
	BInvoker(BMessage* message, BMessenger target);
	virtual ~BInvoker();

	// Takes ownership of message; the old one is deleted.
	virtual status_t SetMessage(BMessage* message);
	BMessage* Message() const { return fMessage; }
	uint32 Command() const;

	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = NULL);
	virtual status_t SetTarget(BMessenger messenger);
	bool IsTargetLocal() const { return true; }
	BHandler* Target(BLooper** looper = NULL) const;
	BMessenger Messenger() const;

	virtual status_t SetHandlerForReply(BHandler* handler);
	BHandler* HandlerForReply() const { return fReplyTo; }

	// Sends a copy of message, or of Message() when NULL.
	virtual status_t Invoke(BMessage* message = NULL);

	status_t SetTimeout(bigtime_t timeout);
	bigtime_t Timeout() const { return fTimeout; }

private:
	BInvoker(const BInvoker&) = delete;
	BInvoker& operator=(const BInvoker&) = delete;

	BMessage* fMessage = NULL;
	// A handler not yet in a looper is remembered as a handler; it becomes
	// reachable once it is added to one.
	const BHandler* fHandler = NULL;
	const BLooper* fLooper = NULL;
	BMessenger fMessenger;
	BHandler* fReplyTo = NULL;
	bigtime_t fTimeout = B_INFINITE_TIMEOUT;
};

#endif
