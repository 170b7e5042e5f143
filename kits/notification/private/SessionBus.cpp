#include "SessionBus.h"

#include <Errors.h>

#include <systemd/sd-bus.h>

#include <map>
#include <mutex>

#include <errno.h>
#include <poll.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

namespace BPrivate {

namespace {

struct Watch {
	std::string path;
	std::string interface;
	std::string member;
	BusSignalHandler handler;
	sd_bus_slot* slot = NULL;
};

const char*
or_null(const std::string& text)
{
	return text.empty() ? NULL : text.c_str();
}

status_t
status_for(int result, const sd_bus_error* error)
{
	if (error != NULL && sd_bus_error_is_set(error)) {
		static const char* const kMissing[] = {
			"org.freedesktop.DBus.Error.ServiceUnknown",
			"org.freedesktop.DBus.Error.NameHasNoOwner",
			"org.freedesktop.DBus.Error.UnknownObject",
			"org.freedesktop.DBus.Error.UnknownMethod",
			"org.freedesktop.DBus.Error.UnknownInterface",
		};
		for (const char* name : kMissing) {
			if (sd_bus_error_has_name(error, name))
				return B_NAME_NOT_FOUND;
		}
		if (sd_bus_error_has_name(error, "org.freedesktop.DBus.Error.Timeout")
			|| sd_bus_error_has_name(error, "org.freedesktop.DBus.Error.NoReply"))
			return B_TIMED_OUT;
		if (sd_bus_error_has_name(error, "org.freedesktop.DBus.Error.InvalidArgs"))
			return B_BAD_VALUE;
		if (sd_bus_error_has_name(error, "org.freedesktop.DBus.Error.AccessDenied"))
			return B_PERMISSION_DENIED;
	}
	if (result == -ETIMEDOUT)
		return B_TIMED_OUT;
	if (result < 0)
		return be_error_from_errno(-result);
	return B_ERROR;
}

int
append_value(sd_bus_message* message, const BusValue& value)
{
	switch (value.Type()) {
		case 'y':
		{
			uint8_t byte = (uint8_t)value.Integer();
			return sd_bus_message_append_basic(message, 'y', &byte);
		}
		case 'b':
		case 'i':
		{
			int32_t integer = (int32_t)value.Integer();
			return sd_bus_message_append_basic(message, value.Type(), &integer);
		}
		case 'u':
		{
			uint32_t integer = (uint32_t)value.Integer();
			return sd_bus_message_append_basic(message, 'u', &integer);
		}
		case 'x':
		case 't':
		{
			int64_t integer = value.Integer();
			return sd_bus_message_append_basic(message, value.Type(), &integer);
		}
		case 'd':
		{
			double real = value.Real();
			return sd_bus_message_append_basic(message, 'd', &real);
		}
		case 's':
		case 'o':
			return sd_bus_message_append_basic(message, value.Type(), value.Text());
	}
	return -EINVAL;
}

int
append_arguments(sd_bus_message* message, const BusArguments& arguments)
{
	int result = 0;
	for (const BusArguments::Entry& entry : arguments.Entries()) {
		switch (entry.kind) {
			case BusArguments::Entry::kValue:
				result = append_value(message, entry.values.front());
				break;
			case BusArguments::Entry::kStrings:
				result = sd_bus_message_open_container(message, 'a', "s");
				for (size_t i = 0; result >= 0 && i < entry.strings.size(); i++)
					result = sd_bus_message_append_basic(message, 's', entry.strings[i].c_str());
				if (result >= 0)
					result = sd_bus_message_close_container(message);
				break;
			case BusArguments::Entry::kHints:
				result = sd_bus_message_open_container(message, 'a', "{sv}");
				for (size_t i = 0; result >= 0 && i < entry.hints.size(); i++) {
					const BusValue& value = entry.hints[i].second;
					const char type[2] = {value.Type(), '\0'};
					if ((result = sd_bus_message_open_container(message, 'e', "sv")) < 0
						|| (result = sd_bus_message_append_basic(message, 's',
								entry.hints[i].first.c_str()))
							< 0
						|| (result = sd_bus_message_open_container(message, 'v', type)) < 0
						|| (result = append_value(message, value)) < 0
						|| (result = sd_bus_message_close_container(message)) < 0)
						break;
					result = sd_bus_message_close_container(message);
				}
				if (result >= 0)
					result = sd_bus_message_close_container(message);
				break;
		}
		if (result < 0)
			return result;
	}
	return result;
}

// The basic values and string arrays at the message's top level; the
// others are skipped.
void
read_values(sd_bus_message* message, BusValues* values)
{
	for (;;) {
		char type;
		const char* contents;
		if (sd_bus_message_peek_type(message, &type, &contents) <= 0)
			return;
		int result;
		union {
			uint8_t byte;
			int boolean;
			int16_t int16;
			uint16_t uint16;
			int32_t int32;
			uint32_t uint32;
			int64_t int64;
			uint64_t uint64;
			double real;
			const char* text;
		} value;
		switch (type) {
			case 'y':
			case 'b':
			case 'n':
			case 'q':
			case 'i':
			case 'u':
			case 'x':
			case 't':
			case 'd':
			case 's':
			case 'o':
			case 'g':
				result = sd_bus_message_read_basic(message, type, &value);
				break;
			case 'a':
				if (strcmp(contents, "s") == 0) {
					std::vector<std::string> strings;
					if (sd_bus_message_enter_container(message, 'a', "s") <= 0)
						return;
					const char* text;
					while ((result = sd_bus_message_read_basic(message, 's', &text)) > 0)
						strings.push_back(text);
					if (result < 0 || sd_bus_message_exit_container(message) < 0)
						return;
					values->push_back(BusValue::Strings(strings));
					continue;
				}
				// Other arrays are skipped as a whole.
				// fall through
			default:
				result = sd_bus_message_skip(message, NULL);
				if (result < 0)
					return;
				continue;
		}
		if (result <= 0)
			return;
		switch (type) {
			case 'y':
				values->push_back(BusValue::Byte(value.byte));
				break;
			case 'b':
				values->push_back(BusValue::Bool(value.boolean != 0));
				break;
			case 'n':
				values->push_back(BusValue::Int32(value.int16));
				break;
			case 'q':
				values->push_back(BusValue::UInt32(value.uint16));
				break;
			case 'i':
				values->push_back(BusValue::Int32(value.int32));
				break;
			case 'u':
				values->push_back(BusValue::UInt32(value.uint32));
				break;
			case 'x':
				values->push_back(BusValue::Int64(value.int64));
				break;
			case 't':
				values->push_back(BusValue::UInt64(value.uint64));
				break;
			case 'd':
				values->push_back(BusValue::Double(value.real));
				break;
			case 'o':
				values->push_back(BusValue::ObjectPath(value.text));
				break;
			default:
				values->push_back(BusValue::String(value.text));
				break;
		}
	}
}

int
on_signal(sd_bus_message* message, void* cookie, sd_bus_error*)
{
	Watch* watch = static_cast<Watch*>(cookie);
	BusSignal signal;
	signal.sender = sd_bus_message_get_sender(message);
	signal.path = sd_bus_message_get_path(message);
	signal.interface = sd_bus_message_get_interface(message);
	signal.member = sd_bus_message_get_member(message);
	read_values(message, &signal.arguments);
	watch->handler(signal);
	// Other watches of the same signal still get it.
	return 0;
}

int
on_match_installed(sd_bus_message*, void*, sd_bus_error*)
{
	// A refused match leaves that watch deaf; the connection stays.
	return 0;
}

uint64_t
monotonic_usec()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return (uint64_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

} // namespace

BusValue
BusValue::Double(double value)
{
	BusValue result('d', (int64)0);
	result.fReal = value;
	return result;
}

BusValue
BusValue::Strings(const std::vector<std::string>& strings)
{
	BusValue result('a', (int64)0);
	result.fStrings = strings;
	return result;
}

BusArguments&
BusArguments::Add(const BusValue& value)
{
	Entry entry{Entry::kValue, {value}, {}, {}};
	fEntries.push_back(entry);
	return *this;
}

BusArguments&
BusArguments::AddStrings(const std::vector<std::string>& strings)
{
	Entry entry{Entry::kStrings, {}, strings, {}};
	fEntries.push_back(entry);
	return *this;
}

BusArguments&
BusArguments::AddHints(const BusHints& hints)
{
	Entry entry{Entry::kHints, {}, {}, hints};
	fEntries.push_back(entry);
	return *this;
}

struct SessionBus::Data {
	// Recursive: a call connects under the lock it already holds.
	std::recursive_mutex lock;
	sd_bus* bus = NULL;
	std::string address;
	// A map keeps each watch where its slot's cookie points.
	std::map<int32, Watch> watches;
	int32 nextWatch = 1;
	int wakeFd = -1;
	thread_id thread = -1;
	bool quitting = false;

