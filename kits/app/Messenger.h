#ifndef _MESSENGER_H
#define _MESSENGER_H

#include <Message.h>
#include <OS.h>

class BHandler;
class BLooper;

// An address for messages: a looper, and in it a handler or its preferred
// handler, in this team or in another one of the same user.
class BMessenger {
public:
	BMessenger();
	BMessenger(const char* signature, team_id team = -1, status_t* result = NULL);
	BMessenger(const BHandler* handler, const BLooper* looper = NULL, status_t* result = NULL);
	BMessenger(const BMessenger& other) = default;
	~BMessenger() = default;

	BMessenger& operator=(const BMessenger& other) = default;
	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }

	bool IsTargetLocal() const { return fTeam < 0; }
	BHandler* Target(BLooper** looper) const;
	bool LockTarget() const;
	status_t LockTargetWithTimeout(bigtime_t timeout) const;
	bool IsValid() const;
	team_id Team() const;

	status_t SendMessage(uint32 command, BHandler* replyTo = NULL) const;
	status_t SendMessage(BMessage* message, BHandler* replyTo = NULL,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	status_t SendMessage(BMessage* message, BMessenger replyTo,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	status_t SendMessage(uint32 command, BMessage* reply) const;
	status_t SendMessage(BMessage* message, BMessage* reply,
		bigtime_t deliveryTimeout = B_INFINITE_TIMEOUT,
		bigtime_t replyTimeout = B_INFINITE_TIMEOUT) const;

	// Kit-private
	BLooper* _Looper() const { return fLooper; }
	int32 _HandlerToken() const { return fHandlerToken; }
	int32 _LooperToken() const { return fLooperToken; }
	// The team a reply to this address goes to; -1 when it goes nowhere.
	team_id _TeamForReply() const;
	void _SetTo(BLooper* looper, int32 handlerToken);
	// A handler (or, with -1, the preferred handler) of a looper by number,
	// in any team.
	void _SetToTeam(team_id team, int32 looperToken, int32 handlerToken);

private:
	status_t _Send(BMessage* message, const BMessenger& replyTo, BMessage* reply,
		bigtime_t deliveryTimeout, bigtime_t replyTimeout) const;

	BLooper* fLooper = NULL;
	int32 fLooperToken = -1;
	int32 fHandlerToken = -1;
	// Another team's looper is known by number only.
	team_id fTeam = -1;
};

#endif
