#include <DisplayServer.h>

#include <PixelGeometry.h>

#include <SDL.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>

void install_x11_error_filter();

namespace {

// Real windows through SDL2. Every SDL call happens on the display server's
// thread, the one that started video, except SDL_PushEvent() in Wake().
class SdlBackend : public DisplayBackend {
public:
	~SdlBackend() override;
	const char* Name() const override { return "sdl"; }
	status_t Init() override;
	BRect ScreenFrame() const override { return fScreen; }
	void CreateWindow(int32 id, BRect frame, const char* title, window_look look,
		uint32 flags) override;
	void DestroyWindow(int32 id) override;
	void SetFrame(int32 id, BRect frame) override;
	void SetTitle(int32 id, const char* title) override;
	void SetVisible(int32 id, bool visible) override;
	void Raise(int32 id) override;
	void Present(int32 id, ServerWindow& buffer) override;
	void Wait(bigtime_t timeout, std::vector<InputEvent>& events) override;
	bool HasEvents() const override { return true; }
	void Wake() override;

private:
	struct Window {
		SDL_Window* window = NULL;
		BRect frame;
	};

	void _Translate(const SDL_Event& event, std::vector<InputEvent>& events);
	int32 _IdFor(uint32 sdlWindow) const;
	uint32 _Modifiers() const;

