#include "MailDaemonApp.h"

#include <MailDaemon.h>
#include <Roster.h>

#include <stdio.h>
#include <string.h>

int
main(int argc, char** argv)
{
	bool once = argc == 2 && strcmp(argv[1], "--once") == 0;
	if (argc > 1 && !once) {
		fprintf(stderr, "usage: mail_daemon [--once]\n");
		return 2;
	}
	// Two daemons would fetch the same mails side by side.
	if (BRoster().IsRunning(B_MAIL_DAEMON_SIGNATURE)) {
		fprintf(stderr, "mail_daemon: another mail daemon is running already\n");
		return 1;
	}
	if (once) {
		int32 count, minutes;
		return check_all_accounts(&count, &minutes) == B_OK ? 0 : 1;
	}
	MailDaemonApp* app = new MailDaemonApp();
	app->Run();
	delete app;
	return 0;
}
