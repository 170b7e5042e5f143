#ifndef FARCALL_DEFS_H
#define FARCALL_DEFS_H

#include <SupportDefs.h>

#include <string>

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

#define FARCALL_PASSWORD_VARIABLE "FARCALL_PASSWORD"
#define FARCALL_TIMEOUT_VARIABLE "FARCALL_TIMEOUT"
#define FARCALL_USAGE "usage: Farcall [server user password]  (password \"-\": read from " \
	"standard input; server user alone: password from $FARCALL_PASSWORD)"

class FtpClient;

// The password of a command line, taken before anyone can see it: the
// argument itself ("-": the first line of standard input), or with no
// argument the environment's FARCALL_PASSWORD. The argument is overwritten
// in place so that ps shows "***". False when there is none.
bool take_password(char* argument, std::string& password);

// Logs in, goes to the remote folder and fetches the other machine's data
// file. Returns NULL when it worked, else the line that says what failed.
const char* fetch_message_file(FtpClient* client, const char* server, const char* user,
	const char* password);

#endif
