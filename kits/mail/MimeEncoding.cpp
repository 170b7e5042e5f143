#include "MimeEncoding.h"

#include <E-mail.h>

#include <errno.h>
#include <iconv.h>
#include <stdio.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace BPrivate {

namespace {

const char* const kConversionCharsets[] = {
	"iso-8859-1", "iso-8859-2", "iso-8859-3", "iso-8859-4", "iso-8859-5",
	"iso-8859-6", "iso-8859-7", "iso-8859-8", "iso-8859-9", "iso-8859-10",
	"macintosh", "shift_jis", "euc-jp", "iso-2022-jp", "windows-1252",
	// B_UNICODE_CONVERSION is UCS-2, which no mail reader takes as text.
	"utf-8",
	"koi8-r", "windows-1251", "ibm866", "ibm437", "euc-kr",
	"iso-8859-13", "iso-8859-14", "iso-8859-15",
};

const size_t kFoldWidth = 78;
const size_t kEncodedWordLength = 75;
const size_t kEncodedLineWidth = 76;
const size_t kQuotedPrintableWidth = 76;
const size_t kSmtpLineLength = 998;

const char kHex[] = "0123456789ABCDEF";


void
append_hex(std::string& out, unsigned char byte)
{
	out += '=';
	out += kHex[byte >> 4];
	out += kHex[byte & 0xf];
}


bool
is_utf8_lead(unsigned char byte)
{
	return (byte & 0xc0) != 0x80;
}


// The UTF-8 text cut into its characters.
std::vector<std::string>
utf8_characters(const std::string& text)
{
	std::vector<std::string> characters;
	for (size_t i = 0; i < text.size();) {
		size_t end = i + 1;
		while (end < text.size() && !is_utf8_lead((unsigned char)text[end]))
			end++;
		characters.push_back(text.substr(i, end - i));
		i = end;
	}
	return characters;
}


// RFC 2047 "Q" for one character: only what is safe in every header place
// stays as it is.
std::string
q_encoded(const std::string& bytes)
{
	std::string out;
	for (unsigned char c : bytes) {
		if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
			|| c == '!' || c == '*' || c == '+' || c == '-' || c == '/')
			out += (char)c;
		else if (c == ' ')
			out += '_';
		else
			append_hex(out, c);
	}
	return out;
}


bool
is_printable_ascii(const std::string& text)
{
	for (unsigned char c : text) {
		if ((c < 0x20 && c != '\t') || c > 0x7e)
			return false;
	}
	return true;
}


size_t
longest_word(const std::string& text)
{
	size_t longest = 0;
	size_t current = 0;
	for (char c : text) {
		current = (c == ' ' || c == '\t') ? 0 : current + 1;
		longest = std::max(longest, current);
	}
	return longest;
}


// "Name: value" broken before blanks so that lines keep to the fold width
// where the words allow it.
std::string
folded_field(const std::string& name, const std::string& value)
{
	std::string line = name + ": " + value;
	std::string out;
	size_t start = 0;
	size_t firstBreak = name.size() + 2;
	while (line.size() - start > kFoldWidth) {
		size_t limit = start + kFoldWidth;
		size_t blank = std::string::npos;
		for (size_t i = limit; i > start + 1 && i >= firstBreak; i--) {
			if (line[i] == ' ' || line[i] == '\t') {
				blank = i;
				break;
			}
		}
		if (blank == std::string::npos) {
			// A word longer than a line: break after it.
			blank = line.find_first_of(" \t", limit);
			if (blank == std::string::npos)
				break;
		}
		out.append(line, start, blank - start);
		out += '\n';
		start = blank;
	}
	out.append(line, start, std::string::npos);
	out += '\n';
	return out;
}


