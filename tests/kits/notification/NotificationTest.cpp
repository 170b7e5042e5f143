// BNotification against a real notification service on a private session
// bus: what the service shows, clicks coming back, replacement by message
// ID; and without a service or a bus at all.

#include <Errors.h>
#include <Harness.h>
#include <Looper.h>
#include <Notification.h>

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "ServiceTest.h"

namespace {

// Keeps the messages clicks post to it.
class ClickCatcher : public BLooper {
public:
	ClickCatcher() : BLooper("click catcher") {}

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> locker(fLock);
		fWhats.push_back(message->what);
	}

	std::vector<uint32> Whats()
	{
		std::lock_guard<std::mutex> locker(fLock);
		return fWhats;
	}

private:
	std::mutex fLock;
	std::vector<uint32> fWhats;
};

// Collects what this process writes to standard error meanwhile.
class ErrorOutput {
public:
	ErrorOutput()
	{
		fflush(stderr);
		fSaved = dup(2);
		FILE* file = tmpfile();
		fFile = dup(fileno(file));
		fclose(file);
		dup2(fFile, 2);
	}

	~ErrorOutput()
	{
		fflush(stderr);
		dup2(fSaved, 2);
		close(fSaved);
		close(fFile);
	}

	std::string Text()
	{
		fflush(stderr);
		std::string text;
		char buffer[1024];
		ssize_t length;
		off_t offset = 0;
		while ((length = pread(fFile, buffer, sizeof(buffer), offset)) > 0) {
			text.append(buffer, length);
			offset += length;
		}
		return text;
	}

private:
	int fSaved = -1;
	int fFile = -1;
};

size_t
count_of(const std::string& text, const std::string& part)
{
	size_t count = 0;
	for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
		count++;
	return count;
}

class NotificationService : public ServiceTest {};

} // namespace

TEST_F(NotificationService, ServiceShowsTitleAndContentUnderTheSourceName)
{
	BNotification named(B_INFORMATION_NOTIFICATION);
	named.SetSourceName("Murmelo");
	named.SetTitle("friend1");
	named.SetContent("lunch at noon?");
	EXPECT_EQ(named.Send(), B_OK);

	// Without a name set, the program's own name.
	BNotification plain(B_IMPORTANT_NOTIFICATION);
	plain.SetTitle("plain");
	plain.SetContent("two\nlines");
	EXPECT_EQ(plain.Send(5000000), B_OK);
	EXPECT_EQ(sSession->Displayed(), 2);

	std::vector<ShownNotification> shown = sSession->CloseAndReadHistory();
	const ShownNotification* first = Find(shown, "friend1");
	ASSERT_NE(first, nullptr);
	EXPECT_EQ(first->app, "Murmelo");
	EXPECT_EQ(first->body, "lunch at noon?");
	const ShownNotification* second = Find(shown, "plain");
	ASSERT_NE(second, nullptr);
	EXPECT_EQ(second->app, program_invocation_short_name);
	EXPECT_EQ(second->body, "two\\nlines");
}

TEST_F(NotificationService, MarkupAndBytesThatAreNotUtf8ArriveAsPlainText)
{
	BNotification notification(B_INFORMATION_NOTIFICATION);
	// "café" in Latin-1, as a Windows peer may send it.
	notification.SetTitle("caf\xe9");
	notification.SetContent("1 < 2 & <b>bold</b> <a href=\"http://x\">link</a>");
	ASSERT_EQ(notification.Send(), B_OK);

	std::vector<ShownNotification> shown = sSession->CloseAndReadHistory();
	const ShownNotification* received = Find(shown, "caf\xef\xbf\xbd");
	ASSERT_NE(received, nullptr);
	// The service reads bodies as markup, so the text comes escaped.
	EXPECT_EQ(received->body,
		"1 &lt; 2 &amp; &lt;b&gt;bold&lt;/b&gt; &lt;a href=\"http://x\"&gt;link&lt;/a&gt;");
}

