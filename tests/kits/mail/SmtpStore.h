#ifndef _TEST_SMTP_STORE_H
#define _TEST_SMTP_STORE_H

#include <map>
#include <string>
#include <vector>

// A real SMTP server (aiosmtpd, smtp_store.py) on 127.0.0.1 that stores what
// it receives, in a private folder that also holds a HOME whose .msmtprc
// makes msmtp deliver there. Started by the constructor, stopped and removed
// by the destructor.
class SmtpStore {
public:
	SmtpStore();
	~SmtpStore();

	// Empty when the server runs; otherwise what went wrong.
	const std::string& Problem() const { return fProblem; }

	int Port() const { return fPort; }
	const std::string& Root() const { return fRoot; }
	std::string Home() const { return fRoot + "/home"; }

	int CountMails() const;
	std::string MailPath(int number) const;
	std::string Recipients(int number) const;

private:
	std::string fRoot;
	std::string fProblem;
	int fPort = 0;
	int fServer = -1;
};

struct RunResult {
	int status = -1;
	std::string output;
};

// Runs a program with an argument vector and collects its standard output.
RunResult run_program(const std::vector<std::string>& arguments);

std::string read_whole_file(const std::string& path);
void write_whole_file(const std::string& path, const std::string& text, int mode);

// A port on 127.0.0.1 that nothing listens on right now.
int closed_port();

std::string from_hex(const std::string& hex);
// What a mail reader sees in a stored mail, field by field (subject and
// body in hex); a MIME defect fails the test, one in an address only when
// validAddresses.
std::map<std::string, std::string> read_mail(const std::string& path,
	bool validAddresses = true);

#endif
