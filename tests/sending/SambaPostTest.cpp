// samba_post's reading of smbclient: the five outcomes from the texts older
// clients printed (through a stand-in smbclient on the search path) and from
// what today's client prints, and how the process is fed and read.

#include "Process.h"
#include "SambaAlert.h"

#include <SambaPost.h>

#include <gtest/gtest.h>

#include <signal.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

samba_reply
reply_of(const std::string& output, const std::string& errors = "", int status = 0)
{
	samba_reply reply;
	strncpy(reply.output, output.c_str(), sizeof(reply.output) - 1);
	strncpy(reply.errors, errors.c_str(), sizeof(reply.errors) - 1);
	reply.status = status;
	return reply;
}

void
write_file(const std::string& path, const std::string& content)
{
	std::ofstream file(path, std::ios::binary | std::ios::trunc);
	file << content;
}

// Puts the stand-in first on the search path for one test.
class StandIn : public testing::Test {
protected:
	void SetUp() override
	{
		fOldPath = getenv("PATH");
		std::string path = std::string(MURMELO_SOURCE_DIR) + "/tests/sending/standin:" + fOldPath;
		setenv("PATH", path.c_str(), 1);
		setenv("MURMELO_STANDIN_DIR", fDir.Path().c_str(), 1);
	}

	void TearDown() override
	{
		setenv("PATH", fOldPath.c_str(), 1);
		unsetenv("MURMELO_STANDIN_DIR");
	}

	void Answer(const std::string& output, const std::string& errors = "", int status = 0)
	{
		write_file(File("reply"), output);
		write_file(File("errors"), errors);
		write_file(File("status"), std::to_string(status));
	}

	std::string File(const char* name) const { return fDir.Path() + "/" + name; }

	std::vector<std::string> Arguments() const
	{
		std::string all = read_file(File("args"));
		std::vector<std::string> arguments;
		for (size_t start = 0; start < all.size();) {
			size_t end = all.find('\0', start);
			arguments.push_back(all.substr(start, end - start));
			start = end + 1;
		}
		return arguments;
	}

	TempDir fDir{"murmelo-standin"};
	std::string fOldPath;
};

// What the client is started with: the values, then the code page it is
// handed the text in.
std::vector<std::string>
client_arguments(const std::string& destination, const std::string& sender)
{
	return {"-M", destination, "-U", sender, "--option=unix charset=CP850",
		"--option=dos charset=CP850"};
}

} // namespace

TEST(SambaClassify, OldTextsFollowTheFiveRowsInOrder)
{
	struct {
		const char* output;
		samba_outcome expected;
	} cases[] = {
		{"Unknown host BOB\n", SAMBA_UNKNOWN_HOST},
		// Row 1 comes before everything else, success included.
		{"unknown host BOB\nType your message, ending it with a Control-D\nsent 5 bytes\n",
			SAMBA_UNKNOWN_HOST},
		{"error connecting to 192.168.0.9:139 (Connection refused)\n", SAMBA_UNREACHABLE},
		{"Connection to BOB failed\n", SAMBA_UNREACHABLE},
		{"failed: Connection to BOB\n", SAMBA_UNREACHABLE},
		{"Connection to BOB established\n", SAMBA_OTHER},
		{"error connecting to BOB\nERRmsgoff\n", SAMBA_UNREACHABLE},
		{"message start: ERRSRV - ERRmsgoff (Message server is not accepting messages.)\n",
			SAMBA_NOT_ACCEPTED},
		{"Type your message, ending it with a Control-D\nsent 12 bytes\n", SAMBA_SENT},
		{"bytes: 12\nControl-D\nsent", SAMBA_SENT},
		{"ERRmsgoff\nControl-D\nsent 12 bytes", SAMBA_NOT_ACCEPTED},
		// "sent" must follow "Control-D" and a line feed.
		{"Type your message, ending it with a Control-D sent 12 bytes\n", SAMBA_OTHER},
		{"sent 12 bytes\n", SAMBA_OTHER},
		{"Type your message, ending it with a Control-D\nsent\n", SAMBA_OTHER},
		{"UNKNOWN HOST\n", SAMBA_OTHER},
		{"", SAMBA_OTHER},
	};
	for (const auto& c : cases)
		EXPECT_EQ(samba_classify(reply_of(c.output)), c.expected) << c.output;
}

