// The program's start and its ends, each in a child process on the headless
// display, since they end the process: the fatal error alert and its exit
// status, the splash and the main window, closing it.
// Kept apart from the in-process window tests: a fork of a process with
// running windows may inherit a lock held by another thread.

#include "MainWindowSupport.h"

#include <Alert.h>
#include <Application.h>
#include <TheApp.h>
#include <erreure.h>

#include <signal.h>
#include <sys/wait.h>

#include <thread>

namespace {

// The child's exit status (128 + signal); a child still running after
// 30 seconds is killed and counts as hung (-1).
int
wait_child(pid_t pid)
{
	int status = 0;
	for (int i = 0; i < 300; i++) {
		if (waitpid(pid, &status, WNOHANG) == pid)
			return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
		usleep(100000);
	}
	kill(pid, SIGKILL);
	waitpid(pid, &status, 0);
	return -1;
}

} // namespace

TEST(FatalError, AlertTextsByCode)
{
	char text[250];
	fatal_error_text(3, "data struct", text, sizeof(text));
	EXPECT_STREQ(text, "Can't initialise data struct");
	fatal_error_text(1, "x.dat", text, sizeof(text));
	EXPECT_STREQ(text, "Can't read file x.dat");
	fatal_error_text(2, "HOME", text, sizeof(text));
	EXPECT_STREQ(text, "Can't get Environment Variable HOME");
	fatal_error_text(7, "ignored", text, sizeof(text));
	EXPECT_STREQ(text, "Unknown error");
	std::string longName(1000, 'n');
	fatal_error_text(3, longName.c_str(), text, sizeof(text));
	EXPECT_EQ(strlen(text), sizeof(text) - 1);
}

namespace {

// Runs body in a child on the headless display; a helper thread reads the
// alert "About Murmelo", sends its text through a pipe and presses Escape.
// Answers the child's exit status and the alert's text.
std::pair<int, std::string>
run_until_fatal_error(const std::function<void()>& body)
{
	int fds[2];
	if (pipe(fds) != 0)
		return {-1, ""};
	pid_t pid = fork();
	if (pid == 0) {
		// A hung child ends by itself, so the pipe never blocks the test.
		alarm(30);
		close(fds[0]);
		TempBootVolume volume;
		BTest::HeadlessApp app;
		std::thread helper([&] {
			BWindow* alert = BTest::WaitForWindow("About Murmelo");
			if (alert == NULL)
				_exit(20);
			std::string text;
			BTest::Locked(alert, [&] { text = static_cast<BAlert*>(alert)->Text(); });
			if (write(fds[1], text.data(), text.size()) < 0)
				_exit(21);
			close(fds[1]);
			BTest::PressKey(alert, "\x1b", B_ESCAPE);
		});
		helper.detach();
		body();
		_exit(30);
	}
	close(fds[1]);
	std::string text;
	char buffer[256];
	ssize_t got;
	while ((got = read(fds[0], buffer, sizeof(buffer))) > 0)
		text.append(buffer, got);
	close(fds[0]);
	return {wait_child(pid), text};
}

} // namespace

TEST(FatalError, NonEmptyStoreAtConstructionEndsWithStatusThree)
{
	auto [status, text] = run_until_fatal_error([] {
		magestion = new PopClass();
		Tliste* record = new Tliste;
		memset(record, 0, sizeof(Tliste));
		magestion->ajoute(record);
		new TWindow1((char*)"murmelo", BRect(45, 370, 467, 770));
	});
	EXPECT_EQ(status, 3);
	EXPECT_EQ(text, "Can't initialise data struct");
}

TEST(FatalError, OtherCodesSayUnknownErrorAndEndWithTheirCode)
{
	auto [status, text] = run_until_fatal_error([] {
		(new erreure)->fatal_error(7, (char*)"anything");
	});
	EXPECT_EQ(status, 7);
	EXPECT_EQ(text, "Unknown error");
}

// The program itself: the splash, then the main window, whose close box
// ends the program.
TEST(MessengerApp, SplashThenWindowAndClosingItEndsTheProgram)
{
	pid_t pid = fork();
	if (pid == 0) {
		alarm(30);
		TempBootVolume volume;
		setenv("BE_DISPLAY", "headless", 1);
		std::thread helper([] {
			BWindow* splash = BTest::WaitForWindow("starting Murmelo");
			if (splash == NULL)
				_exit(20);
			BWindow* window = BTest::WaitForWindow("murmelo", 10000000);
			if (window == NULL)
				_exit(21);
			BPoint where;
			BTest::Locked(window, [&] { where = window->Frame().LeftTop(); });
			if (where != BPoint(250, 200))
				_exit(22);
			BTest::CloseWindow(window);
		});
		helper.detach();
		TheApp* app = new TheApp();
		app->Run();
		_exit(0);
	}
	EXPECT_EQ(wait_child(pid), 0);
}
