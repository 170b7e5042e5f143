#include <MessageRunner.h>

#include <Application.h>

#include <Errors.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Runner {
	BMessenger target;
	BMessage message;
	BMessenger replyTo;
	bigtime_t interval;
	int32 count;
	bigtime_t next;
	bool ownsItself = false;
};

// The process' runners and the one thread that sends for them.
class RunnerClock {
public:
	static RunnerClock& Default()
	{
		// Never destroyed: runners may be deleted while the process exits.
		static RunnerClock* sClock = new RunnerClock;
		return *sClock;
	}

	bigtime_t Now()
	{
		std::lock_guard<std::mutex> guard(fLock);
		return _Now();
	}

	int32 Add(const Runner& runner)
	{
		std::lock_guard<std::mutex> guard(fLock);
		if (!fThread.joinable())
			fThread = std::thread([this] { _Loop(); });
		int32 id = fNextID++;
		fRunners[id] = std::make_shared<Runner>(runner);
		fRunners[id]->next = _Now() + runner.interval;
		fChanged.notify_all();
		return id;
	}

	void Remove(int32 id)
	{
		std::lock_guard<std::mutex> guard(fLock);
		fRunners.erase(id);
	}

	status_t Change(int32 id, const bigtime_t* interval, const int32* count)
	{
		std::lock_guard<std::mutex> guard(fLock);
		auto it = fRunners.find(id);
		if (it == fRunners.end())
			return B_BAD_VALUE;
		if (interval != NULL) {
			if (*interval <= 0)
				return B_BAD_VALUE;
			it->second->interval = *interval;
		}
		if (count != NULL)
			it->second->count = *count;
		it->second->next = _Now() + it->second->interval;
		if (it->second->count == 0)
			fRunners.erase(it);
		fChanged.notify_all();
		return B_OK;
	}

	status_t Info(int32 id, bigtime_t* interval, int32* count)
	{
		std::lock_guard<std::mutex> guard(fLock);
		auto it = fRunners.find(id);
		if (it == fRunners.end())
			return B_BAD_VALUE;
		if (interval != NULL)
			*interval = it->second->interval;
		if (count != NULL)
			*count = it->second->count;
		return B_OK;
	}

	void Drive(bool driven)
	{
		std::lock_guard<std::mutex> guard(fLock);
		if (driven && !fDriven)
			fDrivenTime = system_time();
		else if (!driven && fDriven) {
			// Back to the real clock: what is overdue goes at once.
			bigtime_t shift = system_time() - fDrivenTime;
			for (auto& entry : fRunners)
				entry.second->next += shift;
		}
		fDriven = driven;
		fChanged.notify_all();
	}

	bool Driven()
	{
		std::lock_guard<std::mutex> guard(fLock);
		return fDriven;
	}

	status_t Advance(bigtime_t delta)
	{
		if (delta < 0)
			return B_BAD_VALUE;
		std::unique_lock<std::mutex> guard(fLock);
		if (!fDriven)
			return B_NOT_ALLOWED;
		bigtime_t target = fDrivenTime + delta;
		// Step from one due message to the next, so that time reads right
		// for whoever handles each.
		while (true) {
			bigtime_t earliest = _Earliest();
			if (earliest > target)
				break;
			fDrivenTime = std::max(fDrivenTime, earliest);
			_SendDue(guard);
		}
		fDrivenTime = target;
		return B_OK;
	}

private:
	bigtime_t _Now() const { return fDriven ? fDrivenTime : system_time(); }

	bigtime_t _Earliest() const
	{
		bigtime_t earliest = B_INFINITE_TIMEOUT;
		for (auto& entry : fRunners)
			earliest = std::min(earliest, entry.second->next);
		return earliest;
	}