TEST(SambaClassify, TodaysClientIsToldApart)
{
	const std::string prompt = "Type your message, ending it with a Control-D\n";
	struct {
		std::string output;
		std::string errors;
		int status;
		samba_outcome expected;
	} cases[] = {
		{prompt, "", 0, SAMBA_SENT},
		{prompt, "cli_message returned NT_STATUS_REQUEST_NOT_ACCEPTED\n", 0, SAMBA_NOT_ACCEPTED},
		{"Connection to NOSUCH failed. Error NT_STATUS_NOT_FOUND\n", "", 1, SAMBA_UNKNOWN_HOST},
		{"Connection to BOB failed. Error NT_STATUS_CONNECTION_REFUSED\n", "", 1,
			SAMBA_UNREACHABLE},
		{"Connection to BOB failed. Error NT_STATUS_HOST_UNREACHABLE\n", "", 1,
			SAMBA_UNREACHABLE},
		{"", "Connection to BOB failed. Error NT_STATUS_IO_TIMEOUT\n", 1, SAMBA_UNREACHABLE},
		// Anything short of a clean run is not a success.
		{prompt, "", 1, SAMBA_OTHER},
		{prompt, "cli_message returned NT_STATUS_ACCESS_DENIED\n", 0, SAMBA_OTHER},
		{prompt, "Can't load /etc/samba/smb.conf - run testparm to debug it\n", 0, SAMBA_OTHER},
		{prompt + "something else\n", "", 0, SAMBA_OTHER},
		{"", "", 0, SAMBA_OTHER},
		{"", "", -1, SAMBA_OTHER},
	};
	for (const auto& c : cases) {
		EXPECT_EQ(samba_classify(reply_of(c.output, c.errors, c.status)), c.expected)
			<< c.output << "|" << c.errors << "|" << c.status;
	}
}

TEST(SambaAlert, TextsTitlesAndButtons)
{
	samba_reply empty;
	samba_alert alert = samba_alert_for(SAMBA_UNKNOWN_HOST, "BOB", empty);
	EXPECT_STREQ(alert.title.String(), "error");
	EXPECT_STREQ(alert.text.String(), "\n\nUnknown host : BOB");
	EXPECT_STREQ(alert.button.String(), "oki");

	alert = samba_alert_for(SAMBA_UNREACHABLE, "BOB", empty);
	EXPECT_STREQ(alert.title.String(), "error");
	EXPECT_STREQ(alert.text.String(), "\n\nHost unreachable: BOB");
	EXPECT_STREQ(alert.button.String(), "oki");

	alert = samba_alert_for(SAMBA_NOT_ACCEPTED, "BOB", empty);
	EXPECT_STREQ(alert.title.String(), "error");
	EXPECT_STREQ(alert.text.String(), "\n\nBOB can't receive\nwinpopup messages.");
	EXPECT_STREQ(alert.button.String(), "oki");

	alert = samba_alert_for(SAMBA_SENT, "BOB", empty);
	EXPECT_STREQ(alert.title.String(), "Pingbox");
	EXPECT_STREQ(alert.text.String(), "\n\nMessage succesfully sent.");
	EXPECT_STREQ(alert.button.String(), "ok");

	alert = samba_alert_for(SAMBA_OTHER, "BOB", reply_of("weird\n  words"));
	EXPECT_STREQ(alert.title.String(), "error");
	EXPECT_STREQ(alert.text.String(), "weird\n  words");
	EXPECT_STREQ(alert.button.String(), "oki");

	// Today's client explains itself on its standard error.
	alert = samba_alert_for(SAMBA_OTHER, "BOB",
		reply_of("Type your message, ending it with a Control-D", "cli_message returned X\n", 0));
	EXPECT_STREQ(alert.text.String(),
		"Type your message, ending it with a Control-D\ncli_message returned X\n");
}

