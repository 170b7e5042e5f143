#include <E-mail.h>

#include <MailDaemon.h>
#include <Message.h>
#include <Messenger.h>

namespace {

const bigtime_t kDeliveryTimeout = 5000000;
// The caller often waits on a window's thread: a check that takes longer
// goes on in the daemon, and the asking counts as done.
const bigtime_t kReplyTimeout = 30000000;

}  // namespace

status_t
check_for_mail(int32* incomingCount)
{
	if (incomingCount != NULL)
		*incomingCount = 0;
	BMessenger daemon(B_MAIL_DAEMON_SIGNATURE);
	if (!daemon.IsValid())
		return B_MAIL_NO_DAEMON;
	BMessage request(B_MAIL_CHECK_NOW);
	BMessage reply;
	status_t status = daemon.SendMessage(&request, &reply, kDeliveryTimeout, kReplyTimeout);
	if (status == B_TIMED_OUT)
		return B_OK;
	if (status != B_OK)
		return B_MAIL_NO_DAEMON;
	int32 result = B_OK;
	reply.FindInt32("status", &result);
	if (incomingCount != NULL)
		reply.FindInt32("count", incomingCount);
	return result;
}
