// BAlert on the headless display: its layout, its buttons, keys and
// shortcuts, the three ways of going, and a calling window that keeps
// drawing while it waits.

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <Harness.h>
#include <Invoker.h>
#include <Looper.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {

bool
same_color(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// A looper that keeps every message it gets.
class Recorder : public BLooper {
public:
	Recorder() : BLooper("alert recorder") {}
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

private:
	std::mutex fLock;
	std::vector<BMessage> fMessages;
};

// Makes an alert and runs its Go() on a thread of its own, as a worker
// would (a looper is locked by the thread that makes it until it runs).
class Going {
public:
	Going(std::function<BAlert*()> make)
		: fThread([this, make] {
			  fResult = make()->Go();
			  fDone = true;
		  })
	{
	}
	~Going() { fThread.join(); }
	bool Done() const { return fDone; }
	int32 Result()
	{
		EXPECT_TRUE(BTest::WaitFor([this] { return fDone.load(); }));
		return fResult;
	}

private:
	std::atomic<bool> fDone{false};
	std::atomic<int32> fResult{-2};
	std::thread fThread;
};

class AlertTest : public testing::Test {
protected:
	static void SetUpTestSuite() { sApp = new BTest::HeadlessApp(); }
	static void TearDownTestSuite()
	{
		delete sApp;
		sApp = NULL;
	}

	// The alert window once it is on the screen and has drawn.
	static BWindow* Shown(const char* title)
	{
		BWindow* window = BTest::WaitForWindow(title);
		EXPECT_NE(window, nullptr) << title;
		if (window != NULL) {
			EXPECT_TRUE(BTest::Sync(window));
		}
		return window;
	}

	static bool Gone(const char* title)
	{
		return BTest::WaitFor([title] { return BTest::WaitForWindow(title, 0) == NULL; });
	}

	static BButton* Button(BWindow* window, int32 index)
	{
		BString name;
		name << "_b" << index << "_";
		return dynamic_cast<BButton*>(BTest::FindView(window, name.String()));
	}

	static void Press(BWindow* window, int32 index)
	{
		BButton* button = Button(window, index);
		ASSERT_NE(button, nullptr);
		BRect bounds;
		BTest::Locked(window, [&] { bounds = button->Bounds(); });
		// The alert may be gone before the click's sync comes back.
		BTest::Click(button, BPoint(bounds.Width() / 2, bounds.Height() / 2));
	}

	static void Screenshot(BWindow* window, const char* name)
	{
		ASSERT_TRUE(BTest::Sync(window));
		EXPECT_EQ(BTest::WriteWindowPNG(window, BTest::ScreenshotPath(name).c_str()), B_OK);
	}

	static inline BTest::HeadlessApp* sApp = NULL;
};

} // namespace

TEST_F(AlertTest, LaysOutTextIconAndButtons)
{
	BAlert* alert = new BAlert("layout", "Save changes to the document?", "Cancel",
		"Don't save", "Save", B_WIDTH_AS_USUAL, B_OFFSET_SPACING, B_WARNING_ALERT);
	EXPECT_EQ(alert->Type(), B_MODAL_WINDOW);
	EXPECT_EQ(alert->Flags() & B_NOT_CLOSABLE, (uint32)B_NOT_CLOSABLE);
	EXPECT_EQ(alert->Flags() & B_NOT_RESIZABLE, (uint32)B_NOT_RESIZABLE);
	EXPECT_EQ(alert->CountButtons(), 3);
	EXPECT_STREQ(alert->Text(), "Save changes to the document?");
	EXPECT_NE(alert->FindView("_tv_"), nullptr);
	ASSERT_NE(alert->ButtonAt(2), nullptr);
	EXPECT_EQ(alert->ButtonAt(3), nullptr);
	EXPECT_EQ(alert->DefaultButton(), alert->ButtonAt(2));
	EXPECT_STREQ(alert->ButtonAt(0)->Name(), "_b0_");
	EXPECT_STREQ(alert->ButtonAt(1)->Label(), "Don't save");

	BRect bounds = alert->Bounds();
	EXPECT_GE(bounds.Width() + 1, 335);
	// Left to right, never overlapping, the default one 8 pixels (with its
	// thick frame) from the right and bottom edges.
	BRect b0 = alert->ButtonAt(0)->Frame();
	BRect b1 = alert->ButtonAt(1)->Frame();
	BRect b2 = alert->ButtonAt(2)->Frame();
	EXPECT_EQ(b2.right, bounds.right - 8);
	EXPECT_EQ(b2.bottom, bounds.bottom - 8);
	EXPECT_EQ(b1.left - b0.right - 1, 6 + 62);
	EXPECT_EQ(b2.left - b1.right - 1, 6);
	EXPECT_EQ(b0.bottom, b1.bottom);
	EXPECT_EQ(b1.bottom + 3, b2.bottom);
	EXPECT_GE(b0.left, 10);
	EXPECT_GE(b0.Width() + 1, 75);
	// The text sits right of the icon and above the buttons.
	BRect text = alert->FindView("_tv_")->Frame();
	EXPECT_EQ(text.LeftTop(), BPoint(55, 6));
	EXPECT_LT(text.bottom, b2.top);

	// Centred on the screen.
	BRect frame = alert->Frame();
	BRect centred = BAlert::AlertPosition(frame.Width(), frame.Height());
	EXPECT_EQ(frame, centred);
	EXPECT_NEAR(frame.left + frame.Width() / 2, 1024 / 2, 1);
	EXPECT_NEAR(frame.top + frame.Height() / 2, 768 / 2, 1);
	alert->Quit();
}

