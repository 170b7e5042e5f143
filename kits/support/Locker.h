#ifndef _LOCKER_H
#define _LOCKER_H

#include <OS.h>

#include <condition_variable>
#include <mutex>

// A recursive lock with an owner and a nesting count: the thread that holds
// it may lock it again, and must unlock it as many times.
class BLocker {
public:
	BLocker();
	BLocker(const char* name);
	BLocker(bool benaphoreStyle);
	BLocker(const char* name, bool benaphoreStyle);
	virtual ~BLocker();

	status_t InitCheck() const { return B_OK; }

	bool Lock();
	status_t LockWithTimeout(bigtime_t timeout);
	void Unlock();

	thread_id LockingThread() const;
	bool IsLocked() const;
	int32 CountLocks() const;
	int32 CountLockRequests() const;
	sem_id Sem() const { return -1; }

private:
	BLocker(const BLocker&) = delete;
	BLocker& operator=(const BLocker&) = delete;

	mutable std::mutex fMutex;
	std::condition_variable fReleased;
	thread_id fOwner = -1;
	int32 fCount = 0;
	int32 fRequests = 0;
};

#endif
