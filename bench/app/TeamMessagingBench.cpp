// A small message to another process and back, and messages per second one
// way, against a plain Unix-socket echo between two processes.

#include <Messenger.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

const char* kPeer = "application/x-vnd.Murmelo-bench-peer";
pid_t sPeer = -1;
pid_t sEcho = -1;
int sEchoSocket = -1;
// About the size of a small message in its frame.
const size_t kEchoSize = 96;

pid_t
start_peer()
{
	int ready[2];
	if (pipe2(ready, O_CLOEXEC) != 0)
		return -1;
	std::string variable = "BE_LAUNCH_FD=" + std::to_string(ready[1]);
	std::string signature = std::string("--signature=") + kPeer;
	pid_t child = fork();
	if (child == 0) {
		fcntl(ready[1], F_SETFD, 0);
		putenv(variable.data());
		execl(TEAM_PEER_PATH, TEAM_PEER_PATH, signature.c_str(), (char*)NULL);
		_exit(127);
	}
	close(ready[1]);
	pollfd entry = {ready[0], POLLIN, 0};
	char byte;
	bool started = poll(&entry, 1, 20000) == 1 && read(ready[0], &byte, 1) == 1;
	close(ready[0]);
	return started ? child : -1;
}

bool
read_exactly(int fd, char* buffer, size_t size)
{
	while (size > 0) {
		ssize_t got = read(fd, buffer, size);
		if (got <= 0)
			return false;
		buffer += got;
		size -= got;
	}
	return true;
}

// The plain socket partner: answers a one-byte-flagged block with the same
// block, reads the others silently.
pid_t
start_echo(int* socket)
{
	int ends[2];
	if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
		return -1;
	pid_t child = fork();
	if (child == 0) {
		close(ends[0]);
		char block[kEchoSize];
		while (read_exactly(ends[1], block, sizeof(block))) {
			if (block[0] == 'r' && write(ends[1], block, sizeof(block)) != (ssize_t)sizeof(block))
				break;
		}
		_exit(0);
	}
	close(ends[1]);
	*socket = ends[0];
	return child;
}

void
BM_TeamRoundTrip(benchmark::State& state)
{
	BMessenger peer(kPeer);
	BMessage ping('ping');
	ping.AddString("text", "hello");
	BMessage reply;
	for (auto _ : state) {
		if (peer.SendMessage(&ping, &reply) != B_OK) {
			state.SkipWithError("no reply");
			break;
		}
	}
	state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TeamRoundTrip);

void
BM_SocketEchoRoundTrip(benchmark::State& state)
{
	char block[kEchoSize] = {'r'};
	for (auto _ : state) {
		if (write(sEchoSocket, block, sizeof(block)) != (ssize_t)sizeof(block)
			|| !read_exactly(sEchoSocket, block, sizeof(block))) {
			state.SkipWithError("echo failed");
			break;
		}
	}
	state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SocketEchoRoundTrip);

// One way: a batch of messages, then one round trip that arrives after them.
void
BM_TeamOneWay(benchmark::State& state)
{
	BMessenger peer(kPeer);
	BMessage message('drop');
	message.AddString("text", "hello");
	BMessage ask('seq?');
	BMessage reply;
	const int batch = 1000;
	for (auto _ : state) {
		for (int i = 0; i < batch; i++)
			peer.SendMessage(&message);
		peer.SendMessage(&ask, &reply);
	}
	state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_TeamOneWay)->Unit(benchmark::kMillisecond);

void
BM_SocketOneWay(benchmark::State& state)
{
	char block[kEchoSize] = {'s'};
	char last[kEchoSize] = {'r'};
	const int batch = 1000;
	for (auto _ : state) {
		for (int i = 0; i < batch; i++) {
			if (write(sEchoSocket, block, sizeof(block)) != (ssize_t)sizeof(block))
				state.SkipWithError("write failed");
		}
		if (write(sEchoSocket, last, sizeof(last)) != (ssize_t)sizeof(last)
			|| !read_exactly(sEchoSocket, last, sizeof(last)))
			state.SkipWithError("echo failed");
	}
	state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_SocketOneWay)->Unit(benchmark::kMillisecond);

} // namespace

int
main(int argc, char** argv)
{
	char folder[] = "/tmp/murmelo-bench-XXXXXX";
	if (mkdtemp(folder) == NULL)
		return 1;
	setenv("XDG_RUNTIME_DIR", folder, 1);
	signal(SIGPIPE, SIG_IGN);
	sPeer = start_peer();
	sEcho = start_echo(&sEchoSocket);
	if (sPeer < 0 || sEcho < 0) {
		fprintf(stderr, "could not start the peers\n");
		return 1;
	}
	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	kill(sPeer, SIGKILL);
	close(sEchoSocket);
	int status;
	waitpid(sPeer, &status, 0);
	waitpid(sEcho, &status, 0);
	pid_t remover = fork();
	if (remover == 0) {
		execlp("rm", "rm", "-rf", "--", folder, (char*)NULL);
		_exit(127);
	}
	waitpid(remover, &status, 0);
	return 0;
}
