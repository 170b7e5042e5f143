// Windows and views on the headless display, driven through the real input
// path: the display server's queue, then the window's own thread.
#include <Application.h>
#include <Harness.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

const rgb_color kRed = {255, 0, 0, 255};
const rgb_color kBlue = {0, 0, 255, 255};
const rgb_color kGreen = {0, 255, 0, 255};
const rgb_color kPanel = {216, 216, 216, 255};

// Remembers what happened to it, for the test to read under the window lock.
class ProbeView : public BView {
public:
	ProbeView(BRect frame, const char* name, uint32 mode = B_FOLLOW_LEFT_TOP,
		uint32 flags = B_WILL_DRAW)
		: BView(frame, name, mode, flags)
	{
	}

	void Draw(BRect update) override
	{
		draws++;
		lastUpdate = update;
		if (fill) {
			SetHighColor(fillColor);
			// Far beyond the view: the kit must clip.
			FillRect(BRect(-1000, -1000, 1000, 1000));
		}
	}
	void MouseDown(BPoint where) override
	{
		downs.push_back(where);
		int32 clicks = 0;
		Window()->CurrentMessage()->FindInt32("clicks", &clicks);
		lastClicks = clicks;
	}
	void MouseUp(BPoint where) override { ups.push_back(where); }
	void MouseMoved(BPoint, uint32 transit, const BMessage*) override
	{
		transits.push_back(transit);
	}
	void KeyDown(const char* bytes, int32 numBytes) override
	{
		if (bytes[0] == B_TAB) {
			BView::KeyDown(bytes, numBytes);
			return;
		}
		typed.append(bytes, numBytes);
	}
	void FrameResized(float width, float height) override
	{
		resized++;
		lastSize = BPoint(width, height);
	}
	void AttachedToWindow() override { attachedOrder = sAttachCounter++; }

	int draws = 0;
	BRect lastUpdate;
	bool fill = false;
	rgb_color fillColor = kRed;
	std::vector<BPoint> downs, ups;
	std::vector<uint32> transits;
	int32 lastClicks = 0;
	std::string typed;
	int resized = 0;
	BPoint lastSize;
	int attachedOrder = -1;
	static int sAttachCounter;
};

int ProbeView::sAttachCounter = 0;

class QuitProbeWindow : public BWindow {
public:
	QuitProbeWindow(BRect frame, const char* title, std::atomic<int>* asked,
		std::atomic<bool>* allow, std::atomic<bool>* deleted)
		: BWindow(frame, title, B_TITLED_WINDOW, B_NOT_RESIZABLE),
		  fAsked(asked), fAllow(allow), fDeleted(deleted)
	{
	}
	~QuitProbeWindow() override { *fDeleted = true; }
	bool QuitRequested() override
	{
		(*fAsked)++;
		return *fAllow;
	}

private:
	std::atomic<int>* fAsked;
	std::atomic<bool>* fAllow;
	std::atomic<bool>* fDeleted;
};

class WindowTest : public ::testing::Test {
protected:
	static void SetUpTestSuite() { sApp = new BTest::HeadlessApp(); }
	static void TearDownTestSuite()
	{
		delete sApp;
		sApp = NULL;
	}

	BWindow* NewWindow(const char* title, BRect frame = BRect(100, 100, 299, 199))
	{
		BWindow* window = new BWindow(frame, title, B_TITLED_WINDOW, 0);
		fWindows.push_back(window);
		return window;
	}
	void TearDown() override
	{
		for (BWindow* window : fWindows) {
			if (window->Lock())
				window->Quit();
		}
		BTest::DriveClock(false);
	}
	void Screenshot(BWindow* window, const char* name)
	{
		ASSERT_TRUE(BTest::Sync(window));
		EXPECT_EQ(BTest::WriteWindowPNG(window, BTest::ScreenshotPath(name).c_str()), B_OK);
	}

	static BTest::HeadlessApp* sApp;
	std::vector<BWindow*> fWindows;
};

BTest::HeadlessApp* WindowTest::sApp = NULL;

} // namespace

