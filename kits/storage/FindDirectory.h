#ifndef _FIND_DIRECTORY_H
#define _FIND_DIRECTORY_H

#include <SupportDefs.h>

typedef enum {
	B_DESKTOP_DIRECTORY = 0,
	B_TRASH_DIRECTORY,

	B_BEOS_DIRECTORY = 1000,
	B_BEOS_SYSTEM_DIRECTORY,
	B_BEOS_ADDONS_DIRECTORY,
	B_BEOS_BOOT_DIRECTORY,
	B_BEOS_FONTS_DIRECTORY,
	B_BEOS_LIB_DIRECTORY,
	B_BEOS_SERVERS_DIRECTORY,
	B_BEOS_APPS_DIRECTORY,
	B_BEOS_BIN_DIRECTORY,
	B_BEOS_ETC_DIRECTORY,
	B_BEOS_DOCUMENTATION_DIRECTORY,
	B_BEOS_PREFERENCES_DIRECTORY,
	B_BEOS_TRANSLATORS_DIRECTORY,
	B_BEOS_MEDIA_NODES_DIRECTORY,
	B_BEOS_SOUNDS_DIRECTORY,

	B_USER_DIRECTORY = 3000,
	B_USER_CONFIG_DIRECTORY,
	B_USER_ADDONS_DIRECTORY,
	B_USER_BOOT_DIRECTORY,
	B_USER_FONTS_DIRECTORY,
	B_USER_LIB_DIRECTORY,
	B_USER_SETTINGS_DIRECTORY,
	B_USER_DESKBAR_DIRECTORY,
	B_USER_PRINTERS_DIRECTORY,
	B_USER_TRANSLATORS_DIRECTORY,
	B_USER_MEDIA_NODES_DIRECTORY,
	B_USER_SOUNDS_DIRECTORY,

	B_APPS_DIRECTORY = 4000,
	B_PREFERENCES_DIRECTORY,
	B_UTILITIES_DIRECTORY
} directory_which;

#ifdef __cplusplus

class BPath;
class BVolume;

// The host path of a standard directory; with createIt, the directory and
// the ones above it are made when missing (mode 0755).
status_t find_directory(directory_which which, BPath* path, bool createIt = false,
	BVolume* volume = NULL);

extern "C" {
#endif

status_t find_directory(directory_which which, dev_t volume, bool createIt, char* returnedPath,
	int32 pathLength);

#ifdef __cplusplus
}
#endif

#endif
