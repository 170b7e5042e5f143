// The message BMailMessage hands to sendmail: headers, encodings, charset
// choice and refused input, read from the composed text.
#include <MailMessage.h>

#include "MailDraft.h"
#include "MailShapes.h"
#include "MailIdentity.h"
#include "MimeEncoding.h"
#include "Sendmail.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <string>
#include <vector>

using BPrivate::MailDraft;

namespace {

struct Parsed {
	std::vector<std::string> rawHeaderLines;
	// Unfolded "Name: value" fields.
	std::vector<std::pair<std::string, std::string>> fields;
	std::string body;
};


Parsed
parse(const std::string& message)
{
	Parsed parsed;
	size_t split = message.find("\n\n");
	EXPECT_NE(split, std::string::npos) << message;
	std::string head = message.substr(0, split + 1);
	parsed.body = message.substr(split + 2);
	size_t start = 0;
	while (start < head.size()) {
		size_t end = head.find('\n', start);
		std::string line = head.substr(start, end - start);
		parsed.rawHeaderLines.push_back(line);
		if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
			EXPECT_FALSE(parsed.fields.empty());
			if (!parsed.fields.empty())
				parsed.fields.back().second += line;
		} else {
			size_t colon = line.find(": ");
			EXPECT_NE(colon, std::string::npos) << "not a header line: " << line;
			if (colon != std::string::npos)
				parsed.fields.push_back({line.substr(0, colon), line.substr(colon + 2)});
		}
		start = end + 1;
	}
	return parsed;
}


std::vector<std::string>
values(const Parsed& parsed, const std::string& name)
{
	std::vector<std::string> found;
	for (const auto& field : parsed.fields) {
		if (strcasecmp(field.first.c_str(), name.c_str()) == 0)
			found.push_back(field.second);
	}
	return found;
}


std::string
value(const Parsed& parsed, const std::string& name)
{
	std::vector<std::string> found = values(parsed, name);
	EXPECT_EQ(found.size(), 1u) << name;
	return found.empty() ? std::string() : found[0];
}


int
hex_digit(char c)
{
	return c <= '9' ? c - '0' : c - 'A' + 10;
}


// Quoted-printable back to bytes (RFC 2045), for LF line ends.
std::string
decode_qp(const std::string& text)
{
	std::string out;
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] != '=') {
			out += text[i];
		} else if (i + 1 < text.size() && text[i + 1] == '\n') {
			i++;
		} else {
			EXPECT_LT(i + 2, text.size());
			out += (char)(hex_digit(text[i + 1]) * 16 + hex_digit(text[i + 2]));
			i += 2;
		}
	}
	return out;
}


// The encoded-words of an unfolded header value: their charset and the bytes.
std::string
decode_words(const std::string& value, std::string& charset)
{
	std::string out;
	for (const EncodedWord& word : encoded_words(value)) {
		charset = word.charset;
		std::string text = word.text;
		for (char& c : text) {
			if (c == '_')
				c = ' ';
		}
		out += decode_qp(text);
	}
	return out;
}


std::string
compose(const char* text, uint32 conversion = B_ISO1_CONVERSION)
{
	MailDraft draft;
	EXPECT_EQ(draft.AddField(B_MAIL_TO, "friend@example.org", "iso-8859-1", false), B_OK);
	EXPECT_EQ(draft.AddText(text, strlen(text),
		BPrivate::mail_charset_for_conversion(conversion), false), B_OK);
	return draft.Compose(1700000000);
}


class ScopedTimeZone {
public:
	ScopedTimeZone(const char* zone)
	{
		const char* old = getenv("TZ");
		fHad = old != NULL;
		if (fHad)
			fOld = old;
		setenv("TZ", zone, 1);
		tzset();
	}
	~ScopedTimeZone()
	{
		if (fHad)
			setenv("TZ", fOld.c_str(), 1);
		else
			unsetenv("TZ");
		tzset();
	}

private:
	bool fHad;
	std::string fOld;
};

} // namespace


