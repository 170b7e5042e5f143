#ifndef _NET_ENDPOINT_H
#define _NET_ENDPOINT_H

#include <NetAddress.h>
#include <OS.h>
#include <SupportDefs.h>

#include <sys/socket.h>

// One socket (IPv4). The socket is made by the constructor and closed by the
// destructor or Close().
class BNetEndpoint {
public:
	BNetEndpoint(int type = SOCK_STREAM);
	BNetEndpoint(int family, int type, int protocol);
	virtual ~BNetEndpoint();

	// Takes over a socket that is already open; the endpoint closes it.
	static BNetEndpoint* Adopt(int socket);

	status_t InitCheck() const { return fStatus; }
	int Socket() const { return fSocket; }
	void Close();

	status_t SetOption(int32 option, int32 level, const void* data, unsigned int size);
	status_t SetNonBlocking(bool on = true);
	status_t SetReuseAddr(bool on = true);
	// A time limit in microseconds for every later Receive() and for the
	// whole buffer of every later Send(); negative or B_INFINITE_TIMEOUT waits
	// for ever. Endpoints returned by Accept() start
	// with the same limit.
	void SetTimeout(bigtime_t timeout);
	bigtime_t Timeout() const { return fTimeout; }

	const BNetAddress& LocalAddr() const;
	const BNetAddress& RemoteAddr() const;

	status_t Bind(const BNetAddress& address);
	status_t Bind(int port = 0);
	status_t Connect(const BNetAddress& address);
	status_t Connect(const char* host, unsigned short port);
	status_t Listen(int backlog = 5);
	// Waits up to timeout milliseconds (-1: for ever) for a connection and
	// returns a new endpoint for it, which the caller owns; NULL on time-out
	// or error. The listening endpoint stays open.
	BNetEndpoint* Accept(int32 timeout = -1);

	// Whether data (or the end of the stream) can be received within timeout
	// microseconds.
	bool IsDataPending(bigtime_t timeout = 0);

	// Sends the whole buffer; the count sent, or -1 on error (Error() is
	// ETIMEDOUT when the time limit passed first).
	int32 Send(const void* buffer, size_t size, int flags = 0);
	// The count received; 0 at the end of the stream or when the time limit
	// passed (Error() is then ETIMEDOUT); -1 on error.
	int32 Receive(void* buffer, size_t size, int flags = 0);

	// The errno value of the last failed call. Receive() resets it when it
	// gets data or the end of the stream, so that a 0 it returns can be told
	// apart from a time-out.
	int Error() const { return fLastError; }
	const char* ErrorStr() const;

private:
	BNetEndpoint(const BNetEndpoint&) = delete;
	BNetEndpoint& operator=(const BNetEndpoint&) = delete;

	struct adopt_tag {};
	BNetEndpoint(int socket, adopt_tag);

	status_t _Fail();
	void _ApplyTimeout();

	int fSocket = -1;
	status_t fStatus = B_NO_INIT;
	int fLastError = 0;
	bigtime_t fTimeout = B_INFINITE_TIMEOUT;
	bool fNonBlocking = false;
	mutable BNetAddress fLocal;
	mutable BNetAddress fRemote;
};

#endif
