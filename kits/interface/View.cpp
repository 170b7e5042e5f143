#include <View.h>

#include <AppDefs.h>
#include <Bitmap.h>
#include <Message.h>
#include <ScrollBar.h>
#include <Window.h>

#include <DisplayServer.h>
#include <Painter.h>
#include <PixelGeometry.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

static BRect
rounded(BRect r)
{
	return BRect(roundf(r.left), roundf(r.top), roundf(r.right), roundf(r.bottom));
}

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	: BHandler(name),
	  fFrame(rounded(frame)),
	  fFlags((resizingMode & 0x0000ffff) | (flags & 0xffff0000))
{
}

namespace {

// The view in Draw() on this thread (a window draws on its own thread).
thread_local BView* sDrawingNow = NULL;

BPrivate::InstantiationRegistration sRegistration("BView", BView::Instantiate);

uint32
packed_color(rgb_color color)
{
	uint32 value;
	memcpy(&value, &color, sizeof(value));
	return value;
}

rgb_color
unpacked_color(uint32 value)
{
	rgb_color color;
	memcpy(&color, &value, sizeof(color));
	return color;
}

} // namespace

BView::BView(BMessage* archive)
	: BHandler(archive),
	  fFlags(B_FOLLOW_LEFT | B_FOLLOW_TOP | B_WILL_DRAW)
{
	if (archive == NULL)
		return;
	BRect frame;
	if (archive->FindRect("_frame", &frame) == B_OK)
		fFrame = rounded(frame);
	int32 value;
	if (archive->FindInt32("_resize_mode", &value) == B_OK)
		fFlags = (fFlags & 0xffff0000) | ((uint32)value & 0x0000ffff);
	if (archive->FindInt32("_flags", &value) == B_OK)
		fFlags = (fFlags & 0x0000ffff) | ((uint32)value & 0xffff0000);

	const char* family;
	const char* style;
	if (archive->FindString("_fname", 0, &family) == B_OK
		&& archive->FindString("_fname", 1, &style) == B_OK) {
		// Looking a face up is dear; most views keep the default one.
		font_family currentFamily;
		font_style currentStyle;
		fState.font.GetFamilyAndStyle(&currentFamily, &currentStyle);
		if (strcmp(family, currentFamily) != 0 || strcmp(style, currentStyle) != 0)
			fState.font.SetFamilyAndStyle(family, style);
	}
	float size, shear, rotation;
	if (archive->FindFloat("_fflt", 0, &size) == B_OK)
		fState.font.SetSize(size);
	if (archive->FindFloat("_fflt", 1, &shear) == B_OK)
		fState.font.SetShear(shear);
	if (archive->FindFloat("_fflt", 2, &rotation) == B_OK)
		fState.font.SetRotation(rotation);

	int32 color;
	if (archive->FindInt32("_color", 0, &color) == B_OK)
		fState.high = unpacked_color(color);
	if (archive->FindInt32("_color", 1, &color) == B_OK)
		fState.low = unpacked_color(color);
	if (archive->FindInt32("_color", 2, &color) == B_OK)
		fViewColor = unpacked_color(color);
	BPoint pen;
	if (archive->FindPoint("_ploc", &pen) == B_OK)
		fState.pen = pen;
	bool hidden;
	if (archive->FindBool("_hidden", &hidden) == B_OK && hidden)
		fShowLevel = 1;

	// A child whose class cannot be made here is left out, not the view.
	BMessage childArchive;
	for (int32 i = 0; archive->FindMessage("_views", i, &childArchive) == B_OK; i++) {
		BArchivable* object = instantiate_object(&childArchive);
		BView* child = dynamic_cast<BView*>(object);
		if (child != NULL)
			AddChild(child);
		else
			delete object;
	}
}

