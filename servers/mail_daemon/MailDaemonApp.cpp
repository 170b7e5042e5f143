#include "MailDaemonApp.h"

#include <E-mail.h>
#include <MailDaemon.h>
#include <MailInbox.h>

#include <stdio.h>

MailDaemonApp::MailDaemonApp()
	: BApplication(B_MAIL_DAEMON_SIGNATURE)
{
}

MailDaemonApp::~MailDaemonApp()
{
	delete fTimer;
}

void
MailDaemonApp::ReadyToRun()
{
	int32 count;
	_CheckAll(&count);
}

status_t
MailDaemonApp::_CheckAll(int32* newCount)
{
	int32 minutes;
	status_t status = check_all_accounts(newCount, &minutes);
	_SetTimer(minutes);
	return status;
}

void
MailDaemonApp::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_MAIL_CHECK_NOW:
		{
			int32 count = 0;
			status_t status = _CheckAll(&count);
			if (message->IsSourceWaiting()) {
				BMessage reply(B_REPLY);
				reply.AddInt32("status", status);
				reply.AddInt32("count", count);
				message->SendReply(&reply);
			}
			break;
		}
		default:
			BApplication::MessageReceived(message);
			break;
	}
}

status_t
check_all_accounts(int32* newCount, int32* checkMinutes)
{
	// Read at every check, so that an edited file counts without a restart.
	BString path = mail_settings_path();
	BMailSettings settings;
	BString error;
	status_t result = B_OK;
	if (read_mail_settings(path.String(), &settings, &error) != B_OK)
		fprintf(stderr, "mail_daemon: no account is checked: %s\n", error.String());
	*checkMinutes = settings.checkMinutes;

	int32 total = 0;
	for (const BMailAccount& account : settings.accounts) {
		BMailInbox inbox([&](const BString& problem) {
			fprintf(stderr, "mail_daemon: %s: %s\n", account.name.String(), problem.String());
		});
		int32 filed = 0;
		status_t status = fetch_new_mail(account, inbox, &filed, &error);
		total += filed;
		if (status != B_OK) {
			fprintf(stderr, "mail_daemon: %s: %s\n", account.name.String(), error.String());
			if (result == B_OK)
				result = status;
		}
	}
	*newCount = BMailInbox().CountNew();
	printf("mail_daemon: checked %d account%s, %d new mail%s filed\n",
		(int)settings.accounts.size(), settings.accounts.size() == 1 ? "" : "s", (int)total,
		total == 1 ? "" : "s");
	fflush(stdout);
	fflush(stderr);
	return result;
}

void
MailDaemonApp::_SetTimer(int32 minutes)
{
	if (minutes == fTimerMinutes)
		return;
	fTimerMinutes = minutes;
	delete fTimer;
	fTimer = NULL;
	if (minutes > 0) {
		BMessage check(B_MAIL_CHECK_NOW);
		fTimer = new BMessageRunner(BMessenger(this), &check, (bigtime_t)minutes * 60000000);
	}
}