TEST(MailConstants, MatchBeOS)
{
	EXPECT_STREQ(B_MAIL_TO, "To: ");
	EXPECT_STREQ(B_MAIL_SUBJECT, "Subject: ");
	EXPECT_STREQ(B_MAIL_REPLY, "Reply-To: ");
	EXPECT_EQ((uint32)B_MAIL_NO_DAEMON, 0x80008000u);
	EXPECT_EQ((uint32)B_MAIL_INVALID_MAIL, 0x80008007u);
	EXPECT_EQ(B_ISO1_CONVERSION, 0);
	EXPECT_EQ(B_UNICODE_CONVERSION, 15);
	EXPECT_EQ(B_ISO15_CONVERSION, 23);
	EXPECT_STREQ(BPrivate::mail_charset_for_conversion(B_ISO15_CONVERSION), "iso-8859-15");
	EXPECT_EQ(BPrivate::mail_charset_for_conversion(24), nullptr);
}


TEST(MailCompose, HasTheStandardHeadersOnce)
{
	MailDraft draft;
	ASSERT_EQ(draft.AddField(B_MAIL_TO, "friend@example.org", "", false), B_OK);
	ASSERT_EQ(draft.AddField(B_MAIL_SUBJECT, "group", "", false), B_OK);
	ASSERT_EQ(draft.AddText("hello", 5, "iso-8859-1", false), B_OK);
	std::string message = draft.Compose(1700000000);
	EXPECT_EQ(message.find('\r'), std::string::npos) << "sendmail reads LF line ends";

	Parsed parsed = parse(message);
	EXPECT_EQ(value(parsed, "To"), "friend@example.org");
	EXPECT_EQ(value(parsed, "Subject"), "group");
	EXPECT_EQ(value(parsed, "MIME-Version"), "1.0");
	EXPECT_EQ(value(parsed, "Content-Type"), "text/plain; charset=iso-8859-1");
	EXPECT_EQ(value(parsed, "Content-Transfer-Encoding"), "7bit");
	EXPECT_TRUE(is_rfc5322_date(value(parsed, "Date"))) << value(parsed, "Date");
	std::string from = value(parsed, "From");
	EXPECT_EQ(from, BPrivate::mail_default_sender());
	EXPECT_TRUE(is_plain_address(from)) << from;
	std::string id = value(parsed, "Message-ID");
	EXPECT_TRUE(is_message_id(id)) << id;
	EXPECT_EQ(parsed.body, "hello\n");

	// Every mail gets its own Message-ID, even in the same second.
	std::string again = value(parse(draft.Compose(1700000000)), "Message-ID");
	EXPECT_NE(id, again);
}


TEST(MailCompose, DateIsLocalTimeWithItsOffset)
{
	{
		ScopedTimeZone zone("UTC0");
		EXPECT_EQ(BPrivate::mail_date(0), "Thu, 01 Jan 1970 00:00:00 +0000");
	}
	{
		ScopedTimeZone zone("EST5");
		EXPECT_EQ(BPrivate::mail_date(0), "Wed, 31 Dec 1969 19:00:00 -0500");
	}
	{
		ScopedTimeZone zone("IST-5:30");
		EXPECT_EQ(BPrivate::mail_date(1700000000), "Wed, 15 Nov 2023 03:43:20 +0530");
	}
}


TEST(MailCompose, CharsetIsLatin1WhenItHoldsTheTextAndUtf8Otherwise)
{
	struct Case {
		const char* text;
		uint32 conversion;
		const char* charset;
		const char* transfer;
		const char* bytes;
	} cases[] = {
		{"plain text", B_ISO1_CONVERSION, "iso-8859-1", "7bit", "plain text\n"},
		{"caf\xc3\xa9 d\xc3\xa9j\xc3\xa0", B_ISO1_CONVERSION, "iso-8859-1", "quoted-printable",
			"caf\xe9 d\xe9j\xe0\n"},
		// The euro sign is not in ISO-8859-1: the whole text goes as UTF-8.
		{"5 \xe2\x82\xac caf\xc3\xa9", B_ISO1_CONVERSION, "utf-8", "quoted-printable",
			"5 \xe2\x82\xac caf\xc3\xa9\n"},
		{"\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82", B_ISO1_CONVERSION, "utf-8",
			"quoted-printable", "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\n"},
		{"\xe6\x97\xa5\xe6\x9c\xac", B_ISO1_CONVERSION, "utf-8", "quoted-printable",
			"\xe6\x97\xa5\xe6\x9c\xac\n"},
		// A set that holds the euro keeps it.
		{"5 \xe2\x82\xac", B_ISO15_CONVERSION, "iso-8859-15", "quoted-printable", "5 \xa4\n"},
		{"\xd0\x9f\xd1\x80", B_KOI8R_CONVERSION, "koi8-r", "quoted-printable", "\xf0\xd2\n"},
		{"caf\xc3\xa9", B_UNICODE_CONVERSION, "utf-8", "quoted-printable", "caf\xc3\xa9\n"},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.text);
		Parsed parsed = parse(compose(test.text, test.conversion));
		EXPECT_EQ(value(parsed, "Content-Type"),
			std::string("text/plain; charset=") + test.charset);
		EXPECT_EQ(value(parsed, "Content-Transfer-Encoding"), test.transfer);
		std::string bytes = strcmp(test.transfer, "7bit") == 0 ? parsed.body
			: decode_qp(parsed.body);
		EXPECT_EQ(bytes, test.bytes);
	}
}