status_t
BView::Archive(BMessage* into, bool deep) const
{
	status_t status = BHandler::Archive(into, deep);
	if (status != B_OK)
		return status;
	into->AddRect("_frame", fFrame);
	into->AddInt32("_resize_mode", (int32)ResizingMode());
	into->AddInt32("_flags", (int32)Flags());

	font_family family;
	font_style style;
	fState.font.GetFamilyAndStyle(&family, &style);
	into->AddString("_fname", family);
	into->AddString("_fname", style);
	into->AddFloat("_fflt", fState.font.Size());
	into->AddFloat("_fflt", fState.font.Shear());
	into->AddFloat("_fflt", fState.font.Rotation());

	into->AddInt32("_color", (int32)packed_color(fState.high));
	into->AddInt32("_color", (int32)packed_color(fState.low));
	into->AddInt32("_color", (int32)packed_color(fViewColor));
	into->AddPoint("_ploc", fState.pen);
	if (fShowLevel > 0)
		into->AddBool("_hidden", true);

	if (deep) {
		for (BView* child : fChildren) {
			BMessage childArchive;
			status = child->Archive(&childArchive, true);
			if (status != B_OK)
				return status;
			status = into->AddMessage("_views", &childArchive);
			if (status != B_OK)
				return status;
		}
	}
	return B_OK;
}

BArchivable*
BView::Instantiate(BMessage* archive)
{
	if (!validate_instantiation(archive, "BView"))
		return NULL;
	return new BView(archive);
}

BView::~BView()
{
	if (fHorScroller != NULL)
		fHorScroller->fTarget = NULL;
	if (fVerScroller != NULL)
		fVerScroller->fTarget = NULL;
	if (fParent != NULL)
		RemoveSelf();
	while (!fChildren.empty()) {
		BView* child = fChildren.back();
		fChildren.pop_back();
		child->fParent = NULL;
		delete child;
	}
}

// #pragma mark - hooks

void BView::AttachedToWindow() {}
void BView::AllAttached() {}
void BView::DetachedFromWindow() {}
void BView::AllDetached() {}
void BView::Draw(BRect) {}
void BView::DrawAfterChildren(BRect) {}
void BView::MouseDown(BPoint) {}
void BView::MouseUp(BPoint) {}
void BView::MouseMoved(BPoint, uint32, const BMessage*) {}
void BView::KeyUp(const char*, int32) {}
void BView::FrameMoved(BPoint) {}
void BView::FrameResized(float, float) {}
void BView::Pulse() {}
void BView::WindowActivated(bool) {}

void
BView::KeyDown(const char* bytes, int32 numBytes)
{
	// Tab moves the focus on, unless a view takes tabs itself.
	if (fOwner != NULL && numBytes == 1 && bytes[0] == B_TAB) {
		int32 modifiers = 0;
		if (fOwner->CurrentMessage() != NULL)
			fOwner->CurrentMessage()->FindInt32("modifiers", &modifiers);
		if ((modifiers & (B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY)) == 0)
			fOwner->_KeyboardNavigation((modifiers & B_SHIFT_KEY) != 0);
	}
}

void
BView::MakeFocus(bool focus)
{
	if (fOwner == NULL || !_CheckLock("MakeFocus"))
		return;
	if (focus) {
		if (fOwner->CurrentFocus() != this)
			fOwner->_SetFocus(this);
	} else if (fOwner->CurrentFocus() == this)
		fOwner->_SetFocus(NULL);
}

void
BView::MessageReceived(BMessage* message)
{
	if (_HandleProperty(message))
		return;
	BHandler::MessageReceived(message);
}

void
BView::GetPreferredSize(float* width, float* height)
{
	if (width != NULL)
		*width = fFrame.Width();
	if (height != NULL)
		*height = fFrame.Height();
}

void
BView::ResizeToPreferred()
{
	float width, height;
	GetPreferredSize(&width, &height);
	ResizeTo(width, height);
}

void
BView::SetFlags(uint32 flags)
{
	fFlags = (fFlags & 0x0000ffff) | (flags & 0xffff0000);
	if (fOwner != NULL) {
		fOwner->_ViewTreeChanged();
		if (flags & B_PULSE_NEEDED)
			fOwner->SetPulseRate(fOwner->PulseRate());
	}
}

void
BView::SetResizingMode(uint32 mode)
{
	fFlags = (fFlags & 0xffff0000) | (mode & 0x0000ffff);
}

