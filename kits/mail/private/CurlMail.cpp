// IMAP and POP3 through libcurl: curl connects (TLS too) and logs in, and
// the commands are spoken here over its connection. curl's own IMAP fetch
// asks for BODY[], which marks a mail seen, where the mailbox must be
// opened read-only with EXAMINE and read with BODY.PEEK.
#include "MailSources.h"

#include <E-mail.h>
#include <Errors.h>

#include <curl/curl.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

namespace BPrivate {

namespace {

const long kConnectSeconds = 20;
const int kAnswerMilliseconds = 60 * 1000;
const size_t kMaxLine = 16 * 1024 * 1024;
const size_t kFetchBatch = 50;

struct CurlInit {
	CurlInit() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

CURL*
new_handle(const BMailAccount& account, const char* scheme, char* errorBuffer)
{
	static CurlInit init;
	CURL* curl = curl_easy_init();
	if (curl == NULL)
		return NULL;
	std::string url = std::string(scheme) + (account.tls ? "s" : "") + "://"
		+ account.host.String() + ":" + std::to_string(account.port) + "/";
	curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
	// Given apart from the address, so it never shows in one.
	curl_easy_setopt(curl, CURLOPT_USERNAME, account.user.String());
	curl_easy_setopt(curl, CURLOPT_PASSWORD, account.password.String());
	if (account.caFile != "")
		curl_easy_setopt(curl, CURLOPT_CAINFO, account.caFile.String());
	curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
	curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
	curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
	errorBuffer[0] = '\0';
	return curl;
}

status_t
status_for(CURLcode code)
{
	switch (code) {
		case CURLE_OK:
			return B_OK;
		case CURLE_LOGIN_DENIED:
			return B_MAIL_WRONG_PASSWORD;
		case CURLE_COULDNT_RESOLVE_HOST:
			return B_MAIL_UNKNOWN_HOST;
		default:
			return B_MAIL_ACCESS_ERROR;
	}
}

BString
describe(const BMailAccount& account, CURLcode code, const char* errorBuffer)
{
	BString text = BString(account.host) << ":" << account.port << ": ";
	if (code == CURLE_LOGIN_DENIED)
		return text << "the server refused the user name or password";
	return text << (errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code));
}

// One IMAP or POP3 connection after curl has logged in.
class MailLink {
public:
	MailLink(CURL* curl) : fCurl(curl) {}

	bool Send(const std::string& command)
	{
		size_t sent = 0;
		while (sent < command.size()) {
			size_t done = 0;
			CURLcode code = curl_easy_send(fCurl, command.data() + sent, command.size() - sent,
				&done);
			if (code == CURLE_AGAIN) {
				if (!_Wait(POLLOUT))
					return false;
				continue;
			}
			if (code != CURLE_OK)
				return _Fail(curl_easy_strerror(code));
			sent += done;
		}
		return true;
	}

	// One line without its line end.
	bool ReadLine(std::string* line)
	{
		line->clear();
		for (;;) {
			size_t end = fBuffer.find("\r\n", fStart);
			if (end != std::string::npos) {
				line->assign(fBuffer, fStart, end - fStart);
				fStart = end + 2;
				return true;
			}
			if (fBuffer.size() - fStart > kMaxLine)
				return _Fail("the server sent a line longer than 16 MB");
			if (!_Fill())
				return false;
		}
	}

	bool ReadBytes(size_t count, std::string* bytes)
	{
		while (fBuffer.size() - fStart < count) {
			if (!_Fill())
				return false;
		}
		bytes->assign(fBuffer, fStart, count);
		fStart += count;
		return true;
	}

	// Runs a command; untagged lines (with any literals) go to untagged.
	// False when the link broke or the server said NO or BAD.
	bool Command(const std::string& command,
		const std::function<bool(const std::string& line, const std::vector<std::string>& literals)>&
			untagged)
	{
		std::string tag = "m" + std::to_string(++fTag);
		if (!Send(tag + " " + command + "\r\n"))
			return false;
		for (;;) {
			std::string line;
			std::vector<std::string> literals;
			if (!ReadLine(&line))
				return false;
			// A line ending in {n} is followed by n bytes, then more line.
			for (;;) {
				size_t open = line.rfind('{');
				if (line.empty() || line.back() != '}' || open == std::string::npos)
					break;
				char* end;
				unsigned long long size = strtoull(line.c_str() + open + 1, &end, 10);
				if (*end != '}' && *end != '+')
					break;
				if (size > kMaxMailSize)
					return _Fail("the server offered a mail larger than 256 MB");
				std::string literal, rest;
				if (!ReadBytes(size, &literal) || !ReadLine(&rest))
					return false;
				literals.push_back(std::move(literal));
				line = line.substr(0, open) + "\x01" + rest;  // marks where a literal stood
			}
			if (line.compare(0, tag.size() + 1, tag + " ") == 0) {
				std::string result = line.substr(tag.size() + 1);
				if (result.compare(0, 2, "OK") == 0)
					return true;
				return _Fail("the server answered \"" + result.substr(0, 200) + "\" to "
					+ command.substr(0, command.find(' ')));
			}
			if (line.compare(0, 2, "* ") == 0 && untagged && !untagged(line, literals))
				return false;
		}
	}