TEST_F(WindowTest, ShowsTitledWindowWithViewColours)
{
	BWindow* window = NewWindow("colours");
	ProbeView* view = new ProbeView(BRect(10, 10, 59, 39), "probe", B_FOLLOW_LEFT_TOP, 0);
	view->SetViewColor(kBlue);
	window->AddChild(view);
	window->Show();
	ASSERT_EQ(BTest::WaitForWindow("colours"), window);
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(BTest::PixelAt(window, BPoint(10, 10)), kBlue);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(59, 39)), kBlue);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(60, 39)), kPanel);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(9, 10)), kPanel);
	EXPECT_EQ(BTest::FindView(window, "probe"), view);
	EXPECT_EQ(BTest::FindView(window, "nothing"), nullptr);
	BTest::Locked(window, [&] {
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 199, 99));
		EXPECT_EQ(window->ChildAt(0), view);
		EXPECT_EQ(view->Window(), window);
		EXPECT_EQ(view->ConvertToScreen(BPoint(0, 0)), BPoint(110, 110));
		EXPECT_EQ(view->ConvertFromScreen(BPoint(110, 110)), BPoint(0, 0));
		EXPECT_EQ(view->ConvertToParent(BPoint(1, 2)), BPoint(11, 12));
		EXPECT_EQ(view->Bounds(), BRect(0, 0, 49, 29));
	});
	Screenshot(window, "window_colours");
}

TEST_F(WindowTest, ResizingModesFollowTheParent)
{
	BWindow* window = NewWindow("resizing", BRect(0, 0, 199, 99));
	ProbeView* left = new ProbeView(BRect(10, 10, 29, 29), "left", B_FOLLOW_LEFT_TOP);
	ProbeView* right = new ProbeView(BRect(170, 10, 189, 29), "right",
		B_FOLLOW_RIGHT | B_FOLLOW_TOP);
	ProbeView* all = new ProbeView(BRect(40, 40, 159, 89), "all", B_FOLLOW_ALL_SIDES,
		B_WILL_DRAW | B_FRAME_EVENTS);
	ProbeView* wide = new ProbeView(BRect(0, 0, 199, 5), "wide", B_FOLLOW_LEFT_RIGHT);
	ProbeView* bottom = new ProbeView(BRect(0, 90, 9, 99), "bottom",
		B_FOLLOW_LEFT | B_FOLLOW_BOTTOM);
	ProbeView* centre = new ProbeView(BRect(90, 40, 109, 59), "centre",
		B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER);
	ProbeView* inner = new ProbeView(BRect(10, 10, 19, 19), "inner", B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
	all->AddChild(inner);
	for (BView* view : std::vector<BView*>{left, right, all, wide, bottom, centre})
		window->AddChild(view);
	window->Show();
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] { window->ResizeBy(40, 20); });
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 239, 119));
		EXPECT_EQ(left->Frame(), BRect(10, 10, 29, 29));
		EXPECT_EQ(right->Frame(), BRect(210, 10, 229, 29));
		EXPECT_EQ(all->Frame(), BRect(40, 40, 199, 109));
		EXPECT_EQ(wide->Frame(), BRect(0, 0, 239, 5));
		EXPECT_EQ(bottom->Frame(), BRect(0, 110, 9, 119));
		EXPECT_EQ(centre->Frame(), BRect(110, 50, 129, 69));
		// Children of a resized child follow it in turn.
		EXPECT_EQ(inner->Frame(), BRect(50, 30, 59, 39));
		EXPECT_EQ(all->resized, 1);
		EXPECT_EQ(all->lastSize, BPoint(159, 69));
		// Without B_FRAME_EVENTS no hook.
		EXPECT_EQ(wide->resized, 0);
	});
}

