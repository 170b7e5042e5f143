#ifndef SENDOLO_CHILD_H
#define SENDOLO_CHILD_H

// Sendolo's application runs in a forked child, since a send ends it or
// posts B_QUIT_REQUESTED to whatever application is running. The child runs
// the real TBeBuilderApp on the headless display and checks with gtest's
// macros; what it prints (its failures and the program's lines) comes back.

#include <OS.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class BCheckBox;
class BButton;
class BTextControl;
class BTextView;
class BWindow;
class TBeBuilderApp;

struct ChildResult {
	int status = -1;      // 0 when the child's checks all passed
	std::string output;   // its standard output and error
};

// Runs body in a child process with BE_DISPLAY=headless and the given
// environment; the status is 0 when no check failed.
ChildResult run_in_child(const std::vector<std::string>& environment,
	const std::function<void()>& body, int timeoutSeconds = 60);

// The lines of the output that are exactly line.
int count_lines(const std::string& output, const std::string& line);

// The program as main() runs it, with its loop on a thread of its own.
class SendoloProgram {
public:
	explicit SendoloProgram(const std::vector<std::string>& arguments = {});
	// Waits at most timeout for the application loop to end.
	bool WaitForEnd(bigtime_t timeout);
	bool Ended() const { return fEnded; }

	BWindow* Window() const { return fWindow; }
	BButton* SendButton() const;
	BCheckBox* MailMode() const;
	BTextControl* Sender() const;
	BTextControl* Destination() const;
	BTextView* Message() const;

	// Replaces a field's text by typing, as a person would.
	void Type(BTextControl* field, const char* text);
	void TypeMessage(const char* text);
	void Send();

private:
	static status_t _Run(void* data);

	std::vector<std::string> fArguments;
	std::vector<char*> fArgv;
	TBeBuilderApp* fApp = NULL;
	BWindow* fWindow = NULL;
	thread_id fThread = -1;
	std::atomic<bool> fEnded{false};
};

#endif
