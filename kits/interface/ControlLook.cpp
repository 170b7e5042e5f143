#include <ControlLook.h>

#include <View.h>

#include <math.h>

static const rgb_color kWhite = {255, 255, 255, 255};
static const rgb_color kBlack = {0, 0, 0, 255};

static rgb_color
shade(rgb_color base, float tint)
{
	return tint_color(base, tint);
}

ControlLook&
control_look()
{
	static ControlLook look;
	return look;
}

rgb_color
ControlLook::Navigation() const
{
	return ui_color(B_KEYBOARD_NAVIGATION_COLOR);
}

void
ControlLook::_Bevel(BView* view, BRect r, rgb_color topLeft, rgb_color bottomRight)
{
	view->SetHighColor(topLeft);
	view->StrokeLine(BPoint(r.left, r.bottom), BPoint(r.left, r.top));
	view->StrokeLine(BPoint(r.right, r.top));
	view->SetHighColor(bottomRight);
	view->StrokeLine(BPoint(r.right, r.top + 1), BPoint(r.right, r.bottom));
	view->StrokeLine(BPoint(r.left + 1, r.bottom));
}

void
ControlLook::DrawDefaultFrame(BView* view, BRect& rect, uint32 flags)
{
	view->SetDrawingMode(B_OP_COPY);
	view->SetHighColor((flags & kDisabled) != 0 ? shade(fPanel, B_DARKEN_2_TINT) : kBlack);
	view->StrokeRect(rect);
	rect.InsetBy(1, 1);
	view->SetHighColor(fPanel);
	view->StrokeRect(rect);
	rect.InsetBy(1, 1);
	view->StrokeRect(rect);
	rect.InsetBy(1, 1);
}

void
ControlLook::DrawButton(BView* view, BRect& rect, uint32 flags)
{
	bool disabled = (flags & kDisabled) != 0;
	bool pushed = (flags & kActivated) != 0;
	view->SetDrawingMode(B_OP_COPY);

	// A dark outline with its corners left out, as R5 rounds them.
	view->SetHighColor(shade(fPanel, disabled ? B_DARKEN_2_TINT : B_DARKEN_4_TINT));
	view->StrokeLine(BPoint(rect.left + 1, rect.top), BPoint(rect.right - 1, rect.top));
	view->StrokeLine(BPoint(rect.left + 1, rect.bottom), BPoint(rect.right - 1, rect.bottom));
	view->StrokeLine(BPoint(rect.left, rect.top + 1), BPoint(rect.left, rect.bottom - 1));
	view->StrokeLine(BPoint(rect.right, rect.top + 1), BPoint(rect.right, rect.bottom - 1));
	view->SetHighColor(fPanel);
	view->FillRect(BRect(rect.left, rect.top, rect.left, rect.top));
	view->FillRect(BRect(rect.right, rect.top, rect.right, rect.top));
	view->FillRect(BRect(rect.left, rect.bottom, rect.left, rect.bottom));
	view->FillRect(BRect(rect.right, rect.bottom, rect.right, rect.bottom));
	rect.InsetBy(1, 1);

	rgb_color face = pushed ? shade(fPanel, B_DARKEN_1_TINT) : shade(fPanel, B_LIGHTEN_1_TINT);
	if (disabled)
		face = shade(fPanel, B_LIGHTEN_2_TINT);
	if (pushed)
		_Bevel(view, rect, shade(fPanel, B_DARKEN_2_TINT), face);
	else if (disabled)
		_Bevel(view, rect, kWhite, shade(fPanel, B_DARKEN_1_TINT));
	else {
		_Bevel(view, rect, kWhite, shade(fPanel, B_DARKEN_2_TINT));
		_Bevel(view, rect.InsetByCopy(1, 1), shade(fPanel, B_LIGHTEN_2_TINT),
			shade(fPanel, B_DARKEN_1_TINT));
	}
	rect.InsetBy(pushed || disabled ? 1 : 2, pushed || disabled ? 1 : 2);
	view->SetHighColor(face);
	view->FillRect(rect);
	view->SetLowColor(face);
}

float
ControlLook::LabelBaseline(BView* view, BRect rect) const
{
	font_height height;
	view->GetFontHeight(&height);
	float ascent = ceilf(height.ascent);
	float descent = ceilf(height.descent);
	return floorf((rect.top + rect.bottom + 1 + ascent - descent) / 2) - 1;
}

