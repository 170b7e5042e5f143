#include "Notification.h"

#include "SessionBus.h"

#include <Errors.h>
#include <OS.h>

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include <errno.h>
#include <stdio.h>
#include <string.h>

using BPrivate::BusArguments;
using BPrivate::BusHints;
using BPrivate::BusSignal;
using BPrivate::BusValue;
using BPrivate::BusValues;
using BPrivate::SessionBus;

namespace {

const char* const kService = "org.freedesktop.Notifications";
const char* const kPath = "/org/freedesktop/Notifications";
const char* const kInterface = "org.freedesktop.Notifications";
const char* const kDefaultAction = "default";
const bigtime_t kCallTimeout = 1000000;
// Services that never report a closed notification must not make the
// table grow without end.
const size_t kMaxClicks = 128;
const size_t kMaxEarlyActions = 16;
// After a service that did not answer in time, sending fails at once for
// a while, so that a burst of arrivals cannot freeze a window a second each.
const bigtime_t kQuietAfterTimeout = 30000000;

struct Click {
	uint32 id;
	BMessenger target;
	BMessage message;
};

// What the process knows of the notifications it sent. Never held while
// calling the bus: the bus thread takes it from inside its handler.
struct Shown {
	std::mutex lock;
	int32 watch = 0;
	std::deque<Click> clicks;
	// Clicks that came in before Send() had filed its notification.
	std::deque<uint32> early;
	std::map<std::string, uint32> byMessageID;
	bool warned = false;
	bigtime_t quietUntil = 0;
	// Whether the service reads the body as markup, per bus address.
	std::map<std::string, bool> bodyMarkup;

