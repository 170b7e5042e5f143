#include <Locker.h>

#include <chrono>

BLocker::BLocker()
{
}

BLocker::BLocker(const char*)
{
}

BLocker::BLocker(bool)
{
}

BLocker::BLocker(const char*, bool)
{
}

BLocker::~BLocker()
{
}

bool
BLocker::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t
BLocker::LockWithTimeout(bigtime_t timeout)
{
	thread_id self = find_thread(NULL);
	std::unique_lock<std::mutex> guard(fMutex);
	if (fOwner == self) {
		fCount++;
		return B_OK;
	}
	fRequests++;
	auto free = [this] { return fOwner < 0; };
	if (timeout == B_INFINITE_TIMEOUT)
		fReleased.wait(guard, free);
	else if (!fReleased.wait_for(guard, std::chrono::microseconds(timeout), free)) {
		fRequests--;
		return B_TIMED_OUT;
	}
	fRequests--;
	fOwner = self;
	fCount = 1;
	return B_OK;
}

void
BLocker::Unlock()
{
	std::unique_lock<std::mutex> guard(fMutex);
	if (fOwner != find_thread(NULL)) {
		// Unlocking a lock one does not hold is a programming error; on
		// BeOS it corrupts the lock, here it is refused.
		return;
	}
	if (--fCount == 0) {
		fOwner = -1;
		guard.unlock();
		fReleased.notify_one();
	}
}

thread_id
BLocker::LockingThread() const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return fOwner;
}

bool
BLocker::IsLocked() const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return fOwner >= 0 && fOwner == find_thread(NULL);
}

int32
BLocker::CountLocks() const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return fCount;
}

int32
BLocker::CountLockRequests() const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return fRequests + (fOwner >= 0 ? 1 : 0);
}
