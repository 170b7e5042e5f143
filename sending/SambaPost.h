#ifndef _SAMBA_POST_H
#define _SAMBA_POST_H

#include <OS.h>
#include <String.h>
#include <SupportDefs.h>

#include <vector>

// Sends one WinPopup message through `smbclient -M`, then tells the user the
// outcome in an alert that lives on its own. Blocks until smbclient has
// exited, so it is called on a worker thread, never on a window's.
// destination may name several machines, separated by commas or blanks:
// each gets the message, and one alert lists them all. A text longer than
// one message carries goes as several, marked "(1/3)", "(2/3)"...
void samba_post(const char* destination, const char* text, const char* sender);

// The longest text one WinPopup message carries through smbclient, in code
// page bytes; a line end counts two, since it travels as CR LF. smbclient
// itself drops what lies past about 1,600.
static const int32 kWinPopupBytes = 1500;

// How long one smbclient run may take when samba_post sends.
static const bigtime_t kSambaSendTimeLimit = 30000000;

// The names of a destination field: separated by commas or blanks, each
// kept once (NetBIOS names ignore case), in the order given, each cut to
// 99 bytes.
std::vector<BString> samba_recipients(const char* destination);

// text as the WinPopup code page carries it, still in UTF-8: characters it
// lacks are transliterated. It fits both code page 850, the default of
// Samba and Windows in Western Europe, and 858, its variant with the euro
// sign, so it reads the same on either side.
struct samba_fitting {
	BString text;
	int32 replaced = 0;
	// "€ → EUR, — → -": what was replaced, each character once.
	BString changes;
};
samba_fitting samba_fit(const char* text);

// A fitted text in parts of at most maxBytes code page bytes, split at line
// or word ends where it can be, each marked "(1/3) "... One part, unmarked,
// when it all fits.
std::vector<BString> samba_split(const char* text, int32 maxBytes = kWinPopupBytes);

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
// shell) with `text` on its standard input. Text and names are handed over
// in code page 850, fitted by samba_fit(), and the client is told so: left
// to convert UTF-8 itself, it garbles what the code page lacks and every
// character its 127-byte blocks cut in two. B_OK once it has exited; an
// error if it could not be started (the reason is then in reply->errors).
// A client still running after timeout is killed: B_TIMED_OUT.
status_t samba_run(const char* destination, const char* text, const char* sender,
	samba_reply* reply, bigtime_t timeout = B_INFINITE_TIMEOUT);

samba_outcome samba_classify(const samba_reply& reply);

samba_alert samba_alert_for(samba_outcome outcome, const char* destination,
	const samba_reply& reply);

// What became of one recipient of a send.
struct samba_result {
	BString destination;
	samba_outcome outcome = SAMBA_OTHER;
	samba_reply reply;
};

// The one alert for a send: with one recipient the single-recipient alert;
// with several, one line each in the texts of that alert. changes (may be
// empty) says which characters were replaced, parts how many messages the
// text took.
samba_alert samba_alert_for_all(const std::vector<samba_result>& results,
	const char* changes = "", int32 parts = 1);

#endif
