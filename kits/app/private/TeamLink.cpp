#include "TeamLink.h"

#include "AppPrivate.h"
#include "AppRegistry.h"
#include "MessageDelivery.h"

#include <Application.h>
#include <Looper.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <map>

namespace BPrivate {

namespace {

std::mutex& sFolderLock = *new std::mutex;
BString& sFolder = *new BString;

std::mutex& sPoolLock = *new std::mutex;
std::map<team_id, std::vector<std::shared_ptr<LinkConnection>>>& sPool
	= *new std::map<team_id, std::vector<std::shared_ptr<LinkConnection>>>;
const size_t kIdlePerTeam = 4;

// Checks that a folder is ours alone: a real folder, owned by this user,
// closed to everyone else.
bool
folder_is_private(const char* path)
{
	struct stat info;
	if (lstat(path, &info) != 0 || !S_ISDIR(info.st_mode))
		return false;
	return info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

bool
make_private_folder(const BString& path)
{
	if (mkdir(path.String(), 0700) != 0 && errno != EEXIST)
		return false;
	return folder_is_private(path.String());
}

bool
make_address(const BString& path, sockaddr_un* address)
{
	memset(address, 0, sizeof(*address));
	address->sun_family = AF_UNIX;
	if ((size_t)path.Length() >= sizeof(address->sun_path))
		return false;
	memcpy(address->sun_path, path.String(), path.Length());
	return true;
}

BString
socket_path(const BString& folder, team_id team)
{
	BString path(folder);
	path << "/" << (int32)team;
	return path;
}

int
wait_for(int fd, short events, bigtime_t deadline)
{
	while (true) {
		int timeout = -1;
		if (deadline != B_INFINITE_TIMEOUT) {
			bigtime_t left = deadline - system_time();
			if (left <= 0)
				return 0;
			timeout = (int)((left + 999) / 1000);
		}
		pollfd entry = {fd, events, 0};
		int ready = poll(&entry, 1, timeout);
		if (ready < 0 && errno == EINTR)
			continue;
		if (ready < 0)
			return -1;
		if (ready == 0)
			continue;
		return 1;
	}
}

status_t
write_all(int fd, const uint8* data, size_t size, bigtime_t deadline)
{
	while (size > 0) {
		ssize_t written = send(fd, data, size, MSG_NOSIGNAL);
		if (written > 0) {
			data += written;
			size -= written;
			continue;
		}
		if (written < 0 && errno == EINTR)
			continue;
		if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
			int ready = wait_for(fd, POLLOUT, deadline);
			if (ready == 0)
				return B_TIMED_OUT;
			if (ready < 0)
				return B_BAD_PORT_ID;
			continue;
		}
		return B_BAD_PORT_ID;
	}
	return B_OK;
}

status_t
read_all(int fd, uint8* data, size_t size, bigtime_t deadline)
{
	while (size > 0) {
		ssize_t got = recv(fd, data, size, 0);
		if (got > 0) {
			data += got;
			size -= got;
			continue;
		}
		if (got == 0)
			return B_BAD_PORT_ID;
		if (errno == EINTR)
			continue;
		if (errno == EAGAIN || errno == EWOULDBLOCK) {
			int ready = wait_for(fd, POLLIN, deadline);
			if (ready == 0)
				return B_TIMED_OUT;
			if (ready < 0)
				return B_BAD_PORT_ID;
			continue;
		}
		return B_BAD_PORT_ID;
	}
	return B_OK;
}

uid_t
peer_uid(int fd)
{
	ucred credentials;
	socklen_t length = sizeof(credentials);
	if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
		return (uid_t)-1;
	return credentials.uid;
}

std::shared_ptr<LinkConnection>
connect_to(team_id team, bigtime_t deadline, status_t* status)
{
	BString folder;
	*status = app_folder(&folder);
	if (*status != B_OK)
		return nullptr;
	sockaddr_un address;
	if (!make_address(socket_path(folder, team), &address)) {
		*status = B_NAME_TOO_LONG;
		return nullptr;
	}
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
	if (fd < 0) {
		*status = B_NO_MORE_FDS;
		return nullptr;
	}
	auto connection = std::make_shared<LinkConnection>();
	connection->fd = fd;
	connection->team = team;
	while (connect(fd, (sockaddr*)&address, sizeof(address)) != 0) {
		if (errno == EINTR)
			continue;
		if (errno == EAGAIN) {
			// The listener's backlog is full: wait for it within the
			// delivery time-out.
			if (wait_for(fd, POLLOUT, deadline) == 0) {
				*status = B_TIMED_OUT;
				return nullptr;
			}
			snooze(1000);
			continue;
		}
		*status = B_BAD_PORT_ID;
		return nullptr;
	}
	// The folder is private, but a socket of another user there is still
	// no team of ours.
	if (peer_uid(fd) != geteuid()) {
		*status = B_BAD_PORT_ID;
		return nullptr;
	}
	*status = B_OK;
	return connection;
}

std::shared_ptr<LinkConnection>
checkout(team_id team, bigtime_t deadline, bool* reused, status_t* status)
{
	{
		std::lock_guard<std::mutex> guard(sPoolLock);
		auto found = sPool.find(team);
		while (found != sPool.end() && !found->second.empty()) {
			// One closed by its team since fails on its first write, and the
			// sender tries once more on a fresh one.
			std::shared_ptr<LinkConnection> connection = found->second.back();
			found->second.pop_back();
			*reused = true;
			*status = B_OK;
			return connection;
		}
	}
	*reused = false;
	return connect_to(team, deadline, status);
}

void
checkin(const std::shared_ptr<LinkConnection>& connection)
{
	std::lock_guard<std::mutex> guard(sPoolLock);
	std::vector<std::shared_ptr<LinkConnection>>& idle = sPool[connection->team];
	if (idle.size() < kIdlePerTeam)
		idle.push_back(connection);
}

// Turns a reply frame into the message a sender gets.
status_t
take_reply(const FrameHeader& header, const std::vector<uint8>& payload, const BMessage& original,
	BMessage* reply, std::shared_ptr<RemoteReply> waiting)
{
	if (header.kind == kFrameUndeliverable)
		return B_BAD_PORT_ID;
	if (header.kind != kFrameReply)
		return B_BAD_REPLY;
	BMessage received;
	if (received.Unflatten((const char*)payload.data(), payload.size()) != B_OK)
		return B_BAD_REPLY;
	*reply = received;
	MessageDelivery::SetRemoteSource(reply, header);
	MessageDelivery::SetPrevious(reply, original);
	if ((header.flags & kFrameSourceWaits) != 0)
		MessageDelivery::SetRemoteReply(reply, std::move(waiting));
	return B_OK;
}

} // namespace

LinkConnection::~LinkConnection()
{
	if (fd >= 0)
		close(fd);
}

RemoteReply::~RemoteReply()
{
}

status_t
RemoteReply::Send(BMessage* reply, int32 replyTeam, int32 replyLooper, int32 replyHandler,
	bool replyPreferred, BMessage* replyToReply, bigtime_t sendTimeout, bigtime_t replyTimeout)
{
	FrameHeader header = {};
	header.magic = kFrameMagic;
	header.kind = kFrameReply;
	header.flags = (replyToReply != NULL ? kFrameSourceWaits : 0)
		| (replyPreferred ? kFrameReplyPreferred : 0);
	header.looperToken = -1;
	header.handlerToken = -1;
	header.replyTeam = replyTeam;
	header.replyLooper = replyLooper;
	header.replyHandler = replyHandler;
	header.currentSpecifier = -1;
	std::vector<uint8> payload;
	flatten_for_frame(*reply, &payload);
	if (payload.size() > kMaxFrameSize)
		return B_BAD_VALUE;

	LinkConnection& link = *connection;
	if (replyToReply != NULL && serverSide) {
		std::lock_guard<std::mutex> guard(link.slotLock);
		link.slotWaiting = true;
		link.slotFilled = false;
	}
	status_t status;
	{
		std::lock_guard<std::mutex> guard(link.writeLock);
		status = write_frame(link.fd, header, payload, deadline_after(sendTimeout));
	}
	if (status != B_OK || replyToReply == NULL)
		return status;

	FrameHeader answer;
	std::vector<uint8> answerPayload;
	bigtime_t deadline = deadline_after(replyTimeout);
	if (serverSide) {
		// Our server thread reads this connection and hands the answer over.
		std::unique_lock<std::mutex> guard(link.slotLock);
		auto done = [&] { return link.slotFilled || link.closed; };
		if (deadline == B_INFINITE_TIMEOUT)
			link.slotDone.wait(guard, done);
		else if (!link.slotDone.wait_for(guard,
					 std::chrono::microseconds(std::max<bigtime_t>(0, deadline - system_time())),
					 done)) {
			link.slotWaiting = false;
			return B_TIMED_OUT;
		}
		link.slotWaiting = false;
		if (!link.slotFilled)
			return B_BAD_PORT_ID;
		answer = link.slotHeader;
		answerPayload.swap(link.slotPayload);
		link.slotFilled = false;
	} else {
		status = read_frame(link.fd, &answer, &answerPayload, deadline);
		if (status != B_OK)
			return status;
	}
	auto waiting = std::make_shared<RemoteReply>();
	waiting->connection = connection;
	waiting->serverSide = serverSide;
	return take_reply(answer, answerPayload, *reply, replyToReply, waiting);
}

bigtime_t
deadline_after(bigtime_t timeout)
{
	if (timeout == B_INFINITE_TIMEOUT || timeout < 0)
		return B_INFINITE_TIMEOUT;
	bigtime_t now = system_time();
	if (timeout > B_INFINITE_TIMEOUT - now)
		return B_INFINITE_TIMEOUT;
	return now + timeout;
}

status_t
app_folder(BString* path)
{
	std::lock_guard<std::mutex> guard(sFolderLock);
	if (sFolder.Length() > 0 && folder_is_private(sFolder.String())) {
		*path = sFolder;
		return B_OK;
	}
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime != NULL && runtime[0] == '/') {
		BString candidate(runtime);
		candidate << "/murmelo-apps";
		if (make_private_folder(candidate)) {
			sFolder = candidate;
			*path = sFolder;
			return B_OK;
		}
	}
	BString fallback;
	fallback << "/tmp/murmelo-apps-" << (int32)geteuid();
	if (make_private_folder(fallback)) {
		sFolder = fallback;
		*path = sFolder;
		return B_OK;
	}
	return B_PERMISSION_DENIED;
}

