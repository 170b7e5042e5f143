// BMailMessage against real mail software: msmtp as sendmail, delivering to
// an SMTP server on loopback that stores what it receives; the stored mail
// is read back with Python's email package, as a mail reader would.
#include <MailMessage.h>

#include "MailShapes.h"
#include "Process.h"
#include "SmtpStore.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

namespace {

const char* kMsmtp = "/usr/bin/msmtp";

} // namespace


class MailDelivery : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sStore = new SmtpStore;
		if (!sStore->Problem().empty())
			return;
		// A folder of PATH whose sendmail is msmtp: Send finds it by name.
		sBin = sStore->Root() + "/bin";
		sEmpty = sStore->Root() + "/empty";
		std::filesystem::create_directory(sBin);
		std::filesystem::create_directory(sEmpty);
		std::error_code ignored;
		std::filesystem::create_symlink(kMsmtp, sBin + "/sendmail", ignored);
	}

	static void TearDownTestSuite()
	{
		delete sStore;
		sStore = NULL;
	}

	void SetUp() override
	{
		ASSERT_EQ(access(kMsmtp, X_OK), 0) << "msmtp is not installed (Debian: msmtp-mta)";
		ASSERT_EQ(sStore->Problem(), "");
		// Nothing of the machine's own mail setup or of the user's.
		fHome.emplace("HOME", sStore->Home().c_str());
		fPath.emplace("PATH", (sBin + ":/usr/bin:/bin").c_str());
		fOverride.emplace("MURMELO_SENDMAIL", nullptr);
	}

	// Sends a mail as Sendolo does; the status of Send.
	status_t Send(const char* to, const char* subject, const std::string& text,
		bool now = true)
	{
		BMailMessage mail;
		EXPECT_EQ(mail.AddHeaderField(B_MAIL_TO, to), B_OK);
		EXPECT_EQ(mail.AddHeaderField(B_MAIL_SUBJECT, subject), B_OK);
		EXPECT_EQ(mail.AddContent(text.c_str(), text.size(), B_ISO1_CONVERSION), B_OK);
		return mail.Send(now, false);
	}

	static SmtpStore* sStore;
	static std::string sBin;
	static std::string sEmpty;

	std::optional<ScopedVariable> fHome;
	std::optional<ScopedVariable> fPath;
	std::optional<ScopedVariable> fOverride;
};

SmtpStore* MailDelivery::sStore = NULL;
std::string MailDelivery::sBin;
std::string MailDelivery::sEmpty;


TEST_F(MailDelivery, EuroAndAccentsArriveIntact)
{
	int before = sStore->CountMails();
	const std::string subject = "Caf\xc3\xa9 du groupe";
	const std::string text = "Prix : 5 \xe2\x82\xac, d\xc3\xa9j\xc3\xa0 pay\xc3\xa9.\r\n"
		"second line\n.\nFrom here on\n" + std::string(120, '=') + "\nlast line";
	BMailMessage mail;
	ASSERT_EQ(mail.AddHeaderField(B_MAIL_TO, "friend@localhost"), B_OK);
	ASSERT_EQ(mail.AddHeaderField(B_MAIL_BCC, "hidden@localhost"), B_OK);
	ASSERT_EQ(mail.AddHeaderField(B_MAIL_SUBJECT, subject.c_str()), B_OK);
	ASSERT_EQ(mail.AddContent(text.c_str(), text.size(), B_ISO1_CONVERSION), B_OK);
	ASSERT_EQ(mail.Send(true, false), B_OK) << read_whole_file(sStore->Root() + "/msmtp.log");

	ASSERT_EQ(sStore->CountMails(), before + 1);
	int number = before + 1;
	EXPECT_EQ(sStore->Recipients(number), "friend@localhost\nhidden@localhost\n");
	std::map<std::string, std::string> mailRead = read_mail(sStore->MailPath(number));
	EXPECT_EQ(mailRead["to"], "friend@localhost");
	EXPECT_EQ(from_hex(mailRead["subject-hex"]), subject);
	EXPECT_EQ(from_hex(mailRead["body-hex"]),
		"Prix : 5 \xe2\x82\xac, d\xc3\xa9j\xc3\xa0 pay\xc3\xa9.\nsecond line\n.\n"
		"From here on\n" + std::string(120, '=') + "\nlast line\n");
	EXPECT_EQ(mailRead["charset"], "utf-8");
	EXPECT_EQ(mailRead["transfer-encoding"], "quoted-printable");
	EXPECT_EQ(mailRead["content-type"], "text/plain");
	EXPECT_EQ(mailRead["mime-version"], "1.0");
	EXPECT_EQ(mailRead["date-has-offset"], "True");
	EXPECT_EQ(mailRead["defects"], "0");
	// Our own Message-ID, not one msmtp made up, and every field once.
	std::string id = mailRead["message-id"];
	EXPECT_TRUE(is_message_id(id) && is_digits(id, 1, 14) && id[15] == '.') << id;
	for (const char* name : {"Date", "From", "Message-ID", "To", "Subject", "MIME-Version",
			 "Content-Type", "Content-Transfer-Encoding"})
		EXPECT_EQ(mailRead[std::string("count ") + name], "1") << name;
	EXPECT_EQ(mailRead["count Bcc"], "0") << "sendmail -t removes Bcc";

	// Every line arrived whole, each with one CR LF, none over 78 characters.
	std::string raw = read_whole_file(sStore->MailPath(number));
	std::istringstream lines(raw);
	std::string line;
	while (std::getline(lines, line)) {
		ASSERT_FALSE(line.empty());
		EXPECT_EQ(line.back(), '\r');
		line.pop_back();
		EXPECT_EQ(line.find('\r'), std::string::npos) << line;
		EXPECT_LE(line.size(), 78u) << line;
	}
}