	// Sends what is due now, with the lock given up meanwhile: a target's
	// queue may take its time, and its handler may make or end runners.
	void _SendDue(std::unique_lock<std::mutex>& guard)
	{
		bigtime_t now = _Now();
		std::vector<std::pair<int32, std::shared_ptr<Runner>>> due;
		for (auto it = fRunners.begin(); it != fRunners.end();) {
			std::shared_ptr<Runner> runner = it->second;
			if (runner->next > now) {
				++it;
				continue;
			}
			due.emplace_back(it->first, runner);
			runner->next += runner->interval;
			// A runner that fell behind skips what it missed.
			if (runner->next <= now)
				runner->next = now + runner->interval;
			if (runner->count > 0 && --runner->count == 0)
				it = fRunners.erase(it);
			else
				++it;
		}
		std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
			return a.first < b.first;
		});
		guard.unlock();
		std::vector<int32> gone;
		for (auto& [id, runner] : due) {
			BMessage copy(runner->message);
			status_t status = runner->target.SendMessage(&copy, runner->replyTo, 0);
			// A target that is gone never comes back; a full queue only
			// misses this one.
			if (status != B_OK && status != B_WOULD_BLOCK && status != B_TIMED_OUT)
				gone.push_back(id);
		}
		guard.lock();
		for (int32 id : gone)
			fRunners.erase(id);
	}

	void _Loop()
	{
		std::unique_lock<std::mutex> guard(fLock);
		while (true) {
			if (fDriven || fRunners.empty()) {
				fChanged.wait(guard);
				continue;
			}
			bigtime_t wait = _Earliest() - system_time();
			if (wait > 0) {
				fChanged.wait_for(guard, std::chrono::microseconds(wait));
				continue;
			}
			_SendDue(guard);
		}
	}

	std::mutex fLock;
	std::condition_variable fChanged;
	std::thread fThread;
	std::map<int32, std::shared_ptr<Runner>> fRunners;
	int32 fNextID = 1;
	bool fDriven = false;
	bigtime_t fDrivenTime = 0;
};

int32
start_runner(const BMessenger& target, const BMessage* message, bigtime_t interval,
	int32 count, const BMessenger& replyTo)
{
	if (message == NULL || interval <= 0 || count == 0 || !target.IsValid())
		return B_BAD_VALUE;
	Runner runner;
	runner.target = target;
	runner.message = *message;
	// Replies go to the application, taken now: the clock's thread must not
	// read be_app while the application may be ending.
	runner.replyTo = replyTo.IsValid() ? replyTo : be_app_messenger;
	runner.interval = interval;
	runner.count = count;
	return RunnerClock::Default().Add(runner);
}

} // namespace


BMessageRunner::BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval,
	int32 count)
	:
	fID(start_runner(target, message, interval, count, BMessenger()))
{
}


BMessageRunner::BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval,
	int32 count, BMessenger replyTo)
	:
	fID(start_runner(target, message, interval, count, replyTo))
{
}


BMessageRunner::~BMessageRunner()
{
	if (fID >= 0)
		RunnerClock::Default().Remove(fID);
}


status_t
BMessageRunner::SetInterval(bigtime_t interval)
{
	if (fID < 0)
		return B_NO_INIT;
	return RunnerClock::Default().Change(fID, &interval, NULL);
}


status_t
BMessageRunner::SetCount(int32 count)
{
	if (fID < 0)
		return B_NO_INIT;
	return RunnerClock::Default().Change(fID, NULL, &count);
}


status_t
BMessageRunner::GetInfo(bigtime_t* interval, int32* count) const
{
	if (fID < 0)
		return B_BAD_VALUE;
	return RunnerClock::Default().Info(fID, interval, count);
}


status_t
BMessageRunner::StartSending(BMessenger target, const BMessage* message, bigtime_t interval,
	int32 count)
{
	return StartSending(target, message, interval, count, BMessenger());
}


status_t
BMessageRunner::StartSending(BMessenger target, const BMessage* message, bigtime_t interval,
	int32 count, BMessenger replyTo)
{
	// Nothing holds it: it leaves the clock when its count is used up, or
	// when its target goes.
	int32 id = start_runner(target, message, interval, count, replyTo);
	return id >= 0 ? B_OK : id;
}


bigtime_t
BPrivate::runner_time()
{
	return RunnerClock::Default().Now();
}


void
BPrivate::drive_runner_clock(bool driven)
{
	RunnerClock::Default().Drive(driven);
}


bool
BPrivate::runner_clock_driven()
{
	return RunnerClock::Default().Driven();
}


status_t
BPrivate::advance_runner_clock(bigtime_t delta)
{
	return RunnerClock::Default().Advance(delta);
}
