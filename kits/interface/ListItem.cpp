#include <ListItem.h>

#include <Font.h>
#include <View.h>

#include <math.h>

BListItem::BListItem(uint32 outlineLevel, bool expanded)
	: fLevel(outlineLevel),
	  fExpanded(expanded)
{
}

BListItem::~BListItem()
{
}

void
BListItem::Update(BView* owner, const BFont* font)
{
	font_height height;
	font->GetHeight(&height);
	SetWidth(owner->Bounds().Width());
	SetHeight(ceilf(height.ascent + height.descent + height.leading));
}
