// Menus on the headless display, used through the mouse and the keys the
// way a person would: the menu bar, its menus in windows of their own,
// submenus, and pop-up menus opened by Go().
#include <Button.h>
#include <MenuBar.h>
#include <PopUpMenu.h>
#include <Screen.h>
#include <SeparatorItem.h>

#include "ControlTestSupport.h"
#include "MenuTestSupport.h"

#include <thread>

using namespace menu_test;

namespace {

// A window that keeps the messages its menus send it.
class MenuOwner : public BWindow {
public:
	MenuOwner(const char* title)
		: BWindow(BRect(100, 100, 499, 399), title, B_TITLED_WINDOW, 0)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what >= 'aaaa')
			messages.push_back(*message);
		else
			BWindow::MessageReceived(message);
	}
	std::vector<BMessage> messages; // with the window locked
};

class MenuTest : public ControlWindowTest {
protected:
	// A bar with "File" (Open, Save with Alt+S, a separator, a "Recent"
	// submenu, Quit) and "Edit" (Copy, a disabled Paste).
	MenuOwner* NewBarWindow(const char* title)
	{
		MenuOwner* window = new MenuOwner(title);
		fWindows.push_back(window);
		fBar = new BMenuBar(BRect(0, 0, 100, 15), "bar");
		fFile = new BMenu("File");
		fFile->AddItem(new BMenuItem("Open", new BMessage('open')));
		fFile->AddItem(new BMenuItem("Save", new BMessage('save'), 's'));
		fFile->AddSeparatorItem();
		fRecent = new BMenu("Recent");
		fRecent->AddItem(new BMenuItem("a.txt", new BMessage('rcta')));
		fRecent->AddItem(new BMenuItem("b.txt", new BMessage('rctb')));
		fFile->AddItem(fRecent);
		fFile->AddItem(new BMenuItem("Quit", new BMessage('quit')));
		fEdit = new BMenu("Edit");
		fEdit->AddItem(new BMenuItem("Copy", new BMessage('copy')));
		BMenuItem* paste = new BMenuItem("Paste", new BMessage('past'));
		paste->SetEnabled(false);
		fEdit->AddItem(paste);
		fBar->AddItem(fFile);
		fBar->AddItem(fEdit);
		window->AddChild(fBar);
		ShowAndWait(window);
		return window;
	}
	BPoint TitlePoint(BWindow* window, int32 index)
	{
		return ItemPoint(window, fBar->ItemAt(index));
	}
	std::vector<uint32> Received(MenuOwner* window)
	{
		std::vector<uint32> whats;
		BTest::Sync(window);
		BTest::Sync(window);
		BTest::Locked(window, [&] {
			for (const BMessage& m : window->messages)
				whats.push_back(m.what);
		});
		return whats;
	}

	BMenuBar* fBar = NULL;
	BMenu* fFile = NULL;
	BMenu* fRecent = NULL;
	BMenu* fEdit = NULL;
};

} // namespace

