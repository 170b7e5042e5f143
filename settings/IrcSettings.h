#ifndef _IRC_SETTINGS_H
#define _IRC_SETTINGS_H

#include <String.h>
#include <SupportDefs.h>

class BLocker;

// The IRC add-on's settings file "ircADDon_Settings" in the user settings
// directory: a window frame under a prefix, two flags this program only
// carries through, and six texts, all as attributes of an empty file.
// The file objects are shared by the whole program; every call below holds
// irc_settings_locker() while it works, and a caller that needs several
// calls to go together holds it around them.

extern const char* const kIrcSettingsName;
extern const char* const kIrcFramePrefix;

struct irc_texts {
	BString nick;
	BString altNick;
	BString server;
	BString port;
	BString name;
	BString ident;
};

BLocker& irc_settings_locker();

// True when the file can be opened for reading and writing; never creates it.
bool irc_settings_exist();

// Reads the frame stored under prefix name, and then the two flags when a
// "TimeStamp" is stored. Returns false, the floats untouched, when the file
// or any of the four frame values is missing.
bool RestoreSettings(const char* name, float& top, float& bottom, float& left, float& right);

// Writes the frame under prefix name and the two flags as last read,
// creating the file when needed.
status_t SaveSettings(const char* name, float top, float bottom, float left, float right);

// Overwrites the texts stored in the file; false when it does not open.
bool RestoreIrcTexts(irc_texts* texts);
status_t SaveIrcTexts(const irc_texts& texts);

// The two flags as last read from the file (false until then).
bool irc_stamp_state();
bool irc_paranoid_state();
// Puts the flags back to their start values, as in a fresh run.
void reset_irc_settings_state();

#endif
