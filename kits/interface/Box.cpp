#include <Box.h>

#include <ControlLook.h>

#include <math.h>

static const float kLabelLeft = 10;
static const float kLabelGap = 4;

BBox::BBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags,
	border_style border)
	: BView(frame, name, resizingMode, flags | B_WILL_DRAW | B_FRAME_EVENTS),
	  fBorder(border)
{
	SetFont(be_bold_font);
	SetViewColor(control_look().Panel());
	SetLowColor(control_look().Panel());
}

BBox::~BBox()
{
}

void
BBox::AttachedToWindow()
{
	BView::AttachedToWindow();
	if (Parent() != NULL && Parent()->ViewColor() != B_TRANSPARENT_COLOR) {
		SetViewColor(Parent()->ViewColor());
		SetLowColor(Parent()->ViewColor());
	}
}

void
BBox::Draw(BRect)
{
	ControlLook& look = control_look();
	BRect bounds = Bounds();
	bounds.top = _TopBorder();
	look.DrawBoxBorder(this, bounds, fBorder);
	if (Label() == NULL)
		return;
	font_height height;
	GetFontHeight(&height);
	float width = StringWidth(Label());
	// The label sits in a gap of the top edge.
	SetHighColor(ViewColor());
	FillRect(BRect(kLabelLeft - kLabelGap, 0, kLabelLeft + width + kLabelGap - 1,
		_LabelHeight() - 1));
	look.DrawLabel(this, Label(), BPoint(kLabelLeft, ceilf(height.ascent)), 0);
}

void
BBox::FrameResized(float width, float height)
{
	BView::FrameResized(width, height);
	Invalidate();
}

void
BBox::SetBorder(border_style border)
{
	fBorder = border;
	if (Window() != NULL)
		Invalidate();
}

void
BBox::SetLabel(const char* label)
{
	if (fLabelView != NULL) {
		fLabelView->RemoveSelf();
		delete fLabelView;
		fLabelView = NULL;
	}
	fLabel = label;
	if (Window() != NULL)
		Invalidate();
}

status_t
BBox::SetLabel(BView* viewLabel)
{
	SetLabel((const char*)NULL);
	if (viewLabel != NULL) {
		fLabelView = viewLabel;
		viewLabel->MoveTo(kLabelLeft, 0);
		AddChild(viewLabel);
	}
	return B_OK;
}

BRect
BBox::InnerFrame() const
{
	float inset = fBorder == B_FANCY_BORDER ? 2 : fBorder == B_PLAIN_BORDER ? 1 : 0;
	BRect frame = Bounds().InsetByCopy(inset, inset);
	float label = _LabelHeight();
	if (label > frame.top)
		frame.top = label;
	return frame;
}

float
BBox::_LabelHeight() const
{
	if (fLabelView != NULL)
		return fLabelView->Bounds().Height() + 1;
	if (Label() == NULL)
		return 0;
	font_height height;
	GetFontHeight(&height);
	return ceilf(height.ascent) + ceilf(height.descent);
}

float
BBox::_TopBorder() const
{
	return floorf(_LabelHeight() / 2);
}
