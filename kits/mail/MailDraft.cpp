#include "MailDraft.h"

#include "MailIdentity.h"
#include "MimeEncoding.h"

#include <E-mail.h>

#include <string.h>

namespace BPrivate {

namespace {

std::string
lower(const std::string& text)
{
	std::string out = text;
	for (char& c : out) {
		if (c >= 'A' && c <= 'Z')
			c = c - 'A' + 'a';
	}
	return out;
}


bool
is_one_of(const std::string& name, std::initializer_list<const char*> names)
{
	std::string key = lower(name);
	for (const char* candidate : names) {
		if (key == candidate)
			return true;
	}
	return false;
}


// Lists of addresses: a second value joins the list.
bool
is_address_field(const std::string& name)
{
	return is_one_of(name, {"to", "cc", "bcc", "from", "reply-to"});
}


// Fields a mail may hold only once.
bool
is_single_field(const std::string& name)
{
	return is_one_of(name, {"date", "subject", "message-id", "sender", "in-reply-to",
		"references"});
}


// Structured fields whose text must stay as it is; the others may carry
// encoded-words.
bool
is_structured_field(const std::string& name)
{
	return is_address_field(name)
		|| is_one_of(name, {"date", "message-id", "sender", "in-reply-to", "references"});
}


// Ours alone: they describe the body we write.
bool
is_body_field(const std::string& name)
{
	return is_one_of(name, {"mime-version", "content-type", "content-transfer-encoding"});
}


// "To: " as the B_MAIL_* constants spell it gives "To"; empty when the name
// is not one a header can hold.
std::string
field_name(const char* given)
{
	std::string name = given;
	while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
		name.pop_back();
	if (!name.empty() && name.back() == ':')
		name.pop_back();
	for (unsigned char c : name) {
		if (c < 33 || c > 126 || c == ':')
			return std::string();
	}
	return name;
}

} // namespace


status_t
MailDraft::AddField(const char* name, const char* value, const std::string& charset,
	bool clobber)
{
	if (name == NULL || value == NULL)
		return B_BAD_VALUE;
	std::string key = field_name(name);
	if (key.empty())
		return B_BAD_VALUE;
	if (is_body_field(key))
		return B_NOT_ALLOWED;

	Field* existing = _Find(key);
	if (clobber) {
		for (size_t i = fFields.size(); i-- > 0;) {
			if (lower(fFields[i].name) == lower(key))
				fFields.erase(fFields.begin() + i);
		}
		existing = NULL;
	}
	std::string clean = mail_clean_header_value(value);
	if (existing != NULL && is_address_field(key)) {
		if (!clean.empty()) {
			if (!mail_clean_header_value(existing->value).empty())
				existing->value += ", ";
			existing->value += clean;
		}
		return B_OK;
	}
	if (existing != NULL && is_single_field(key))
		return B_NAME_IN_USE;
	fFields.push_back(Field{key, clean, charset});
	return B_OK;
}


status_t
MailDraft::AddText(const char* text, int32 length, const std::string& charset, bool clobber)
{
	if (text == NULL || length < 0 || charset.empty())
		return B_BAD_VALUE;
	if (clobber)
		fText.clear();
	fText.append(text, length);
	fTextCharset = charset;
	return B_OK;
}


bool
MailDraft::HasRecipient() const
{
	for (const char* name : {"to", "cc", "bcc"}) {
		const Field* field = _Find(name);
		if (field != NULL && !field->value.empty())
			return true;
	}
	return false;
}


std::string
MailDraft::Compose(time_t when) const
{
	std::string message;
	const Field* date = _Find("date");
	message += mail_header_field("Date",
		date != NULL && !date->value.empty() ? date->value : mail_date(when), false, "");
	const Field* from = _Find("from");
	message += mail_header_field("From", from != NULL && !from->value.empty() ? from->value
		: mail_default_sender(), false, "");
	// Bcc goes along: "sendmail -t" takes its addresses and removes it.
	for (const Field& field : fFields) {
		if (is_one_of(field.name, {"date", "from"}))
			continue;
		if (is_address_field(field.name) && field.value.empty())
			continue;
		message += mail_header_field(field.name, field.value, !is_structured_field(field.name),
			field.charset);
	}
	if (_Find("message-id") == NULL)
		message += mail_header_field("Message-ID", mail_message_id(when, mail_host_domain()),
			false, "");

	std::string text = mail_normalize_line_ends(fText);
	if (!text.empty() && text.back() != '\n')
		text += '\n';
	std::string charset = fTextCharset;
	std::string body;
	if (!mail_is_valid_utf8(text)) {
		// Not UTF-8: it goes as it is; quoted-printable keeps every byte.
		charset = mail_charset_for_other_bytes(charset);
		body = text;
	} else if (!mail_convert_from_utf8(text, charset, body)) {
		// The set asked for cannot hold the text: UTF-8 loses nothing.
		charset = "utf-8";
		body = text;
	}
	bool encode = mail_needs_transfer_encoding(body);

	message += "MIME-Version: 1.0\n";
	message += "Content-Type: text/plain; charset=" + charset + "\n";
	message += std::string("Content-Transfer-Encoding: ")
		+ (encode ? "quoted-printable" : "7bit") + "\n";
	message += "\n";
	message += encode ? mail_quoted_printable(body) : body;
	return message;
}


MailDraft::Field*
MailDraft::_Find(const std::string& name)
{
	std::string key = lower(name);
	for (Field& field : fFields) {
		if (lower(field.name) == key)
			return &field;
	}
	return NULL;
}


const MailDraft::Field*
MailDraft::_Find(const std::string& name) const
{
	return const_cast<MailDraft*>(this)->_Find(name);
}

} // namespace BPrivate
