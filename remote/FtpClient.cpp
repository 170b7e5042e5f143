#include "FtpClient.h"

#include <Entry.h>
#include <File.h>
#include <HostPath.h>
#include <NetAddress.h>
#include <NetEndpoint.h>
#include <OS.h>
#include <VisibleText.h>

#include <ctype.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

const char* kClosedMessage = "Remote host has closed the connection.\n";
const char* kSilentMessage = "No reply in time; the connection is closed.\n";
const char* kTooLongMessage = "Reply too long; the connection is closed.\n";
const char* kTooManyMessage = "No final reply; the connection is closed.\n";

// A server may say a lot, but not without end: beyond these a reply is not
// FTP any more, and the session ends.
const size_t kMaxReplyLine = 8192;
const int kMaxReplyLines = 200;
const int kMaxPreliminaryReplies = 10;
// Each new line of a reply shows the whole reply so far again, while that
// stays short; past this only the new line is shown.
const size_t kReprintLimit = 4096;
// A transfer must bring at least this much in every time-limit window;
// a trickle that keeps each single receive alive does not count.
const size_t kMinProgress = 1024;

const size_t kListBlock = 512;
const size_t kFileBlock = 8192;
// Downloads receive in large blocks and write to the file in larger ones:
// with a call per 8 KiB the system calls, not loopback, set the pace.
const size_t kReceiveBlock = 256 * 1024;
const size_t kWriteBlock = 1024 * 1024;

enum {
	kTelnetEndOfFile = 236,
	kTelnetWill = 251,
	kTelnetWont = 252,
	kTelnetDo = 253,
	kTelnetDont = 254,
	kTelnetIAC = 255
};

// Everything on standard output is text from the server or the user: it is
// never used as a format, and its control characters are shown, not obeyed
// by the terminal.
void
trace(const char* text, size_t length)
{
	std::string shown = visible_text(text, length);
	fwrite(shown.data(), 1, shown.size(), stdout);
	fflush(stdout);
}

void
trace(const std::string& text)
{
	trace(text.data(), text.size());
}

bool
has_line_break(const std::string& text)
{
	return text.find_first_of("\r\n") != std::string::npos;
}

std::string
local_path(const std::string& path)
{
	if (path.compare(0, 6, "/boot/") == 0)
		return host_path(path.c_str()).String();
	return path;
}

// Reads one "%d" as scanf() would: blanks, an optional sign, then at least
// one digit. Values out of the int range are clamped rather than undefined.
bool
scan_int(const char*& text, int& value)
{
	const char* cursor = text;
	while (isspace((unsigned char)*cursor))
		cursor++;
	bool negative = false;
	if (*cursor == '+' || *cursor == '-')
		negative = *cursor++ == '-';
	if (!isdigit((unsigned char)*cursor))
		return false;
	long long number = 0;
	while (isdigit((unsigned char)*cursor)) {
		if (number <= INT_MAX)
			number = number * 10 + (*cursor - '0');
		cursor++;
	}
	if (number > INT_MAX)
		number = INT_MAX;
	value = negative ? -(int)number : (int)number;
	text = cursor;
	return true;
}

// How many of the numbers of "h1,h2,h3,h4,p1,p2" the text starts with.
int
scan_address(const std::string& text, int numbers[6])
{
	const char* cursor = text.c_str();
	int count = 0;
	while (count < 6) {
		if (count > 0) {
			if (*cursor != ',')
				break;
			cursor++;
		}
		if (!scan_int(cursor, numbers[count]))
			break;
		count++;
	}
	return count;
}

// "host:port" names a server on a port of its own; anything else is a host
// that listens on the FTP port.
bool
split_port(const std::string& server, std::string& host, unsigned short& port)
{
	size_t colon = server.find(':');
	if (colon == std::string::npos || server.find(':', colon + 1) != std::string::npos)
		return false;
	std::string digits = server.substr(colon + 1);
	if (digits.empty() || digits.size() > 5)
		return false;
	unsigned long value = 0;
	for (char c : digits) {
		if (!isdigit((unsigned char)c))
			return false;
		value = value * 10 + (c - '0');
	}
	if (value == 0 || value > 65535)
		return false;
	host = server.substr(0, colon);
	port = (unsigned short)value;
	return true;
}

