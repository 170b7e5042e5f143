#include "MurmeloSettings.h"

#include <Directory.h>
#include <File.h>
#include <FindDirectory.h>
#include <Path.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include <string.h>

const char* const kMurmeloSettingsName = "murmelo_Settings";

const char* const kNameForGroupAttr = "name_for_group";
const char* const kNameForPopAttr = "name_for_pop";
const char* const kRepondeurAttr = "repondeur";
const char* const kSoundForPersoAttr = "sound_for_perso";
const char* const kSoundForWorkAttr = "sound_for_work";
const char* const kSoundForAllAttr = "sound_for_all";
const char* const kNotificationsAttr = "notifications";

namespace {

// Length of text without a trailing UTF-8 sequence that is incomplete.
size_t
whole_characters(const char* text, size_t length)
{
	size_t start = length;
	while (start > 0 && ((uint8)text[start - 1] & 0xc0) == 0x80 && length - start < 3)
		start--;
	if (start == 0)
		return length;
	uint8 lead = (uint8)text[start - 1];
	size_t need;
	if (lead < 0x80)
		return length;
	else if ((lead & 0xe0) == 0xc0)
		need = 2;
	else if ((lead & 0xf0) == 0xe0)
		need = 3;
	else if ((lead & 0xf8) == 0xf0)
		need = 4;
	else
		return length;
	size_t have = length - start + 1;
	return have < need ? start - 1 : length;
}

status_t
write_string(BNode& node, const char* attribute, const BString& value)
{
	ssize_t written = node.WriteAttr(attribute, B_STRING_TYPE, 0, value.String(), value.Length());
	return written < 0 ? (status_t)written : B_OK;
}

status_t
write_int32(BNode& node, const char* attribute, int32 value)
{
	ssize_t written = node.WriteAttr(attribute, B_INT32_TYPE, 0, &value, sizeof(value));
	return written < 0 ? (status_t)written : B_OK;
}

void
read_int32(const BNode& node, const char* attribute, int32* value)
{
	attr_info info;
	if (node.GetAttrInfo(attribute, &info) != B_OK || info.type != B_INT32_TYPE
		|| info.size != sizeof(int32))
		return;
	int32 stored;
	if (node.ReadAttr(attribute, B_INT32_TYPE, 0, &stored, sizeof(stored)) == sizeof(stored))
		*value = stored;
}

status_t
settings_directory(BPath* path)
{
	return find_directory(B_USER_SETTINGS_DIRECTORY, path, true);
}

} // namespace

bool
read_settings_string(const BNode& node, const char* attribute, BString* value)
{
	attr_info info;
	if (node.GetAttrInfo(attribute, &info) != B_OK)
		return false;
	char buffer[kSettingsStringSize];
	memset(buffer, 0, sizeof(buffer));
	size_t want = info.size < (off_t)sizeof(buffer) ? (size_t)info.size : sizeof(buffer) - 1;
	ssize_t read = node.ReadAttr(attribute, B_STRING_TYPE, 0, buffer, want);
	if (read < 0)
		return false;
	size_t length = read;
	if (info.size > (off_t)length)
		length = whole_characters(buffer, length);
	buffer[length] = '\0';
	value->SetTo(buffer);
	return true;
}

status_t
open_murmelo_settings(BFile* file)
{
	BPath path;
	status_t status = settings_directory(&path);
	if (status != B_OK)
		return status;
	BDirectory directory(path.Path());
	return file->SetTo(&directory, kMurmeloSettingsName, B_READ_WRITE);
}

status_t
load_murmelo_settings(murmelo_settings* settings)
{
	BFile file;
	status_t status = open_murmelo_settings(&file);
	if (status != B_OK)
		return status;
	read_settings_string(file, kNameForPopAttr, &settings->popName);
	read_settings_string(file, kNameForGroupAttr, &settings->group);
	read_settings_string(file, kRepondeurAttr, &settings->answer);
	read_int32(file, kSoundForPersoAttr, &settings->soundPerso);
	read_int32(file, kSoundForWorkAttr, &settings->soundWork);
	read_int32(file, kSoundForAllAttr, &settings->soundAll);
	read_int32(file, kNotificationsAttr, &settings->notifications);
	return B_OK;
}

status_t
save_murmelo_settings(const murmelo_settings& settings)
{
	BPath path;
	status_t status = settings_directory(&path);
	if (status != B_OK)
		return status;
	BDirectory directory(path.Path());
	BFile file(&directory, kMurmeloSettingsName, B_READ_WRITE);
	if (file.InitCheck() != B_OK) {
		status = directory.CreateFile(kMurmeloSettingsName, &file, false);
		if (status != B_OK)
			return status;
	}

	status_t results[] = {
		write_string(file, kNameForGroupAttr, settings.group),
		write_string(file, kNameForPopAttr, settings.popName),
		write_string(file, kRepondeurAttr, settings.answer),
		write_int32(file, kSoundForPersoAttr, settings.soundPerso),
		write_int32(file, kSoundForWorkAttr, settings.soundWork),
		write_int32(file, kSoundForAllAttr, settings.soundAll),
		write_int32(file, kNotificationsAttr, settings.notifications),
	};
	for (status_t result : results) {
		if (result != B_OK)
			return result;
	}
	return B_OK;
}

status_t
read_sender_name(BString* name)
{
	BFile file;
	status_t status = open_murmelo_settings(&file);
	if (status != B_OK)
		return status;
	name->SetTo("");
	read_settings_string(file, kNameForPopAttr, name);
	return B_OK;
}