TEST_F(WindowTest, DrawingIsClippedToTheViewAndTheUpdate)
{
	BWindow* window = NewWindow("clipping");
	ProbeView* parent = new ProbeView(BRect(20, 20, 119, 79), "parent");
	ProbeView* child = new ProbeView(BRect(10, 10, 39, 29), "child");
	parent->fill = true;
	parent->fillColor = kGreen;
	child->fill = true;
	child->fillColor = kRed;
	parent->AddChild(child);
	window->AddChild(parent);
	window->Show();
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(BTest::PixelAt(window, BPoint(19, 19)), kPanel);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(20, 20)), kGreen);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(119, 79)), kGreen);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(120, 80)), kPanel);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(30, 30)), kRed);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(59, 49)), kRed);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(60, 49)), kGreen);

	// A small update redraws only its rectangle, whatever Draw() paints.
	int parentDraws = 0, childDraws = 0;
	BTest::Locked(window, [&] {
		parentDraws = parent->draws;
		childDraws = child->draws;
		parent->fillColor = kBlue;
		parent->Invalidate(BRect(60, 0, 69, 9));
	});
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		EXPECT_EQ(parent->draws, parentDraws + 1);
		EXPECT_EQ(parent->lastUpdate, BRect(60, 0, 69, 9));
		EXPECT_EQ(child->draws, childDraws);
	});
	EXPECT_EQ(BTest::PixelAt(window, BPoint(80, 20)), kBlue);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(89, 29)), kBlue);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(90, 20)), kGreen);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(79, 30)), kGreen);

	// Drawing outside Draw() is clipped to the view too, and reaches the screen.
	BTest::Locked(window, [&] {
		child->SetHighColor(kBlue);
		child->FillRect(BRect(-50, -50, 500, 500));
		child->Flush();
	});
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(BTest::PixelAt(window, BPoint(30, 30)), kBlue);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(29, 30)), kGreen);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(60, 50)), kGreen);

	// A hidden view draws nothing and lets its parent show.
	BTest::Locked(window, [&] { child->Hide(); });
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(BTest::PixelAt(window, BPoint(40, 40)), kBlue);
	Screenshot(window, "window_clipping");
}

TEST_F(WindowTest, DrawingModesInAView)
{
	BWindow* window = NewWindow("modes");
	BView* view = new BView(BRect(0, 0, 99, 99), "modes", B_FOLLOW_ALL_SIDES, 0);
	view->SetViewColor(255, 255, 255);
	window->AddChild(view);
	window->Show();
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		view->SetDrawingMode(B_OP_ALPHA);
		view->SetBlendingMode(B_CONSTANT_ALPHA, B_ALPHA_OVERLAY);
		view->SetHighColor(0, 0, 0, 64);
		view->FillRect(BRect(0, 0, 9, 9));
		view->SetDrawingMode(B_OP_INVERT);
		view->FillRect(BRect(20, 0, 29, 9));
		view->SetDrawingMode(B_OP_OVER);
		view->SetHighColor(kRed);
		view->SetLowColor(kGreen);
		view->FillRect(BRect(40, 0, 41, 1), B_MIXED_COLORS);
		view->SetDrawingMode(B_OP_COPY);
		view->FillRect(BRect(50, 0, 51, 1), B_MIXED_COLORS);
	});
	ASSERT_TRUE(BTest::Sync(window));
	rgb_color darkened = BTest::PixelAt(window, BPoint(5, 5));
	EXPECT_NEAR(darkened.red, 191, 1);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(25, 5)), make_color(0, 0, 0));
	EXPECT_EQ(BTest::PixelAt(window, BPoint(40, 0)), kRed);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(41, 0)), make_color(255, 255, 255));
	EXPECT_EQ(BTest::PixelAt(window, BPoint(51, 0)), kGreen);
}

TEST_F(WindowTest, TextWidthAndHeightThroughTheView)
{
	BWindow* window = NewWindow("text");
	BView* view = new BView(BRect(0, 0, 199, 99), "text", B_FOLLOW_ALL_SIDES, 0);
	window->AddChild(view);
	window->Show();
	// Drawn before the first update, it would be erased by it.
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] {
		BFont font(be_bold_font);
		font.SetSize(20);
		view->SetFont(&font, B_FONT_SIZE);
		BFont got;
		view->GetFont(&got);
		// Only the size was copied.
		EXPECT_EQ(got.Size(), 20);
		EXPECT_EQ(got.Face() & B_BOLD_FACE, 0);
		EXPECT_EQ(view->StringWidth("Murmelo"), got.StringWidth("Murmelo"));
		font_height height;
		view->GetFontHeight(&height);
		EXPECT_GT(height.ascent, 14);
		EXPECT_GT(height.descent, 3);
		view->SetHighColor(0, 0, 0);
		view->MovePenTo(10, 30);
		view->DrawString("Hello");
		EXPECT_EQ(view->PenLocation(), BPoint(10 + view->StringWidth("Hello"), 30));
		view->StrokeLine(BPoint(10, 40), BPoint(50, 40));
		EXPECT_EQ(view->PenLocation(), BPoint(50, 40));
		view->StrokeLine(BPoint(50, 60));
		view->Flush();
	});
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(BTest::PixelAt(window, BPoint(50, 60)), make_color(0, 0, 0));
	EXPECT_EQ(BTest::PixelAt(window, BPoint(50, 61)), make_color(255, 255, 255));
	Screenshot(window, "window_text");
}

