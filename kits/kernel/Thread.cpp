#include <OS.h>

#include <ChildImage.h>

#include <pthread.h>
#include <string.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

enum class State { kSuspended, kRunning, kExited };

struct ThreadRecord {
	thread_id id = -1;
	char name[B_OS_NAME_LENGTH] = {};
	int32 priority = B_NORMAL_PRIORITY;
	thread_func function = NULL;
	void* data = NULL;
	State state = State::kSuspended;
	status_t exitValue = B_OK;
	std::mutex lock;
	std::condition_variable changed;
	std::vector<std::pair<void (*)(void*), void*>> exitCallbacks;
};

// Threads that ended are remembered for a while, so that wait_for_thread()
// on a thread that has already gone still returns its exit value.
const size_t kRememberedDeadThreads = 1024;

// Never destroyed: threads may still be ending while the process exits.
std::mutex& sRegistryLock = *new std::mutex;
std::map<thread_id, std::shared_ptr<ThreadRecord>>& sThreads
	= *new std::map<thread_id, std::shared_ptr<ThreadRecord>>;
std::deque<thread_id>& sDeadThreads = *new std::deque<thread_id>;
std::atomic<thread_id> sNextThreadID{1};

thread_local thread_id tCurrentID = -1;
thread_local std::shared_ptr<ThreadRecord> tCurrentRecord;

std::shared_ptr<ThreadRecord>
find_record(thread_id id)
{
	std::lock_guard<std::mutex> guard(sRegistryLock);
	auto it = sThreads.find(id);
	return it == sThreads.end() ? nullptr : it->second;
}

void
finish_thread(const std::shared_ptr<ThreadRecord>& record, status_t exitValue)
{
	std::vector<std::pair<void (*)(void*), void*>> callbacks;
	{
		std::lock_guard<std::mutex> guard(record->lock);
		callbacks.swap(record->exitCallbacks);
	}
	for (auto it = callbacks.rbegin(); it != callbacks.rend(); ++it)
		it->first(it->second);

	{
		std::lock_guard<std::mutex> guard(record->lock);
		record->exitValue = exitValue;
		record->state = State::kExited;
	}
	record->changed.notify_all();

	std::lock_guard<std::mutex> guard(sRegistryLock);
	sDeadThreads.push_back(record->id);
	while (sDeadThreads.size() > kRememberedDeadThreads) {
		sThreads.erase(sDeadThreads.front());
		sDeadThreads.pop_front();
	}
}

struct ThreadExit {
	status_t value;
};

void*
thread_start(void* argument)
{
	std::shared_ptr<ThreadRecord> record(*(std::shared_ptr<ThreadRecord>*)argument);
	delete (std::shared_ptr<ThreadRecord>*)argument;
	tCurrentID = record->id;
	tCurrentRecord = record;
	pthread_setname_np(pthread_self(), std::string(record->name).substr(0, 15).c_str());

	{
		std::unique_lock<std::mutex> guard(record->lock);
		record->changed.wait(guard, [&] { return record->state != State::kSuspended; });
	}

	status_t result;
	try {
		result = record->function(record->data);
	} catch (const ThreadExit& exit) {
		result = exit.value;
	}
	finish_thread(record, result);
	tCurrentRecord.reset();
	return NULL;
}

} // namespace

thread_id
BPrivate::next_thread_id()
{
	return sNextThreadID++;
}

thread_id
spawn_thread(thread_func function, const char* name, int32 priority, void* data)
{
	if (function == NULL)
		return B_BAD_VALUE;

	auto record = std::make_shared<ThreadRecord>();
	record->id = sNextThreadID++;
	strncpy(record->name, name != NULL ? name : "unnamed thread", B_OS_NAME_LENGTH - 1);
	record->priority = priority;
	record->function = function;
	record->data = data;

	{
		std::lock_guard<std::mutex> guard(sRegistryLock);
		sThreads[record->id] = record;
	}

	pthread_attr_t attributes;
	pthread_attr_init(&attributes);
	pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
	pthread_t thread;
	auto* argument = new std::shared_ptr<ThreadRecord>(record);
	int error = pthread_create(&thread, &attributes, thread_start, argument);
	pthread_attr_destroy(&attributes);
	if (error != 0) {
		delete argument;
		std::lock_guard<std::mutex> guard(sRegistryLock);
		sThreads.erase(record->id);
		return B_NO_MORE_THREADS;
	}
	return record->id;
}

