#ifndef _ROSTER_H
#define _ROSTER_H

#include <Entry.h>
#include <List.h>
#include <Messenger.h>
#include <OS.h>

#define B_SINGLE_LAUNCH 0x0
#define B_MULTIPLE_LAUNCH 0x1
#define B_EXCLUSIVE_LAUNCH 0x2
#define B_LAUNCH_MASK 0x3
#define B_BACKGROUND_APP 0x4
#define B_ARGV_ONLY 0x8

struct app_info {
	app_info();
	~app_info();

	thread_id thread;
	team_id team;
	port_id port;
	uint32 flags;
	entry_ref ref;
	char signature[B_MIME_TYPE_LENGTH];
};

// Knows the applications of this user that run, and starts them by
// signature from the install tree's application list.
class BRoster {
public:
	BRoster();

	bool IsRunning(const char* signature) const;
	bool IsRunning(entry_ref* ref) const;
	team_id TeamFor(const char* signature) const;
	// Fills the list with team_ids (cast to void*).
	void GetAppList(BList* teams) const;
	void GetAppList(const char* signature, BList* teams) const;
	status_t GetAppInfo(const char* signature, app_info* info) const;
	status_t GetRunningAppInfo(team_id team, app_info* info) const;

	status_t Launch(const char* signature, BMessage* initialMessage = NULL,
		team_id* team = NULL) const;
	status_t Launch(const char* signature, int argc, const char* const* args,
		team_id* team = NULL) const;

	status_t Broadcast(BMessage* message) const;
	status_t Broadcast(BMessage* message, BMessenger replyTo) const;

private:
	status_t _Launch(const char* signature, BMessage* message, int argc,
		const char* const* args, team_id* team) const;
};

extern const BRoster* be_roster;

#endif