int32
accept_timeout(bigtime_t timeout)
{
	if (timeout < 0 || timeout == B_INFINITE_TIMEOUT)
		return -1;
	bigtime_t milliseconds = (timeout + 999) / 1000;
	return milliseconds > INT32_MAX ? INT32_MAX : (int32)milliseconds;
}

// A receive that ended because of an error or the time limit, not because the
// sender finished.
bool
receive_failed(const BNetEndpoint& endpoint, int32 received)
{
	return received < 0 || (received == 0 && endpoint.Error() == ETIMEDOUT);
}

bool
is_blank(const std::string& text)
{
	for (char c : text) {
		if (!isspace((unsigned char)c))
			return false;
	}
	return true;
}

// Receives on a data connection under two limits: each receive waits at most
// the time limit, and every window of that length must bring kMinProgress
// bytes, or the transfer has stalled.
class ProgressWatch {
public:
	ProgressWatch(BNetEndpoint& endpoint, bigtime_t timeout)
		:
		fEndpoint(endpoint),
		fTimeout(timeout),
		fWindowEnd(system_time() + timeout)
	{
	}

	// As BNetEndpoint::Receive(); a stall is an error (-1).
	int32 Receive(void* buffer, size_t size)
	{
		if (fTimeout < 0 || fTimeout == B_INFINITE_TIMEOUT)
			return fEndpoint.Receive(buffer, size);
		for (;;) {
			bigtime_t now = system_time();
			if (now >= fWindowEnd) {
				if (fWindowBytes < kMinProgress)
					return -1;
				fWindowEnd = now + fTimeout;
				fWindowBytes = 0;
			}
			fEndpoint.SetTimeout(fWindowEnd - now);
			int32 received = fEndpoint.Receive(buffer, size);
			if (received == 0 && fEndpoint.Error() == ETIMEDOUT)
				continue;
			if (received > 0)
				fWindowBytes += received;
			return received;
		}
	}

private:
	BNetEndpoint& fEndpoint;
	bigtime_t fTimeout;
	bigtime_t fWindowEnd;
	size_t fWindowBytes = 0;
};

} // namespace

FtpClient::FtpClient()
{
}

FtpClient::~FtpClient()
{
}

bool
FtpClient::connect(const std::string& server, const std::string& user,
	const std::string& password)
{
	m_data.reset();
	m_control.reset();
	// Whatever happens below, the old session is gone.
	p_clearState(ftp_connected);

	m_refused.reset();

	m_control.reset(new BNetEndpoint(SOCK_STREAM));
	if (m_control->InitCheck() != B_OK)
		return false;
	m_control->SetTimeout(m_timeout);

	std::string host = server;
	unsigned short port = 0;
	bool portGiven = split_port(server, host, port);
	// The kit reads an empty name as any local address, which would reach
	// this machine's own server: no name is no server.
	if (is_blank(host)) {
		trace("(no server name given)\n");
		m_control.reset();
		return false;
	}
	BNetAddress address;
	if (portGiven)
		address.SetTo(host.c_str(), port);
	else
		address.SetTo(server.c_str(), "tcp", "ftp");

	std::string text;
	int code = 0;
	int codeClass = 0;
	bool loggedIn = address.InitCheck() == B_OK && m_control->Connect(address) == B_OK
		&& p_getReply(text, code, codeClass) && code != 421 && codeClass != 5;
	// A name or password with a line break is not sent at all (see
	// p_sendRequest), so no reply can be waited for.
	if (loggedIn && (has_line_break(user) || has_line_break(password))) {
		trace("(login not sent: the name or password holds a line break)\n");
		loggedIn = false;
	}
	if (loggedIn) {
		p_sendRequest("USER " + user);
		loggedIn = p_getReply(text, code, codeClass);
		if (loggedIn && code == 331) {
			p_sendRequest("PASS " + password);
			loggedIn = p_getReply(text, code, codeClass) && codeClass == 2;
		} else if (loggedIn && code != 230 && code != 202)
			loggedIn = false;
	}
	if (!loggedIn) {
		m_control.reset();
		return false;
	}
	p_setState(ftp_connected);
	return true;
}

