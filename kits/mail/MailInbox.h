#ifndef _MAIL_INBOX_H
#define _MAIL_INBOX_H

#include <String.h>
#include <SupportDefs.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

// One account of the mail daemon's settings file.
struct BMailAccount {
	BString name;
	BString protocol;  // "imap", "pop3" or "maildir"
	BString host;
	int32 port = 0;  // 0: the protocol's own
	bool tls = false;  // TLS from the first byte (imaps, pop3s)
	BString caFile;  // certificates to trust besides the system's
	BString user;
	BString password;
	BString mailbox = "INBOX";
	BString path;  // maildir

	// What the account's mails are remembered under: never the password.
	BString Id() const;
};

struct BMailSettings {
	int32 checkMinutes = 5;  // 0: only at start and when asked
	std::vector<BMailAccount> accounts;
};

// The settings file "mail_accounts" in the user settings directory.
BString mail_settings_path();

// Reads the settings. A file others may read is refused: it holds passwords.
// On failure error says what is wrong, in one sentence.
status_t read_mail_settings(const char* path, BMailSettings* settings, BString* error);

// The folder mails are filed in ("/boot/home/mail/in") and the list of
// what was filed, so that nothing is filed twice across restarts.
class BMailInbox {
public:
	// Sentences about a mail that was filed as well as it could be, each
	// naming the mail by its key.
	typedef std::function<void(const BString& problem)> Reporter;

	BMailInbox(Reporter reporter = Reporter());

	status_t InitCheck() const { return fStatus; }
	bool WasFiled(const BString& key) const;
	// Writes the mail under a temporary name with its attributes, then
	// renames it in place, and remembers key. B_FILE_EXISTS: it was filed
	// before (just before a crash, say), and is remembered now.
	status_t File(const BString& key, const char* data, size_t size, BString* error);
	// The mails in the folder whose status is "New".
	int32 CountNew() const;

	const BString& Folder() const { return fFolder; }

private:
	status_t _Remember(const BString& key);

	status_t fStatus;
	BString fFolder;
	BString fListPath;
	std::set<std::string> fFiled;
	Reporter fReporter;
};

// Files every mail of account not filed before; the server is never
// changed. Answers B_OK or the mail kit's status for what went wrong
// (B_MAIL_WRONG_PASSWORD, B_MAIL_UNKNOWN_HOST, B_MAIL_ACCESS_ERROR), with a
// sentence in error.
status_t fetch_new_mail(const BMailAccount& account, BMailInbox& inbox, int32* filed,
	BString* error);

#endif
