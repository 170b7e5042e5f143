#include <DisplayServer.h>

#include <AppDefs.h>
#include <Message.h>
#include <MessageRunner.h>
#include <OS.h>
#include <Window.h>

#include <PixelGeometry.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace {

// Windows that live in memory only; the screen is whatever tests read back.
class HeadlessBackend : public DisplayBackend {
public:
	const char* Name() const override { return "headless"; }
	status_t Init() override { return B_OK; }
	void CreateWindow(int32, BRect, const char*, window_look, uint32) override {}
	void DestroyWindow(int32) override {}
	void SetFrame(int32, BRect) override {}
	void SetTitle(int32, const char*) override {}
	void SetVisible(int32, bool) override {}
	void Raise(int32) override {}
	void Present(int32, ServerWindow&) override {}
	void Wait(bigtime_t, std::vector<InputEvent>&) override {}
	bool HasEvents() const override { return false; }
	void Wake() override {}
};

DisplayServer* sServer = NULL;
std::once_flag sServerOnce;

const bigtime_t kDoubleClickTime = 500000;

} // namespace

DisplayServer::DisplayServer()
{
}

DisplayServer*
DisplayServer::Default()
{
	std::call_once(sServerOnce, [] {
		DisplayServer* server = new DisplayServer;
		server->_Start();
		__atomic_store_n(&sServer, server, __ATOMIC_RELEASE);
	});
	return __atomic_load_n(&sServer, __ATOMIC_ACQUIRE);
}

DisplayServer*
DisplayServer::Current()
{
	return __atomic_load_n(&sServer, __ATOMIC_ACQUIRE);
}

BRect
DisplayServer::ScreenFrame() const
{
	return fBackend->ScreenFrame();
}

const char*
DisplayServer::BackendName() const
{
	return fBackend->Name();
}

struct StartInfo {
	DisplayServer* server;
	std::mutex lock;
	std::condition_variable done;
	bool ready = false;
};

void
DisplayServer::_Start()
{
	// The backend is made and initialised on the server's own thread: SDL
	// wants every video call on the thread that started video.
	StartInfo info;
	info.server = this;
	thread_id thread = spawn_thread(_Loop, "display server", B_DISPLAY_PRIORITY, &info);
	resume_thread(thread);
	std::unique_lock<std::mutex> guard(info.lock);
	info.done.wait(guard, [&info] { return info.ready; });
}

status_t
DisplayServer::_Loop(void* data)
{
	StartInfo* info = (StartInfo*)data;
	DisplayServer* server = info->server;

	const char* choice = getenv("BE_DISPLAY");
	bool haveDisplay = getenv("DISPLAY") != NULL || getenv("WAYLAND_DISPLAY") != NULL;
	bool wantSdl = choice != NULL ? strcmp(choice, "sdl") == 0 : haveDisplay;
	// Windows nobody can see, and so nobody can close, are worse than no
	// program: only BE_DISPLAY=headless (or no display at all) runs without
	// a screen.
	if (choice != NULL && strcmp(choice, "sdl") != 0 && strcmp(choice, "headless") != 0) {
		fprintf(stderr, "BE_DISPLAY=%s is unknown: it is \"sdl\" or \"headless\"\n", choice);
		fflush(stderr);
		_exit(1);
	}
	if (wantSdl) {
		std::unique_ptr<DisplayBackend> sdl(create_sdl_backend());
		if (!sdl || sdl->Init() != B_OK) {
			const char* display = getenv("DISPLAY") != NULL ? getenv("DISPLAY")
				: getenv("WAYLAND_DISPLAY");
			fprintf(stderr, "No SDL display could be opened (display \"%s\"); "
				"BE_DISPLAY=headless runs without a screen\n", display != NULL ? display : "");
			fflush(stderr);
			_exit(1);
		}
		server->fBackend = std::move(sdl);
	}
	if (!server->fBackend) {
		server->fBackend = std::make_unique<HeadlessBackend>();
		server->fBackend->Init();
	}
	{
		std::lock_guard<std::mutex> guard(info->lock);
		info->ready = true;
		info->done.notify_all();
	}
	server->_Run();
	return B_OK;
}

