#include <NetAddress.h>
#include <NetEndpoint.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <errno.h>
#include <string.h>

#include <memory>
#include <string>

namespace {

std::string
host_of(const BNetAddress& address, unsigned short* port = NULL)
{
	char host[32] = "";
	if (address.GetAddr(host, port) != B_OK)
		return "(unset)";
	return host;
}

// A listening endpoint on loopback, a client connected to it and the
// accepted end.
struct Pair {
	BNetEndpoint listener;
	BNetEndpoint client;
	std::unique_ptr<BNetEndpoint> server;

	Pair()
	{
		EXPECT_EQ(listener.Bind(BNetAddress("127.0.0.1", 0)), B_OK);
		EXPECT_EQ(listener.Listen(), B_OK);
		unsigned short port = 0;
		listener.LocalAddr().GetAddr(NULL, &port);
		EXPECT_EQ(client.Connect("127.0.0.1", port), B_OK);
		server.reset(listener.Accept(5000));
		EXPECT_NE(server, nullptr);
	}
};

} // namespace

TEST(NetAddress, ServiceNameGivesThePortOfTheServicesDatabase)
{
	BNetAddress address("127.0.0.1", "tcp", "ftp");
	ASSERT_EQ(address.InitCheck(), B_OK);
	unsigned short port = 0;
	EXPECT_EQ(host_of(address, &port), "127.0.0.1");
	EXPECT_EQ(port, 21);

	BNetAddress byName("localhost", "tcp", "ftp");
	EXPECT_EQ(byName.InitCheck(), B_OK);
	EXPECT_EQ(host_of(byName), "127.0.0.1");

	EXPECT_EQ(BNetAddress("127.0.0.1", "tcp", "no-such-service").InitCheck(), B_ERROR);
}

TEST(NetAddress, SocketAddressRoundTripsAndUnsetAddressSaysSo)
{
	struct sockaddr_in raw = {};
	raw.sin_family = AF_INET;
	raw.sin_port = htons(1025);
	inet_pton(AF_INET, "192.168.0.2", &raw.sin_addr);
	BNetAddress address(raw);
	unsigned short port = 0;
	EXPECT_EQ(host_of(address, &port), "192.168.0.2");
	EXPECT_EQ(port, 1025);

	struct sockaddr_in back = {};
	ASSERT_EQ(address.GetAddr(back), B_OK);
	EXPECT_EQ(back.sin_addr.s_addr, raw.sin_addr.s_addr);
	EXPECT_EQ(back.sin_port, raw.sin_port);

	struct sockaddr_in other = raw;
	other.sin_family = AF_UNIX;
	EXPECT_EQ(BNetAddress(other).InitCheck(), B_BAD_VALUE);

	BNetAddress unset(other);
	char host[32];
	EXPECT_EQ(unset.GetAddr(host, &port), B_NO_INIT);
}

TEST(NetEndpoint, BindToPortZeroListensOnAFreePortOfAnyAddress)
{
	BNetEndpoint endpoint;
	ASSERT_EQ(endpoint.InitCheck(), B_OK);
	ASSERT_EQ(endpoint.Bind(0), B_OK);
	ASSERT_EQ(endpoint.Listen(5), B_OK);
	unsigned short port = 0;
	EXPECT_EQ(host_of(endpoint.LocalAddr(), &port), "0.0.0.0");
	EXPECT_NE(port, 0);
}

TEST(NetEndpoint, ConnectedEndpointsCarryDataBothWaysAndSeeTheEnd)
{
	Pair pair;
	ASSERT_NE(pair.server, nullptr);
	unsigned short port = 0;
	pair.listener.LocalAddr().GetAddr(NULL, &port);
	unsigned short remotePort = 0;
	EXPECT_EQ(host_of(pair.client.RemoteAddr(), &remotePort), "127.0.0.1");
	EXPECT_EQ(remotePort, port);

	EXPECT_EQ(pair.client.Send("hello", 5), 5);
	char buffer[16] = {};
	EXPECT_EQ(pair.server->Receive(buffer, 5), 5);
	EXPECT_STREQ(buffer, "hello");

	// Large sends go out whole.
	std::string big(1 << 20, 'x');
	EXPECT_EQ(pair.server->Send(big.data(), big.size()), (int32)big.size());
	size_t total = 0;
	std::string chunk(65536, '\0');
	while (total < big.size()) {
		int32 received = pair.client.Receive(chunk.data(), chunk.size());
		ASSERT_GT(received, 0);
		total += received;
	}

	pair.server.reset();
	EXPECT_EQ(pair.client.Receive(buffer, sizeof(buffer)), 0);
	EXPECT_EQ(pair.client.Error(), 0);
}

