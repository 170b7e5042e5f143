#include <StringItem.h>

#include <Font.h>
#include <InterfaceDefs.h>
#include <View.h>

#include <math.h>

namespace {

// Room left of the text.
const float kLabelSpacing = 4;

} // namespace

BStringItem::BStringItem(const char* text, uint32 outlineLevel, bool expanded)
	: BListItem(outlineLevel, expanded),
	  fText(text),
	  fHasText(text != NULL)
{
}

BStringItem::~BStringItem()
{
}

void
BStringItem::DrawItem(BView* owner, BRect frame, bool complete)
{
	rgb_color background = owner->ViewColor();
	rgb_color highColor = owner->HighColor();
	rgb_color lowColor = owner->LowColor();
	if (IsSelected())
		background = tint_color(background, B_HIGHLIGHT_BACKGROUND_TINT);
	if (IsSelected() || complete) {
		owner->SetHighColor(background);
		owner->FillRect(frame);
	}
	rgb_color text = ui_color(B_LIST_ITEM_TEXT_COLOR);
	if (!IsEnabled())
		text = tint_color(background, B_DISABLED_LABEL_TINT);
	owner->SetHighColor(text);
	owner->SetLowColor(background);
	if (fHasText) {
		owner->MovePenTo(frame.left + kLabelSpacing, frame.top + fBaselineOffset);
		owner->DrawString(fText.String());
	}
	owner->SetHighColor(highColor);
	owner->SetLowColor(lowColor);
}

void
BStringItem::Update(BView*, const BFont* font)
{
	font_height height;
	font->GetHeight(&height);
	SetWidth(fHasText ? font->StringWidth(fText.String()) + kLabelSpacing : kLabelSpacing);
	SetHeight(ceilf(height.ascent) + ceilf(height.descent) + ceilf(height.leading) + 4);
	fBaselineOffset = 2 + ceilf(height.ascent + height.leading / 2);
}

void
BStringItem::SetText(const char* text)
{
	fHasText = text != NULL;
	fText = text;
}