TEST(MailCompose, CharsetByName)
{
	BMailMessage mail;
	EXPECT_EQ(mail.AddContent("abc", 3, "UTF8"), B_OK);
	EXPECT_EQ(mail.AddContent("abc", 3, "ISO-8859-2"), B_OK);
	EXPECT_EQ(mail.AddContent("abc", 3, "no-such-charset"), B_BAD_VALUE);
	// The name ends up in Content-Type: nothing but a name gets through.
	EXPECT_EQ(mail.AddContent("abc", 3, "utf-8\nBcc: someone@example.org"), B_BAD_VALUE);
	EXPECT_EQ(mail.AddContent("abc", 3, (const char*)NULL), B_BAD_VALUE);
	EXPECT_EQ(mail.AddContent("abc", 3, (uint32)99), B_BAD_VALUE);
	EXPECT_EQ(mail.AddHeaderField((uint32)99, B_MAIL_SUBJECT, "x"), B_BAD_VALUE);

	EXPECT_EQ(BPrivate::mail_charset_from_name("UTF8"), "utf-8");
	EXPECT_EQ(BPrivate::mail_charset_from_name("ISO-8859-2"), "iso-8859-2");
}


TEST(MailCompose, QuotedPrintableKeepsEveryByteInShortLines)
{
	std::string text;
	for (int i = 0; i < 40; i++)
		text += "d\xc3\xa9j\xc3\xa0 = vu\t";
	text += "  \n";
	text += "From the start of a line\n";
	text += "trailing blanks \t\n";
	text += std::string(200, 'x') + "\n";
	text += ".\n";
	text += "no final line end \xe2\x82\xac";
	std::string message = compose(text.c_str());
	Parsed parsed = parse(message);
	EXPECT_EQ(value(parsed, "Content-Transfer-Encoding"), "quoted-printable");

	size_t start = 0;
	while (start < parsed.body.size()) {
		size_t end = parsed.body.find('\n', start);
		ASSERT_NE(end, std::string::npos) << "the body ends with a line end";
		std::string line = parsed.body.substr(start, end - start);
		EXPECT_LE(line.size(), 76u) << line;
		if (!line.empty()) {
			EXPECT_NE(line.back(), ' ') << line;
			EXPECT_NE(line.back(), '\t') << line;
		}
		EXPECT_NE(line.rfind("From ", 0), 0u) << "mbox readers would split the mail";
		for (unsigned char c : line)
			EXPECT_TRUE((c >= 0x20 && c <= 0x7e) || c == '\t') << line;
		start = end + 1;
	}
	EXPECT_EQ(decode_qp(parsed.body), text + "\n");
}


TEST(MailCompose, LineEndsBecomeLf)
{
	Parsed parsed = parse(compose("one\r\ntwo\rthree\nfour\r\n"));
	EXPECT_EQ(parsed.body, "one\ntwo\nthree\nfour\n");
	std::string message = compose("caf\xc3\xa9\r\nline\r\n");
	EXPECT_EQ(message.find('\r'), std::string::npos);
	EXPECT_EQ(decode_qp(parse(message).body), "caf\xe9\nline\n");
}