	bool fStarted = false;
	BRect fScreen = BRect(0, 0, 1023, 767);
	uint32 fWakeEvent = 0;
	uint32 fButtons = 0;
	std::map<int32, Window> fWindows;
};

SdlBackend::~SdlBackend()
{
	if (fStarted)
		SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

status_t
SdlBackend::Init()
{
	// SDL must leave SIGINT and SIGTERM to the program.
	SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
	// The plain X11 framebuffer path presents fastest here.
	SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
	SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
	SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
	const char* driver;
	if (getenv("SDL_VIDEODRIVER") != NULL)
		driver = getenv("SDL_VIDEODRIVER");
	else if (getenv("DISPLAY") != NULL)
		driver = "x11";
	else if (getenv("WAYLAND_DISPLAY") != NULL)
		driver = "wayland";
	else
		driver = "offscreen";
	SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
	if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
		fprintf(stderr, "SDL video (%s): %s\n", driver, SDL_GetError());
		return B_ERROR;
	}
	fStarted = true;
	if (strcmp(driver, "x11") == 0)
		install_x11_error_filter();
	fWakeEvent = SDL_RegisterEvents(1);
	SDL_Rect bounds;
	if (SDL_GetDisplayBounds(0, &bounds) == 0 && bounds.w > 0 && bounds.h > 0)
		fScreen = BRect(bounds.x, bounds.y, bounds.x + bounds.w - 1, bounds.y + bounds.h - 1);
	return B_OK;
}

void
SdlBackend::CreateWindow(int32 id, BRect frame, const char* title, window_look look,
	uint32 flags)
{
	uint32 sdlFlags = SDL_WINDOW_HIDDEN;
	if (look == B_NO_BORDER_WINDOW_LOOK)
		sdlFlags |= SDL_WINDOW_BORDERLESS;
	if ((flags & B_NOT_RESIZABLE) == 0 && look != B_NO_BORDER_WINDOW_LOOK
		&& look != B_MODAL_WINDOW_LOOK)
		sdlFlags |= SDL_WINDOW_RESIZABLE;
	Window window;
	window.frame = frame;
	window.window = SDL_CreateWindow(title, (int)frame.left, (int)frame.top,
		frame.IntegerWidth() + 1, frame.IntegerHeight() + 1, sdlFlags);
	if (window.window == NULL) {
		fprintf(stderr, "SDL window \"%s\": %s\n", title, SDL_GetError());
		return;
	}
	fWindows[id] = window;
}

void
SdlBackend::DestroyWindow(int32 id)
{
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	SDL_DestroyWindow(found->second.window);
	fWindows.erase(found);
}

void
SdlBackend::SetFrame(int32 id, BRect frame)
{
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	Window& window = found->second;
	if (frame.LeftTop() != window.frame.LeftTop())
		SDL_SetWindowPosition(window.window, (int)frame.left, (int)frame.top);
	if (frame.Width() != window.frame.Width() || frame.Height() != window.frame.Height())
		SDL_SetWindowSize(window.window, frame.IntegerWidth() + 1, frame.IntegerHeight() + 1);
	window.frame = frame;
}

void
SdlBackend::SetTitle(int32 id, const char* title)
{
	auto found = fWindows.find(id);
	if (found != fWindows.end())
		SDL_SetWindowTitle(found->second.window, title);
}

void
SdlBackend::SetVisible(int32 id, bool visible)
{
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	if (visible)
		SDL_ShowWindow(found->second.window);
	else
		SDL_HideWindow(found->second.window);
}

void
SdlBackend::Raise(int32 id)
{
	// Without a window manager a click does not move the keyboard focus;
	// raising the window does.
	auto found = fWindows.find(id);
	if (found != fWindows.end())
		SDL_RaiseWindow(found->second.window);
}

void
SdlBackend::Present(int32 id, ServerWindow& buffer)
{
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	SDL_Surface* surface = SDL_GetWindowSurface(found->second.window);
	if (surface == NULL)
		return;
	bool direct = surface->format->BytesPerPixel == 4 && surface->format->Rmask == 0x00ff0000
		&& surface->format->Gmask == 0x0000ff00 && surface->format->Bmask == 0x000000ff;
	if (SDL_MUSTLOCK(surface))
		SDL_LockSurface(surface);
	clipping_rect all = {0, 0, std::min(surface->w, buffer.width) - 1,
		std::min(surface->h, buffer.height) - 1};
	std::vector<SDL_Rect> rects;
	for (int32 i = 0; i < buffer.dirty.CountRects(); i++) {
		clipping_rect r = pixel_intersection(buffer.dirty.RectAtInt(i), all);
		if (!pixel_rect_valid(r))
			continue;
		for (int32 y = r.top; y <= r.bottom; y++) {
			const uint32* source = buffer.pixels.data() + (size_t)y * buffer.width + r.left;
			uint8* row = (uint8*)surface->pixels + (size_t)y * surface->pitch;
			if (direct) {
				memcpy(row + (size_t)r.left * 4, source, (size_t)(r.right - r.left + 1) * 4);
				continue;
			}
			for (int32 x = r.left; x <= r.right; x++) {
				uint32 v = source[x - r.left];
				uint32 pixel = SDL_MapRGB(surface->format, (v >> 16) & 0xff, (v >> 8) & 0xff,
					v & 0xff);
				memcpy(row + (size_t)x * surface->format->BytesPerPixel, &pixel,
					surface->format->BytesPerPixel);
			}
		}
		rects.push_back(SDL_Rect{r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1});
	}
	if (SDL_MUSTLOCK(surface))
		SDL_UnlockSurface(surface);
	if (!rects.empty())
		SDL_UpdateWindowSurfaceRects(found->second.window, rects.data(), (int)rects.size());
}

void
SdlBackend::Wake()
{
	SDL_Event event;
	memset(&event, 0, sizeof(event));
	event.type = fWakeEvent;
	SDL_PushEvent(&event);
}

void
SdlBackend::Wait(bigtime_t timeout, std::vector<InputEvent>& events)
{
	SDL_Event event;
	if (SDL_WaitEventTimeout(&event, (int)(timeout / 1000)) == 0)
		return;
	_Translate(event, events);
	while (SDL_PollEvent(&event))
		_Translate(event, events);
}

int32
SdlBackend::_IdFor(uint32 sdlWindow) const
{
	SDL_Window* window = SDL_GetWindowFromID(sdlWindow);
	for (const auto& entry : fWindows) {
		if (entry.second.window == window)
			return entry.first;
	}
	return -1;
}

uint32
SdlBackend::_Modifiers() const
{
	// As the BeOS keymap on a PC keyboard: Alt is Command, the Windows key Option.
	SDL_Keymod state = SDL_GetModState();
	uint32 modifiers = 0;
	if (state & KMOD_SHIFT)
		modifiers |= B_SHIFT_KEY;
	if (state & KMOD_CTRL)
		modifiers |= B_CONTROL_KEY;
	if (state & KMOD_ALT)
		modifiers |= B_COMMAND_KEY;
	if (state & KMOD_GUI)
		modifiers |= B_OPTION_KEY;
	if (state & KMOD_CAPS)
		modifiers |= B_CAPS_LOCK;
	if (state & KMOD_NUM)
		modifiers |= B_NUM_LOCK;
	return modifiers;
}

static uint32
be_button(uint8 button)
{
	switch (button) {
		case SDL_BUTTON_LEFT:
			return B_PRIMARY_MOUSE_BUTTON;
		case SDL_BUTTON_RIGHT:
			return B_SECONDARY_MOUSE_BUTTON;
		case SDL_BUTTON_MIDDLE:
			return B_TERTIARY_MOUSE_BUTTON;
		default:
			return 0;
	}
}

// The byte a key that types no text stands for, or 0.
static char
special_key(SDL_Keycode key, int32* raw)
{
	*raw = 0;
	switch (key) {
		case SDLK_RETURN:
		case SDLK_KP_ENTER:
			return B_RETURN;
		case SDLK_BACKSPACE:
			return B_BACKSPACE;
		case SDLK_TAB:
			return B_TAB;
		case SDLK_ESCAPE:
			return B_ESCAPE;
		case SDLK_LEFT:
			return B_LEFT_ARROW;
		case SDLK_RIGHT:
			return B_RIGHT_ARROW;
		case SDLK_UP:
			return B_UP_ARROW;
		case SDLK_DOWN:
			return B_DOWN_ARROW;
		case SDLK_HOME:
			return B_HOME;
		case SDLK_END:
			return B_END;
		case SDLK_PAGEUP:
			return B_PAGE_UP;
		case SDLK_PAGEDOWN:
			return B_PAGE_DOWN;
		case SDLK_DELETE:
			return B_DELETE;
		case SDLK_INSERT:
			return B_INSERT;
		default:
			if (key >= SDLK_F1 && key <= SDLK_F12) {
				*raw = B_F1_KEY + (key - SDLK_F1);
				return B_FUNCTION_KEY;
			}
			return 0;
	}
}

void
SdlBackend::_Translate(const SDL_Event& event, std::vector<InputEvent>& events)
{
	InputEvent input;
	switch (event.type) {
		case SDL_MOUSEBUTTONDOWN:
		case SDL_MOUSEBUTTONUP: {
			input.window = _IdFor(event.button.windowID);
			if (input.window < 0)
				return;
			uint32 button = be_button(event.button.button);
			if (event.type == SDL_MOUSEBUTTONDOWN) {
				fButtons |= button;
				input.type = InputEvent::MOUSE_DOWN;
			} else {
				fButtons &= ~button;
				input.type = InputEvent::MOUSE_UP;
			}
			input.where = fWindows[input.window].frame.LeftTop()
				+ BPoint(event.button.x, event.button.y);
			input.buttons = fButtons;
			input.modifiers = _Modifiers();
			break;
		}
		case SDL_MOUSEMOTION: {
			input.window = _IdFor(event.motion.windowID);
			if (input.window < 0)
				return;
			input.type = InputEvent::MOUSE_MOVED;
			input.where = fWindows[input.window].frame.LeftTop()
				+ BPoint(event.motion.x, event.motion.y);
			input.buttons = fButtons;
			input.modifiers = _Modifiers();
			break;
		}
		case SDL_KEYDOWN:
		case SDL_KEYUP: {
			int32 raw;
			char byte = special_key(event.key.keysym.sym, &raw);
			uint32 modifiers = _Modifiers();
			// With Command or Control held, letters type no text: send them here.
			if (byte == 0 && (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY)) != 0
				&& event.key.keysym.sym < 128 && event.key.keysym.sym >= 32) {
				// The letter itself, also with Control: a control code would
				// read as a key (Ctrl+A as B_HOME), and the kits take Control
				// as well as Command for the shortcuts.
				byte = (char)event.key.keysym.sym;
			}
			if (byte == 0)
				return;
			input.type = event.type == SDL_KEYDOWN ? InputEvent::KEY_DOWN : InputEvent::KEY_UP;
			input.window = _IdFor(event.key.windowID);
			input.bytes = std::string(1, byte);
			input.key = raw != 0 ? raw : event.key.keysym.scancode;
			input.modifiers = modifiers;
			break;
		}
		case SDL_TEXTINPUT: {
			// One key per character typed.
			int32 window = _IdFor(event.text.windowID);
			const char* s = event.text.text;
			while (*s != '\0') {
				int length = 1;
				while ((s[length] & 0xc0) == 0x80)
					length++;
				for (InputEvent::Type type : {InputEvent::KEY_DOWN, InputEvent::KEY_UP}) {
					InputEvent key;
					key.type = type;
					key.window = window;
					key.bytes.assign(s, length);
					key.modifiers = _Modifiers();
					events.push_back(key);
				}
				s += length;
			}
			return;
		}
		case SDL_WINDOWEVENT: {
			input.window = _IdFor(event.window.windowID);
			if (input.window < 0)
				return;
			Window& window = fWindows[input.window];
			switch (event.window.event) {
				case SDL_WINDOWEVENT_CLOSE:
					input.type = InputEvent::CLOSE;
					break;
				case SDL_WINDOWEVENT_FOCUS_GAINED:
				case SDL_WINDOWEVENT_FOCUS_LOST:
					input.type = InputEvent::ACTIVATED;
					input.active = event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
					break;
				case SDL_WINDOWEVENT_MOVED:
					window.frame.OffsetTo(event.window.data1, event.window.data2);
					input.type = InputEvent::MOVED;
					input.frame = window.frame;
					break;
				case SDL_WINDOWEVENT_SIZE_CHANGED:
					window.frame.right = window.frame.left + event.window.data1 - 1;
					window.frame.bottom = window.frame.top + event.window.data2 - 1;
					input.type = InputEvent::RESIZED;
					input.frame = window.frame;
					break;
				case SDL_WINDOWEVENT_EXPOSED:
					input.type = InputEvent::EXPOSED;
					break;
				default:
					return;
			}
			break;
		}
		default:
			return;
	}
	events.push_back(input);
}

} // namespace

DisplayBackend*
create_sdl_backend()
{
	return new SdlBackend;
}
