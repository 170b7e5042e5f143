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
};

#endif
