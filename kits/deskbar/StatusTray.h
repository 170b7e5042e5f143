#ifndef _STATUS_TRAY_H
#define _STATUS_TRAY_H

#include <Messenger.h>
#include <SupportDefs.h>

#include <map>
#include <memory>

class BView;
class BWindow;

namespace BPrivate {
class StatusNotifierItem;
}

// Kit extension: the desktop's tray, as the Deskbar shows its replicants
// there (freedesktop StatusNotifierItems on the session bus). Clicks and
// the tray's coming and going reach the window as messages.
enum {
	// "id" (int32), "action" ("Activate", "SecondaryActivate",
	// "ContextMenu") and "where" (a screen point).
	B_TRAY_ICON_CLICKED = '_TIC',
	// "available" (bool): a tray watcher came or went.
	B_TRAY_AVAILABILITY_CHANGED = '_TAV',
};

class BStatusTray {
public:
	BStatusTray(BWindow* window);
	~BStatusTray();

	// Whether a tray watcher runs on the session bus.
	bool IsAvailable();

	status_t AddIcon(int32 id, const char* name);
	void RemoveIcon(int32 id);
	// Shows what the view drew last in its window; the window is locked.
	void UpdateIcon(int32 id, BView* view);
	// Registers every icon with the watcher again.
	void RegisterAgain();
	// Registers the icons the watcher has not accepted yet; answers how
	// many those were.
	int32 RegisterMissing();

	// A window off the screen still draws its views, for the tray to
	// take their pixels.
	static void SetOffscreen(BWindow* window, bool offscreen);

private:
	BMessenger fTarget;
	int32 fWatch = -1;
	std::map<int32, std::unique_ptr<BPrivate::StatusNotifierItem>> fItems;
};

#endif
