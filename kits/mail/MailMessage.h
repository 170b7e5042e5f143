#ifndef _MAIL_MESSAGE_H
#define _MAIL_MESSAGE_H

#include <E-mail.h>
#include <SupportDefs.h>

struct entry_ref;

namespace BPrivate {
class MailDraft;
}

// An outgoing mail. Text given to it is UTF-8; the conversions name the
// character set it travels in. Send() hands it to the system's sendmail.
class BMailMessage {
public:
	BMailMessage();
	~BMailMessage();

	status_t AddContent(const char* text, int32 length, uint32 encoding = B_ISO1_CONVERSION,
		bool clobber = false);
	status_t AddContent(const char* text, int32 length, const char* encoding,
		bool clobber = false);

	status_t AddEnclosure(entry_ref* ref, bool clobber = false);
	status_t AddEnclosure(const char* path, bool clobber = false);
	status_t AddEnclosure(const char* mimeType, void* data, int32 length, bool clobber = false);

	// A second To, Cc, Bcc, From or Reply-To joins the list; a second Subject,
	// Date or Message-ID is refused with B_NAME_IN_USE unless clobber is set.
	// Line breaks in a value become blanks. The encoding names the character
	// set of the encoded-words for text beyond ASCII.
	status_t AddHeaderField(uint32 encoding, const char* fieldName, const char* value,
		bool clobber = false);
	status_t AddHeaderField(const char* fieldName, const char* value, bool clobber = false);

	status_t Send(bool sendNow = false, bool removeWhenSent = false);

private:
	BMailMessage(const BMailMessage&) = delete;
	BMailMessage& operator=(const BMailMessage&) = delete;

	BPrivate::MailDraft* fDraft;
};

#endif
