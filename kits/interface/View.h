#ifndef _VIEW_H
#define _VIEW_H

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>
#include <Region.h>

#include <vector>

class BBitmap;
class BMessage;

namespace BPrivate {
class WindowCanvas;
class WindowInput;
}

class BScrollBar;
class BWindow;

// A rectangle of a window that draws itself and hears the mouse and keys.
// Frames are in the parent's coordinates, bounds in the view's own. Calls
// that draw or change the tree need the window locked once attached.
class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	// Rebuilds a view from its archive, with its children when the archive
	// was deep.
	BView(BMessage* archive);
	virtual ~BView();

	status_t Archive(BMessage* into, bool deep = true) const override;
	static BArchivable* Instantiate(BMessage* archive);
	// Kit extension: the view whose Draw() runs on this thread, or NULL; a
	// host of other code's views (the Deskbar) tells by it which one failed.
	static BView* DrawingNow();

	// Hooks.
	virtual void AttachedToWindow();
	virtual void AllAttached();
	virtual void DetachedFromWindow();
	virtual void AllDetached();
	virtual void Draw(BRect updateRect);
	virtual void DrawAfterChildren(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void KeyUp(const char* bytes, int32 numBytes);
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void Pulse();
	virtual void WindowActivated(bool active);
	virtual void MakeFocus(bool focus = true);
	virtual void MessageReceived(BMessage* message) override;
	BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
		const char* property) override;
	status_t GetSupportedSuites(BMessage* data) override;
	virtual void GetPreferredSize(float* width, float* height);
	virtual void ResizeToPreferred();
	virtual void SetFlags(uint32 flags);
	virtual void SetResizingMode(uint32 mode);
	virtual void Show();
	virtual void Hide();

	// The tree.
	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	bool RemoveSelf();
	int32 CountChildren() const { return (int32)fChildren.size(); }
	BView* ChildAt(int32 index) const;
	BView* NextSibling() const;
	BView* PreviousSibling() const;
	BView* Parent() const { return fParent; }
	BWindow* Window() const { return fOwner; }
	BView* FindView(const char* name) const;

	// Geometry.
	BRect Frame() const { return fFrame; }
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y) { MoveTo(BPoint(x, y)); }
	void MoveBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);
	void ScrollTo(BPoint where);
	void ScrollTo(float x, float y) { ScrollTo(BPoint(x, y)); }
	void ScrollBy(float dx, float dy);
	// The scroll bar that targets this view, if any.
	BScrollBar* ScrollBar(orientation posture) const;
	uint32 ResizingMode() const { return fFlags & 0x0000ffff; }
	uint32 Flags() const { return fFlags & 0xffff0000; }
	bool IsHidden() const;
	bool IsHidden(const BView* lookingFrom) const;

	void ConvertToParent(BPoint* point) const;
	BPoint ConvertToParent(BPoint point) const;
	void ConvertFromParent(BPoint* point) const;
	BPoint ConvertFromParent(BPoint point) const;
	void ConvertToParent(BRect* rect) const;
	BRect ConvertToParent(BRect rect) const;
	void ConvertFromParent(BRect* rect) const;
	BRect ConvertFromParent(BRect rect) const;
	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;
	void ConvertFromScreen(BRect* rect) const;
	BRect ConvertFromScreen(BRect rect) const;

	// Focus and the mouse.
	bool IsFocus() const;
	status_t SetMouseEventMask(uint32 mask, uint32 options = 0);
	status_t SetEventMask(uint32 mask, uint32 options = 0);
	uint32 EventMask() const { return fEventMask; }
	void GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue = true);

	// Drawing state.
	void SetViewColor(rgb_color color);
	void SetViewColor(uchar r, uchar g, uchar b, uchar a = 255)
	{
		SetViewColor(make_color(r, g, b, a));
	}
	rgb_color ViewColor() const { return fViewColor; }
	void SetHighColor(rgb_color color) { fState.high = color; }
	void SetHighColor(uchar r, uchar g, uchar b, uchar a = 255)
	{
		fState.high = make_color(r, g, b, a);
	}
	rgb_color HighColor() const { return fState.high; }
	void SetLowColor(rgb_color color) { fState.low = color; }
	void SetLowColor(uchar r, uchar g, uchar b, uchar a = 255)
	{
		fState.low = make_color(r, g, b, a);
	}
	rgb_color LowColor() const { return fState.low; }
	void SetDrawingMode(drawing_mode mode) { fState.mode = mode; }
	drawing_mode DrawingMode() const { return fState.mode; }
	void SetBlendingMode(source_alpha srcAlpha, alpha_function alphaFunc);
	void GetBlendingMode(source_alpha* srcAlpha, alpha_function* alphaFunc) const;
	void SetPenSize(float size) { fState.penSize = size; }
	float PenSize() const { return fState.penSize; }
	void MovePenTo(BPoint where) { fState.pen = where; }
	void MovePenTo(float x, float y) { fState.pen = BPoint(x, y); }
	void MovePenBy(float dx, float dy) { fState.pen += BPoint(dx, dy); }
	BPoint PenLocation() const { return fState.pen; }
	void SetOrigin(BPoint origin) { fState.origin = origin; }
	BPoint Origin() const { return fState.origin; }
	void PushState();
	void PopState();

	void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const;
	void SetFontSize(float size);
	void GetFontHeight(font_height* height) const;
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;

	// Drawing: clipped to the view, its visible part and, inside Draw(),
	// to the area being updated.
	void StrokeLine(BPoint to, pattern p = B_SOLID_HIGH);
	void StrokeLine(BPoint from, BPoint to, pattern p = B_SOLID_HIGH);
	void StrokeRect(BRect rect, pattern p = B_SOLID_HIGH);
	void FillRect(BRect rect, pattern p = B_SOLID_HIGH);
	void FillRegion(BRegion* region, pattern p = B_SOLID_HIGH);
	void InvertRect(BRect rect);
	void DrawString(const char* string, escapement_delta* delta = NULL);
	void DrawString(const char* string, BPoint where, escapement_delta* delta = NULL);
	void DrawString(const char* string, int32 length, escapement_delta* delta = NULL);
	void DrawString(const char* string, int32 length, BPoint where,
		escapement_delta* delta = NULL);
	void DrawBitmap(const BBitmap* bitmap);
	void DrawBitmap(const BBitmap* bitmap, BPoint where);
	void DrawBitmap(const BBitmap* bitmap, BRect destination);
	void DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination);
	void DrawBitmapAsync(const BBitmap* bitmap, BPoint where) { DrawBitmap(bitmap, where); }
	void DrawBitmapAsync(const BBitmap* bitmap, BRect source, BRect destination)
	{
		DrawBitmap(bitmap, source, destination);
	}
	void GetClippingRegion(BRegion* region) const;
	void ConstrainClippingRegion(BRegion* region);

	void Invalidate();
	void Invalidate(BRect rect);
	void Invalidate(const BRegion* region);
	void Flush() const;
	void Sync() const;

