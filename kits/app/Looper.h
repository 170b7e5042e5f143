#ifndef _LOOPER_H
#define _LOOPER_H

#include <Handler.h>
#include <List.h>
#include <MessageQueue.h>
#include <OS.h>

#include <atomic>
#include <memory>

#define B_LOOPER_PORT_DEFAULT_CAPACITY 200

namespace BPrivate {
struct LooperLock;
}

// A thread with a message queue and a lock. A looper made with new deletes
// itself when it quits.
class BLooper : public BHandler {
public:
	BLooper(const char* name = NULL, int32 priority = B_NORMAL_PRIORITY,
		int32 portCapacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
	virtual ~BLooper();

	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message);
	status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = NULL);
	status_t PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo = NULL);

	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	void MessageReceived(BMessage* message) override;
	BMessage* CurrentMessage() const { return fCurrentMessage; }
	BMessage* DetachCurrentMessage();
	BMessageQueue* MessageQueue() const { return fQueue.get(); }
	bool IsMessageWaiting() const;

	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 CountHandlers() const;
	BHandler* HandlerAt(int32 index) const;
	int32 IndexOf(BHandler* handler) const;

	BHandler* PreferredHandler() const { return fPreferred; }
	void SetPreferredHandler(BHandler* handler);

	virtual thread_id Run();
	virtual void Quit();
	virtual bool QuitRequested();

	bool Lock();
	void Unlock();
	status_t LockWithTimeout(bigtime_t timeout);

	thread_id Thread() const { return fThread; }
	team_id Team() const;
	static BLooper* LooperForThread(thread_id thread);

	thread_id LockingThread() const;
	bool IsLocked() const;
	int32 CountLocks() const;
	int32 CountLockRequests() const;
	sem_id Sem() const { return -1; }

	// Kit-private: posts an already copied message; the queue takes it.
	status_t _PostOwned(BMessage* message);
	// Kit-private: whether a looper is alive (by address).
	static bool _IsValid(const BLooper* looper);
	// Kit-private: finds the handler a message is for, or NULL.
	BHandler* _TargetFor(BMessage* message);
	// Kit-private: a live looper by its handler number, or NULL.
	static BLooper* _LooperForToken(int32 token);
	// Kit-private: posts an owned message to a looper known by number; on
	// failure the caller keeps the message.
	static status_t _PostToToken(int32 token, BMessage* message);

protected:
	// Runs the message loop on the calling thread until the looper quits.
	void _Loop();
	// Fully gives up a lock the calling thread holds, answering how deep it was.
	int32 _UnlockFully();
	void _Relock(int32 count);
	// Gives up the lock the constructing thread has held since construction.
	void _ReleaseInitialLock();
	// Marks the looper as running on an existing thread (the application's).
	void _RunOnThread(thread_id thread);

	std::atomic<bool> fTerminating{false};

private:
	static status_t _LoopThread(void* data);
	// Follows a scripting message's specifiers to the handler that takes
	// it; NULL when it was answered or sent on already.
	BHandler* _ResolveSpecifiers(BHandler* handler, BMessage* message);

	std::shared_ptr<BPrivate::LooperLock> fLock;
	std::unique_ptr<BMessageQueue> fQueue;
	BList fHandlers;
	BHandler* fPreferred = NULL;
	BMessage* fCurrentMessage = NULL;
	thread_id fThread = -1;
	int32 fPriority;
	bool fRunCalled = false;
	bool fInitialLockHeld = true;
	bool fDeleteOnQuit = false;
};

#endif
