#ifndef _MAIL_DAEMON_H
#define _MAIL_DAEMON_H

#define B_MAIL_DAEMON_SIGNATURE "application/x-vnd.Be-POST"

// Asks the daemon to check every account now. A waiting sender gets a reply
// with "status" (int32: B_OK or the mail kit's status of the first account
// that failed) and "count" (int32: the mails whose status is "New").
#define B_MAIL_CHECK_NOW 'mnow'

#endif
