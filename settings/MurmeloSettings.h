#ifndef _MURMELO_SETTINGS_H
#define _MURMELO_SETTINGS_H

#include <String.h>
#include <SupportDefs.h>

class BFile;
class BNode;

// The settings file "murmelo_Settings" in the user settings directory. It
// holds no bytes: every value is a typed attribute, so that the main
// program, the options window and the sender add-on share one identity.

extern const char* const kMurmeloSettingsName;

extern const char* const kNameForGroupAttr;
extern const char* const kNameForPopAttr;
extern const char* const kRepondeurAttr;
extern const char* const kSoundForPersoAttr;
extern const char* const kSoundForWorkAttr;
extern const char* const kSoundForAllAttr;
extern const char* const kNotificationsAttr;

// Every reader takes a string attribute into a zeroed buffer of this size,
// so at most kSettingsStringSize - 1 bytes of a stored value are read.
const size_t kSettingsStringSize = 512;

struct murmelo_settings {
	BString group;
	BString popName;
	BString answer;
	int32 soundPerso = 0;
	int32 soundWork = 0;
	int32 soundAll = 0;
	// Desktop notifications on arrival; on unless the file says otherwise,
	// so files written before the option existed keep them.
	int32 notifications = 1;
};

// Reads a string attribute: nothing when it is missing (value untouched,
// false); otherwise its first kSettingsStringSize - 1 bytes. A value cut
// inside a UTF-8 character loses that partial character.
bool read_settings_string(const BNode& node, const char* attribute, BString* value);

// Opens the file for reading and writing without creating it; the settings
// directory is made when missing.
status_t open_murmelo_settings(BFile* file);

// Overwrites the values found in the file; leaves the others as they are.
// The sound and notification marks are taken only from 4-byte integer
// attributes.
status_t load_murmelo_settings(murmelo_settings* settings);

// Opens or creates the file and writes the seven attributes, the strings
// without terminating zero. Returns the first error met.
status_t save_murmelo_settings(const murmelo_settings& settings);

// The name every message is sent under. Fails when there is no settings
// file; an empty name when the file has no name.
status_t read_sender_name(BString* name);

#endif
