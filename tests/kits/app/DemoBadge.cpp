#include "DemoBadge.h"

#include <Message.h>

#include <dlfcn.h>
#include <string.h>

TDemoBadge::TDemoBadge(BRect frame, const char* name, const char* text, rgb_color color)
	: BView(frame, name, B_FOLLOW_LEFT_TOP, B_WILL_DRAW),
	  fText(text),
	  fColor(color)
{
}

TDemoBadge::TDemoBadge(BMessage* archive)
	: BView(archive),
	  fColor(make_color(0, 0, 0))
{
	const char* text;
	if (archive->FindString("badge:text", &text) == B_OK)
		fText = text;
	const void* data;
	ssize_t size;
	if (archive->FindData("badge:color", B_RGB_COLOR_TYPE, &data, &size) == B_OK
		&& size == sizeof(fColor)) {
		memcpy(&fColor, data, sizeof(fColor));
	}
}

status_t
TDemoBadge::Archive(BMessage* into, bool deep) const
{
	status_t status = BView::Archive(into, deep);
	if (status != B_OK)
		return status;
	// The module this code is in, so that another process can load it.
	Dl_info info;
	if (dladdr((void*)&TDemoBadge::Instantiate, &info) != 0 && info.dli_fname != NULL)
		into->AddString("add_on", info.dli_fname);
	into->AddString("badge:text", fText.String());
	return into->AddData("badge:color", B_RGB_COLOR_TYPE, &fColor, sizeof(fColor));
}

BArchivable*
TDemoBadge::Instantiate(BMessage* archive)
{
	if (!validate_instantiation(archive, "TDemoBadge"))
		return NULL;
	return new TDemoBadge(archive);
}

void
TDemoBadge::Draw(BRect)
{
	BRect bounds = Bounds();
	SetHighColor(fColor);
	FillRect(bounds.InsetByCopy(3, 3));
	SetHighColor(0, 0, 0);
	StrokeRect(bounds);
	DrawString(fText.String(), BPoint(6, bounds.bottom - 6));
}
