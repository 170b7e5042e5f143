#include "SambaPost.h"

#include <Alert.h>
#include <Errors.h>
#include <InterfaceDefs.h>
#include <UTF8.h>

#include <image.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

namespace {

// The only thing today's smbclient prints on its standard output after a send.
const char* kPrompt = "Type your message, ending it with a Control-D";

// Holds the first bytes of one of the child's streams.
struct Collector {
	int fd;
	char* buffer;
	size_t size;  // room for text, the terminating zero not counted
	size_t length = 0;

	// False once the stream is done with: at its end, or full.
	bool Read()
	{
		ssize_t count = read(fd, buffer + length, size - length);
		if (count < 0 && (errno == EINTR || errno == EAGAIN))
			return true;
		if (count > 0)
			length += count;
		buffer[length] = '\0';
		if (count <= 0 || length == size) {
			// The rest is not read: closing the pipe discards it.
			close(fd);
			fd = -1;
			return false;
		}
		return true;
	}
};

bool
contains(const char* text, const char* part)
{
	return strstr(text, part) != NULL;
}

bool
is_blank(const char* text)
{
	for (; *text != '\0'; text++) {
		if (strchr(" \t\r\n", *text) == NULL)
			return false;
	}
	return true;
}

// "Connection to NAME failed. Error NT_STATUS_..." with the given status.
bool
connection_failed_with(const char* text, const char* status)
{
	return contains(text, "onnection to") && contains(text, status);
}

bool
connection_failed(const char* text)
{
	return contains(text, "error connecting to")
		|| (contains(text, "onnection to") && contains(text, "failed"));
}

// Today's client prints its prompt and nothing else when the message went.
bool
only_the_prompt(const char* output)
{
	size_t promptLength = strlen(kPrompt);
	return strncmp(output, kPrompt, promptLength) == 0 && is_blank(output + promptLength);
}

// Cuts `text` to at most `maxBytes`, never inside a UTF-8 character.
void
cut_to(BString* text, int32 maxBytes)
{
	if (text->Length() <= maxBytes)
		return;
	int32 length = maxBytes;
	while (length > 0 && ((uint8)text->ByteAt(length) & 0xc0) == 0x80)
		length--;
	text->Truncate(length);
}

// The UTF-8 length of the character at text; 1 for a stray byte.
int32
char_length(const char* text)
{
	uint8 first = (uint8)text[0];
	int32 length = first < 0xc0 ? 1 : first < 0xe0 ? 2 : first < 0xf0 ? 3 : 4;
	for (int32 i = 1; i < length; i++) {
		if (((uint8)text[i] & 0xc0) != 0x80)
			return 1;
	}
	return length;
}

// What a character costs in a message: one code page byte, two for a line
// end, which travels as CR LF.
int32
cost_of(const char* text)
{
	return text[0] == '\n' ? 2 : 1;
}

BString
marker(int32 part, int32 parts)
{
	BString mark;
	mark << "(" << part << "/" << parts << ") ";
	return mark;
}

// Splits text into pieces of at most budget bytes each, at the last line
// end, else the last blank, that keeps a piece within it; the line end or
// blank where it is cut is dropped.
std::vector<BString>
pieces_of(const BString& text, int32 budget)
{
	std::vector<BString> pieces;
	const char* all = text.String();
	int32 at = 0;
	int32 length = text.Length();
	while (at < length) {
		int32 cost = 0;
		int32 end = at;
		int32 lastLine = -1;
		int32 lastBlank = -1;
		while (end < length && cost + cost_of(all + end) <= budget) {
			if (all[end] == '\n')
				lastLine = end;
			else if (all[end] == ' ' || all[end] == '\t')
				lastBlank = end;
			cost += cost_of(all + end);
			end += char_length(all + end);
		}
		if (end >= length) {
			pieces.push_back(BString(all + at, length - at));
			break;
		}
		int32 cut = lastLine > at ? lastLine : lastBlank > at ? lastBlank : -1;
		if (cut < 0) {
			// One word longer than a message: cut between characters.
			pieces.push_back(BString(all + at, end - at));
			at = end;
		} else {
			pieces.push_back(BString(all + at, cut - at));
			at = cut + 1;
		}
	}
	return pieces;
}

// One character through both code pages, as samba_fit() takes a text.
BString
samba_fit_one(const BString& character)
{
	BString in858;
	BString both;
	if (fit_utf8_to_encoding(B_MS_DOS_858_CONVERSION, character.String(), character.Length(),
			&in858) != B_OK
		|| fit_utf8_to_encoding(B_MS_DOS_850_CONVERSION, in858.String(), in858.Length(), &both)
			!= B_OK)
		return character;
	return both;
}

// UTF-8 text in code page 850 bytes; it must have been fitted, so that
// every character has its byte.
BString
in_code_page(const BString& text)
{
	BString bytes;
	int32 length = text.Length();
	char* buffer = bytes.LockBuffer(length + 1);
	int32 srcLength = length;
	int32 dstLength = length;
	int32 state = 0;
	if (buffer == NULL
		|| convert_from_utf8(B_MS_DOS_850_CONVERSION, text.String(), &srcLength, buffer,
			&dstLength, &state, '?') != B_OK)
		dstLength = 0;
	bytes.UnlockBuffer(dstLength);
	return bytes;
}

// One line of the alert for several recipients, in the texts of the
// single-recipient alerts.
BString
line_for(const samba_result& result)
{
	BString line;
	const char* name = result.destination.String();
	switch (result.outcome) {
		case SAMBA_UNKNOWN_HOST:
			line << "Unknown host : " << name;
			break;
		case SAMBA_UNREACHABLE:
			line << "Host unreachable: " << name;
			break;
		case SAMBA_NOT_ACCEPTED:
			line << name << " can't receive winpopup messages.";
			break;
		case SAMBA_SENT:
			line << name << ": Message succesfully sent.";
			break;
		case SAMBA_OTHER:
		{
			// The first words the client said, on its standard output or
			// its standard error.
			BString said;
			for (const char* stream : {result.reply.output, result.reply.errors}) {
				const char* start = stream;
				while (*start != '\0' && said.Length() == 0) {
					const char* end = strchrnul(start, '\n');
					BString candidate(start, (int32)(end - start));
					if (!is_blank(candidate.String()) && !only_the_prompt(candidate.String()))
						said = candidate;
					start = *end == '\n' ? end + 1 : end;
				}
				if (said.Length() > 0)
					break;
			}
			line << name << ": " << (said.Length() > 0 ? said.String() : "no answer");
			break;
		}
	}
	cut_to(&line, 120);
	return line;
}

// The alert lives and closes on its own; the worker goes on at once.
void
show_alert(const samba_alert& texts)
{
	BAlert* alert = new BAlert(texts.title.String(), texts.text.String(), texts.button.String(),
		NULL, NULL, B_WIDTH_AS_USUAL, B_OFFSET_SPACING, B_WARNING_ALERT);
	alert->SetShortcut(0, B_ESCAPE);
	alert->Go(NULL);
}

} // namespace


