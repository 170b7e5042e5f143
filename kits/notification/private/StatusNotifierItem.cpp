#include "StatusNotifierItem.h"

#include <Errors.h>

#include <systemd/sd-bus.h>

#include <atomic>

#include <arpa/inet.h>
#include <errno.h>
#include <string.h>
#include <unistd.h>

namespace BPrivate {

namespace {

const char* const kInterface = "org.kde.StatusNotifierItem";
const char* const kWatcher = "org.kde.StatusNotifierWatcher";

std::atomic<int32> sNextItem{1};

// a(iiay): the one size we have, its pixels in network byte order.
int
append_pixmap(sd_bus_message* reply, int32 width, int32 height,
	const std::vector<uint32>& pixels)
{
	int result = sd_bus_message_open_container(reply, 'a', "(iiay)");
	if (result < 0 || width <= 0 || height <= 0)
		return result < 0 ? result : sd_bus_message_close_container(reply);
	std::vector<uint32> network(pixels.size());
	for (size_t i = 0; i < pixels.size(); i++)
		network[i] = htonl(pixels[i]);
	if ((result = sd_bus_message_open_container(reply, 'r', "iiay")) < 0
		|| (result = sd_bus_message_append(reply, "ii", width, height)) < 0
		|| (result = sd_bus_message_append_array(reply, 'y', network.data(),
				network.size() * sizeof(uint32)))
			< 0
		|| (result = sd_bus_message_close_container(reply)) < 0)
		return result;
	return sd_bus_message_close_container(reply);
}

} // namespace

struct StatusNotifierItem::Slot {
	static int Property(sd_bus* bus, const char* path, const char* interface,
		const char* property, sd_bus_message* reply, void* cookie, sd_bus_error* error)
	{
		return _GetProperty(bus, path, interface, property, reply, cookie, error);
	}

