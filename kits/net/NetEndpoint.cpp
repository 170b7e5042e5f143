#include <NetEndpoint.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <unistd.h>

namespace {

// poll() in milliseconds from a time limit in microseconds, rounded up so a
// short limit does not become a busy loop.
int
poll_timeout(bigtime_t timeout)
{
	if (timeout < 0 || timeout == B_INFINITE_TIMEOUT)
		return -1;
	bigtime_t milliseconds = (timeout + 999) / 1000;
	return milliseconds > INT32_MAX ? INT32_MAX : (int)milliseconds;
}

} // namespace

BNetEndpoint::BNetEndpoint(int type)
	:
	BNetEndpoint(AF_INET, type, 0)
{
}

BNetEndpoint::BNetEndpoint(int family, int type, int protocol)
{
	fSocket = socket(family, type | SOCK_CLOEXEC, protocol);
	fStatus = fSocket < 0 ? _Fail() : B_OK;
}

BNetEndpoint::BNetEndpoint(int socket, adopt_tag)
	:
	fSocket(socket),
	fStatus(socket < 0 ? B_BAD_VALUE : B_OK)
{
}

BNetEndpoint::~BNetEndpoint()
{
	Close();
}

BNetEndpoint*
BNetEndpoint::Adopt(int socket)
{
	return new BNetEndpoint(socket, adopt_tag());
}

void
BNetEndpoint::Close()
{
	if (fSocket >= 0)
		close(fSocket);
	fSocket = -1;
	fStatus = B_NO_INIT;
}

status_t
BNetEndpoint::SetOption(int32 option, int32 level, const void* data, unsigned int size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (setsockopt(fSocket, level, option, data, size) != 0)
		return _Fail();
	return B_OK;
}

status_t
BNetEndpoint::SetNonBlocking(bool on)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	int flags = fcntl(fSocket, F_GETFL);
	if (flags < 0)
		return _Fail();
	flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
	if (fcntl(fSocket, F_SETFL, flags) != 0)
		return _Fail();
	fNonBlocking = on;
	return B_OK;
}

status_t
BNetEndpoint::SetReuseAddr(bool on)
{
	int value = on ? 1 : 0;
	return SetOption(SO_REUSEADDR, SOL_SOCKET, &value, sizeof(value));
}

void
BNetEndpoint::SetTimeout(bigtime_t timeout)
{
	fTimeout = timeout < 0 ? B_INFINITE_TIMEOUT : timeout;
	_ApplyTimeout();
}

const BNetAddress&
BNetEndpoint::LocalAddr() const
{
	struct sockaddr_in address = {};
	socklen_t length = sizeof(address);
	if (fSocket >= 0 && getsockname(fSocket, (struct sockaddr*)&address, &length) == 0
		&& address.sin_family == AF_INET)
		fLocal.SetTo(address);
	return fLocal;
}

const BNetAddress&
BNetEndpoint::RemoteAddr() const
{
	struct sockaddr_in address = {};
	socklen_t length = sizeof(address);
	if (fSocket >= 0 && getpeername(fSocket, (struct sockaddr*)&address, &length) == 0
		&& address.sin_family == AF_INET)
		fRemote.SetTo(address);
	return fRemote;
}

status_t
BNetEndpoint::Bind(const BNetAddress& address)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	struct sockaddr_in host;
	if (address.GetAddr(host) != B_OK)
		return B_BAD_VALUE;
	if (bind(fSocket, (struct sockaddr*)&host, sizeof(host)) != 0)
		return _Fail();
	return B_OK;
}

status_t
BNetEndpoint::Bind(int port)
{
	return Bind(BNetAddress((uint32)htonl(INADDR_ANY), port));
}

status_t
BNetEndpoint::Connect(const BNetAddress& address)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	struct sockaddr_in host;
	if (address.GetAddr(host) != B_OK)
		return B_BAD_VALUE;
	if (connect(fSocket, (struct sockaddr*)&host, sizeof(host)) == 0)
		return B_OK;
	if (errno != EINTR)
		return _Fail();

	// An interrupted connect goes on in the background; wait for its outcome.
	struct pollfd waiting = {fSocket, POLLOUT, 0};
	int result;
	do
		result = poll(&waiting, 1, -1);
	while (result < 0 && errno == EINTR);
	int error = 0;
	socklen_t length = sizeof(error);
	if (result < 0 || getsockopt(fSocket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
		return _Fail();
	if (error != 0) {
		fLastError = error;
		return B_ERROR;
	}
	return B_OK;
}

status_t
BNetEndpoint::Connect(const char* host, unsigned short port)
{
	BNetAddress address(host, port);
	if (address.InitCheck() != B_OK)
		return B_ERROR;
	return Connect(address);
}

status_t
BNetEndpoint::Listen(int backlog)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (listen(fSocket, backlog) != 0)
		return _Fail();
	return B_OK;
}

