#include <Harness.h>

#include <Application.h>
#include <Menu.h>
#include <MenuItem.h>
#include <MessageRunner.h>
#include <Messenger.h>
#include <OS.h>
#include <View.h>
#include <Window.h>

#include <DisplayServer.h>

#include <png.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace BTest {

// The harness reads what a window shows through the kit's own copy of it.
class WindowAccess {
public:
	static std::shared_ptr<ServerWindow> Server(BWindow* window)
	{
		return window->_ServerWindow();
	}
};

static status_t
run_application(void* data)
{
	((BApplication*)data)->Run();
	return B_OK;
}

HeadlessApp::HeadlessApp(const char* signature, const char* display)
{
	setenv("BE_DISPLAY", display, 1);
	fApp = new BApplication(signature);
	fThread = spawn_thread(run_application, "test application", B_NORMAL_PRIORITY, fApp);
	resume_thread(fThread);
}

HeadlessApp::~HeadlessApp()
{
	fApp->PostMessage(B_QUIT_REQUESTED);
	status_t result;
	wait_for_thread(fThread, &result);
	delete fApp;
}

static DisplayServer*
server()
{
	return DisplayServer::Default();
}

BWindow*
WaitForWindow(const char* title, bigtime_t timeout)
{
	BWindow* found = NULL;
	WaitFor([&] { return (found = server()->FindWindow(title)) != NULL; }, timeout);
	return found;
}

BView*
FindView(BWindow* window, const char* name)
{
	BView* view = NULL;
	Locked(window, [&] { view = window->FindView(name); });
	return view;
}

void
DriveClock(bool driven)
{
	BPrivate::drive_runner_clock(driven);
}

status_t
AdvanceClock(bigtime_t delta, BWindow* window)
{
	status_t status = BPrivate::advance_runner_clock(delta);
	if (status == B_OK && window != NULL && !Sync(window))
		status = B_TIMED_OUT;
	return status;
}

bool
Locked(BWindow* window, const std::function<void()>& f)
{
	if (window == NULL || !window->Lock())
		return false;
	f();
	window->Unlock();
	return true;
}

bool
WaitFor(const std::function<bool()>& condition, bigtime_t timeout)
{
	bigtime_t end = system_time() + timeout;
	while (true) {
		if (condition())
			return true;
		if (system_time() >= end)
			return false;
		snooze(2000);
	}
}

// Waits until the window has handled everything posted to it so far. The
// window is reached through a messenger, so that input which closed it (an
// alert's button) ends the wait instead of touching a deleted window.
static bool
sync_target(const BMessenger& target, bigtime_t end)
{
	sem_id sem = create_sem(0, "window sync");
	BMessage sync(kWindowSyncMessage);
	sync.AddInt32("semaphore", sem);
	bool done = target.SendMessage(&sync) != B_OK;
	while (!done) {
		bigtime_t left = end - system_time();
		if (left <= 0)
			break;
		status_t status = acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, std::min(left,
			(bigtime_t)20000));
		// A window that quit with the message still queued never answers.
		done = status == B_OK || !target.IsValid();
	}
	delete_sem(sem);
	return done;
}

bool
Sync(BWindow* window, bigtime_t timeout)
{
	bigtime_t end = system_time() + timeout;
	if (!server()->Sync(timeout))
		return false;
	if (window == NULL)
		return true;
	// Made from the address alone: the window need not be alive, nor can
	// it be locked while its thread waits in an alert.
	return sync_target(BMessenger(NULL, window), end);
}

static status_t
inject_mouse(BView* view, BPoint where, InputEvent::Type type, uint32 buttons,
	uint32 modifiers)
{
	BWindow* window = view != NULL ? view->Window() : NULL;
	BPoint screen;
	BMessenger target;
	if (!Locked(window, [&] {
			screen = view->ConvertToScreen(where);
			target = BMessenger(NULL, window);
		}))
		return B_BAD_VALUE;
	InputEvent event;
	event.type = type;
	event.where = screen;
	event.buttons = buttons;
	event.modifiers = modifiers;
	server()->Inject(event);
	bigtime_t end = system_time() + kDefaultTimeout;
	return server()->Sync(kDefaultTimeout) && sync_target(target, end) ? B_OK : B_TIMED_OUT;
}

status_t
Click(BView* view, BPoint where, uint32 buttons, uint32 modifiers)
{
	status_t status = inject_mouse(view, where, InputEvent::MOUSE_DOWN, buttons, modifiers);
	if (status == B_OK)
		status = inject_mouse(view, where, InputEvent::MOUSE_UP, 0, modifiers);
	return status;
}