TEST_F(MenuTest, ItemsAreAddedFoundMarkedAndRemoved)
{
	BMenu menu("menu");
	BMenuItem* one = new BMenuItem("One", new BMessage('one '));
	BMenuItem* two = new BMenuItem("Two", new BMessage('two '));
	BMenu* sub = new BMenu("Sub");
	BMenuItem* deep = new BMenuItem("Deep", new BMessage('deep'));
	sub->AddItem(deep);
	EXPECT_TRUE(menu.AddItem(two));
	EXPECT_TRUE(menu.AddItem(one, 0));
	EXPECT_FALSE(menu.AddItem(one)); // already in a menu
	EXPECT_TRUE(menu.AddSeparatorItem());
	EXPECT_TRUE(menu.AddItem(sub));
	EXPECT_FALSE(menu.AddItem((BMenuItem*)NULL));
	ASSERT_EQ(menu.CountItems(), 4);
	EXPECT_EQ(menu.ItemAt(0), one);
	EXPECT_EQ(menu.ItemAt(4), nullptr);
	EXPECT_EQ(menu.IndexOf(two), 1);
	EXPECT_EQ(menu.IndexOf(sub), 3);
	EXPECT_EQ(menu.SubmenuAt(3), sub);
	EXPECT_EQ(sub->Supermenu(), &menu);
	EXPECT_STREQ(sub->Superitem()->Label(), "Sub");
	EXPECT_FALSE(menu.ItemAt(2)->IsEnabled()); // the separator
	// Found by label or command, in submenus too.
	EXPECT_EQ(menu.FindItem("Deep"), deep);
	EXPECT_EQ(menu.FindItem('two '), two);
	EXPECT_EQ(menu.FindItem("None"), nullptr);

	// Radio mode: one mark at most.
	one->SetMarked(true);
	two->SetMarked(true);
	EXPECT_TRUE(one->IsMarked());
	menu.SetRadioMode(true);
	EXPECT_EQ(one->IsMarked() + two->IsMarked(), 1);
	two->SetMarked(true);
	EXPECT_FALSE(one->IsMarked());
	EXPECT_EQ(menu.FindMarked(), two);
	menu.SetLabelFromMarked(true);
	EXPECT_TRUE(menu.IsRadioMode());
	menu.SetRadioMode(false);
	EXPECT_FALSE(menu.IsLabelFromMarked());

	// A disabled menu disables its items.
	sub->SetEnabled(false);
	EXPECT_FALSE(deep->IsEnabled());
	EXPECT_FALSE(sub->Superitem()->IsEnabled());
	sub->SetEnabled(true);
	EXPECT_TRUE(deep->IsEnabled());

	// Shortcuts keep the command key.
	uint32 modifiers = 0;
	BMenuItem save("Save", NULL, 'S', B_SHIFT_KEY);
	EXPECT_EQ(save.Shortcut(&modifiers), 'S');
	EXPECT_EQ(modifiers, (uint32)(B_SHIFT_KEY | B_COMMAND_KEY));

	// Removing hands the item back; the submenu comes back whole.
	EXPECT_TRUE(menu.RemoveItem(two));
	EXPECT_EQ(two->Menu(), nullptr);
	delete two;
	EXPECT_TRUE(menu.RemoveItem(sub));
	EXPECT_EQ(sub->Superitem(), nullptr);
	EXPECT_EQ(sub->ItemAt(0), deep);
	delete sub;
	EXPECT_EQ(menu.CountItems(), 2);
	EXPECT_EQ(menu.RemoveItem(5), nullptr);
	EXPECT_TRUE(menu.RemoveItems(0, 2, true));
	EXPECT_EQ(menu.CountItems(), 0);
}

TEST_F(MenuTest, EveryItemOfTheBarIsDeliveredToItsTargetAndItsMenuCloses)
{
	MenuOwner* window = NewBarWindow("bar delivery");
	// The bar spans the window, one row high.
	BTest::Locked(window, [&] {
		EXPECT_EQ(fBar->Frame().Width(), window->Bounds().Width());
		EXPECT_GE(fBar->Frame().Height(), 15);
		EXPECT_LE(fBar->Frame().Height(), 24);
	});
	RecordingHandler* handler = new RecordingHandler;
	BTest::Locked(window, [&] {
		window->AddHandler(handler);
		fFile->SetTargetForItems(handler);
		fRecent->SetTargetForItems(handler);
	});

	const struct {
		BMenu* menu;
		int32 title;
		const char* label;
		uint32 what;
		int32 index;
	} items[] = {
		{fFile, 0, "Open", 'open', 0},
		{fFile, 0, "Save", 'save', 1},
		{fFile, 0, "Quit", 'quit', 4},
		{fEdit, 1, "Copy", 'copy', 0},
	};
	for (const auto& item : items) {
		SCOPED_TRACE(item.label);
		Click(TitlePoint(window, item.title));
		BWindow* open = MenuWindowOf(item.menu->Name());
		ASSERT_NE(open, nullptr);
		// Above the window it belongs to, which stays active.
		BTest::Locked(window, [&] { EXPECT_TRUE(window->IsActive()); });
		Click(ItemPoint(open, item.menu->FindItem(item.label)));
		ASSERT_TRUE(MenuClosed(item.menu->Name()));
	}
	// The File items reached the handler, Copy (no target) the window.
	BTest::Sync(window);
	BTest::Locked(window, [&] {
		ASSERT_EQ(handler->messages.size(), 3u);
		for (int32 i = 0; i < 3; i++) {
			EXPECT_EQ(handler->messages[i].what, items[i].what);
			int32 index = -1;
			handler->messages[i].FindInt32("index", &index);
			EXPECT_EQ(index, items[i].index);
			void* source = NULL;
			handler->messages[i].FindPointer("source", &source);
			EXPECT_EQ(source, fFile->FindItem(items[i].label));
		}
	});
	EXPECT_EQ(Received(window), std::vector<uint32>{'copy'});

	// A submenu opens when the pointer rests on its item.
	Click(TitlePoint(window, 0));
	BWindow* file = MenuWindowOf("File");
	ASSERT_NE(file, nullptr);
	Move(ItemPoint(file, fRecent->Superitem()));
	BWindow* recent = MenuWindowOf("Recent");
	ASSERT_NE(recent, nullptr);
	Click(ItemPoint(recent, fRecent->ItemAt(1)));
	ASSERT_TRUE(MenuClosed("Recent"));
	ASSERT_TRUE(MenuClosed("File"));
	BTest::Sync(window);
	BTest::Locked(window, [&] {
		ASSERT_EQ(handler->messages.size(), 4u);
		EXPECT_EQ(handler->messages[3].what, (uint32)'rctb');
	});
}

