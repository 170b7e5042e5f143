// The kits' session bus wrapper against a private dbus-daemon: calls with
// their replies and errors, signal watches, and a new bus taking over.

#include <Errors.h>
#include <Harness.h>
#include <SessionBus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "DesktopSession.h"

using namespace BPrivate;

namespace {

const char* const kBus = "org.freedesktop.DBus";
const char* const kBusPath = "/org/freedesktop/DBus";

// The names whose owner changed, as the bus announced them.
class OwnerChanges {
public:
	void Add(const BusSignal& signal)
	{
		if (signal.arguments.size() != 3 || !signal.arguments[0].IsText())
			return;
		std::lock_guard<std::mutex> locker(fLock);
		fNames.push_back(signal.arguments[0].Text());
	}

	bool Saw(const std::string& name)
	{
		std::lock_guard<std::mutex> locker(fLock);
		return std::find(fNames.begin(), fNames.end(), name) != fNames.end();
	}

private:
	std::mutex fLock;
	std::vector<std::string> fNames;
};

status_t
request_name(SessionBus& bus, const char* name)
{
	BusValues reply;
	status_t status = bus.Call(kBus, kBusPath, kBus, "RequestName",
		BusArguments().Add(BusValue::String(name)).Add(BusValue::UInt32(0)), &reply);
	// 1: now its primary owner.
	if (status == B_OK && (reply.empty() || reply[0].Integer() != 1))
		status = B_ERROR;
	return status;
}

} // namespace

TEST(SessionBus, CallsWatchesAndANewBusTakingOver)
{
	if (!DesktopSession::Missing(false).empty())
		GTEST_SKIP() << DesktopSession::Missing(false);
	SessionBus bus;
	OwnerChanges changes;
	int32 watch = bus.WatchSignal(kBusPath, kBus, "NameOwnerChanged",
		[&](const BusSignal& signal) { changes.Add(signal); });
	ASSERT_GT(watch, 0);

	{
		DesktopSession first(false);
		ASSERT_EQ(first.Problem(), "");
		ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", first.Address().c_str());

		// A string array and a basic value back.
		BusValues names;
		ASSERT_EQ(bus.Call(kBus, kBusPath, kBus, "ListNames", BusArguments(), &names), B_OK);
		ASSERT_EQ(names.size(), 1u);
		ASSERT_EQ(names[0].Type(), 'a');
		const std::vector<std::string>& list = names[0].StringList();
		EXPECT_NE(std::find(list.begin(), list.end(), kBus), list.end());

		// Errors come with the bus's own name for them.
		BString error;
		EXPECT_EQ(bus.Call(kBus, kBusPath, kBus, "GetNameOwner",
					  BusArguments().Add(BusValue::String("org.example.Nobody")), NULL, 1000000,
					  &error),
			B_NAME_NOT_FOUND);
		EXPECT_EQ(error, "org.freedesktop.DBus.Error.NameHasNoOwner");
		EXPECT_EQ(bus.Call("org.example.Nobody", "/", "org.example.Nobody", "Hello",
					  BusArguments()),
			B_NAME_NOT_FOUND);

		// The watch hears the bus announce a name this connection takes.
		ASSERT_EQ(request_name(bus, "org.example.MurmeloOne"), B_OK);
		EXPECT_TRUE(BTest::WaitFor([&] { return changes.Saw("org.example.MurmeloOne"); }));
	}

	// The first bus is gone; another one is named: the same wrapper moves
	// there, and its watch with it.
	DesktopSession second(false);
	ASSERT_EQ(second.Problem(), "");
	ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", second.Address().c_str());
	ASSERT_EQ(request_name(bus, "org.example.MurmeloTwo"), B_OK);
	EXPECT_TRUE(BTest::WaitFor([&] { return changes.Saw("org.example.MurmeloTwo"); }));

	// Stopped, the watch hears nothing more; the bus's own answer to the
	// next call comes after any announcement of it.
	bus.StopWatching(watch);
	ASSERT_EQ(request_name(bus, "org.example.MurmeloThree"), B_OK);
	BusValues id;
	ASSERT_EQ(bus.Call(kBus, kBusPath, kBus, "GetId", BusArguments(), &id), B_OK);
	ASSERT_TRUE(bus.IsConnected());
	EXPECT_FALSE(changes.Saw("org.example.MurmeloThree"));
}
