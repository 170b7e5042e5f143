// The mail daemon as a process: a local Maildir, a private dovecot over IMAP
// and POP3, mails filed once with their attributes, servers left unchanged,
// and the bad input a mailbox holds.
#include "MailFixture.h"

#include <Entry.h>
#include <Node.h>
#include <Query.h>
#include <Volume.h>
#include <VolumeRoster.h>

#include <algorithm>
#include <string>

namespace {

const char* kUtf8Mail
	= "From: =?UTF-8?B?Sm9zw6k=?= <jose@example.org>\r\n"
	  "To: you@example.org\r\n"
	  "Subject: =?UTF-8?B?w4d1IHZhIMOgIFpvw6s=?=\r\n"
	  "Date: Tue, 1 Dec 2026 10:00:00 +0100\r\n"
	  "\r\n"
	  "Ol\xc3\xa1!\r\n";
const char* kLatin1Mail
	= "From: =?ISO-8859-1?Q?Ren=E9e?= <renee@example.org>\r\n"
	  "To: you@example.org\r\n"
	  "Subject: =?ISO-8859-1?Q?d=E9j=E0_vu?=\r\n"
	  "\r\n"
	  "Hello.\r\n";
const char* kNoSubjectMail
	= "From: plain@example.org\r\n"
	  "To: you@example.org\r\n"
	  "\r\n"
	  "No subject here.\r\n";

std::string
mail_with_subject(const std::string& subject)
{
	return "From: a@example.org\r\nTo: b@example.org\r\nSubject: " + subject + "\r\n\r\nbody\r\n";
}

// The names of the files the new-mail query of the boot volume finds.
std::vector<std::string>
new_mail_found()
{
	BVolumeRoster roster;
	BVolume volume;
	roster.GetBootVolume(&volume);
	BQuery query;
	query.SetVolume(&volume);
	query.SetPredicate("MAIL:status == \"New\"");
	std::vector<std::string> names;
	if (query.Fetch() != B_OK)
		return names;
	entry_ref ref;
	while (query.GetNextRef(&ref) == B_OK)
		names.push_back(ref.name);
	std::sort(names.begin(), names.end());
	return names;
}

}  // namespace

class MailDaemonTest : public MailFixture {};

TEST_F(MailDaemonTest, MaildirMailsAreFiledOnceWithTheirAttributesAndTheSourceStaysAsItWas)
{
	LocalMaildir source;
	source.Put("new", "1700000000.M1P1.host", kUtf8Mail);
	source.Put("new", "1700000001.M2P1.host", kLatin1Mail);
	source.Put("cur", "1700000002.M3P1.host:2,S", kNoSubjectMail);
	WriteSettings(MaildirAccount(source.Path()));

	ProcessResult run = RunOnce();
	ASSERT_EQ(run.status, 0) << run.output;
	EXPECT_NE(run.output.find("3 new mails filed"), std::string::npos) << run.output;
	std::vector<FiledMail> mails = Filed();
	ASSERT_EQ(mails.size(), 3u);
	EXPECT_EQ(mails[0].subject, "");
	EXPECT_EQ(mails[0].from, "plain@example.org");
	EXPECT_EQ(mails[0].bytes, kNoSubjectMail);
	EXPECT_EQ(mails[1].subject, "d\xc3\xa9j\xc3\xa0 vu");
	EXPECT_EQ(mails[1].from, "Ren\xc3\xa9""e <renee@example.org>");
	EXPECT_EQ(mails[2].subject, "\xc3\x87u va \xc3\xa0 Zo\xc3\xab");
	EXPECT_EQ(mails[2].from, "Jos\xc3\xa9 <jose@example.org>");
	EXPECT_EQ(mails[2].to, "you@example.org");
	EXPECT_EQ(mails[2].when, 1796115600);  // 2026-12-01 09:00 UTC
	EXPECT_EQ(mails[2].bytes, kUtf8Mail);
	for (const FiledMail& mail : mails) {
		EXPECT_EQ(mail.status, "New");
		EXPECT_EQ(mail.type, "text/x-email");
		EXPECT_TRUE(mail.typesRight) << mail.name;
	}
	// Nothing moved, renamed or flagged in the source.
	EXPECT_EQ(source.Names("new"),
		(std::vector<std::string>{"1700000000.M1P1.host", "1700000001.M2P1.host"}));
	EXPECT_EQ(source.Names("cur"), std::vector<std::string>{"1700000002.M3P1.host:2,S"});

	// What the daemon filed is what the new-mail query finds; a mail read
	// through the kit drops out of it.
	std::vector<std::string> filedNames;
	for (const FiledMail& mail : mails)
		filedNames.push_back(mail.name);
	std::sort(filedNames.begin(), filedNames.end());
	EXPECT_EQ(new_mail_found(), filedNames);
	BNode read((fVolume.Root() + "/home/mail/in/" + mails[0].name).c_str());
	ASSERT_EQ(read.WriteAttr("MAIL:status", B_STRING_TYPE, 0, "Read", 5), 5);
	EXPECT_EQ(new_mail_found().size(), 2u);
	ASSERT_EQ(read.WriteAttr("MAIL:status", B_STRING_TYPE, 0, "New", 4), 4);

	// A restart files nothing; neither does a mail a reader moved to cur/.
	ASSERT_EQ(rename((source.Path() + "/new/1700000000.M1P1.host").c_str(),
				  (source.Path() + "/cur/1700000000.M1P1.host:2,S").c_str()),
		0);
	run = RunOnce();
	EXPECT_NE(run.output.find("0 new mails filed"), std::string::npos) << run.output;
	EXPECT_EQ(Filed().size(), 3u);

	// Even with its list of what it filed gone, a mail is known by its file.
	unlink((fVolume.Root() + "/home/config/settings/mail_daemon_filed").c_str());
	source.Put("new", "1700000003.M4P1.host", mail_with_subject("fourth"));
	run = RunOnce();
	EXPECT_NE(run.output.find("1 new mail filed"), std::string::npos) << run.output;
	mails = Filed();
	ASSERT_EQ(mails.size(), 4u);
	EXPECT_EQ(mails[2].subject, "fourth");
	EXPECT_TRUE(Leftovers().empty());
}

