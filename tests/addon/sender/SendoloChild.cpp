#include "SendoloChild.h"

#include "TBeBuilderApp.h"

#include <Button.h>
#include <CheckBox.h>
#include <TextControl.h>
#include <TextView.h>
#include <Window.h>

#include <Harness.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

ChildResult
run_in_child(const std::vector<std::string>& environment, const std::function<void()>& body,
	int timeoutSeconds)
{
	ChildResult result;
	char path[] = "/tmp/murmelo-sendolo-out-XXXXXX";
	int output = mkstemp(path);
	if (output < 0)
		return result;
	fflush(stdout);
	fflush(stderr);
	pid_t parent = getpid();
	pid_t pid = fork();
	if (pid == 0) {
		prctl(PR_SET_PDEATHSIG, SIGKILL);
		if (getppid() != parent)
			_exit(127);
		dup2(output, STDOUT_FILENO);
		dup2(output, STDERR_FILENO);
		setenv("BE_DISPLAY", "headless", 1);
		for (const std::string& variable : environment) {
			size_t equals = variable.find('=');
			setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
		}
		body();
		fflush(stdout);
		fflush(stderr);
		_exit(testing::Test::HasFailure() ? 1 : 0);
	}
	close(output);
	int status = 0;
	bool done = false;
	for (int i = 0; i < timeoutSeconds * 50 && !done; i++) {
		done = waitpid(pid, &status, WNOHANG) == pid;
		if (!done)
			usleep(20000);
	}
	if (!done) {
		kill(pid, SIGKILL);
		waitpid(pid, &status, 0);
		result.output = "(the child timed out)\n";
	}
	std::ifstream in(path, std::ios::binary);
	std::ostringstream text;
	text << in.rdbuf();
	result.output += text.str();
	unlink(path);
	result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	return result;
}

int
count_lines(const std::string& output, const std::string& line)
{
	int count = 0;
	std::istringstream lines(output);
	std::string each;
	while (std::getline(lines, each))
		count += each == line;
	return count;
}

// #pragma mark - SendoloProgram

SendoloProgram::SendoloProgram(const std::vector<std::string>& arguments)
{
	fArguments.push_back("Sendolo");
	fArguments.insert(fArguments.end(), arguments.begin(), arguments.end());
	for (std::string& argument : fArguments)
		fArgv.push_back(argument.data());
	fArgv.push_back(NULL);
	fApp = new TBeBuilderApp((int)fArguments.size(), fArgv.data());
	fThread = spawn_thread(_Run, "Sendolo", B_NORMAL_PRIORITY, this);
	resume_thread(fThread);
	fWindow = BTest::WaitForWindow("sender window");
	EXPECT_NE(fWindow, nullptr) << "the sender window did not show";
	if (fWindow != NULL)
		BTest::Sync(fWindow);
}

status_t
SendoloProgram::_Run(void* data)
{
	SendoloProgram* program = (SendoloProgram*)data;
	program->fApp->Run();
	program->fEnded = true;
	return B_OK;
}

bool
SendoloProgram::WaitForEnd(bigtime_t timeout)
{
	return BTest::WaitFor([this] { return fEnded.load(); }, timeout);
}

BButton*
SendoloProgram::SendButton() const
{
	return dynamic_cast<BButton*>(BTest::FindView(fWindow, "Mon_Boutton"));
}

BCheckBox*
SendoloProgram::MailMode() const
{
	return dynamic_cast<BCheckBox*>(BTest::FindView(fWindow, "MAIL mode"));
}

BTextControl*
SendoloProgram::Sender() const
{
	return dynamic_cast<BTextControl*>(BTest::FindView(fWindow, "MonTextControl"));
}

BTextControl*
SendoloProgram::Destination() const
{
	return dynamic_cast<BTextControl*>(BTest::FindView(fWindow, "Destinataire"));
}

BTextView*
SendoloProgram::Message() const
{
	return dynamic_cast<BTextView*>(BTest::FindView(fWindow, "message_a_moi"));
}

void
SendoloProgram::Type(BTextControl* field, const char* text)
{
	ASSERT_NE(field, nullptr);
	// The sender field lies partly under the destination field: its lower
	// half is its own.
	BRect bounds;
	BTest::Locked(fWindow, [&] { bounds = field->TextView()->Bounds(); });
	ASSERT_EQ(BTest::Click(field->TextView(), BPoint(bounds.right - 4, bounds.bottom - 3)),
		B_OK);
	ASSERT_EQ(BTest::TypeKeys(fWindow, "a", B_COMMAND_KEY), B_OK);
	if (*text == '\0')
		ASSERT_EQ(BTest::PressKey(fWindow, "\x08", 0), B_OK);
	else
		ASSERT_EQ(BTest::TypeKeys(fWindow, text), B_OK);
	std::string shown;
	BTest::Locked(fWindow, [&] { shown = field->Text(); });
	EXPECT_EQ(shown, text);
}

void
SendoloProgram::TypeMessage(const char* text)
{
	BTextView* message = Message();
	ASSERT_NE(message, nullptr);
	ASSERT_EQ(BTest::Click(message, BPoint(10, 10)), B_OK);
	ASSERT_EQ(BTest::TypeKeys(fWindow, text), B_OK);
}

void
SendoloProgram::Send()
{
	ASSERT_EQ(BTest::Click(SendButton(), BPoint(10, 10)), B_OK);
}
