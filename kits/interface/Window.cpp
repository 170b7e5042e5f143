#include <Window.h>

#include <AppDefs.h>
#include <Application.h>
#include <Button.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <View.h>

#include <DisplayServer.h>
#include <Painter.h>
#include <PixelGeometry.h>

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

static void
look_and_feel(window_type type, window_look* look, window_feel* feel)
{
	*feel = B_NORMAL_WINDOW_FEEL;
	switch (type) {
		case B_MODAL_WINDOW:
			*look = B_MODAL_WINDOW_LOOK;
			*feel = B_MODAL_APP_WINDOW_FEEL;
			break;
		case B_DOCUMENT_WINDOW:
			*look = B_DOCUMENT_WINDOW_LOOK;
			break;
		case B_BORDERED_WINDOW:
			*look = B_BORDERED_WINDOW_LOOK;
			break;
		case B_FLOATING_WINDOW:
			*look = B_FLOATING_WINDOW_LOOK;
			*feel = B_FLOATING_APP_WINDOW_FEEL;
			break;
		default:
			*look = B_TITLED_WINDOW_LOOK;
			break;
	}
}

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags,
	uint32 workspace)
	: BLooper(title, B_DISPLAY_PRIORITY)
{
	window_look look;
	window_feel feel;
	look_and_feel(type, &look, &feel);
	_Init(frame, title, look, feel, flags, workspace);
}

BWindow::BWindow(BRect frame, const char* title, window_look look, window_feel feel,
	uint32 flags, uint32 workspace)
	: BLooper(title, B_DISPLAY_PRIORITY)
{
	_Init(frame, title, look, feel, flags, workspace);
}

void
BWindow::_Init(BRect frame, const char* title, window_look look, window_feel feel,
	uint32 flags, uint32 workspace)
{
	fTitle = title != NULL ? title : "";
	fFrame = BRect(roundf(frame.left), roundf(frame.top), roundf(frame.right),
		roundf(frame.bottom));
	fLook = look;
	fFeel = feel;
	fFlags = flags;
	fWorkspaces = workspace == B_CURRENT_WORKSPACE ? 1 : workspace;
	fPainter = std::make_unique<Painter>();
	fServerWindow = std::make_shared<ServerWindow>();
	_ResizeBuffer(fFrame.IntegerWidth() + 1, fFrame.IntegerHeight() + 1);

	fTopView = new BView(Bounds(), "fTopView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	fTopView->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	fTopView->_Attach(this);
	SetNextHandler(NULL);

	if (be_app != NULL)
		be_app->_RegisterWindow(this, this);
}

BWindow::~BWindow()
{
	_StopPulse();
	if (fServerWindow->id >= 0 && DisplayServer::Current() != NULL)
		DisplayServer::Current()->RemoveWindow(fServerWindow->id);
	if (be_app != NULL)
		be_app->_UnregisterWindow(this);
	if (fTopView != NULL) {
		fTopView->_Detach();
		delete fTopView;
		fTopView = NULL;
	}
}

// #pragma mark - hooks

void BWindow::FrameMoved(BPoint) {}
void BWindow::FrameResized(float, float) {}
void BWindow::WindowActivated(bool) {}
void BWindow::WorkspacesChanged(uint32, uint32) {}
void BWindow::Zoom(BPoint, float, float) {}
void BWindow::Minimize(bool) {}
void BWindow::MenusBeginning() {}
void BWindow::MenusEnded() {}

bool
BWindow::QuitRequested()
{
	return true;
}

void
BWindow::MessageReceived(BMessage* message)
{
	if (_HandleProperty(message))
		return;
	BLooper::MessageReceived(message);
}

void
BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	bool toWindow = handler == this;
	switch (message->what) {
		case B_MOUSE_DOWN:
		case B_MOUSE_UP:
		case B_MOUSE_MOVED:
			if (toWindow)
				_HandleMouse(message);
			else
				BLooper::DispatchMessage(message, handler);
			break;
		case B_KEY_DOWN:
		case B_KEY_UP:
		case B_UNMAPPED_KEY_DOWN:
		case B_UNMAPPED_KEY_UP:
			if (toWindow)
				_HandleKey(message);
			else
				BLooper::DispatchMessage(message, handler);
			break;
		case B_WINDOW_ACTIVATED: {
			bool active = false;
			message->FindBool("active", &active);
			if (active != fActive) {
				fActive = active;
				WindowActivated(active);
				fTopView->_WindowActivated(active);
			}
			break;
		}
		case B_WINDOW_RESIZED: {
			int32 width = 0, height = 0;
			message->FindInt32("width", &width);
			message->FindInt32("height", &height);
			if (width != fFrame.IntegerWidth() || height != fFrame.IntegerHeight())
				_Resize(width, height);
			FrameResized(width, height);
			break;
		}
		case B_WINDOW_MOVED: {
			BPoint where;
			if (message->FindPoint("where", &where) == B_OK) {
				fFrame.OffsetTo(where);
				FrameMoved(where);
			}
			break;
		}
		case B_PULSE:
			fTopView->_Pulse();
			break;
		case _UPDATE_:
			fUpdatePosted = false;
			break;
		case kWindowSyncMessage: {
			// Drawn and flushed first, so the screen is up to date when the
			// waiting thread looks.
			_UpdateAndFlush();
			int32 sem;
			if (message->FindInt32("semaphore", &sem) == B_OK)
				release_sem(sem);
			break;
		}
		default:
			BLooper::DispatchMessage(message, handler);
			break;
	}
	// Whatever the message changed reaches the screen before the next one.
	if (!fTerminating)
		_UpdateAndFlush();
}