TEST_F(WindowTest, MouseGoesToTheViewUnderIt)
{
	BWindow* window = NewWindow("mouse");
	ProbeView* parent = new ProbeView(BRect(10, 10, 109, 79), "parent");
	ProbeView* child = new ProbeView(BRect(50, 20, 89, 49), "child");
	ProbeView* hidden = new ProbeView(BRect(0, 0, 20, 20), "hidden");
	parent->AddChild(child);
	parent->AddChild(hidden);
	hidden->Hide();
	window->AddChild(parent);
	window->Show();
	ASSERT_TRUE(BTest::Sync(window));
	ASSERT_EQ(BTest::Click(child, BPoint(3, 4)), B_OK);
	ASSERT_EQ(BTest::Click(parent, BPoint(5, 5)), B_OK);
	BTest::Locked(window, [&] {
		ASSERT_EQ(child->downs.size(), 1u);
		EXPECT_EQ(child->downs[0], BPoint(3, 4));
		ASSERT_EQ(child->ups.size(), 1u);
		ASSERT_EQ(parent->downs.size(), 1u);
		EXPECT_EQ(parent->downs[0], BPoint(5, 5));
		EXPECT_TRUE(hidden->downs.empty());
		EXPECT_TRUE(window->IsActive());
	});
	// A second click at the same place soon after is a double click.
	ASSERT_EQ(BTest::Click(parent, BPoint(5, 5)), B_OK);
	BTest::Locked(window, [&] { EXPECT_EQ(parent->lastClicks, 2); });

	// Moving in, within and out.
	ASSERT_EQ(BTest::MoveMouse(child, BPoint(1, 1)), B_OK);
	ASSERT_EQ(BTest::MoveMouse(child, BPoint(2, 2)), B_OK);
	ASSERT_EQ(BTest::MoveMouse(parent, BPoint(1, 1)), B_OK);
	BTest::Locked(window, [&] {
		std::vector<uint32> expected{B_ENTERED_VIEW, B_INSIDE_VIEW, B_EXITED_VIEW};
		EXPECT_EQ(child->transits, expected);
	});
}

TEST_F(WindowTest, FocusTakesTheKeys)
{
	BWindow* window = NewWindow("focus");
	ProbeView* first = new ProbeView(BRect(0, 0, 49, 49), "first", B_FOLLOW_LEFT_TOP,
		B_WILL_DRAW | B_NAVIGABLE);
	ProbeView* second = new ProbeView(BRect(50, 0, 99, 49), "second", B_FOLLOW_LEFT_TOP,
		B_WILL_DRAW | B_NAVIGABLE);
	ProbeView* plain = new ProbeView(BRect(100, 0, 149, 49), "plain");
	window->AddChild(first);
	window->AddChild(second);
	window->AddChild(plain);
	window->Show();
	ASSERT_TRUE(BTest::Sync(window));
	ASSERT_EQ(BTest::TypeKeys(window, "lost"), B_OK);
	BTest::Locked(window, [&] {
		EXPECT_EQ(window->CurrentFocus(), nullptr);
		first->MakeFocus();
		EXPECT_TRUE(first->IsFocus());
	});
	ASSERT_EQ(BTest::TypeKeys(window, "ab\xc3\xa9"), B_OK);
	// Tab moves on to the next navigable view.
	ASSERT_EQ(BTest::PressKey(window, "\t"), B_OK);
	ASSERT_EQ(BTest::TypeKeys(window, "c"), B_OK);
	ASSERT_EQ(BTest::PressKey(window, "\t"), B_OK);
	BTest::Locked(window, [&] {
		EXPECT_EQ(first->typed, "ab\xc3\xa9");
		EXPECT_EQ(second->typed, "c");
		EXPECT_TRUE(plain->typed.empty());
		// Wrapped around, skipping the view that is not navigable.
		EXPECT_EQ(window->CurrentFocus(), first);
		first->MakeFocus(false);
		EXPECT_EQ(window->CurrentFocus(), nullptr);
		second->MakeFocus(true);
		// A removed view takes its focus with it.
		second->RemoveSelf();
		EXPECT_EQ(window->CurrentFocus(), nullptr);
		delete second;
	});
}