void
samba_post(const char* destination, const char* text, const char* sender)
{
	if (destination == NULL)
		destination = "";
	if (sender == NULL)
		sender = "";
	std::vector<BString> recipients = samba_recipients(destination);
	if (recipients.empty())
		recipients.push_back(destination);
	samba_fitting fitting = samba_fit(text != NULL ? text : "");
	std::vector<BString> parts = samba_split(fitting.text.String());

	// One after the other: each run is short, and a recipient that hangs
	// is given up at the time limit.
	std::vector<samba_result> results;
	for (const BString& recipient : recipients) {
		samba_result result;
		result.destination = recipient;
		for (const BString& part : parts) {
			samba_run(recipient.String(), part.String(), sender, &result.reply,
				kSambaSendTimeLimit);
			result.outcome = samba_classify(result.reply);
			if (result.outcome != SAMBA_SENT)
				break;
		}
		results.push_back(result);
	}
	show_alert(samba_alert_for_all(results, fitting.changes.String(), (int32)parts.size()));
}


std::vector<BString>
samba_recipients(const char* destination)
{
	std::vector<BString> names;
	if (destination == NULL)
		return names;
	const char* at = destination;
	while (*at != '\0') {
		size_t skip = strspn(at, ", \t\r\n");
		at += skip;
		size_t length = strcspn(at, ", \t\r\n");
		if (length == 0)
			break;
		BString name(at, (int32)length);
		at += length;
		cut_to(&name, 99);
		bool known = false;
		for (const BString& other : names)
			known = known || other.ICompare(name.String()) == 0;
		if (!known)
			names.push_back(name);
	}
	return names;
}