TEST_F(MenuTest, TheCommandKeyChoosesShortcutsOfTheWindowAndItsMenuBar)
{
	MenuOwner* window = NewBarWindow("shortcuts");
	RecordingHandler* handler = new RecordingHandler;
	BTest::Locked(window, [&] {
		EXPECT_EQ(window->KeyMenuBar(), fBar);
		window->AddHandler(handler);
		fRecent->ItemAt(0)->SetShortcut('r', B_SHIFT_KEY);
		fEdit->ItemAt(1)->SetShortcut('v', 0); // Paste, disabled
		fEdit->ItemAt(0)->SetShortcut('c', B_CONTROL_KEY);
	});
	auto press = [&](const char* key, uint32 modifiers) {
		ASSERT_EQ(BTest::PressKey(window, key, 0, modifiers), B_OK);
	};
	// Alt is Command; Ctrl alone stands for it. Shift and the other
	// modifiers must be as the item says; disabled items and plain keys
	// choose nothing.
	press("s", B_COMMAND_KEY);
	press("s", B_CONTROL_KEY);
	press("\x13", B_CONTROL_KEY); // Ctrl+S as a control code
	press("s", 0);
	press("S", B_COMMAND_KEY | B_SHIFT_KEY);
	press("R", B_COMMAND_KEY | B_SHIFT_KEY); // in the submenu
	press("r", B_COMMAND_KEY);
	press("v", B_COMMAND_KEY);
	press("c", B_COMMAND_KEY);
	press("c", B_COMMAND_KEY | B_CONTROL_KEY);
	EXPECT_EQ(Received(window), (std::vector<uint32>{'save', 'save', 'save', 'rcta', 'copy'}));

	// The window's own shortcuts come first, to the target given.
	BTest::Locked(window, [&] {
		window->AddShortcut('S', 0, new BMessage('mine'));
		window->AddShortcut('k', B_SHIFT_KEY, new BMessage('kkkk'), handler);
		EXPECT_TRUE(window->HasShortcut('s', B_COMMAND_KEY));
		EXPECT_TRUE(window->HasShortcut('K', B_SHIFT_KEY));
		EXPECT_FALSE(window->HasShortcut('k', 0));
	});
	press("s", B_COMMAND_KEY);
	press("K", B_COMMAND_KEY | B_SHIFT_KEY);
	BTest::Locked(window, [&] { window->RemoveShortcut('s', 0); });
	press("s", B_COMMAND_KEY);
	EXPECT_EQ(Received(window),
		(std::vector<uint32>{'save', 'save', 'save', 'rcta', 'copy', 'mine', 'save'}));
	BTest::Locked(window, [&] {
		ASSERT_EQ(handler->messages.size(), 1u);
		EXPECT_EQ(handler->messages[0].what, (uint32)'kkkk');
		EXPECT_FALSE(window->HasShortcut('s', 0));
	});

	// Without its key menu bar the window knows only its own shortcuts.
	BTest::Locked(window, [&] {
		window->RemoveChild(fBar);
		EXPECT_EQ(window->KeyMenuBar(), nullptr);
	});
	press("s", B_COMMAND_KEY);
	EXPECT_EQ(Received(window).size(), 7u);
	delete fBar;
	fBar = NULL;
}