TEST(MailCompose, SubjectBeyondAsciiGoesInEncodedWords)
{
	struct Case {
		const char* subject;
		const char* charset;
		const char* bytes;
	} cases[] = {
		{"Gr\xc3\xbc\xc3\x9f" "e", "iso-8859-1", "Gr\xfc\xdf" "e"},
		// Not UTF-8: taken as already in the set asked for.
		{"Gr\xfc\xdf" "e", "iso-8859-1", "Gr\xfc\xdf" "e"},
		{"Prix: 5 \xe2\x82\xac, d\xc3\xa9j\xc3\xa0 pay\xc3\xa9", "utf-8",
			"Prix: 5 \xe2\x82\xac, d\xc3\xa9j\xc3\xa0 pay\xc3\xa9"},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.subject);
		MailDraft draft;
		ASSERT_EQ(draft.AddField(B_MAIL_TO, "a@example.org", "iso-8859-1", false), B_OK);
		ASSERT_EQ(draft.AddField(B_MAIL_SUBJECT, test.subject, "iso-8859-1", false), B_OK);
		Parsed parsed = parse(draft.Compose(0));
		std::string charset;
		EXPECT_EQ(decode_words(value(parsed, "Subject"), charset), test.bytes);
		EXPECT_EQ(charset, test.charset);
	}

	// A long one is cut between characters into words of at most 75
	// characters, on lines of at most 76.
	std::string subject;
	for (int i = 0; i < 30; i++)
		subject += "\xe2\x82\xac\xc3\xa9 ";
	subject += "end";
	MailDraft draft;
	ASSERT_EQ(draft.AddField(B_MAIL_TO, "a@example.org", "iso-8859-1", false), B_OK);
	ASSERT_EQ(draft.AddField(B_MAIL_SUBJECT, subject.c_str(), "iso-8859-1", false), B_OK);
	Parsed parsed = parse(draft.Compose(0));
	int subjectLines = 0;
	bool inSubject = false;
	for (const std::string& line : parsed.rawHeaderLines) {
		bool continuation = !line.empty() && line[0] == ' ';
		inSubject = line.rfind("Subject:", 0) == 0 || (inSubject && continuation);
		if (!inSubject)
			continue;
		subjectLines++;
		EXPECT_LE(line.size(), 76u) << line;
		for (const EncodedWord& word : encoded_words(line))
			EXPECT_LE(word.whole.size(), 75u) << word.whole;
	}
	EXPECT_GT(subjectLines, 3);
	std::string charset;
	// The trailing blank of the value is trimmed; the inner ones stay.
	EXPECT_EQ(decode_words(value(parsed, "Subject"), charset), subject);
}


TEST(MailCompose, LongAsciiFieldsFoldAtBlanks)
{
	std::string subject;
	for (int i = 0; i < 30; i++)
		subject += "word" + std::to_string(i) + " ";
	subject += "last";
	MailDraft draft;
	ASSERT_EQ(draft.AddField(B_MAIL_TO, "a@example.org", "", false), B_OK);
	ASSERT_EQ(draft.AddField(B_MAIL_SUBJECT, subject.c_str(), "", false), B_OK);
	Parsed parsed = parse(draft.Compose(0));
	for (const std::string& line : parsed.rawHeaderLines)
		EXPECT_LE(line.size(), 78u) << line;
	EXPECT_EQ(value(parsed, "Subject"), subject) << "unfolding gives the subject back";
}


