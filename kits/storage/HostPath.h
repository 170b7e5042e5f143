#ifndef _HOST_PATH_H
#define _HOST_PATH_H

#include <String.h>

// The programs use the fixed paths of a BeOS machine ("/boot/home/...",
// "/boot/apps/trovel/..."). Every file operation of the kits maps such a path
// to where it lives on this host:
//   BE_BOOT_VOLUME set:  "/boot/X" is "$BE_BOOT_VOLUME/X";
//   otherwise:           "/boot/home/config/settings/X" is in the XDG config
//                        directory, "/boot/home/X" is "$HOME/X",
//                        "/boot/apps/trovel/X" is in the install directory,
//                        any other "/boot/X" is "$HOME/.local/share/boot/X".
// Paths outside "/boot" are returned unchanged.
BString host_path(const char* bePath);

// The folder two levels above the running program's file: the install tree
// the companions of a program are found in.
BString install_directory();

// The running program's file.
BString program_path();

#endif
