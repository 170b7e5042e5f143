#ifndef _WINDOW_H
#define _WINDOW_H

#include <InterfaceDefs.h>
#include <Looper.h>
#include <MessageRunner.h>
#include <Messenger.h>
#include <Rect.h>
#include <Region.h>

#include <memory>
#include <mutex>

class BButton;
class BMenuBar;
class BView;
class Painter;
struct ServerWindow;

namespace BPrivate {
class WindowCanvas;
class WindowInput;
}
namespace BTest {
class WindowAccess;
}
class BStatusTray;

// A window: a looper with its own thread, a tree of views and a frame
// buffer they draw into. The frame is the content area in screen
// coordinates; the host's window manager draws the border and title.
class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	virtual ~BWindow();

	// Hooks.
	void DispatchMessage(BMessage* message, BHandler* handler) override;
	void MessageReceived(BMessage* message) override;
	BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
		const char* property) override;
	status_t GetSupportedSuites(BMessage* data) override;
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void WindowActivated(bool active);
	virtual void WorkspacesChanged(uint32 oldWorkspaces, uint32 newWorkspaces);
	virtual void Zoom(BPoint origin, float width, float height);
	virtual void Minimize(bool minimize);
	virtual void MenusBeginning();
	virtual void MenusEnded();
	bool QuitRequested() override;
	void Quit() override;
	thread_id Run() override;

	virtual void Show();
	virtual void Hide();
	bool IsHidden() const;
	bool IsMinimized() const { return false; }

	// Views.
	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;
	BView* FindView(BPoint point) const;
	BView* CurrentFocus() const { return fFocus; }
	BView* LastMouseMovedView() const;
	// The button that Enter presses; the old default button stops being one.
	void SetDefaultButton(BButton* button);
	BButton* DefaultButton() const { return fDefaultButton; }

	// Keyboard shortcuts: the Command key (Alt, or Ctrl) with a character.
	// The window's own come first, then the items of its key menu bar (the
	// first menu bar added, unless another is set).
	void AddShortcut(uint32 key, uint32 modifiers, BMessage* message);
	void AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target);
	void RemoveShortcut(uint32 key, uint32 modifiers);
	bool HasShortcut(uint32 key, uint32 modifiers) const;
	BMenuBar* KeyMenuBar() const { return fKeyMenuBar; }
	void SetKeyMenuBar(BMenuBar* bar) { fKeyMenuBar = bar; }

	// Geometry and looks.
	BRect Frame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y) { MoveTo(BPoint(x, y)); }
	void MoveBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);
	void SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight);
	void GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight,
		float* maxHeight) const;
	void SetZoomLimits(float maxWidth, float maxHeight);
	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;
	void ConvertFromScreen(BRect* rect) const;
	BRect ConvertFromScreen(BRect rect) const;

	void SetTitle(const char* title);
	const char* Title() const;
	window_type Type() const;
	window_look Look() const { return fLook; }
	window_feel Feel() const { return fFeel; }
	uint32 Flags() const { return fFlags; }
	status_t SetFlags(uint32 flags);
	status_t SetLook(window_look look);
	status_t SetFeel(window_feel feel);
	uint32 Workspaces() const { return fWorkspaces; }
	void SetWorkspaces(uint32 workspaces) { fWorkspaces = workspaces; }

	void Activate(bool active = true);
	bool IsActive() const { return fActive; }
	bool IsFront() const { return fActive; }

	void SetPulseRate(bigtime_t rate);
	bigtime_t PulseRate() const { return fPulseRate; }

	// Drawing.
	void UpdateIfNeeded();
	bool NeedsUpdate() const;
	void Flush() const;
	void Sync() const;
	void DisableUpdates();
	void EnableUpdates();

private:
	friend class BView;
	friend class BPrivate::WindowCanvas;
	friend class BPrivate::WindowInput;
	friend class BTest::WindowAccess;
	// Takes the pixels of replicants for the desktop's tray.
	friend class BStatusTray;

	// For the views: drawing goes through the canvas, input state through
	// the input.
	Painter* _Painter() const;
	void _Invalidate(const BRegion& windowRegion);
	void _DrewOutsideUpdate(const BRegion& windowRegion);
	void _ViewTreeChanged();
	uint32 _ClipGeneration() const;
	bool _InUpdate() const;
	const BRegion& _UpdateRegion() const;
	BView* _DrawingView() const;
	void _SetDrawingView(BView* view, uint32 generation);
	uint32 _DrawingGeneration() const;
	std::shared_ptr<ServerWindow> _ServerWindow() const;
	void _SetFocus(BView* view);
	void _KeyboardNavigation(bool backward);
	void _SetMouseEventMask(BView* view, uint32 mask, uint32 options);
	void _GetMouse(BPoint* where, uint32* buttons) const;
	void _ViewRemoved(BView* view);

	// Scripting of the window's own properties; false for anything else.
	bool _HandleProperty(BMessage* message);
	void _Init(BRect frame, const char* title, window_look look, window_feel feel,
		uint32 flags, uint32 workspace);
	void _Resize(float width, float height);
	void _StartPulse();
	bool _WantsPulse() const;
	void _StartPulseRunner();
	void _StopPulse();

	BString fTitle;
	BRect fFrame;
	window_look fLook;
	window_feel fFeel;
	uint32 fFlags;
	uint32 fWorkspaces;
	BView* fTopView = NULL;
	BView* fFocus = NULL;
	BButton* fDefaultButton = NULL;
	BMenuBar* fKeyMenuBar = NULL;
	int32 fShowLevel = 1;
	bool fActive = false;
	bool fRunning = false;
	float fMinWidth = 0, fMaxWidth = 32768, fMinHeight = 0, fMaxHeight = 32768;

	std::unique_ptr<BPrivate::WindowCanvas> fCanvas;
	std::unique_ptr<BPrivate::WindowInput> fInput;

	bigtime_t fPulseRate = 500000;
	std::mutex fPulseLock;
	std::unique_ptr<BMessageRunner> fPulseRunner;
};

#endif
