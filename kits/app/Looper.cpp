#include <Looper.h>

#include <Application.h>

#include "AppPrivate.h"
#include "MessageDelivery.h"

#include <chrono>
#include <set>
#include <stdio.h>
#include <stdlib.h>

namespace BPrivate {

std::mutex&
looper_registry_lock()
{
	// Never destroyed: loopers may still run while the process exits.
	static std::mutex* lock = new std::mutex;
	return *lock;
}

status_t
LooperLock::Acquire(bigtime_t timeout)
{
	thread_id self = find_thread(NULL);
	std::unique_lock<std::mutex> guard(mutex);
	if (dead)
		return B_BAD_VALUE;
	if (owner == self) {
		count++;
		return B_OK;
	}
	requests++;
	auto free = [this] { return dead || owner < 0; };
	bool got = true;
	if (timeout == B_INFINITE_TIMEOUT)
		released.wait(guard, free);
	else
		got = released.wait_for(guard, std::chrono::microseconds(timeout), free);
	requests--;
	if (!got)
		return B_TIMED_OUT;
	if (dead)
		return B_BAD_VALUE;
	owner = self;
	count = 1;
	return B_OK;
}

void
LooperLock::Release()
{
	std::unique_lock<std::mutex> guard(mutex);
	if (owner != find_thread(NULL) || count <= 0)
		return;
	if (--count == 0) {
		owner = -1;
		guard.unlock();
		released.notify_one();
	}
}

} // namespace BPrivate

using BPrivate::looper_registry_lock;

namespace {

std::set<const BLooper*>& sLoopers = *new std::set<const BLooper*>;

} // namespace

BLooper::BLooper(const char* name, int32 priority, int32)
	: BHandler(name),
	  fLock(std::make_shared<BPrivate::LooperLock>()),
	  fQueue(std::make_unique<BMessageQueue>()),
	  fPriority(priority)
{
	{
		std::lock_guard<std::mutex> guard(looper_registry_lock());
		sLoopers.insert(this);
	}
	// As on BeOS, the thread that makes a looper holds its lock until Run().
	fLock->Acquire(B_INFINITE_TIMEOUT);
	AddHandler(this);
}

BLooper::~BLooper()
{
	{
		std::lock_guard<std::mutex> guard(looper_registry_lock());
		sLoopers.erase(this);
	}
	while (fHandlers.CountItems() > 0) {
		BHandler* handler = (BHandler*)fHandlers.RemoveItem(fHandlers.CountItems() - 1);
		handler->_SetLooper(NULL);
	}
	{
		std::lock_guard<std::mutex> guard(fLock->mutex);
		fLock->dead = true;
		fLock->owner = -1;
		fLock->count = 0;
	}
	fLock->released.notify_all();
	delete fCurrentMessage;
	fCurrentMessage = NULL;
}

status_t
BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message);
}

status_t
BLooper::PostMessage(BMessage* message)
{
	return PostMessage(message, this, NULL);
}

status_t
BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return PostMessage(&message, handler, replyTo);
}

status_t
BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo)
{
	if (message == NULL)
		return B_BAD_VALUE;
	if (handler != NULL && handler->Looper() != this)
		return B_MISMATCHED_VALUES;

	BMessage* copy = new BMessage(*message);
	if (handler != NULL)
		copy->fTargetToken = handler->_Token();
	else
		copy->fPreferred = true;
	if (replyTo != NULL && replyTo->Looper() != NULL) {
		copy->fReplyLooper = replyTo->Looper();
		copy->fReplyToken = replyTo->_Token();
	} else if (be_app != NULL) {
		copy->fReplyLooper = be_app;
		copy->fReplyToken = be_app->_Token();
	}
	return _PostOwned(copy);
}

status_t
BLooper::_PostOwned(BMessage* message)
{
	std::lock_guard<std::mutex> guard(looper_registry_lock());
	if (sLoopers.count(this) == 0 || fTerminating) {
		delete message;
		return B_BAD_PORT_ID;
	}
	fQueue->AddMessage(message);
	return B_OK;
}

BLooper*
BLooper::_LooperForToken(int32 token)
{
	std::lock_guard<std::mutex> guard(looper_registry_lock());
	for (const BLooper* looper : sLoopers) {
		if (looper->_Token() == token)
			return const_cast<BLooper*>(looper);
	}
	return NULL;
}

status_t
BLooper::_PostToToken(int32 token, BMessage* message)
{
	std::lock_guard<std::mutex> guard(looper_registry_lock());
	for (const BLooper* found : sLoopers) {
		if (found->_Token() != token)
			continue;
		BLooper* looper = const_cast<BLooper*>(found);
		if (looper->fTerminating)
			return B_BAD_PORT_ID;
		looper->fQueue->AddMessage(message);
		return B_OK;
	}
	return B_BAD_PORT_ID;
}

