#ifndef _PRIVATE_DOVECOT_H
#define _PRIVATE_DOVECOT_H

#include <string>
#include <vector>

// A dovecot of the test's own on loopback (IMAP and POP3 on free high
// ports), with one user "murmelo" whose Maildir lives in a temporary folder.
class PrivateDovecot {
public:
	PrivateDovecot();
	~PrivateDovecot();

	// False (with Error()) when dovecot is not installed or did not start.
	// With tls, it listens for imaps and pop3s as well, with a certificate
	// of its own for 127.0.0.1.
	bool Start(bool tls = false);
	void Stop();
	const std::string& Error() const { return fError; }

	int ImapPort() const { return fImapPort; }
	const std::string& MaildirPath() const { return fMaildir; }
	int Pop3Port() const { return fPop3Port; }
	std::string Certificate() const { return fRoot + "/cert.pem"; }
	static const char* User() { return "murmelo"; }
	static const char* Password() { return "s3cret pass"; }

	// Puts a mail into the Maildir as a delivery agent does (written in
	// tmp/, renamed into new/); seen mails go to cur/ with the S flag.
	void Deliver(const std::string& name, const std::string& mail, bool seen = false);

	// "uid flags" lines of every mail, looked at read-only over IMAP.
	std::string Flags() const;

	// Settings lines for an account of this server ("imap" or "pop3"),
	// over TLS trusting its certificate when tls.
	std::string Account(const char* protocol, const char* password = Password(),
		bool tls = false) const;

private:
	std::string fRoot;
	std::string fMaildir;
	std::string fConfig;
	int fImapPort = 0;
	int fPop3Port = 0;
	int fImapsPort = 0;
	int fPop3sPort = 0;
	int fMailUid = -1;
	int fMailGid = -1;
	bool fRunning = false;
	std::string fError;
};

// A loopback port nobody listens on now.
int free_port();

#endif
