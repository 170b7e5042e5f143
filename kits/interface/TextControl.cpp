#include <TextControl.h>

#include <Window.h>

#include <ControlLook.h>

#include <math.h>
#include <string.h>

#include <string>

static const float kFrameInset = 2;
static const float kLabelSpacing = 6;

// The field inside: one line, Tab moves on, Enter and losing the focus
// tell the control, line breaks typed or pasted become spaces.
class BTextControlInput : public BTextView {
public:
	BTextControlInput(BRect frame, BRect textRect, BTextControl* control)
		: BTextView(frame, "_input_", textRect, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
			  B_WILL_DRAW | B_NAVIGABLE | B_FRAME_EVENTS),
		  fControl(control)
	{
		SetWordWrap(false);
	}

	void KeyDown(const char* bytes, int32 numBytes) override
	{
		if (numBytes == 1 && bytes[0] == B_TAB) {
			BView::KeyDown(bytes, numBytes);
			return;
		}
		if (numBytes == 1 && bytes[0] == B_ENTER) {
			if (fControl->IsEnabled()) {
				_CommitIfChanged();
				SelectAll();
			}
			return;
		}
		BTextView::KeyDown(bytes, numBytes);
	}

	void MakeFocus(bool focus) override
	{
		// The window moves the focus first and then tells the view that lost
		// it, so IsFocus() cannot say whether this view had it.
		bool had = fHadFocus;
		BTextView::MakeFocus(focus);
		fHadFocus = IsFocus();
		if (fHadFocus && !had) {
			fPrevious = Text();
			SelectAll();
		} else if (!fHadFocus && had) {
			_CommitIfChanged();
			Select(TextLength(), TextLength());
			ScrollTo(0, Bounds().top);
		}
		if (fControl->Window() != NULL)
			fControl->Invalidate();
	}

	void FrameResized(float width, float height) override
	{
		BRect rect = TextRect();
		rect.right = rect.left + width - 2 * rect.left;
		SetTextRect(rect);
		BTextView::FrameResized(width, height);
	}

	void SetPrevious(const char* text) { fPrevious = text != NULL ? text : ""; }

protected:
	void InsertText(const char* text, int32 length, int32 offset,
		const text_run_array* runs) override
	{
		std::string line(text, length);
		for (char& c : line) {
			if (c == '\n' || c == '\r')
				c = ' ';
		}
		BTextView::InsertText(line.data(), length, offset, runs);
		fControl->_Modified();
	}

	void DeleteText(int32 fromOffset, int32 toOffset) override
	{
		BTextView::DeleteText(fromOffset, toOffset);
		fControl->_Modified();
	}

private:
	void _CommitIfChanged()
	{
		if (fPrevious == Text())
			return;
		fPrevious = Text();
		fControl->Invoke();
	}

	BTextControl* fControl;
	std::string fPrevious;
	bool fHadFocus = false;
};

BTextControl::BTextControl(BRect frame, const char* name, const char* label,
	const char* initialText, BMessage* message, uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, (flags | B_WILL_DRAW) & ~B_NAVIGABLE)
{
	// As on R5, the control is exactly one line of its font high, whatever
	// the frame's height: taller frames would cover their neighbours.
	float needed = _LineHeight() + 2 * kFrameInset + 1;
	if (Frame().Height() != needed)
		ResizeTo(Frame().Width() >= 0 ? Frame().Width() : 0, needed);

	if (label != NULL && label[0] != '\0') {
		fDivider = floorf(Bounds().Width() / 2);
		float labelWidth = ceilf(StringWidth(label)) + kLabelSpacing;
		if (fDivider < labelWidth)
			fDivider = labelWidth;
	}
	BRect field = _FieldFrame().InsetByCopy(kFrameInset, kFrameInset);
	BRect textRect(2, 1, field.Width() - 2, _LineHeight());
	fText = new BTextControlInput(field, textRect, this);
	BFont font;
	GetFont(&font);
	fText->SetFontAndColor(&font);
	fText->SetText(initialText);
	fText->SetPrevious(initialText);
	if ((flags & B_NAVIGABLE) == 0)
		fText->SetFlags(fText->Flags() & ~B_NAVIGABLE);
	AddChild(fText);
	_LayoutField();
}

BTextControl::~BTextControl()
{
	delete fModificationMessage;
}

void
BTextControl::Draw(BRect)
{
	ControlLook& look = control_look();
	uint32 flags = IsEnabled() ? 0 : ControlLook::kDisabled;
	if (fText->IsFocus() && Window() != NULL && Window()->IsActive())
		flags |= ControlLook::kFocused;
	BRect field = _FieldFrame();
	look.DrawSunkenFrame(this, field, flags);

	if (Label() == NULL)
		return;
	font_height height;
	GetFontHeight(&height);
	float baseline = fText->Frame().top + fText->TextRect().top + ceilf(height.ascent);
	float width = StringWidth(Label());
	float x = 0;
	if (fLabelAlignment == B_ALIGN_RIGHT)
		x = fDivider - kLabelSpacing - width;
	else if (fLabelAlignment == B_ALIGN_CENTER)
		x = floorf((fDivider - width) / 2);
	look.DrawLabel(this, Label(), BPoint(x, baseline), flags & ControlLook::kDisabled);
}

