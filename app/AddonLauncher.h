#ifndef _ADDON_LAUNCHER_H
#define _ADDON_LAUNCHER_H

#include <String.h>
#include <SupportDefs.h>

// The companion programs (the mail, IRC and sender add-ons) live in the
// install tree, at a path relative to the folder two levels above the
// running program: a program at /boot/apps/x/y/Murmelo finds
// /boot/apps/x/addon/Letterol.
BString addon_path(const char* relativePath);

// Runs the program at path with no arguments and waits for it to end. It is
// started with an argument vector, never a shell, so blanks and shell
// characters in the install path are only characters. Answers the program's
// exit status, or an error when it could not be started.
status_t run_addon(const char* path);

#endif