TEST_F(MailDaemonTest, ImapMailsAreFiledOnceAndTheServerKeepsItsFlags)
{
	PrivateDovecot server;
	ASSERT_TRUE(server.Start()) << server.Error();
	server.Deliver("1700000000.M1P1.host", kUtf8Mail);
	server.Deliver("1700000001.M2P1.host", kLatin1Mail, true);
	server.Deliver("1700000002.M3P1.host", kNoSubjectMail);
	WriteSettings(server.Account("imap"));
	std::string flags = server.Flags();
	ASSERT_NE(flags.find("(UID 1 FLAGS"), std::string::npos) << flags;

	ProcessResult run = RunOnce();
	ASSERT_EQ(run.status, 0) << run.output;
	std::vector<FiledMail> mails = Filed();
	ASSERT_EQ(mails.size(), 3u) << run.output;
	EXPECT_EQ(mails[0].subject, "");
	EXPECT_EQ(mails[1].subject, "d\xc3\xa9j\xc3\xa0 vu");
	EXPECT_EQ(mails[2].subject, "\xc3\x87u va \xc3\xa0 Zo\xc3\xab");
	EXPECT_EQ(mails[2].bytes, kUtf8Mail);
	for (const FiledMail& mail : mails) {
		EXPECT_EQ(mail.status, "New");
		EXPECT_TRUE(mail.typesRight) << mail.name;
	}
	// Read-only: the seen mail is still the only seen one.
	EXPECT_EQ(server.Flags(), flags);
	EXPECT_EQ(run.output.find(PrivateDovecot::Password()), std::string::npos);

	run = RunOnce();
	EXPECT_NE(run.output.find("0 new mails filed"), std::string::npos) << run.output;
	EXPECT_EQ(Filed().size(), 3u);

	server.Deliver("1700000003.M4P1.host", mail_with_subject("fourth"));
	flags = server.Flags();
	run = RunOnce();
	EXPECT_NE(run.output.find("1 new mail filed"), std::string::npos) << run.output;
	mails = Filed();
	ASSERT_EQ(mails.size(), 4u);
	EXPECT_EQ(mails[2].subject, "fourth");
	EXPECT_EQ(server.Flags(), flags);
}