void
ControlLook::DrawLabel(BView* view, const char* label, BRect rect, uint32 flags,
	alignment align)
{
	if (label == NULL)
		return;
	float width = view->StringWidth(label);
	float x = rect.left;
	if (align == B_ALIGN_CENTER)
		x = floorf((rect.left + rect.right + 1 - width) / 2);
	else if (align == B_ALIGN_RIGHT)
		x = rect.right + 1 - width;
	float baseline = LabelBaseline(view, rect);

	view->SetDrawingMode(B_OP_OVER);
	view->SetHighColor((flags & kDisabled) != 0 ? shade(fPanel, B_DISABLED_LABEL_TINT) : kBlack);
	view->DrawString(label, BPoint(x, baseline));
	view->SetDrawingMode(B_OP_COPY);

	if ((flags & kFocused) != 0 && (flags & kDisabled) == 0) {
		// R5 underlines the label of the control that has the keyboard.
		view->SetHighColor(Navigation());
		view->StrokeLine(BPoint(x, baseline + 2), BPoint(x + width - 1, baseline + 2));
		view->SetHighColor(kWhite);
		view->StrokeLine(BPoint(x, baseline + 3), BPoint(x + width - 1, baseline + 3));
	}
}

void
ControlLook::DrawLabel(BView* view, const char* label, BPoint where, uint32 flags)
{
	if (label == NULL)
		return;
	view->SetDrawingMode(B_OP_OVER);
	view->SetHighColor((flags & kDisabled) != 0 ? shade(fPanel, B_DISABLED_LABEL_TINT) : kBlack);
	view->DrawString(label, where);
	view->SetDrawingMode(B_OP_COPY);
}

void
ControlLook::DrawCheckBox(BView* view, BRect box, uint32 flags)
{
	bool disabled = (flags & kDisabled) != 0;
	view->SetDrawingMode(B_OP_COPY);
	_Bevel(view, box, shade(fPanel, B_DARKEN_1_TINT), kWhite);
	box.InsetBy(1, 1);
	_Bevel(view, box, shade(fPanel, disabled ? B_DARKEN_2_TINT : B_DARKEN_4_TINT), fPanel);
	box.InsetBy(1, 1);
	view->SetHighColor(disabled ? fPanel : kWhite);
	view->FillRect(box);

	if ((flags & kActivated) != 0) {
		// An X two pixels thick, one pixel clear of the inner edge.
		BRect mark = box.InsetByCopy(1, 1);
		view->SetHighColor(disabled ? shade(fPanel, B_DARKEN_2_TINT) : kBlack);
		view->StrokeLine(mark.LeftTop(), mark.RightBottom());
		view->StrokeLine(BPoint(mark.left + 1, mark.top), BPoint(mark.right, mark.bottom - 1));
		view->StrokeLine(mark.LeftBottom(), mark.RightTop());
		view->StrokeLine(BPoint(mark.left + 1, mark.bottom), BPoint(mark.right, mark.top + 1));
	}
}

void
ControlLook::DrawSunkenFrame(BView* view, BRect& rect, uint32 flags)
{
	view->SetDrawingMode(B_OP_COPY);
	_Bevel(view, rect, shade(fPanel, B_DARKEN_1_TINT), kWhite);
	rect.InsetBy(1, 1);
	if ((flags & kFocused) != 0 && (flags & kDisabled) == 0) {
		view->SetHighColor(Navigation());
		view->StrokeRect(rect);
	} else {
		_Bevel(view, rect,
			shade(fPanel, (flags & kDisabled) != 0 ? B_DARKEN_2_TINT : B_DARKEN_4_TINT), fPanel);
	}
	rect.InsetBy(1, 1);
}

void
ControlLook::DrawPlainFrame(BView* view, BRect& rect, uint32 flags)
{
	view->SetDrawingMode(B_OP_COPY);
	if ((flags & kFocused) != 0 && (flags & kDisabled) == 0)
		view->SetHighColor(Navigation());
	else
		view->SetHighColor(shade(fPanel, B_DARKEN_2_TINT));
	view->StrokeRect(rect);
	rect.InsetBy(1, 1);
}

void
ControlLook::DrawScrollBarTrack(BView* view, BRect rect, uint32 flags)
{
	view->SetDrawingMode(B_OP_COPY);
	if ((flags & kDisabled) != 0) {
		view->SetHighColor(fPanel);
		view->FillRect(rect);
		return;
	}
	view->SetHighColor(shade(fPanel, B_DARKEN_1_TINT));
	view->FillRect(rect);
}