TEST_F(AlertTest, ButtonWidthsAndSpacing)
{
	auto widths = [](button_width mode, button_spacing spacing, float* windowWidth) {
		BAlert* alert = new BAlert("widths", "text", "ok", "A much longer label", NULL, mode,
			spacing, B_EMPTY_ALERT);
		std::vector<float> result;
		for (int32 i = 0; i < alert->CountButtons(); i++)
			result.push_back(alert->ButtonAt(i)->Frame().Width() + 1);
		// The default button's frame includes its thick border.
		result.back() -= 6;
		*windowWidth = alert->Bounds().Width() + 1;
		alert->Quit();
		return result;
	};
	float windowWidth;
	std::vector<float> usual = widths(B_WIDTH_AS_USUAL, B_EVEN_SPACING, &windowWidth);
	EXPECT_EQ(usual[0], 75);
	EXPECT_GT(usual[1], 75);
	EXPECT_EQ(windowWidth, 310);
	std::vector<float> label = widths(B_WIDTH_FROM_LABEL, B_EVEN_SPACING, &windowWidth);
	EXPECT_LT(label[0], 75);
	EXPECT_EQ(label[1], usual[1]);
	std::vector<float> widest = widths(B_WIDTH_FROM_WIDEST, B_OFFSET_SPACING, &windowWidth);
	EXPECT_EQ(widest[0], widest[1]);
	EXPECT_EQ(widest[1], usual[1]);
	EXPECT_GE(windowWidth, 335);

	// One button: offset spacing changes nothing but the least width.
	BAlert* single = new BAlert("single", "text", "oki", NULL, NULL, B_WIDTH_AS_USUAL,
		B_OFFSET_SPACING, B_WARNING_ALERT);
	EXPECT_EQ(single->Bounds().Width() + 1, 335);
	EXPECT_EQ(single->DefaultButton(), single->ButtonAt(0));
	single->Quit();

	// Buttons that do not fit widen the alert.
	BAlert* wide = new BAlert("wide", "text", "A rather long first button",
		"A rather long second button", "A rather long third button", B_WIDTH_AS_USUAL,
		B_OFFSET_SPACING, B_INFO_ALERT);
	EXPECT_GT(wide->Bounds().Width() + 1, 335);
	EXPECT_GE(wide->ButtonAt(0)->Frame().left, 10);
	wide->Quit();
}

TEST_F(AlertTest, TallerForLongerTextAndWiderForVeryLongText)
{
	BAlert* shortText = new BAlert("short", "One line.", "ok");
	float shortHeight = shortText->Bounds().Height();
	shortText->Quit();

	std::string words;
	for (int i = 0; i < 40; i++)
		words += "wrapped ";
	BAlert* longer = new BAlert("longer", words.c_str(), "ok");
	EXPECT_GT(longer->Bounds().Height(), shortHeight + 30);
	EXPECT_EQ(longer->Bounds().Width() + 1, 310);
	longer->Quit();

	// Line feeds count, one line each.
	BAlert* feeds = new BAlert("feeds", "\n\nMessage succesfully sent.", "ok", NULL, NULL,
		B_WIDTH_AS_USUAL, B_OFFSET_SPACING, B_WARNING_ALERT);
	BAlert* one = new BAlert("one", "Message succesfully sent.", "ok", NULL, NULL,
		B_WIDTH_AS_USUAL, B_OFFSET_SPACING, B_WARNING_ALERT);
	EXPECT_EQ(feeds->FindView("_tv_")->Frame().Height() + 1,
		3 * (one->FindView("_tv_")->Frame().Height() + 1));
	feeds->Quit();
	one->Quit();

	// A text of 2,000 characters makes the alert wider before it makes it
	// taller, and a word with no space is cut to the line.
	std::string huge(2000, 'x');
	BAlert* wide = new BAlert("huge", huge.c_str(), "ok");
	EXPECT_GT(wide->Bounds().Width() + 1, 310);
	EXPECT_LE(wide->Bounds().Width() + 1, 600);
	wide->Quit();
}