TEST_F(MenuTest, EscapeAndAPressOutsideCloseWithoutDelivering)
{
	MenuOwner* window = NewBarWindow("bar dismissal");
	BButton* button = new BButton(BRect(200, 200, 299, 223), "button", "Press",
		new BMessage('butn'));
	BTest::Locked(window, [&] { window->AddChild(button); });

	Click(TitlePoint(window, 0));
	ASSERT_NE(MenuWindowOf("File"), nullptr);
	ASSERT_EQ(BTest::PressKey(window, kEscapeKey), B_OK);
	ASSERT_TRUE(MenuClosed("File"));

	// The press outside closes the menu and is not a press on the button.
	Click(TitlePoint(window, 0));
	ASSERT_NE(MenuWindowOf("File"), nullptr);
	BPoint onButton;
	BTest::Locked(window, [&] { onButton = button->ConvertToScreen(BPoint(20, 10)); });
	Click(onButton);
	ASSERT_TRUE(MenuClosed("File"));
	EXPECT_TRUE(Received(window).empty());
	// With the menu gone the button works again.
	Click(onButton);
	EXPECT_EQ(Received(window), std::vector<uint32>{'butn'});

	// A disabled item neither closes the menu nor sends anything.
	Click(TitlePoint(window, 1));
	BWindow* edit = MenuWindowOf("Edit");
	ASSERT_NE(edit, nullptr);
	Click(ItemPoint(edit, fEdit->FindItem("Paste")));
	EXPECT_EQ(DisplayServer::Default()->FindWindow("Edit"), edit);
	ASSERT_EQ(BTest::PressKey(window, kEscapeKey), B_OK);
	ASSERT_TRUE(MenuClosed("Edit"));
	EXPECT_EQ(Received(window), std::vector<uint32>{'butn'});
}

TEST_F(MenuTest, TheKeysMoveThroughItemsSubmenusAndTheBar)
{
	MenuOwner* window = NewBarWindow("bar keys");
	Click(TitlePoint(window, 0));
	BWindow* file = MenuWindowOf("File");
	ASSERT_NE(file, nullptr);
	EXPECT_EQ(Selected(file, fFile), -1);
	auto key = [&](const char* bytes) { ASSERT_EQ(BTest::PressKey(window, bytes), B_OK); };
	key(kDownKey);
	EXPECT_EQ(Selected(file, fFile), 0);
	key(kDownKey);
	key(kDownKey); // over the separator
	EXPECT_EQ(Selected(file, fFile), 3);
	key(kDownKey);
	key(kDownKey); // round to the top
	EXPECT_EQ(Selected(file, fFile), 0);
	key(kUpKey);
	EXPECT_EQ(Selected(file, fFile), 4);
	key(kUpKey);

	// Right opens "Recent" on its first item, left closes it again.
	key(kRightKey);
	BWindow* recent = MenuWindowOf("Recent");
	ASSERT_NE(recent, nullptr);
	EXPECT_EQ(Selected(recent, fRecent), 0);
	key(kLeftKey);
	ASSERT_TRUE(MenuClosed("Recent"));
	EXPECT_EQ(Selected(file, fFile), 3);

	// Right on a plain item goes to the next menu of the bar, left back.
	key(kUpKey);
	key(kRightKey);
	ASSERT_TRUE(MenuClosed("File"));
	BWindow* edit = MenuWindowOf("Edit");
	ASSERT_NE(edit, nullptr);
	EXPECT_EQ(Selected(edit, fEdit), 0);
	key(kDownKey); // Paste is disabled: Copy again
	EXPECT_EQ(Selected(edit, fEdit), 0);
	key(kLeftKey);
	ASSERT_TRUE(MenuClosed("Edit"));
	file = MenuWindowOf("File");
	ASSERT_NE(file, nullptr);

	// Enter chooses: into the submenu, then its second item.
	EXPECT_EQ(Selected(file, fFile), 0);
	key(kUpKey);
	key(kUpKey);
	EXPECT_EQ(Selected(file, fFile), 3);
	key(kEnterKey);
	recent = MenuWindowOf("Recent");
	ASSERT_NE(recent, nullptr);
	key(kDownKey);
	key(kEnterKey);
	ASSERT_TRUE(MenuClosed("Recent"));
	ASSERT_TRUE(MenuClosed("File"));
	EXPECT_EQ(Received(window), std::vector<uint32>{'rctb'});
}