status_t
check_frame_header(const FrameHeader& header)
{
	if (header.magic != kFrameMagic)
		return B_NOT_A_MESSAGE;
	if (header.size > kMaxFrameSize)
		return B_BAD_DATA;
	if (header.kind < kFrameMessage || header.kind > kFrameUndeliverable)
		return B_BAD_DATA;
	return B_OK;
}

status_t
write_frame(int fd, const FrameHeader& header, const std::vector<uint8>& payload,
	bigtime_t deadline)
{
	FrameHeader sized = header;
	sized.size = (uint32)payload.size();
	// One buffer, one send: a small message is one write.
	std::vector<uint8> frame(sizeof(sized) + payload.size());
	memcpy(frame.data(), &sized, sizeof(sized));
	if (!payload.empty())
		memcpy(frame.data() + sizeof(sized), payload.data(), payload.size());
	return write_all(fd, frame.data(), frame.size(), deadline);
}

status_t
read_frame(int fd, FrameHeader* header, std::vector<uint8>* payload, bigtime_t deadline)
{
	status_t status = read_all(fd, (uint8*)header, sizeof(*header), deadline);
	if (status != B_OK)
		return status;
	if (check_frame_header(*header) != B_OK)
		return B_BAD_REPLY;
	payload->resize(header->size);
	return read_all(fd, payload->data(), payload->size(), deadline);
}

