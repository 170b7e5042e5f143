#ifndef HOSTILE_SERVER_H
#define HOSTILE_SERVER_H

#include <sys/types.h>

#include <string>
#include <vector>

// The scripted FTP server of hostile_ftp.py, in one of its modes, on
// 127.0.0.1. It is ready once constructed (it has said its port).
class HostileServer {
public:
	explicit HostileServer(const std::string& mode, const std::string& data = "");
	~HostileServer();

	bool Ready() const { return fPort > 0; }
	int Port() const { return fPort; }
	std::string Address() const { return "127.0.0.1:" + std::to_string(fPort); }
	// Waits for the server to end (its client has gone) and returns the
	// requests it read.
	std::vector<std::string> Requests();

private:
	pid_t fPid = -1;
	int fOutput = -1;
	int fPort = 0;
	std::string fPending;
};

#endif
