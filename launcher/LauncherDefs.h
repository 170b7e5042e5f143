#ifndef LAUNCHER_DEFS_H
#define LAUNCHER_DEFS_H

// The launcher's menu commands.
enum {
	kLaunchMurmelo = 10000,
	kLaunchQuickMessage = 10001,
	kLaunchRemoteControl = 10002,
	kRemoveLaunchers = 10004,
};

#define LAUNCHER_SIGNATURE "application/x-vnd.Murmelo.Launcher"
#define DESKBAR_SIGNATURE "application/x-vnd.Be-TSKB"

#endif