TEST(SambaAlert, LongDestinationsAreCutTo79Characters)
{
	const std::string name(70, 'N');
	samba_reply empty;
	for (samba_outcome outcome : {SAMBA_UNKNOWN_HOST, SAMBA_UNREACHABLE, SAMBA_NOT_ACCEPTED}) {
		std::string text = samba_alert_for(outcome, name.c_str(), empty).text.String();
		EXPECT_EQ(text.size(), 79u) << outcome;
	}
	EXPECT_EQ(std::string(samba_alert_for(SAMBA_UNKNOWN_HOST, name.c_str(), empty).text.String()),
		("\n\nUnknown host : " + name).substr(0, 79));

	// A character is never split.
	std::string accented = "x";
	while (accented.size() < 70)
		accented += "\xc3\xa9";
	std::string text
		= samba_alert_for(SAMBA_UNKNOWN_HOST, accented.c_str(), empty).text.String();
	EXPECT_EQ(text.size(), 78u);
	EXPECT_EQ(text.substr(17), accented.substr(0, 61));
}

TEST_F(StandIn, OldTextsGiveTheFiveOutcomes)
{
	struct {
		const char* output;
		samba_outcome expected;
	} rows[] = {
		{"added interface ip=192.168.0.2\nUnknown host BOB\n", SAMBA_UNKNOWN_HOST},
		{"error connecting to 192.168.0.9:139 (Connection refused)\nConnection to BOB failed\n",
			SAMBA_UNREACHABLE},
		{"Connected. Type your message, ending it with a Control-D\n"
			"message start: ERRSRV - ERRmsgoff (Message server is not accepting messages.)\n",
			SAMBA_NOT_ACCEPTED},
		{"Connected. Type your message, ending it with a Control-D\nsent 11 bytes\n", SAMBA_SENT},
		{"Something the client never said before\n", SAMBA_OTHER},
	};
	for (const auto& row : rows) {
		Answer(row.output);
		samba_reply reply;
		ASSERT_EQ(samba_run("BOB", "hello there", "alice", &reply), B_OK);
		EXPECT_STREQ(reply.output, row.output);
		EXPECT_EQ(samba_classify(reply), row.expected) << row.output;
		EXPECT_EQ(Arguments(), client_arguments("BOB", "alice"));
		EXPECT_EQ(read_file(File("input")), "hello there");
	}
	samba_reply reply;
	ASSERT_EQ(samba_run("BOB", "x", "alice", &reply), B_OK);
	EXPECT_STREQ(
		samba_alert_for(samba_classify(reply), "BOB", reply).text.String(),
		"Something the client never said before\n");
}

TEST_F(StandIn, ValuesAndTextReachTheClientVerbatim)
{
	Answer("Type your message, ending it with a Control-D\nsent 1 bytes\n");
	const std::string text = "\"quoted\" 'single' $(touch " + File("pwned") + ") ; echo hi > "
		+ File("redirected") + " `id` & | <\n\ttabs and \xc3\xa9";
	const std::string destination = "-BOB $(id) ; x";
	const std::string sender = "Jean \"Dupont\" > y";
	samba_reply reply;
	ASSERT_EQ(samba_run(destination.c_str(), text.c_str(), sender.c_str(), &reply), B_OK);
	EXPECT_EQ(Arguments(), client_arguments(destination, sender));
	// Verbatim in the code page the client is told of: the é is its byte.
	std::string inCodePage = text;
	inCodePage.replace(inCodePage.size() - 2, 2, "\x82");
	EXPECT_EQ(read_file(File("input")), inCodePage);
	struct stat info;
	EXPECT_NE(stat(File("pwned").c_str(), &info), 0);
	EXPECT_NE(stat(File("redirected").c_str(), &info), 0);
}

TEST_F(StandIn, OutputBeyond2047BytesIsDropped)
{
	std::string output;
	for (int i = 0; output.size() < 5000; i++)
		output += "line " + std::to_string(i) + "\n";
	// The success mark lies past the first 2047 bytes, so it is never seen.
	output += "Control-D\nsent 3 bytes\n";
	Answer(output, std::string(3000, 'e'), 0);
	samba_reply reply;
	ASSERT_EQ(samba_run("BOB", "hey", "alice", &reply), B_OK);
	EXPECT_EQ(strlen(reply.output), 2047u);
	EXPECT_EQ(std::string(reply.output), output.substr(0, 2047));
	EXPECT_EQ(strlen(reply.errors), 2047u);
	EXPECT_EQ(samba_classify(reply), SAMBA_OTHER);
}

