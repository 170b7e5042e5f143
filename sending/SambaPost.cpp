#include "SambaPost.h"

#include <Alert.h>
#include <Errors.h>
#include <InterfaceDefs.h>

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
	samba_reply reply;
	samba_run(destination, text != NULL ? text : "", sender != NULL ? sender : "", &reply);
	show_alert(samba_alert_for(samba_classify(reply), destination, reply));
}


status_t
samba_run(const char* destination, const char* text, const char* sender, samba_reply* reply,
	bigtime_t timeout)
{
	*reply = samba_reply();
	if (destination == NULL || text == NULL || sender == NULL)
		return B_BAD_VALUE;

	// Each value is one argument, exactly as given: no shell sees them.
	const char* argv[] = {"smbclient", "-M", destination, "-U", sender, NULL};
	image_pipes pipes;
	thread_id client = load_image_etc(5, argv, NULL,
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
