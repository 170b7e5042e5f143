#include <StatusTray.h>

#include <Message.h>
#include <View.h>
#include <Window.h>

#include "DisplayServer.h"
#include "SessionBus.h"
#include "StatusNotifierItem.h"

#include <string.h>

using namespace BPrivate;

BStatusTray::BStatusTray(BWindow* window)
	:
	fTarget(window)
{
	BMessenger target = fTarget;
	fWatch = SessionBus::Default().WatchSignal("/org/freedesktop/DBus", "org.freedesktop.DBus",
		"NameOwnerChanged", [target](const BusSignal& signal) {
			if (signal.arguments.size() < 3 || !signal.arguments[0].IsText()
				|| strcmp(signal.arguments[0].Text(), StatusNotifierItem::WatcherName()) != 0)
				return;
			// Sent from the bus's thread with no reply address: the default
			// one reads be_app, which may be ending meanwhile.
			BMessage message(B_TRAY_AVAILABILITY_CHANGED);
			message.AddBool("available", signal.arguments[2].Text()[0] != '\0');
			target.SendMessage(&message, BMessenger());
		});
}

BStatusTray::~BStatusTray()
{
	if (fWatch > 0)
		SessionBus::Default().StopWatching(fWatch);
	fItems.clear();
}

bool
BStatusTray::IsAvailable()
{
	return SessionBus::Default().HasOwner(StatusNotifierItem::WatcherName());
}

status_t
BStatusTray::AddIcon(int32 id, const char* name)
{
	BMessenger target = fTarget;
	auto item = std::make_unique<StatusNotifierItem>(name, name,
		[target, id](const char* action, int32 x, int32 y) {
			BMessage message(B_TRAY_ICON_CLICKED);
			message.AddInt32("id", id);
			message.AddString("action", action);
			message.AddPoint("where", BPoint(x, y));
			target.SendMessage(&message, BMessenger());
		});
	status_t status = item->Publish();
	fItems[id] = std::move(item);
	return status;
}

void
BStatusTray::RemoveIcon(int32 id)
{
	fItems.erase(id);
}

void
BStatusTray::UpdateIcon(int32 id, BView* view)
{
	auto found = fItems.find(id);
	BWindow* window = view != NULL ? view->Window() : NULL;
	if (found == fItems.end() || window == NULL)
		return;
	BRect frame = view->ConvertToScreen(view->Bounds());
	frame.OffsetBy(-window->Frame().left, -window->Frame().top);
	int32 left = (int32)frame.left;
	int32 top = (int32)frame.top;
	int32 width = frame.IntegerWidth() + 1;
	int32 height = frame.IntegerHeight() + 1;
	std::vector<uint32> pixels((size_t)width * height, 0);
	{
		std::shared_ptr<ServerWindow> buffer = window->_ServerWindow();
		std::lock_guard<std::mutex> guard(buffer->lock);
		for (int32 y = 0; y < height; y++) {
			for (int32 x = 0; x < width; x++) {
				int32 sx = left + x, sy = top + y;
				if (sx < 0 || sy < 0 || sx >= buffer->width || sy >= buffer->height)
					continue;
				// What the window shows is opaque.
				pixels[(size_t)y * width + x]
					= buffer->pixels[(size_t)sy * buffer->width + sx] | 0xff000000;
			}
		}
	}
	found->second->SetIcon(width, height, pixels);
}

void
BStatusTray::RegisterAgain()
{
	for (auto& entry : fItems)
		entry.second->Register();
}

int32
BStatusTray::RegisterMissing()
{
	int32 missing = 0;
	for (auto& entry : fItems) {
		if (!entry.second->IsRegistered()) {
			entry.second->Register();
			missing++;
		}
	}
	return missing;
}

void
BStatusTray::SetOffscreen(BWindow* window, bool offscreen)
{
	if (window == NULL)
		return;
	int32 id = window->_ServerWindow()->id;
	if (id >= 0)
		DisplayServer::Default()->SetOffscreen(id, offscreen);
}