TEST_F(AlertTest, GoAnswersTheButtonPressed)
{
	for (int32 index = 0; index < 3; index++) {
		Going going([] { return new BAlert("choose", "Which one?", "First", "Second", "Third"); });
		BWindow* window = Shown("choose");
		ASSERT_NE(window, nullptr);
		EXPECT_FALSE(going.Done());
		Press(window, index);
		EXPECT_EQ(going.Result(), index);
		EXPECT_TRUE(Gone("choose"));
	}
}

TEST_F(AlertTest, EnterPressesTheLastButtonAndShortcutsTheirs)
{
	{
		Going going([] { return new BAlert("keys", "Enter?", "Cancel", "OK"); });
		BWindow* window = Shown("keys");
		ASSERT_NE(window, nullptr);
		BTest::PressKey(window, "\n");
		EXPECT_EQ(going.Result(), 1);
		EXPECT_TRUE(Gone("keys"));
	}
	{
		Going going([] {
			BAlert* alert = new BAlert("keys", "Escape?", "Cancel", "Maybe", "OK");
			alert->SetShortcut(0, B_ESCAPE);
			alert->SetShortcut(1, 'm');
			alert->SetShortcut(7, 'x');
			EXPECT_EQ(alert->Shortcut(0), B_ESCAPE);
			EXPECT_EQ(alert->Shortcut(7), 0);
			return alert;
		});
		BWindow* window = Shown("keys");
		ASSERT_NE(window, nullptr);
		// Keys that are no shortcut do nothing.
		BTest::PressKey(window, "z");
		BTest::PressKey(window, "x");
		EXPECT_FALSE(going.Done());
		BTest::PressKey(window, "\x1b");
		EXPECT_EQ(going.Result(), 0);
		EXPECT_TRUE(Gone("keys"));
	}
	{
		Going going([] {
			BAlert* alert = new BAlert("keys", "Maybe?", "Cancel", "Maybe", "OK");
			alert->SetShortcut(1, 'm');
			return alert;
		});
		BWindow* window = Shown("keys");
		ASSERT_NE(window, nullptr);
		BTest::PressKey(window, "m");
		EXPECT_EQ(going.Result(), 1);
		EXPECT_TRUE(Gone("keys"));
	}
}

TEST_F(AlertTest, GoWithAnInvokerReturnsAtOnceAndReportsTheButton)
{
	Recorder* recorder = new Recorder();
	recorder->Run();
	BAlert* alert = new BAlert("async", "Later.", "No", "Yes");
	EXPECT_EQ(alert->Go(new BInvoker(new BMessage('ansr'), recorder)), B_OK);
	BWindow* window = Shown("async");
	ASSERT_NE(window, nullptr);
	Press(window, 0);
	ASSERT_TRUE(BTest::WaitFor([&] { return recorder->Messages().size() == 1; }));
	BMessage answer = recorder->Messages()[0];
	EXPECT_EQ(answer.what, (uint32)'ansr');
	int32 which = -1;
	EXPECT_EQ(answer.FindInt32("which", &which), B_OK);
	EXPECT_EQ(which, 0);
	EXPECT_TRUE(Gone("async"));
	recorder->Lock();
	recorder->Quit();

	// Without an invoker the alert lives and goes on its own.
	BAlert* quiet = new BAlert("fire and forget", "Done.", "ok");
	quiet->SetShortcut(0, B_ESCAPE);
	EXPECT_EQ(quiet->Go(NULL), B_OK);
	window = Shown("fire and forget");
	ASSERT_NE(window, nullptr);
	BTest::PressKey(window, "\x1b");
	EXPECT_TRUE(Gone("fire and forget"));
}

TEST_F(AlertTest, GoAnswersMinusOneWhenTheAlertIsQuitWithoutAButton)
{
	Going going([] { return new BAlert("quit", "Going away.", "ok"); });
	BWindow* window = Shown("quit");
	ASSERT_NE(window, nullptr);
	window->Lock();
	window->Quit();
	EXPECT_EQ(going.Result(), -1);
}