bool
FtpClient::putFile(const std::string& local, const std::string& remote, ftp_mode mode)
{
	BFile file(local_path(local).c_str(), B_READ_ONLY);
	if (file.InitCheck() != B_OK)
		return false;

	std::string text;
	int code = 0;
	int codeClass = 0;
	if (p_sendRequest(mode == binary_mode ? "TYPE I" : "TYPE A"))
		p_getReply(text, code, codeClass);

	bool started = p_openDataConnection() && p_sendRequest("STOR " + remote)
		&& p_getReply(text, code, codeClass) && codeClass <= 2;
	// A preliminary (1xx) reply promises a final one, which must be read even
	// after a failure, or it would be taken for the answer to the next request.
	bool finalReplyDue = started && codeClass == 1;
	bool sent = started && p_acceptDataConnection();
	if (sent) {
		std::vector<char> block(kFileBlock);
		std::vector<char> converted(2 * kFileBlock);
		for (;;) {
			ssize_t bytesRead = file.Read(block.data(), kFileBlock);
			if (bytesRead == 0)
				break;
			if (bytesRead < 0) {
				// Sending what was read so far as the whole file would leave a
				// cut-off copy on the server that looks complete.
				sent = false;
				break;
			}
			const char* out = block.data();
			size_t length = bytesRead;
			if (mode == ascii_mode) {
				length = 0;
				for (ssize_t i = 0; i < bytesRead; i++) {
					if (block[i] == '\n')
						converted[length++] = '\r';
					converted[length++] = block[i];
				}
				out = converted.data();
			}
			if (m_data->Send(out, length) < 0) {
				sent = false;
				break;
			}
		}
	}
	// Closing the data connection tells the server the file is complete, so
	// it must happen before the final reply can come.
	m_data.reset();

	bool stored = sent;
	if (sent || finalReplyDue) {
		// The server may still refuse the file (a full disk, a quota).
		stored = p_getFinalReply(text, code, codeClass) && codeClass <= 2 && sent;
	}
	return stored;
}

bool
FtpClient::getFile(const std::string& remote, const std::string& local, ftp_mode mode)
{
	// The bytes go to a new file beside the target, which replaces it only
	// once the server has said the whole file came: a failure at any point
	// leaves an earlier copy as it was.
	std::string path = local_path(local);
	struct stat old;
	bool existed = stat(path.c_str(), &old) == 0;
	std::string partPath;
	BFile file;
	for (int attempt = 0; attempt < 100; attempt++) {
		partPath = path + ".part" + std::to_string(getpid()) + "-" + std::to_string(attempt);
		if (file.SetTo(partPath.c_str(), B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS)
			!= B_FILE_EXISTS)
			break;
	}
	if (file.InitCheck() != B_OK) {
		trace("(can't write beside " + path + ")\n");
		return false;
	}
	if (existed)
		chmod(partPath.c_str(), old.st_mode & 07777);

	std::string text;
	int code = 0;
	int codeClass = 0;
	if (p_sendRequest(mode == binary_mode ? "TYPE I" : "TYPE A"))
		p_getReply(text, code, codeClass);

	bool started = p_openDataConnection() && p_sendRequest("RETR " + remote)
		&& p_getReply(text, code, codeClass) && codeClass <= 2;
	bool finalReplyDue = started && codeClass == 1;
	bool receiving = started && p_acceptDataConnection();

	bool failed = false;
	bool writeFailed = false;
	if (receiving) {
		ProgressWatch watch(*m_data, m_timeout);
		std::vector<char> pending(kWriteBlock + kReceiveBlock);
		std::vector<char> block(kReceiveBlock);
		size_t used = 0;
		bool afterCR = false;
		auto flush = [&]() {
			if (used > 0 && file.Write(pending.data(), used) != (ssize_t)used)
				writeFailed = true;
			used = 0;
		};
		while (!writeFailed) {
			char* target = mode == binary_mode ? pending.data() + used : block.data();
			int32 received = watch.Receive(target, kReceiveBlock);
			if (received <= 0) {
				// A broken or stalled data connection is not the end of the file.
				if (receive_failed(*m_data, received)) {
					trace("(data connection broken or stalled)\n");
					failed = true;
				}
				break;
			}
			if (mode == binary_mode)
				used += received;
			else {
				// A CR is dropped and the byte after it kept as it is, even
				// when the CR ended the previous block.
				for (int32 i = 0; i < received; i++) {
					char byte = block[i];
					if (afterCR)
						afterCR = false;
					else if (byte == '\r') {
						afterCR = true;
						continue;
					}
					pending[used++] = byte;
				}
			}
			if (used >= kWriteBlock)
				flush();
		}
		if (!writeFailed && !failed)
			flush();
		if (writeFailed) {
			// Nothing more can be kept: closing the data connection stops the
			// server sending instead of filling the disk to no end.
			trace("(can't write " + partPath + ": transfer aborted)\n");
			failed = true;
		}
	}
	m_data.reset();

	bool done = false;
	if (receiving || finalReplyDue)
		done = p_getFinalReply(text, code, codeClass) && codeClass <= 2 && receiving && !failed;
	file.Unset();
	if (done && BEntry(partPath.c_str()).Rename(path.c_str(), true) != B_OK) {
		trace("(can't replace " + path + ")\n");
		done = false;
	}
	if (!done)
		BEntry(partPath.c_str()).Remove();
	return done;
}