TEST(MailCompose, LineBreaksInValuesCannotAddHeaders)
{
	MailDraft draft;
	ASSERT_EQ(draft.AddField(B_MAIL_TO, "friend@example.org\r\nCc: spy@example.org", "", false),
		B_OK);
	ASSERT_EQ(draft.AddField(B_MAIL_SUBJECT, "hello\nBcc: spy@example.org\r\n\r\nbody", "",
		false), B_OK);
	ASSERT_EQ(draft.AddField("X-Note: ", "caf\xc3\xa9\rBcc: spy@example.org", "", false), B_OK);
	ASSERT_EQ(draft.AddText("text", 4, "iso-8859-1", false), B_OK);
	Parsed parsed = parse(draft.Compose(0));
	EXPECT_TRUE(values(parsed, "Cc").empty());
	EXPECT_TRUE(values(parsed, "Bcc").empty());
	EXPECT_EQ(value(parsed, "To"), "friend@example.org Cc: spy@example.org");
	EXPECT_EQ(value(parsed, "Subject"), "hello Bcc: spy@example.org body");
	EXPECT_EQ(parsed.body, "text\n");
	for (const std::string& line : parsed.rawHeaderLines)
		EXPECT_EQ(line.find('\r'), std::string::npos);

	// A field name can't hold them either.
	EXPECT_EQ(draft.AddField("X-A\nBcc: ", "x", "", false), B_BAD_VALUE);
	EXPECT_EQ(draft.AddField("Two words: ", "x", "", false), B_BAD_VALUE);
	EXPECT_EQ(draft.AddField(": ", "x", "", false), B_BAD_VALUE);
	EXPECT_EQ(draft.AddField(NULL, "x", "", false), B_BAD_VALUE);
	EXPECT_EQ(draft.AddField(B_MAIL_CC, NULL, "", false), B_BAD_VALUE);
	// The body's own fields are ours to write.
	EXPECT_EQ(draft.AddField("Content-Type: ", "text/html", "", false), B_NOT_ALLOWED);
	EXPECT_EQ(draft.AddField("MIME-Version: ", "2.0", "", true), B_NOT_ALLOWED);
}


TEST(MailCompose, FieldsAddUpOrReplace)
{
	MailDraft draft;
	ASSERT_EQ(draft.AddField(B_MAIL_TO, "a@example.org", "", false), B_OK);
	ASSERT_EQ(draft.AddField(B_MAIL_TO, "b@example.org", "", false), B_OK);
	ASSERT_EQ(draft.AddField(B_MAIL_BCC, "c@example.org", "", false), B_OK);
	ASSERT_EQ(draft.AddField(B_MAIL_SUBJECT, "first", "", false), B_OK);
	EXPECT_EQ(draft.AddField(B_MAIL_SUBJECT, "second", "", false), B_NAME_IN_USE);
	ASSERT_EQ(draft.AddField("X-Tag: ", "one", "", false), B_OK);
	ASSERT_EQ(draft.AddField("X-Tag: ", "two", "", false), B_OK);
	ASSERT_EQ(draft.AddField(B_MAIL_FROM, "Me <me@example.org>", "", false), B_OK);
	ASSERT_EQ(draft.AddField(B_MAIL_DATE, "Mon, 01 Jan 2024 10:00:00 +0100", "", false), B_OK);
	Parsed parsed = parse(draft.Compose(0));
	EXPECT_EQ(value(parsed, "To"), "a@example.org, b@example.org");
	// "sendmail -t" takes Bcc's addresses and removes the field.
	EXPECT_EQ(value(parsed, "Bcc"), "c@example.org");
	EXPECT_EQ(value(parsed, "Subject"), "first");
	EXPECT_EQ(values(parsed, "X-Tag"), (std::vector<std::string>{"one", "two"}));
	EXPECT_EQ(value(parsed, "From"), "Me <me@example.org>");
	EXPECT_EQ(value(parsed, "Date"), "Mon, 01 Jan 2024 10:00:00 +0100");

	ASSERT_EQ(draft.AddField(B_MAIL_TO, "z@example.org", "", true), B_OK);
	ASSERT_EQ(draft.AddField("subject", "second", "", true), B_OK);
	parsed = parse(draft.Compose(0));
	EXPECT_EQ(value(parsed, "To"), "z@example.org");
	EXPECT_EQ(value(parsed, "Subject"), "second");
}


