#include <NodeMonitor.h>

#include <AppDefs.h>
#include <Handler.h>
#include <Looper.h>

#include <errno.h>
#include <limits.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Watcher {
	BMessenger target;
	uint32 flags;
};

struct Watch {
	node_ref ref;
	std::vector<Watcher> watchers;
};

// One inotify descriptor and one reading thread for the whole process,
// started by the first watch. Linux watches inodes found through paths, so
// a node is watched at the path its node_ref was taken from.
class NodeMonitor {
public:
	static NodeMonitor& Default()
	{
		// Never destroyed: the reading thread may outlive exit()'s destructors.
		static NodeMonitor* monitor = new NodeMonitor;
		return *monitor;
	}

	status_t Watch(const node_ref* ref, uint32 flags, const BMessenger& target);
	status_t StopWatching(const BMessenger& target);

private:
	status_t _Start();
	status_t _Apply(int wd, const ::Watch& watch);
	void _Run();
	void _Deliver(const inotify_event* event, std::vector<std::pair<BMessenger, BMessage>>* out);

	std::mutex fLock;
	int fFd = -1;
	std::map<int, ::Watch> fWatches;
};

uint32
inotify_mask(uint32 flags)
{
	uint32 mask = 0;
	if (flags & B_WATCH_NAME)
		mask |= IN_MOVE_SELF | IN_DELETE_SELF;
	if (flags & B_WATCH_STAT)
		mask |= IN_MODIFY | IN_ATTRIB;
	if (flags & B_WATCH_ATTR)
		mask |= IN_ATTRIB;
	if (flags & B_WATCH_DIRECTORY)
		mask |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
	return mask;
}

status_t
NodeMonitor::_Start()
{
	if (fFd >= 0)
		return B_OK;
	fFd = inotify_init1(IN_CLOEXEC);
	if (fFd < 0)
		return be_error_from_errno(errno);
	std::thread([this] { _Run(); }).detach();
	return B_OK;
}

status_t
NodeMonitor::_Apply(int wd, const ::Watch& watch)
{
	uint32 flags = 0;
	for (const Watcher& watcher : watch.watchers)
		flags |= watcher.flags;
	if (flags == 0) {
		inotify_rm_watch(fFd, wd);
		fWatches.erase(wd);
		return B_OK;
	}
	// Without IN_MASK_ADD the mask replaces the old one.
	int again = inotify_add_watch(fFd, watch.ref.path.String(), inotify_mask(flags));
	return again == wd ? B_OK : B_ENTRY_NOT_FOUND;
}

status_t
NodeMonitor::Watch(const node_ref* ref, uint32 flags, const BMessenger& target)
{
	if (ref == NULL || ref->path.Length() == 0 || !target.IsValid())
		return B_BAD_VALUE;
	if (flags & B_WATCH_MOUNT)
		return B_UNSUPPORTED;

	std::lock_guard<std::mutex> lock(fLock);
	status_t status = _Start();
	if (status != B_OK)
		return status;

	int wd = -1;
	for (const auto& [known, watch] : fWatches) {
		if (watch.ref == *ref)
			wd = known;
	}
	if (wd < 0) {
		if (flags == B_STOP_WATCHING)
			return B_OK;
		wd = inotify_add_watch(fFd, ref->path.String(), inotify_mask(flags) | IN_MASK_ADD);
		if (wd < 0)
			return be_error_from_errno(errno);
		// The path may lead to another node by now.
		struct stat st;
		if (stat(ref->path.String(), &st) != 0 || st.st_dev != ref->device
			|| st.st_ino != ref->node) {
			if (fWatches.find(wd) == fWatches.end())
				inotify_rm_watch(fFd, wd);
			return B_ENTRY_NOT_FOUND;
		}
	}

	::Watch& watch = fWatches[wd];
	if (watch.ref.path.Length() == 0)
		watch.ref = *ref;
	bool found = false;
	for (size_t i = 0; i < watch.watchers.size(); i++) {
		if (watch.watchers[i].target != target)
			continue;
		found = true;
		if (flags == B_STOP_WATCHING)
			watch.watchers.erase(watch.watchers.begin() + i);
		else
			watch.watchers[i].flags = flags;
		break;
	}
	if (!found && flags != B_STOP_WATCHING)
		watch.watchers.push_back(Watcher{target, flags});
	return _Apply(wd, watch);
}

status_t
NodeMonitor::StopWatching(const BMessenger& target)
{
	std::lock_guard<std::mutex> lock(fLock);
	std::vector<int> changed;
	for (auto& [wd, watch] : fWatches) {
		size_t before = watch.watchers.size();
		std::erase_if(watch.watchers, [&](const Watcher& w) { return w.target == target; });
		if (watch.watchers.size() != before)
			changed.push_back(wd);
	}
	for (int wd : changed)
		_Apply(wd, fWatches[wd]);
	return B_OK;
}