bool
FtpClient::moveFile(const std::string& oldName, const std::string& newName)
{
	std::string text;
	int code = 0;
	int codeClass = 0;
	if (!p_sendRequest("RNFR " + oldName) || !p_getReply(text, code, codeClass)
		|| codeClass != 3)
		return false;
	return p_sendRequest("RNTO " + newName) && p_getReply(text, code, codeClass)
		&& codeClass == 2;
}

bool
FtpClient::cd(const std::string& dir)
{
	std::string text;
	int code = 0;
	int codeClass = 0;
	return p_sendRequest("CWD " + (dir.empty() ? std::string("/") : dir))
		&& p_getReply(text, code, codeClass) && codeClass == 2;
}

bool
FtpClient::pwd(std::string& dir)
{
	std::string text;
	int code = 0;
	int codeClass = 0;
	if (!p_sendRequest("PWD") || !p_getReply(text, code, codeClass) || codeClass != 2)
		return false;
	size_t open = text.find('"');
	if (open == std::string::npos)
		return false;
	size_t close = text.find('"', open + 1);
	dir = text.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
	return true;
}

bool
FtpClient::ls(std::string& listing)
{
	std::string text;
	int code = 0;
	int codeClass = 0;
	if (p_sendRequest("TYPE A"))
		p_getReply(text, code, codeClass);

	bool started = p_openDataConnection() && p_sendRequest("LIST")
		&& p_getReply(text, code, codeClass) && codeClass <= 2;
	bool finalReplyDue = started && codeClass == 1;
	bool receiving = started && p_acceptDataConnection();
	bool failed = !receiving;
	if (receiving) {
		ProgressWatch watch(*m_data, m_timeout);
		char block[kListBlock + 1];
		for (;;) {
			memset(block, 0, sizeof(block));
			int32 received = watch.Receive(block, kListBlock);
			if (received <= 0) {
				failed = receive_failed(*m_data, received);
				break;
			}
			// The listing is text: a NUL ends what this block contributes.
			size_t length = strlen(block);
			listing.append(block, length);
			trace(block, length);
		}
	}
	// The data endpoint stays open until the final reply is in.
	bool listed = false;
	if (receiving || finalReplyDue)
		listed = p_getFinalReply(text, code, codeClass) && codeClass <= 2 && !failed;
	m_data.reset();
	return listed;
}

void
FtpClient::setPassive(bool on)
{
	if (on)
		p_setState(ftp_passive);
	else
		p_clearState(ftp_passive);
}

void
FtpClient::setTimeout(bigtime_t timeout)
{
	m_timeout = timeout;
	if (m_control)
		m_control->SetTimeout(timeout);
}

bool
FtpClient::p_sendRequest(const std::string& request)
{
	if (!m_control)
		return false;
	// A line break inside an argument would smuggle a request of its own to
	// the server.
	if (has_line_break(request)) {
		trace("(request not sent: it holds a line break)\n");
		return false;
	}
	if (request.find("PASS") != std::string::npos)
		trace("PASS <suppressed>  (real password sent)\n");
	else
		trace(request + "\n");
	std::string line = request + "\r\n";
	// A server that does not read must not hold the client for ever.
	m_control->SetTimeout(m_timeout);
	return m_control->Send(line.data(), line.size()) >= 0;
}

