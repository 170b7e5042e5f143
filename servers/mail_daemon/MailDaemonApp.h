#ifndef _MAIL_DAEMON_APP_H
#define _MAIL_DAEMON_APP_H

#include <Application.h>
#include <MessageRunner.h>

// Checks every account of the settings file at start, every few minutes,
// and when check_for_mail asks.
class MailDaemonApp : public BApplication {
public:
	MailDaemonApp();
	~MailDaemonApp() override;

	void ReadyToRun() override;
	void MessageReceived(BMessage* message) override;

private:
	// Answers B_OK or the status of the first account that failed.
	status_t _CheckAll(int32* newCount);
	void _SetTimer(int32 minutes);

	BMessageRunner* fTimer = NULL;
	int32 fTimerMinutes = -1;
};

// One check of every account of the settings file, with its lines on
// standard output and error; the settings' interval goes to checkMinutes.
status_t check_all_accounts(int32* newCount, int32* checkMinutes);

#endif
