#include <Window.h>

#include <AppDefs.h>
#include <Application.h>
#include <Button.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <View.h>

#include <DisplayServer.h>
#include <Painter.h>
#include <WindowCanvas.h>
#include <WindowInput.h>

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
	fCanvas = std::make_unique<BPrivate::WindowCanvas>(this);
	fInput = std::make_unique<BPrivate::WindowInput>(this);
	fCanvas->Resize(fFrame.IntegerWidth() + 1, fFrame.IntegerHeight() + 1);

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
	if (_ServerWindow()->id >= 0 && DisplayServer::Current() != NULL)
		DisplayServer::Current()->RemoveWindow(_ServerWindow()->id);
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
				fInput->HandleMouse(message);
			else
				BLooper::DispatchMessage(message, handler);
			break;
		case B_KEY_DOWN:
		case B_KEY_UP:
		case B_UNMAPPED_KEY_DOWN:
		case B_UNMAPPED_KEY_UP:
			if (toWindow)
				fInput->HandleKey(message);
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
			fCanvas->UpdateHandled();
			break;
		case kWindowSyncMessage: {
			// Drawn and flushed first, so the screen is up to date when the
			// waiting thread looks.
			fCanvas->UpdateAndFlush();
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
		fCanvas->UpdateAndFlush();
}

void
BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message)
{
	AddShortcut(key, modifiers, message, this);
}

void
BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target)
{
	fInput->AddShortcut(key, modifiers, message, target);
}

void
BWindow::RemoveShortcut(uint32 key, uint32 modifiers)
{
	fInput->RemoveShortcut(key, modifiers);
}

bool
BWindow::HasShortcut(uint32 key, uint32 modifiers) const
{
	return fInput->HasShortcut(key, modifiers);
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
		_StartPulseRunner();
	return thread;
}

void
BWindow::Show()
{
	if (!Lock())
		return;
	// Running before the first frame is asked for, so that the loop is sent
	// a message to draw it: a window never activated (a menu opened from a
	// click in another process) may get no other message until input comes.
	bool run = !fRunning;
	fRunning = true;
	fShowLevel--;
	if (fShowLevel == 0) {
		DisplayServer* server = DisplayServer::Default();
		if (_ServerWindow()->id < 0)
			server->AddWindow(this, _ServerWindow(), fFrame, fTitle.String(), fLook, fFlags,
				fFeel);
		server->SetVisible(_ServerWindow()->id, true);
		_Invalidate(BRegion(Bounds()));
	}
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
	if (fShowLevel == 1 && _ServerWindow()->id >= 0)
		DisplayServer::Default()->SetVisible(_ServerWindow()->id, false);
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
	if (_ServerWindow()->id >= 0 && fShowLevel <= 0)
		DisplayServer::Default()->SetVisible(_ServerWindow()->id, false);
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
	fInput->KeyboardNavigation(backward);
}

void
BWindow::_ViewRemoved(BView* view)
{
	if (BPrivate::view_is_within(fFocus, view)) {
		fFocus = NULL;
		SetPreferredHandler(NULL);
	}
	if (BPrivate::view_is_within(fDefaultButton, view))
		fDefaultButton = NULL;
	fInput->ViewRemoved(view);
	fCanvas->ViewRemoved(view);
}

void
BWindow::_SetMouseEventMask(BView* view, uint32 mask, uint32 options)
{
	fInput->SetMouseEventMask(view, mask, options);
}

void
BWindow::_GetMouse(BPoint* where, uint32* buttons) const
{
	fInput->GetMouse(where, buttons);
}

BView*
BWindow::LastMouseMovedView() const
{
	return fInput->LastMouseMovedView();
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
	if (_ServerWindow()->id >= 0)
		DisplayServer::Default()->SetFrame(_ServerWindow()->id, fFrame);
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
	fCanvas->Resize((int32)width + 1, (int32)height + 1);
	fTopView->_MoveResize(Bounds(), true);
	BRegion uncovered(Bounds());
	uncovered.Exclude(oldBounds);
	_Invalidate(uncovered);
	if (_ServerWindow()->id >= 0)
		DisplayServer::Default()->SetFrame(_ServerWindow()->id, fFrame);
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
	if (_ServerWindow()->id >= 0)
		DisplayServer::Default()->SetTitle(_ServerWindow()->id, fTitle.String());
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
	if (_ServerWindow()->id < 0 || IsHidden())
		return;
	if (active)
		DisplayServer::Default()->Activate(_ServerWindow()->id);
}

// #pragma mark - drawing

void
BWindow::UpdateIfNeeded()
{
	if (find_thread(NULL) == Thread() && IsLocked())
		fCanvas->UpdateAndFlush();
}

bool
BWindow::NeedsUpdate() const
{
	return fCanvas->NeedsUpdate();
}

void
BWindow::Flush() const
{
	if (IsLocked())
		fCanvas->FlushDrawnOutside();
}

void
BWindow::Sync() const
{
	Flush();
}

void
BWindow::DisableUpdates()
{
	fCanvas->DisableUpdates();
}

void
BWindow::EnableUpdates()
{
	fCanvas->EnableUpdates();
}

// #pragma mark - for the views

Painter*
BWindow::_Painter() const
{
	return fCanvas->GetPainter();
}

void
BWindow::_Invalidate(const BRegion& windowRegion)
{
	fCanvas->Invalidate(windowRegion);
}

void
BWindow::_DrewOutsideUpdate(const BRegion& windowRegion)
{
	fCanvas->DrewOutsideUpdate(windowRegion);
}

void
BWindow::_ViewTreeChanged()
{
	fCanvas->ViewTreeChanged();
}

uint32
BWindow::_ClipGeneration() const
{
	return fCanvas->ClipGeneration();
}

bool
BWindow::_InUpdate() const
{
	return fCanvas->InUpdate();
}

const BRegion&
BWindow::_UpdateRegion() const
{
	return fCanvas->UpdateRegion();
}

BView*
BWindow::_DrawingView() const
{
	return fCanvas->DrawingView();
}

void
BWindow::_SetDrawingView(BView* view, uint32 generation)
{
	fCanvas->SetDrawingView(view, generation);
}

uint32
BWindow::_DrawingGeneration() const
{
	return fCanvas->DrawingGeneration();
}

std::shared_ptr<ServerWindow>
BWindow::_ServerWindow() const
{
	return fCanvas->Server();
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
		_StartPulseRunner();
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
BWindow::_StartPulseRunner()
{
	std::lock_guard<std::mutex> guard(fPulseLock);
	if (fPulseRate <= 0)
		return;
	bigtime_t interval = 0;
	if (fPulseRunner != nullptr && fPulseRunner->GetInfo(&interval, NULL) == B_OK
		&& interval == fPulseRate) {
		return;
	}
	BMessage pulse(B_PULSE);
	fPulseRunner = std::make_unique<BMessageRunner>(BMessenger(this), &pulse, fPulseRate);
}

void
BWindow::_StopPulse()
{
	std::lock_guard<std::mutex> guard(fPulseLock);
	fPulseRunner.reset();
}
