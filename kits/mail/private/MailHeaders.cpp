#include "MailHeaders.h"

#include <ctype.h>
#include <errno.h>
#include <iconv.h>
#include <string.h>
#include <strings.h>

namespace BPrivate {

namespace {

bool
valid_utf8(const std::string& text)
{
	size_t i = 0;
	while (i < text.size()) {
		unsigned char c = text[i];
		size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2
			: (c & 0xF8) == 0xF0 ? 3 : 4;
		if (extra == 4 || (extra == 1 && c < 0xC2) || i + extra >= text.size())
			return false;
		for (size_t k = 1; k <= extra; k++) {
			if (((unsigned char)text[i + k] & 0xC0) != 0x80)
				return false;
		}
		i += extra + 1;
	}
	return true;
}

int
hex_value(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	c = tolower((unsigned char)c);
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	return -1;
}

bool
decode_q(const std::string& text, std::string* out)
{
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] == '_')
			*out += ' ';
		else if (text[i] == '=') {
			int high = i + 1 < text.size() ? hex_value(text[i + 1]) : -1;
			int low = i + 2 < text.size() ? hex_value(text[i + 2]) : -1;
			if (high < 0 || low < 0)
				return false;
			*out += (char)(high * 16 + low);
			i += 2;
		} else
			*out += text[i];
	}
	return true;
}

bool
decode_b(const std::string& text, std::string* out)
{
	static const char kAlphabet[]
		= "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
	uint32_t bits = 0;
	int count = 0;
	size_t padding = 0;
	for (char c : text) {
		if (c == '=') {
			padding++;
			continue;
		}
		if (padding > 0)
			return false;
		const char* at = c != '\0' ? strchr(kAlphabet, c) : NULL;
		if (at == NULL)
			return false;
		bits = (bits << 6) | (uint32_t)(at - kAlphabet);
		count += 6;
		if (count >= 8) {
			count -= 8;
			*out += (char)((bits >> count) & 0xFF);
		}
	}
	// Leftover bits beyond a byte mean a cut word.
	return count < 6 && padding <= 2;
}

// Converts bytes in charset to UTF-8; false when iconv does not know the
// charset (unknown) or the bytes are not valid in it.
bool
convert(const std::string& charset, const std::string& bytes, std::string* out, bool* unknown)
{
	*unknown = false;
	iconv_t cd = iconv_open("UTF-8", charset.c_str());
	if (cd == (iconv_t)-1) {
		*unknown = true;
		return false;
	}
	std::string result;
	char buffer[1024];
	char* in = const_cast<char*>(bytes.data());
	size_t inLeft = bytes.size();
	bool ok = true;
	while (inLeft > 0) {
		char* outPtr = buffer;
		size_t outLeft = sizeof(buffer);
		size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
		result.append(buffer, outPtr - buffer);
		if (done == (size_t)-1 && errno != E2BIG) {
			ok = false;
			break;
		}
	}
	if (ok) {
		char* outPtr = buffer;
		size_t outLeft = sizeof(buffer);
		if (iconv(cd, NULL, NULL, &outPtr, &outLeft) == (size_t)-1)
			ok = false;
		result.append(buffer, outPtr - buffer);
	}
	iconv_close(cd);
	if (ok)
		*out = result;
	return ok;
}

// One encoded word starting at start ("=?"), or false when there is none.
bool
decode_word(const std::string& value, size_t start, size_t* end, std::string* decoded,
	std::vector<std::string>* problems)
{
	size_t q1 = value.find('?', start + 2);
	if (q1 == std::string::npos || q1 + 2 >= value.size() || value[q1 + 2] != '?')
		return false;
	size_t close = value.find("?=", q1 + 3);
	if (close == std::string::npos)
		return false;
	std::string charset = value.substr(start + 2, q1 - start - 2);
	std::string text = value.substr(q1 + 3, close - q1 - 3);
	if (charset.empty() || text.find_first_of(" \t") != std::string::npos)
		return false;
	*end = close + 2;
	std::string word = value.substr(start, *end - start);
	// RFC 2231 adds a language after an asterisk.
	size_t star = charset.find('*');
	if (star != std::string::npos)
		charset.resize(star);

	std::string bytes;
	char encoding = toupper((unsigned char)value[q1 + 1]);
	bool ok = encoding == 'Q' ? decode_q(text, &bytes)
		: encoding == 'B'	  ? decode_b(text, &bytes)
							  : false;
	if (!ok) {
		if (problems != NULL)
			problems->push_back("the encoded word " + cut_utf8(to_utf8(word), 80)
				+ " cannot be decoded; it is kept as written");
		*decoded = to_utf8(word);
		return true;
	}
	bool unknown;
	if (!convert(charset, bytes, decoded, &unknown)) {
		if (problems != NULL) {
			problems->push_back(unknown
					? "the charset \"" + cut_utf8(to_utf8(charset), 40)
						+ "\" is not known here; its word is kept as written"
					: "the encoded word " + cut_utf8(to_utf8(word), 80)
						+ " is not valid " + cut_utf8(to_utf8(charset), 40)
						+ "; it is kept as written");
		}
		*decoded = to_utf8(word);
	}
	return true;
}

}  // namespace

std::string
to_utf8(const std::string& text)
{
	if (valid_utf8(text))
		return text;
	std::string result;
	for (unsigned char c : text) {
		if (c < 0x80)
			result += (char)c;
		else {
			result += (char)(0xC0 | (c >> 6));
			result += (char)(0x80 | (c & 0x3F));
		}
	}
	return result;
}

std::string
cut_utf8(const std::string& text, size_t limit)
{
	if (text.size() <= limit)
		return text;
	size_t end = limit;
	while (end > 0 && ((unsigned char)text[end] & 0xC0) == 0x80)
		end--;
	return text.substr(0, end);
}

