#include "FarcallDefs.h"

#include "FtpClient.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char*
fetch_message_file(FtpClient* client, const char* server, const char* user, const char* password)
{
	// Seconds; the client's own limit (a minute) is for people, a test of
	// hostile servers wants it shorter.
	if (const char* timeout = getenv(FARCALL_TIMEOUT_VARIABLE)) {
		double seconds = atof(timeout);
		if (seconds > 0)
			client->setTimeout((bigtime_t)(seconds * 1000000));
	}
	if (!client->connect(server, user, password))
		return "could not connect";
	if (!client->cd(FARCALL_REMOTE_DIRECTORY))
		return "no such directory";
	if (!client->getFile(FARCALL_REMOTE_FILE, FARCALL_LOCAL_FILE, FtpClient::binary_mode))
		return "could not get file";
	return NULL;
}

bool
take_password(char* argument, std::string& password)
{
	if (argument == NULL) {
		const char* value = getenv(FARCALL_PASSWORD_VARIABLE);
		if (value == NULL)
			return false;
		password = value;
		return true;
	}
	password = argument;
	// As database clients do: the text of the argument is what ps reads.
	size_t length = strlen(argument);
	memset(argument, 0, length);
	memcpy(argument, "***", length < 3 ? length : 3);
	if (password != "-")
		return true;

	password.clear();
	int c;
	while ((c = getchar()) != EOF && c != '\n')
		password += (char)c;
	if (!password.empty() && password.back() == '\r')
		password.pop_back();
	return c != EOF || !password.empty();
}