status_t
ClickScreen(BPoint screen)
{
	for (InputEvent::Type type : {InputEvent::MOUSE_DOWN, InputEvent::MOUSE_UP}) {
		InputEvent event;
		event.type = type;
		event.where = screen;
		event.buttons = type == InputEvent::MOUSE_DOWN ? B_PRIMARY_MOUSE_BUTTON : 0;
		server()->Inject(event);
	}
	return server()->Sync(kDefaultTimeout) ? B_OK : B_TIMED_OUT;
}

BPoint
ItemCenter(BWindow* window, BMenuItem* item)
{
	BPoint point;
	Locked(window, [&] {
		BRect frame = item->Menu()->ConvertToScreen(item->Frame());
		point = BPoint((int32)((frame.left + frame.right) / 2),
			(int32)((frame.top + frame.bottom) / 2));
	});
	return point;
}

status_t
MouseDown(BView* view, BPoint where, uint32 buttons)
{
	return inject_mouse(view, where, InputEvent::MOUSE_DOWN, buttons, 0);
}

status_t
MouseUp(BView* view, BPoint where)
{
	return inject_mouse(view, where, InputEvent::MOUSE_UP, 0, 0);
}

status_t
MoveMouse(BView* view, BPoint where)
{
	return inject_mouse(view, where, InputEvent::MOUSE_MOVED, server()->MouseButtons(), 0);
}

status_t
PressKey(BWindow* window, const char* bytes, int32 key, uint32 modifiers)
{
	if (window == NULL || bytes == NULL)
		return B_BAD_VALUE;
	BMessenger target;
	if (!Locked(window, [&] {
			window->Activate();
			target = BMessenger(NULL, window);
		}))
		return B_BAD_VALUE;
	if (!server()->Sync(kDefaultTimeout))
		return B_TIMED_OUT;
	for (InputEvent::Type type : {InputEvent::KEY_DOWN, InputEvent::KEY_UP}) {
		InputEvent event;
		event.type = type;
		event.bytes = bytes;
		event.key = key;
		event.modifiers = modifiers;
		server()->Inject(event);
	}
	bigtime_t end = system_time() + kDefaultTimeout;
	return server()->Sync(kDefaultTimeout) && sync_target(target, end) ? B_OK : B_TIMED_OUT;
}

status_t
TypeKeys(BWindow* window, const char* text, uint32 modifiers)
{
	if (text == NULL)
		return B_BAD_VALUE;
	const char* s = text;
	while (*s != '\0') {
		// One UTF-8 character per key.
		int length = 1;
		while ((s[length] & 0xc0) == 0x80)
			length++;
		std::string character(s, length);
		status_t status = PressKey(window, character.c_str(), 0, modifiers);
		if (status != B_OK)
			return status;
		s += length;
	}
	return B_OK;
}

status_t
CloseWindow(BWindow* window)
{
	if (window == NULL)
		return B_BAD_VALUE;
	InputEvent event;
	event.type = InputEvent::CLOSE;
	event.window = WindowAccess::Server(window)->id;
	server()->Inject(event);
	return server()->Sync(kDefaultTimeout) ? B_OK : B_TIMED_OUT;
}

rgb_color
PixelAt(BWindow* window, BPoint where)
{
	std::shared_ptr<ServerWindow> screen = WindowAccess::Server(window);
	std::lock_guard<std::mutex> guard(screen->lock);
	int32 x = (int32)where.x;
	int32 y = (int32)where.y;
	if (x < 0 || y < 0 || x >= screen->width || y >= screen->height)
		return make_color(0, 0, 0, 0);
	uint32 v = screen->pixels[(size_t)y * screen->width + x];
	return make_color((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff, 255);
}

status_t
WriteWindowPNG(BWindow* window, const char* path)
{
	if (window == NULL || path == NULL)
		return B_BAD_VALUE;
	std::vector<uint32> pixels;
	int32 width, height;
	{
		std::shared_ptr<ServerWindow> screen = WindowAccess::Server(window);
		std::lock_guard<std::mutex> guard(screen->lock);
		pixels = screen->pixels;
		width = screen->width;
		height = screen->height;
	}
	for (uint32& v : pixels)
		v |= 0xff000000;
	png_image image;
	memset(&image, 0, sizeof(image));
	image.version = PNG_IMAGE_VERSION;
	image.width = width;
	image.height = height;
	image.format = PNG_FORMAT_BGRA;
	if (!png_image_write_to_file(&image, path, 0, pixels.data(), width * 4, NULL))
		return B_ERROR;
	return B_OK;
}

std::string
ScreenshotPath(const char* name)
{
	std::string directory = MURMELO_SCREENSHOT_DIR;
	mkdir(directory.c_str(), 0755);
	return directory + "/" + name + ".png";
}

} // namespace BTest