samba_fitting
samba_fit(const char* text)
{
	samba_fitting fitting;
	if (text == NULL)
		return fitting;
	// Through 858 first, then 850: what is left is in both.
	BString in858;
	if (fit_utf8_to_encoding(B_MS_DOS_858_CONVERSION, text, (int32)strlen(text), &in858) != B_OK
		|| fit_utf8_to_encoding(B_MS_DOS_850_CONVERSION, in858.String(), in858.Length(),
			&fitting.text) != B_OK) {
		fitting.text = text;
		return fitting;
	}
	if (fitting.text == text)
		return fitting;

	// Which characters changed, each once, for the user to know.
	const char* at = text;
	while (*at != '\0') {
		int32 length = char_length(at);
		BString character(at, length);
		at += length;
		if (length == 1 && (uint8)character[0] < 0x80)
			continue;
		BString alone = samba_fit_one(character);
		if (alone == character)
			continue;
		fitting.replaced++;
		BString change;
		change << character << " \u2192 " << alone;
		if (fitting.changes.FindFirst(change.String()) >= 0)
			continue;
		if (fitting.changes.Length() > 0)
			fitting.changes << ", ";
		fitting.changes << change;
	}
	return fitting;
}


std::vector<BString>
samba_split(const char* text, int32 maxBytes)
{
	BString whole(text != NULL ? text : "");
	int32 cost = 0;
	for (const char* at = whole.String(); *at != '\0'; at += char_length(at))
		cost += cost_of(at);
	if (cost <= maxBytes)
		return {whole};

	// The marks take room from every part; their width depends on the
	// count of parts, which depends on their width.
	std::vector<BString> pieces;
	int32 reserve = marker(1, 1).Length();
	for (int round = 0; round < 4; round++) {
		pieces = pieces_of(whole, maxBytes - reserve);
		int32 needed = marker((int32)pieces.size(), (int32)pieces.size()).Length();
		if (needed <= reserve)
			break;
		reserve = needed;
	}
	std::vector<BString> parts;
	for (size_t i = 0; i < pieces.size(); i++)
		parts.push_back(marker((int32)i + 1, (int32)pieces.size()) << pieces[i]);
	return parts;
}


status_t
samba_run(const char* destination, const char* text, const char* sender, samba_reply* reply,
	bigtime_t timeout)
{
	*reply = samba_reply();
	if (destination == NULL || text == NULL || sender == NULL)
		return B_BAD_VALUE;

	BString bytes = in_code_page(samba_fit(text).text);
	BString senderBytes = in_code_page(samba_fit(sender).text);
	BString destinationBytes = in_code_page(samba_fit(destination).text);
	text = bytes.String();

	// Each value is one argument, exactly as given: no shell sees them.
	// The client gets the code page's bytes and passes them on unchanged.
	const char* argv[] = {"smbclient", "-M", destinationBytes.String(), "-U", senderBytes.String(),
		"--option=unix charset=CP850", "--option=dos charset=CP850", NULL};
	image_pipes pipes;
	thread_id client = load_image_etc(7, argv, NULL,
		B_IMAGE_PIPE_STDIN | B_IMAGE_PIPE_STDOUT | B_IMAGE_PIPE_STDERR, &pipes);
	if (client >= 0) {
		status_t status = resume_thread(client);
		if (status != B_OK) {
			close(pipes.stdin_fd);
			close(pipes.stdout_fd);
			close(pipes.stderr_fd);
			client = status;
		}
	}
	if (client < 0) {
		snprintf(reply->errors, sizeof(reply->errors), "smbclient: %s", be_strerror(client));
		return client;
	}

	// A client that quits before it has read its input gives EPIPE here:
	// the kit keeps SIGPIPE from ending this program.
	fcntl(pipes.stdin_fd, F_SETFL, O_NONBLOCK);
	int writeEnd = pipes.stdin_fd;
	size_t textLength = strlen(text);
	size_t written = 0;
	if (textLength == 0) {
		close(writeEnd);
		writeEnd = -1;
	}
	Collector out{pipes.stdout_fd, reply->output, sizeof(reply->output) - 1};
	Collector err{pipes.stderr_fd, reply->errors, sizeof(reply->errors) - 1};

	// Feed the text while draining both outputs, so that neither side waits
	// on the other.
	bigtime_t deadline = timeout == B_INFINITE_TIMEOUT ? -1 : system_time() + timeout;
	bool late = false;
	while (writeEnd >= 0 || out.fd >= 0 || err.fd >= 0) {
		struct pollfd fds[3] = {
			{out.fd, POLLIN, 0}, {err.fd, POLLIN, 0}, {writeEnd, POLLOUT, 0}};
		int wait = -1;
		if (deadline >= 0) {
			bigtime_t left = deadline - system_time();
			if (left <= 0) {
				late = true;
				break;
			}
			wait = (int)(left / 1000) + 1;
		}
		if (poll(fds, 3, wait) < 0) {
			if (errno == EINTR)
				continue;
			break;
		}
		if (fds[0].revents != 0)
			out.Read();
		if (fds[1].revents != 0)
			err.Read();
		if (fds[2].revents != 0 && writeEnd >= 0) {
			ssize_t count = write(writeEnd, text + written, textLength - written);
			if (count > 0)
				written += count;
			if ((count < 0 && errno != EINTR && errno != EAGAIN) || written == textLength) {
				close(writeEnd);
				writeEnd = -1;
			}
		}
	}
	for (int fd : {writeEnd, out.fd, err.fd}) {
		if (fd >= 0)
			close(fd);
	}
	if (late) {
		// A client that hangs must not hold its caller, nor stay behind.
		kill_thread(client);
		status_t ignored;
		wait_for_thread(client, &ignored);
		snprintf(reply->errors, sizeof(reply->errors), "smbclient: no answer within %d s",
			(int)(timeout / 1000000));
		return B_TIMED_OUT;
	}

	status_t exitValue = 0;
	status_t status = wait_for_thread(client, &exitValue);
	if (status != B_OK)
		return status;
	reply->status = exitValue;
	return B_OK;
}


