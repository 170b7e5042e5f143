#ifndef _STATUS_NOTIFIER_ITEM_H
#define _STATUS_NOTIFIER_ITEM_H

// One icon in the desktop's tray: a freedesktop StatusNotifierItem object
// on the session bus, registered with the StatusNotifierWatcher. No sd-bus
// type leaves this header.

#include "SessionBus.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace BPrivate {

class StatusNotifierItem {
public:
	// "Activate", "SecondaryActivate" or "ContextMenu", at a screen point.
	typedef std::function<void(const char* action, int32 x, int32 y)> ClickHandler;

	// Each item has a connection of its own: when it goes, the watcher
	// sees its name vanish and drops it (the protocol has no other way).
	StatusNotifierItem(const char* id, const char* title, ClickHandler handler);
	~StatusNotifierItem();

	// Puts the object on the bus and registers it with the watcher.
	status_t Publish();
	// Registers again (a watcher came back).
	status_t Register();
	// Whether the watcher accepted the last registration; a watcher that
	// has just taken its name may not answer yet, so callers try again.
	bool IsRegistered() const { return fRegistered; }
	const char* Path() const { return fPath.c_str(); }

	// ARGB32 pixels, row by row (as in memory: 0xAARRGGBB); announced with
	// NewIcon when they differ from those shown.
	void SetIcon(int32 width, int32 height, const std::vector<uint32>& pixels);

	static const char* WatcherName();

	// The bus's entry points into the item.
	struct Slot;

private:
	static int _GetProperty(void* bus, const char* path, const char* interface,
		const char* property, void* reply, void* cookie, void* error);
	static int _Method(void* message, void* cookie, void* error);

	SessionBus fBus;
	std::string fId;
	std::string fTitle;
	std::string fPath;
	ClickHandler fHandler;
	void* fSlot = NULL;
	std::atomic<bool> fRegistered{false};

	// Read by the bus's thread.
	std::mutex fLock;
	int32 fWidth = 0;
	int32 fHeight = 0;
	std::vector<uint32> fPixels;
};

} // namespace BPrivate

#endif