TEST_F(MailDaemonTest, Pop3MailsAreFiledOnceByTheirUidlAndStayOnTheServer)
{
	PrivateDovecot server;
	ASSERT_TRUE(server.Start()) << server.Error();
	server.Deliver("1700000000.M1P1.host", kUtf8Mail);
	// A body line that starts with a dot comes back whole.
	server.Deliver("1700000001.M2P1.host", mail_with_subject("dots") + ".leading dot\r\n");
	WriteSettings(server.Account("pop3"));

	ProcessResult run = RunOnce();
	ASSERT_EQ(run.status, 0) << run.output;
	std::vector<FiledMail> mails = Filed();
	ASSERT_EQ(mails.size(), 2u) << run.output;
	EXPECT_EQ(mails[0].bytes, mail_with_subject("dots") + ".leading dot\r\n");
	EXPECT_EQ(mails[1].subject, "\xc3\x87u va \xc3\xa0 Zo\xc3\xab");

	server.Deliver("1700000002.M3P1.host", mail_with_subject("third"));
	run = RunOnce();
	EXPECT_NE(run.output.find("1 new mail filed"), std::string::npos) << run.output;
	EXPECT_EQ(Filed().size(), 3u);
	// POP3 never deleted them.
	std::string flags = server.Flags();
	EXPECT_NE(flags.find("(UID 3 FLAGS"), std::string::npos) << flags;
}

TEST_F(MailDaemonTest, OddMailsAreFiledWholeWithALineSayingWhatCouldNotBeRead)
{
	LocalMaildir source;
	std::string hugeSubject(1024 * 1024, 'x');
	source.Put("new", "1.a.host", "Just a body line, no header at all.\n");
	source.Put("new", "2.a.host", mail_with_subject(hugeSubject));
	source.Put("new", "3.a.host", mail_with_subject("=?UTF-8?B?!!!notbase64?= tail"));
	source.Put("new", "4.a.host", mail_with_subject("=?x-klingon?Q?qapla=27?="));
	source.Put("new", "5.a.host", "From: cut@example.org\r\nSubject: cut off\r\nTo: som");
	source.Put("new", "6.a.host", "");
	source.Put("new", "7.a.host", mail_with_subject("raw latin-1 caf\xe9"));
	WriteSettings(MaildirAccount(source.Path()));

	ProcessResult run = RunOnce();
	EXPECT_EQ(run.status, 0) << run.output;
	std::vector<FiledMail> mails = Filed();
	ASSERT_EQ(mails.size(), 7u) << run.output;
	std::string subjects;
	for (const FiledMail& mail : mails) {
		EXPECT_TRUE(mail.typesRight) << mail.name;
		EXPECT_EQ(mail.status, "New");
		subjects += mail.subject.substr(0, 40) + "|";
	}
	EXPECT_EQ(subjects,
		"||=?UTF-8?B?!!!notbase64?= tail|=?x-klingon?Q?qapla=27?=|cut off|raw latin-1 "
		"caf\xc3\xa9|xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx|");
	// The long subject is cut for its attribute only.
	EXPECT_EQ(mails[6].subject.size(), 1000u);
	EXPECT_EQ(mails[6].bytes, mail_with_subject(hugeSubject));
	EXPECT_EQ(mails[4].bytes, "From: cut@example.org\r\nSubject: cut off\r\nTo: som");
	for (const char* said : {"has no header fields", "cannot be decoded",
			 "\"x-klingon\" is not known", "does not end", "cut to 1000 bytes"})
		EXPECT_NE(run.output.find(said), std::string::npos) << said << "\n" << run.output;

	run = RunOnce();
	EXPECT_EQ(Filed().size(), 7u) << run.output;
	EXPECT_TRUE(Leftovers().empty());
}