void
BTextControl::MouseDown(BPoint)
{
	if (IsEnabled() && !fText->IsFocus())
		fText->MakeFocus(true);
}

void
BTextControl::AttachedToWindow()
{
	BControl::AttachedToWindow();
	// The field stays white on any panel.
	fText->SetViewColor(IsEnabled() ? make_color(255, 255, 255)
									: tint_color(ViewColor(), B_LIGHTEN_1_TINT));
	fText->SetLowColor(fText->ViewColor());
}

void
BTextControl::MakeFocus(bool focus)
{
	fText->MakeFocus(focus);
}

void
BTextControl::WindowActivated(bool active)
{
	BControl::WindowActivated(active);
	if (fText->IsFocus())
		Invalidate();
}

void
BTextControl::FrameResized(float width, float height)
{
	BControl::FrameResized(width, height);
	_LayoutField();
	Invalidate();
}

void
BTextControl::GetPreferredSize(float* width, float* height)
{
	if (width != NULL) {
		float labelWidth = Label() != NULL ? ceilf(StringWidth(Label())) + kLabelSpacing : 0;
		*width = std::max(Bounds().Width(), labelWidth + 40);
	}
	if (height != NULL)
		*height = _LineHeight() + 2 * kFrameInset + 1;
}

void
BTextControl::SetEnabled(bool enabled)
{
	if (enabled == IsEnabled())
		return;
	BControl::SetEnabled(enabled);
	fText->MakeEditable(enabled);
	fText->MakeSelectable(enabled);
	fText->SetFlags(enabled ? fText->Flags() | B_NAVIGABLE : fText->Flags() & ~B_NAVIGABLE);
	if (!enabled && fText->IsFocus())
		fText->MakeFocus(false);
	rgb_color color = enabled ? make_color(255, 255, 255)
							  : tint_color(ViewColor(), B_LIGHTEN_1_TINT);
	fText->SetViewColor(color);
	fText->SetLowColor(color);
	rgb_color textColor = enabled ? make_color(0, 0, 0)
								  : tint_color(ViewColor(), B_DISABLED_LABEL_TINT);
	fText->SetFontAndColor(NULL, 0, &textColor);
	if (Window() != NULL)
		fText->Invalidate();
}

void
BTextControl::SetLabel(const char* label)
{
	BControl::SetLabel(label);
}

void
BTextControl::SetText(const char* text)
{
	fText->SetText(text);
	fText->SetPrevious(text);
}

const char*
BTextControl::Text() const
{
	return fText->Text();
}

BTextView*
BTextControl::TextView() const
{
	return fText;
}

void
BTextControl::SetModificationMessage(BMessage* message)
{
	delete fModificationMessage;
	fModificationMessage = message;
}

void
BTextControl::SetAlignment(alignment label, alignment text)
{
	fLabelAlignment = label;
	fText->SetAlignment(text);
	if (Window() != NULL)
		Invalidate();
}

void
BTextControl::GetAlignment(alignment* label, alignment* text) const
{
	if (label != NULL)
		*label = fLabelAlignment;
	if (text != NULL)
		*text = fText->Alignment();
}

void
BTextControl::SetDivider(float dividingLine)
{
	fDivider = floorf(dividingLine);
	_LayoutField();
	if (Window() != NULL)
		Invalidate();
}

float
BTextControl::_LineHeight() const
{
	font_height height;
	GetFontHeight(&height);
	return ceilf(height.ascent + height.descent + height.leading);
}

BRect
BTextControl::_FieldFrame() const
{
	// The field keeps its own height, centred in a frame that may be taller.
	BRect bounds = Bounds();
	float height = _LineHeight() + 2 * kFrameInset + 1;
	float top = floorf((bounds.Height() - height) / 2);
	if (top < 0)
		top = 0;
	return BRect(fDivider, top, bounds.right, top + height);
}

void
BTextControl::_LayoutField()
{
	if (fText == NULL)
		return;
	BRect field = _FieldFrame().InsetByCopy(kFrameInset, kFrameInset);
	fText->MoveTo(field.LeftTop());
	fText->ResizeTo(field.Width(), field.Height());
	BRect rect = fText->TextRect();
	rect.right = rect.left + field.Width() - 2 * rect.left;
	fText->SetTextRect(rect);
}

void
BTextControl::_Modified()
{
	if (fModificationMessage != NULL)
		Invoke(fModificationMessage);
}
