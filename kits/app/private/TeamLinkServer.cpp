// The listening side of the link between teams: one thread per process
// reads every connection without blocking, so a slow or broken peer holds
// up nobody else.

#include "TeamLink.h"

#include "AppRegistry.h"

#include <Application.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace BPrivate {

namespace {

struct Peer {
	std::shared_ptr<LinkConnection> link;
	std::vector<uint8> buffer;
};

struct Server {
	int listenFd = -1;
	int wake[2] = {-1, -1};
	// Tells when the socket or its folder is removed under us.
	int watch = -1;
	thread_id thread = -1;
	BString folder;
	BString name;
	RegisteredApp app;
	std::vector<Peer> peers;
};

std::mutex& sServerLock = *new std::mutex;
Server* sServer = NULL;
// What atexit() removes when a program ends without deleting its application.
std::mutex& sExitLock = *new std::mutex;
BString& sExitFolder = *new BString;
team_id sExitTeam = -1;

void
remove_at_exit()
{
	std::lock_guard<std::mutex> guard(sExitLock);
	if (sExitTeam == current_team() && sExitFolder.Length() > 0)
		unregister_app(sExitFolder, sExitTeam);
}

void
set_exit_folder(const BString& folder, team_id team)
{
	std::lock_guard<std::mutex> guard(sExitLock);
	sExitFolder = folder;
	sExitTeam = team;
}

void
drop_line(const Server& server, const char* what)
{
	fprintf(stderr, "%s: dropped a message from another program: %s\n", server.name.String(),
		what);
}

void
close_peer(Peer& peer)
{
	LinkConnection& link = *peer.link;
	shutdown(link.fd, SHUT_RDWR);
	{
		std::lock_guard<std::mutex> guard(link.slotLock);
		link.closed = true;
	}
	link.slotDone.notify_all();
}

// Takes the complete frames out of a peer's buffer; answers false when the
// peer must be dropped.
bool
serve_frames(Server& server, Peer& peer)
{
	size_t at = 0;
	bool keep = true;
	while (peer.buffer.size() - at >= sizeof(FrameHeader)) {
		FrameHeader header;
		memcpy(&header, peer.buffer.data() + at, sizeof(header));
		status_t check = check_frame_header(header);
		if (check != B_OK) {
			// No way to find the next frame in what follows.
			drop_line(server, header.magic != kFrameMagic ? "not a message frame"
				: header.size > kMaxFrameSize ? "larger than 1 MiB" : "unknown frame kind");
			keep = false;
			break;
		}
		if (peer.buffer.size() - at - sizeof(header) < header.size)
			break;
		const uint8* start = peer.buffer.data() + at + sizeof(header);
		std::vector<uint8> payload(start, start + header.size);
		at += sizeof(header) + header.size;
		if (header.kind == kFrameMessage) {
			if (!deliver_frame(header, payload, peer.link))
				drop_line(server, "malformed message");
		} else if (header.kind == kFrameReply) {
			LinkConnection& link = *peer.link;
			std::lock_guard<std::mutex> guard(link.slotLock);
			if (link.slotWaiting && !link.slotFilled) {
				link.slotHeader = header;
				link.slotPayload.swap(payload);
				link.slotFilled = true;
				link.slotDone.notify_all();
			}
		}
	}
	peer.buffer.erase(peer.buffer.begin(), peer.buffer.begin() + at);
	return keep;
}

void
accept_peers(Server& server)
{
	while (true) {
		int fd = accept4(server.listenFd, NULL, NULL, SOCK_NONBLOCK | SOCK_CLOEXEC);
		if (fd < 0) {
			if (errno == EINTR)
				continue;
			return;
		}
		ucred credentials;
		socklen_t length = sizeof(credentials);
		if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0
			|| credentials.uid != geteuid()) {
			fprintf(stderr, "%s: refused a connection from user %d: not this user\n",
				server.name.String(), (int)credentials.uid);
			close(fd);
			continue;
		}
		Peer peer;
		peer.link = std::make_shared<LinkConnection>();
		peer.link->fd = fd;
		peer.link->team = credentials.pid;
		server.peers.push_back(std::move(peer));
	}
}