	void Wake()
	{
		uint64_t one = 1;
		if (wakeFd >= 0 && write(wakeFd, &one, sizeof(one)) < 0) {
			// A full counter wakes the thread as well.
		}
	}

	void Install(Watch& watch)
	{
		if (bus == NULL || watch.slot != NULL)
			return;
		sd_bus_match_signal_async(bus, &watch.slot, NULL, or_null(watch.path),
			or_null(watch.interface), or_null(watch.member), on_signal, on_match_installed,
			&watch);
	}

	void Close()
	{
		for (auto& entry : watches)
			entry.second.slot = sd_bus_slot_unref(entry.second.slot);
		if (bus != NULL)
			bus = sd_bus_flush_close_unref(bus);
	}

	static status_t Loop(void* cookie);
};

SessionBus&
SessionBus::Default()
{
	static SessionBus bus;
	return bus;
}

SessionBus::SessionBus()
	:
	fData(new Data)
{
	fData->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

SessionBus::~SessionBus()
{
	thread_id thread;
	{
		std::lock_guard<std::recursive_mutex> locker(fData->lock);
		fData->quitting = true;
		thread = fData->thread;
		fData->Wake();
	}
	if (thread >= 0) {
		status_t ignored;
		wait_for_thread(thread, &ignored);
	}
	fData->Close();
	if (fData->wakeFd >= 0)
		close(fData->wakeFd);
}

status_t
SessionBus::Connect()
{
	std::lock_guard<std::recursive_mutex> locker(fData->lock);
	const char* variable = getenv("DBUS_SESSION_BUS_ADDRESS");
	std::string address = variable != NULL ? variable : "";
	if (fData->bus != NULL && sd_bus_is_open(fData->bus) > 0 && address == fData->address)
		return B_OK;

	fData->Close();
	sd_bus* bus = NULL;
	int result = sd_bus_open_user(&bus);
	if (result < 0)
		return status_for(result, NULL);
	fData->bus = bus;
	fData->address = address;
	for (auto& entry : fData->watches)
		fData->Install(entry.second);

	if (fData->thread < 0 && fData->wakeFd >= 0) {
		thread_id thread = spawn_thread(&Data::Loop, "session bus", B_NORMAL_PRIORITY,
			fData.get());
		if (thread >= 0 && resume_thread(thread) == B_OK)
			fData->thread = thread;
	}
	fData->Wake();
	return B_OK;
}

bool
SessionBus::IsConnected()
{
	std::lock_guard<std::recursive_mutex> locker(fData->lock);
	return fData->bus != NULL && sd_bus_is_open(fData->bus) > 0;
}

status_t
SessionBus::Call(const char* destination, const char* path, const char* interface,
	const char* member, const BusArguments& arguments, BusValues* reply, bigtime_t timeout,
	BString* errorName)
{
	if (path == NULL || member == NULL)
		return B_BAD_VALUE;
	// Held from connecting on, so that the bus's thread cannot drop a
	// broken connection in between.
	std::lock_guard<std::recursive_mutex> locker(fData->lock);
	status_t status = Connect();
	if (status != B_OK)
		return status;

	sd_bus_message* message = NULL;
	int result = sd_bus_message_new_method_call(fData->bus, &message, destination, path,
		interface, member);
	if (result >= 0)
		result = append_arguments(message, arguments);
	if (result < 0) {
		sd_bus_message_unref(message);
		return B_BAD_VALUE;
	}

	sd_bus_error error = SD_BUS_ERROR_NULL;
	sd_bus_message* answer = NULL;
	result = sd_bus_call(fData->bus, message, timeout > 0 ? (uint64_t)timeout : 1, &error,
		&answer);
	sd_bus_message_unref(message);
	if (result < 0) {
		status = status_for(result, &error);
		if (errorName != NULL)
			errorName->SetTo(error.name != NULL ? error.name : strerror(-result));
	} else if (reply != NULL) {
		read_values(answer, reply);
	}
	sd_bus_error_free(&error);
	sd_bus_message_unref(answer);
	// Signals that came in while waiting are queued; the thread takes them.
	fData->Wake();
	return status;
}

int32
SessionBus::WatchSignal(const char* path, const char* interface, const char* member,
	BusSignalHandler handler)
{
	if (!handler)
		return B_BAD_VALUE;
	std::lock_guard<std::recursive_mutex> locker(fData->lock);
	int32 id = fData->nextWatch++;
	Watch& watch = fData->watches[id];
	watch.path = path != NULL ? path : "";
	watch.interface = interface != NULL ? interface : "";
	watch.member = member != NULL ? member : "";
	watch.handler = handler;
	fData->Install(watch);
	fData->Wake();
	return id;
}

void
SessionBus::StopWatching(int32 watch)
{
	std::lock_guard<std::recursive_mutex> locker(fData->lock);
	auto found = fData->watches.find(watch);
	if (found == fData->watches.end())
		return;
	sd_bus_slot_unref(found->second.slot);
	fData->watches.erase(found);
}

std::recursive_mutex&
SessionBus::_Lock()
{
	return fData->lock;
}

void*
SessionBus::_Connection()
{
	return fData->bus;
}

void
SessionBus::_Wake()
{
	fData->Wake();
}

namespace {

typedef std::function<void(bool)> CallDone;

int
on_call_done(sd_bus_message* reply, void* cookie, sd_bus_error*)
{
	CallDone* done = static_cast<CallDone*>(cookie);
	(*done)(!sd_bus_message_is_method_error(reply, NULL));
	return 0;
}

void
free_call_done(void* cookie)
{
	delete static_cast<CallDone*>(cookie);
}

} // namespace

status_t
SessionBus::CallAsync(const char* destination, const char* path, const char* interface,
	const char* member, const BusArguments& arguments, std::function<void(bool)> done)
{
	if (path == NULL || member == NULL)
		return B_BAD_VALUE;
	std::lock_guard<std::recursive_mutex> locker(fData->lock);
	status_t status = Connect();
	if (status != B_OK)
		return status;
	sd_bus_message* message = NULL;
	int result = sd_bus_message_new_method_call(fData->bus, &message, destination, path,
		interface, member);
	if (result >= 0)
		result = append_arguments(message, arguments);
	if (result >= 0 && done) {
		sd_bus_slot* slot = NULL;
		CallDone* cookie = new CallDone(done);
		result = sd_bus_call_async(fData->bus, &slot, message, on_call_done, cookie, 0);
		if (result < 0)
			delete cookie;
		else {
			// The slot lives as long as the call (or the connection) and
			// frees the callback with it.
			sd_bus_slot_set_destroy_callback(slot, free_call_done);
			sd_bus_slot_set_floating(slot, 1);
			sd_bus_slot_unref(slot);
		}
	} else if (result >= 0)
		result = sd_bus_call_async(fData->bus, NULL, message, NULL, NULL, 0);
	sd_bus_message_unref(message);
	fData->Wake();
	return result < 0 ? status_for(result, NULL) : B_OK;
}

status_t
SessionBus::EmitSignal(const char* path, const char* interface, const char* member,
	const BusArguments& arguments)
{
	if (path == NULL || interface == NULL || member == NULL)
		return B_BAD_VALUE;
	std::lock_guard<std::recursive_mutex> locker(fData->lock);
	status_t status = Connect();
	if (status != B_OK)
		return status;
	sd_bus_message* message = NULL;
	int result = sd_bus_message_new_signal(fData->bus, &message, path, interface, member);
	if (result >= 0)
		result = append_arguments(message, arguments);
	if (result >= 0)
		result = sd_bus_send(fData->bus, message, NULL);
	sd_bus_message_unref(message);
	fData->Wake();
	return result < 0 ? status_for(result, NULL) : B_OK;
}

bool
SessionBus::HasOwner(const char* name)
{
	BusValues reply;
	BusArguments arguments;
	arguments.Add(BusValue::String(name));
	return Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
			   "NameHasOwner", arguments, &reply)
			== B_OK
		&& !reply.empty() && reply[0].Integer() != 0;
}

status_t
SessionBus::Data::Loop(void* cookie)
{
	Data* data = static_cast<Data*>(cookie);
	for (;;) {
		struct pollfd fds[2] = {{data->wakeFd, POLLIN, 0}, {-1, 0, 0}};
		int timeout = -1;
		{
			std::lock_guard<std::recursive_mutex> locker(data->lock);
			if (data->quitting)
				break;
			if (data->bus != NULL) {
				int result;
				while ((result = sd_bus_process(data->bus, NULL)) > 0) {
				}
				// A broken connection is dropped; the next Connect() makes
				// a new one.
				if (result < 0 || sd_bus_is_open(data->bus) <= 0)
					data->Close();
			}
			if (data->bus != NULL) {
				fds[1].fd = sd_bus_get_fd(data->bus);
				fds[1].events = (short)sd_bus_get_events(data->bus);
				uint64_t until;
				if (sd_bus_get_timeout(data->bus, &until) >= 0 && until != UINT64_MAX) {
					uint64_t now = monotonic_usec();
					timeout = until <= now ? 0 : (int)((until - now + 999) / 1000);
				}
			}
		}
		if (poll(fds, fds[1].fd >= 0 ? 2 : 1, timeout) > 0 && (fds[0].revents & POLLIN) != 0) {
			uint64_t count;
			if (read(data->wakeFd, &count, sizeof(count)) < 0) {
				// Nothing to take: another wake-up already emptied it.
			}
		}
	}
	return B_OK;
}

} // namespace BPrivate