void
BView::Show()
{
	if (fOwner != NULL && !_CheckLock("Show"))
		return;
	fShowLevel--;
	if (fShowLevel == 0 && fOwner != NULL) {
		fOwner->_ViewTreeChanged();
		Invalidate();
	}
}

void
BView::Hide()
{
	if (fOwner != NULL && !_CheckLock("Hide"))
		return;
	if (fShowLevel == 0 && fOwner != NULL && fParent != NULL) {
		// What showed through the view is the parent's to draw again.
		BRegion area(_WindowRect());
		for (BView* p = fParent; p != NULL; p = p->fParent)
			area.IntersectWith(p->_WindowRect());
		fOwner->_Invalidate(area);
	}
	fShowLevel++;
	if (fOwner != NULL)
		fOwner->_ViewTreeChanged();
}

// #pragma mark - the tree

void
BView::AddChild(BView* child, BView* before)
{
	if (child == NULL || child->fParent != NULL || child == this)
		return;
	if (fOwner != NULL && !_CheckLock("AddChild"))
		return;
	auto position = std::find(fChildren.begin(), fChildren.end(), before);
	fChildren.insert(position, child);
	child->fParent = this;
	if (fOwner != NULL) {
		child->_Attach(fOwner);
		fOwner->_ViewTreeChanged();
		child->_CallAttached();
		child->_CallAllAttached();
		child->Invalidate();
	}
}

bool
BView::RemoveChild(BView* child)
{
	if (child == NULL || child->fParent != this)
		return false;
	if (fOwner != NULL && !_CheckLock("RemoveChild"))
		return false;
	if (fOwner != NULL) {
		BRegion area(child->_WindowRect());
		for (BView* p = this; p != NULL; p = p->fParent)
			area.IntersectWith(p->_WindowRect());
		fOwner->_Invalidate(area);
		child->_Detach();
	}
	fChildren.erase(std::find(fChildren.begin(), fChildren.end(), child));
	child->fParent = NULL;
	return true;
}

bool
BView::RemoveSelf()
{
	if (fParent == NULL)
		return false;
	return fParent->RemoveChild(this);
}

BView*
BView::ChildAt(int32 index) const
{
	if (index < 0 || index >= (int32)fChildren.size())
		return NULL;
	return fChildren[index];
}

BView*
BView::NextSibling() const
{
	if (fParent == NULL)
		return NULL;
	auto& siblings = fParent->fChildren;
	auto it = std::find(siblings.begin(), siblings.end(), this);
	return it + 1 < siblings.end() ? *(it + 1) : NULL;
}

BView*
BView::PreviousSibling() const
{
	if (fParent == NULL)
		return NULL;
	auto& siblings = fParent->fChildren;
	auto it = std::find(siblings.begin(), siblings.end(), this);
	return it != siblings.begin() && it != siblings.end() ? *(it - 1) : NULL;
}

BView*
BView::FindView(const char* name) const
{
	if (name == NULL)
		return NULL;
	if (Name() != NULL && strcmp(Name(), name) == 0)
		return const_cast<BView*>(this);
	for (BView* child : fChildren) {
		if (BView* found = child->FindView(name))
			return found;
	}
	return NULL;
}

void
BView::_Attach(BWindow* window)
{
	fOwner = window;
	window->AddHandler(this);
	SetNextHandler(fParent != NULL ? (BHandler*)fParent : (BHandler*)window);
	if ((fFlags & B_PULSE_NEEDED) != 0)
		window->SetPulseRate(window->PulseRate());
	for (BView* child : fChildren)
		child->_Attach(window);
}

void
BView::_CallAttached()
{
	AttachedToWindow();
	for (BView* child : fChildren)
		child->_CallAttached();
}

void
BView::_CallAllAttached()
{
	for (BView* child : fChildren)
		child->_CallAllAttached();
	AllAttached();
}

void
BView::_Detach()
{
	DetachedFromWindow();
	for (BView* child : fChildren)
		child->_Detach();
	AllDetached();
	if (fOwner != NULL) {
		fOwner->_ViewRemoved(this);
		fOwner->RemoveHandler(this);
		fOwner->_ViewTreeChanged();
	}
	fOwner = NULL;
}

