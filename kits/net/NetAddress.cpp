#include <NetAddress.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <string.h>

BNetAddress::BNetAddress(const char* host, unsigned short port)
{
	SetTo(host, port);
}

BNetAddress::BNetAddress(const struct sockaddr_in& address)
{
	SetTo(address);
}

BNetAddress::BNetAddress(in_addr address, int port)
{
	SetTo(address, port);
}

BNetAddress::BNetAddress(uint32 address, int port)
{
	SetTo(address, port);
}

BNetAddress::BNetAddress(const char* host, const char* protocol, const char* service)
{
	SetTo(host, protocol, service);
}

BNetAddress::~BNetAddress()
{
}

status_t
BNetAddress::SetTo(const char* host, unsigned short port)
{
	in_addr address;
	if (_Resolve(host, &address) != B_OK)
		return fStatus = B_ERROR;
	return SetTo(address, port);
}

status_t
BNetAddress::SetTo(const char* host, const char* protocol, const char* service)
{
	if (service == NULL)
		return fStatus = B_BAD_VALUE;
	struct servent entry;
	struct servent* found = NULL;
	char buffer[1024];
	if (getservbyname_r(service, protocol, &entry, buffer, sizeof(buffer), &found) != 0
		|| found == NULL)
		return fStatus = B_ERROR;
	in_addr address;
	if (_Resolve(host, &address) != B_OK)
		return fStatus = B_ERROR;
	return SetTo(address, ntohs(found->s_port));
}

status_t
BNetAddress::SetTo(const struct sockaddr_in& address)
{
	if (address.sin_family != AF_INET)
		return fStatus = B_BAD_VALUE;
	fAddress = address;
	return fStatus = B_OK;
}

status_t
BNetAddress::SetTo(in_addr address, int port)
{
	fAddress = {};
	fAddress.sin_family = AF_INET;
	fAddress.sin_addr = address;
	fAddress.sin_port = htons((uint16)port);
	return fStatus = B_OK;
}

status_t
BNetAddress::SetTo(uint32 address, int port)
{
	in_addr inAddress;
	inAddress.s_addr = address;
	return SetTo(inAddress, port);
}

status_t
BNetAddress::GetAddr(char* host, unsigned short* port) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (host != NULL && inet_ntop(AF_INET, &fAddress.sin_addr, host, INET_ADDRSTRLEN) == NULL)
		return B_ERROR;
	if (port != NULL)
		*port = ntohs(fAddress.sin_port);
	return B_OK;
}

status_t
BNetAddress::GetAddr(struct sockaddr_in& address) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	address = fAddress;
	return B_OK;
}

status_t
BNetAddress::GetAddr(in_addr& address, unsigned short* port) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	address = fAddress.sin_addr;
	if (port != NULL)
		*port = ntohs(fAddress.sin_port);
	return B_OK;
}

status_t
BNetAddress::_Resolve(const char* host, in_addr* address)
{
	if (host == NULL || host[0] == '\0') {
		address->s_addr = htonl(INADDR_ANY);
		return B_OK;
	}
	// Dotted text needs no resolver; names go through the host's.
	if (inet_pton(AF_INET, host, address) == 1)
		return B_OK;
	struct addrinfo hints = {};
	hints.ai_family = AF_INET;
	hints.ai_socktype = SOCK_STREAM;
	struct addrinfo* result = NULL;
	if (getaddrinfo(host, NULL, &hints, &result) != 0 || result == NULL)
		return B_ERROR;
	*address = ((struct sockaddr_in*)result->ai_addr)->sin_addr;
	freeaddrinfo(result);
	return B_OK;
}
