#ifndef _SAMBA_POST_H
#define _SAMBA_POST_H

#include <OS.h>
#include <String.h>
#include <SupportDefs.h>

// Sends one WinPopup message through `smbclient -M`, then tells the user the
// outcome in an alert that lives on its own. Blocks until smbclient has
// exited, so it is called on a worker thread, never on a window's.
void samba_post(const char* destination, const char* text, const char* sender);

// What smbclient left behind. Each buffer keeps the first 2047 bytes of its
// stream and a terminating zero; the rest is discarded unread.
struct samba_reply {
	char output[2048] = {};
	char errors[2048] = {};
	int status = -1;  // exit status; 128 + signal; -1 when it never ran
};

// The five outcomes, in the order they are tested.
enum samba_outcome {
	SAMBA_UNKNOWN_HOST = 1,
	SAMBA_UNREACHABLE = 2,
	SAMBA_NOT_ACCEPTED = 3,
	SAMBA_SENT = 4,
	SAMBA_OTHER = 5,
};

struct samba_alert {
	BString title;
	BString text;
	BString button;
};

// Runs `smbclient -M destination -U sender` (found on the search path, no
// shell) with `text` on its standard input. B_OK once it has exited; an
// error if it could not be started (the reason is then in reply->errors).
// A client still running after timeout is killed: B_TIMED_OUT.
status_t samba_run(const char* destination, const char* text, const char* sender,
	samba_reply* reply, bigtime_t timeout = B_INFINITE_TIMEOUT);

samba_outcome samba_classify(const samba_reply& reply);

samba_alert samba_alert_for(samba_outcome outcome, const char* destination,
	const samba_reply& reply);

#endif