void
BWindow::_HandleMouse(BMessage* message)
{
	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		return;
	int32 buttons = 0;
	message->FindInt32("buttons", &buttons);
	fMousePosition = where;
	fMouseButtons = (uint32)buttons;

	auto deliver = [message, where](BView* view) {
		BPoint local = where - view->_WindowOffset();
		message->ReplacePoint("where", local);
		if (message->ReplacePoint("be:view_where", local) != B_OK)
			message->AddPoint("be:view_where", local);
		return local;
	};

	switch (message->what) {
		case B_MOUSE_DOWN: {
			BView* view = fTopView->_ViewAt(where);
			fMouseDownView = view;
			fMouseMaskView = NULL;
			if (view != NULL)
				view->MouseDown(deliver(view));
			break;
		}
		case B_MOUSE_UP: {
			BView* view = fMouseMaskView != NULL ? fMouseMaskView : fTopView->_ViewAt(where);
			fMouseMaskView = NULL;
			fMouseDownView = NULL;
			if (view != NULL)
				view->MouseUp(deliver(view));
			break;
		}
		case B_MOUSE_MOVED: {
			if (fMouseMaskView != NULL) {
				BView* view = fMouseMaskView;
				bool inside = view->_WindowRect().Contains(where);
				view->MouseMoved(deliver(view), inside ? B_INSIDE_VIEW : B_OUTSIDE_VIEW, NULL);
				break;
			}
			BView* view = fTopView->_ViewAt(where);
			BView* last = fLastMouseMovedView;
			fLastMouseMovedView = view;
			if (view != last) {
				if (last != NULL)
					last->MouseMoved(deliver(last), B_EXITED_VIEW, NULL);
				if (view != NULL)
					view->MouseMoved(deliver(view), B_ENTERED_VIEW, NULL);
			} else if (view != NULL)
				view->MouseMoved(deliver(view), B_INSIDE_VIEW, NULL);
			break;
		}
	}
}