// #pragma mark - geometry

BRect
BView::Bounds() const
{
	return BRect(fScroll.x, fScroll.y, fScroll.x + fFrame.Width(), fScroll.y + fFrame.Height());
}

void
BView::MoveTo(BPoint where)
{
	if (fOwner != NULL && !_CheckLock("MoveTo"))
		return;
	_MoveResize(fFrame.OffsetToCopy(roundf(where.x), roundf(where.y)), false);
}

void
BView::MoveBy(float dx, float dy)
{
	MoveTo(fFrame.left + dx, fFrame.top + dy);
}

void
BView::ResizeTo(float width, float height)
{
	if (fOwner != NULL && !_CheckLock("ResizeTo"))
		return;
	_MoveResize(BRect(fFrame.left, fFrame.top, fFrame.left + roundf(width),
					fFrame.top + roundf(height)),
		false);
}

void
BView::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}

void
BView::ScrollTo(BPoint where)
{
	if (fOwner != NULL && !_CheckLock("ScrollTo"))
		return;
	BPoint scroll(roundf(where.x), roundf(where.y));
	if (scroll == fScroll)
		return;
	fScroll = scroll;
	if (fOwner != NULL) {
		fOwner->_ViewTreeChanged();
		Invalidate();
	}
	// The bars show where the view now is.
	if (fHorScroller != NULL)
		fHorScroller->SetValue(fScroll.x);
	if (fVerScroller != NULL)
		fVerScroller->SetValue(fScroll.y);
}

BScrollBar*
BView::ScrollBar(orientation posture) const
{
	return posture == B_VERTICAL ? fVerScroller : fHorScroller;
}

void
BView::ScrollBy(float dx, float dy)
{
	ScrollTo(BPoint(fScroll.x + dx, fScroll.y + dy));
}

void
BView::_MoveResize(BRect newFrame, bool fromParent)
{
	BRect old = fFrame;
	if (newFrame == old)
		return;
	BRegion oldArea;
	if (fOwner != NULL && !IsHidden(NULL)) {
		oldArea.Set(_WindowRect());
		for (BView* p = fParent; p != NULL; p = p->fParent)
			oldArea.IntersectWith(p->_WindowRect());
	}
	fFrame = newFrame;
	float dx = newFrame.Width() - old.Width();
	float dy = newFrame.Height() - old.Height();
	if (dx != 0 || dy != 0) {
		for (BView* child : fChildren)
			child->_ParentResizedBy(dx, dy);
	}
	bool moved = newFrame.LeftTop() != old.LeftTop();
	bool resized = dx != 0 || dy != 0;
	if (fOwner != NULL) {
		fOwner->_ViewTreeChanged();
		if (!IsHidden(NULL)) {
			BRegion area(_WindowRect());
			for (BView* p = fParent; p != NULL; p = p->fParent)
				area.IntersectWith(p->_WindowRect());
			if (moved || (fFlags & B_FULL_UPDATE_ON_RESIZE) != 0) {
				// Where the view was is the parent's again; where it is now
				// is all new.
				if (!fromParent || moved)
					area.Include(&oldArea);
				fOwner->_Invalidate(area);
			} else {
				// Only what the resize uncovered.
				area.Exclude(&oldArea);
				fOwner->_Invalidate(area);
				if (fParent != NULL && !fromParent) {
					BRegion uncovered(oldArea);
					BRegion now(_WindowRect());
					uncovered.Exclude(&now);
					fOwner->_Invalidate(uncovered);
				}
			}
		}
		if ((fFlags & B_FRAME_EVENTS) != 0) {
			if (moved)
				FrameMoved(newFrame.LeftTop());
			if (resized)
				FrameResized(newFrame.Width(), newFrame.Height());
		}
	}
}

