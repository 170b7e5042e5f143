// The display server's part in menus: a window of the menu feel takes the
// mouse and the keys while it is shown, a press outside it reaches it (and
// nothing else), and it never takes the activation.
#include <DisplayServer.h>

#include "ControlTestSupport.h"

namespace {

// A window that remembers where each press and key reached it.
class InputRecorder : public BWindow {
public:
	InputRecorder(BRect frame, const char* title, window_look look, window_feel feel)
		: BWindow(frame, title, look, feel, 0)
	{
	}
	void DispatchMessage(BMessage* message, BHandler* handler) override
	{
		if (message->what == B_MOUSE_DOWN) {
			BPoint where;
			message->FindPoint("where", &where);
			presses.push_back(where);
		} else if (message->what == B_KEY_DOWN)
			keys++;
		BWindow::DispatchMessage(message, handler);
	}
	std::vector<BPoint> presses; // read with the window locked
	int32 keys = 0;
};

class MenuRoutingTest : public ControlWindowTest {
protected:
	static void Press(BPoint screen)
	{
		for (InputEvent::Type type : {InputEvent::MOUSE_DOWN, InputEvent::MOUSE_UP}) {
			InputEvent event;
			event.type = type;
			event.where = screen;
			event.buttons = type == InputEvent::MOUSE_DOWN ? B_PRIMARY_MOUSE_BUTTON : 0;
			DisplayServer::Default()->Inject(event);
		}
		ASSERT_TRUE(DisplayServer::Default()->Sync(BTest::kDefaultTimeout));
	}
	static size_t Presses(InputRecorder* window)
	{
		size_t count = 0;
		EXPECT_TRUE(BTest::Sync(window));
		BTest::Locked(window, [&] { count = window->presses.size(); });
		return count;
	}
};

} // namespace

TEST_F(MenuRoutingTest, AShownMenuTakesPressesOutsideItAndKeysButNotTheActivation)
{
	InputRecorder* owner = new InputRecorder(BRect(100, 100, 399, 299), "menu owner",
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL);
	fWindows.push_back(owner);
	ShowAndWait(owner);

	InputRecorder* menu = new InputRecorder(BRect(150, 150, 249, 219), "menu window",
		B_NO_BORDER_WINDOW_LOOK, kMenuWindowFeel);
	menu->Show();
	ASSERT_EQ(BTest::WaitForWindow("menu window"), menu);
	ASSERT_TRUE(BTest::Sync(menu));

	// Inside the menu: the menu, in its own coordinates.
	Press(BPoint(160, 170));
	ASSERT_EQ(Presses(menu), 1u);
	// Over the owner, outside the menu: the menu hears it, the owner doesn't.
	Press(BPoint(350, 250));
	ASSERT_EQ(Presses(menu), 2u);
	EXPECT_EQ(Presses(owner), 0u);
	BTest::Locked(menu, [&] {
		EXPECT_EQ(menu->presses[0], BPoint(10, 20));
		EXPECT_EQ(menu->presses[1], BPoint(200, 100));
	});
	// The owner stays the active window, yet the keys go to the menu.
	BTest::Locked(owner, [&] { EXPECT_TRUE(owner->IsActive()); });
	ASSERT_EQ(BTest::PressKey(owner, "x"), B_OK);
	ASSERT_TRUE(BTest::Sync(menu));
	BTest::Locked(menu, [&] { EXPECT_EQ(menu->keys, 1); });
	BTest::Locked(owner, [&] { EXPECT_EQ(owner->keys, 0); });

	// Once the menu is gone the owner has its mouse and keys back.
	// Quit() deletes the window: it is not unlocked afterwards.
	if (menu->Lock())
		menu->Quit();
	Press(BPoint(350, 250));
	EXPECT_EQ(Presses(owner), 1u);
	ASSERT_EQ(BTest::PressKey(owner, "y"), B_OK);
	BTest::Locked(owner, [&] { EXPECT_EQ(owner->keys, 1); });
}

TEST_F(MenuRoutingTest, AMenuStaysAboveAWindowActivatedAfterIt)
{
	InputRecorder* first = new InputRecorder(BRect(100, 100, 399, 299), "first owner",
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL);
	InputRecorder* second = new InputRecorder(BRect(120, 120, 419, 319), "second owner",
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL);
	fWindows.push_back(first);
	fWindows.push_back(second);
	ShowAndWait(first);
	InputRecorder* menu = new InputRecorder(BRect(150, 150, 249, 219), "front menu",
		B_NO_BORDER_WINDOW_LOOK, kMenuWindowFeel);
	fWindows.push_back(menu);
	menu->Show();
	ASSERT_EQ(BTest::WaitForWindow("front menu"), menu);
	ShowAndWait(second);

	Press(BPoint(200, 200));
	EXPECT_EQ(Presses(menu), 1u);
	EXPECT_EQ(Presses(second), 0u);
}
