#ifndef _TEAM_LINK_H
#define _TEAM_LINK_H

// Messages between processes of the same user. Every application with a
// signature listens on a Unix socket named after its team in a private
// folder; a frame carries one flattened message and its delivery data.

#include <Message.h>
#include <OS.h>
#include <String.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class BApplication;

namespace BPrivate {

// Nothing larger crosses between processes.
const size_t kMaxFrameSize = 1024 * 1024;
const uint32 kFrameMagic = 'MLK1';

enum {
	kFrameMessage = 1,
	kFrameReply = 2,
	// The target looper is gone: the waiting sender gets B_BAD_PORT_ID.
	kFrameUndeliverable = 3,
};

enum {
	kFrameSourceWaits = 0x1,
	kFramePreferred = 0x2,
	kFrameReplyPreferred = 0x4,
};

struct FrameHeader {
	uint32 magic;
	uint32 size;  // bytes of the flattened message that follow
	uint32 kind;
	uint32 flags;
	int32 looperToken;
	int32 handlerToken;
	int32 replyTeam;
	int32 replyLooper;
	int32 replyHandler;
	int32 currentSpecifier;
};

// One stream socket to another team, or from one.
struct LinkConnection {
	int fd = -1;
	team_id team = -1;
	std::mutex writeLock;

	// Server side: a reply to a reply we sent on this connection lands here.
	std::mutex slotLock;
	std::condition_variable slotDone;
	bool slotWaiting = false;
	bool slotFilled = false;
	bool closed = false;
	FrameHeader slotHeader;
	std::vector<uint8> slotPayload;

	~LinkConnection();
};

// The reply a waiting sender in another team expects, over the connection
// its message came on.
struct RemoteReply {
	std::shared_ptr<LinkConnection> connection;
	// Whether we accepted the connection (our server reads it) or opened it
	// (this thread reads it).
	bool serverSide = true;

	~RemoteReply();
	status_t Send(BMessage* reply, int32 replyTeam, int32 replyLooper, int32 replyHandler,
		bool replyPreferred, BMessage* replyToReply, bigtime_t sendTimeout,
		bigtime_t replyTimeout);
};

// The private folder of this user's applications, created on first use.
status_t app_folder(BString* path);

// Starts listening for the application (once per process); stops at exit.
void start_team_link(BApplication* app);
// Tells a roster that launched us that we can be reached, once the first
// messages of the application are queued.
void team_link_ready();
void stop_team_link();
bool team_link_listening();

// Sends a message to a looper of another team. With a reply, waits for it.
status_t send_to_team(team_id team, int32 looperToken, int32 handlerToken, bool preferred,
	const BMessage& message, team_id replyTeam, int32 replyLooper, int32 replyHandler,
	bool replyPreferred, BMessage* reply, bigtime_t deliveryTimeout, bigtime_t replyTimeout);

// Whether a team runs an application that is reachable.
bool team_is_registered(team_id team);

// Reads and writes whole frames within a deadline (system_time()).
status_t write_frame(int fd, const FrameHeader& header, const std::vector<uint8>& payload,
	bigtime_t deadline);
status_t read_frame(int fd, FrameHeader* header, std::vector<uint8>* payload, bigtime_t deadline);

// Checks a frame header as it comes off the wire.
status_t check_frame_header(const FrameHeader& header);

// Flattens a message for a frame (once: FlattenedSize() would flatten it
// a second time).
void flatten_for_frame(const BMessage& message, std::vector<uint8>* out);
void flatten_message(const BMessage& message, std::vector<uint8>& out);

// What a receiving team does with a frame: delivers it to its looper,
// setting up the reply. Answers false for a frame it cannot use.
bool deliver_frame(const FrameHeader& header, const std::vector<uint8>& payload,
	const std::shared_ptr<LinkConnection>& connection);

bigtime_t deadline_after(bigtime_t timeout);

} // namespace BPrivate

#endif
