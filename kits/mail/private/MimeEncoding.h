#ifndef _MAIL_MIME_ENCODING_H
#define _MAIL_MIME_ENCODING_H

#include <SupportDefs.h>

#include <string>
#include <time.h>

// The text encodings of an outgoing mail. Text comes in as UTF-8 with LF
// line ends, and leaves with LF line ends, as sendmail reads it.
namespace BPrivate {

// The MIME name of the character set a BeOS conversion stands for, or NULL.
const char* mail_charset_for_conversion(uint32 conversion);

// The MIME name for a character set named by a caller ("UTF8" -> "utf-8"),
// or an empty string when it is not a name we can convert to.
std::string mail_charset_from_name(const char* name);

bool mail_is_valid_utf8(const std::string& text);

// The set to declare for text that is not UTF-8 after all: most likely it is
// already in the set asked for, as older programs gave it; if that set is
// UTF-8, ISO-8859-1, where every byte is a character. Nothing is dropped.
std::string mail_charset_for_other_bytes(const std::string& charset);

// The UTF-8 text in the character set; false when the set cannot hold every
// character (nothing is replaced or dropped).
bool mail_convert_from_utf8(const std::string& text, const std::string& charset,
	std::string& converted);

// CR LF and lone CR become LF.
std::string mail_normalize_line_ends(const std::string& text);

// Whether the text cannot travel as 7bit: 8-bit bytes, control characters or
// lines longer than SMTP allows.
bool mail_needs_transfer_encoding(const std::string& text);

// Quoted-printable (RFC 2045) with lines of at most 76 characters.
std::string mail_quoted_printable(const std::string& text);

// Control characters, CR and LF above all, become blanks, so that a value
// can never start a header line of its own; outer blanks are trimmed.
std::string mail_clean_header_value(const std::string& value);

// One header field, folded to lines of at most 78 characters where it has
// room to fold, and ending in LF. With encodeWords, text beyond printable
// ASCII goes into RFC 2047 encoded-words, in the given character set if it
// holds the text and in UTF-8 otherwise.
std::string mail_header_field(const std::string& name, const std::string& value,
	bool encodeWords, const std::string& charset);

// The date as RFC 5322 writes it, in local time with its offset.
std::string mail_date(time_t when);

// A new Message-ID, "<unique@domain>", different on every call.
std::string mail_message_id(time_t when, const std::string& domain);

} // namespace BPrivate

#endif
