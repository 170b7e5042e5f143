#ifndef FTP_CLIENT_H
#define FTP_CLIENT_H

#include <OS.h>
#include <SupportDefs.h>

#include <bitset>
#include <memory>
#include <string>

class BNetEndpoint;

// A small synchronous FTP client. Every call blocks until the server has
// answered, returns whether it worked and traces the dialogue on standard
// output. The server name may end in ":port" for a server that does not
// listen on the FTP port.
class FtpClient {
public:
	enum ftp_mode {
		binary_mode = 0,
		ascii_mode = 1
	};

	FtpClient();
	~FtpClient();

	bool connect(const std::string& server, const std::string& user,
		const std::string& password);
	bool putFile(const std::string& local, const std::string& remote,
		ftp_mode mode = binary_mode);
	bool getFile(const std::string& remote, const std::string& local,
		ftp_mode mode = binary_mode);
	bool moveFile(const std::string& oldName, const std::string& newName);
	bool cd(const std::string& dir);
	bool pwd(std::string& dir);
	bool ls(std::string& listing);

	void setPassive(bool on);
	// The longest wait, in microseconds, for a whole reply, for a request to
	// be sent, for the server to open an active-mode data connection, and
	// for each 1 KiB of a transfer. A dead or dawdling server then fails the
	// call instead of blocking it for ever.
	void setTimeout(bigtime_t timeout);

private:
	friend class FtpClientProbe;

	enum {
		ftp_connected = 0x02,
		ftp_passive = 0x04
	};

	FtpClient(const FtpClient&) = delete;
	FtpClient& operator=(const FtpClient&) = delete;

	bool p_sendRequest(const std::string& request);
	bool p_getReplyLine(std::string& line);
	bool p_getReply(std::string& text, int& code, int& codeClass);
	// Reads replies until one that is not preliminary (1xx).
	bool p_getFinalReply(std::string& text, int& code, int& codeClass);
	bool p_receiveControlByte(uint8& byte);
	// Fits the control connection's time limit to what is left of the
	// reply's; false once nothing is left.
	bool p_limitControl();
	bool p_openDataConnection();
	bool p_acceptDataConnection();

	void p_setState(unsigned long bits);
	void p_clearState(unsigned long bits);
	bool p_testState(unsigned long bits) const;

	uint32 m_state = 0;
	std::unique_ptr<BNetEndpoint> m_control;
	std::unique_ptr<BNetEndpoint> m_data;
	bigtime_t m_timeout = 60000000;
	bigtime_t m_replyDeadline = B_INFINITE_TIMEOUT;
	// Why the last reply could not be read.
	const char* m_replyFailure = NULL;
	// The Telnet refusals already sent, DONT then WONT, by option.
	std::bitset<512> m_refused;
};

#endif
