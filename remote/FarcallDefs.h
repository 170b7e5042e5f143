#ifndef FARCALL_DEFS_H
#define FARCALL_DEFS_H

#include <SupportDefs.h>

// Commands of the remote-control window.
enum {
	kConnectPressed = 'tton',
	kAddressCommitted = 'Recu',
	kLoginCommitted = 'eone',
};

#define FARCALL_SIGNATURE "application/x-vnd.tiranso"
#define FARCALL_REMOTE_DIRECTORY "/boot/home/"
#define FARCALL_REMOTE_FILE "Murmelo.dat"
#define FARCALL_LOCAL_FILE "/boot/home/tiranso.dat"

class FtpClient;

// Logs in, goes to the remote folder and fetches the other machine's data
// file. Returns NULL when it worked, else the line that says what failed.
const char* fetch_message_file(FtpClient* client, const char* server, const char* user,
	const char* password);

#endif