void
BView::_ParentResizedBy(float dx, float dy)
{
	uint32 mode = ResizingMode();
	auto horizontal = [dx](uint32 rule) -> float {
		return rule == _VIEW_RIGHT_ ? dx : rule == _VIEW_CENTER_ ? dx / 2 : 0;
	};
	auto vertical = [dy](uint32 rule) -> float {
		return rule == _VIEW_BOTTOM_ ? dy : rule == _VIEW_CENTER_ ? dy / 2 : 0;
	};
	BRect frame = fFrame;
	frame.left += horizontal((mode >> 8) & 0xf);
	frame.right += horizontal(mode & 0xf);
	frame.top += vertical((mode >> 12) & 0xf);
	frame.bottom += vertical((mode >> 4) & 0xf);
	_MoveResize(rounded(frame), true);
}

bool
BView::IsHidden() const
{
	if (fOwner != NULL && fOwner->IsHidden())
		return true;
	return IsHidden(NULL);
}

bool
BView::IsHidden(const BView* lookingFrom) const
{
	for (const BView* view = this; view != NULL && view != lookingFrom; view = view->fParent) {
		if (view->fShowLevel > 0)
			return true;
	}
	return false;
}

BPoint
BView::_WindowOffset() const
{
	BPoint offset;
	for (const BView* view = this; view != NULL; view = view->fParent)
		offset += view->fFrame.LeftTop() - view->fScroll;
	return offset;
}

BRect
BView::_WindowRect() const
{
	return Bounds().OffsetByCopy(_WindowOffset());
}

BRegion
BView::_VisibleRegion() const
{
	BRegion region;
	if (fOwner == NULL || IsHidden(NULL))
		return region;
	BRect rect = _WindowRect();
	for (BView* p = fParent; p != NULL; p = p->fParent)
		rect = rect & p->_WindowRect();
	if (!rect.IsValid())
		return region;
	region.Set(rect);
	if ((fFlags & B_DRAW_ON_CHILDREN) == 0) {
		for (BView* child : fChildren) {
			if (child->fShowLevel <= 0)
				region.Exclude(child->_WindowRect());
		}
	}
	if (fState.hasClip) {
		BRegion clip(fState.clip);
		clip.OffsetBy(_WindowOffset());
		region.IntersectWith(&clip);
	}
	return region;
}

void
BView::ConvertToParent(BPoint* point) const
{
	*point += fFrame.LeftTop() - fScroll;
}

BPoint
BView::ConvertToParent(BPoint point) const
{
	ConvertToParent(&point);
	return point;
}

void
BView::ConvertFromParent(BPoint* point) const
{
	*point -= fFrame.LeftTop() - fScroll;
}

BPoint
BView::ConvertFromParent(BPoint point) const
{
	ConvertFromParent(&point);
	return point;
}

void
BView::ConvertToParent(BRect* rect) const
{
	rect->OffsetBy(fFrame.LeftTop() - fScroll);
}

BRect
BView::ConvertToParent(BRect rect) const
{
	ConvertToParent(&rect);
	return rect;
}

void
BView::ConvertFromParent(BRect* rect) const
{
	rect->OffsetBy(fScroll - fFrame.LeftTop());
}

BRect
BView::ConvertFromParent(BRect rect) const
{
	ConvertFromParent(&rect);
	return rect;
}

void
BView::ConvertToScreen(BPoint* point) const
{
	*point += _WindowOffset();
	if (fOwner != NULL)
		fOwner->ConvertToScreen(point);
}

BPoint
BView::ConvertToScreen(BPoint point) const
{
	ConvertToScreen(&point);
	return point;
}

void
BView::ConvertFromScreen(BPoint* point) const
{
	if (fOwner != NULL)
		fOwner->ConvertFromScreen(point);
	*point -= _WindowOffset();
}

BPoint
BView::ConvertFromScreen(BPoint point) const
{
	ConvertFromScreen(&point);
	return point;
}

void
BView::ConvertToScreen(BRect* rect) const
{
	BPoint leftTop = ConvertToScreen(rect->LeftTop());
	rect->OffsetTo(leftTop);
}

BRect
BView::ConvertToScreen(BRect rect) const
{
	ConvertToScreen(&rect);
	return rect;
}