TEST_F(WindowTest, SecondThreadDrivesTheWindowUnderItsLock)
{
	BWindow* window = NewWindow("threads");
	window->Show();
	ASSERT_TRUE(BTest::Sync(window));
	std::vector<std::thread> threads;
	std::atomic<int> added{0};
	for (int t = 0; t < 4; t++) {
		threads.emplace_back([window, t, &added] {
			for (int i = 0; i < 20; i++) {
				ASSERT_TRUE(window->Lock());
				// Recursive: the owner may lock again.
				ASSERT_TRUE(window->Lock());
				EXPECT_TRUE(window->IsLocked());
				std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
				BView* view = new BView(BRect(t * 40, i * 4, t * 40 + 39, i * 4 + 3),
					name.c_str(), B_FOLLOW_LEFT_TOP, 0);
				view->SetViewColor(t % 2 ? kRed : kBlue);
				window->AddChild(view);
				window->Unlock();
				window->Unlock();
				added++;
			}
		});
	}
	for (auto& thread : threads)
		thread.join();
	EXPECT_EQ(added, 80);
	EXPECT_FALSE(window->IsLocked());
	ASSERT_TRUE(BTest::Sync(window));
	BTest::Locked(window, [&] { EXPECT_EQ(window->CountChildren(), 80); });
	EXPECT_EQ(BTest::PixelAt(window, BPoint(1, 1)), kBlue);
	EXPECT_EQ(BTest::PixelAt(window, BPoint(41, 78)), kRed);
	EXPECT_EQ(window->LockWithTimeout(1000000), B_OK);
	window->Unlock();
}

