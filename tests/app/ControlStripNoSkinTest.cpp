// The control strip in a program that carries neither of its pictures: it
// says so, and every control is still there, shown and usable.
#include <TView2.h>

#include <BitmapView.h>

#include <Harness.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

class CountingWindow : public BWindow {
public:
	CountingWindow()
		: BWindow(BRect(45, 370, 467, 770), "strip without skin", B_TITLED_WINDOW,
			  B_NOT_RESIZABLE)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'lear')
			clears++;
	}
	std::atomic<int32> clears{0};
};

} // namespace

TEST(ControlStripNoSkinTest, WithoutTheSkinTheControlsAreStillShownAndWork)
{
	BTest::HeadlessApp app("application/x-vnd.Murmelo-strip-noskin-test");
	testing::internal::CaptureStdout();
	TView2* strip = new TView2(BRect(0, 0, 430, 100));
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "pas de skin\n");

	CountingWindow* window = new CountingWindow;
	window->AddChild(strip);
	window->Show();
	ASSERT_EQ(BTest::WaitForWindow("strip without skin"), window);
	BTest::Sync(window);
	BTest::Locked(window, [&] {
		ASSERT_EQ(strip->CountChildren(), 1);
		BitmapView* skin = dynamic_cast<BitmapView*>(strip->ChildAt(0));
		ASSERT_NE(skin, nullptr);
		EXPECT_EQ(skin->Bitmap(), nullptr);
		EXPECT_EQ(skin->Frame(), BRect(0, 0, 430, 100));
		// No second picture either.
		EXPECT_EQ(skin->CountChildren(), 5);
		for (const char* name : {"CLEAR", "REPLY", "SEND", "MenuBar", "AWAY mode"}) {
			BView* control = skin->FindView(name);
			ASSERT_NE(control, nullptr) << name;
			EXPECT_FALSE(control->IsHidden()) << name;
		}
	});
	ASSERT_EQ(BTest::Click(BTest::FindView(window, "CLEAR"), BPoint(20, 10)), B_OK);
	EXPECT_TRUE(BTest::WaitFor([&] { return window->clears == 1; }));
	// Quit() deletes the window: it is not unlocked afterwards.
	if (window->Lock())
		window->Quit();
}
