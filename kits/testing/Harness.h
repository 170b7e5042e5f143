#ifndef _HARNESS_H
#define _HARNESS_H

#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Rect.h>

#include <functional>
#include <string>

class BApplication;
class BMenuItem;
class BView;
class BWindow;

// Drives windows the way a person would, for tests: input goes into the
// display server and reaches the windows through their own threads.
namespace BTest {

const bigtime_t kDefaultTimeout = 5000000;

// An application on the headless display (or on the one named, "sdl"), its
// loop on a thread of its own so the test keeps the main thread. Quits its
// windows when destroyed.
class HeadlessApp {
public:
	HeadlessApp(const char* signature = "application/x-vnd.Murmelo-test",
		const char* display = "headless");
	~HeadlessApp();
	BApplication* App() const { return fApp; }

private:
	BApplication* fApp = NULL;
	int32 fThread = -1;
};

// The shown window of that title, waiting for it to appear; NULL on timeout.
BWindow* WaitForWindow(const char* title, bigtime_t timeout = kDefaultTimeout);
// A view of the window by name (locks the window for the search).
BView* FindView(BWindow* window, const char* name);

// Mouse and keys, at a point in view coordinates; each call returns once the
// window has handled the input and redrawn.
status_t Click(BView* view, BPoint where, uint32 buttons = B_PRIMARY_MOUSE_BUTTON,
	uint32 modifiers = 0);
status_t MouseDown(BView* view, BPoint where, uint32 buttons = B_PRIMARY_MOUSE_BUTTON);
status_t MouseUp(BView* view, BPoint where);
status_t MoveMouse(BView* view, BPoint where);
// A click at a screen point, wherever it lands (a menu open over windows).
status_t ClickScreen(BPoint screen);
// The middle of a menu item on the screen; window is the one its menu is in.
BPoint ItemCenter(BWindow* window, BMenuItem* item);
// Types UTF-8 text into the active window, one key per character; the
// window is activated first.
status_t TypeKeys(BWindow* window, const char* text, uint32 modifiers = 0);
status_t PressKey(BWindow* window, const char* bytes, int32 key = 0, uint32 modifiers = 0);

// Presses the window's close box.
status_t CloseWindow(BWindow* window);

// Waits until everything sent to the window has been handled and drawn.
bool Sync(BWindow* window, bigtime_t timeout = kDefaultTimeout);
bool WaitFor(const std::function<bool()>& condition, bigtime_t timeout = kDefaultTimeout);
// The clock of message runners (pulses, repeats) and of double clicks.
// Driven, it stands still and moves only by AdvanceClock(), so a test
// never waits on the wall clock for time to pass.
void DriveClock(bool driven = true);
// Moves the driven clock on: every runner message due meanwhile is sent, in
// order, and handled by the window (if one is given) before this returns.
status_t AdvanceClock(bigtime_t delta, BWindow* window = NULL);

// Runs f with the window locked.
bool Locked(BWindow* window, const std::function<void()>& f);

// What the window shows on the screen.
rgb_color PixelAt(BWindow* window, BPoint where);
status_t WriteWindowPNG(BWindow* window, const char* path);
// Where a test's screenshots go: <build>/screenshots/<name>.png.
std::string ScreenshotPath(const char* name);

} // namespace BTest

#endif