TEST_F(WindowTest, CloseBoxAndAltWGoThroughQuitRequested)
{
	std::atomic<int> asked{0};
	std::atomic<bool> allow{false};
	std::atomic<bool> deleted{false};
	QuitProbeWindow* window = new QuitProbeWindow(BRect(50, 50, 149, 149), "closing", &asked,
		&allow, &deleted);
	window->Show();
	ASSERT_EQ(BTest::WaitForWindow("closing"), window);
	ASSERT_EQ(BTest::CloseWindow(window), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(asked, 1);
	EXPECT_FALSE(deleted);
	// Alt+W asks as the close box does, unless the window can't be closed
	// or is modal.
	ASSERT_EQ(BTest::PressKey(window, "w", 0, B_COMMAND_KEY), B_OK);
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(asked, 2);
	BTest::Locked(window, [&] { window->SetFlags(B_NOT_RESIZABLE | B_NOT_CLOSABLE); });
	ASSERT_EQ(BTest::PressKey(window, "w", 0, B_COMMAND_KEY), B_OK);
	BTest::Locked(window, [&] {
		window->SetFlags(B_NOT_RESIZABLE);
		window->SetFeel(B_MODAL_APP_WINDOW_FEEL);
	});
	ASSERT_EQ(BTest::PressKey(window, "w", 0, B_COMMAND_KEY), B_OK);
	BTest::Locked(window, [&] { window->SetFeel(B_NORMAL_WINDOW_FEEL); });
	ASSERT_TRUE(BTest::Sync(window));
	EXPECT_EQ(asked, 2);
	allow = true;
	ASSERT_EQ(BTest::CloseWindow(window), B_OK);
	EXPECT_TRUE(BTest::WaitFor([&] { return deleted.load(); }));
	EXPECT_EQ(asked, 3);
	EXPECT_EQ(BTest::WaitForWindow("closing", 0), nullptr);
}

TEST_F(WindowTest, TreeHooksAndOrder)
{
	BWindow* window = NewWindow("tree");
	ProbeView* parent = new ProbeView(BRect(0, 0, 99, 99), "parent");
	ProbeView* a = new ProbeView(BRect(0, 0, 9, 9), "a");
	ProbeView* b = new ProbeView(BRect(10, 0, 19, 9), "b");
	parent->AddChild(b);
	parent->AddChild(a, b);
	window->AddChild(parent);
	BTest::Locked(window, [&] {
		EXPECT_EQ(parent->CountChildren(), 2);
		EXPECT_EQ(parent->ChildAt(0), a);
		EXPECT_EQ(a->NextSibling(), b);
		EXPECT_EQ(b->Parent(), parent);
		// Parents hear of the window before their children.
		EXPECT_LT(parent->attachedOrder, a->attachedOrder);
		EXPECT_TRUE(b->RemoveSelf());
		EXPECT_EQ(b->Window(), nullptr);
		EXPECT_EQ(parent->CountChildren(), 1);
		EXPECT_EQ(window->FindView("b"), nullptr);
		delete b;
	});
}

namespace {

// Grows the view tree on the window's own thread from its first draws on.
class GrowingView : public BView {
public:
	GrowingView() : BView(BRect(0, 0, 99, 99), "growing", B_FOLLOW_NONE, B_WILL_DRAW) {}

	void Draw(BRect) override
	{
		if (CountChildren() < 40)
			AddChild(new BView(BRect(0, 0, 1, 1), "leaf", B_FOLLOW_NONE, B_WILL_DRAW));
	}
};

} // namespace

TEST_F(WindowTest, ShowingFromAnotherThreadLeavesTheRunningTreeAlone)
{
	// Show() once looked for views that want a pulse after the window's
	// thread had started, without its lock, while that thread changed the
	// tree (a crash, or a race under ThreadSanitizer).
	for (int i = 0; i < 20; i++) {
		BWindow* window = new BWindow(BRect(10, 10, 209, 209), "growing", B_TITLED_WINDOW, 0);
		for (int j = 0; j < 10; j++)
			window->AddChild(new GrowingView);
		window->Show();
		ASSERT_TRUE(BTest::Sync(window));
		window->Lock();
		window->Quit();
	}
}

namespace {

class PulseCounter : public BView {
public:
	PulseCounter(uint32 flags)
		: BView(BRect(0, 0, 9, 9), "pulsing", B_FOLLOW_NONE, B_WILL_DRAW | flags)
	{
	}
	void Pulse() override { pulses++; }
	int pulses = 0;
};

} // namespace

TEST_F(WindowTest, ViewsThatAskForItPulseAtTheWindowsRate)
{
	BTest::DriveClock();
	BWindow* window = NewWindow("pulses");
	PulseCounter* pulsing = new PulseCounter(B_PULSE_NEEDED);
	PulseCounter* quiet = new PulseCounter(0);
	window->AddChild(pulsing);
	window->AddChild(quiet);
	window->Show();
	auto counts = [&] {
		std::pair<int, int> result;
		BTest::Locked(window, [&] { result = {pulsing->pulses, quiet->pulses}; });
		return result;
	};

	// The default rate is half a second.
	ASSERT_EQ(BTest::AdvanceClock(499999, window), B_OK);
	EXPECT_EQ(counts(), std::make_pair(0, 0));
	ASSERT_EQ(BTest::AdvanceClock(1, window), B_OK);
	EXPECT_EQ(counts(), std::make_pair(1, 0));

	BTest::Locked(window, [&] { window->SetPulseRate(100000); });
	ASSERT_EQ(BTest::AdvanceClock(300000, window), B_OK);
	EXPECT_EQ(counts(), std::make_pair(4, 0));
	BTest::Locked(window, [&] { window->SetPulseRate(0); });
	ASSERT_EQ(BTest::AdvanceClock(1000000, window), B_OK);
	EXPECT_EQ(counts(), std::make_pair(4, 0));

	// A window without a view that wants pulses gets none.
	BWindow* still = NewWindow("no pulses");
	PulseCounter* alone = new PulseCounter(0);
	still->AddChild(alone);
	still->Show();
	ASSERT_EQ(BTest::AdvanceClock(2000000, still), B_OK);
	BTest::Locked(still, [&] { EXPECT_EQ(alone->pulses, 0); });
}
