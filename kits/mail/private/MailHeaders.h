#ifndef _MAIL_HEADERS_H
#define _MAIL_HEADERS_H

#include <time.h>

#include <string>
#include <vector>

namespace BPrivate {

// What the filing needs of a mail's header block: the fields decoded to
// UTF-8, and what could not be read, one sentence each.
struct mail_headers {
	bool hasHeaders = false;
	bool hasEnd = false;  // the blank line that ends the header block
	std::string from;
	std::string to;
	std::string subject;
	time_t when = -1;  // -1: no readable Date field
	std::vector<std::string> problems;
};

mail_headers parse_mail_headers(const char* data, size_t size);

// Decodes the RFC 2047 encoded words of a header field's value to UTF-8.
// A word that cannot be decoded (bad encoding, a charset iconv does not
// know) stays as it was written, and a problem is noted.
std::string decode_header_value(const std::string& value, std::vector<std::string>* problems);

// Seconds since the epoch for an RFC 5322 date, or -1.
time_t parse_mail_date(const std::string& value);

// Valid UTF-8 stays; anything else is read as Latin-1, the usual charset of
// raw 8-bit headers.
std::string to_utf8(const std::string& text);

// Cuts text to at most limit bytes without splitting a UTF-8 sequence.
std::string cut_utf8(const std::string& text, size_t limit);

}  // namespace BPrivate

#endif