TEST_F(MenuTest, DraggingFromATitleChoosesOnReleaseAndHoveringSwitchesMenus)
{
	MenuOwner* window = NewBarWindow("bar drag");
	// Pressed on the title, dragged to Save, released there.
	Down(TitlePoint(window, 0));
	BWindow* file = MenuWindowOf("File");
	ASSERT_NE(file, nullptr);
	BPoint save = ItemPoint(file, fFile->FindItem("Save"));
	Move(save);
	EXPECT_EQ(Selected(file, fFile), 1);
	Up(save);
	ASSERT_TRUE(MenuClosed("File"));
	EXPECT_EQ(Received(window), std::vector<uint32>{'save'});

	// Released far off: closed, nothing chosen.
	Down(TitlePoint(window, 0));
	ASSERT_NE(MenuWindowOf("File"), nullptr);
	Move(BPoint(450, 380));
	Up(BPoint(450, 380));
	ASSERT_TRUE(MenuClosed("File"));

	// Open by a click; the pointer over "Edit" opens that menu instead.
	Click(TitlePoint(window, 0));
	ASSERT_NE(MenuWindowOf("File"), nullptr);
	Move(TitlePoint(window, 1));
	ASSERT_NE(MenuWindowOf("Edit"), nullptr);
	ASSERT_TRUE(MenuClosed("File"));
	ASSERT_EQ(BTest::PressKey(window, kEscapeKey), B_OK);
	ASSERT_TRUE(MenuClosed("Edit"));
	EXPECT_EQ(Received(window), std::vector<uint32>{'save'});
}

TEST_F(MenuTest, ARadioMenuMarksTheChosenItemAndItsTitleShowsIt)
{
	MenuOwner* window = new MenuOwner("radio");
	fWindows.push_back(window);
	BMenuBar* bar = new BMenuBar(BRect(0, 0, 10, 10), "bar");
	BMenu* size = new BMenu("Size");
	size->AddItem(new BMenuItem("10", new BMessage('sz10')));
	size->AddItem(new BMenuItem("12", new BMessage('sz12')));
	size->SetLabelFromMarked(true);
	size->ItemAt(0)->SetMarked(true);
	bar->AddItem(size);
	window->AddChild(bar);
	ShowAndWait(window);
	BTest::Locked(window, [&] { EXPECT_STREQ(bar->ItemAt(0)->Label(), "10"); });

	Click(ItemPoint(window, bar->ItemAt(0)));
	BWindow* open = MenuWindowOf("Size");
	ASSERT_NE(open, nullptr);
	Click(ItemPoint(open, size->ItemAt(1)));
	ASSERT_TRUE(MenuClosed("Size"));
	EXPECT_EQ(Received(window), std::vector<uint32>{'sz12'});
	BTest::Locked(window, [&] {
		EXPECT_TRUE(size->ItemAt(1)->IsMarked());
		EXPECT_FALSE(size->ItemAt(0)->IsMarked());
		EXPECT_STREQ(bar->ItemAt(0)->Label(), "12");
	});
}