void
BWindow::_HandleKey(BMessage* message)
{
	const char* bytes = NULL;
	if (message->FindString("bytes", &bytes) != B_OK || bytes == NULL)
		bytes = "";
	int32 modifiers = 0;
	message->FindInt32("modifiers", &modifiers);
	bool down = message->what == B_KEY_DOWN || message->what == B_UNMAPPED_KEY_DOWN;
	bool single = strlen(bytes) == 1;
	bool command = (modifiers & B_COMMAND_KEY) != 0;
	// Command-Q always asks the application, whatever the window's
	// shortcuts; Command-W closes only when no shortcut of its own uses W.
	if (down && command && single && (bytes[0] | 0x20) == 'q' && be_app != NULL) {
		BMessage quit(B_QUIT_REQUESTED);
		quit.AddBool("shortcut", true);
		be_app->PostMessage(&quit);
		return;
	}
	if (down && single && (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY)) != 0
		&& _HandleShortcut(bytes[0], modifiers))
		return;
	bool modal = fFeel == B_MODAL_SUBSET_WINDOW_FEEL || fFeel == B_MODAL_APP_WINDOW_FEEL
		|| fFeel == B_MODAL_ALL_WINDOW_FEEL;
	if (down && command && single && (bytes[0] | 0x20) == 'w'
		&& (fFlags & B_NOT_CLOSABLE) == 0 && !modal) {
		PostMessage(B_QUIT_REQUESTED);
		return;
	}
	// Enter without modifiers belongs to the default button, wherever the
	// focus is.
	if (down && bytes[0] == B_ENTER && bytes[1] == '\0' && fDefaultButton != NULL
		&& (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY)) == 0
		&& fDefaultButton->IsEnabled() && !fDefaultButton->IsHidden()) {
		fDefaultButton->KeyDown(bytes, 1);
		return;
	}
	if (fFocus == NULL) {
		if (down && bytes[0] == B_TAB && bytes[1] == '\0')
			_KeyboardNavigation((modifiers & B_SHIFT_KEY) != 0);
		return;
	}
	if (down)
		fFocus->KeyDown(bytes, (int32)strlen(bytes));
	else
		fFocus->KeyUp(bytes, (int32)strlen(bytes));
}

bool
BWindow::_ShortcutMatches(uint32 shortcutModifiers, uint32 pressed)
{
	// Command is held (Alt, or Ctrl standing for it as in text views);
	// Shift and Option must be as the shortcut says, and a shortcut with
	// Control wants Ctrl and Alt both.
	const uint32 kExact = B_SHIFT_KEY | B_OPTION_KEY;
	if ((shortcutModifiers & kExact) != (pressed & kExact))
		return false;
	if ((shortcutModifiers & B_CONTROL_KEY) != 0)
		return (pressed & B_CONTROL_KEY) != 0 && (pressed & B_COMMAND_KEY) != 0;
	return true;
}

bool
BWindow::_HandleShortcut(char key, uint32 modifiers)
{
	// Control letters arrive as their control codes.
	if (key >= 1 && key <= 26 && (modifiers & B_CONTROL_KEY) != 0)
		key += 'a' - 1;
	uint32 lower = tolower((unsigned char)key);
	for (Shortcut& shortcut : fShortcuts) {
		if (shortcut.key != lower || !_ShortcutMatches(shortcut.modifiers, modifiers))
			continue;
		BMessage copy(*shortcut.message);
		copy.AddInt64("when", system_time());
		shortcut.target.SendMessage(&copy);
		return true;
	}
	if (fKeyMenuBar == NULL)
		return false;
	MenusBeginning();
	BMenuItem* item = fKeyMenuBar->_FindShortcut(key, modifiers);
	if (item != NULL)
		item->_Choose(true);
	MenusEnded();
	return item != NULL;
}

int32
BWindow::_ShortcutIndex(uint32 key, uint32 modifiers) const
{
	// Stored as a lower-case key with Command always among the modifiers.
	key = tolower((unsigned char)key);
	modifiers = (modifiers & (B_SHIFT_KEY | B_CONTROL_KEY | B_OPTION_KEY)) | B_COMMAND_KEY;
	for (size_t i = 0; i < fShortcuts.size(); i++) {
		if (fShortcuts[i].key == key && fShortcuts[i].modifiers == modifiers)
			return (int32)i;
	}
	return -1;
}

void
BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message)
{
	AddShortcut(key, modifiers, message, this);
}

void
BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target)
{
	if (message == NULL)
		return;
	std::unique_ptr<BMessage> owned(message);
	RemoveShortcut(key, modifiers);
	if (target == NULL || target->Looper() != this)
		target = this;
	fShortcuts.push_back({(uint32)tolower((unsigned char)key),
		(modifiers & (B_SHIFT_KEY | B_CONTROL_KEY | B_OPTION_KEY)) | B_COMMAND_KEY,
		std::move(owned), BMessenger(target, this)});
}

void
BWindow::RemoveShortcut(uint32 key, uint32 modifiers)
{
	int32 index = _ShortcutIndex(key, modifiers);
	if (index >= 0)
		fShortcuts.erase(fShortcuts.begin() + index);
}