void
DisplayServer::_Run()
{
	std::vector<InputEvent> events;
	while (true) {
		std::deque<Command> batch;
		{
			std::unique_lock<std::mutex> guard(fQueueLock);
			if (!fBackend->HasEvents())
				fQueueWake.wait(guard, [this] { return !fQueue.empty(); });
			batch.swap(fQueue);
		}
		for (Command& command : batch)
			_Handle(command);
		if (fBackend->HasEvents()) {
			bool idle;
			{
				std::lock_guard<std::mutex> guard(fQueueLock);
				idle = fQueue.empty();
			}
			events.clear();
			fBackend->Wait(idle ? 20000 : 0, events);
			for (const InputEvent& event : events)
				_Route(event);
		}
	}
}

void
DisplayServer::_Queue(Command command)
{
	{
		std::lock_guard<std::mutex> guard(fQueueLock);
		fQueue.push_back(std::move(command));
	}
	fQueueWake.notify_one();
	fBackend->Wake();
}

DisplayServer::Entry*
DisplayServer::_Find(int32 id)
{
	for (Entry& entry : fEntries) {
		if (entry.id == id)
			return &entry;
	}
	return NULL;
}

DisplayServer::Entry*
DisplayServer::_WindowAt(BPoint screen)
{
	for (auto it = fEntries.rbegin(); it != fEntries.rend(); ++it) {
		if (it->visible && !it->offscreen && it->frame.Contains(screen))
			return &*it;
	}
	return NULL;
}

DisplayServer::Entry*
DisplayServer::_TopMenu()
{
	for (auto it = fEntries.rbegin(); it != fEntries.rend(); ++it) {
		if (it->visible && it->feel == kMenuWindowFeel)
			return &*it;
	}
	return NULL;
}

void
DisplayServer::_KeepMenusOnTop()
{
	std::stable_partition(fEntries.begin(), fEntries.end(),
		[](const Entry& e) { return e.feel != kMenuWindowFeel; });
	for (Entry& entry : fEntries) {
		if (entry.feel == kMenuWindowFeel && entry.visible)
			fBackend->Raise(entry.id);
	}
}

void
DisplayServer::_Post(Entry* entry, BMessage* message)
{
	// Called with fWindowsLock held, so the window cannot go away meanwhile.
	if (entry != NULL && entry->window != NULL)
		entry->window->PostMessage(message);
}

void
DisplayServer::AddWindow(BWindow* window, const std::shared_ptr<ServerWindow>& buffer,
	BRect frame, const char* title, window_look look, uint32 flags, window_feel feel)
{
	Command command;
	command.type = Command::ADD;
	{
		std::lock_guard<std::mutex> guard(fWindowsLock);
		Entry entry;
		entry.id = fNextId++;
		entry.window = window;
		entry.buffer = buffer;
		entry.frame = frame;
		entry.title = title != NULL ? title : "";
		entry.look = look;
		entry.flags = flags;
		entry.feel = feel;
		buffer->id = entry.id;
		fEntries.push_back(entry);
		command.id = entry.id;
	}
	_Queue(command);
}

void
DisplayServer::RemoveWindow(int32 id)
{
	bool created = false;
	{
		std::lock_guard<std::mutex> guard(fWindowsLock);
		if (Entry* entry = _Find(id))
			created = entry->created;
		fEntries.erase(std::remove_if(fEntries.begin(), fEntries.end(),
						   [id](const Entry& e) { return e.id == id; }),
			fEntries.end());
		if (fActive == id)
			fActive = -1;
		if (fMouseWindow == id)
			fMouseWindow = -1;
	}
	Command command;
	command.type = Command::REMOVE;
	command.id = id;
	// Offscreen, the backend never had it.
	command.created = created;
	_Queue(command);
}

void
DisplayServer::SetOffscreen(int32 id, bool offscreen)
{
	{
		std::lock_guard<std::mutex> guard(fWindowsLock);
		Entry* entry = _Find(id);
		if (entry == NULL)
			return;
		entry->offscreen = offscreen;
		if (offscreen && fActive == id)
			fActive = -1;
	}
	Command command;
	command.type = Command::OFFSCREEN;
	command.id = id;
	_Queue(command);
}

void
DisplayServer::SetFrame(int32 id, BRect frame)
{
	{
		std::lock_guard<std::mutex> guard(fWindowsLock);
		if (Entry* entry = _Find(id))
			entry->frame = frame;
	}
	Command command;
	command.type = Command::FRAME;
	command.id = id;
	_Queue(command);
}

void
DisplayServer::SetTitle(int32 id, const char* title)
{
	{
		std::lock_guard<std::mutex> guard(fWindowsLock);
		if (Entry* entry = _Find(id))
			entry->title = title != NULL ? title : "";
	}
	Command command;
	command.type = Command::TITLE;
	command.id = id;
	_Queue(command);
}

