#ifndef _TEST_MAIL_SHAPES_H
#define _TEST_MAIL_SHAPES_H

// Checks of the shapes RFC 5322 and RFC 2047 give header values, written out
// by hand (std::regex draws false warnings from GCC 12 in sanitizer builds).
#include <ctype.h>

#include <string>
#include <vector>

inline bool
is_digits(const std::string& text, size_t from, size_t count)
{
	if (from + count > text.size())
		return false;
	for (size_t i = from; i < from + count; i++) {
		if (!isdigit((unsigned char)text[i]))
			return false;
	}
	return true;
}


inline bool
is_domain(const std::string& text)
{
	if (text.empty())
		return false;
	for (unsigned char c : text) {
		if (!isalnum(c) && c != '.' && c != '-')
			return false;
	}
	return true;
}


// "local@domain" with no blanks or brackets in the local part.
inline bool
is_plain_address(const std::string& text)
{
	size_t at = text.find('@');
	if (at == 0 || at == std::string::npos || text.find('@', at + 1) != std::string::npos)
		return false;
	if (text.substr(0, at).find_first_of(" \t<>") != std::string::npos)
		return false;
	return is_domain(text.substr(at + 1));
}


inline bool
is_message_id(const std::string& text)
{
	return text.size() > 2 && text.front() == '<' && text.back() == '>'
		&& is_plain_address(text.substr(1, text.size() - 2));
}


// "Wed, 15 Nov 2023 03:43:20 +0530"
inline bool
is_rfc5322_date(const std::string& text)
{
	static const std::string kDays = "Mon Tue Wed Thu Fri Sat Sun";
	static const std::string kMonths = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec";
	if (text.size() != 31)
		return false;
	return kDays.find(text.substr(0, 3)) % 4 == 0 && text.compare(3, 2, ", ") == 0
		&& is_digits(text, 5, 2) && text[7] == ' '
		&& kMonths.find(text.substr(8, 3)) % 4 == 0 && text[11] == ' '
		&& is_digits(text, 12, 4) && text[16] == ' ' && is_digits(text, 17, 2)
		&& text[19] == ':' && is_digits(text, 20, 2) && text[22] == ':'
		&& is_digits(text, 23, 2) && text[25] == ' ' && (text[26] == '+' || text[26] == '-')
		&& is_digits(text, 27, 4);
}


struct EncodedWord {
	std::string whole;
	std::string charset;
	std::string text;
};


// The "=?charset?Q?text?=" words in a header value.
inline std::vector<EncodedWord>
encoded_words(const std::string& value)
{
	std::vector<EncodedWord> words;
	size_t start = 0;
	while ((start = value.find("=?", start)) != std::string::npos) {
		size_t q = value.find("?Q?", start + 2);
		size_t end = q == std::string::npos ? q : value.find("?=", q + 3);
		if (end == std::string::npos)
			break;
		words.push_back({value.substr(start, end + 2 - start),
			value.substr(start + 2, q - start - 2), value.substr(q + 3, end - q - 3)});
		start = end + 2;
	}
	return words;
}

#endif
