#include "ScriptedServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int kWaitMilliseconds = 10000;

void
limit_receives(int socket)
{
	struct timeval limit = {kWaitMilliseconds / 1000, 0};
	setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
}

} // namespace

ScriptSession::ScriptSession(int socket)
	:
	fSocket(socket)
{
	limit_receives(fSocket);
}

ScriptSession::~ScriptSession()
{
	Close();
}

void
ScriptSession::Send(const std::string& bytes)
{
	SendOn(fSocket, bytes);
}

std::string
ScriptSession::ReadLine()
{
	std::string line;
	char byte;
	while (fSocket >= 0 && recv(fSocket, &byte, 1, 0) == 1) {
		if (byte == '\n') {
			if (!line.empty() && line.back() == '\r')
				line.pop_back();
			requests.push_back(line);
			return line;
		}
		line += byte;
	}
	return "<eof>";
}

void
ScriptSession::Pause(int milliseconds)
{
	usleep(milliseconds * 1000);
}

void
ScriptSession::Close()
{
	if (fSocket >= 0)
		close(fSocket);
	fSocket = -1;
}

int
ScriptSession::ConnectData(const std::string& portRequest)
{
	int h1, h2, h3, h4, p1, p2;
	if (sscanf(portRequest.c_str(), "PORT %d,%d,%d,%d,%d,%d", &h1, &h2, &h3, &h4, &p1, &p2) != 6
		|| h1 != 127) {
		ADD_FAILURE() << "not a loopback PORT request: " << portRequest;
		return -1;
	}
	struct sockaddr_in address = {};
	address.sin_family = AF_INET;
	address.sin_port = htons(p1 * 256 + p2);
	address.sin_addr.s_addr = htonl((h1 << 24) | (h2 << 16) | (h3 << 8) | h4);
	int data = socket(AF_INET, SOCK_STREAM, 0);
	if (connect(data, (struct sockaddr*)&address, sizeof(address)) != 0) {
		ADD_FAILURE() << "cannot connect to " << portRequest;
		close(data);
		return -1;
	}
	limit_receives(data);
	return data;
}

int
ScriptSession::ListenOn(const char* host, int& port)
{
	int listener = socket(AF_INET, SOCK_STREAM, 0);
	struct sockaddr_in address = {};
	address.sin_family = AF_INET;
	inet_pton(AF_INET, host, &address.sin_addr);
	socklen_t length = sizeof(address);
	if (bind(listener, (struct sockaddr*)&address, length) != 0 || listen(listener, 5) != 0
		|| getsockname(listener, (struct sockaddr*)&address, &length) != 0) {
		ADD_FAILURE() << "cannot listen on " << host;
		close(listener);
		return -1;
	}
	port = ntohs(address.sin_port);
	return listener;
}

int
ScriptSession::AcceptOn(int listener)
{
	struct pollfd waiting = {listener, POLLIN, 0};
	if (listener < 0 || poll(&waiting, 1, kWaitMilliseconds) != 1)
		return -1;
	int connection = accept(listener, NULL, NULL);
	if (connection >= 0)
		limit_receives(connection);
	return connection;
}

void
ScriptSession::SendOn(int socket, const std::string& bytes)
{
	if (socket >= 0)
		send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::string
ScriptSession::ReadAll(int socket)
{
	std::string all;
	char buffer[4096];
	ssize_t received;
	while (socket >= 0 && (received = recv(socket, buffer, sizeof(buffer), 0)) > 0)
		all.append(buffer, received);
	return all;
}

ScriptedServer::ScriptedServer(std::function<void(ScriptSession&)> script)
{
	fListener = ScriptSession::ListenOn("127.0.0.1", fPort);
	fThread = std::thread([this, script] {
		int connection = ScriptSession::AcceptOn(fListener);
		if (connection < 0)
			return;
		ScriptSession session(connection);
		script(session);
		fRequests = session.requests;
	});
}

ScriptedServer::~ScriptedServer()
{
	Requests();
	close(fListener);
}

const std::vector<std::string>&
ScriptedServer::Requests()
{
	if (fThread.joinable())
		fThread.join();
	return fRequests;
}

void
script_login(ScriptSession& session)
{
	session.Send("220 scripted\r\n");
	session.ReadLine();
	session.Send("331 password please\r\n");
	session.ReadLine();
	session.Send("230 in\r\n");
}
