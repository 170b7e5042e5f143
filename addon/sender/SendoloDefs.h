#ifndef SENDOLO_DEFS_H
#define SENDOLO_DEFS_H

#include <SupportDefs.h>

#define SENDOLO_SIGNATURE "application/x-vnd.Murmelo.Sender"

// Commands of the sender window.
enum {
	kSendPressed = 'tton',
	kMailModeToggled = 'Mail',
	kSenderCommitted = 'Recu',
	kDestinationCommitted = 'eone',
	// The machines button, the list its thread read, a machine chosen.
	kMachinesPressed = 'mchn',
	kMachinesRead = 'mlst',
	kMachineChosen = 'mpck',
};

#endif