void
DisplayServer::SetVisible(int32 id, bool visible)
{
	{
		std::lock_guard<std::mutex> guard(fWindowsLock);
		if (Entry* entry = _Find(id))
			entry->visible = visible;
	}
	Command command;
	command.type = Command::VISIBLE;
	command.id = id;
	_Queue(command);
	if (visible)
		Activate(id);
}

void
DisplayServer::Activate(int32 id)
{
	Command command;
	command.type = Command::ACTIVATE;
	command.id = id;
	_Queue(command);
}

void
DisplayServer::Present(int32 id)
{
	Command command;
	command.type = Command::PRESENT;
	command.id = id;
	_Queue(command);
}

void
DisplayServer::Inject(const InputEvent& event)
{
	Command command;
	command.type = Command::INPUT;
	command.input = event;
	_Queue(command);
}

bool
DisplayServer::Sync(bigtime_t timeout)
{
	Command command;
	command.type = Command::SYNC;
	command.sync = std::make_shared<Command::SyncState>();
	std::shared_ptr<Command::SyncState> sync = command.sync;
	_Queue(command);
	std::unique_lock<std::mutex> guard(sync->lock);
	return sync->changed.wait_for(guard, std::chrono::microseconds(timeout),
		[&sync] { return sync->done; });
}

void
DisplayServer::_Present(int32 id, bool all)
{
	std::shared_ptr<ServerWindow> buffer;
	std::shared_ptr<ServerWindow> shown;
	{
		std::lock_guard<std::mutex> guard(fWindowsLock);
		Entry* entry = _Find(id);
		if (entry == NULL)
			return;
		buffer = entry->buffer;
		shown = entry->shown;
		if (!entry->created) {
			// Nothing to show it on; the pixels stay in the window's buffer.
			std::lock_guard<std::mutex> bufferGuard(buffer->lock);
			buffer->dirty.MakeEmpty();
			buffer->presentPending = false;
			return;
		}
	}
	{
		// Only what changed is copied, under the window's lock; the backend
		// then works from the copy.
		std::lock_guard<std::mutex> guard(buffer->lock);
		if (shown->width != buffer->width || shown->height != buffer->height) {
			shown->width = buffer->width;
			shown->height = buffer->height;
			shown->pixels.assign(buffer->pixels.size(), 0);
			all = true;
		}
		if (all)
			shown->dirty.Set(BRect(0, 0, buffer->width - 1, buffer->height - 1));
		else
			shown->dirty = buffer->dirty;
		clipping_rect frame = {0, 0, buffer->width - 1, buffer->height - 1};
		for (int32 i = 0; i < shown->dirty.CountRects(); i++) {
			clipping_rect r = pixel_intersection(shown->dirty.RectAtInt(i), frame);
			if (!pixel_rect_valid(r))
				continue;
			for (int32 y = r.top; y <= r.bottom; y++) {
				size_t start = (size_t)y * buffer->width + r.left;
				std::copy_n(buffer->pixels.begin() + start, r.right - r.left + 1,
					shown->pixels.begin() + start);
			}
		}
		buffer->dirty.MakeEmpty();
		buffer->presentPending = false;
	}
	fBackend->Present(id, *shown);
}

BWindow*
DisplayServer::FindWindow(const char* title)
{
	std::lock_guard<std::mutex> guard(fWindowsLock);
	for (Entry& entry : fEntries) {
		if (title != NULL && entry.title == title)
			return entry.window;
	}
	return NULL;
}

std::vector<BWindow*>
DisplayServer::Windows()
{
	std::lock_guard<std::mutex> guard(fWindowsLock);
	std::vector<BWindow*> windows;
	for (Entry& entry : fEntries)
		windows.push_back(entry.window);
	return windows;
}

BPoint
DisplayServer::MousePosition()
{
	std::lock_guard<std::mutex> guard(fWindowsLock);
	return fMouse;
}

uint32
DisplayServer::MouseButtons()
{
	std::lock_guard<std::mutex> guard(fWindowsLock);
	return fButtons;
}