// The value as encoded-words, each at most 75 characters and one to a line.
std::string
encoded_field(const std::string& name, const std::string& value, const std::string& charset)
{
	std::vector<std::string> characters = utf8_characters(value);
	std::string wordCharset = "utf-8";
	std::vector<std::string> encoded;
	if (!mail_is_valid_utf8(value)) {
		wordCharset = mail_charset_for_other_bytes(charset);
		for (char byte : value)
			encoded.push_back(q_encoded(std::string(1, byte)));
	} else if (charset != "utf-8") {
		// Only a set of one byte a character can be cut between any two
		// characters; the others are left to UTF-8.
		wordCharset = charset;
		for (const std::string& character : characters) {
			std::string converted;
			if (!mail_convert_from_utf8(character, charset, converted)
				|| converted.size() != 1) {
				wordCharset = "utf-8";
				encoded.clear();
				break;
			}
			encoded.push_back(q_encoded(converted));
		}
	}
	if (encoded.empty()) {
		for (const std::string& character : characters)
			encoded.push_back(q_encoded(character));
	}

	// RFC 2047 keeps lines holding encoded-words to 76 characters.
	const std::string prefix = "=?" + wordCharset + "?Q?";
	const std::string suffix = "?=";
	const size_t smallestWord = prefix.size() + suffix.size() + 12;
	std::string out = name + ":";
	size_t capacity = 0;
	if (out.size() + 1 < kEncodedLineWidth)
		capacity = std::min(kEncodedWordLength, kEncodedLineWidth - 1 - out.size());
	if (capacity < smallestWord) {
		out += '\n';
		capacity = kEncodedWordLength;
	}
	std::string word;
	bool firstWord = true;
	auto flush = [&]() {
		if (!firstWord)
			out += '\n';
		out += ' ';
		out += prefix + word + suffix;
		firstWord = false;
		word.clear();
		capacity = kEncodedWordLength;
	};
	for (const std::string& piece : encoded) {
		if (!word.empty() && prefix.size() + word.size() + piece.size() + suffix.size() > capacity)
			flush();
		word += piece;
	}
	if (!word.empty())
		flush();
	out += '\n';
	return out;
}

} // namespace


const char*
mail_charset_for_conversion(uint32 conversion)
{
	if (conversion >= sizeof(kConversionCharsets) / sizeof(kConversionCharsets[0]))
		return NULL;
	return kConversionCharsets[conversion];
}


std::string
mail_charset_from_name(const char* name)
{
	if (name == NULL || name[0] == '\0')
		return std::string();
	std::string charset;
	for (const char* c = name; *c != '\0'; c++) {
		char lower = (*c >= 'A' && *c <= 'Z') ? *c - 'A' + 'a' : *c;
		// The name goes into a header: only the characters of charset names.
		if (!((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9') || lower == '-'
				|| lower == '_' || lower == '.' || lower == ':' || lower == '+'))
			return std::string();
		charset += lower;
	}
	if (charset == "utf8" || charset == "utf-8")
		return "utf-8";
	iconv_t converter = iconv_open(charset.c_str(), "UTF-8");
	if (converter == (iconv_t)-1)
		return std::string();
	iconv_close(converter);
	return charset;
}


std::string
mail_charset_for_other_bytes(const std::string& charset)
{
	return charset == "utf-8" ? "iso-8859-1" : charset;
}


bool
mail_is_valid_utf8(const std::string& text)
{
	size_t i = 0;
	while (i < text.size()) {
		unsigned char c = text[i];
		size_t length;
		uint32 codePoint;
		if (c < 0x80) {
			i++;
			continue;
		} else if ((c & 0xe0) == 0xc0) {
			length = 2;
			codePoint = c & 0x1f;
		} else if ((c & 0xf0) == 0xe0) {
			length = 3;
			codePoint = c & 0x0f;
		} else if ((c & 0xf8) == 0xf0) {
			length = 4;
			codePoint = c & 0x07;
		} else
			return false;
		if (i + length > text.size())
			return false;
		for (size_t k = 1; k < length; k++) {
			unsigned char next = text[i + k];
			if ((next & 0xc0) != 0x80)
				return false;
			codePoint = (codePoint << 6) | (next & 0x3f);
		}
		static const uint32 kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
		if (codePoint < kSmallest[length] || codePoint > 0x10ffff
			|| (codePoint >= 0xd800 && codePoint <= 0xdfff))
			return false;
		i += length;
	}
	return true;
}


bool
mail_convert_from_utf8(const std::string& text, const std::string& charset,
	std::string& converted)
{
	converted.clear();
	if (charset == "utf-8") {
		converted = text;
		return mail_is_valid_utf8(text);
	}
	iconv_t converter = iconv_open(charset.c_str(), "UTF-8");
	if (converter == (iconv_t)-1)
		return false;
	char* in = const_cast<char*>(text.data());
	size_t inLeft = text.size();
	char buffer[4096];
	bool ok = true;
	while (inLeft > 0) {
		char* out = buffer;
		size_t outLeft = sizeof(buffer);
		size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
		converted.append(buffer, out - buffer);
		if (result == (size_t)-1 && errno == E2BIG)
			continue;
		// Any other failure, or a character only approximated, loses text.
		if (result != 0) {
			ok = false;
			break;
		}
	}
	if (ok) {
		// Ends a set with shift states (ISO-2022-JP) in its initial state.
		char* out = buffer;
		size_t outLeft = sizeof(buffer);
		iconv(converter, NULL, NULL, &out, &outLeft);
		converted.append(buffer, out - buffer);
	}
	iconv_close(converter);
	if (!ok)
		converted.clear();
	return ok;
}


std::string
mail_normalize_line_ends(const std::string& text)
{
	std::string out;
	out.reserve(text.size());
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] == '\r') {
			out += '\n';
			if (i + 1 < text.size() && text[i + 1] == '\n')
				i++;
		} else
			out += text[i];
	}
	return out;
}