TEST(MailCompose, ContentAddsUpOrReplaces)
{
	MailDraft draft;
	ASSERT_EQ(draft.AddField(B_MAIL_TO, "a@example.org", "", false), B_OK);
	ASSERT_EQ(draft.AddText("one ", 4, "iso-8859-1", false), B_OK);
	ASSERT_EQ(draft.AddText("two and more", 3, "iso-8859-1", false), B_OK);
	EXPECT_EQ(parse(draft.Compose(0)).body, "one two\n");
	ASSERT_EQ(draft.AddText("three", 5, "iso-8859-1", true), B_OK);
	EXPECT_EQ(parse(draft.Compose(0)).body, "three\n");
	EXPECT_EQ(draft.AddText("x", -1, "iso-8859-1", false), B_BAD_VALUE);
	EXPECT_EQ(draft.AddText(NULL, 1, "iso-8859-1", false), B_BAD_VALUE);

	// Bytes that are not UTF-8 are taken as already in the set asked for.
	ASSERT_EQ(draft.AddText("caf\xe9", 4, "iso-8859-1", true), B_OK);
	Parsed parsed = parse(draft.Compose(0));
	EXPECT_EQ(value(parsed, "Content-Type"), "text/plain; charset=iso-8859-1");
	EXPECT_EQ(decode_qp(parsed.body), "caf\xe9\n");
	// ... and never declared as UTF-8, which they are not.
	ASSERT_EQ(draft.AddText("caf\xe9", 4, "utf-8", true), B_OK);
	parsed = parse(draft.Compose(0));
	EXPECT_EQ(value(parsed, "Content-Type"), "text/plain; charset=iso-8859-1");
	EXPECT_EQ(decode_qp(parsed.body), "caf\xe9\n");
}


TEST(MailMessage, RefusesWhatItCannotSend)
{
	BMailMessage mail;
	EXPECT_EQ(mail.AddEnclosure("/etc/hostname"), B_UNSUPPORTED);
	char data[] = "x";
	EXPECT_EQ(mail.AddEnclosure("text/plain", data, 1), B_UNSUPPORTED);

	// No recipient: refused before any sendmail is asked.
	setenv("MURMELO_SENDMAIL", "/nonexistent/sendmail", 1);
	ASSERT_EQ(mail.AddHeaderField(B_MAIL_SUBJECT, "hello"), B_OK);
	ASSERT_EQ(mail.AddContent("text", 4), B_OK);
	testing::internal::CaptureStderr();
	EXPECT_EQ(mail.Send(true), B_MAIL_NO_RECIPIENT);
	std::string error = testing::internal::GetCapturedStderr();
	unsetenv("MURMELO_SENDMAIL");
	EXPECT_EQ(error, "Mail not sent: it has no recipient (no To, Cc or Bcc).\n");
}


TEST(MailSendmail, FoundOnlyInAbsoluteFoldersOrWhereTheVariableSays)
{
	char pattern[] = "/tmp/murmelo-sendmail-XXXXXX";
	ASSERT_NE(mkdtemp(pattern), nullptr);
	std::string folder = pattern;
	std::string program = folder + "/sendmail";
	std::ofstream(program) << "#!/bin/sh\nexit 0\n";
	chmod(program.c_str(), 0755);
	char previous[4096];
	ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
	std::string oldPath = getenv("PATH") != NULL ? getenv("PATH") : "";
	ASSERT_EQ(chdir(folder.c_str()), 0);

	std::string found;
	std::string problem;
	unsetenv("MURMELO_SENDMAIL");
	// A sendmail in the current folder is never started through PATH.
	setenv("PATH", (".:sub::" + folder).c_str(), 1);
	EXPECT_EQ(BPrivate::mail_find_sendmail(found, problem), B_OK);
	EXPECT_EQ(found, program);
	setenv("PATH", ".", 1);
	status_t status = BPrivate::mail_find_sendmail(found, problem);
	if (access("/usr/sbin/sendmail", X_OK) == 0) {
		EXPECT_EQ(status, B_OK);
		EXPECT_EQ(found, "/usr/sbin/sendmail");
	} else {
		EXPECT_EQ(status, B_MAIL_NO_DAEMON);
	}
	// The variable comes first, and is taken at its word.
	setenv("MURMELO_SENDMAIL", program.c_str(), 1);
	EXPECT_EQ(BPrivate::mail_find_sendmail(found, problem), B_OK);
	EXPECT_EQ(found, program);
	setenv("MURMELO_SENDMAIL", folder.c_str(), 1);
	EXPECT_EQ(BPrivate::mail_find_sendmail(found, problem), B_MAIL_NO_DAEMON);
	EXPECT_EQ(problem, "MURMELO_SENDMAIL names \"" + folder + "\", which is not a program");

	unsetenv("MURMELO_SENDMAIL");
	setenv("PATH", oldPath.c_str(), 1);
	ASSERT_EQ(chdir(previous), 0);
	std::filesystem::remove_all(folder);
}
