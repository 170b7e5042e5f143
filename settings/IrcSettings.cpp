#include "IrcSettings.h"

#include "MurmeloSettings.h"

#include <Autolock.h>
#include <Directory.h>
#include <File.h>
#include <FindDirectory.h>
#include <Locker.h>
#include <Path.h>
#include <TypeConstants.h>
#include <fs_attr.h>

const char* const kIrcSettingsName = "ircADDon_Settings";
const char* const kIrcFramePrefix = "Setup2000";

namespace {

BLocker sLocker("irc settings");
BFile sSettingsFile;
BDirectory sSettingsDirectory;
bool sStampState = false;
bool sParanoidState = false;

const char* const kTimeStampAttr = "TimeStamp";
const char* const kParanoidAttr = "Paranoid";

// Points the directory at the settings directory and opens the file in it,
// without creating it.
status_t
open_file()
{
	BPath path;
	status_t status = find_directory(B_USER_SETTINGS_DIRECTORY, &path, true);
	if (status != B_OK)
		return status;
	status = sSettingsDirectory.SetTo(path.Path());
	if (status != B_OK)
		return status;
	return sSettingsFile.SetTo(&sSettingsDirectory, kIrcSettingsName, B_READ_WRITE);
}

status_t
open_or_create_file()
{
	if (open_file() == B_OK)
		return B_OK;
	if (sSettingsDirectory.InitCheck() != B_OK)
		return sSettingsDirectory.InitCheck();
	return sSettingsDirectory.CreateFile(kIrcSettingsName, &sSettingsFile, false);
}

bool
read_float(const char* attribute, float* value)
{
	attr_info info;
	if (sSettingsFile.GetAttrInfo(attribute, &info) != B_OK || info.size != sizeof(float))
		return false;
	return sSettingsFile.ReadAttr(attribute, B_FLOAT_TYPE, 0, value, sizeof(float))
		== sizeof(float);
}

void
read_bool(const char* attribute, bool* value)
{
	uint8 byte;
	if (sSettingsFile.ReadAttr(attribute, B_BOOL_TYPE, 0, &byte, 1) == 1)
		*value = byte != 0;
}

status_t
first_error(std::initializer_list<ssize_t> results)
{
	for (ssize_t result : results) {
		if (result < 0)
			return (status_t)result;
	}
	return B_OK;
}

ssize_t
write_string(const char* attribute, const BString& value)
{
	return sSettingsFile.WriteAttr(attribute, B_STRING_TYPE, 0, value.String(), value.Length());
}

} // namespace

BLocker&
irc_settings_locker()
{
	return sLocker;
}

bool
irc_settings_exist()
{
	BAutolock lock(sLocker);
	return open_file() == B_OK;
}

bool
RestoreSettings(const char* name, float& top, float& bottom, float& left, float& right)
{
	BAutolock lock(sLocker);
	if (open_file() != B_OK)
		return false;

	BString prefix(name);
	float frame[4];
	const char* sides[4] = {":top", ":bottom", ":left", ":right"};
	for (int i = 0; i < 4; i++) {
		// A frame is taken whole or not at all.
		if (!read_float((BString(prefix) << sides[i]).String(), &frame[i]))
			return false;
	}
	top = frame[0];
	bottom = frame[1];
	left = frame[2];
	right = frame[3];

	attr_info info;
	if (sSettingsFile.GetAttrInfo(kTimeStampAttr, &info) == B_OK) {
		read_bool(kTimeStampAttr, &sStampState);
		read_bool(kParanoidAttr, &sParanoidState);
	}
	return true;
}

status_t
SaveSettings(const char* name, float top, float bottom, float left, float right)
{
	BAutolock lock(sLocker);
	status_t status = open_or_create_file();
	if (status != B_OK)
		return status;

	BString prefix(name);
	uint8 stamp = sStampState ? 1 : 0;
	uint8 paranoid = sParanoidState ? 1 : 0;
	return first_error({
		sSettingsFile.WriteAttr((BString(prefix) << ":top").String(), B_FLOAT_TYPE, 0, &top, 4),
		sSettingsFile.WriteAttr((BString(prefix) << ":bottom").String(), B_FLOAT_TYPE, 0,
			&bottom, 4),
		sSettingsFile.WriteAttr((BString(prefix) << ":left").String(), B_FLOAT_TYPE, 0, &left, 4),
		sSettingsFile.WriteAttr((BString(prefix) << ":right").String(), B_FLOAT_TYPE, 0, &right,
			4),
		sSettingsFile.WriteAttr(kTimeStampAttr, B_BOOL_TYPE, 0, &stamp, 1),
		sSettingsFile.WriteAttr(kParanoidAttr, B_BOOL_TYPE, 0, &paranoid, 1),
	});
}

bool
RestoreIrcTexts(irc_texts* texts)
{
	BAutolock lock(sLocker);
	if (open_file() != B_OK)
		return false;
	read_settings_string(sSettingsFile, "Nick", &texts->nick);
	read_settings_string(sSettingsFile, "AltNick", &texts->altNick);
	read_settings_string(sSettingsFile, "Server", &texts->server);
	read_settings_string(sSettingsFile, "Port", &texts->port);
	read_settings_string(sSettingsFile, "Name", &texts->name);
	read_settings_string(sSettingsFile, "Ident", &texts->ident);
	return true;
}

status_t
SaveIrcTexts(const irc_texts& texts)
{
	BAutolock lock(sLocker);
	status_t status = open_or_create_file();
	if (status != B_OK)
		return status;
	return first_error({
		write_string("Nick", texts.nick),
		write_string("AltNick", texts.altNick),
		write_string("Server", texts.server),
		write_string("Port", texts.port),
		write_string("Name", texts.name),
		write_string("Ident", texts.ident),
	});
}

bool
irc_stamp_state()
{
	BAutolock lock(sLocker);
	return sStampState;
}

bool
irc_paranoid_state()
{
	BAutolock lock(sLocker);
	return sParanoidState;
}

void
reset_irc_settings_state()
{
	BAutolock lock(sLocker);
	sStampState = false;
	sParanoidState = false;
}