TEST_F(MailDelivery, LatinTextGoesAsIso88591EvenWhenNotSentNow)
{
	int before = sStore->CountMails();
	// No queue of our own: "later" is handed over at once as well.
	ASSERT_EQ(Send("friend@localhost", "group", "\xc3\x87" "a co\xc3\xbbte cher", false), B_OK);
	ASSERT_EQ(sStore->CountMails(), before + 1);
	std::map<std::string, std::string> mailRead = read_mail(sStore->MailPath(before + 1));
	EXPECT_EQ(mailRead["charset"], "iso-8859-1");
	EXPECT_EQ(from_hex(mailRead["subject-hex"]), "group");
	EXPECT_EQ(from_hex(mailRead["body-hex"]), "\xc3\x87" "a co\xc3\xbbte cher\n");
	EXPECT_EQ(mailRead["defects"], "0");
}


TEST_F(MailDelivery, TwoLetterAddressIsStillHandedOver)
{
	int before = sStore->CountMails();
	ASSERT_EQ(Send("ab", "group", "hello"), B_OK);
	ASSERT_EQ(sStore->CountMails(), before + 1);
	EXPECT_EQ(sStore->Recipients(before + 1), "ab\n");
	// Addresses go as given: the reader finds this one wanting, as it is.
	EXPECT_EQ(read_mail(sStore->MailPath(before + 1), false)["to"], "ab");
}


TEST_F(MailDelivery, TwoSendsAtOnceBothArrive)
{
	// "send it" pressed twice: two send threads, each with its own sendmail,
	// neither holding the other's pipe open.
	int before = sStore->CountMails();
	status_t first = B_ERROR;
	status_t second = B_ERROR;
	std::thread one([&] { first = Send("one@localhost", "first", "eins \xe2\x82\xac"); });
	std::thread two([&] { second = Send("two@localhost", "second", "zwei \xc3\xa9"); });
	one.join();
	two.join();
	EXPECT_EQ(first, B_OK);
	EXPECT_EQ(second, B_OK);
	ASSERT_EQ(sStore->CountMails(), before + 2);
	std::set<std::string> recipients;
	std::set<std::string> ids;
	for (int number = before + 1; number <= before + 2; number++) {
		recipients.insert(sStore->Recipients(number));
		ids.insert(read_mail(sStore->MailPath(number))["message-id"]);
	}
	EXPECT_EQ(recipients, (std::set<std::string>{"one@localhost\n", "two@localhost\n"}));
	EXPECT_EQ(ids.size(), 2u);
}


TEST_F(MailDelivery, FallsBackToUsrSbinSendmail)
{
	char target[PATH_MAX];
	if (realpath("/usr/sbin/sendmail", target) == NULL
		|| std::string(target) != std::filesystem::canonical(kMsmtp).string())
		GTEST_SKIP() << "/usr/sbin/sendmail is not msmtp here";
	ScopedVariable path("PATH", sEmpty.c_str());
	int before = sStore->CountMails();
	ASSERT_EQ(Send("friend@localhost", "fallback", "hello"), B_OK);
	EXPECT_EQ(sStore->CountMails(), before + 1);
}