void
BView::ConvertFromScreen(BRect* rect) const
{
	BPoint leftTop = ConvertFromScreen(rect->LeftTop());
	rect->OffsetTo(leftTop);
}

BRect
BView::ConvertFromScreen(BRect rect) const
{
	ConvertFromScreen(&rect);
	return rect;
}

// #pragma mark - focus and mouse

bool
BView::IsFocus() const
{
	return fOwner != NULL && fOwner->CurrentFocus() == this;
}

status_t
BView::SetMouseEventMask(uint32 mask, uint32 options)
{
	if (fOwner == NULL)
		return B_ERROR;
	fOwner->_SetMouseEventMask(this, mask, options);
	return B_OK;
}

status_t
BView::SetEventMask(uint32 mask, uint32)
{
	// TODO: permanent event masks (for views that watch the mouse anywhere).
	fEventMask = mask;
	return B_OK;
}

void
BView::GetMouse(BPoint* location, uint32* buttons, bool)
{
	BPoint where;
	uint32 pressed = 0;
	if (fOwner != NULL)
		fOwner->_GetMouse(&where, &pressed);
	if (location != NULL)
		*location = where - _WindowOffset();
	if (buttons != NULL)
		*buttons = pressed;
}

// #pragma mark - state

void
BView::SetViewColor(rgb_color color)
{
	if (fViewColor == color)
		return;
	fViewColor = color;
	if (fOwner != NULL && _CheckLock("SetViewColor"))
		Invalidate();
}

void
BView::SetBlendingMode(source_alpha srcAlpha, alpha_function alphaFunc)
{
	fState.sourceAlpha = srcAlpha;
	fState.alphaFunction = alphaFunc;
}

void
BView::GetBlendingMode(source_alpha* srcAlpha, alpha_function* alphaFunc) const
{
	if (srcAlpha != NULL)
		*srcAlpha = fState.sourceAlpha;
	if (alphaFunc != NULL)
		*alphaFunc = fState.alphaFunction;
}

void
BView::PushState()
{
	fStateStack.push_back(fState);
}

void
BView::PopState()
{
	if (fStateStack.empty())
		return;
	bool clipChanged = fState.hasClip || fStateStack.back().hasClip;
	fState = fStateStack.back();
	fStateStack.pop_back();
	if (clipChanged && fOwner != NULL)
		fOwner->_ViewTreeChanged();
}

void
BView::SetFont(const BFont* font, uint32 mask)
{
	if (font != NULL)
		fState.font._CopyFrom(*font, mask);
}

void
BView::GetFont(BFont* font) const
{
	if (font != NULL)
		*font = fState.font;
}

void
BView::SetFontSize(float size)
{
	fState.font.SetSize(size);
}

void
BView::GetFontHeight(font_height* height) const
{
	fState.font.GetHeight(height);
}

float
BView::StringWidth(const char* string) const
{
	return fState.font.StringWidth(string);
}

float
BView::StringWidth(const char* string, int32 length) const
{
	return fState.font.StringWidth(string, length);
}

void
BView::GetClippingRegion(BRegion* region) const
{
	if (region == NULL)
		return;
	*region = _VisibleRegion();
	if (fOwner != NULL && fOwner->_InUpdate())
		region->IntersectWith(&fOwner->_UpdateRegion());
	BPoint offset = _WindowOffset();
	region->OffsetBy(-pixel_coordinate(offset.x), -pixel_coordinate(offset.y));
}

void
BView::ConstrainClippingRegion(BRegion* region)
{
	if (region == NULL) {
		fState.hasClip = false;
		fState.clip.MakeEmpty();
	} else {
		fState.hasClip = true;
		fState.clip = *region;
	}
	if (fOwner != NULL)
		fOwner->_ViewTreeChanged();
}

// #pragma mark - drawing

bool
BView::_CheckLock(const char* call) const
{
	if (fOwner == NULL || fOwner->IsLocked())
		return true;
	fprintf(stderr, "BView(\"%s\")::%s: the window is not locked\n",
		Name() != NULL ? Name() : "", call);
#ifndef NDEBUG
	abort();
#endif
	return false;
}

