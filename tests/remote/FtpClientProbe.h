#ifndef FTP_CLIENT_PROBE_H
#define FTP_CLIENT_PROBE_H

#include "FtpClient.h"

#include <NetEndpoint.h>

// Reaches the inside of an FtpClient for the tests and the fuzz target: the
// reply reader on a socket of the test's own, and the state bits.
class FtpClientProbe {
public:
	static void AdoptControl(FtpClient& client, int socket)
	{
		client.m_control.reset(BNetEndpoint::Adopt(socket));
		client.p_setState(FtpClient::ftp_connected);
	}

	static bool GetReply(FtpClient& client, std::string& text, int& code, int& codeClass)
	{
		return client.p_getReply(text, code, codeClass);
	}

	static bool HasControl(const FtpClient& client) { return client.m_control != nullptr; }
	static bool HasData(const FtpClient& client) { return client.m_data != nullptr; }
	static bool Connected(const FtpClient& client)
	{
		return client.p_testState(FtpClient::ftp_connected);
	}
	static bool Passive(const FtpClient& client)
	{
		return client.p_testState(FtpClient::ftp_passive);
	}
};

#endif
