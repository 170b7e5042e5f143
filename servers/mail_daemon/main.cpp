#include "MailDaemonApp.h"

#include <MailDaemon.h>
#include <Roster.h>

#include <stdio.h>

int
main()
{
	// Two daemons would fetch the same mails side by side.
	if (BRoster().IsRunning(B_MAIL_DAEMON_SIGNATURE)) {
		fprintf(stderr, "mail_daemon: another mail daemon is running already\n");
		return 1;
	}
	MailDaemonApp* app = new MailDaemonApp();
	app->Run();
	delete app;
	return 0;
}
