#ifndef _MAIL_SENDMAIL_H
#define _MAIL_SENDMAIL_H

#include <SupportDefs.h>

#include <string>

namespace BPrivate {

// The sendmail program: the path in $MURMELO_SENDMAIL when that is set (for
// tests, and for users whose sendmail lives elsewhere), else "sendmail" in an
// absolute folder of PATH, else /usr/sbin/sendmail. B_MAIL_NO_DAEMON, with
// the reason in problem, when there is none.
status_t mail_find_sendmail(std::string& path, std::string& problem);

// Runs "sendmail -t -oi" with the message on its standard input and waits
// for it. B_OK once sendmail has accepted the mail; otherwise an error, with
// a sentence saying what happened in problem.
status_t mail_run_sendmail(const std::string& path, const std::string& message,
	std::string& problem);

} // namespace BPrivate

#endif
