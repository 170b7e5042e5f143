#include "TabView.h"

#include <Font.h>

#include <math.h>
#include <string.h>

static const rgb_color kViewColor = {216, 216, 216, 255};
static const rgb_color kWhite = {255, 255, 255, 255};
static const rgb_color kBlack = {0, 0, 0, 255};
static const rgb_color kCorner = {190, 190, 190, 255};
static const rgb_color kShadow = {152, 152, 152, 255};

TabView::TabView(BRect frame, const char* name, const char** tabNames, int32 count,
	uint32 resizingMode, uint32 flags, const BFont* font)
	: BView(frame, name, resizingMode, flags),
	  fTabNames(NULL),
	  fPages(NULL),
	  fCount(count > 0 ? count : 0),
	  fSelected(0),
	  fBounds(0, 0, -1, -1),
	  fContentArea(0, 0, -1, -1)
{
	fTabNames = new char*[fCount];
	fPages = new BView*[fCount];
	fTabFrames = new BRect[fCount];
	fLabelFrames = new BRect[fCount];
	fLabelPoints = new BPoint[fCount];
	const char** labels = new const char*[fCount];
	int32* lengths = new int32[fCount];
	float* widths = new float[fCount];
	for (int32 i = 0; i < fCount; i++) {
		const char* label = tabNames != NULL && tabNames[i] != NULL ? tabNames[i] : "";
		size_t length = strlen(label);
		fTabNames[i] = new char[length + 1];
		memcpy(fTabNames[i], label, length + 1);
		fPages[i] = NULL;
		labels[i] = fTabNames[i];
		lengths[i] = (int32)length;
	}

	SetFont(font != NULL ? font : be_plain_font, B_FONT_ALL);
	SetViewColor(kViewColor);

	BFont viewFont;
	GetFont(&viewFont);
	font_height height;
	viewFont.GetHeight(&height);
	float ascent = ceilf(height.ascent);
	float descent = ceilf(height.descent);
	float textHeight = ascent + descent;
	float tabHeight = textHeight + 10;

	viewFont.GetStringWidths(labels, lengths, fCount, widths);
	float widest = 0;
	for (int32 i = 0; i < fCount; i++)
		widest = widths[i] > widest ? widths[i] : widest;
	float labelSpace = widest + 18;
	float pitch = labelSpace + 2;

	for (int32 i = 0; i < fCount; i++) {
		fTabFrames[i] = BRect(pitch * i, 0, pitch * (i + 1) - 1, tabHeight);
		float left = fTabFrames[i].left + floorf((labelSpace - widths[i]) / 2);
		float top = fTabFrames[i].top + 5;
		fLabelFrames[i] = BRect(left, top, left + widths[i], top + textHeight);
		fLabelPoints[i] = BPoint(left, top + ascent);
	}
	delete[] labels;
	delete[] lengths;
	delete[] widths;

	fBounds = Bounds();
	fContentArea = BRect(fBounds.left + 1, tabHeight + 1, fBounds.right - 1, fBounds.bottom - 1);
}

TabView::~TabView()
{
	for (int32 i = 0; i < fCount; i++)
		delete[] fTabNames[i];
	delete[] fTabNames;
	// The pages are children, deleted with the view.
	delete[] fPages;
	delete[] fTabFrames;
	delete[] fLabelFrames;
	delete[] fLabelPoints;
}

rgb_color
TabView::_OtherTabColor() const
{
	rgb_color view = ViewColor();
	return make_color((view.red + kShadow.red) / 2, (view.green + kShadow.green) / 2,
		(view.blue + kShadow.blue) / 2, 255);
}