bool
mail_needs_transfer_encoding(const std::string& text)
{
	size_t lineLength = 0;
	for (unsigned char c : text) {
		if (c == '\n') {
			lineLength = 0;
			continue;
		}
		if ((c < 0x20 && c != '\t') || c > 0x7e)
			return true;
		if (++lineLength > kSmtpLineLength)
			return true;
	}
	return false;
}


std::string
mail_quoted_printable(const std::string& text)
{
	std::string out;
	out.reserve(text.size() + text.size() / 4);
	size_t lineStart = 0;
	while (lineStart < text.size()) {
		size_t lineEnd = text.find('\n', lineStart);
		bool hasEnd = lineEnd != std::string::npos;
		if (!hasEnd)
			lineEnd = text.size();
		size_t column = 0;
		for (size_t i = lineStart; i < lineEnd; i++) {
			unsigned char c = text[i];
			bool last = i + 1 == lineEnd;
			std::string token;
			if ((c == ' ' || c == '\t') && last)
				append_hex(token, c);
			else if (c == '=' || (c < 0x20 && c != '\t') || c > 0x7e)
				append_hex(token, c);
			else if (i == lineStart && c == 'F' && text.compare(i, 5, "From ") == 0)
				// Keeps mbox readers from taking the line for a new mail.
				append_hex(token, c);
			else
				token = (char)c;
			// The soft break "=" needs the last column, unless nothing follows.
			size_t limit = last ? kQuotedPrintableWidth : kQuotedPrintableWidth - 1;
			if (column + token.size() > limit) {
				out += "=\n";
				column = 0;
			}
			out += token;
			column += token.size();
		}
		out += '\n';
		lineStart = hasEnd ? lineEnd + 1 : lineEnd;
	}
	return out;
}


std::string
mail_clean_header_value(const std::string& value)
{
	std::string out;
	out.reserve(value.size());
	bool inBreak = false;
	for (unsigned char c : value) {
		if (c == '\r' || c == '\n') {
			if (!inBreak)
				out += ' ';
			inBreak = true;
			continue;
		}
		inBreak = false;
		out += ((c < 0x20 && c != '\t') || c == 0x7f) ? ' ' : (char)c;
	}
	size_t first = out.find_first_not_of(" \t");
	if (first == std::string::npos)
		return std::string();
	size_t last = out.find_last_not_of(" \t");
	return out.substr(first, last - first + 1);
}


std::string
mail_header_field(const std::string& name, const std::string& value, bool encodeWords,
	const std::string& charset)
{
	std::string clean = mail_clean_header_value(value);
	if (encodeWords && !clean.empty()
		&& (!is_printable_ascii(clean) || longest_word(clean) > kSmtpLineLength / 2))
		return encoded_field(name, clean, charset.empty() ? "iso-8859-1" : charset);
	return folded_field(name, clean);
}


std::string
mail_date(time_t when)
{
	static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
	static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul",
		"Aug", "Sep", "Oct", "Nov", "Dec"};
	struct tm local;
	if (localtime_r(&when, &local) == NULL)
		gmtime_r(&when, &local);
	long offset = local.tm_gmtoff / 60;
	char sign = offset < 0 ? '-' : '+';
	if (offset < 0)
		offset = -offset;
	char buffer[64];
	snprintf(buffer, sizeof(buffer), "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
		kDays[local.tm_wday % 7], local.tm_mday, kMonths[local.tm_mon % 12],
		local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, sign, offset / 60,
		offset % 60);
	return buffer;
}


std::string
mail_message_id(time_t when, const std::string& domain)
{
	static std::atomic<uint32> sCounter{0};
	uint64 random = 0;
	if (getrandom(&random, sizeof(random), GRND_NONBLOCK) != (ssize_t)sizeof(random)) {
		struct timespec now;
		clock_gettime(CLOCK_REALTIME, &now);
		random = ((uint64)now.tv_nsec << 20) ^ (uint64)now.tv_sec ^ ((uint64)getpid() << 40);
	}
	struct tm utc;
	gmtime_r(&when, &utc);
	char buffer[128];
	snprintf(buffer, sizeof(buffer), "<%04d%02d%02d%02d%02d%02d.%d.%u.%016llx@",
		utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
		(int)getpid(), (unsigned)++sCounter, (unsigned long long)random);
	return buffer + domain + ">";
}

} // namespace BPrivate