// Binds the team's socket in the folder and describes the team beside it.
bool
listen_at(Server& server)
{
	BString path(server.folder);
	path << "/" << (int32)current_team();
	sockaddr_un address;
	memset(&address, 0, sizeof(address));
	address.sun_family = AF_UNIX;
	if ((size_t)path.Length() >= sizeof(address.sun_path))
		return false;
	memcpy(address.sun_path, path.String(), path.Length());
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
	if (fd < 0)
		return false;
	// A socket left by a dead team of the same number is in the way.
	unlink(path.String());
	if (bind(fd, (sockaddr*)&address, sizeof(address)) != 0 || listen(fd, 128) != 0) {
		close(fd);
		return false;
	}
	if (server.listenFd >= 0)
		close(server.listenFd);
	server.listenFd = fd;
	register_app(server.folder, server.app);
	if (server.watch >= 0)
		inotify_add_watch(server.watch, server.folder.String(),
			IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
	return true;
}

// Someone removed our socket or the whole folder: make them again, so that
// the team stays reachable.
void
listen_again(Server& server)
{
	char events[4096];
	while (server.watch >= 0 && read(server.watch, events, sizeof(events)) > 0) {
	}
	BString path(server.folder);
	path << "/" << (int32)current_team();
	BString description(path);
	description << ".app";
	struct stat info;
	if (lstat(path.String(), &info) == 0) {
		// Only the description went (a removal racing with us).
		if (lstat(description.String(), &info) != 0)
			register_app(server.folder, server.app);
		return;
	}
	BString folder;
	if (app_folder(&folder) != B_OK)
		return;
	server.folder = folder;
	set_exit_folder(folder, current_team());
	listen_at(server);
}

// How often, in milliseconds, an idle server makes sure its socket is there.
const int kHealInterval = 1000;

status_t
serve(void* data)
{
	Server& server = *(Server*)data;
	std::vector<pollfd> polled;
	std::vector<uint8> chunk(64 * 1024);
	while (true) {
		polled.clear();
		polled.push_back({server.wake[0], POLLIN, 0});
		polled.push_back({server.listenFd, POLLIN, 0});
		polled.push_back({server.watch, POLLIN, 0});
		for (Peer& peer : server.peers)
			polled.push_back({peer.link->fd, POLLIN, 0});
		int ready = poll(polled.data(), polled.size(), kHealInterval);
		if (ready < 0) {
			if (errno == EINTR)
				continue;
			break;
		}
		if (ready == 0) {
			listen_again(server);
			continue;
		}
		if (polled[0].revents != 0)
			break;
		// Peers first: the indices of polled match them until accepts add more.
		for (size_t i = server.peers.size(); i-- > 0;) {
			if (polled[i + 3].revents == 0)
				continue;
			Peer& peer = server.peers[i];
			bool keep = true;
			while (keep) {
				ssize_t got = recv(peer.link->fd, chunk.data(), chunk.size(), 0);
				if (got > 0) {
					peer.buffer.insert(peer.buffer.end(), chunk.begin(), chunk.begin() + got);
					keep = serve_frames(server, peer);
					continue;
				}
				if (got < 0 && errno == EINTR)
					continue;
				if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
					break;
				// Closed by the peer, or broken.
				if (!peer.buffer.empty())
					drop_line(server, "cut off before its end");
				keep = false;
			}
			if (!keep) {
				close_peer(peer);
				server.peers.erase(server.peers.begin() + i);
			}
		}
		if (polled[1].revents != 0)
			accept_peers(server);
		if (polled[2].revents != 0)
			listen_again(server);
	}
	for (Peer& peer : server.peers)
		close_peer(peer);
	server.peers.clear();
	return B_OK;
}

// The pipe a launching roster waits on, taken from the environment at once
// so that children we start before we are ready neither inherit it nor
// answer for us.
std::mutex& sLaunchLock = *new std::mutex;
int sLaunchFd = -1;

void
claim_launch_fd()
{
	std::lock_guard<std::mutex> guard(sLaunchLock);
	const char* value = getenv("BE_LAUNCH_FD");
	if (value == NULL)
		return;
	int fd = atoi(value);
	unsetenv("BE_LAUNCH_FD");
	if (fd <= 2 || fcntl(fd, F_SETFD, FD_CLOEXEC) != 0)
		return;
	if (sLaunchFd >= 0)
		close(sLaunchFd);
	sLaunchFd = fd;
}

// Tells a launching roster that the application can be reached now.
void
notify_launcher()
{
	std::lock_guard<std::mutex> guard(sLaunchLock);
	if (sLaunchFd < 0)
		return;
	char byte = 'r';
	ssize_t written;
	do
		written = write(sLaunchFd, &byte, 1);
	while (written < 0 && errno == EINTR);
	close(sLaunchFd);
	sLaunchFd = -1;
}

} // namespace

void
start_team_link(BApplication* app)
{
	claim_launch_fd();
	std::lock_guard<std::mutex> guard(sServerLock);
	if (sServer != NULL)
		return;
	BString folder;
	if (app_folder(&folder) != B_OK) {
		return;
	}
	auto server = std::make_unique<Server>();
	server->folder = folder;
	server->name = app->Signature();
	server->app.team = current_team();
	server->app.thread = current_team();
	server->app.flags = B_MULTIPLE_LAUNCH;
	server->app.looperToken = app->_Token();
	server->app.signature = app->Signature();
	// No inotify watch on the folder: tearing one down costs a short-lived
	// program (Murmelod, once per message) 15 ms at exit. The server looks
	// for its socket every second instead.
	server->watch = -1;
	if (pipe2(server->wake, O_CLOEXEC) != 0 || !listen_at(*server)) {
		if (server->wake[0] >= 0) {
			close(server->wake[0]);
			close(server->wake[1]);
		}
		if (server->watch >= 0)
			close(server->watch);
		return;
	}

	set_exit_folder(folder, current_team());
	server->thread = spawn_thread(serve, "team link", B_NORMAL_PRIORITY, server.get());
	resume_thread(server->thread);
	sServer = server.release();

	static bool exitHook = false;
	if (!exitHook) {
		exitHook = true;
		atexit(remove_at_exit);
	}
}

void
team_link_ready()
{
	notify_launcher();
}

void
stop_team_link()
{
	Server* server;
	{
		std::lock_guard<std::mutex> guard(sServerLock);
		server = sServer;
		sServer = NULL;
	}
	// A program that ends without running its loop has still been launched.
	notify_launcher();
	if (server == NULL)
		return;
	char byte = 'q';
	if (write(server->wake[1], &byte, 1) == 1) {
		status_t result;
		wait_for_thread(server->thread, &result);
	}
	// Only now: the server would make its socket again.
	unregister_app(server->folder, current_team());
	close(server->listenFd);
	close(server->wake[0]);
	close(server->wake[1]);
	if (server->watch >= 0)
		close(server->watch);
	delete server;
	set_exit_folder(BString(), -1);
}

bool
team_link_listening()
{
	std::lock_guard<std::mutex> guard(sServerLock);
	return sServer != NULL;
}

} // namespace BPrivate