bool
BView::_BeginDraw()
{
	if (fOwner == NULL || !_CheckLock("drawing"))
		return false;
	Painter* painter = fOwner->_Painter();
	uint32 generation = fOwner->_ClipGeneration();
	if (fOwner->_DrawingView() != this || fOwner->_DrawingGeneration() != generation) {
		BRegion clip = _VisibleRegion();
		if (fOwner->_InUpdate())
			clip.IntersectWith(&fOwner->_UpdateRegion());
		painter->SetClip(&clip);
		fOwner->_SetDrawingView(this, generation);
	}
	PainterState& state = painter->State();
	state.origin = _WindowOffset() + fState.origin;
	state.high = fState.high;
	state.low = fState.low;
	state.mode = fState.mode;
	state.sourceAlpha = fState.sourceAlpha;
	state.alphaFunction = fState.alphaFunction;
	return true;
}

void
BView::_EndDraw()
{
	if (!fOwner->_InUpdate())
		fOwner->_DrewOutsideUpdate(fOwner->_Painter()->State().clip);
}

void
BView::StrokeLine(BPoint to, pattern p)
{
	StrokeLine(fState.pen, to, p);
}

void
BView::StrokeLine(BPoint from, BPoint to, pattern p)
{
	fState.pen = to;
	if (!_BeginDraw())
		return;
	fOwner->_Painter()->StrokeLine(from, to, p);
	_EndDraw();
}

void
BView::StrokeRect(BRect rect, pattern p)
{
	if (!_BeginDraw())
		return;
	fOwner->_Painter()->StrokeRect(rect, p);
	_EndDraw();
}

void
BView::FillRect(BRect rect, pattern p)
{
	if (!_BeginDraw())
		return;
	fOwner->_Painter()->FillRect(rect, p);
	_EndDraw();
}

void
BView::FillRegion(BRegion* region, pattern p)
{
	if (region == NULL || !_BeginDraw())
		return;
	fOwner->_Painter()->FillRegion(*region, p);
	_EndDraw();
}

void
BView::InvertRect(BRect rect)
{
	if (!_BeginDraw())
		return;
	fOwner->_Painter()->InvertRect(rect);
	_EndDraw();
}

void
BView::DrawString(const char* string, escapement_delta* delta)
{
	DrawString(string, string != NULL ? (int32)strlen(string) : 0, fState.pen, delta);
}

void
BView::DrawString(const char* string, BPoint where, escapement_delta* delta)
{
	DrawString(string, string != NULL ? (int32)strlen(string) : 0, where, delta);
}

void
BView::DrawString(const char* string, int32 length, escapement_delta* delta)
{
	DrawString(string, length, fState.pen, delta);
}

void
BView::DrawString(const char* string, int32 length, BPoint where, escapement_delta*)
{
	if (string == NULL || length <= 0)
		return;
	length = (int32)strnlen(string, length);
	float width;
	if (_BeginDraw()) {
		fOwner->_Painter()->State().font = fState.font;
		width = fOwner->_Painter()->DrawString(string, length, where);
		_EndDraw();
	} else
		width = fState.font.StringWidth(string, length);
	fState.pen = BPoint(where.x + width, where.y);
}

void
BView::DrawBitmap(const BBitmap* bitmap)
{
	DrawBitmap(bitmap, fState.pen);
}

void
BView::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
	if (bitmap == NULL)
		return;
	DrawBitmap(bitmap, bitmap->Bounds(), bitmap->Bounds().OffsetToCopy(where));
}

void
BView::DrawBitmap(const BBitmap* bitmap, BRect destination)
{
	if (bitmap == NULL)
		return;
	DrawBitmap(bitmap, bitmap->Bounds(), destination);
}

void
BView::DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination)
{
	if (bitmap == NULL || !_BeginDraw())
		return;
	fOwner->_Painter()->DrawBitmap(bitmap, source, destination);
	_EndDraw();
}

void
BView::Invalidate()
{
	Invalidate(Bounds());
}