TEST_F(StandIn, LargeTextsAreFedWholeOrDroppedWithoutHarm)
{
	std::string text;
	for (int i = 0; text.size() < 1 << 20; i++)
		text += "word" + std::to_string(i) + ' ';
	Answer(std::string(4000, 'o'), std::string(4000, 'e'), 0);
	samba_reply reply;
	ASSERT_EQ(samba_run("BOB", text.c_str(), "alice", &reply), B_OK);
	EXPECT_EQ(read_file(File("input")), text);
	EXPECT_EQ(reply.status, 0);

	// A client that quits without reading must not take the caller with it.
	write_file(File("noread"), "");
	Answer("Connection to BOB failed\n", "", 1);
	ASSERT_EQ(samba_run("BOB", text.c_str(), "alice", &reply), B_OK);
	EXPECT_EQ(reply.status, 1);
	EXPECT_EQ(samba_classify(reply), SAMBA_UNREACHABLE);
}

TEST_F(StandIn, ExitStatusIsKept)
{
	Answer("", "", 3);
	samba_reply reply;
	ASSERT_EQ(samba_run("BOB", "x", "alice", &reply), B_OK);
	EXPECT_EQ(reply.status, 3);
	EXPECT_EQ(samba_classify(reply), SAMBA_OTHER);
}

TEST_F(StandIn, AClientThatHangsIsKilledAtItsTimeLimit)
{
	write_file(File("hang"), "");
	samba_reply reply;
	EXPECT_EQ(samba_run("bob", "are you there?", "alice", &reply, 200000), B_TIMED_OUT);
	EXPECT_NE(std::string(reply.errors).find("no answer"), std::string::npos) << reply.errors;
	pid_t client = atoi(read_file(File("pid")).c_str());
	ASSERT_GT(client, 0);
	// Killed and reaped: nothing of it is left.
	EXPECT_EQ(kill(client, 0), -1);
}

TEST(SambaRun, AMissingClientIsReported)
{
	TempDir empty("murmelo-nopath");
	std::string oldPath = getenv("PATH");
	setenv("PATH", empty.Path().c_str(), 1);
	samba_reply reply;
	status_t status = samba_run("BOB", "x", "alice", &reply);
	setenv("PATH", oldPath.c_str(), 1);
	EXPECT_NE(status, B_OK);
	EXPECT_EQ(reply.status, -1);
	EXPECT_EQ(samba_classify(reply), SAMBA_OTHER);
	samba_alert alert = samba_alert_for(SAMBA_OTHER, "BOB", reply);
	EXPECT_STREQ(alert.title.String(), "error");
	EXPECT_STREQ(alert.text.String(), "smbclient: No such file or directory");
}

namespace {

class StandInAlerts : public StandIn {
protected:
	static void SetUpTestSuite() { sApp = new BTest::HeadlessApp(); }
	static void TearDownTestSuite()
	{
		delete sApp;
		sApp = NULL;
	}

	static inline BTest::HeadlessApp* sApp = NULL;
};

} // namespace

TEST_F(StandInAlerts, EachOutcomeShowsItsAlert)
{
	struct {
		const char* output;
		const char* title;
		const char* text;
		const char* button;
		const char* screenshot;
	} rows[] = {
		{"Unknown host BOB\n", "error", "\n\nUnknown host : BOB", "oki",
			"samba_post_unknown_host"},
		{"Connection to BOB failed\n", "error", "\n\nHost unreachable: BOB", "oki",
			"samba_post_unreachable"},
		{"ERRmsgoff\n", "error", "\n\nBOB can't receive\nwinpopup messages.", "oki",
			"samba_post_not_accepted"},
		{"Type your message, ending it with a Control-D\nsent 5 bytes\n", "Pingbox",
			"\n\nMessage succesfully sent.", "ok", "samba_post_sent"},
		{"The client said something new.\n", "error", "The client said something new.\n", "oki",
			"samba_post_other"},
	};
	for (const auto& row : rows) {
		Answer(row.output);
		samba_post("BOB", "hello", "alice");
		ShownAlert alert = take_samba_alert(row.screenshot);
		EXPECT_EQ(alert.title, row.title) << row.output;
		EXPECT_EQ(alert.text, row.text) << row.output;
		EXPECT_EQ(alert.button, row.button) << row.output;
		EXPECT_EQ(alert.buttons, 1);
		EXPECT_EQ(alert.type, B_WARNING_ALERT);
		// Offset spacing makes the least width 335.
		EXPECT_EQ(alert.width, 335);
		EXPECT_TRUE(alert.escapePresses) << row.output;
	}
}

