#ifndef SCRIPTED_SERVER_H
#define SCRIPTED_SERVER_H

#include <functional>
#include <string>
#include <thread>
#include <vector>

// One side of a connection as a test script sees it. Every wait ends after a
// few seconds, so a broken client cannot hang a test.
class ScriptSession {
public:
	explicit ScriptSession(int socket);
	~ScriptSession();

	void Send(const std::string& bytes);
	// The next line without its CR LF, or "<eof>" once the client has gone.
	std::string ReadLine();
	void Pause(int milliseconds);
	void Close();

	// Opens the data connection a "PORT h1,h2,h3,h4,p1,p2" request asks for;
	// only loopback addresses are accepted.
	int ConnectData(const std::string& portRequest);
	// A listener on address (a loopback address) and its port.
	static int ListenOn(const char* address, int& port);
	static int AcceptOn(int listener);
	static void SendOn(int socket, const std::string& bytes);
	// Everything until the peer closes.
	static std::string ReadAll(int socket);

	std::vector<std::string> requests;

private:
	int fSocket;
};

// A server on 127.0.0.1 that runs a script for the first client.
class ScriptedServer {
public:
	explicit ScriptedServer(std::function<void(ScriptSession&)> script);
	~ScriptedServer();

	std::string Address() const { return "127.0.0.1:" + std::to_string(fPort); }
	// Waits for the script to end and returns the requests it read.
	const std::vector<std::string>& Requests();

private:
	int fListener = -1;
	int fPort = 0;
	std::thread fThread;
	std::vector<std::string> fRequests;
};

// The greeting and a USER/PASS login.
void script_login(ScriptSession& session);

#endif