bool
FtpClient::p_getReplyLine(std::string& line)
{
	line.clear();
	if (!m_control)
		return false;
	// One byte per receive: nothing past the end of the reply may be taken
	// from the connection.
	auto receive = [this](uint8& byte) { return p_receiveControlByte(byte); };
	for (;;) {
		if (line.size() >= kMaxReplyLine) {
			m_replyFailure = kTooLongMessage;
			return false;
		}
		uint8 byte;
		if (!receive(byte))
			return false;
		if (byte == '\n')
			return true;
		if (byte == '\r')
			continue;
		// Byte 236 ends the line only as a command after an IAC; alone it is
		// text, the first byte of many UTF-8 letters in file names.
		if (byte != kTelnetIAC) {
			line += (char)byte;
			continue;
		}

		uint8 command;
		if (!receive(command))
			return false;
		switch (command) {
			case kTelnetWill:
			case kTelnetWont:
			case kTelnetDo:
			case kTelnetDont:
			{
				uint8 option;
				if (!receive(option))
					return false;
				// Refuse every option: DONT for WILL/WONT, WONT for DO/DONT.
				// Each refusal is said once: a server that repeats its
				// requests without reading could otherwise make the answers
				// pile up until a send blocks.
				uint8 refusal = command <= kTelnetWont ? kTelnetDont : kTelnetWont;
				size_t index = (refusal == kTelnetDont ? 0 : 256) + option;
				if (!m_refused.test(index)) {
					m_refused.set(index);
					uint8 answer[3] = {kTelnetIAC, refusal, option};
					p_limitControl();
					m_control->Send(answer, sizeof(answer));
				}
				break;
			}
			case kTelnetEndOfFile:
				return true;
			default:
				line += (char)command;
				break;
		}
	}
}

bool
FtpClient::p_getReply(std::string& text, int& code, int& codeClass)
{
	// The whole reply has one time limit: a byte now and then must not keep
	// the reader waiting for ever.
	m_replyDeadline = m_timeout < 0 || m_timeout == B_INFINITE_TIMEOUT
		? B_INFINITE_TIMEOUT : system_time() + m_timeout;
	m_replyFailure = kClosedMessage;
	if (m_control)
		m_control->SetTimeout(m_timeout);
	std::string line;
	bool read = p_getReplyLine(line);
	if (read) {
		text = line + "\n";
		trace(text);
		std::string codeString = line.substr(0, 3);
		code = 0;
		for (char c : codeString) {
			if (!isdigit((unsigned char)c))
				break;
			code = code * 10 + (c - '0');
		}
		// A line too short to carry the continuation mark is a whole reply.
		if (line.size() >= 4 && line[3] == '-') {
			for (int lines = 1;; lines++) {
				if (lines >= kMaxReplyLines) {
					m_replyFailure = kTooLongMessage;
					read = false;
					break;
				}
				if (!p_getReplyLine(line)) {
					read = false;
					break;
				}
				text += line + "\n";
				if (text.size() <= kReprintLimit)
					trace(text);
				else
					trace(line + "\n");
				if (line.size() >= 4 && line.compare(0, 3, codeString) == 0 && line[3] == ' ')
					break;
			}
		}
	}
	if (!read && (code != 421 || m_replyFailure != kClosedMessage)) {
		text += m_replyFailure;
		trace(m_replyFailure, strlen(m_replyFailure));
		code = 421;
	}
	if (code == 421) {
		m_control.reset();
		p_clearState(ftp_connected);
	}
	codeClass = code / 100;
	return read;
}

bool
FtpClient::p_getFinalReply(std::string& text, int& code, int& codeClass)
{
	// A preliminary reply promises another; only a final one tells how the
	// transfer ended.
	for (int preliminary = 0; preliminary <= kMaxPreliminaryReplies; preliminary++) {
		if (!p_getReply(text, code, codeClass))
			return false;
		if (codeClass != 1)
			return true;
	}
	text += kTooManyMessage;
	trace(kTooManyMessage, strlen(kTooManyMessage));
	code = 421;
	codeClass = 4;
	m_control.reset();
	p_clearState(ftp_connected);
	return false;
}

bool
FtpClient::p_receiveControlByte(uint8& byte)
{
	if (!p_limitControl()) {
		m_replyFailure = kSilentMessage;
		return false;
	}
	int32 received = m_control->Receive(&byte, 1);
	if (received == 1)
		return true;
	if (received == 0 && m_control->Error() == ETIMEDOUT)
		m_replyFailure = kSilentMessage;
	return false;
}

