#include "FarcallDefs.h"

#include "FtpClient.h"

const char*
fetch_message_file(FtpClient* client, const char* server, const char* user, const char* password)
{
	if (!client->connect(server, user, password))
		return "could not connect";
	if (!client->cd(FARCALL_REMOTE_DIRECTORY))
		return "no such directory";
	if (!client->getFile(FARCALL_REMOTE_FILE, FARCALL_LOCAL_FILE, FtpClient::binary_mode))
		return "could not get file";
	return NULL;
}