bool
BLooper::_IsValid(const BLooper* looper)
{
	std::lock_guard<std::mutex> guard(looper_registry_lock());
	return sLoopers.count(looper) != 0;
}

void
BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == _QUIT_) {
		fTerminating = true;
		return;
	}
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		bool quit = QuitRequested();
		if (message->IsSourceWaiting()) {
			BMessage reply(B_REPLY);
			reply.AddBool("result", quit);
			reply.AddInt32("thread", find_thread(NULL));
			message->SendReply(&reply);
		}
		if (quit)
			Quit();
		return;
	}
	handler->MessageReceived(message);
}

void
BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

BMessage*
BLooper::DetachCurrentMessage()
{
	BMessage* message = fCurrentMessage;
	fCurrentMessage = NULL;
	return message;
}

bool
BLooper::IsMessageWaiting() const
{
	return !fQueue->IsEmpty();
}

void
BLooper::AddHandler(BHandler* handler)
{
	if (handler == NULL || handler->Looper() != NULL)
		return;
	handler->_SetLooper(this);
	fHandlers.AddItem(handler);
}

bool
BLooper::RemoveHandler(BHandler* handler)
{
	if (handler == NULL || handler == this || handler->Looper() != this)
		return false;
	fHandlers.RemoveItem(handler);
	handler->_SetLooper(NULL);
	if (fPreferred == handler)
		fPreferred = NULL;
	return true;
}

int32
BLooper::CountHandlers() const
{
	return fHandlers.CountItems();
}

BHandler*
BLooper::HandlerAt(int32 index) const
{
	return (BHandler*)fHandlers.ItemAt(index);
}

int32
BLooper::IndexOf(BHandler* handler) const
{
	return fHandlers.IndexOf(handler);
}

void
BLooper::SetPreferredHandler(BHandler* handler)
{
	if (handler != NULL && handler->Looper() != this)
		return;
	fPreferred = handler;
}

thread_id
BLooper::Run()
{
	if (fRunCalled) {
		fprintf(stderr, "BLooper::Run() called twice on looper \"%s\"\n",
			Name() != NULL ? Name() : "");
		abort();
	}
	fRunCalled = true;
	fDeleteOnQuit = true;
	fThread = spawn_thread(_LoopThread, Name() != NULL ? Name() : "looper", fPriority, this);
	if (fThread < 0)
		return fThread;
	thread_id thread = fThread;
	_ReleaseInitialLock();
	resume_thread(thread);
	return thread;
}

void
BLooper::_ReleaseInitialLock()
{
	if (!fInitialLockHeld)
		return;
	// The constructing thread's lock is handed over to the loop, whichever
	// thread calls Run().
	fInitialLockHeld = false;
	std::shared_ptr<BPrivate::LooperLock> lock = fLock;
	std::unique_lock<std::mutex> guard(lock->mutex);
	if (lock->count > 0 && --lock->count == 0) {
		lock->owner = -1;
		guard.unlock();
		lock->released.notify_one();
	}
}

void
BLooper::_RunOnThread(thread_id thread)
{
	fRunCalled = true;
	fThread = thread;
}

void
BLooper::Quit()
{
	if (!fRunCalled) {
		delete this;
		return;
	}
	if (find_thread(NULL) == fThread) {
		// The loop deletes the looper once the current message is done.
		fTerminating = true;
		return;
	}
	// From another thread: let the loop finish what is queued, then wait
	// for it to end.
	thread_id thread = fThread;
	BMessage* quit = new BMessage(_QUIT_);
	quit->fTargetToken = _Token();
	_PostOwned(quit);
	_UnlockFully();
	status_t result;
	wait_for_thread(thread, &result);
}

bool
BLooper::QuitRequested()
{
	return true;
}

bool
BLooper::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

void
BLooper::Unlock()
{
	// Once released, another thread may delete the looper: keep the lock
	// alive until this call is done with it.
	std::shared_ptr<BPrivate::LooperLock> lock = fLock;
	lock->Release();
}

status_t
BLooper::LockWithTimeout(bigtime_t timeout)
{
	std::shared_ptr<BPrivate::LooperLock> lock;
	{
		std::lock_guard<std::mutex> guard(looper_registry_lock());
		if (sLoopers.count(this) == 0)
			return B_BAD_VALUE;
		lock = fLock;
	}
	return lock->Acquire(timeout);
}

team_id
BLooper::Team() const
{
	return current_team();
}