BNetEndpoint*
BNetEndpoint::Accept(int32 timeout)
{
	if (fStatus != B_OK)
		return NULL;
	struct pollfd waiting = {fSocket, POLLIN, 0};
	int result;
	do
		result = poll(&waiting, 1, timeout < 0 ? -1 : timeout);
	while (result < 0 && errno == EINTR);
	if (result < 0) {
		_Fail();
		return NULL;
	}
	if (result == 0) {
		fLastError = ETIMEDOUT;
		return NULL;
	}
	int connection;
	do
		connection = accept4(fSocket, NULL, NULL, SOCK_CLOEXEC);
	while (connection < 0 && errno == EINTR);
	if (connection < 0) {
		_Fail();
		return NULL;
	}
	BNetEndpoint* endpoint = Adopt(connection);
	endpoint->SetTimeout(fTimeout);
	return endpoint;
}

bool
BNetEndpoint::IsDataPending(bigtime_t timeout)
{
	if (fStatus != B_OK)
		return false;
	struct pollfd waiting = {fSocket, POLLIN, 0};
	int result;
	do
		result = poll(&waiting, 1, poll_timeout(timeout));
	while (result < 0 && errno == EINTR);
	return result > 0;
}

int32
BNetEndpoint::Send(const void* buffer, size_t size, int flags)
{
	if (fStatus != B_OK)
		return -1;
	// A peer that never reads must not hold the sender for ever: with a time
	// limit the whole buffer has to go within it.
	bool limited = fTimeout != B_INFINITE_TIMEOUT && !fNonBlocking;
	bigtime_t deadline = limited ? system_time() + fTimeout : B_INFINITE_TIMEOUT;
	// A peer that has gone must give an error here, not a SIGPIPE that ends
	// the program.
	flags |= MSG_NOSIGNAL;
	if (limited)
		flags |= MSG_DONTWAIT;
	const char* data = (const char*)buffer;
	size_t sent = 0;
	while (sent < size) {
		ssize_t result = send(fSocket, data + sent, size - sent, flags);
		if (result >= 0) {
			sent += result;
			continue;
		}
		if (errno == EINTR)
			continue;
		if (limited && (errno == EAGAIN || errno == EWOULDBLOCK)) {
			bigtime_t left = deadline - system_time();
			if (left <= 0) {
				fLastError = ETIMEDOUT;
				return -1;
			}
			struct pollfd waiting = {fSocket, POLLOUT, 0};
			poll(&waiting, 1, poll_timeout(left));
			continue;
		}
		_Fail();
		return -1;
	}
	return (int32)sent;
}

int32
BNetEndpoint::Receive(void* buffer, size_t size, int flags)
{
	if (fStatus != B_OK)
		return -1;
	ssize_t result;
	do
		result = recv(fSocket, buffer, size, flags);
	while (result < 0 && errno == EINTR);
	if (result >= 0) {
		fLastError = 0;
		return (int32)result;
	}
	if ((errno == EAGAIN || errno == EWOULDBLOCK) && !fNonBlocking
		&& fTimeout != B_INFINITE_TIMEOUT) {
		fLastError = ETIMEDOUT;
		return 0;
	}
	_Fail();
	return -1;
}

const char*
BNetEndpoint::ErrorStr() const
{
	return strerror(fLastError);
}

status_t
BNetEndpoint::_Fail()
{
	fLastError = errno;
	return B_ERROR;
}

void
BNetEndpoint::_ApplyTimeout()
{
	if (fSocket < 0)
		return;
	// SO_RCVTIMEO of zero means no limit; the shortest real limit is 1 us.
	struct timeval limit = {0, 0};
	if (fTimeout != B_INFINITE_TIMEOUT) {
		bigtime_t timeout = fTimeout > 0 ? fTimeout : 1;
		limit.tv_sec = timeout / 1000000;
		limit.tv_usec = timeout % 1000000;
	}
	setsockopt(fSocket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
}
