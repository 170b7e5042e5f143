#include "StatusView.h"

#include <Message.h>
#include <Shelf.h>

#include <string.h>

TStatusView::TStatusView(BRect frame)
	:
	BView(frame, "Status", B_FOLLOW_ALL, B_WILL_DRAW)
{
	SetViewColor(216, 216, 216);
}

BHandler*
TStatusView::ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
	const char* property)
{
	if (fShelf != NULL && strcmp(property, "Shelf") == 0 && what == B_DIRECT_SPECIFIER) {
		message->PopSpecifier();
		return fShelf;
	}
	return BView::ResolveSpecifier(message, index, specifier, what, property);
}
