#include "MailMessage.h"

#include "MailDraft.h"
#include "MimeEncoding.h"
#include "Sendmail.h"

#include <stdio.h>
#include <time.h>

#include <new>

using BPrivate::MailDraft;


BMailMessage::BMailMessage()
	:
	fDraft(new(std::nothrow) MailDraft)
{
}


BMailMessage::~BMailMessage()
{
	delete fDraft;
}


status_t
BMailMessage::AddContent(const char* text, int32 length, uint32 encoding, bool clobber)
{
	const char* charset = BPrivate::mail_charset_for_conversion(encoding);
	if (charset == NULL)
		return B_BAD_VALUE;
	if (fDraft == NULL)
		return B_NO_MEMORY;
	return fDraft->AddText(text, length, charset, clobber);
}


status_t
BMailMessage::AddContent(const char* text, int32 length, const char* encoding, bool clobber)
{
	std::string charset = BPrivate::mail_charset_from_name(encoding);
	if (charset.empty())
		return B_BAD_VALUE;
	if (fDraft == NULL)
		return B_NO_MEMORY;
	return fDraft->AddText(text, length, charset, clobber);
}


// TODO: enclosures, which need a multipart/mixed body; until then they are
// refused rather than left out unnoticed.
status_t
BMailMessage::AddEnclosure(entry_ref*, bool)
{
	return B_UNSUPPORTED;
}


status_t
BMailMessage::AddEnclosure(const char*, bool)
{
	return B_UNSUPPORTED;
}


status_t
BMailMessage::AddEnclosure(const char*, void*, int32, bool)
{
	return B_UNSUPPORTED;
}


status_t
BMailMessage::AddHeaderField(uint32 encoding, const char* fieldName, const char* value,
	bool clobber)
{
	const char* charset = BPrivate::mail_charset_for_conversion(encoding);
	if (charset == NULL)
		return B_BAD_VALUE;
	if (fDraft == NULL)
		return B_NO_MEMORY;
	return fDraft->AddField(fieldName, value, charset, clobber);
}


status_t
BMailMessage::AddHeaderField(const char* fieldName, const char* value, bool clobber)
{
	return AddHeaderField(B_ISO1_CONVERSION, fieldName, value, clobber);
}


// There is no outbox or queue of our own: whatever sendNow says, the mail
// goes to sendmail at once, which queues it itself where it must. Nothing is
// kept, so removeWhenSent has nothing to remove.
status_t
BMailMessage::Send(bool, bool)
{
	if (fDraft == NULL)
		return B_NO_MEMORY;
	if (!fDraft->HasRecipient()) {
		fprintf(stderr, "Mail not sent: it has no recipient (no To, Cc or Bcc).\n");
		return B_MAIL_NO_RECIPIENT;
	}
	std::string program;
	std::string problem;
	status_t status = BPrivate::mail_find_sendmail(program, problem);
	if (status == B_OK)
		status = BPrivate::mail_run_sendmail(program, fDraft->Compose(time(NULL)), problem);
	if (status != B_OK)
		fprintf(stderr, "Mail not sent: %s.\n", problem.c_str());
	return status;
}