	static int Method(sd_bus_message* message, void* cookie, sd_bus_error* error)
	{
		return _Method(message, cookie, error);
	}
};

namespace {

#define ITEM_PROPERTY(name, signature) \
	SD_BUS_PROPERTY(name, signature, StatusNotifierItem::Slot::Property, 0, \
		SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE)

} // namespace

static const sd_bus_vtable kItemVTable[] = {
	SD_BUS_VTABLE_START(0),
	ITEM_PROPERTY("Category", "s"),
	ITEM_PROPERTY("Id", "s"),
	ITEM_PROPERTY("Title", "s"),
	ITEM_PROPERTY("Status", "s"),
	ITEM_PROPERTY("WindowId", "i"),
	ITEM_PROPERTY("IconName", "s"),
	ITEM_PROPERTY("IconThemePath", "s"),
	ITEM_PROPERTY("IconPixmap", "a(iiay)"),
	ITEM_PROPERTY("OverlayIconName", "s"),
	ITEM_PROPERTY("OverlayIconPixmap", "a(iiay)"),
	ITEM_PROPERTY("AttentionIconName", "s"),
	ITEM_PROPERTY("AttentionIconPixmap", "a(iiay)"),
	ITEM_PROPERTY("AttentionMovieName", "s"),
	ITEM_PROPERTY("ToolTip", "(sa(iiay)ss)"),
	ITEM_PROPERTY("ItemIsMenu", "b"),
	SD_BUS_METHOD("Activate", "ii", "", StatusNotifierItem::Slot::Method, 0),
	SD_BUS_METHOD("SecondaryActivate", "ii", "", StatusNotifierItem::Slot::Method, 0),
	SD_BUS_METHOD("ContextMenu", "ii", "", StatusNotifierItem::Slot::Method, 0),
	SD_BUS_METHOD("Scroll", "is", "", StatusNotifierItem::Slot::Method, 0),
	SD_BUS_SIGNAL("NewTitle", "", 0),
	SD_BUS_SIGNAL("NewIcon", "", 0),
	SD_BUS_SIGNAL("NewAttentionIcon", "", 0),
	SD_BUS_SIGNAL("NewOverlayIcon", "", 0),
	SD_BUS_SIGNAL("NewToolTip", "", 0),
	SD_BUS_SIGNAL("NewStatus", "s", 0),
	SD_BUS_VTABLE_END,
};

StatusNotifierItem::StatusNotifierItem(const char* id, const char* title, ClickHandler handler)
	:
	fId(id != NULL ? id : ""),
	fTitle(title != NULL ? title : ""),
	fHandler(handler)
{
	fPath = "/org/murmelo/StatusNotifierItem/" + std::to_string(getpid()) + "_"
		+ std::to_string(sNextItem++);
}

StatusNotifierItem::~StatusNotifierItem()
{
	std::lock_guard<std::recursive_mutex> locker(fBus._Lock());
	// Gone from the bus: the watcher sees the object vanish with it, and
	// no call reaches this object any more.
	sd_bus_slot_unref((sd_bus_slot*)fSlot);
	fSlot = NULL;
}

status_t
StatusNotifierItem::Publish()
{
	{
		std::lock_guard<std::recursive_mutex> locker(fBus._Lock());
		status_t status = fBus.Connect();
		if (status != B_OK)
			return status;
		if (fSlot == NULL) {
			sd_bus_slot* slot = NULL;
			int result = sd_bus_add_object_vtable((sd_bus*)fBus._Connection(), &slot, fPath.c_str(),
				kInterface, kItemVTable, this);
			if (result < 0)
				return be_error_from_errno(-result);
			fSlot = slot;
		}
	}
	return Register();
}

status_t
StatusNotifierItem::Register()
{
	BusArguments arguments;
	arguments.Add(BusValue::String(fPath.c_str()));
	fRegistered = false;
	return fBus.CallAsync(kWatcher, "/StatusNotifierWatcher", kWatcher,
		"RegisterStatusNotifierItem", arguments,
		[this](bool succeeded) { fRegistered = succeeded; });
}

void
StatusNotifierItem::SetIcon(int32 width, int32 height, const std::vector<uint32>& pixels)
{
	if (width <= 0 || height <= 0 || pixels.size() != (size_t)width * height)
		return;
	{
		std::lock_guard<std::mutex> guard(fLock);
		if (width == fWidth && height == fHeight && pixels == fPixels)
			return;
		fWidth = width;
		fHeight = height;
		fPixels = pixels;
	}
	if (fSlot != NULL)
		fBus.EmitSignal(fPath.c_str(), kInterface, "NewIcon", BusArguments());
}

const char*
StatusNotifierItem::WatcherName()
{
	return kWatcher;
}

int
StatusNotifierItem::_GetProperty(void*, const char*, const char*, const char* property,
	void* replyCookie, void* cookie, void*)
{
	StatusNotifierItem* item = static_cast<StatusNotifierItem*>(cookie);
	sd_bus_message* reply = static_cast<sd_bus_message*>(replyCookie);
	if (strcmp(property, "Category") == 0)
		return sd_bus_message_append(reply, "s", "ApplicationStatus");
	if (strcmp(property, "Id") == 0)
		return sd_bus_message_append(reply, "s", item->fId.c_str());
	if (strcmp(property, "Title") == 0)
		return sd_bus_message_append(reply, "s", item->fTitle.c_str());
	if (strcmp(property, "Status") == 0)
		return sd_bus_message_append(reply, "s", "Active");
	if (strcmp(property, "WindowId") == 0)
		return sd_bus_message_append(reply, "i", 0);
	if (strcmp(property, "ItemIsMenu") == 0)
		return sd_bus_message_append(reply, "b", 0);
	if (strcmp(property, "IconPixmap") == 0) {
		std::lock_guard<std::mutex> guard(item->fLock);
		return append_pixmap(reply, item->fWidth, item->fHeight, item->fPixels);
	}
	if (strcmp(property, "ToolTip") == 0) {
		int result = sd_bus_message_open_container(reply, 'r', "sa(iiay)ss");
		if (result >= 0)
			result = sd_bus_message_append(reply, "s", "");
		if (result >= 0)
			result = append_pixmap(reply, 0, 0, std::vector<uint32>());
		if (result >= 0)
			result = sd_bus_message_append(reply, "ss", item->fTitle.c_str(), "");
		if (result >= 0)
			result = sd_bus_message_close_container(reply);
		return result;
	}
	if (strstr(property, "Pixmap") != NULL)
		return append_pixmap(reply, 0, 0, std::vector<uint32>());
	// The names of themed icons and movies: none.
	return sd_bus_message_append(reply, "s", "");
}

int
StatusNotifierItem::_Method(void* messageCookie, void* cookie, void*)
{
	StatusNotifierItem* item = static_cast<StatusNotifierItem*>(cookie);
	sd_bus_message* message = static_cast<sd_bus_message*>(messageCookie);
	const char* member = sd_bus_message_get_member(message);
	int32_t x = 0, y = 0;
	if (strcmp(member, "Scroll") != 0) {
		int result = sd_bus_message_read(message, "ii", &x, &y);
		if (result < 0)
			return result;
		if (item->fHandler)
			item->fHandler(member, x, y);
	}
	return sd_bus_reply_method_return(message, "");
}

} // namespace BPrivate