TEST_F(NotificationService, EachClickPostsItsOwnMessage)
{
	ClickCatcher* catcher = new ClickCatcher();
	catcher->Run();
	BMessenger target(catcher);

	// One at a time: this service's control clicks only the first on screen.
	struct {
		const char* title;
		uint32 what;
		int clicks;
		size_t caught;
	} steps[] = {
		{"no target", 0, 1, 0},
		{"clicked twice", 'onee', 2, 2},
		{"clicked once", 'twoo', 1, 3},
	};
	for (const auto& step : steps) {
		BNotification notification(B_INFORMATION_NOTIFICATION);
		notification.SetTitle(step.title);
		if (step.what != 0)
			notification.SetOnClickMessage(target, BMessage(step.what));
		ASSERT_EQ(notification.Send(), B_OK);
		ASSERT_EQ(sSession->Displayed(), 1);
		for (int i = 0; i < step.clicks; i++)
			ASSERT_EQ(sSession->Control({"action", "0"}).status, 0) << step.title;
		ASSERT_TRUE(BTest::WaitFor([&] { return catcher->Whats().size() >= step.caught; }));
		sSession->Control({"close-all"});
	}
	// A duplicate post would come before this.
	BMessage marker('mark');
	target.SendMessage(&marker);
	ASSERT_TRUE(BTest::WaitFor([&] { return catcher->Whats().size() >= 4; }));
	EXPECT_EQ(catcher->Whats(), (std::vector<uint32>{'onee', 'onee', 'twoo', 'mark'}));

	catcher->Lock();
	catcher->Quit();
}

TEST_F(NotificationService, TheSameMessageIDReplacesTheNotificationOnScreen)
{
	for (const char* title : {"first", "second"}) {
		BNotification notification(B_INFORMATION_NOTIFICATION);
		notification.SetMessageID("arrival");
		notification.SetTitle(title);
		ASSERT_EQ(notification.Send(), B_OK);
	}
	EXPECT_EQ(sSession->Displayed(), 1);

	BNotification other(B_INFORMATION_NOTIFICATION);
	other.SetMessageID("other");
	other.SetTitle("third");
	ASSERT_EQ(other.Send(), B_OK);
	EXPECT_EQ(sSession->Displayed(), 2);

	std::vector<ShownNotification> shown = sSession->CloseAndReadHistory();
	EXPECT_NE(Find(shown, "second"), nullptr);
	EXPECT_NE(Find(shown, "third"), nullptr);
}

TEST(NotificationWithoutService, SendFailsWithAnErrorAndSaysSoOnce)
{
	if (!DesktopSession::Missing(false).empty())
		GTEST_SKIP() << DesktopSession::Missing(false);
	DesktopSession bus(false);
	ASSERT_EQ(bus.Problem(), "");
	ErrorOutput errors;
	{
		// A bus with nobody to show notifications.
		ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str());
		BNotification notification(B_INFORMATION_NOTIFICATION);
		notification.SetTitle("nobody sees this");
		EXPECT_EQ(notification.Send(), B_NAME_NOT_FOUND);
		EXPECT_EQ(notification.Send(), B_NAME_NOT_FOUND);
	}
	{
		// No bus where the address points.
		ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/murmelo-bus");
		BNotification notification(B_ERROR_NOTIFICATION);
		notification.SetTitle("nor this");
		EXPECT_NE(notification.Send(), B_OK);
	}
	std::string userBus = "/run/user/" + std::to_string(getuid()) + "/bus";
	if (access(userBus.c_str(), F_OK) != 0) {
		// No session bus at all.
		ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", NULL);
		ScopedVariable runtime("XDG_RUNTIME_DIR", NULL);
		BNotification notification(B_INFORMATION_NOTIFICATION);
		EXPECT_NE(notification.Send(), B_OK);
	}
	std::string said = errors.Text();
	EXPECT_EQ(count_of(said, "\n"), 1u) << said;
	EXPECT_EQ(count_of(said, "desktop notifications are not shown"), 1u) << said;
}
