#include <Clipboard.h>

#include <Errors.h>

#include <map>
#include <string>

namespace {

struct SharedClip {
	BMessage data;
	BMessenger source;
	uint32 count = 0;
	std::vector<BMessenger> watchers;
};

// Every clipboard of the process by name; one lock guards them all.
struct Registry {
	std::mutex lock;
	std::map<std::string, SharedClip> clips;
};

Registry&
registry()
{
	// Never destroyed: clipboards may be used from static destructors.
	static Registry* sRegistry = new Registry;
	return *sRegistry;
}

} // namespace

static BClipboard sSystemClipboard("system");
BClipboard* be_clipboard = &sSystemClipboard;

BClipboard::BClipboard(const char* name, bool)
	: fName(name != NULL ? name : "system")
{
}

BClipboard::~BClipboard()
{
}

bool
BClipboard::Lock()
{
	fLock.lock();
	fOwner = std::this_thread::get_id();
	if (fLockCount++ == 0)
		_Fetch();
	return true;
}

void
BClipboard::Unlock()
{
	if (!IsLocked())
		return;
	if (--fLockCount == 0)
		fOwner = std::thread::id();
	fLock.unlock();
}

bool
BClipboard::IsLocked() const
{
	// Only the owner may read the count; it holds the lock while it does.
	return fOwner.load() == std::this_thread::get_id() && fLockCount > 0;
}

void
BClipboard::_Fetch()
{
	Registry& r = registry();
	std::lock_guard<std::mutex> guard(r.lock);
	SharedClip& clip = r.clips[fName.String()];
	if (clip.count != fCount || clip.count == 0) {
		fData = clip.data;
		fDataSource = clip.source;
		fCount = clip.count;
	}
}

status_t
BClipboard::Clear()
{
	if (!IsLocked())
		return B_NOT_ALLOWED;
	fData.MakeEmpty();
	return B_OK;
}

status_t
BClipboard::Commit()
{
	return Commit(false);
}

status_t
BClipboard::Commit(bool failIfChanged)
{
	if (!IsLocked())
		return B_NOT_ALLOWED;
	std::vector<BMessenger> watchers;
	{
		Registry& r = registry();
		std::lock_guard<std::mutex> guard(r.lock);
		SharedClip& clip = r.clips[fName.String()];
		if (failIfChanged && clip.count != fCount)
			return B_ERROR;
		clip.data = fData;
		clip.source = fDataSource;
		clip.count++;
		fCount = clip.count;
		watchers = clip.watchers;
	}
	// TODO: mirror "text/plain" to the host's clipboard on the sdl display.
	for (const BMessenger& watcher : watchers) {
		BMessage changed(B_CLIPBOARD_CHANGED);
		watcher.SendMessage(&changed);
	}
	return B_OK;
}

status_t
BClipboard::Revert()
{
	if (!IsLocked())
		return B_NOT_ALLOWED;
	fCount = 0;
	_Fetch();
	return B_OK;
}

BMessage*
BClipboard::Data() const
{
	return IsLocked() ? &fData : NULL;
}

uint32
BClipboard::SystemCount() const
{
	Registry& r = registry();
	std::lock_guard<std::mutex> guard(r.lock);
	auto it = r.clips.find(fName.String());
	return it != r.clips.end() ? it->second.count : 0;
}

status_t
BClipboard::StartWatching(BMessenger target)
{
	if (!target.IsValid())
		return B_BAD_VALUE;
	Registry& r = registry();
	std::lock_guard<std::mutex> guard(r.lock);
	r.clips[fName.String()].watchers.push_back(target);
	return B_OK;
}

status_t
BClipboard::StopWatching(BMessenger target)
{
	Registry& r = registry();
	std::lock_guard<std::mutex> guard(r.lock);
	auto& watchers = r.clips[fName.String()].watchers;
	for (auto it = watchers.begin(); it != watchers.end(); ++it) {
		if (*it == target) {
			watchers.erase(it);
			return B_OK;
		}
	}
	return B_BAD_VALUE;
}