void
DisplayServer::_Handle(Command& command)
{
	switch (command.type) {
		case Command::ADD: {
			BRect frame;
			BString title;
			window_look look;
			uint32 flags;
			{
				std::lock_guard<std::mutex> guard(fWindowsLock);
				Entry* entry = _Find(command.id);
				if (entry == NULL)
					return;
				if (entry->offscreen || entry->created)
					return;
				entry->created = true;
				frame = entry->frame;
				title = entry->title;
				look = entry->look;
				flags = entry->flags;
			}
			fBackend->CreateWindow(command.id, frame, title.String(), look, flags);
			break;
		}
		case Command::REMOVE:
			if (command.created)
				fBackend->DestroyWindow(command.id);
			break;
		case Command::OFFSCREEN: {
			bool create = false, destroy = false, visible = false;
			BRect frame;
			BString title;
			window_look look = B_TITLED_WINDOW_LOOK;
			uint32 flags = 0;
			{
				std::lock_guard<std::mutex> guard(fWindowsLock);
				Entry* entry = _Find(command.id);
				if (entry == NULL)
					return;
				create = !entry->offscreen && !entry->created;
				destroy = entry->offscreen && entry->created;
				entry->created = !entry->offscreen;
				visible = entry->visible;
				frame = entry->frame;
				title = entry->title;
				look = entry->look;
				flags = entry->flags;
			}
			if (destroy)
				fBackend->DestroyWindow(command.id);
			if (create) {
				fBackend->CreateWindow(command.id, frame, title.String(), look, flags);
				if (visible) {
					fBackend->SetVisible(command.id, true);
					_Present(command.id, true);
				}
			}
			break;
		}
		case Command::FRAME:
		case Command::TITLE:
		case Command::VISIBLE: {
			BRect frame;
			BString title;
			bool visible;
			{
				std::lock_guard<std::mutex> guard(fWindowsLock);
				Entry* entry = _Find(command.id);
				if (entry == NULL)
					return;
				if (!entry->created)
					return;
				frame = entry->frame;
				title = entry->title;
				visible = entry->visible;
			}
			if (command.type == Command::FRAME)
				fBackend->SetFrame(command.id, frame);
			else if (command.type == Command::TITLE)
				fBackend->SetTitle(command.id, title.String());
			else
				fBackend->SetVisible(command.id, visible);
			break;
		}
		case Command::ACTIVATE:
			_SetActive(command.id);
			break;
		case Command::PRESENT:
			_Present(command.id, false);
			break;
		case Command::INPUT:
			_Route(command.input);
			break;
		case Command::SYNC: {
			std::lock_guard<std::mutex> guard(command.sync->lock);
			command.sync->done = true;
			command.sync->changed.notify_all();
			break;
		}
	}
}

void
DisplayServer::_SetActive(int32 id)
{
	std::lock_guard<std::mutex> guard(fWindowsLock);
	if (Entry* menu = _Find(id); menu != NULL && menu->feel == kMenuWindowFeel) {
		// A menu comes to the front; the window it belongs to stays active.
		if (menu->visible) {
			Entry moved = *menu;
			fEntries.erase(fEntries.begin() + (menu - fEntries.data()));
			fEntries.push_back(moved);
			fBackend->Raise(id);
		}
		return;
	}
	if (id == fActive) {
		fBackend->Raise(id);
		_KeepMenusOnTop();
		return;
	}
	if (Entry* old = _Find(fActive)) {
		BMessage message(B_WINDOW_ACTIVATED);
		message.AddInt64("when", system_time());
		message.AddBool("active", false);
		_Post(old, &message);
	}
	fActive = -1;
	Entry* entry = _Find(id);
	if (entry == NULL || !entry->visible || entry->offscreen)
		return;
	fActive = id;
	// The active window comes to the front.
	Entry moved = *entry;
	fEntries.erase(fEntries.begin() + (entry - fEntries.data()));
	fEntries.push_back(moved);
	fBackend->Raise(id);
	BMessage message(B_WINDOW_ACTIVATED);
	message.AddInt64("when", system_time());
	message.AddBool("active", true);
	_Post(&fEntries.back(), &message);
	_KeepMenusOnTop();
}

