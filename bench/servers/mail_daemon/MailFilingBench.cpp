// Fetching and filing 1,000 mails into an empty mail folder: over IMAP and
// POP3 from a private dovecot, and from the same Maildir read directly.
// Every round files all of them, into a fresh boot volume.
#include "PrivateDovecot.h"

#include <MailInbox.h>

#include <Process.h>

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const int kMails = 1000;

PrivateDovecot* sServer = NULL;

std::string
mail(int index)
{
	std::string subject = index % 2 == 0
		? "=?UTF-8?B?w4d1IHZhIMOgIFpvw6s=?= number " + std::to_string(index)
		: "=?ISO-8859-1?Q?d=E9j=E0_vu?= number " + std::to_string(index);
	std::string body;
	for (int line = 0; line < 40; line++)
		body += "A line of an ordinary mail body, about seventy characters long....\r\n";
	return "From: =?ISO-8859-1?Q?Ren=E9e?= <renee@example.org>\r\nTo: you@example.org\r\n"
		   "Subject: " + subject + "\r\nDate: Tue, 1 Dec 2026 10:00:00 +0100\r\n"
		   "Message-ID: <" + std::to_string(index) + "@example.org>\r\n\r\n" + body;
}

void
file_all(benchmark::State& state, const BMailAccount& account)
{
	if (sServer == NULL) {
		state.SkipWithError("dovecot did not start");
		return;
	}
	// Removed after the timing.
	std::vector<std::unique_ptr<TempDir>> volumes;
	for (auto _ : state) {
		state.PauseTiming();
		volumes.push_back(std::make_unique<TempDir>("murmelo-bench-mail"));
		setenv("BE_BOOT_VOLUME", volumes.back()->Path().c_str(), 1);
		state.ResumeTiming();
		BMailInbox inbox;
		int32 filed = 0;
		BString error;
		if (fetch_new_mail(account, inbox, &filed, &error) != B_OK || filed != kMails) {
			state.SkipWithError(error.String());
			break;
		}
	}
	state.counters["mails/s"]
		= benchmark::Counter(kMails * state.iterations(), benchmark::Counter::kIsRate);
}

BMailAccount
server_account(const char* protocol)
{
	BMailAccount account;
	account.name = protocol;
	account.protocol = protocol;
	account.host = "127.0.0.1";
	account.port = std::string(protocol) == "imap" ? sServer->ImapPort() : sServer->Pop3Port();
	account.user = PrivateDovecot::User();
	account.password = PrivateDovecot::Password();
	return account;
}

void
BM_FileFromImap(benchmark::State& state)
{
	file_all(state, server_account("imap"));
}

void
BM_FileFromPop3(benchmark::State& state)
{
	file_all(state, server_account("pop3"));
}

void
BM_FileFromMaildir(benchmark::State& state)
{
	BMailAccount account;
	account.name = "local";
	account.protocol = "maildir";
	account.path = sServer->MaildirPath().c_str();
	file_all(state, account);
}

}  // namespace

BENCHMARK(BM_FileFromImap)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileFromPop3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileFromMaildir)->Unit(benchmark::kMillisecond)->UseRealTime();

int
main(int argc, char** argv)
{
	benchmark::Initialize(&argc, argv);
	PrivateDovecot server;
	if (server.Start()) {
		sServer = &server;
		for (int i = 0; i < kMails; i++)
			server.Deliver("1700000000.M" + std::to_string(i) + "P1.bench", mail(i));
	} else
		fprintf(stderr, "%s\n", server.Error().c_str());
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