namespace {

// A window whose view turns blue and then, in the same message, asks an
// alert; the answer lands in the view.
class CallerView : public BView {
public:
	CallerView(BRect frame) : BView(frame, "caller", B_FOLLOW_ALL_SIDES, B_WILL_DRAW) {}
	void Draw(BRect) override
	{
		SetHighColor(fColor);
		FillRect(Bounds());
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what != 'ask ') {
			BView::MessageReceived(message);
			return;
		}
		fColor = make_color(0, 0, 255);
		Invalidate();
		BAlert* alert = new BAlert("asked", "Blue?", "No", "Yes");
		answer = alert->Go();
		fColor = make_color(0, 255, 0);
		Invalidate();
	}

	std::atomic<int32> answer{-2};

private:
	rgb_color fColor = make_color(255, 0, 0);
};

} // namespace

TEST_F(AlertTest, GoFromAWindowThreadKeepsThatWindowDrawing)
{
	BWindow* window = new BWindow(BRect(50, 50, 249, 149), "caller", B_TITLED_WINDOW, 0);
	CallerView* view = new CallerView(window->Bounds());
	window->AddChild(view);
	window->Show();
	ASSERT_EQ(BTest::WaitForWindow("caller"), window);
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_TRUE(same_color(BTest::PixelAt(window, BPoint(10, 10)), make_color(255, 0, 0)));

	BMessage ask('ask ');
	window->PostMessage(&ask, view);
	BWindow* alert = Shown("asked");
	ASSERT_NE(alert, nullptr);
	// The caller is waiting inside Go(), yet what it drew just before is on
	// the screen.
	EXPECT_TRUE(BTest::WaitFor(
		[&] { return same_color(BTest::PixelAt(window, BPoint(10, 10)), make_color(0, 0, 255)); }));
	EXPECT_EQ(view->answer.load(), -2);

	Press(alert, 1);
	EXPECT_TRUE(BTest::WaitFor([&] { return view->answer.load() == 1; }));
	EXPECT_TRUE(BTest::WaitFor(
		[&] { return same_color(BTest::PixelAt(window, BPoint(10, 10)), make_color(0, 255, 0)); }));
	EXPECT_TRUE(Gone("asked"));
	window->Lock();
	window->Quit();
}

TEST_F(AlertTest, IconsOnTheirStripe)
{
	struct {
		alert_type type;
		const char* name;
	} types[] = {
		{B_EMPTY_ALERT, "alert_empty"},
		{B_INFO_ALERT, "alert_info"},
		{B_IDEA_ALERT, "alert_idea"},
		{B_WARNING_ALERT, "alert_warning"},
		{B_STOP_ALERT, "alert_stop"},
	};
	rgb_color stripe = tint_color(ui_color(B_PANEL_BACKGROUND_COLOR), B_DARKEN_1_TINT);
	std::vector<std::vector<rgb_color>> icons;
	for (const auto& t : types) {
		BAlert* alert = new BAlert(t.name,
			"An alert of this kind, with a text long enough to need a second line here.",
			"Cancel", "OK", NULL, B_WIDTH_AS_USUAL, B_OFFSET_SPACING, t.type);
		alert->Go(NULL);
		BWindow* window = Shown(t.name);
		ASSERT_NE(window, nullptr);
		Screenshot(window, t.name);
		// The stripe left of the icon, the panel right of it.
		EXPECT_EQ(same_color(BTest::PixelAt(window, BPoint(5, 60)), stripe),
			t.type != B_EMPTY_ALERT) << t.name;
		EXPECT_TRUE(same_color(BTest::PixelAt(window, BPoint(40, 60)),
			ui_color(B_PANEL_BACKGROUND_COLOR))) << t.name;
		std::vector<rgb_color> icon;
		for (int y = 6; y < 38; y += 4) {
			for (int x = 18; x < 50; x += 4)
				icon.push_back(BTest::PixelAt(window, BPoint(x, y)));
		}
		icons.push_back(icon);
		Press(window, 1);
		EXPECT_TRUE(Gone(t.name));
	}
	// Each kind has an icon of its own; the empty alert has none.
	for (size_t a = 0; a < icons.size(); a++) {
		for (size_t b = a + 1; b < icons.size(); b++) {
			bool differ = false;
			for (size_t i = 0; i < icons[a].size(); i++)
				differ = differ || !same_color(icons[a][i], icons[b][i]);
			EXPECT_TRUE(differ) << types[a].name << " and " << types[b].name;
		}
	}
}
