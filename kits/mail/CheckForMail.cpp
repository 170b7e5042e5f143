#include <E-mail.h>

status_t
check_for_mail(int32* incomingCount)
{
	// This suite on Linux has no mail daemon that fetches mail (POP or
	// IMAP); sending goes through sendmail alone. Until a mail-fetching
	// setup exists, the answer is the one BeOS gives with its daemon
	// stopped.
	if (incomingCount != NULL)
		*incomingCount = 0;
	return B_MAIL_NO_DAEMON;
}