TEST_F(StandInAlerts, AMissingClientShowsWhy)
{
	TempDir empty("murmelo-nopath");
	std::string oldPath = getenv("PATH");
	setenv("PATH", empty.Path().c_str(), 1);
	samba_post("BOB", "hello", "alice");
	setenv("PATH", oldPath.c_str(), 1);
	ShownAlert alert = take_samba_alert();
	EXPECT_EQ(alert.title, "error");
	EXPECT_EQ(alert.text, "smbclient: No such file or directory");
}

TEST_F(StandInAlerts, LongRawOutputCutInsideACharacterIsStillShown)
{
	std::string output(2046, 'a');
	output += "\xc3\xa9 and more after the cut";
	Answer(output);
	samba_post("BOB", "hello", "alice");
	ShownAlert alert = take_samba_alert("samba_post_long_output");
	EXPECT_EQ(alert.title, "error");
	EXPECT_EQ(alert.text, output.substr(0, 2047));
	EXPECT_TRUE(alert.escapePresses);
}

TEST(SambaRecipients, CommasAndBlanksSeparateNamesEachKeptOnce)
{
	std::vector<BString> names = samba_recipients(" alpha, beta\tnosuchhost,,ALPHA  Gamma ");
	std::vector<std::string> got;
	for (const BString& name : names)
		got.push_back(name.String());
	EXPECT_EQ(got, (std::vector<std::string>{"alpha", "beta", "nosuchhost", "Gamma"}));
	EXPECT_TRUE(samba_recipients(" , ").empty());
	EXPECT_EQ(samba_recipients(std::string(150, 'n').c_str())[0].Length(), 99);
}

TEST(SambaFit, WhatTheCodePagesLackIsTransliteratedAndListed)
{
	// "prix 5 € — ok", "Ça coûte 5 € — ok"
	samba_fitting prix = samba_fit("prix 5 \xe2\x82\xac \xe2\x80\x94 ok \xe2\x82\xac");
	EXPECT_STREQ(prix.text.String(), "prix 5 EUR - ok EUR");
	EXPECT_EQ(prix.replaced, 3);
	EXPECT_STREQ(prix.changes.String(), "\xe2\x82\xac \xe2\x86\x92 EUR, \xe2\x80\x94 \xe2\x86\x92 -");
	samba_fitting cout = samba_fit("\xc3\x87" "a co\xc3\xbbte cher");
	EXPECT_STREQ(cout.text.String(), "\xc3\x87" "a co\xc3\xbbte cher");
	EXPECT_EQ(cout.replaced, 0);
	EXPECT_STREQ(cout.changes.String(), "");
	// The dotless i is where 858 has the euro: it would read as one there.
	EXPECT_STREQ(samba_fit("\xc4\xb1").text.String(), "i");
}

TEST(SambaSplit, LongTextsGoInMarkedPartsCutAtLineAndWordEnds)
{
	EXPECT_EQ(samba_split("short").size(), 1u);
	EXPECT_STREQ(samba_split("short")[0].String(), "short");

	// 3,500 bytes of words on lines, with accented letters: three parts.
	std::string text;
	for (int i = 0; text.size() < 3500; i++)
		text += (i % 9 == 8 ? "line\xc3\xa9\n" : "word" + std::to_string(i) + " ");
	std::vector<BString> parts = samba_split(text.c_str());
	ASSERT_EQ(parts.size(), 3u);
	std::string joined;
	for (size_t i = 0; i < parts.size(); i++) {
		std::string part = parts[i].String();
		std::string mark = "(" + std::to_string(i + 1) + "/3) ";
		ASSERT_EQ(part.substr(0, mark.size()), mark);
		// Code page bytes: one a character, two a line end.
		int32 cost = 0;
		for (unsigned char c : part)
			cost += (c & 0xc0) == 0x80 ? 0 : c == '\n' ? 2 : 1;
		EXPECT_LE(cost, kWinPopupBytes);
		if (i + 1 < parts.size())
			EXPECT_GT(cost, kWinPopupBytes - 40) << "cut far before the end";
		std::string body = part.substr(mark.size());
		joined += body + (i + 1 < parts.size() ? "\x01" : "");
	}
	// Each cut is at a blank or a line end, and only that is gone.
	std::string rebuilt;
	for (char c : joined) {
		if (c == '\x01')
			EXPECT_TRUE(text[rebuilt.size()] == ' ' || text[rebuilt.size()] == '\n');
		rebuilt += c != '\x01' ? c : text[rebuilt.size()];
	}
	EXPECT_EQ(rebuilt, text);

	// One word longer than a message is cut between characters.
	std::string word;
	while (word.size() < 4000)
		word += "\xc3\xa9";
	parts = samba_split(word.c_str());
	ASSERT_EQ(parts.size(), 2u);
	std::string second = parts[1].String();
	EXPECT_EQ(second.substr(0, 6), "(2/2) ");
	EXPECT_EQ((unsigned char)second[6], 0xc3);
	EXPECT_EQ(std::string(parts[0].String()).size() - 6 + second.size() - 6, word.size());
}

