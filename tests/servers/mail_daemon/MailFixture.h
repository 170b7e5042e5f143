#ifndef _MAIL_FIXTURE_H
#define _MAIL_FIXTURE_H

// What the mail daemon tests share: a private boot volume and runtime
// folder, the settings file, the daemon run once or kept running, and the
// mails it filed with their attributes.

#include "PrivateDovecot.h"

#include <Process.h>
#include <TempBootVolume.h>

#include <gtest/gtest.h>

#include <sys/types.h>
#include <time.h>

#include <string>
#include <vector>

struct FiledMail {
	std::string name;
	std::string bytes;
	std::string from, to, subject, status, type;
	time_t when = 0;
	bool typesRight = false;  // strings as B_STRING_TYPE, when as B_TIME_TYPE ...
};

class MailFixture : public ::testing::Test {
public:
	static std::string DaemonPath() { return std::string(MURMELO_TREE) + "/bin/mail_daemon"; }

protected:
	MailFixture();
	~MailFixture() override;

	std::string SettingsPath() const;
	void WriteSettings(const std::string& text, mode_t mode = 0600);
	std::string MaildirAccount(const std::string& path) const;

	// One check of every account, as "mail_daemon --once".
	ProcessResult RunOnce();
	// The filed mails, sorted by subject.
	std::vector<FiledMail> Filed() const;
	// Files in the folder that are not mails in place (half-written ones).
	std::vector<std::string> Leftovers() const;

	std::vector<std::string> Environment() const;

	// One runtime folder for the test program, so that its own application
	// and the daemons it starts meet there.
	static const std::string& Runtime();

	TempBootVolume fVolume;
};

// A local Maildir folder with new/, cur/ and tmp/.
class LocalMaildir {
public:
	LocalMaildir();
	const std::string& Path() const { return fDir.Path(); }
	std::string Put(const std::string& sub, const std::string& name, const std::string& bytes);
	std::vector<std::string> Names(const std::string& sub) const;

private:
	TempDir fDir{"murmelo-maildir"};
};

// The daemon kept running (or another program: path and arguments), with
// its standard output read line by line.
class RunningDaemon {
public:
	RunningDaemon(const std::vector<std::string>& environment,
		const std::vector<std::string>& command = {});
	~RunningDaemon();
	// Waits for a line starting with prefix (its end being the readiness
	// signal); false if the daemon ended first.
	bool WaitForLine(const std::string& prefix, std::string* line = NULL);

private:
	pid_t fPid = -1;
	int fOutput = -1;
	std::string fBuffer;
};

#endif
