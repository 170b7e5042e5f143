#include "IconListItem.h"

#include <Bitmap.h>
#include <Font.h>
#include <View.h>

#include <algorithm>
#include <string.h>

namespace {

const float kRowHeight = 18;
const rgb_color kBlack = {0, 0, 0, 255};
const rgb_color kWhite = {255, 255, 255, 255};
// How much of the icon shows over black on a selected row.
const uint8 kSelectedIconAlpha = 180;

} // namespace

IconListItem::IconListItem(BBitmap* source, char* text, int level, bool expanded)
	: BListItem(level, expanded),
	  fLabel(text),
	  fIcon(NULL)
{
	SetHeight(kRowHeight);
	SetWidth(be_plain_font->StringWidth(fLabel.String()));
	if (source == NULL || !source->IsValid())
		return;
	fIcon = new BBitmap(BRect(0, 0, 15, 15), B_CMAP8);
	if (fIcon->BytesPerRow() == source->BytesPerRow()
		&& fIcon->BitsLength() == source->BitsLength()) {
		memcpy(fIcon->Bits(), source->Bits(), fIcon->BitsLength());
	} else {
		delete fIcon;
		fIcon = NULL;
	}
}

IconListItem::~IconListItem()
{
	delete fIcon;
}

void
IconListItem::DrawItem(BView* owner, BRect frame, bool complete)
{
	owner->PushState();
	BRect rect = frame;
	if (fIcon != NULL) {
		BRect iconRect(frame.left + 3, frame.top + 1, frame.left + 18, frame.top + 16);
		if (IsSelected()) {
			owner->SetHighColor(kWhite);
			owner->FillRect(iconRect);
			owner->SetDrawingMode(B_OP_INVERT);
			owner->DrawBitmap(fIcon, iconRect);
			owner->SetDrawingMode(B_OP_ALPHA);
			owner->SetHighColor(0, 0, 0, kSelectedIconAlpha);
			owner->SetBlendingMode(B_CONSTANT_ALPHA, B_ALPHA_COMPOSITE);
			owner->DrawBitmap(fIcon, iconRect);
		} else {
			owner->SetDrawingMode(B_OP_OVER);
			owner->DrawBitmap(fIcon, iconRect);
		}
		owner->SetDrawingMode(B_OP_COPY);
		rect.Set(frame.left + 18, frame.top + 3, frame.right, frame.top + 13);
	}

	BRect textArea(rect.left + 5, rect.top + 1, 0, rect.bottom + 3);
	textArea.right = textArea.left + Width() + 1;
	if (IsSelected() || complete) {
		// Without an icon the area reaches below the row; it stays inside,
		// or a deselected row would leave a black strip on the next one.
		BRect fill = textArea;
		fill.bottom = std::min(fill.bottom, frame.bottom);
		owner->SetHighColor(IsSelected() ? kBlack : owner->ViewColor());
		owner->FillRect(fill);
	}
	owner->SetHighColor(IsSelected() ? kWhite : kBlack);
	owner->SetLowColor(IsSelected() ? kBlack : owner->ViewColor());
	owner->MovePenTo(textArea.left + 1, (textArea.top + textArea.bottom) / 2 + 4);
	owner->DrawString(Text().String());
	owner->PopState();
}

void
IconListItem::SetDetail(const char* detail)
{
	fDetail = detail;
	SetWidth(be_plain_font->StringWidth(Text().String()));
}

BString
IconListItem::Text() const
{
	if (fDetail.Length() == 0)
		return fLabel;
	BString text(fLabel);
	text << " \u00b7 " << fDetail;
	return text;
}

void
IconListItem::Update(BView*, const BFont*)
{
}
