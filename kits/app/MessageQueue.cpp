#include <MessageQueue.h>

#include <algorithm>
#include <chrono>

BMessageQueue::BMessageQueue()
{
}

BMessageQueue::~BMessageQueue()
{
	for (BMessage* message : fMessages)
		delete message;
}

void
BMessageQueue::AddMessage(BMessage* message)
{
	if (message == NULL)
		return;
	{
		std::lock_guard<std::mutex> guard(fMutex);
		fMessages.push_back(message);
	}
	fAdded.notify_all();
}

void
BMessageQueue::RemoveMessage(BMessage* message)
{
	std::lock_guard<std::mutex> guard(fMutex);
	auto it = std::find(fMessages.begin(), fMessages.end(), message);
	if (it != fMessages.end())
		fMessages.erase(it);
}

int32
BMessageQueue::CountMessages() const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return (int32)fMessages.size();
}

bool
BMessageQueue::IsEmpty() const
{
	return CountMessages() == 0;
}

BMessage*
BMessageQueue::FindMessage(int32 index) const
{
	std::lock_guard<std::mutex> guard(fMutex);
	if (index < 0 || index >= (int32)fMessages.size())
		return NULL;
	return fMessages[index];
}

BMessage*
BMessageQueue::FindMessage(uint32 what, int32 index) const
{
	std::lock_guard<std::mutex> guard(fMutex);
	for (BMessage* message : fMessages) {
		if (message->what == what && index-- == 0)
			return message;
	}
	return NULL;
}

bool
BMessageQueue::Lock()
{
	return fLocker.Lock();
}

void
BMessageQueue::Unlock()
{
	fLocker.Unlock();
}

bool
BMessageQueue::IsLocked() const
{
	return fLocker.IsLocked();
}

BMessage*
BMessageQueue::NextMessage()
{
	std::lock_guard<std::mutex> guard(fMutex);
	if (fMessages.empty())
		return NULL;
	BMessage* message = fMessages.front();
	fMessages.pop_front();
	return message;
}

bool
BMessageQueue::IsNextMessage(const BMessage* message) const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return !fMessages.empty() && fMessages.front() == message;
}

bool
BMessageQueue::_WaitForMessage(bigtime_t until)
{
	std::unique_lock<std::mutex> guard(fMutex);
	auto ready = [this] { return !fMessages.empty(); };
	if (until == B_INFINITE_TIMEOUT) {
		fAdded.wait(guard, ready);
		return true;
	}
	auto deadline = std::chrono::steady_clock::time_point(std::chrono::microseconds(until));
	return fAdded.wait_until(guard, deadline, ready);
}
