#ifndef _NET_ADDRESS_H
#define _NET_ADDRESS_H

#include <SupportDefs.h>

#include <netinet/in.h>

// An IPv4 address and port. Host names are resolved when the address is set;
// the address is kept in network byte order.
class BNetAddress {
public:
	BNetAddress(const char* host = NULL, unsigned short port = 0);
	BNetAddress(const struct sockaddr_in& address);
	BNetAddress(in_addr address, int port = 0);
	BNetAddress(uint32 address, int port = 0);
	BNetAddress(const char* host, const char* protocol, const char* service);
	virtual ~BNetAddress();

	status_t InitCheck() const { return fStatus; }

	// A NULL host is any local address (INADDR_ANY).
	status_t SetTo(const char* host, unsigned short port = 0);
	// The port is the one the services database gives for the service.
	status_t SetTo(const char* host, const char* protocol, const char* service);
	status_t SetTo(const struct sockaddr_in& address);
	status_t SetTo(in_addr address, int port = 0);
	status_t SetTo(uint32 address = INADDR_ANY, int port = 0);

	// host receives the dotted-quad text (at least 16 bytes); port is in host
	// byte order.
	status_t GetAddr(char* host, unsigned short* port = NULL) const;
	status_t GetAddr(struct sockaddr_in& address) const;
	status_t GetAddr(in_addr& address, unsigned short* port = NULL) const;

private:
	status_t _Resolve(const char* host, in_addr* address);

	struct sockaddr_in fAddress = {};
	status_t fStatus = B_NO_INIT;
};

#endif