void
BView::Invalidate(BRect rect)
{
	if (fOwner == NULL || !_CheckLock("Invalidate") || IsHidden(NULL))
		return;
	BRect area = rect.OffsetByCopy(_WindowOffset()) & _WindowRect();
	for (BView* p = fParent; p != NULL; p = p->fParent)
		area = area & p->_WindowRect();
	if (area.IsValid())
		fOwner->_Invalidate(BRegion(area));
}

void
BView::Invalidate(const BRegion* region)
{
	if (region == NULL || fOwner == NULL)
		return;
	for (int32 i = 0; i < region->CountRects(); i++)
		Invalidate(region->RectAt(i));
}

void
BView::Flush() const
{
	if (fOwner != NULL)
		fOwner->Flush();
}

void
BView::Sync() const
{
	if (fOwner != NULL)
		fOwner->Sync();
}

// #pragma mark - the window's walks

BView*
BView::DrawingNow()
{
	return sDrawingNow;
}

void
BView::_DrawTree(const BRegion& update)
{
	if (fShowLevel > 0)
		return;
	BRect rect = _WindowRect();
	for (BView* p = fParent; p != NULL; p = p->fParent)
		rect = rect & p->_WindowRect();
	if (!rect.IsValid() || !update.Intersects(rect))
		return;
	BRegion area(update);
	area.IntersectWith(rect);

	BRegion own(area);
	if ((fFlags & B_DRAW_ON_CHILDREN) == 0) {
		for (BView* child : fChildren) {
			if (child->fShowLevel <= 0)
				own.Exclude(child->_WindowRect());
		}
	}
	Painter* painter = fOwner->_Painter();
	BPoint offset = _WindowOffset();
	BRect updateRect = own.Frame().OffsetByCopy(-offset.x, -offset.y);
	if (own.CountRects() > 0) {
		if (fViewColor != B_TRANSPARENT_COLOR) {
			painter->PushState();
			painter->SetClip(NULL);
			PainterState& state = painter->State();
			state.origin = BPoint(0, 0);
			state.high = fViewColor;
			state.mode = B_OP_COPY;
			painter->FillRegion(own);
			painter->PopState();
		}
		if ((fFlags & B_WILL_DRAW) != 0) {
			// What Draw() changes of the state stays in Draw().
			State saved = fState;
			size_t depth = fStateStack.size();
			fOwner->_SetDrawingView(NULL, 0);
			BView* outer = sDrawingNow;
			sDrawingNow = this;
			Draw(updateRect);
			sDrawingNow = outer;
			fOwner->_SetDrawingView(NULL, 0);
			fStateStack.resize(depth < fStateStack.size() ? depth : fStateStack.size());
			fState = saved;
		}
	}
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_DrawTree(update);
	if ((fFlags & (B_WILL_DRAW | B_DRAW_ON_CHILDREN)) == (B_WILL_DRAW | B_DRAW_ON_CHILDREN)) {
		State saved = fState;
		fOwner->_SetDrawingView(NULL, 0);
		BView* outer = sDrawingNow;
		sDrawingNow = this;
		DrawAfterChildren(area.Frame().OffsetByCopy(-offset.x, -offset.y));
		sDrawingNow = outer;
		fOwner->_SetDrawingView(NULL, 0);
		fState = saved;
	}
}

BView*
BView::_ViewAt(BPoint windowPoint)
{
	if (fShowLevel > 0 || !_WindowRect().Contains(windowPoint))
		return NULL;
	for (auto it = fChildren.rbegin(); it != fChildren.rend(); ++it) {
		if (BView* view = (*it)->_ViewAt(windowPoint))
			return view;
	}
	return this;
}

void
BView::_Pulse()
{
	if ((fFlags & B_PULSE_NEEDED) != 0)
		Pulse();
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_Pulse();
}

void
BView::_WindowActivated(bool active)
{
	WindowActivated(active);
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_WindowActivated(active);
}

void
BView::_CollectNavigable(std::vector<BView*>& views)
{
	if (fShowLevel > 0)
		return;
	if ((fFlags & B_NAVIGABLE) != 0)
		views.push_back(this);
	for (BView* child : fChildren)
		child->_CollectNavigable(views);
}