	const std::string& Error() const { return fError; }

private:
	bool _Fail(const std::string& error)
	{
		if (fError.empty())
			fError = error;
		return false;
	}

	bool _Wait(short events)
	{
		curl_socket_t socket;
		if (curl_easy_getinfo(fCurl, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK
			|| socket == CURL_SOCKET_BAD)
			return _Fail("the connection is gone");
		struct pollfd pfd = {socket, events, 0};
		int ready = poll(&pfd, 1, kAnswerMilliseconds);
		if (ready == 0)
			return _Fail("the server did not answer for 60 seconds");
		return ready > 0;
	}

	bool _Fill()
	{
		if (fStart > 0 && fStart == fBuffer.size()) {
			fBuffer.clear();
			fStart = 0;
		} else if (fStart > 1024 * 1024) {
			fBuffer.erase(0, fStart);
			fStart = 0;
		}
		char chunk[65536];
		for (;;) {
			size_t got = 0;
			CURLcode code = curl_easy_recv(fCurl, chunk, sizeof(chunk), &got);
			if (code == CURLE_AGAIN) {
				if (!_Wait(POLLIN))
					return false;
				continue;
			}
			if (code != CURLE_OK)
				return _Fail(curl_easy_strerror(code));
			if (got == 0)
				return _Fail("the server closed the connection in the middle of an answer");
			fBuffer.append(chunk, got);
			return true;
		}
	}

	CURL* fCurl;
	std::string fBuffer;
	size_t fStart = 0;
	uint32 fTag = 0;
	std::string fError;
};

std::string
imap_quoted(const BString& text)
{
	std::string quoted = "\"";
	for (const char* p = text.String(); *p != '\0'; p++) {
		if (*p == '"' || *p == '\\')
			quoted += '\\';
		quoted += *p;
	}
	return quoted + "\"";
}

// curl connects and logs in, then hands the connection over: its own
// fetches lose or cut mails.
status_t
log_in(const BMailAccount& account, const char* scheme, CURL** _curl, BString* error)
{
	char errorBuffer[CURL_ERROR_SIZE];
	CURL* curl = new_handle(account, scheme, errorBuffer);
	if (curl == NULL) {
		*error = "libcurl could not start";
		return B_NO_MEMORY;
	}
	curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
	CURLcode code = curl_easy_perform(curl);
	if (code != CURLE_OK) {
		*error = describe(account, code, errorBuffer);
		curl_easy_cleanup(curl);
		return status_for(code);
	}
	// The buffer ends with this call.
	curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, NULL);
	*_curl = curl;
	return B_OK;
}

// The number after word in line ("UID 5"), or 0.
uint64
number_after(const std::string& line, const char* word)
{
	size_t at = line.find(word);
	if (at == std::string::npos)
		return 0;
	return strtoull(line.c_str() + at + strlen(word), NULL, 10);
}

}  // namespace

status_t
fetch_imap(const BMailAccount& account, BMailInbox& inbox, int32* filed, BString* error)
{
	CURL* curl;
	status_t loggedIn = log_in(account, "imap", &curl, error);
	if (loggedIn != B_OK)
		return loggedIn;

	MailLink link(curl);
	BString where = BString(account.host) << ":" << account.port << ": ";
	uint64 validity = 0;
	std::vector<uint64> uids;
	bool ok = link.Command("EXAMINE " + imap_quoted(account.mailbox),
				  [&](const std::string& line, const std::vector<std::string>&) {
					  if (line.find("[UIDVALIDITY ") != std::string::npos)
						  validity = number_after(line, "[UIDVALIDITY ");
					  return true;
				  })
		&& link.Command("UID SEARCH ALL", [&](const std::string& line, const std::vector<std::string>&) {
			   if (line.compare(0, 9, "* SEARCH ") == 0 || line == "* SEARCH") {
				   const char* p = line.c_str() + 8;
				   while (*p != '\0') {
					   char* end;
					   uint64 uid = strtoull(p, &end, 10);
					   if (end == p)
						   break;
					   uids.push_back(uid);
					   p = end;
				   }
			   }
			   return true;
		   });
	if (!ok) {
		*error = where << link.Error().c_str();
		curl_easy_cleanup(curl);
		return B_MAIL_ACCESS_ERROR;
	}

	BString prefix = account.Id() << " " << validity << ":";
	std::vector<uint64> wanted;
	for (uint64 uid : uids) {
		if (!inbox.WasFiled(BString(prefix) << uid))
			wanted.push_back(uid);
	}
	status_t result = B_OK;
	for (size_t first = 0; first < wanted.size() && result == B_OK; first += kFetchBatch) {
		std::string set;
		for (size_t i = first; i < wanted.size() && i < first + kFetchBatch; i++)
			set += (set.empty() ? "" : ",") + std::to_string(wanted[i]);
		// PEEK: the server's \Seen flag stays as it was.
		ok = link.Command("UID FETCH " + set + " (UID BODY.PEEK[])",
			[&](const std::string& line, const std::vector<std::string>& literals) {
				if (line.find(" FETCH ") == std::string::npos)
					return true;
				uint64 uid = number_after(line, "UID ");
				size_t body = line.find("BODY[] \x01");
				if (uid == 0 || body == std::string::npos || literals.empty())
					return true;
				// The literal of BODY[] is the one its mark stands for.
				size_t index = 0;
				for (size_t at = line.find('\x01'); at < body + 7; at = line.find('\x01', at + 1))
					index++;
				if (index >= literals.size())
					return true;
				const std::string& mail = literals[index];
				status_t status = inbox.File(BString(prefix) << uid, mail.data(), mail.size(), error);
				if (status == B_FILE_EXISTS)
					return true;
				if (status != B_OK) {
					result = status;
					return false;
				}
				(*filed)++;
				return true;
			});
		if (!ok && result == B_OK) {
			*error = where << link.Error().c_str();
			result = B_MAIL_ACCESS_ERROR;
		}
	}
	if (result == B_OK)
		link.Command("LOGOUT", {});
	curl_easy_cleanup(curl);
	return result;
}

namespace {

// One multi-line POP3 answer after its +OK line, dots unstuffed; false
// unless its closing dot came.
bool
read_multiline(MailLink& link, std::string* text)
{
	text->clear();
	std::string line;
	while (link.ReadLine(&line)) {
		if (line == ".")
			return true;
		if (text->size() + line.size() > kMaxMailSize)
			return false;
		text->append(line[0] == '.' ? line.substr(1) : line);
		text->append("\r\n");
	}
	return false;
}

bool
pop3_command(MailLink& link, const std::string& command, std::string* status)
{
	if (!link.Send(command + "\r\n") || !link.ReadLine(status))
		return false;
	return status->compare(0, 3, "+OK") == 0;
}

}  // namespace

status_t
fetch_pop3(const BMailAccount& account, BMailInbox& inbox, int32* filed, BString* error)
{
	// As for IMAP: curl logs in, we read. Its own RETR takes a connection
	// closed in the middle of a mail for the mail's end.
	CURL* curl;
	status_t loggedIn = log_in(account, "pop3", &curl, error);
	if (loggedIn != B_OK)
		return loggedIn;
	MailLink link(curl);
	BString where = BString(account.host) << ":" << account.port << ": ";
	std::string status, listing;
	if (!pop3_command(link, "UIDL", &status) || !read_multiline(link, &listing)) {
		*error = where << (link.Error().empty()
				? "the server gives no mail ids (UIDL): \"" + status.substr(0, 200) + "\""
				: link.Error()).c_str();
		curl_easy_cleanup(curl);
		return B_MAIL_ACCESS_ERROR;
	}
	// "number uid" a line; the numbers hold for this session.
	std::vector<std::pair<long, std::string>> wanted;
	BString prefix = account.Id() << " ";
	size_t start = 0;
	while (start < listing.size()) {
		size_t end = listing.find("\r\n", start);
		if (end == std::string::npos)
			end = listing.size();
		std::string line = listing.substr(start, end - start);
		start = end + 2;
		char* rest;
		long number = strtol(line.c_str(), &rest, 10);
		while (*rest == ' ')
			rest++;
		if (number <= 0 || *rest == '\0')
			continue;
		if (!inbox.WasFiled(BString(prefix) << rest))
			wanted.push_back({number, rest});
	}

	status_t result = B_OK;
	std::string mail;
	for (const auto& [number, uid] : wanted) {
		if (!pop3_command(link, "RETR " + std::to_string(number), &status)
			|| !read_multiline(link, &mail)) {
			*error = where << (link.Error().empty()
					? "mail " + uid + " could not be fetched: \"" + status.substr(0, 200) + "\""
					: link.Error()).c_str();
			result = B_MAIL_ACCESS_ERROR;
			break;
		}
		result = inbox.File(BString(prefix) << uid.c_str(), mail.data(), mail.size(), error);
		if (result == B_FILE_EXISTS) {
			result = B_OK;
			continue;
		}
		if (result != B_OK)
			break;
		(*filed)++;
	}
	if (result == B_OK)
		pop3_command(link, "QUIT", &status);
	curl_easy_cleanup(curl);
	return result;
}

}  // namespace BPrivate
