// Reading a mail's header block: RFC 2047 words through iconv, raw 8-bit
// text, folded lines, dates and what cannot be read.
#include <MailHeaders.h>

#include <gtest/gtest.h>

#include <string>

using namespace BPrivate;

namespace {

std::string
decoded(const std::string& value, std::vector<std::string>* problems = NULL)
{
	std::vector<std::string> ignored;
	return decode_header_value(value, problems != NULL ? problems : &ignored);
}

}  // namespace

TEST(MailHeadersTest, EncodedWordsOfAnyKnownCharsetBecomeUtf8)
{
	EXPECT_EQ(decoded("=?UTF-8?B?w6ljaGVj?="), "\xc3\xa9" "chec");
	EXPECT_EQ(decoded("=?iso-8859-1?q?caf=E9_cr=E8me?="), "caf\xc3\xa9 cr\xc3\xa8me");
	EXPECT_EQ(decoded("=?KOI8-R?B?8NLJ18XU?="), "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82");
	EXPECT_EQ(decoded("=?ISO-2022-JP?B?GyRCJEskWyRzGyhC?="), "\xe3\x81\xab\xe3\x81\xbb\xe3\x82\x93");
	// Blanks between two words vanish; those beside plain text stay.
	EXPECT_EQ(decoded("=?UTF-8?Q?a?= =?UTF-8?Q?b?=  plain =?UTF-8?Q?c?="), "ab  plain c");
	EXPECT_EQ(decoded("=?UTF-8*fr?Q?d=C3=A9j=C3=A0?="), "d\xc3\xa9j\xc3\xa0");
	// Raw 8-bit text that is not UTF-8 is read as Latin-1.
	EXPECT_EQ(decoded("caf\xe9"), "caf\xc3\xa9");
	EXPECT_EQ(decoded("caf\xc3\xa9"), "caf\xc3\xa9");
	// A NUL or line break never reaches the one-line attribute.
	EXPECT_EQ(decoded("=?UTF-8?Q?a=00b=0Ac?="), "a b c");
}

TEST(MailHeadersTest, WordsThatCannotBeDecodedStayAsWrittenWithAProblemNoted)
{
	for (const char* word : {"=?UTF-8?B?@@@?=", "=?UTF-8?Q?bad=ZZhex?=", "=?UTF-8?X?what?=",
			 "=?no-such-charset?Q?x?=", "=?UTF-8?B?/w==?="}) {
		std::vector<std::string> problems;
		EXPECT_EQ(decoded(std::string("a ") + word + " b", &problems),
			std::string("a ") + word + " b");
		EXPECT_EQ(problems.size(), 1u) << word;
	}
	std::vector<std::string> problems;
	// Not an encoded word at all: no problem.
	EXPECT_EQ(decoded("=? what =?", &problems), "=? what =?");
	EXPECT_TRUE(problems.empty());
}

TEST(MailHeadersTest, TheHeaderBlockIsUnfoldedAndEndsAtTheFirstBlankLine)
{
	std::string mail = "Received: x\r\nsubject: one\r\n two\r\nFrom: a@b\r\nSubject: second\r\n"
					   "Date: 1 Jan 2027 00:00:00 -0130\r\n\r\nTo: body@x\r\n";
	mail_headers headers = parse_mail_headers(mail.data(), mail.size());
	EXPECT_TRUE(headers.hasHeaders);
	EXPECT_TRUE(headers.hasEnd);
	EXPECT_EQ(headers.subject, "one two");
	EXPECT_EQ(headers.from, "a@b");
	EXPECT_EQ(headers.to, "");
	EXPECT_EQ(headers.when, 1798761600 + 5400);
	EXPECT_TRUE(headers.problems.empty());

	std::string lf = "Subject: unix\nDate: Fri, 31 Dec 99 23:59 GMT\n\nbody";
	headers = parse_mail_headers(lf.data(), lf.size());
	EXPECT_EQ(headers.subject, "unix");
	EXPECT_EQ(headers.when, 946684740);

	std::string none = "hello there\n\nmore";
	headers = parse_mail_headers(none.data(), none.size());
	EXPECT_FALSE(headers.hasHeaders);
	EXPECT_EQ(headers.problems.size(), 1u);

	std::string badDate = "Subject: s\nDate: yesterday\n\n";
	headers = parse_mail_headers(badDate.data(), badDate.size());
	EXPECT_EQ(headers.when, -1);
	EXPECT_EQ(headers.problems.size(), 1u);
}

TEST(MailHeadersTest, CuttingKeepsWholeUtf8Sequences)
{
	EXPECT_EQ(cut_utf8("ab\xc3\xa9", 3), "ab");
	EXPECT_EQ(cut_utf8("ab\xc3\xa9", 4), "ab\xc3\xa9");
	EXPECT_EQ(cut_utf8("\xe2\x82\xac\xe2\x82\xac", 5), "\xe2\x82\xac");
}