void
NodeMonitor::_Deliver(const inotify_event* event,
	std::vector<std::pair<BMessenger, BMessage>>* out)
{
	auto found = fWatches.find(event->wd);
	if (found == fWatches.end())
		return;
	const ::Watch& watch = found->second;
	if (event->mask & IN_IGNORED) {
		fWatches.erase(found);
		return;
	}

	BMessage message(B_NODE_MONITOR);
	message.AddInt32("device", (int32)watch.ref.device);
	uint32 wanted = 0;
	uint32 mask = event->mask;
	if (mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)) {
		wanted = B_WATCH_DIRECTORY;
		const char* name = event->len > 0 ? event->name : "";
		ino_t node = (ino_t)-1;
		if (mask & (IN_CREATE | IN_MOVED_TO)) {
			BString child(watch.ref.path);
			child << "/" << name;
			struct stat st;
			if (lstat(child.String(), &st) == 0)
				node = st.st_ino;
		}
		if (mask & IN_CREATE) {
			message.AddInt32("opcode", B_ENTRY_CREATED);
		} else if (mask & IN_DELETE) {
			message.AddInt32("opcode", B_ENTRY_REMOVED);
		} else {
			// inotify reports the two halves of a move apart.
			message.AddInt32("opcode", B_ENTRY_MOVED);
			const char* side = mask & IN_MOVED_TO ? "to directory" : "from directory";
			message.AddInt64(side, (int64)watch.ref.node);
		}
		message.AddInt64("directory", (int64)watch.ref.node);
		message.AddInt64("node", (int64)node);
		message.AddString("name", name);
	} else if (mask & (IN_MOVE_SELF | IN_DELETE_SELF)) {
		wanted = B_WATCH_NAME;
		message.AddInt32("opcode", mask & IN_MOVE_SELF ? B_ENTRY_MOVED : B_ENTRY_REMOVED);
		message.AddInt64("node", (int64)watch.ref.node);
	} else if (mask & IN_MODIFY) {
		wanted = B_WATCH_STAT;
		message.AddInt32("opcode", B_STAT_CHANGED);
		message.AddInt64("node", (int64)watch.ref.node);
		message.AddInt32("fields", B_STAT_SIZE | B_STAT_MODIFICATION_TIME);
	} else if (mask & IN_ATTRIB) {
		// Mode, owner and extended attributes all come as IN_ATTRIB.
		for (const Watcher& watcher : watch.watchers) {
			BMessage change(message);
			change.AddInt64("node", (int64)watch.ref.node);
			if (watcher.flags & B_WATCH_STAT) {
				change.AddInt32("opcode", B_STAT_CHANGED);
				change.AddInt32("fields", B_STAT_MODE | B_STAT_UID | B_STAT_GID
					| B_STAT_CHANGE_TIME);
			} else if (watcher.flags & B_WATCH_ATTR) {
				change.AddInt32("opcode", B_ATTR_CHANGED);
			} else {
				continue;
			}
			out->emplace_back(watcher.target, change);
		}
		return;
	}
	for (const Watcher& watcher : watch.watchers) {
		if (watcher.flags & wanted)
			out->emplace_back(watcher.target, message);
	}
}

void
NodeMonitor::_Run()
{
	alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
	while (true) {
		ssize_t got = read(fFd, buffer, sizeof(buffer));
		if (got <= 0) {
			if (got < 0 && errno == EINTR)
				continue;
			return;
		}
		std::vector<std::pair<BMessenger, BMessage>> out;
		{
			std::lock_guard<std::mutex> lock(fLock);
			for (ssize_t at = 0; at < got;) {
				const inotify_event* event = (const inotify_event*)(buffer + at);
				_Deliver(event, &out);
				at += sizeof(inotify_event) + event->len;
			}
		}
		// Sent without the lock: a target may be busy stopping its watches.
		for (auto& [target, message] : out)
			target.SendMessage(&message);
	}
}

} // namespace

status_t
watch_node(const node_ref* node, uint32 flags, BMessenger target)
{
	return NodeMonitor::Default().Watch(node, flags, target);
}

status_t
watch_node(const node_ref* node, uint32 flags, const BHandler* handler, const BLooper* looper)
{
	return watch_node(node, flags, BMessenger(handler, looper));
}

status_t
stop_watching(BMessenger target)
{
	return NodeMonitor::Default().StopWatching(target);
}

status_t
stop_watching(const BHandler* handler, const BLooper* looper)
{
	return stop_watching(BMessenger(handler, looper));
}