bool
BWindow::HasShortcut(uint32 key, uint32 modifiers) const
{
	return _ShortcutIndex(key, modifiers) >= 0;
}

// #pragma mark - showing and quitting

thread_id
BWindow::Run()
{
	// The view tree is still the caller's alone here; once the loop runs,
	// only a thread holding the window's lock may walk it.
	bool pulse = fPulseRate > 0 && _WantsPulse();
	thread_id thread = BLooper::Run();
	if (thread >= 0 && pulse)
		_StartPulseThread();
	return thread;
}

void
BWindow::Show()
{
	if (!Lock())
		return;
	fShowLevel--;
	if (fShowLevel == 0) {
		DisplayServer* server = DisplayServer::Default();
		if (fServerWindow->id < 0)
			server->AddWindow(this, fServerWindow, fFrame, fTitle.String(), fLook, fFlags,
				fFeel);
		server->SetVisible(fServerWindow->id, true);
		_Invalidate(BRegion(Bounds()));
	}
	bool run = !fRunning;
	fRunning = true;
	Unlock();
	if (run)
		Run();
}

void
BWindow::Hide()
{
	if (!Lock())
		return;
	fShowLevel++;
	if (fShowLevel == 1 && fServerWindow->id >= 0)
		DisplayServer::Default()->SetVisible(fServerWindow->id, false);
	Unlock();
}

bool
BWindow::IsHidden() const
{
	return fShowLevel > 0;
}

void
BWindow::Quit()
{
	if (!IsLocked()) {
		fprintf(stderr, "BWindow(\"%s\")::Quit(): the window must be locked\n", Title());
		return;
	}
	if (fServerWindow->id >= 0 && fShowLevel <= 0)
		DisplayServer::Default()->SetVisible(fServerWindow->id, false);
	BLooper::Quit();
}

// #pragma mark - views

void
BWindow::AddChild(BView* child, BView* before)
{
	fTopView->AddChild(child, before);
}

bool
BWindow::RemoveChild(BView* child)
{
	return fTopView->RemoveChild(child);
}

int32
BWindow::CountChildren() const
{
	return fTopView->CountChildren();
}

BView*
BWindow::ChildAt(int32 index) const
{
	return fTopView->ChildAt(index);
}

BView*
BWindow::FindView(const char* name) const
{
	return fTopView->FindView(name);
}

BView*
BWindow::FindView(BPoint point) const
{
	return fTopView->_ViewAt(point);
}

void
BWindow::_SetFocus(BView* view)
{
	BView* old = fFocus;
	if (old == view)
		return;
	fFocus = view;
	SetPreferredHandler(view);
	// The old view hears it lost the focus, so it can redraw its mark.
	if (old != NULL)
		old->MakeFocus(false);
}

void
BWindow::SetDefaultButton(BButton* button)
{
	if (button == fDefaultButton)
		return;
	BButton* old = fDefaultButton;
	fDefaultButton = button;
	if (old != NULL)
		old->MakeDefault(false);
	if (button != NULL)
		button->MakeDefault(true);
}

void
BWindow::_KeyboardNavigation(bool backward)
{
	std::vector<BView*> views;
	fTopView->_CollectNavigable(views);
	if (views.empty())
		return;
	auto it = std::find(views.begin(), views.end(), fFocus);
	int32 count = (int32)views.size();
	int32 index;
	if (it == views.end())
		index = backward ? count - 1 : 0;
	else
		index = ((int32)(it - views.begin()) + (backward ? count - 1 : 1)) % count;
	views[index]->MakeFocus(true);
}

void
BWindow::_ViewRemoved(BView* view)
{
	auto inside = [view](BView* v) {
		for (; v != NULL; v = v->Parent()) {
			if (v == view)
				return true;
		}
		return false;
	};
	if (inside(fFocus)) {
		fFocus = NULL;
		SetPreferredHandler(NULL);
	}
	if (inside(fLastMouseMovedView))
		fLastMouseMovedView = NULL;
	if (inside(fMouseDownView))
		fMouseDownView = NULL;
	if (inside(fMouseMaskView))
		fMouseMaskView = NULL;
	if (inside(fDefaultButton))
		fDefaultButton = NULL;
	if (inside(fDrawingView))
		fDrawingView = NULL;
}

