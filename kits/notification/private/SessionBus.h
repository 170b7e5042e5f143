#ifndef _SESSION_BUS_H
#define _SESSION_BUS_H

// The kits' one way onto the D-Bus session bus, over sd-bus: method calls
// with basic arguments, string arrays and a{sv} hints, and signal watches
// served on a thread of the bus's own. No GLib main loop; no sd-bus type
// leaves this header, so its users need no D-Bus headers.

#include <OS.h>
#include <String.h>
#include <SupportDefs.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace BPrivate {

// One basic D-Bus value: 'y' byte, 'b' boolean, 'i' int32, 'u' uint32,
// 'x' int64, 't' uint64, 'd' double, 's' string, 'o' object path; and, in
// replies and signals only, 'a' for an array of strings.
class BusValue {
public:
	static BusValue Byte(uint8 value) { return BusValue('y', value); }
	static BusValue Bool(bool value) { return BusValue('b', value ? 1 : 0); }
	static BusValue Int32(int32 value) { return BusValue('i', value); }
	static BusValue UInt32(uint32 value) { return BusValue('u', value); }
	static BusValue Int64(int64 value) { return BusValue('x', value); }
	static BusValue UInt64(uint64 value) { return BusValue('t', (int64)value); }
	static BusValue Double(double value);
	static BusValue String(const char* value) { return BusValue('s', value); }
	static BusValue ObjectPath(const char* value) { return BusValue('o', value); }
	static BusValue Strings(const std::vector<std::string>& strings);

	char Type() const { return fType; }
	bool IsText() const { return fType == 's' || fType == 'o'; }
	// The integer types and booleans; 0 for the others.
	int64 Integer() const { return fInteger; }
	double Real() const { return fReal; }
	const char* Text() const { return fText.c_str(); }
	const std::vector<std::string>& StringList() const { return fStrings; }

private:
	BusValue(char type, int64 value) : fType(type), fInteger(value) {}
	BusValue(char type, const char* text) : fType(type), fText(text != NULL ? text : "") {}

	char fType;
	int64 fInteger = 0;
	double fReal = 0;
	std::string fText;
	std::vector<std::string> fStrings;
};

typedef std::vector<BusValue> BusValues;
// a{sv}: each value goes in a variant of its own type.
typedef std::vector<std::pair<std::string, BusValue>> BusHints;

// The arguments of a call, in order.
class BusArguments {
public:
	BusArguments& Add(const BusValue& value);
	BusArguments& AddStrings(const std::vector<std::string>& strings);
	BusArguments& AddHints(const BusHints& hints);

	struct Entry {
		enum { kValue, kStrings, kHints } kind;
		std::vector<BusValue> values;
		std::vector<std::string> strings;
		BusHints hints;
	};
	const std::vector<Entry>& Entries() const { return fEntries; }

private:
	std::vector<Entry> fEntries;
};

// A signal as a watch hands it over: where it came from and its basic
// arguments and string arrays (arguments of other types are left out).
struct BusSignal {
	BString sender;
	BString path;
	BString interface;
	BString member;
	BusValues arguments;
};

typedef std::function<void(const BusSignal&)> BusSignalHandler;

class SessionBus {
public:
	// One connection a process shares between the kits that need it.
	static SessionBus& Default();

	SessionBus();
	~SessionBus();

	// Connects when not connected, when the connection broke, or when
	// DBUS_SESSION_BUS_ADDRESS names another bus than the one in use.
	// Watches carry over to a new connection.
	status_t Connect();
	bool IsConnected();

	// A method call that waits for its reply at most timeout (connecting
	// first when needed). Basic values and string arrays of the reply go to
	// reply; the error's D-Bus name to errorName. A missing service is
	// B_NAME_NOT_FOUND, no answer in time B_TIMED_OUT.
	status_t Call(const char* destination, const char* path, const char* interface,
		const char* member, const BusArguments& arguments, BusValues* reply = NULL,
		bigtime_t timeout = 1000000, BString* errorName = NULL);

	// Calls handler on the bus's thread for every signal that matches
	// (NULL matches anything). The handler runs with the bus locked and must
	// not call it. Returns
	// a watch id (> 0) or an error; the watch stays across reconnections.
	int32 WatchSignal(const char* path, const char* interface, const char* member,
		BusSignalHandler handler);
	void StopWatching(int32 watch);

	// A method call whose answer nobody waits for: a peer that calls back
	// into this process before answering can't deadlock it.
	// done, if given, learns on the bus's thread whether the call succeeded
	// (it is not called when the connection goes first).
	status_t CallAsync(const char* destination, const char* path, const char* interface,
		const char* member, const BusArguments& arguments,
		std::function<void(bool succeeded)> done = nullptr);

	// Sends a signal from one of this process's objects.
	status_t EmitSignal(const char* path, const char* interface, const char* member,
		const BusArguments& arguments);

	// Whether some connection owns the name.
	bool HasOwner(const char* name);

private:
	friend class StatusNotifierItem;
	// For the objects this process puts on the bus: the connection (an
	// sd_bus*, NULL when not connected) and the lock it is used under.
	std::recursive_mutex& _Lock();
	void* _Connection();
	void _Wake();

	struct Data;
	std::unique_ptr<Data> fData;
};

} // namespace BPrivate

#endif