TEST(NetEndpoint, TimeLimitsEndReceivesAndAccepts)
{
	Pair pair;
	ASSERT_NE(pair.server, nullptr);
	pair.client.SetTimeout(100000);
	char byte;
	EXPECT_EQ(pair.client.Receive(&byte, 1), 0);
	EXPECT_EQ(pair.client.Error(), ETIMEDOUT);

	// Data after a time-out is still received, and clears the error.
	pair.server->Send("z", 1);
	EXPECT_EQ(pair.client.Receive(&byte, 1), 1);
	EXPECT_EQ(pair.client.Error(), 0);

	EXPECT_EQ(pair.listener.Accept(50), nullptr);
	EXPECT_EQ(pair.listener.Error(), ETIMEDOUT);

	// An accepted endpoint starts with the listener's limit.
	pair.listener.SetTimeout(50000);
	unsigned short port = 0;
	pair.listener.LocalAddr().GetAddr(NULL, &port);
	BNetEndpoint second;
	ASSERT_EQ(second.Connect("127.0.0.1", port), B_OK);
	std::unique_ptr<BNetEndpoint> accepted(pair.listener.Accept(5000));
	ASSERT_NE(accepted, nullptr);
	EXPECT_EQ(accepted->Timeout(), 50000);
	EXPECT_EQ(accepted->Receive(&byte, 1), 0);
	EXPECT_EQ(accepted->Error(), ETIMEDOUT);

	// A peer that never reads: the send gives up once the buffers are full
	// and the limit has passed, instead of blocking for ever.
	pair.client.SetTimeout(100000);
	std::string block(1 << 20, 's');
	int32 result = 0;
	for (int i = 0; i < 64 && result >= 0; i++)
		result = pair.client.Send(block.data(), block.size());
	EXPECT_EQ(result, -1);
	EXPECT_EQ(pair.client.Error(), ETIMEDOUT);
	// What the peer reads then unblocks later sends.
	char sink[65536];
	while (pair.server->IsDataPending(0) && pair.server->Receive(sink, sizeof(sink)) > 0) {
	}
	EXPECT_EQ(pair.client.Send("x", 1), 1);
}

TEST(NetEndpoint, SendingToAGonePeerFailsInsteadOfEndingTheProgram)
{
	Pair pair;
	ASSERT_NE(pair.server, nullptr);
	pair.server.reset();
	std::string block(65536, 'y');
	int32 result = 0;
	for (int i = 0; i < 100 && result >= 0; i++)
		result = pair.client.Send(block.data(), block.size());
	EXPECT_LT(result, 0);
	EXPECT_NE(pair.client.Error(), 0);
}

TEST(NetEndpoint, ClosedOrRefusedEndpointsReportErrors)
{
	unsigned short port = 0;
	{
		BNetEndpoint listener;
		ASSERT_EQ(listener.Bind(BNetAddress("127.0.0.1", 0)), B_OK);
		listener.LocalAddr().GetAddr(NULL, &port);
	}
	BNetEndpoint client;
	EXPECT_EQ(client.Connect("127.0.0.1", port), B_ERROR);
	EXPECT_EQ(client.Error(), ECONNREFUSED);

	client.Close();
	EXPECT_EQ(client.InitCheck(), B_NO_INIT);
	EXPECT_EQ(client.Send("x", 1), -1);
	char byte;
	EXPECT_EQ(client.Receive(&byte, 1), -1);
	EXPECT_EQ(client.Accept(0), nullptr);
}