TEST_F(MailDelivery, MissingSendmailIsReportedInOneLine)
{
	int before = sStore->CountMails();
	std::string missing = sEmpty + "/sendmail";
	ScopedVariable sendmail("MURMELO_SENDMAIL", missing.c_str());
	testing::internal::CaptureStderr();
	status_t status = Send("friend@localhost", "group", "hello");
	std::string error = testing::internal::GetCapturedStderr();
	EXPECT_EQ(status, B_MAIL_NO_DAEMON);
	EXPECT_EQ(error, "Mail not sent: MURMELO_SENDMAIL names \"" + missing
		+ "\", which is not a program.\n");
	EXPECT_EQ(sStore->CountMails(), before);
}


TEST_F(MailDelivery, SendmailFailuresAreReported)
{
	int before = sStore->CountMails();
	{
		// msmtp itself, with no server where it is told to deliver.
		std::string home = sStore->Root() + "/nowhere";
		std::filesystem::create_directory(home);
		write_whole_file(home + "/.msmtprc",
			"account default\nhost 127.0.0.1\nport " + std::to_string(closed_port())
				+ "\nfrom tester@localhost\nauth off\ntls off\n",
			0600);
		ScopedVariable homeVariable("HOME", home.c_str());
		testing::internal::CaptureStderr();
		status_t status = Send("friend@localhost", "group", "hello");
		std::string error = testing::internal::GetCapturedStderr();
		EXPECT_NE(status, B_OK);
		// msmtp says why first; our line closes the report.
		std::string ours = "Mail not sent: " + sBin + "/sendmail failed with exit status ";
		size_t line = error.rfind(ours);
		EXPECT_TRUE(line != std::string::npos && (line == 0 || error[line - 1] == '\n')
			&& error.find('\n', line) == error.size() - 1
			&& error.compare(error.size() - 3, 3, ").\n") == 0)
			<< error;
	}
	if (access("/etc/msmtprc", F_OK) != 0) {
		// Installed but set up for no account: there is no mail service.
		std::string home = sStore->Root() + "/unconfigured";
		std::filesystem::create_directory(home);
		ScopedVariable homeVariable("HOME", home.c_str());
		testing::internal::CaptureStderr();
		EXPECT_EQ(Send("friend@localhost", "group", "hello"), B_MAIL_NO_DAEMON);
		std::string error = testing::internal::GetCapturedStderr();
		EXPECT_NE(error.find("Mail not sent: " + sBin + "/sendmail failed with exit status 78 "
			"(sendmail is not configured).\n"), std::string::npos) << error;
	}
	{
		ScopedVariable sendmail("MURMELO_SENDMAIL", "/bin/false");
		testing::internal::CaptureStderr();
		EXPECT_EQ(Send("friend@localhost", "group", "hello"), B_ERROR);
		EXPECT_EQ(testing::internal::GetCapturedStderr(),
			"Mail not sent: /bin/false failed with exit status 1 (it gave no reason).\n");
	}
	{
		// Gone before reading a mail larger than a pipe holds: no SIGPIPE
		// ends the program, and the mail is not reported as sent.
		ScopedVariable sendmail("MURMELO_SENDMAIL", "/bin/true");
		testing::internal::CaptureStderr();
		EXPECT_EQ(Send("friend@localhost", "group", std::string(1 << 20, 'x')), B_IO_ERROR);
		EXPECT_EQ(testing::internal::GetCapturedStderr(),
			"Mail not sent: /bin/true stopped reading the mail before its end (Broken pipe).\n");
	}
	EXPECT_EQ(sStore->CountMails(), before);
}


TEST_F(MailDelivery, SendmailGetsItsOptionsAndLfLines)
{
	// A stand-in that keeps what sendmail is given, byte for byte.
	std::string capture = sStore->Root() + "/capture";
	std::filesystem::create_directory(capture);
	std::string script = capture + "/sendmail";
	write_whole_file(script,
		"#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.arguments\"\n"
		"cat > \"$0.input\"\n",
		0755);
	ScopedVariable sendmail("MURMELO_SENDMAIL", script.c_str());
	ASSERT_EQ(Send("friend@localhost", "group", "one\r\ntwo\rthree\n"), B_OK);
	EXPECT_EQ(read_whole_file(script + ".arguments"), "-t\n-oi\n");
	std::string input = read_whole_file(script + ".input");
	EXPECT_EQ(input.find('\r'), std::string::npos);
	EXPECT_NE(input.find("\nTo: friend@localhost\n"), std::string::npos) << input;
	EXPECT_EQ(input.substr(input.find("\n\n")), "\n\none\ntwo\nthree\n");
}