void
BWindow::_SetMouseEventMask(BView* view, uint32 mask, uint32 options)
{
	// Only while a button is down: until it comes up, the view gets the mouse.
	if ((mask & B_POINTER_EVENTS) != 0 && fMouseButtons != 0) {
		fMouseMaskView = view;
		fMouseMaskOptions = options;
	}
}

void
BWindow::_GetMouse(BPoint* where, uint32* buttons) const
{
	// The server knows where the mouse is now, not only where it last was
	// when this window heard of it.
	DisplayServer* server = DisplayServer::Current();
	if (server != NULL) {
		*where = ConvertFromScreen(server->MousePosition());
		*buttons = server->MouseButtons();
	} else {
		*where = fMousePosition;
		*buttons = fMouseButtons;
	}
}

// #pragma mark - geometry

BRect
BWindow::Frame() const
{
	return fFrame;
}

BRect
BWindow::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void
BWindow::MoveTo(BPoint where)
{
	where = BPoint(roundf(where.x), roundf(where.y));
	if (where == fFrame.LeftTop())
		return;
	fFrame.OffsetTo(where);
	if (fServerWindow->id >= 0)
		DisplayServer::Default()->SetFrame(fServerWindow->id, fFrame);
	if (fRunning) {
		BMessage moved(B_WINDOW_MOVED);
		moved.AddInt64("when", system_time());
		moved.AddPoint("where", where);
		PostMessage(&moved);
	}
}

void
BWindow::MoveBy(float dx, float dy)
{
	MoveTo(BPoint(fFrame.left + dx, fFrame.top + dy));
}

void
BWindow::ResizeTo(float width, float height)
{
	width = roundf(std::clamp(width, fMinWidth, fMaxWidth));
	height = roundf(std::clamp(height, fMinHeight, fMaxHeight));
	if (width < 0)
		width = 0;
	if (height < 0)
		height = 0;
	if (width == fFrame.Width() && height == fFrame.Height())
		return;
	_Resize(width, height);
	if (fRunning) {
		BMessage resized(B_WINDOW_RESIZED);
		resized.AddInt64("when", system_time());
		resized.AddInt32("width", (int32)width);
		resized.AddInt32("height", (int32)height);
		PostMessage(&resized);
	} else
		FrameResized(width, height);
}

void
BWindow::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}

void
BWindow::_Resize(float width, float height)
{
	BRect oldBounds = Bounds();
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	_ResizeBuffer((int32)width + 1, (int32)height + 1);
	fTopView->_MoveResize(Bounds(), true);
	BRegion uncovered(Bounds());
	uncovered.Exclude(oldBounds);
	_Invalidate(uncovered);
	if (fServerWindow->id >= 0)
		DisplayServer::Default()->SetFrame(fServerWindow->id, fFrame);
}

void
BWindow::_ResizeBuffer(int32 width, int32 height)
{
	if (width < 1)
		width = 1;
	if (height < 1)
		height = 1;
	// Keep what was drawn where it still fits; the rest is drawn anew.
	std::vector<uint32> canvas((size_t)width * height, 0xffd8d8d8);
	int32 rows = std::min(height, fCanvasHeight);
	int32 columns = std::min(width, fCanvasWidth);
	for (int32 y = 0; y < rows; y++) {
		std::copy_n(fCanvas.begin() + (size_t)y * fCanvasWidth, columns,
			canvas.begin() + (size_t)y * width);
	}
	fCanvas.swap(canvas);
	fCanvasWidth = width;
	fCanvasHeight = height;
	fPainter->Attach(fCanvas.data(), width, height, width * 4);
	fDrawingView = NULL;
	fClipGeneration++;

	std::lock_guard<std::mutex> guard(fServerWindow->lock);
	fServerWindow->pixels = fCanvas;
	fServerWindow->width = width;
	fServerWindow->height = height;
	fServerWindow->dirty.Set(BRect(0, 0, width - 1, height - 1));
}

void
BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight)
{
	fMinWidth = minWidth;
	fMaxWidth = maxWidth < minWidth ? minWidth : maxWidth;
	fMinHeight = minHeight;
	fMaxHeight = maxHeight < minHeight ? minHeight : maxHeight;
}

