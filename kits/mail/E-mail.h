#ifndef _E_MAIL_H
#define _E_MAIL_H

#include <Errors.h>
#include <SupportDefs.h>
#include <UTF8.h>

// Header field names as BeOS spells them: with the colon and the blank.
#define B_MAIL_TO "To: "
#define B_MAIL_CC "Cc: "
#define B_MAIL_BCC "Bcc: "
#define B_MAIL_FROM "From: "
#define B_MAIL_DATE "Date: "
#define B_MAIL_REPLY "Reply-To: "
#define B_MAIL_SUBJECT "Subject: "
#define B_MAIL_PRIORITY "Priority: "

#define B_MAIL_TYPE "text/x-email"

#define B_MAIL_ATTR_NAME "MAIL:name"
#define B_MAIL_ATTR_STATUS "MAIL:status"
#define B_MAIL_ATTR_PRIORITY "MAIL:priority"
#define B_MAIL_ATTR_TO "MAIL:to"
#define B_MAIL_ATTR_CC "MAIL:cc"
#define B_MAIL_ATTR_BCC "MAIL:bcc"
#define B_MAIL_ATTR_FROM "MAIL:from"
#define B_MAIL_ATTR_SUBJECT "MAIL:subject"
#define B_MAIL_ATTR_REPLY "MAIL:reply"
#define B_MAIL_ATTR_WHEN "MAIL:when"
#define B_MAIL_ATTR_FLAGS "MAIL:flags"
#define B_MAIL_ATTR_RECIPIENTS "MAIL:recipients"
#define B_MAIL_ATTR_MIME "MAIL:mime"
#define B_MAIL_ATTR_HEADER "MAIL:header_length"
#define B_MAIL_ATTR_CONTENT "MAIL:content_length"

enum mail_error {
	B_MAIL_NO_DAEMON = B_MAIL_ERROR_BASE,
	B_MAIL_UNKNOWN_USER,
	B_MAIL_WRONG_PASSWORD,
	B_MAIL_UNKNOWN_HOST,
	B_MAIL_ACCESS_ERROR,
	B_MAIL_UNKNOWN_FIELD,
	B_MAIL_NO_RECIPIENT,
	B_MAIL_INVALID_MAIL
};

// Asks the mail daemon to fetch new mail; the number of new messages goes
// to incomingCount when given.
status_t check_for_mail(int32* incomingCount = NULL);

enum mail_flags {
	B_MAIL_PENDING = 1,
	B_MAIL_SENT = 2,
	B_MAIL_SAVE = 4
};


#endif
