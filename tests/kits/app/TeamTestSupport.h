#ifndef _TEAM_TEST_SUPPORT_H
#define _TEAM_TEST_SUPPORT_H

// Another process running the test peer application, and the test
// process's own application that peers can answer to.

#include <Looper.h>
#include <Messenger.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

extern const char* kPeerSignature;

class TeamPeer {
public:
	// Starts the peer and waits until it can be reached.
	explicit TeamPeer(const std::vector<std::string>& arguments = {},
		const char* signature = kPeerSignature);
	~TeamPeer();

	pid_t Team() const { return fPid; }
	bool Started() const { return fStarted; }
	BMessenger Messenger() const;
	// What the peer wrote on standard error so far.
	std::string Errors() const;
	// Ends it the hard way and collects it.
	void Kill();

private:
	pid_t fPid = -1;
	bool fStarted = false;
	std::string fErrorPath;
};

// A looper of the test process that answers 'ping' and collects 'pong'.
class Answerer : public BLooper {
public:
	Answerer();
	void MessageReceived(BMessage* message) override;
	// Waits (up to a generous bound) for that many 'pong's in all.
	bool WaitForPongs(int count);
	std::vector<std::string> PongTexts();

private:
	std::mutex fLock;
	std::condition_variable fArrived;
	std::vector<std::string> fTexts;
};

Answerer* answerer();

// The runtime folder the tests set up, and the applications' folder in it.
std::string runtime_folder_path();
std::string app_folder_path();
bool file_exists(const std::string& path);

#endif