	static Shown& Get()
	{
		static Shown shown;
		return shown;
	}
};

void
forget(Shown& shown, uint32 id)
{
	shown.clicks.erase(std::remove_if(shown.clicks.begin(), shown.clicks.end(),
							[id](const Click& click) { return click.id == id; }),
		shown.clicks.end());
	for (auto entry = shown.byMessageID.begin(); entry != shown.byMessageID.end();) {
		if (entry->second == id)
			entry = shown.byMessageID.erase(entry);
		else
			++entry;
	}
}

void
on_notification_signal(const BusSignal& signal)
{
	if (signal.arguments.empty() || signal.arguments[0].Type() != 'u')
		return;
	uint32 id = (uint32)signal.arguments[0].Integer();
	Shown& shown = Shown::Get();

	if (signal.member == "NotificationClosed") {
		std::lock_guard<std::mutex> locker(shown.lock);
		forget(shown, id);
		return;
	}
	if (signal.member != "ActionInvoked" || signal.arguments.size() < 2
		|| strcmp(signal.arguments[1].Text(), kDefaultAction) != 0)
		return;

	BMessenger target;
	BMessage message;
	{
		std::lock_guard<std::mutex> locker(shown.lock);
		auto found = std::find_if(shown.clicks.begin(), shown.clicks.end(),
			[id](const Click& click) { return click.id == id; });
		if (found == shown.clicks.end()) {
			shown.early.push_back(id);
			if (shown.early.size() > kMaxEarlyActions)
				shown.early.pop_front();
			return;
		}
		// Kept until the service closes it: a service that leaves it on
		// screen lets the user click it again.
		target = found->target;
		message = found->message;
	}
	target.SendMessage(&message, BMessenger());
}

// Watches the service's signals once per process, before the first
// notification goes out, so that no click can come first.
void
watch_notifications(SessionBus& bus)
{
	Shown& shown = Shown::Get();
	{
		std::lock_guard<std::mutex> locker(shown.lock);
		if (shown.watch > 0)
			return;
	}
	int32 watch = bus.WatchSignal(kPath, kInterface, NULL, on_notification_signal);
	std::lock_guard<std::mutex> locker(shown.lock);
	if (shown.watch > 0)
		bus.StopWatching(watch);
	else
		shown.watch = watch;
}

// Whether the service reads the body as markup (asked once per bus).
status_t
body_is_markup(SessionBus& bus, bool* markup, BString* error)
{
	const char* variable = getenv("DBUS_SESSION_BUS_ADDRESS");
	std::string address = variable != NULL ? variable : "";
	Shown& shown = Shown::Get();
	{
		std::lock_guard<std::mutex> locker(shown.lock);
		auto known = shown.bodyMarkup.find(address);
		if (known != shown.bodyMarkup.end()) {
			*markup = known->second;
			return B_OK;
		}
	}
	BusValues capabilities;
	status_t status = bus.Call(kService, kPath, kInterface, "GetCapabilities", BusArguments(),
		&capabilities, kCallTimeout, error);
	if (status != B_OK)
		return status;
	*markup = false;
	if (!capabilities.empty() && capabilities[0].Type() == 'a') {
		for (const std::string& capability : capabilities[0].StringList())
			*markup = *markup || capability == "body-markup";
	}
	std::lock_guard<std::mutex> locker(shown.lock);
	shown.bodyMarkup[address] = *markup;
	return B_OK;
}

// D-Bus takes only valid UTF-8, and a message's text may be in a Windows
// code page: each byte that is not part of a valid sequence becomes U+FFFD.
BString
valid_utf8(const BString& text)
{
	const uint8* bytes = (const uint8*)text.String();
	int32 length = text.Length();
	BString result;
	for (int32 i = 0; i < length;) {
		uint8 lead = bytes[i];
		int32 need = lead < 0x80 ? 1
			: (lead & 0xe0) == 0xc0 && lead >= 0xc2 ? 2
			: (lead & 0xf0) == 0xe0 ? 3
			: (lead & 0xf8) == 0xf0 && lead <= 0xf4 ? 4
			: 0;
		bool valid = need > 0 && i + need <= length;
		for (int32 k = 1; valid && k < need; k++)
			valid = (bytes[i + k] & 0xc0) == 0x80;
		if (valid && need == 3) {
			// No overlong forms, no UTF-16 surrogates.
			valid = !(lead == 0xe0 && bytes[i + 1] < 0xa0) && !(lead == 0xed && bytes[i + 1] >= 0xa0);
		} else if (valid && need == 4) {
			valid = !(lead == 0xf0 && bytes[i + 1] < 0x90) && !(lead == 0xf4 && bytes[i + 1] >= 0x90);
		}
		if (valid) {
			result.Append(text.String() + i, need);
			i += need;
		} else {
			result << "\xef\xbf\xbd";
			i++;
		}
	}
	return result;
}

BString
escaped(const BString& text)
{
	BString result;
	for (int32 i = 0; i < text.Length(); i++) {
		char c = text.String()[i];
		switch (c) {
			case '&':
				result << "&amp;";
				break;
			case '<':
				result << "&lt;";
				break;
			case '>':
				result << "&gt;";
				break;
			default:
				result << c;
				break;
		}
	}
	return result;
}

void
warn_once(const char* why)
{
	Shown& shown = Shown::Get();
	{
		std::lock_guard<std::mutex> locker(shown.lock);
		if (shown.warned)
			return;
		shown.warned = true;
	}
	fprintf(stderr, "%s: desktop notifications are not shown: %s\n",
		program_invocation_short_name, why);
}

} // namespace

BNotification::BNotification(notification_type type)
	:
	fType(type),
	fSourceName(program_invocation_short_name)
{
}

BNotification::~BNotification()
{
}

void
BNotification::SetSourceName(const BString& name)
{
	fSourceName = name;
}

void
BNotification::SetProgress(float progress)
{
	fProgress = std::min(1.0f, std::max(0.0f, progress));
}

void
BNotification::SetOnClickMessage(const BMessenger& target, const BMessage& message)
{
	fHasClick = true;
	fClickTarget = target;
	fClickMessage = message;
}