TEST_F(MenuTest, GoWaitsForTheChoiceOrAnswersAtOnceAndDelivers)
{
	MenuOwner* window = new MenuOwner("pop-up owner");
	fWindows.push_back(window);
	ShowAndWait(window);
	BPopUpMenu* popup = new BPopUpMenu("popup");
	popup->AddItem(new BMenuItem("Red", new BMessage('red ')));
	popup->AddItem(new BMenuItem("Green", new BMessage('gren')));
	popup->SetTargetForItems(BMessenger(window));

	// Synchronous, without delivery: only the answer tells.
	BMenuItem* answer = (BMenuItem*)1;
	std::thread go([&] { answer = popup->Go(BPoint(300, 300)); });
	BWindow* open = MenuWindowOf("popup");
	ASSERT_NE(open, nullptr);
	BTest::Locked(open, [&] { EXPECT_EQ(open->Frame().LeftTop(), BPoint(300, 300)); });
	Click(ItemPoint(open, popup->ItemAt(1)));
	go.join();
	EXPECT_EQ(answer, popup->ItemAt(1));
	EXPECT_TRUE(popup->ItemAt(1)->IsMarked()); // radio by default
	EXPECT_TRUE(Received(window).empty());

	// Synchronous, delivering; dismissed by Escape it answers NULL.
	go = std::thread([&] { answer = popup->Go(BPoint(300, 300), true); });
	open = MenuWindowOf("popup");
	ASSERT_NE(open, nullptr);
	ASSERT_EQ(BTest::PressKey(window, kEscapeKey), B_OK);
	go.join();
	EXPECT_EQ(answer, nullptr);
	go = std::thread([&] { answer = popup->Go(BPoint(300, 300), true); });
	open = MenuWindowOf("popup");
	ASSERT_NE(open, nullptr);
	Click(ItemPoint(open, popup->ItemAt(0)));
	go.join();
	EXPECT_EQ(answer, popup->ItemAt(0));
	EXPECT_EQ(Received(window), std::vector<uint32>{'red '});

	// Asynchronous: NULL at once, the message later; the menu deletes
	// itself when asked to.
	popup->SetAsyncAutoDestruct(true);
	EXPECT_EQ(popup->Go(BPoint(150, 150), true, false, true), nullptr);
	open = MenuWindowOf("popup");
	ASSERT_NE(open, nullptr);
	Click(ItemPoint(open, popup->ItemAt(1)));
	ASSERT_TRUE(MenuClosed("popup"));
	ASSERT_TRUE(BTest::WaitFor([&] { return Received(window).size() == 2; }));
	EXPECT_EQ(Received(window)[1], (uint32)'gren');
}

TEST_F(MenuTest, APopUpOpenedWithoutInputDrawsItsItemsOnItsOwn)
{
	// As from a tray click: the press went to another process, so nothing
	// reaches the menu's window after it opens. Not synced: that would draw.
	BPopUpMenu* popup = new BPopUpMenu("unprompted");
	popup->AddItem(new BMenuItem("Only label", new BMessage('only')));
	popup->SetAsyncAutoDestruct(true);
	EXPECT_EQ(popup->Go(BPoint(120, 120), false, true, true), nullptr);
	BWindow* open = BTest::WaitForWindow("unprompted");
	ASSERT_NE(open, nullptr);
	BRect item;
	BTest::Locked(open, [&] { item = popup->ItemAt(0)->Frame(); });
	auto labelPixels = [&] {
		int dark = 0;
		for (float y = item.top; y <= item.bottom; y++) {
			for (float x = item.left; x <= item.right; x++) {
				rgb_color c = BTest::PixelAt(open, BPoint(x, y));
				if (c.alpha != 0 && c.red < 80 && c.green < 80 && c.blue < 80)
					dark++;
			}
		}
		return dark;
	};
	EXPECT_TRUE(BTest::WaitFor([&] { return labelPixels() > 10; })) << "the item's label";
	Click(ItemPoint(open, popup->ItemAt(0)));
	EXPECT_TRUE(MenuClosed("unprompted"));
}

