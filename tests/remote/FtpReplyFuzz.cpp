// libFuzzer target: whatever a server sends on the control connection, the
// reply reader and the requests built on it must neither crash nor hang, and
// what they report must hold together.
#include "FtpClient.h"
#include "FtpClientProbe.h"

#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace {

const char* kClosed = "Remote host has closed the connection.\n";
const char* kTooLong = "Reply too long; the connection is closed.\n";
// The bounds the reader keeps: no reply is held beyond them.
const size_t kMaxReplyText = 200 * (8192 + 1) + 64;

bool
ends_with(const std::string& text, const char* tail)
{
	size_t length = strlen(tail);
	return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
}

void
check(bool condition)
{
	if (!condition)
		abort();
}

// A client whose server is one end of a socket pair holding the input; what
// the client sends back is thrown away so that it never fills the pair.
struct Session {
	FtpClient client;
	int peer = -1;

	Session(const uint8_t* data, size_t size)
	{
		int ends[2];
		check(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0);
		int room = 1 << 20;
		setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &room, sizeof(room));
		check(send(ends[1], data, size, 0) == (ssize_t)size);
		shutdown(ends[1], SHUT_WR);
		FtpClientProbe::AdoptControl(client, ends[0]);
		peer = ends[1];
	}

	~Session() { close(peer); }

	void Drain()
	{
		char buffer[4096];
		while (recv(peer, buffer, sizeof(buffer), MSG_DONTWAIT) > 0) {
		}
	}
};

void
read_replies(const uint8_t* data, size_t size)
{
	Session session(data, size);
	std::string text;
	int code = 0;
	int codeClass = 0;
	for (;;) {
		bool read = FtpClientProbe::GetReply(session.client, text, code, codeClass);
		session.Drain();
		check(codeClass == code / 100);
		check(text.size() <= kMaxReplyText);
		check(code >= 0 && code <= 999);
		check(!text.empty() && text.back() == '\n');
		if (!read) {
			// A reply the server began with 421 already says the session
			// ends; any other broken reply says the connection was closed.
			// A reply past the bounds says so instead.
			check(code == 421);
			check(text.compare(0, 3, "421") == 0 || ends_with(text, kClosed)
				|| ends_with(text, kTooLong));
			break;
		}
		if (code == 421)
			break;
		check(FtpClientProbe::Connected(session.client));
	}
	check(!FtpClientProbe::HasControl(session.client));
	check(!FtpClientProbe::Connected(session.client));
}

void
run_requests(const uint8_t* data, size_t size)
{
	Session session(data, size);
	FtpClient& client = session.client;
	for (int round = 0; FtpClientProbe::HasControl(client); round++) {
		std::string dir = "unchanged";
		switch (round % 3) {
			case 0:
				if (!client.pwd(dir))
					check(dir == "unchanged");
				break;
			case 1:
				client.cd("/boot/home/");
				break;
			case 2:
				client.moveFile("a", "b");
				break;
		}
		session.Drain();
	}
	// Once the session has ended nothing more is attempted.
	check(!client.cd("x"));
	check(!FtpClientProbe::Connected(client));
}

} // namespace

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	// The whole input must fit in the socket pair at once.
	if (size > 65536)
		return 0;
	read_replies(data, size);
	run_requests(data, size);
	return 0;
}
