#ifndef _MAIL_DRAFT_H
#define _MAIL_DRAFT_H

#include <SupportDefs.h>

#include <string>
#include <time.h>
#include <vector>

namespace BPrivate {

// The header fields and the text of an outgoing mail, and the message they
// make. BMailMessage keeps one; tests read the message it composes.
class MailDraft {
public:
	// name may end in ": " as the B_MAIL_* constants do. An empty charset
	// means ISO-8859-1.
	status_t AddField(const char* name, const char* value, const std::string& charset,
		bool clobber);
	status_t AddText(const char* text, int32 length, const std::string& charset, bool clobber);

	bool HasRecipient() const;

	// The whole message as sendmail reads it, with LF line ends.
	std::string Compose(time_t when) const;

private:
	struct Field {
		std::string name;
		std::string value;
		std::string charset;
	};

	Field* _Find(const std::string& name);
	const Field* _Find(const std::string& name) const;

	std::vector<Field> fFields;
	std::string fText;
	std::string fTextCharset = "iso-8859-1";
};

} // namespace BPrivate

#endif
