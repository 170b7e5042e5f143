#ifndef _AUTOLOCK_H
#define _AUTOLOCK_H

#include <Locker.h>

#if __has_include(<Looper.h>)
#include <Looper.h>
#define _AUTOLOCK_HAS_LOOPER 1
#endif

// Holds a lock (a BLocker, or a looper's own lock) for a scope.
class BAutolock {
public:
	BAutolock(BLocker* locker) : fLocker(locker) { fLocked = fLocker != NULL && fLocker->Lock(); }
	BAutolock(BLocker& locker) : fLocker(&locker) { fLocked = fLocker->Lock(); }
#ifdef _AUTOLOCK_HAS_LOOPER
	BAutolock(BLooper* looper) : fLooper(looper) { fLocked = fLooper != NULL && fLooper->Lock(); }
#endif
	~BAutolock() { Unlock(); }

	bool IsLocked() const { return fLocked; }

	void Unlock()
	{
		if (!fLocked)
			return;
		fLocked = false;
		if (fLocker != NULL)
			fLocker->Unlock();
#ifdef _AUTOLOCK_HAS_LOOPER
		else if (fLooper != NULL)
			fLooper->Unlock();
#endif
	}

private:
	BAutolock(const BAutolock&) = delete;
	BAutolock& operator=(const BAutolock&) = delete;

	BLocker* fLocker = NULL;
#ifdef _AUTOLOCK_HAS_LOOPER
	BLooper* fLooper = NULL;
#endif
	bool fLocked = false;
};

#endif