void
flatten_for_frame(const BMessage& message, std::vector<uint8>* out)
{
	out->clear();
	flatten_message(message, *out);
}

bool
deliver_frame(const FrameHeader& header, const std::vector<uint8>& payload,
	const std::shared_ptr<LinkConnection>& connection)
{
	BMessage* message = new BMessage;
	if (message->Unflatten((const char*)payload.data(), payload.size()) != B_OK) {
		delete message;
		return false;
	}
	int32 specifiers = 0;
	type_code type;
	if (message->GetInfo("specifiers", &type, &specifiers) != B_OK)
		specifiers = 0;
	if (header.currentSpecifier < -1 || header.currentSpecifier >= specifiers) {
		delete message;
		return false;
	}
	bool waits = (header.flags & kFrameSourceWaits) != 0;
	MessageDelivery::SetTarget(message, header.handlerToken, (header.flags & kFramePreferred) != 0);
	MessageDelivery::SetRemoteSource(message, header);
	if (waits) {
		auto reply = std::make_shared<RemoteReply>();
		reply->connection = connection;
		reply->serverSide = true;
		MessageDelivery::SetRemoteReply(message, reply);
	}
	if (BLooper::_PostToToken(header.looperToken, message) == B_OK)
		return true;

	// No such looper any more: the sender is told, not left waiting.
	MessageDelivery::MarkReplied(message);
	delete message;
	if (waits) {
		FrameHeader gone = {};
		gone.magic = kFrameMagic;
		gone.kind = kFrameUndeliverable;
		gone.looperToken = gone.handlerToken = gone.replyLooper = gone.replyHandler = -1;
		gone.replyTeam = current_team();
		gone.currentSpecifier = -1;
		std::lock_guard<std::mutex> guard(connection->writeLock);
		write_frame(connection->fd, gone, {}, deadline_after(1000000));
	}
	return true;
}

