#ifndef _MAIL_SOURCES_H
#define _MAIL_SOURCES_H

#include <MailInbox.h>

namespace BPrivate {

// The servers, spoken to through libcurl; each answers as fetch_new_mail.
status_t fetch_imap(const BMailAccount& account, BMailInbox& inbox, int32* filed, BString* error);
status_t fetch_pop3(const BMailAccount& account, BMailInbox& inbox, int32* filed, BString* error);

// Mails bigger than this are reported and left on the server.
const size_t kMaxMailSize = 256 * 1024 * 1024;

}  // namespace BPrivate

#endif
