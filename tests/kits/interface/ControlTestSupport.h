// What the control tests share: an application on the headless display,
// windows that are quit after each test, and receivers that remember the
// messages controls send them.
#ifndef CONTROL_TEST_SUPPORT_H
#define CONTROL_TEST_SUPPORT_H

#include <Application.h>
#include <Harness.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

// A looper of its own that keeps a copy of every message it gets.
class RecordingLooper : public BLooper {
public:
	RecordingLooper() : BLooper("recorder") {}

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> guard(fLock);
		fMessages.push_back(*message);
	}
	std::vector<BMessage> Messages()
	{
		std::lock_guard<std::mutex> guard(fLock);
		return fMessages;
	}
	size_t Count()
	{
		std::lock_guard<std::mutex> guard(fLock);
		return fMessages.size();
	}

private:
	std::mutex fLock;
	std::vector<BMessage> fMessages;
};

// A handler living in a window's looper; read it with the window locked,
// after one more BTest::Sync(): what a control sends while it handles input
// is queued behind the harness's own sync message.
class RecordingHandler : public BHandler {
public:
	RecordingHandler() : BHandler("recording handler") {}
	void MessageReceived(BMessage* message) override { messages.push_back(*message); }
	std::vector<BMessage> messages;
};

class ControlWindowTest : public ::testing::Test {
protected:
	static void SetUpTestSuite() { sApp = new BTest::HeadlessApp(); }
	static void TearDownTestSuite()
	{
		delete sApp;
		sApp = NULL;
	}

	BWindow* NewWindow(const char* title, BRect frame = BRect(100, 100, 399, 299))
	{
		BWindow* window = new BWindow(frame, title, B_TITLED_WINDOW, 0);
		fWindows.push_back(window);
		return window;
	}
	// Shows the window and waits until it is on the screen and active.
	void ShowAndWait(BWindow* window)
	{
		window->Show();
		ASSERT_EQ(BTest::WaitForWindow(window->Title()), window);
		BTest::Locked(window, [&] { window->Activate(); });
		ASSERT_TRUE(BTest::WaitFor([&] {
			bool active = false;
			BTest::Locked(window, [&] { active = window->IsActive(); });
			return active;
		}));
		ASSERT_TRUE(BTest::Sync(window));
	}
	void TearDown() override
	{
		for (BWindow* window : fWindows) {
			if (window->Lock())
				window->Quit();
		}
		// A test that drove the clock leaves it running again.
		BTest::DriveClock(false);
	}
	void Screenshot(BWindow* window, const char* name)
	{
		ASSERT_TRUE(BTest::Sync(window));
		EXPECT_EQ(BTest::WriteWindowPNG(window, BTest::ScreenshotPath(name).c_str()), B_OK);
	}
	BView* Focus(BWindow* window)
	{
		BView* focus = NULL;
		BTest::Locked(window, [&] { focus = window->CurrentFocus(); });
		return focus;
	}

	static inline BTest::HeadlessApp* sApp = NULL;
	std::vector<BWindow*> fWindows;
};

inline bool
is_color(rgb_color c, uint8 r, uint8 g, uint8 b)
{
	return c.red == r && c.green == g && c.blue == b;
}

#endif