bool
FtpClient::p_limitControl()
{
	if (m_replyDeadline == B_INFINITE_TIMEOUT)
		return true;
	bigtime_t left = m_replyDeadline - system_time();
	if (left <= 0)
		return false;
	// Shortening the limit costs a system call: do it only when the wait
	// could otherwise outlast the deadline by more than a moment.
	if (m_control->Timeout() == B_INFINITE_TIMEOUT || m_control->Timeout() > left + 100000)
		m_control->SetTimeout(left);
	return true;
}

bool
FtpClient::p_openDataConnection()
{
	// Without a control connection there is nobody to ask, and a failed PASV
	// must not switch the client to active mode for the next session.
	if (!m_control)
		return false;
	m_data.reset(new BNetEndpoint(SOCK_STREAM));
	if (m_data->InitCheck() != B_OK)
		return false;
	m_data->SetTimeout(m_timeout);

	std::string text;
	int code = 0;
	int codeClass = 0;
	if (p_testState(ftp_passive)) {
		if (!p_sendRequest("PASV")) {
			p_clearState(ftp_passive);
			return p_openDataConnection();
		}
		if (!p_getReply(text, code, codeClass) || codeClass != 2)
			return false;
		size_t open = text.find('(');
		size_t start = open == std::string::npos ? 0 : open + 1;
		size_t close = text.find(')', start);
		std::string numbers = text.substr(start,
			close == std::string::npos ? std::string::npos : close - start);
		int values[6];
		if (scan_address(numbers, values) < 6) {
			p_clearState(ftp_passive);
			return p_openDataConnection();
		}
		char host[32];
		snprintf(host, sizeof(host), "%d.%d.%d.%d", values[0] & 0xff, values[1] & 0xff,
			values[2] & 0xff, values[3] & 0xff);
		int port = (values[4] & 0xff) * 256 + (values[5] & 0xff);
		BNetAddress address(host, (unsigned short)port);
		return address.InitCheck() == B_OK && m_data->Connect(address) == B_OK;
	}

	// The data port listens only where the control connection is, so a
	// machine on another network cannot even reach it.
	in_addr localAddress;
	if (m_control->LocalAddr().GetAddr(localAddress) != B_OK
		|| m_data->Bind(BNetAddress(localAddress, 0)) != B_OK)
		return false;
	m_data->Listen(5);
	char host[32] = "";
	unsigned short port = 0;
	m_data->LocalAddr().GetAddr(host, &port);
	std::string announced = host;
	for (char& c : announced) {
		if (c == '.')
			c = ',';
	}
	announced += "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
	p_sendRequest("PORT " + announced);
	return p_getReply(text, code, codeClass) && codeClass == 2;
}

bool
FtpClient::p_acceptDataConnection()
{
	if (p_testState(ftp_passive))
		return true;
	if (!m_data || !m_control)
		return false;
	// Only the server may write the file: a connection from anywhere else is
	// closed, and the wait for the server's goes on.
	in_addr server;
	if (m_control->RemoteAddr().GetAddr(server) != B_OK)
		return false;
	bool limited = m_timeout >= 0 && m_timeout != B_INFINITE_TIMEOUT;
	bigtime_t deadline = limited ? system_time() + m_timeout : B_INFINITE_TIMEOUT;
	for (;;) {
		bigtime_t left = limited ? deadline - system_time() : B_INFINITE_TIMEOUT;
		if (limited && left <= 0)
			return false;
		BNetEndpoint* connection = m_data->Accept(accept_timeout(left));
		if (connection == NULL)
			return false;
		in_addr peer;
		if (connection->RemoteAddr().GetAddr(peer) == B_OK && peer.s_addr == server.s_addr) {
			m_data.reset(connection);
			return true;
		}
		char stranger[32] = "";
		connection->RemoteAddr().GetAddr(stranger, NULL);
		trace(std::string("(data connection from ") + stranger + " refused)\n");
		delete connection;
	}
}

void
FtpClient::p_setState(unsigned long bits)
{
	m_state |= bits;
}

void
FtpClient::p_clearState(unsigned long bits)
{
	m_state &= ~bits;
}

bool
FtpClient::p_testState(unsigned long bits) const
{
	return (m_state & bits) != 0;
}