std::string
decode_header_value(const std::string& value, std::vector<std::string>* problems)
{
	std::string result;
	std::string pendingSpace;
	bool lastWasEncoded = false;
	size_t i = 0;
	while (i < value.size()) {
		size_t end;
		std::string decoded;
		if (value.compare(i, 2, "=?") == 0 && decode_word(value, i, &end, &decoded, problems)) {
			// Blanks between two encoded words are not part of the text.
			if (!lastWasEncoded)
				result += pendingSpace;
			pendingSpace.clear();
			result += decoded;
			lastWasEncoded = true;
			i = end;
			continue;
		}
		if (value[i] == ' ' || value[i] == '\t') {
			pendingSpace += value[i++];
			continue;
		}
		size_t next = value.find_first_of(" \t", i);
		size_t word = value.find("=?", i + 1);
		size_t stop = std::min(next, word);
		if (stop == std::string::npos)
			stop = value.size();
		result += pendingSpace;
		pendingSpace.clear();
		result += to_utf8(value.substr(i, stop - i));
		lastWasEncoded = false;
		i = stop;
	}
	result += pendingSpace;
	// A NUL would end the string attribute early; line breaks have no place
	// in one line of text.
	for (char& c : result) {
		if (c == '\0' || c == '\r' || c == '\n')
			c = ' ';
	}
	return result;
}

time_t
parse_mail_date(const std::string& value)
{
	static const char* kMonths[]
		= {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
	const char* p = value.c_str();
	while (*p == ' ' || *p == '\t')
		p++;
	// An optional day name and comma.
	const char* comma = strchr(p, ',');
	if (comma != NULL && comma - p <= 9)
		p = comma + 1;
	int day, year, hour, minute, second = 0;
	char month[4] = {};
	int used = 0;
	if (sscanf(p, " %d %3s %d %d:%d%n", &day, month, &year, &hour, &minute, &used) != 5)
		return -1;
	p += used;
	if (*p == ':') {
		int more = 0;
		if (sscanf(p, ":%d%n", &second, &more) != 1)
			return -1;
		p += more;
	}
	int monthIndex = -1;
	for (int m = 0; m < 12; m++) {
		if (strcasecmp(month, kMonths[m]) == 0)
			monthIndex = m;
	}
	if (monthIndex < 0 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
		return -1;
	if (year < 50)
		year += 2000;
	else if (year < 1000)
		year += 1900;
	struct tm tm = {};
	tm.tm_year = year - 1900;
	tm.tm_mon = monthIndex;
	tm.tm_mday = day;
	tm.tm_hour = hour;
	tm.tm_min = minute;
	tm.tm_sec = second;
	time_t when = timegm(&tm);
	while (*p == ' ' || *p == '\t')
		p++;
	int zone;
	if ((*p == '+' || *p == '-') && sscanf(p + 1, "%4d", &zone) == 1) {
		int offset = (zone / 100) * 3600 + (zone % 100) * 60;
		when -= *p == '+' ? offset : -offset;
	}
	return when;
}

mail_headers
parse_mail_headers(const char* data, size_t size)
{
	mail_headers headers;
	std::string from, to, subject, date;
	std::string* current = NULL;
	size_t i = 0;
	while (i < size) {
		const char* lineEnd = (const char*)memchr(data + i, '\n', size - i);
		size_t end = lineEnd != NULL ? lineEnd - data : size;
		size_t next = lineEnd != NULL ? end + 1 : size;
		size_t length = end - i;
		if (length > 0 && data[i + length - 1] == '\r')
			length--;
		std::string line(data + i, length);
		if (line.empty()) {
			headers.hasEnd = lineEnd != NULL || headers.hasHeaders;
			break;
		}
		if (line[0] == ' ' || line[0] == '\t') {
			if (!headers.hasHeaders)
				break;
			if (current != NULL)
				*current += line;
			i = next;
			continue;
		}
		size_t colon = line.find(':');
		bool field = colon != std::string::npos && colon > 0;
		for (size_t k = 0; field && k < colon; k++)
			field = line[k] > 32 && line[k] < 127;
		if (!field)
			break;
		headers.hasHeaders = true;
		std::string name = line.substr(0, colon);
		std::string value = line.substr(colon + 1);
		current = NULL;
		if (strcasecmp(name.c_str(), "From") == 0)
			current = &from;
		else if (strcasecmp(name.c_str(), "To") == 0)
			current = &to;
		else if (strcasecmp(name.c_str(), "Subject") == 0)
			current = &subject;
		else if (strcasecmp(name.c_str(), "Date") == 0)
			current = &date;
		// The first of a repeated field counts.
		if (current != NULL && !current->empty())
			current = NULL;
		if (current != NULL)
			*current = value.empty() ? std::string(" ") : value;
		i = next;
	}
	auto trim = [](std::string text) {
		size_t first = text.find_first_not_of(" \t");
		size_t last = text.find_last_not_of(" \t");
		return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
	};
	headers.from = decode_header_value(trim(from), &headers.problems);
	headers.to = decode_header_value(trim(to), &headers.problems);
	headers.subject = decode_header_value(trim(subject), &headers.problems);
	if (!date.empty()) {
		headers.when = parse_mail_date(date);
		if (headers.when == -1)
			headers.problems.push_back("its date \"" + cut_utf8(to_utf8(trim(date)), 80)
				+ "\" cannot be read; the time it was filed is used");
	}
	if (!headers.hasHeaders)
		headers.problems.push_back("it has no header fields");
	else if (!headers.hasEnd)
		headers.problems.push_back("its header block does not end (the mail may be cut)");
	return headers;
}

}  // namespace BPrivate