void
TabView::Draw(BRect updateRect)
{
	if (fCount == 0)
		return;
	BRegion clip;
	GetClippingRegion(&clip);
	BRect bounds = Bounds();
	float bottom = fTabFrames[0].bottom;

	for (int32 i = 0; i < fCount; i++) {
		BRect tab = fTabFrames[i];
		if (!clip.Intersects(tab))
			continue;
		bool selected = i == fSelected;
		rgb_color fill = selected ? ViewColor() : _OtherTabColor();
		SetHighColor(fill);
		SetLowColor(fill);
		FillRect(BRect(tab.left + 1, tab.top + 1, tab.right - 2, selected ? bottom : bottom - 1));

		if (clip.Intersects(fLabelFrames[i])) {
			SetHighColor(kBlack);
			DrawString(fTabNames[i], fLabelPoints[i]);
		}

		SetHighColor(kWhite);
		MovePenTo(tab.left, i == 0 ? bottom : bottom - 1);
		StrokeLine(BPoint(tab.left, tab.top + 2));
		StrokeLine(BPoint(tab.left + 2, tab.top));
		StrokeLine(BPoint(tab.right - 4, tab.top));

		SetHighColor(kCorner);
		MovePenTo(tab.right - 3, tab.top);
		StrokeLine(BPoint(tab.right - 2, tab.top + 1));

		SetHighColor(kShadow);
		MovePenTo(tab.right - 1, tab.top + 2);
		StrokeLine(BPoint(tab.right - 1, bottom - 1));
	}

	// The frame of the content area, open under the selected tab.
	SetHighColor(kWhite);
	if (updateRect.left <= bounds.left)
		StrokeLine(BPoint(bounds.left, bounds.bottom), BPoint(bounds.left, bottom + 1));
	BRect selected = fTabFrames[fSelected];
	if (updateRect.top <= bottom && updateRect.bottom >= bottom) {
		if (fSelected != 0 && updateRect.left <= selected.left)
			StrokeLine(BPoint(bounds.left, bottom), BPoint(selected.left, bottom));
		// Drawn whenever the line reaches into the update, so that a strip
		// right of the tabs (after a resize) gets its part of it.
		if (selected.right - 1 <= updateRect.right && selected.right - 1 < bounds.right)
			StrokeLine(BPoint(selected.right - 1, bottom), BPoint(bounds.right, bottom));
	}

	SetHighColor(kShadow);
	float start = bottom + 1;
	if (bounds.right <= fTabFrames[fCount - 1].right) {
		// Narrower than the row of tabs: the edge starts where the tab it
		// crosses has its own shaded side.
		for (int32 i = 0; i < fCount; i++) {
			if (bounds.right >= fTabFrames[i].left && bounds.right <= fTabFrames[i].right) {
				start = fTabFrames[i].top + 2;
				break;
			}
		}
	}
	StrokeLine(BPoint(bounds.right, start), BPoint(bounds.right, bounds.bottom));
	if (updateRect.bottom >= bounds.bottom)
		StrokeLine(BPoint(bounds.left + 1, bounds.bottom));
}

void
TabView::MouseDown(BPoint where)
{
	for (int32 i = 0; i < fCount; i++) {
		if (fTabFrames[i].Contains(where)) {
			if (i != fSelected)
				SelectTab(i);
			break;
		}
	}
	MakeFocus(true);
}

void
TabView::FrameResized(float, float)
{
	BRect bounds = Bounds();
	if (bounds.right != fBounds.right) {
		Invalidate(BRect(fminf(fBounds.right, bounds.right), bounds.top,
			fmaxf(fBounds.right, bounds.right), bounds.bottom));
	}
	if (bounds.bottom != fBounds.bottom) {
		Invalidate(BRect(bounds.left, fminf(fBounds.bottom, bounds.bottom), bounds.right,
			fmaxf(fBounds.bottom, bounds.bottom)));
	}
	fBounds = bounds;
	// The area below the tabs is inside the new frame line.
	fContentArea.right = bounds.right - 1;
	fContentArea.bottom = bounds.bottom - 1;
}

void
TabView::AddViews(BView** views)
{
	if (views == NULL)
		return;
	for (int32 i = 0; i < fCount; i++) {
		fPages[i] = views[i];
		if (views[i] == NULL)
			continue;
		if (i != fSelected)
			views[i]->Hide();
		AddChild(views[i]);
	}
}

void
TabView::SelectTab(int32 index)
{
	// An index without a tab would reach past the arrays.
	if (index == fSelected || index < 0 || index >= fCount)
		return;
	Invalidate(fTabFrames[fSelected]);
	if (fPages[fSelected] != NULL)
		fPages[fSelected]->Hide();
	fSelected = index;
	Invalidate(fTabFrames[fSelected]);
	if (fPages[fSelected] != NULL)
		fPages[fSelected]->Show();
}

float
TabView::GetTabsWidth() const
{
	return fCount > 0 ? fTabFrames[fCount - 1].right + 3 : 3;
}

BRect
TabView::TabFrame(int32 index) const
{
	return index >= 0 && index < fCount ? fTabFrames[index] : BRect();
}

BRect
TabView::LabelFrame(int32 index) const
{
	return index >= 0 && index < fCount ? fLabelFrames[index] : BRect();
}

BPoint
TabView::LabelPoint(int32 index) const
{
	return index >= 0 && index < fCount ? fLabelPoints[index] : BPoint();
}
