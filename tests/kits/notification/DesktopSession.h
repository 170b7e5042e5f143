#ifndef _DESKTOP_SESSION_H
#define _DESKTOP_SESSION_H

// A private D-Bus session bus on loopback, and on it, when asked, a real
// notification service: dunst on an Xvfb screen of its own. dunstctl reads
// what the service received and clicks its notifications.

#include <Process.h>

#include <string>
#include <vector>

#include <sys/types.h>

struct ShownNotification {
	int id = 0;
	std::string app;
	std::string summary;
	std::string body;
};

class DesktopSession {
public:
	explicit DesktopSession(bool withService);
	~DesktopSession();

	// Empty when every part runs; otherwise what is missing or failed.
	const std::string& Problem() const { return fProblem; }
	const std::string& Address() const { return fAddress; }

	// Runs dunstctl with these arguments on this bus.
	ProcessResult Control(const std::vector<std::string>& arguments) const;
	// Closes the shown notifications and reads the service's history,
	// newest first.
	std::vector<ShownNotification> CloseAndReadHistory() const;
	// Notifications on screen now.
	int Displayed() const;

	// Whether every program the session needs is installed.
	static std::string Missing(bool withService);

private:
	// readyFd, when given, becomes the program's descriptor 3.
	pid_t _Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
		int readyFd = -1);

	TempDir fDir{"murmelo-bus"};
	std::string fAddress;
	std::string fProblem;
	pid_t fBus = -1;
	pid_t fScreen = -1;
	pid_t fService = -1;
};

#endif
