#include <FindDirectory.h>

#include <Directory.h>
#include <HostPath.h>
#include <Path.h>

#include <string.h>

namespace {

// The BeOS R5 place of each standard directory, mapped to the host by
// host_path().
const char*
be_path_of(directory_which which)
{
	switch (which) {
		case B_DESKTOP_DIRECTORY: return "/boot/home/Desktop";
		case B_TRASH_DIRECTORY: return "/boot/home/Desktop/Trash";
		case B_BEOS_DIRECTORY: return "/boot/beos";
		case B_BEOS_SYSTEM_DIRECTORY: return "/boot/beos/system";
		case B_BEOS_ADDONS_DIRECTORY: return "/boot/beos/system/add-ons";
		case B_BEOS_BOOT_DIRECTORY: return "/boot/beos/system/boot";
		case B_BEOS_FONTS_DIRECTORY: return "/boot/beos/etc/fonts";
		case B_BEOS_LIB_DIRECTORY: return "/boot/beos/system/lib";
		case B_BEOS_SERVERS_DIRECTORY: return "/boot/beos/system/servers";
		case B_BEOS_APPS_DIRECTORY: return "/boot/beos/apps";
		case B_BEOS_BIN_DIRECTORY: return "/boot/beos/bin";
		case B_BEOS_ETC_DIRECTORY: return "/boot/beos/etc";
		case B_BEOS_DOCUMENTATION_DIRECTORY: return "/boot/beos/documentation";
		case B_BEOS_PREFERENCES_DIRECTORY: return "/boot/beos/preferences";
		case B_BEOS_TRANSLATORS_DIRECTORY: return "/boot/beos/system/add-ons/Translators";
		case B_BEOS_MEDIA_NODES_DIRECTORY: return "/boot/beos/system/add-ons/media";
		case B_BEOS_SOUNDS_DIRECTORY: return "/boot/beos/etc/sounds";
		case B_USER_DIRECTORY: return "/boot/home";
		case B_USER_CONFIG_DIRECTORY: return "/boot/home/config";
		case B_USER_ADDONS_DIRECTORY: return "/boot/home/config/add-ons";
		case B_USER_BOOT_DIRECTORY: return "/boot/home/config/boot";
		case B_USER_FONTS_DIRECTORY: return "/boot/home/config/fonts";
		case B_USER_LIB_DIRECTORY: return "/boot/home/config/lib";
		case B_USER_SETTINGS_DIRECTORY: return "/boot/home/config/settings";
		case B_USER_DESKBAR_DIRECTORY: return "/boot/home/config/be";
		case B_USER_PRINTERS_DIRECTORY: return "/boot/home/config/settings/printers";
		case B_USER_TRANSLATORS_DIRECTORY: return "/boot/home/config/add-ons/Translators";
		case B_USER_MEDIA_NODES_DIRECTORY: return "/boot/home/config/add-ons/media";
		case B_USER_SOUNDS_DIRECTORY: return "/boot/home/config/sounds";
		case B_APPS_DIRECTORY: return "/boot/apps";
		case B_PREFERENCES_DIRECTORY: return "/boot/preferences";
		case B_UTILITIES_DIRECTORY: return "/boot/utilities";
	}
	return NULL;
}

} // namespace

status_t
find_directory(directory_which which, BPath* path, bool createIt, BVolume*)
{
	if (path == NULL)
		return B_BAD_VALUE;
	const char* bePath = be_path_of(which);
	if (bePath == NULL)
		return B_BAD_VALUE;
	BString hostPath = host_path(bePath);
	if (createIt) {
		status_t status = create_directory(hostPath.String(), 0755);
		if (status != B_OK)
			return status;
	}
	return path->SetTo(hostPath.String());
}

status_t
find_directory(directory_which which, dev_t, bool createIt, char* returnedPath, int32 pathLength)
{
	if (returnedPath == NULL || pathLength <= 0)
		return B_BAD_VALUE;
	BPath path;
	status_t status = find_directory(which, &path, createIt, NULL);
	if (status != B_OK)
		return status;
	if ((int32)strlen(path.Path()) >= pathLength)
		return B_BUFFER_OVERFLOW;
	strcpy(returnedPath, path.Path());
	return B_OK;
}