status_t
send_to_team(team_id team, int32 looperToken, int32 handlerToken, bool preferred,
	const BMessage& message, team_id replyTeam, int32 replyLooper, int32 replyHandler,
	bool replyPreferred, BMessage* reply, bigtime_t deliveryTimeout, bigtime_t replyTimeout)
{
	if (team < 0)
		return B_BAD_PORT_ID;
	FrameHeader header = {};
	header.magic = kFrameMagic;
	header.kind = kFrameMessage;
	header.flags = (reply != NULL ? kFrameSourceWaits : 0) | (preferred ? kFramePreferred : 0)
		| (replyPreferred ? kFrameReplyPreferred : 0);
	header.looperToken = looperToken;
	header.handlerToken = handlerToken;
	header.replyTeam = replyTeam;
	header.replyLooper = replyLooper;
	header.replyHandler = replyHandler;
	header.currentSpecifier = MessageDelivery::CurrentSpecifier(message);
	std::vector<uint8> payload;
	flatten_for_frame(message, &payload);
	if (payload.size() > kMaxFrameSize)
		return B_BAD_VALUE;

	bigtime_t deadline = deadline_after(deliveryTimeout);
	std::shared_ptr<LinkConnection> connection;
	status_t status = B_ERROR;
	for (int attempt = 0; attempt < 2; attempt++) {
		bool reused = false;
		connection = checkout(team, deadline, &reused, &status);
		if (connection == nullptr)
			return status;
		status = write_frame(connection->fd, header, payload, deadline);
		// A pooled connection may have been closed by its team since: one
		// more try on a fresh one.
		if (status == B_BAD_PORT_ID && reused)
			continue;
		break;
	}
	if (status != B_OK)
		return status;
	if (reply == NULL) {
		checkin(connection);
		return B_OK;
	}

	FrameHeader answer;
	std::vector<uint8> answerPayload;
	status = read_frame(connection->fd, &answer, &answerPayload, deadline_after(replyTimeout));
	if (status != B_OK) {
		// The team went away with our message, or took too long: a late
		// reply must not meet the next sender on this connection.
		return status;
	}
	std::shared_ptr<RemoteReply> waiting;
	if ((answer.flags & kFrameSourceWaits) != 0) {
		// The reply wants a reply: the connection stays with it.
		waiting = std::make_shared<RemoteReply>();
		waiting->connection = connection;
		waiting->serverSide = false;
	} else
		checkin(connection);
	return take_reply(answer, answerPayload, message, reply, waiting);
}

bool
team_is_registered(team_id team)
{
	return registered_app(team, NULL);
}

} // namespace BPrivate