TEST_F(MenuTest, AMenuOpenedNearTheScreensEdgeStaysOnTheScreen)
{
	MenuOwner* window = new MenuOwner("corner owner");
	fWindows.push_back(window);
	ShowAndWait(window);
	BRect screen = BScreen(window).Frame();
	ASSERT_TRUE(screen.IsValid());
	BPopUpMenu popup("corner");
	for (const char* label : {"One", "Two", "Three", "The last and longest"})
		popup.AddItem(new BMenuItem(label, new BMessage('cnr ')));

	BMenuItem* answer = NULL;
	// Past the corner, and at a point only just inside it.
	for (BPoint where : {screen.RightBottom() + BPoint(50, 50), screen.RightBottom() - BPoint(5, 5)}) {
		std::thread go([&] { answer = popup.Go(where); });
		BWindow* open = MenuWindowOf("corner");
		ASSERT_NE(open, nullptr);
		BRect frame;
		BTest::Locked(open, [&] { frame = open->Frame(); });
		EXPECT_FLOAT_EQ(frame.right, screen.right);
		EXPECT_FLOAT_EQ(frame.bottom, screen.bottom);
		EXPECT_GT(frame.Width(), 50);
		Click(ItemPoint(open, popup.ItemAt(3)));
		go.join();
		EXPECT_EQ(answer, popup.ItemAt(3));
	}
}

TEST_F(MenuTest, TheReleaseOfTheOpeningPressClosesAPopUpUnlessOpenAnyway)
{
	MenuOwner* window = new MenuOwner("press owner");
	fWindows.push_back(window);
	ShowAndWait(window);
	BPopUpMenu popup("held", false, false);
	popup.AddItem(new BMenuItem("Only", new BMessage('only')));

	for (bool openAnyway : {false, true}) {
		SCOPED_TRACE(openAnyway);
		Down(BPoint(200, 200));
		BMenuItem* answer = (BMenuItem*)1;
		std::thread go([&] { answer = popup.Go(BPoint(200, 200), false, openAnyway); });
		BWindow* open = MenuWindowOf("held");
		ASSERT_NE(open, nullptr);
		Up(BPoint(180, 180));
		if (openAnyway) {
			BTest::Sync(open);
			EXPECT_EQ(DisplayServer::Default()->FindWindow("held"), open);
			Click(ItemPoint(open, popup.ItemAt(0)));
		}
		go.join();
		EXPECT_EQ(answer, openAnyway ? popup.ItemAt(0) : nullptr);
		EXPECT_FALSE(popup.ItemAt(0)->IsMarked()); // not a radio menu
	}
}

TEST_F(MenuTest, MenusDrawInTheR5Look)
{
	MenuOwner* window = NewBarWindow("bar look");
	BTest::Locked(window, [&] { fFile->FindItem("Quit")->SetMarked(true); });
	Click(TitlePoint(window, 0));
	BWindow* file = MenuWindowOf("File");
	ASSERT_NE(file, nullptr);
	ASSERT_EQ(BTest::PressKey(window, kDownKey), B_OK);
	BTest::Sync(file);
	rgb_color menu = ui_color(B_MENU_BACKGROUND_COLOR);
	rgb_color selected = ui_color(B_MENU_SELECTED_BACKGROUND_COLOR);
	BRect open, save, bar;
	BTest::Locked(file, [&] {
		open = fFile->ItemAt(0)->Frame();
		save = fFile->ItemAt(1)->Frame();
	});
	BTest::Locked(window, [&] { bar = fBar->Frame(); });
	// The selected item on its darker grey, the others on menu grey.
	EXPECT_TRUE(is_color(BTest::PixelAt(file, BPoint(open.right - 2, open.top + 1)),
		selected.red, selected.green, selected.blue));
	EXPECT_TRUE(is_color(BTest::PixelAt(file, BPoint(save.right - 2, save.top + 1)),
		menu.red, menu.green, menu.blue));
	// The open title is highlighted in the bar; the bar is bevelled.
	BPoint title;
	BTest::Locked(window, [&] { title = fBar->ItemAt(0)->Frame().LeftTop() + BPoint(2, 2); });
	EXPECT_TRUE(is_color(BTest::PixelAt(window, title), selected.red, selected.green,
		selected.blue));
	rgb_color light = BTest::PixelAt(window, BPoint(bar.right - 2, 0));
	rgb_color dark = BTest::PixelAt(window, BPoint(bar.right - 2, bar.bottom));
	EXPECT_GT(light.red, menu.red);
	EXPECT_LT(dark.red, menu.red);
	Screenshot(window, "menu_bar_open");
	Screenshot(file, "menu_file");
	ASSERT_EQ(BTest::PressKey(window, kEscapeKey), B_OK);
	ASSERT_TRUE(MenuClosed("File"));
}
