#ifndef _DISPLAY_SERVER_H
#define _DISPLAY_SERVER_H

#include <InterfaceDefs.h>
#include <Region.h>
#include <String.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class BMessage;
class BWindow;
class DisplayBackend;

// What a window shows on the screen. The window copies finished drawing in
// under the lock; the server copies it out under the same lock. Neither ever
// holds it while waiting for anything else.
struct ServerWindow {
	std::atomic<int32> id{-1};
	std::mutex lock;
	std::vector<uint32> pixels; // 0xAARRGGBB, width x height
	int32 width = 0;
	int32 height = 0;
	BRegion dirty;              // changed since the backend last presented
	bool presentPending = false;
};

// The feel of a menu's own window. While one is shown, the menus get the
// mouse (the one under the pointer, else the topmost, so a click outside
// reaches it and closes it) and the keys; it never takes the activation
// from the window the menu belongs to and stays above the other windows.
const window_feel kMenuWindowFeel = (window_feel)1025;

// Answered by a window once it has handled everything posted before it
// (field "semaphore", a sem_id); the test harness waits on it.
enum { kWindowSyncMessage = '_WSY' };

// Input as a backend reports it, in screen coordinates for the mouse.
struct InputEvent {
	enum Type {
		MOUSE_DOWN,
		MOUSE_UP,
		MOUSE_MOVED,
		KEY_DOWN,
		KEY_UP,
		CLOSE,
		ACTIVATED,
		MOVED,
		RESIZED,
		EXPOSED,
	};
	Type type = MOUSE_MOVED;
	int32 window = -1;      // for CLOSE, ACTIVATED, MOVED, RESIZED and keys; -1 = find it
	BPoint where;           // screen coordinates
	uint32 buttons = 0;
	uint32 modifiers = 0;
	std::string bytes;      // UTF-8 character of a key
	int32 key = 0;          // raw key code
	bool active = false;
	BRect frame;            // MOVED, RESIZED: the new content frame
};

// One thread per process that owns the backend, presents what windows drew
// and turns input into messages for the windows' loopers. It never calls a
// window's code and never takes a looper's lock.
class DisplayServer {
public:
	// Starts the server (the first window shown does so).
	static DisplayServer* Default();
	// The running server, or NULL.
	static DisplayServer* Current();
	const char* BackendName() const;
	BRect ScreenFrame() const;

	void AddWindow(BWindow* window, const std::shared_ptr<ServerWindow>& buffer, BRect frame,
		const char* title, window_look look, uint32 flags,
		window_feel feel = B_NORMAL_WINDOW_FEEL);
	// After this returns, nothing more is posted to the window.
	void RemoveWindow(int32 id);
	void SetFrame(int32 id, BRect frame);
	void SetTitle(int32 id, const char* title);
	void SetVisible(int32 id, bool visible);
	// An offscreen window draws as any other but never reaches the backend
	// nor gets input from it: the Deskbar keeps its replicants in one while
	// the desktop's tray shows them.
	void SetOffscreen(int32 id, bool offscreen);
	void Activate(int32 id);
	void Present(int32 id);

	// Input fed in as if the backend reported it (the test harness).
	void Inject(const InputEvent& event);
	// Waits until everything queued before the call has been handled.
	bool Sync(bigtime_t timeout);

	// The window of that title (shown or not), for tests; NULL if none.
	BWindow* FindWindow(const char* title);
	std::vector<BWindow*> Windows();
	BPoint MousePosition();
	uint32 MouseButtons();

private:
	struct Entry {
		int32 id;
		BWindow* window;
		std::shared_ptr<ServerWindow> buffer;
		// What the backend is given: a copy, so that the window's buffer is
		// never locked while the screen takes its time.
		std::shared_ptr<ServerWindow> shown = std::make_shared<ServerWindow>();
		BRect frame;
		BString title;
		window_look look;
		uint32 flags;
		window_feel feel = B_NORMAL_WINDOW_FEEL;
		bool visible = false;
		bool offscreen = false;
		// Whether the backend has a window for it.
		bool created = false;
	};
	struct Command {
		enum Type { ADD, REMOVE, FRAME, TITLE, VISIBLE, ACTIVATE, PRESENT, INPUT, SYNC, OFFSCREEN };
		Type type;
		int32 id = -1;
		InputEvent input;
		// REMOVE: whether the backend has a window for it.
		bool created = false;
		// A sync's answer, shared by the waiter and the server: whichever
		// lets go of it last frees it, time-out or not.
		struct SyncState {
			std::mutex lock;
			std::condition_variable changed;
			bool done = false;
		};
		std::shared_ptr<SyncState> sync;
	};

	DisplayServer();
	void _Start();
	static status_t _Loop(void* data);
	void _Run();
	void _Queue(Command command);
	void _Handle(Command& command);
	void _Route(const InputEvent& event);
	void _Present(int32 id, bool all);
	Entry* _Find(int32 id);
	Entry* _WindowAt(BPoint screen);
	Entry* _TopMenu();
	void _KeepMenusOnTop();
	void _Post(Entry* entry, BMessage* message);
	void _SetActive(int32 id);

	std::unique_ptr<DisplayBackend> fBackend;
	std::mutex fQueueLock;
	std::condition_variable fQueueWake;
	std::deque<Command> fQueue;

	// Guards fEntries and posting to windows.
	std::mutex fWindowsLock;
	std::vector<Entry> fEntries; // back to front
	int32 fNextId = 1;
	int32 fActive = -1;
	int32 fMouseWindow = -1;     // the window holding the pressed mouse
	BPoint fMouse;
	uint32 fButtons = 0;
	bigtime_t fLastClickTime = 0;
	BPoint fLastClickWhere;
	int32 fLastClickWindow = -1;
	int32 fClicks = 0;
};

// Shows windows somewhere: on a real screen (SDL) or nowhere (headless).
// All calls come from the server's thread.
class DisplayBackend {
public:
	virtual ~DisplayBackend() = default;
	virtual const char* Name() const = 0;
	virtual status_t Init() = 0;
	// The main screen in screen coordinates; set by Init(), read from any
	// thread afterwards.
	virtual BRect ScreenFrame() const { return BRect(0, 0, 1023, 767); }
	virtual void CreateWindow(int32 id, BRect frame, const char* title, window_look look,
		uint32 flags) = 0;
	virtual void DestroyWindow(int32 id) = 0;
	virtual void SetFrame(int32 id, BRect frame) = 0;
	virtual void SetTitle(int32 id, const char* title) = 0;
	virtual void SetVisible(int32 id, bool visible) = 0;
	virtual void Raise(int32 id) = 0;
	// Shows the dirty part of buffer.
	virtual void Present(int32 id, ServerWindow& buffer) = 0;
	// Waits up to timeout for input and appends it; returns at once when woken.
	virtual void Wait(bigtime_t timeout, std::vector<InputEvent>& events) = 0;
	// Whether Wait() blocks; a backend that does not is woken through the queue.
	virtual bool HasEvents() const = 0;
	// Makes a Wait() in progress return (any thread).
	virtual void Wake() = 0;
};

DisplayBackend* create_sdl_backend();

#endif