private:
	friend class BWindow;
	// Scripting of the view's own properties; false for anything else.
	bool _HandleProperty(BMessage* message);
	friend class BScrollBar;
	friend class BPrivate::WindowCanvas;
	friend class BPrivate::WindowInput;

	struct State {
		rgb_color high = {0, 0, 0, 255};
		rgb_color low = {255, 255, 255, 255};
		drawing_mode mode = B_OP_COPY;
		source_alpha sourceAlpha = B_PIXEL_ALPHA;
		alpha_function alphaFunction = B_ALPHA_OVERLAY;
		float penSize = 1;
		BPoint pen;
		BPoint origin;
		BFont font;
		bool hasClip = false;
		BRegion clip;
	};

	void _Attach(BWindow* window);
	void _Detach();
	void _CallAttached();
	void _CallAllAttached();
	void _ParentResizedBy(float dx, float dy);
	void _MoveResize(BRect newFrame, bool fromParent);
	bool _CheckLock(const char* call) const;
	BPoint _WindowOffset() const;
	BRect _WindowRect() const;
	BRegion _VisibleRegion() const;
	bool _BeginDraw();
	void _EndDraw();
	void _DrawTree(const BRegion& update);
	BView* _ViewAt(BPoint windowPoint);
	void _Pulse();
	void _WindowActivated(bool active);
	void _CollectNavigable(std::vector<BView*>& views);

	BWindow* fOwner = NULL;
	BView* fParent = NULL;
	std::vector<BView*> fChildren;
	BRect fFrame;
	BPoint fScroll;
	uint32 fFlags;
	int32 fShowLevel = 0;
	rgb_color fViewColor = {255, 255, 255, 255};
	uint32 fEventMask = 0;
	BScrollBar* fHorScroller = NULL;
	BScrollBar* fVerScroller = NULL;
	State fState;
	std::vector<State> fStateStack;
};

#endif
