// check_for_mail from another program: the running daemon checks at once
// and answers with the mail kit's status and the count of new mails.
#include "MailFixture.h"

#include <Application.h>
#include <E-mail.h>

#include <signal.h>

class CheckForMailTest : public MailFixture {
protected:
	static void SetUpTestSuite()
	{
		Runtime();
		signal(SIGPIPE, SIG_IGN);
		if (be_app == NULL)
			new BApplication("application/x-vnd.Murmelo-mail-check-test");
	}
};

TEST_F(CheckForMailTest, TheRunningDaemonChecksWhenAskedAndAnswersWithItsStatus)
{
	int32 count = -1;
	EXPECT_EQ(check_for_mail(&count), B_MAIL_NO_DAEMON);
	EXPECT_EQ(count, 0);

	LocalMaildir source;
	source.Put("new", "1.a.host", "Subject: one\r\n\r\nbody\r\n");
	WriteSettings(MaildirAccount(source.Path()));
	{
		RunningDaemon daemon(Environment());
		std::string line;
		ASSERT_TRUE(daemon.WaitForLine("mail_daemon: checked", &line));
		EXPECT_EQ(line, "mail_daemon: checked 1 account, 1 new mail filed");
		EXPECT_EQ(Filed().size(), 1u);

		// One daemon at a time.
		ProcessResult second = run_process({DaemonPath()}, "", Environment());
		EXPECT_EQ(second.status, 1);
		EXPECT_NE(second.output.find("another mail daemon is running"), std::string::npos);

		source.Put("new", "2.a.host", "Subject: two\r\n\r\nbody\r\n");
		EXPECT_EQ(check_for_mail(&count), B_OK);
		EXPECT_EQ(count, 2);
		EXPECT_EQ(Filed().size(), 2u);
		ASSERT_TRUE(daemon.WaitForLine("mail_daemon: checked", &line));
		EXPECT_EQ(line, "mail_daemon: checked 1 account, 1 new mail filed");

		// The status of the account that failed, while the others still
		// file their mail.
		PrivateDovecot server;
		ASSERT_TRUE(server.Start()) << server.Error();
		source.Put("new", "3.a.host", "Subject: three\r\n\r\nbody\r\n");
		WriteSettings(MaildirAccount(source.Path()) + server.Account("imap", "not it"));
		EXPECT_EQ(check_for_mail(NULL), B_MAIL_WRONG_PASSWORD);
		EXPECT_EQ(Filed().size(), 3u);
		WriteSettings("account gone\n\tprotocol pop3\n\thost 127.0.0.1\n\tport "
			+ std::to_string(free_port()) + "\n\tuser u\n\tpassword p\n");
		EXPECT_EQ(check_for_mail(NULL), B_MAIL_ACCESS_ERROR);
		WriteSettings("account nowhere\n\tprotocol imap\n\thost no-such-host.invalid\n"
					  "\tuser u\n\tpassword p\n");
		EXPECT_EQ(check_for_mail(NULL), B_MAIL_UNKNOWN_HOST);
	}
	EXPECT_EQ(check_for_mail(NULL), B_MAIL_NO_DAEMON);
}