void
BWindow::GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight,
	float* maxHeight) const
{
	if (minWidth != NULL)
		*minWidth = fMinWidth;
	if (maxWidth != NULL)
		*maxWidth = fMaxWidth;
	if (minHeight != NULL)
		*minHeight = fMinHeight;
	if (maxHeight != NULL)
		*maxHeight = fMaxHeight;
}

void
BWindow::SetZoomLimits(float, float)
{
}

void
BWindow::ConvertToScreen(BPoint* point) const
{
	*point += fFrame.LeftTop();
}

BPoint
BWindow::ConvertToScreen(BPoint point) const
{
	return point + fFrame.LeftTop();
}

void
BWindow::ConvertFromScreen(BPoint* point) const
{
	*point -= fFrame.LeftTop();
}

BPoint
BWindow::ConvertFromScreen(BPoint point) const
{
	return point - fFrame.LeftTop();
}

void
BWindow::ConvertToScreen(BRect* rect) const
{
	rect->OffsetBy(fFrame.LeftTop());
}

BRect
BWindow::ConvertToScreen(BRect rect) const
{
	return rect.OffsetByCopy(fFrame.LeftTop());
}

void
BWindow::ConvertFromScreen(BRect* rect) const
{
	rect->OffsetBy(-fFrame.left, -fFrame.top);
}

BRect
BWindow::ConvertFromScreen(BRect rect) const
{
	return rect.OffsetByCopy(-fFrame.left, -fFrame.top);
}

void
BWindow::SetTitle(const char* title)
{
	fTitle = title != NULL ? title : "";
	SetName(fTitle.String());
	if (fServerWindow->id >= 0)
		DisplayServer::Default()->SetTitle(fServerWindow->id, fTitle.String());
}

const char*
BWindow::Title() const
{
	return fTitle.String();
}

window_type
BWindow::Type() const
{
	switch (fLook) {
		case B_MODAL_WINDOW_LOOK:
			return B_MODAL_WINDOW;
		case B_DOCUMENT_WINDOW_LOOK:
			return B_DOCUMENT_WINDOW;
		case B_BORDERED_WINDOW_LOOK:
			return B_BORDERED_WINDOW;
		case B_FLOATING_WINDOW_LOOK:
			return B_FLOATING_WINDOW;
		case B_TITLED_WINDOW_LOOK:
			return B_TITLED_WINDOW;
		default:
			return B_UNTYPED_WINDOW;
	}
}

status_t
BWindow::SetFlags(uint32 flags)
{
	fFlags = flags;
	return B_OK;
}

status_t
BWindow::SetLook(window_look look)
{
	fLook = look;
	return B_OK;
}

status_t
BWindow::SetFeel(window_feel feel)
{
	fFeel = feel;
	return B_OK;
}

void
BWindow::Activate(bool active)
{
	if (fServerWindow->id < 0 || IsHidden())
		return;
	if (active)
		DisplayServer::Default()->Activate(fServerWindow->id);
}

// #pragma mark - drawing

void
BWindow::_Invalidate(const BRegion& windowRegion)
{
	fUpdateRegion.Include(&windowRegion);
	if (fRunning && find_thread(NULL) != Thread() && !fUpdatePosted.exchange(true))
		PostMessage(_UPDATE_);
}

void
BWindow::_DrewOutsideUpdate(const BRegion& windowRegion)
{
	fDrawnOutside.Include(&windowRegion);
	if (fRunning && find_thread(NULL) != Thread() && !fUpdatePosted.exchange(true))
		PostMessage(_UPDATE_);
}

void
BWindow::UpdateIfNeeded()
{
	if (find_thread(NULL) == Thread() && IsLocked())
		_UpdateAndFlush();
}

bool
BWindow::NeedsUpdate() const
{
	return fUpdateRegion.CountRects() > 0;
}

void
BWindow::Flush() const
{
	if (!IsLocked())
		return;
	BWindow* self = const_cast<BWindow*>(this);
	if (fDrawnOutside.CountRects() > 0) {
		BRegion region(fDrawnOutside);
		self->fDrawnOutside.MakeEmpty();
		self->_Flush(region);
	}
}

void
BWindow::Sync() const
{
	Flush();
}

void
BWindow::DisableUpdates()
{
	fUpdatesDisabled++;
}

