#include "ArrivalNotice.h"

#include <MurmeloSettings.h>
#include <Notification.h>
#include <Window.h>

#include <string.h>

namespace {

// The first line that holds more than blanks: messages from Windows peers
// end their lines in CR LF and often begin with one.
BString
first_line(const char* text)
{
	const char* start = text;
	for (;;) {
		size_t length = strcspn(start, "\r\n");
		if (strspn(start, " \t") < length || start[length] == '\0')
			return BString(start, (int32)length);
		start += length + 1;
	}
}

} // namespace

status_t
notify_arrival(BWindow* window, int32 record, const char* sender, const char* text)
{
	murmelo_settings settings;
	load_murmelo_settings(&settings);
	if (settings.notifications == 0)
		return B_OK;

	BNotification notification(B_INFORMATION_NOTIFICATION);
	notification.SetSourceName("Murmelo");
	notification.SetTitle(sender != NULL ? sender : "");
	notification.SetContent(first_line(text != NULL ? text : ""));
	if (window != NULL) {
		BMessage show(kMainShowRecord);
		show.AddInt32("record", record);
		notification.SetOnClickMessage(BMessenger(window), show);
	}
	return notification.Send();
}