TEST_F(MailDaemonTest, FailingServersAndLooseSettingsGetAClearLineAndFileNothing)
{
	PrivateDovecot server;
	ASSERT_TRUE(server.Start()) << server.Error();
	server.Deliver("1700000000.M1P1.host", kUtf8Mail);

	WriteSettings(server.Account("imap", "wrong password"));
	ProcessResult run = RunOnce();
	EXPECT_EQ(run.status, 1);
	EXPECT_NE(run.output.find("refused the user name or password"), std::string::npos)
		<< run.output;
	EXPECT_EQ(run.output.find("wrong password"), std::string::npos) << run.output;

	WriteSettings(server.Account("pop3", "wrong password"));
	run = RunOnce();
	EXPECT_EQ(run.status, 1);
	EXPECT_NE(run.output.find("refused the user name or password"), std::string::npos)
		<< run.output;

	int closed = free_port();
	WriteSettings("account gone\n\tprotocol imap\n\thost 127.0.0.1\n\tport "
		+ std::to_string(closed) + "\n\tuser u\n\tpassword p\n");
	run = RunOnce();
	EXPECT_EQ(run.status, 1);
	EXPECT_NE(run.output.find("mail_daemon: gone: 127.0.0.1:" + std::to_string(closed)),
		std::string::npos) << run.output;
	EXPECT_TRUE(Filed().empty());

	// A settings file others may read holds a password they could read.
	WriteSettings(server.Account("imap"), 0644);
	run = RunOnce();
	EXPECT_NE(run.output.find("may be read by others (mode 0644)"), std::string::npos)
		<< run.output;
	EXPECT_NE(run.output.find("chmod 600"), std::string::npos);
	EXPECT_TRUE(Filed().empty());

	WriteSettings(server.Account("imap") + "\tcolour blue\n");
	run = RunOnce();
	EXPECT_NE(run.output.find("line 8: unknown setting \"colour\""), std::string::npos)
		<< run.output;
	EXPECT_TRUE(Filed().empty());

	// The same server with the right password: the mail comes whole.
	WriteSettings(server.Account("imap"));
	run = RunOnce();
	EXPECT_EQ(run.status, 0) << run.output;
	EXPECT_EQ(Filed().size(), 1u);
}

TEST_F(MailDaemonTest, AServerThatBreaksOffMidMailGetsNothingFiledHalfAndTheRestComesLater)
{
	for (const char* protocol : {"imap", "pop3"}) {
		SCOPED_TRACE(protocol);
		RunningDaemon server(Environment(), {"/usr/bin/python3",
			std::string(MURMELO_SOURCE_DIR) + "/tests/servers/mail_daemon/hostile_mail.py",
			protocol});
		std::string port;
		ASSERT_TRUE(server.WaitForLine("", &port));
		WriteSettings(std::string("account cut\n\tprotocol ") + protocol
			+ "\n\thost 127.0.0.1\n\tport " + port + "\n\tuser u\n\tpassword p\n");

		ProcessResult run = RunOnce();
		EXPECT_EQ(run.status, 1) << run.output;
		EXPECT_NE(run.output.find("mail_daemon: cut: 127.0.0.1:" + port), std::string::npos)
			<< run.output;
		std::vector<FiledMail> mails = Filed();
		ASSERT_EQ(mails.size(), 1u) << run.output;
		EXPECT_EQ(mails[0].subject, "first");
		EXPECT_TRUE(Leftovers().empty());

		// The server whole again: the second mail, once.
		run = RunOnce();
		EXPECT_EQ(run.status, 0) << run.output;
		mails = Filed();
		ASSERT_EQ(mails.size(), 2u) << run.output;
		EXPECT_EQ(mails[1].subject, "second");
		EXPECT_EQ(mails[1].bytes.size(), 3640u);
		unlink((fVolume.Root() + "/home/mail/in/" + mails[0].name).c_str());
		unlink((fVolume.Root() + "/home/mail/in/" + mails[1].name).c_str());
	}
}

TEST_F(MailDaemonTest, TlsAccountsTrustTheirCertificateFileAndRefuseAServerTheyCannotTrust)
{
	PrivateDovecot server;
	ASSERT_TRUE(server.Start(true)) << server.Error();
	server.Deliver("1700000000.M1P1.host", kUtf8Mail);

	std::string account = server.Account("imap", PrivateDovecot::Password(), true);
	WriteSettings(account.substr(0, account.find("\tca_file")));
	ProcessResult run = RunOnce();
	EXPECT_EQ(run.status, 1);
	EXPECT_NE(run.output.find("certificate"), std::string::npos) << run.output;
	EXPECT_TRUE(Filed().empty());

	// The same mail through both accounts: two files.
	WriteSettings(account + server.Account("pop3", PrivateDovecot::Password(), true));
	run = RunOnce();
	EXPECT_EQ(run.status, 0) << run.output;
	std::vector<FiledMail> mails = Filed();
	ASSERT_EQ(mails.size(), 2u) << run.output;
	EXPECT_EQ(mails[0].bytes, kUtf8Mail);
	EXPECT_EQ(mails[1].bytes, kUtf8Mail);
}