void
ControlLook::DrawArrowButton(BView* view, BRect rect, arrow_direction direction, uint32 flags)
{
	bool disabled = (flags & kDisabled) != 0;
	bool pushed = (flags & kActivated) != 0;
	view->SetDrawingMode(B_OP_COPY);
	rgb_color face = pushed ? shade(fPanel, B_DARKEN_1_TINT) : fPanel;
	if (pushed)
		_Bevel(view, rect, shade(fPanel, B_DARKEN_2_TINT), fPanel);
	else
		_Bevel(view, rect, kWhite, shade(fPanel, B_DARKEN_2_TINT));
	BRect inside = rect.InsetByCopy(1, 1);
	view->SetHighColor(face);
	view->FillRect(inside);

	// A solid triangle, four pixels from base to tip, centred.
	view->SetHighColor(disabled ? shade(fPanel, B_DARKEN_2_TINT) : kBlack);
	float cx = floorf((rect.left + rect.right) / 2);
	float cy = floorf((rect.top + rect.bottom) / 2);
	for (int32 i = 0; i < 4; i++) {
		switch (direction) {
			case kUpArrow:
				view->StrokeLine(BPoint(cx - i, cy - 2 + i), BPoint(cx + i, cy - 2 + i));
				break;
			case kDownArrow:
				view->StrokeLine(BPoint(cx - i, cy + 2 - i), BPoint(cx + i, cy + 2 - i));
				break;
			case kLeftArrow:
				view->StrokeLine(BPoint(cx - 2 + i, cy - i), BPoint(cx - 2 + i, cy + i));
				break;
			case kRightArrow:
				view->StrokeLine(BPoint(cx + 2 - i, cy - i), BPoint(cx + 2 - i, cy + i));
				break;
		}
	}
}

void
ControlLook::DrawScrollBarThumb(BView* view, BRect rect, orientation o, uint32 flags)
{
	view->SetDrawingMode(B_OP_COPY);
	view->SetHighColor(shade(fPanel, B_DARKEN_2_TINT));
	view->StrokeRect(rect);
	BRect inside = rect.InsetByCopy(1, 1);
	_Bevel(view, inside, kWhite, shade(fPanel, B_DARKEN_1_TINT));
	inside.InsetBy(1, 1);
	view->SetHighColor((flags & kActivated) != 0 ? shade(fPanel, B_LIGHTEN_1_TINT) : fPanel);
	view->FillRect(inside);

	// Three grip lines across the middle, when the thumb has room.
	float length = o == B_VERTICAL ? rect.Height() : rect.Width();
	if (length < 14)
		return;
	float cx = floorf((rect.left + rect.right) / 2);
	float cy = floorf((rect.top + rect.bottom) / 2);
	for (int32 i = -1; i <= 1; i++) {
		if (o == B_VERTICAL) {
			float y = cy + i * 3;
			view->SetHighColor(shade(fPanel, B_DARKEN_2_TINT));
			view->StrokeLine(BPoint(rect.left + 4, y), BPoint(rect.right - 4, y));
			view->SetHighColor(kWhite);
			view->StrokeLine(BPoint(rect.left + 4, y + 1), BPoint(rect.right - 4, y + 1));
		} else {
			float x = cx + i * 3;
			view->SetHighColor(shade(fPanel, B_DARKEN_2_TINT));
			view->StrokeLine(BPoint(x, rect.top + 4), BPoint(x, rect.bottom - 4));
			view->SetHighColor(kWhite);
			view->StrokeLine(BPoint(x + 1, rect.top + 4), BPoint(x + 1, rect.bottom - 4));
		}
	}
}

void
ControlLook::DrawBoxBorder(BView* view, BRect rect, border_style border)
{
	view->SetDrawingMode(B_OP_COPY);
	rgb_color base = view->ViewColor() == B_TRANSPARENT_COLOR ? fPanel : view->ViewColor();
	switch (border) {
		case B_FANCY_BORDER:
			// Engraved: a shadow ring with a light ring one pixel down-right.
			view->SetHighColor(kWhite);
			view->StrokeRect(BRect(rect.left + 1, rect.top + 1, rect.right, rect.bottom));
			view->SetHighColor(shade(base, B_DARKEN_2_TINT));
			view->StrokeRect(BRect(rect.left, rect.top, rect.right - 1, rect.bottom - 1));
			break;
		case B_PLAIN_BORDER:
			_Bevel(view, rect, shade(base, B_LIGHTEN_1_TINT), shade(base, B_DARKEN_1_TINT));
			break;
		case B_NO_BORDER:
			break;
	}
}
