#ifndef _MESSAGE_QUEUE_H
#define _MESSAGE_QUEUE_H

#include <Locker.h>
#include <Message.h>

#include <condition_variable>
#include <deque>
#include <mutex>

// The queue of messages waiting for a looper.
class BMessageQueue {
public:
	BMessageQueue();
	virtual ~BMessageQueue();

	void AddMessage(BMessage* message);
	void RemoveMessage(BMessage* message);
	int32 CountMessages() const;
	bool IsEmpty() const;

	BMessage* FindMessage(int32 index) const;
	BMessage* FindMessage(uint32 what, int32 index = 0) const;

	bool Lock();
	void Unlock();
	bool IsLocked() const;

	BMessage* NextMessage();
	bool IsNextMessage(const BMessage* message) const;

	// Waits until a message is there or the time (absolute, system_time())
	// has come; answers whether one is there.
	bool _WaitForMessage(bigtime_t until);

private:
	mutable std::mutex fMutex;
	std::condition_variable fAdded;
	std::deque<BMessage*> fMessages;
	BLocker fLocker;
};

#endif