status_t
BNotification::Send(bigtime_t timeout)
{
	// Made before the bus, so that it outlives the bus's thread at exit.
	Shown& shown = Shown::Get();
	{
		std::lock_guard<std::mutex> locker(shown.lock);
		if (system_time() < shown.quietUntil)
			return B_TIMED_OUT;
	}
	SessionBus& bus = SessionBus::Default();
	watch_notifications(bus);
	status_t status = bus.Connect();
	if (status != B_OK) {
		BString why("no session bus (");
		why << be_strerror(status) << ")";
		warn_once(why.String());
		return status;
	}

	uint32 replaces = 0;
	if (fMessageID.Length() > 0) {
		std::lock_guard<std::mutex> locker(shown.lock);
		auto found = shown.byMessageID.find(fMessageID.String());
		if (found != shown.byMessageID.end())
			replaces = found->second;
	}

	BusHints hints;
	hints.emplace_back("urgency", BusValue::Byte(fType == B_ERROR_NOTIFICATION ? 2 : 1));
	if (fType == B_PROGRESS_NOTIFICATION)
		hints.emplace_back("value", BusValue::Int32((int32)(fProgress * 100 + 0.5f)));
	int32 expire = -1;
	if (timeout >= 0)
		expire = (int32)std::min<bigtime_t>((timeout + 999) / 1000, INT32_MAX);

	// Message text comes from other machines: it must not become markup.
	bool markup = false;
	BString error;
	status = body_is_markup(bus, &markup, &error);
	if (status != B_OK)
		return _Failed(status, error);
	BString body = markup ? escaped(valid_utf8(fContent)) : valid_utf8(fContent);
	BString title = valid_utf8(fTitle);
	BString source = valid_utf8(fSourceName);

	BusArguments arguments;
	arguments.Add(BusValue::String(source.String()))
		.Add(BusValue::UInt32(replaces))
		.Add(BusValue::String(""))
		.Add(BusValue::String(title.String()))
		.Add(BusValue::String(body.String()))
		.AddStrings({kDefaultAction, "Show"})
		.AddHints(hints)
		.Add(BusValue::Int32(expire));
	BusValues reply;
	status = bus.Call(kService, kPath, kInterface, "Notify", arguments, &reply, kCallTimeout,
		&error);
	if (status == B_OK && (reply.empty() || reply[0].Type() != 'u'))
		status = B_BAD_REPLY;
	if (status != B_OK)
		return _Failed(status, error);

	uint32 id = (uint32)reply[0].Integer();
	bool clickedAlready = false;
	{
		std::lock_guard<std::mutex> locker(shown.lock);
		// A later failure is worth a word again.
		shown.warned = false;
		// A replaced notification's click goes to the new message.
		forget(shown, id);
		if (fMessageID.Length() > 0)
			shown.byMessageID[fMessageID.String()] = id;
		auto early = std::find(shown.early.begin(), shown.early.end(), id);
		if (early != shown.early.end()) {
			shown.early.erase(early);
			clickedAlready = fHasClick;
		}
		if (fHasClick) {
			shown.clicks.push_back(Click{id, fClickTarget, fClickMessage});
			if (shown.clicks.size() > kMaxClicks)
				shown.clicks.pop_front();
		}
	}
	if (clickedAlready) {
		BMessage message(fClickMessage);
		fClickTarget.SendMessage(&message, BMessenger());
	}
	return B_OK;
}

status_t
BNotification::_Failed(status_t status, const BString& error)
{
	if (status == B_TIMED_OUT) {
		Shown& shown = Shown::Get();
		std::lock_guard<std::mutex> locker(shown.lock);
		shown.quietUntil = system_time() + kQuietAfterTimeout;
	}
	BString why;
	if (status == B_NAME_NOT_FOUND)
		why = "no notification service on the session bus";
	else
		why << error << " (" << be_strerror(status) << ")";
	warn_once(why.String());
	return status;
}