void
DisplayServer::_Route(const InputEvent& event)
{
	switch (event.type) {
		case InputEvent::MOUSE_DOWN:
		case InputEvent::MOUSE_UP:
		case InputEvent::MOUSE_MOVED: {
			int32 activate = -1;
			{
				std::lock_guard<std::mutex> guard(fWindowsLock);
				fMouse = event.where;
				fButtons = event.buttons;
				Entry* entry = NULL;
				Entry* topMenu = _TopMenu();
				if (topMenu != NULL) {
					// Open menus take the mouse: the one under the pointer, or
					// the topmost, which closes on a press outside. Nothing else
					// hears that press.
					entry = _WindowAt(event.where);
					if (entry == NULL || entry->feel != kMenuWindowFeel)
						entry = topMenu;
					fMouseWindow = -1;
				} else if (event.window >= 0)
					entry = _Find(event.window);
				else if (fMouseWindow >= 0)
					entry = _Find(fMouseWindow);
				else
					entry = _WindowAt(event.where);
				if (entry == NULL)
					break;
				// The runners' clock, so that a test that drives it decides
				// what is a double click.
				bigtime_t now = BPrivate::runner_time();
				uint32 what = event.type == InputEvent::MOUSE_DOWN ? B_MOUSE_DOWN
					: event.type == InputEvent::MOUSE_UP           ? B_MOUSE_UP
																   : B_MOUSE_MOVED;
				BMessage message(what);
				message.AddInt64("when", now);
				message.AddPoint("where", event.where - entry->frame.LeftTop());
				message.AddPoint("screen_where", event.where);
				message.AddInt32("buttons", (int32)event.buttons);
				message.AddInt32("modifiers", (int32)event.modifiers);
				if (event.type == InputEvent::MOUSE_DOWN) {
					BPoint delta = event.where - fLastClickWhere;
					if (entry->id == fLastClickWindow && now - fLastClickTime < kDoubleClickTime
						&& delta.x * delta.x + delta.y * delta.y < 16)
						fClicks++;
					else
						fClicks = 1;
					fLastClickTime = now;
					fLastClickWhere = event.where;
					fLastClickWindow = entry->id;
					message.AddInt32("clicks", fClicks);
					if (entry->id != fActive && topMenu == NULL)
						activate = entry->id;
				}
				// The window where a button went down gets the mouse until all
				// buttons are up again.
				if (topMenu == NULL)
					fMouseWindow = event.buttons != 0 ? entry->id : -1;
				_Post(entry, &message);
			}
			if (activate >= 0)
				_SetActive(activate);
			break;
		}
		case InputEvent::KEY_DOWN:
		case InputEvent::KEY_UP: {
			std::lock_guard<std::mutex> guard(fWindowsLock);
			// An open menu hears the keys before the window it belongs to.
			Entry* entry = _TopMenu();
			if (entry == NULL)
				entry = _Find(event.window >= 0 ? event.window : fActive);
			if (entry == NULL)
				break;
			BMessage message(event.type == InputEvent::KEY_DOWN ? B_KEY_DOWN : B_KEY_UP);
			message.AddInt64("when", system_time());
			message.AddInt32("modifiers", (int32)event.modifiers);
			message.AddInt32("key", event.key);
			for (char c : event.bytes)
				message.AddInt8("byte", (int8)c);
			message.AddString("bytes", event.bytes.c_str());
			message.AddInt32("raw_char",
				event.bytes.size() == 1 ? (int32)(uint8)event.bytes[0] : 0);
			_Post(entry, &message);
			break;
		}
		case InputEvent::CLOSE: {
			std::lock_guard<std::mutex> guard(fWindowsLock);
			BMessage message(B_QUIT_REQUESTED);
			_Post(_Find(event.window), &message);
			break;
		}
		case InputEvent::ACTIVATED:
			if (event.active)
				_SetActive(event.window);
			else {
				std::lock_guard<std::mutex> guard(fWindowsLock);
				if (fActive == event.window) {
					BMessage message(B_WINDOW_ACTIVATED);
					message.AddInt64("when", system_time());
					message.AddBool("active", false);
					_Post(_Find(event.window), &message);
					fActive = -1;
				}
			}
			break;
		case InputEvent::EXPOSED:
			_Present(event.window, true);
			break;
		case InputEvent::MOVED:
		case InputEvent::RESIZED: {
			std::lock_guard<std::mutex> guard(fWindowsLock);
			Entry* entry = _Find(event.window);
			if (entry == NULL)
				break;
			entry->frame = event.frame;
			if (event.type == InputEvent::MOVED) {
				BMessage message(B_WINDOW_MOVED);
				message.AddInt64("when", system_time());
				message.AddPoint("where", event.frame.LeftTop());
				_Post(entry, &message);
			} else {
				BMessage message(B_WINDOW_RESIZED);
				message.AddInt64("when", system_time());
				message.AddInt32("width", event.frame.IntegerWidth());
				message.AddInt32("height", event.frame.IntegerHeight());
				_Post(entry, &message);
			}
			break;
		}
	}
}