status_t
resume_thread(thread_id thread)
{
	auto record = find_record(thread);
	if (record == nullptr)
		return BPrivate::resume_child(thread);
	{
		std::lock_guard<std::mutex> guard(record->lock);
		if (record->state != State::kSuspended)
			return B_BAD_THREAD_STATE;
		record->state = State::kRunning;
	}
	record->changed.notify_all();
	return B_OK;
}

status_t
wait_for_thread(thread_id thread, status_t* exitValue)
{
	auto record = find_record(thread);
	if (record == nullptr)
		return BPrivate::wait_for_child(thread, exitValue);
	if (thread == find_thread(NULL))
		return B_BAD_THREAD_ID;

	std::unique_lock<std::mutex> guard(record->lock);
	if (record->state == State::kSuspended) {
		record->state = State::kRunning;
		record->changed.notify_all();
	}
	record->changed.wait(guard, [&] { return record->state == State::kExited; });
	if (exitValue != NULL)
		*exitValue = record->exitValue;
	return B_OK;
}

status_t
on_exit_thread(void (*callback)(void*), void* data)
{
	if (callback == NULL)
		return B_BAD_VALUE;
	if (tCurrentRecord == nullptr)
		return B_BAD_THREAD_ID;
	std::lock_guard<std::mutex> guard(tCurrentRecord->lock);
	tCurrentRecord->exitCallbacks.emplace_back(callback, data);
	return B_OK;
}

void
exit_thread(status_t status)
{
	if (tCurrentRecord != nullptr)
		throw ThreadExit{status};
	pthread_exit(NULL);
}

thread_id
find_thread(const char* name)
{
	if (name == NULL) {
		if (tCurrentID < 0)
			tCurrentID = sNextThreadID++;
		return tCurrentID;
	}
	std::lock_guard<std::mutex> guard(sRegistryLock);
	for (auto& entry : sThreads) {
		std::lock_guard<std::mutex> recordGuard(entry.second->lock);
		if (entry.second->state != State::kExited && strcmp(entry.second->name, name) == 0)
			return entry.first;
	}
	return B_NAME_NOT_FOUND;
}

status_t
rename_thread(thread_id thread, const char* newName)
{
	if (newName == NULL)
		return B_BAD_VALUE;
	auto record = find_record(thread);
	if (record == nullptr)
		return B_BAD_THREAD_ID;
	std::lock_guard<std::mutex> guard(record->lock);
	strncpy(record->name, newName, B_OS_NAME_LENGTH - 1);
	return B_OK;
}

status_t
set_thread_priority(thread_id thread, int32 newPriority)
{
	auto record = find_record(thread);
	if (record == nullptr)
		return B_BAD_THREAD_ID;
	std::lock_guard<std::mutex> guard(record->lock);
	int32 old = record->priority;
	// Linux' normal scheduler has no priorities to give; the value is kept
	// for get_thread_info().
	record->priority = newPriority;
	return old;
}

status_t
get_thread_info(thread_id thread, thread_info* info)
{
	if (info == NULL)
		return B_BAD_VALUE;
	auto record = find_record(thread);
	if (record == nullptr)
		return B_BAD_THREAD_ID;
	std::lock_guard<std::mutex> guard(record->lock);
	if (record->state == State::kExited)
		return B_BAD_THREAD_ID;
	info->thread = record->id;
	info->team = current_team();
	memcpy(info->name, record->name, B_OS_NAME_LENGTH);
	info->state = record->state == State::kSuspended ? B_THREAD_SUSPENDED : B_THREAD_RUNNING;
	info->priority = record->priority;
	return B_OK;
}