void
BWindow::EnableUpdates()
{
	if (fUpdatesDisabled > 0)
		fUpdatesDisabled--;
}

void
BWindow::_UpdateAndFlush()
{
	if (fShowLevel > 0 || fUpdatesDisabled > 0)
		return;
	BRegion flush(fDrawnOutside);
	fDrawnOutside.MakeEmpty();
	if (fUpdateRegion.CountRects() > 0) {
		fCurrentUpdate = fUpdateRegion;
		fUpdateRegion.MakeEmpty();
		fInUpdate = true;
		fDrawingView = NULL;
		fTopView->_DrawTree(fCurrentUpdate);
		fInUpdate = false;
		fDrawingView = NULL;
		flush.Include(&fCurrentUpdate);
		fCurrentUpdate.MakeEmpty();
		// Invalidated while drawing: next round.
		if (fUpdateRegion.CountRects() > 0 && !fUpdatePosted.exchange(true))
			PostMessage(_UPDATE_);
	}
	if (flush.CountRects() > 0)
		_Flush(flush);
}

void
BWindow::_Flush(const BRegion& region)
{
	bool present = false;
	{
		std::lock_guard<std::mutex> guard(fServerWindow->lock);
		ServerWindow& screen = *fServerWindow;
		clipping_rect all = {0, 0, std::min(fCanvasWidth, screen.width) - 1,
			std::min(fCanvasHeight, screen.height) - 1};
		for (int32 i = 0; i < region.CountRects(); i++) {
			clipping_rect r = pixel_intersection(region.RectAtInt(i), all);
			if (!pixel_rect_valid(r))
				continue;
			for (int32 y = r.top; y <= r.bottom; y++) {
				std::copy_n(fCanvas.begin() + (size_t)y * fCanvasWidth + r.left,
					r.right - r.left + 1,
					screen.pixels.begin() + (size_t)y * screen.width + r.left);
			}
			screen.dirty.Include(r);
		}
		if (screen.id >= 0 && !screen.presentPending && screen.dirty.CountRects() > 0) {
			screen.presentPending = true;
			present = true;
		}
	}
	if (present)
		DisplayServer::Default()->Present(fServerWindow->id);
}

// #pragma mark - pulse

void
BWindow::SetPulseRate(bigtime_t rate)
{
	{
		std::lock_guard<std::mutex> guard(fPulseLock);
		fPulseRate = rate;
	}
	if (rate <= 0) {
		_StopPulse();
		return;
	}
	if (fRunning)
		_StartPulse();
}

void
BWindow::_StartPulse()
{
	if (_WantsPulse())
		_StartPulseThread();
}

bool
BWindow::_WantsPulse() const
{
	// Only windows with a view that wants it pulse.
	std::vector<BView*> views{fTopView};
	while (!views.empty()) {
		BView* view = views.back();
		views.pop_back();
		if ((view->Flags() & B_PULSE_NEEDED) != 0)
			return true;
		for (int32 i = 0; i < view->CountChildren(); i++)
			views.push_back(view->ChildAt(i));
	}
	return false;
}

void
BWindow::_StartPulseThread()
{
	std::lock_guard<std::mutex> guard(fPulseLock);
	if (fPulseThread >= 0)
		return;
	fPulseQuit = false;
	fPulseThread = spawn_thread(_PulseLoop, "pulse", B_NORMAL_PRIORITY, this);
	resume_thread(fPulseThread);
}

void
BWindow::_StopPulse()
{
	thread_id thread;
	{
		std::lock_guard<std::mutex> guard(fPulseLock);
		thread = fPulseThread;
		fPulseThread = -1;
		fPulseQuit = true;
	}
	fPulseWake.notify_all();
	if (thread >= 0) {
		status_t result;
		wait_for_thread(thread, &result);
	}
}

status_t
BWindow::_PulseLoop(void* data)
{
	BWindow* window = (BWindow*)data;
	std::unique_lock<std::mutex> guard(window->fPulseLock);
	while (!window->fPulseQuit) {
		bigtime_t rate = window->fPulseRate > 0 ? window->fPulseRate : 500000;
		if (window->fPulseWake.wait_for(guard, std::chrono::microseconds(rate),
				[window] { return window->fPulseQuit; }))
			break;
		window->PostMessage(B_PULSE);
	}
	return B_OK;
}
