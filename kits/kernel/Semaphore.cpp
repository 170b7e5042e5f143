#include <OS.h>

#include <string.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

namespace {

struct Semaphore {
	sem_id id;
	char name[B_OS_NAME_LENGTH] = {};
	int32 count = 0;
	int32 waiting = 0;
	bool deleted = false;
	thread_id latestHolder = -1;
	std::mutex lock;
	std::condition_variable released;
};

// Never destroyed: threads may still use them while the process exits.
std::mutex& sRegistryLock = *new std::mutex;
std::map<sem_id, std::shared_ptr<Semaphore>>& sSemaphores
	= *new std::map<sem_id, std::shared_ptr<Semaphore>>;
sem_id sNextID = 1;

std::shared_ptr<Semaphore>
find_sem(sem_id id)
{
	std::lock_guard<std::mutex> guard(sRegistryLock);
	auto it = sSemaphores.find(id);
	return it == sSemaphores.end() ? nullptr : it->second;
}

} // namespace

sem_id
create_sem(int32 count, const char* name)
{
	if (count < 0)
		return B_BAD_VALUE;
	auto semaphore = std::make_shared<Semaphore>();
	semaphore->count = count;
	strncpy(semaphore->name, name != NULL ? name : "unnamed semaphore", B_OS_NAME_LENGTH - 1);
	std::lock_guard<std::mutex> guard(sRegistryLock);
	semaphore->id = sNextID++;
	sSemaphores[semaphore->id] = semaphore;
	return semaphore->id;
}

status_t
delete_sem(sem_id sem)
{
	std::shared_ptr<Semaphore> semaphore;
	{
		std::lock_guard<std::mutex> guard(sRegistryLock);
		auto it = sSemaphores.find(sem);
		if (it == sSemaphores.end())
			return B_BAD_SEM_ID;
		semaphore = it->second;
		sSemaphores.erase(it);
	}
	{
		std::lock_guard<std::mutex> guard(semaphore->lock);
		semaphore->deleted = true;
	}
	semaphore->released.notify_all();
	return B_OK;
}

status_t
acquire_sem(sem_id sem)
{
	return acquire_sem_etc(sem, 1, 0, 0);
}

status_t
acquire_sem_etc(sem_id sem, int32 count, uint32 flags, bigtime_t timeout)
{
	if (count < 1)
		return B_BAD_VALUE;
	auto semaphore = find_sem(sem);
	if (semaphore == nullptr)
		return B_BAD_SEM_ID;

	std::unique_lock<std::mutex> guard(semaphore->lock);
	auto ready = [&] { return semaphore->deleted || semaphore->count >= count; };

	if (!ready()) {
		if ((flags & B_RELATIVE_TIMEOUT) != 0 && timeout <= 0)
			return B_WOULD_BLOCK;

		semaphore->waiting++;
		bool acquired = true;
		if ((flags & (B_RELATIVE_TIMEOUT | B_ABSOLUTE_TIMEOUT)) != 0
			&& timeout != B_INFINITE_TIMEOUT) {
			bigtime_t until = (flags & B_ABSOLUTE_TIMEOUT) != 0 ? timeout : system_time() + timeout;
			// system_time() and steady_clock both read CLOCK_MONOTONIC.
			auto deadline = std::chrono::steady_clock::time_point(std::chrono::microseconds(until));
			acquired = semaphore->released.wait_until(guard, deadline, ready);
		} else
			semaphore->released.wait(guard, ready);
		semaphore->waiting--;
		if (!acquired)
			return B_TIMED_OUT;
	}
	if (semaphore->deleted)
		return B_BAD_SEM_ID;
	semaphore->count -= count;
	semaphore->latestHolder = find_thread(NULL);
	return B_OK;
}

status_t
release_sem(sem_id sem)
{
	return release_sem_etc(sem, 1, 0);
}

status_t
release_sem_etc(sem_id sem, int32 count, uint32)
{
	if (count < 1)
		return B_BAD_VALUE;
	auto semaphore = find_sem(sem);
	if (semaphore == nullptr)
		return B_BAD_SEM_ID;
	{
		std::lock_guard<std::mutex> guard(semaphore->lock);
		semaphore->count += count;
	}
	semaphore->released.notify_all();
	return B_OK;
}

status_t
get_sem_count(sem_id sem, int32* threadCount)
{
	if (threadCount == NULL)
		return B_BAD_VALUE;
	auto semaphore = find_sem(sem);
	if (semaphore == nullptr)
		return B_BAD_SEM_ID;
	std::lock_guard<std::mutex> guard(semaphore->lock);
	// As on BeOS, a negative count tells how many threads wait.
	*threadCount = semaphore->waiting > 0 ? -semaphore->waiting : semaphore->count;
	return B_OK;
}

status_t
get_sem_info(sem_id sem, sem_info* info)
{
	if (info == NULL)
		return B_BAD_VALUE;
	auto semaphore = find_sem(sem);
	if (semaphore == nullptr)
		return B_BAD_SEM_ID;
	std::lock_guard<std::mutex> guard(semaphore->lock);
	info->sem = semaphore->id;
	info->team = current_team();
	memcpy(info->name, semaphore->name, B_OS_NAME_LENGTH);
	info->count = semaphore->waiting > 0 ? -semaphore->waiting : semaphore->count;
	info->latest_holder = semaphore->latestHolder;
	return B_OK;
}