TEST(SambaAlert, SeveralRecipientsShareOneAlertOneRecipientKeepsItsOwn)
{
	const std::string prompt = "Type your message, ending it with a Control-D\n";
	samba_result alpha{"alpha", SAMBA_SENT, reply_of(prompt)};
	samba_result beta{"beta", SAMBA_SENT, reply_of(prompt)};
	samba_result nobody{"nosuchhost", SAMBA_UNKNOWN_HOST,
		reply_of("Connection to nosuchhost failed. Error NT_STATUS_NOT_FOUND\n", "", 1)};
	samba_result odd{"odd", SAMBA_OTHER, reply_of(prompt, "\nsomething broke\nmore\n", 1)};

	samba_alert alert = samba_alert_for_all({alpha});
	EXPECT_STREQ(alert.title.String(), "Pingbox");
	EXPECT_STREQ(alert.text.String(), "\n\nMessage succesfully sent.");

	alert = samba_alert_for_all({alpha, beta});
	EXPECT_STREQ(alert.title.String(), "Pingbox");
	EXPECT_STREQ(alert.button.String(), "ok");
	EXPECT_STREQ(alert.text.String(),
		"\n\nalpha: Message succesfully sent.\nbeta: Message succesfully sent.");

	alert = samba_alert_for_all({alpha, nobody, odd}, "\xe2\x82\xac \xe2\x86\x92 EUR", 3);
	EXPECT_STREQ(alert.title.String(), "error");
	EXPECT_STREQ(alert.button.String(), "oki");
	EXPECT_STREQ(alert.text.String(),
		"\n\nalpha: Message succesfully sent.\nUnknown host : nosuchhost\n"
		"odd: something broke\n\nSent as 3 messages.\n\n"
		"The WinPopup code page lacks some characters; sent as: \xe2\x82\xac \xe2\x86\x92 EUR");
}

TEST_F(StandInAlerts, EachRecipientGetsEveryPartAndTheAlertNamesThemAll)
{
	const std::string prompt = "Type your message, ending it with a Control-D\n";
	write_file(File("reply.alpha"), prompt);
	write_file(File("reply.beta"), prompt);
	Answer("Connection to nosuchhost failed. Error NT_STATUS_NOT_FOUND\n", "", 1);
	std::string text;
	while (text.size() < 3500)
		text += "more words ";
	samba_post("alpha, beta nosuchhost", text.c_str(), "alice");
	ShownAlert alert = take_samba_alert("samba_post_several");
	EXPECT_EQ(alert.title, "error");
	EXPECT_EQ(alert.text,
		"\n\nalpha: Message succesfully sent.\nbeta: Message succesfully sent.\n"
		"Unknown host : nosuchhost\n\nSent as 3 messages.");

	// Parts in order to each; an unknown host is not tried again.
	std::istringstream calls(read_file(File("calls")));
	std::vector<std::string> order;
	for (std::string line; std::getline(calls, line);)
		order.push_back(line.substr(0, line.find(':')) + line.substr(line.find(':') + 1, 6));
	EXPECT_EQ(order, (std::vector<std::string>{"alpha(1/3) ", "alpha(2/3) ", "alpha(3/3) ",
		"beta(1/3) ", "beta(2/3) ", "beta(3/3) ", "nosuchhost(1/3) "}));
}
