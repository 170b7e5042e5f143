#include "TheApp.h"

#include "FarcallDefs.h"
#include "FtpClient.h"
#include "TWindow1.h"

#include <stdio.h>
#include <stdlib.h>

TheApp::TheApp(int argc, char** argv) : BApplication(FARCALL_SIGNATURE)
{
	if (argc == 1) {
		TWindow1* window = new TWindow1;
		window->Show();
		return;
	}
	std::string password;
	if ((argc == 4 && take_password(argv[3], password))
		|| (argc == 3 && take_password(NULL, password))) {
		// The client lives as long as the program.
		FtpClient* client = new FtpClient;
		const char* failure = fetch_message_file(client, argv[1], argv[2], password.c_str());
		if (failure != NULL) {
			printf("%s\n", failure);
			fflush(stdout);
			exit(0);
		}
		// Fetched: the program keeps running until something asks it to quit.
		return;
	}
	printf("bad argument in command\n");
	fflush(stdout);
	fprintf(stderr, "%s\n", FARCALL_USAGE);
	PostMessage(B_QUIT_REQUESTED);
}

TheApp::~TheApp()
{
}
