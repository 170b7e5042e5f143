#ifndef _AUTOLOCK_H
#define _AUTOLOCK_H

#include <Locker.h>

// Holds a lock (a BLocker, or a looper's own lock) for a scope. Its layout
// is the same in every file, whatever else the file includes: a looper is
// reached through a function made where the looper's class is known.
class BAutolock {
public:
	BAutolock(BLocker* locker) { _Lock(locker); }
	BAutolock(BLocker& locker) { _Lock(&locker); }
	// A looper, or anything else with Lock() and Unlock().
	template<typename Lockable>
	BAutolock(Lockable* lockable)
	{
		_Lock(lockable);
	}
	~BAutolock() { Unlock(); }

	bool IsLocked() const { return fLocked; }

	void Unlock()
	{
		if (!fLocked)
			return;
		fLocked = false;
		fUnlock(fLockable);
	}

private:
	BAutolock(const BAutolock&) = delete;
	BAutolock& operator=(const BAutolock&) = delete;

	template<typename Lockable>
	void _Lock(Lockable* lockable)
	{
		fLockable = lockable;
		fUnlock = [](void* object) { static_cast<Lockable*>(object)->Unlock(); };
		fLocked = lockable != nullptr && lockable->Lock();
	}

	void* fLockable = nullptr;
	void (*fUnlock)(void*) = nullptr;
	bool fLocked = false;
};

#endif
