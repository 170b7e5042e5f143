#ifndef VSFTPD_SERVER_H
#define VSFTPD_SERVER_H

#include <string>

#include <sys/types.h>

// A private vsftpd on 127.0.0.1: its own configuration, a free port and a
// temporary folder, removed again with the object. The test user (created
// once, needs root) logs in with the password below and sees Root() as "/".
class VsftpdServer {
public:
	static const char* kUser;
	static const char* kPassword;

	VsftpdServer();
	~VsftpdServer();

	// Starts the server with extra configuration lines; an empty result means
	// it runs, anything else says why not.
	std::string Start(const std::string& extraConfig = "");
	void Stop();

	std::string Address() const { return "127.0.0.1:" + std::to_string(fPort); }
	int Port() const { return fPort; }
	const std::string& Root() const { return fRoot; }
	const std::string& Folder() const { return fFolder; }

	// Makes the user own a file or folder made under Root() by the test.
	static void GiveToUser(const std::string& path);

private:
	static std::string _EnsureUser();
	std::string _StartOnce(const std::string& extraConfig);
	bool _Listening() const;

	std::string fFolder;
	std::string fRoot;
	int fPort = 0;
	pid_t fPid = -1;
};

#endif