samba_outcome
samba_classify(const samba_reply& reply)
{
	const char* output = reply.output;
	const char* errors = reply.errors;

	if (contains(output, "nknown host"))
		return SAMBA_UNKNOWN_HOST;
	// Today's client says a name it cannot resolve is a failed connection.
	if (connection_failed_with(output, "NT_STATUS_NOT_FOUND")
		|| connection_failed_with(errors, "NT_STATUS_NOT_FOUND"))
		return SAMBA_UNKNOWN_HOST;
	if (connection_failed(output) || connection_failed(errors))
		return SAMBA_UNREACHABLE;
	if (contains(output, "ERRmsgoff"))
		return SAMBA_NOT_ACCEPTED;
	if (contains(errors, "NT_STATUS_REQUEST_NOT_ACCEPTED")
		|| contains(output, "NT_STATUS_REQUEST_NOT_ACCEPTED"))
		return SAMBA_NOT_ACCEPTED;
	if (contains(output, "Control-D\nsent") && contains(output, "bytes"))
		return SAMBA_SENT;
	// Today's client never says "sent": its prompt alone, a clean standard
	// error and a zero exit status are its success.
	if (reply.status == 0 && only_the_prompt(output) && is_blank(errors))
		return SAMBA_SENT;
	return SAMBA_OTHER;
}


samba_alert
samba_alert_for_all(const std::vector<samba_result>& results, const char* changes, int32 parts)
{
	samba_alert alert;
	bool allSent = true;
	for (const samba_result& result : results)
		allSent = allSent && result.outcome == SAMBA_SENT;
	if (results.size() == 1)
		alert = samba_alert_for(results[0].outcome, results[0].destination.String(),
			results[0].reply);
	else {
		alert.title = allSent ? "Pingbox" : "error";
		alert.button = allSent ? "ok" : "oki";
		alert.text = "\n";
		for (const samba_result& result : results)
			alert.text << "\n" << line_for(result);
	}
	// What the receivers read is not quite what was typed: say how.
	if (parts > 1)
		alert.text << "\n\nSent as " << parts << " messages.";
	if (changes != NULL && changes[0] != '\0')
		alert.text << "\n\nThe WinPopup code page lacks some characters; sent as: " << changes;
	return alert;
}


samba_alert
samba_alert_for(samba_outcome outcome, const char* destination, const samba_reply& reply)
{
	samba_alert alert;
	alert.title = "error";
	alert.button = "oki";
	switch (outcome) {
		case SAMBA_UNKNOWN_HOST:
			alert.text << "\n\nUnknown host : " << destination;
			break;
		case SAMBA_UNREACHABLE:
			alert.text << "\n\nHost unreachable: " << destination;
			break;
		case SAMBA_NOT_ACCEPTED:
			alert.text << "\n\n" << destination << " can't receive\nwinpopup messages.";
			break;
		case SAMBA_SENT:
			alert.title = "Pingbox";
			alert.text = "\n\nMessage succesfully sent.";
			alert.button = "ok";
			return alert;
		case SAMBA_OTHER:
			// The client's own words; today's client says what went wrong on
			// its standard error, so that follows.
			alert.text = reply.output;
			if (!is_blank(reply.errors)) {
				if (alert.text.Length() > 0 && alert.text[alert.text.Length() - 1] != '\n')
					alert.text << "\n";
				alert.text << reply.errors;
			}
			return alert;
	}
	// The three texts that carry the destination fit in 79 characters.
	cut_to(&alert.text, 79);
	return alert;
}
