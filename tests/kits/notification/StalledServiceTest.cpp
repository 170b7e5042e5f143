// A notification service that holds its name on the bus and never answers:
// Send gives up with B_TIMED_OUT, and the sends that follow fail at once
// instead of waiting again. A program of its own, since that quiet spell
// lasts beyond one test.

#include <Errors.h>
#include <Notification.h>

#include <gtest/gtest.h>

#include <systemd/sd-bus.h>

#include <string.h>

#include "DesktopSession.h"

namespace {

// Takes the notification service's name and leaves every call unanswered.
class StalledService {
public:
	StalledService()
	{
		if (sd_bus_open_user(&fBus) < 0)
			return;
		fOwned = sd_bus_request_name(fBus, "org.freedesktop.Notifications", 0) >= 0;
		sd_bus_add_filter(fBus, NULL, &_Count, this);
	}

	~StalledService() { sd_bus_flush_close_unref(fBus); }

	bool Owned() const { return fOwned; }

	// The calls that reached it so far.
	int Calls()
	{
		// Takes what has come in without waiting for more.
		while (sd_bus_process(fBus, NULL) > 0) {
		}
		return fCalls;
	}

private:
	static int _Count(sd_bus_message* message, void* cookie, sd_bus_error*)
	{
		uint8_t type = 0;
		const char* interface = sd_bus_message_get_interface(message);
		if (sd_bus_message_get_type(message, &type) >= 0 && type == SD_BUS_MESSAGE_METHOD_CALL
			&& interface != NULL && strcmp(interface, "org.freedesktop.Notifications") == 0)
			static_cast<StalledService*>(cookie)->fCalls++;
		return 0;
	}

	sd_bus* fBus = NULL;
	bool fOwned = false;
	int fCalls = 0;
};

} // namespace

TEST(NotificationStalledService, SendTimesOutOnceThenFailsAtOnce)
{
	if (!DesktopSession::Missing(false).empty())
		GTEST_SKIP() << DesktopSession::Missing(false);
	DesktopSession bus(false);
	ASSERT_EQ(bus.Problem(), "");
	ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str());
	StalledService service;
	ASSERT_TRUE(service.Owned());

	BNotification first(B_INFORMATION_NOTIFICATION);
	first.SetTitle("unanswered");
	EXPECT_EQ(first.Send(), B_TIMED_OUT);
	for (int i = 0; i < 3; i++) {
		BNotification next(B_INFORMATION_NOTIFICATION);
		next.SetTitle("not even asked");
		EXPECT_EQ(next.Send(), B_TIMED_OUT);
	}
	// Only the first send asked the service anything.
	EXPECT_EQ(service.Calls(), 1);
}