BLooper*
BLooper::LooperForThread(thread_id thread)
{
	std::lock_guard<std::mutex> guard(looper_registry_lock());
	for (const BLooper* looper : sLoopers) {
		if (looper->fThread == thread)
			return const_cast<BLooper*>(looper);
	}
	return NULL;
}

thread_id
BLooper::LockingThread() const
{
	std::lock_guard<std::mutex> guard(fLock->mutex);
	return fLock->owner;
}

bool
BLooper::IsLocked() const
{
	std::lock_guard<std::mutex> guard(fLock->mutex);
	return !fLock->dead && fLock->owner == find_thread(NULL);
}

int32
BLooper::CountLocks() const
{
	std::lock_guard<std::mutex> guard(fLock->mutex);
	return fLock->count;
}

int32
BLooper::CountLockRequests() const
{
	std::lock_guard<std::mutex> guard(fLock->mutex);
	return fLock->requests + (fLock->owner >= 0 ? 1 : 0);
}

BHandler*
BLooper::_TargetFor(BMessage* message)
{
	BHandler* handler = NULL;
	if (message->fTargetToken >= 0) {
		handler = BPrivate::handler_for_token(message->fTargetToken);
		if (handler != NULL && handler->Looper() != this)
			handler = NULL;
	} else if (message->fPreferred)
		handler = fPreferred != NULL ? fPreferred : this;
	else
		handler = this;
	return handler;
}

void
BLooper::_Loop()
{
	while (!fTerminating) {
		fQueue->_WaitForMessage(B_INFINITE_TIMEOUT);
		BMessage* message = fQueue->NextMessage();
		if (message == NULL)
			continue;

		if (!Lock()) {
			delete message;
			break;
		}
		BHandler* handler = _TargetFor(message);
		if (handler != NULL) {
			message->fWasDelivered = true;
			if (message->HasSpecifiers())
				handler = _ResolveSpecifiers(handler, message);
		}
		if (handler != NULL) {
			fCurrentMessage = message;
			DispatchMessage(message, handler);
			delete fCurrentMessage;
			fCurrentMessage = NULL;
		} else
			delete message;
		if (!fTerminating)
			Unlock();
	}

	// Messages still queued are dropped (their synchronous senders get
	// B_NO_REPLY when they are deleted).
	{
		std::lock_guard<std::mutex> guard(looper_registry_lock());
		fTerminating = true;
	}
	while (BMessage* message = fQueue->NextMessage())
		delete message;
}

status_t
BLooper::_LoopThread(void* data)
{
	BLooper* looper = (BLooper*)data;
	looper->_Loop();
	if (looper->fDeleteOnQuit)
		delete looper;
	return B_OK;
}

BHandler*
BLooper::_ResolveSpecifiers(BHandler* handler, BMessage* message)
{
	int32 index;
	BMessage specifier;
	int32 what;
	const char* property;
	while (message->GetCurrentSpecifier(&index, &specifier, &what, &property) == B_OK) {
		BHandler* next = handler->ResolveSpecifier(message, index, &specifier, what, property);
		if (next == NULL)
			return NULL;
		if (next->Looper() != this) {
			// Another looper's handler resolves the rest itself. If that
			// looper is gone, the dropped copy answers B_NO_REPLY.
			BPrivate::forward_message(message, next->Looper(), next);
			return NULL;
		}
		int32 after = -1;
		message->GetCurrentSpecifier(&after);
		bool popped = after != index;
		handler = next;
		// A handler that keeps the specifier takes the message itself.
		if (!popped)
			break;
	}
	return handler;
}

namespace BPrivate {

status_t
forward_message(BMessage* message, BLooper* looper, BHandler* handler)
{
	if (looper == NULL)
		return B_BAD_VALUE;
	BMessage* copy = new BMessage(*message);
	MessageDelivery::MoveDelivery(message, copy);
	MessageDelivery::SetTarget(copy, handler != NULL ? handler->_Token() : -1, handler == NULL);
	return looper->_PostOwned(copy);
}

} // namespace BPrivate

int32
BLooper::_UnlockFully()
{
	std::shared_ptr<BPrivate::LooperLock> lock = fLock;
	std::unique_lock<std::mutex> guard(lock->mutex);
	if (lock->owner != find_thread(NULL))
		return 0;
	int32 count = lock->count;
	lock->count = 0;
	lock->owner = -1;
	guard.unlock();
	lock->released.notify_one();
	return count;
}

void
BLooper::_Relock(int32 count)
{
	if (count <= 0)
		return;
	if (fLock->Acquire(B_INFINITE_TIMEOUT) != B_OK)
		return;
	std::lock_guard<std::mutex> guard(fLock->mutex);
	fLock->count = count;
}
