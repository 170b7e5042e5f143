#include "TWindow19.h"

#include "TView20.h"

TWindow19::TWindow19(const char* title, BRect frame, const char* text, const char* correspondent,
	const char* arrival)
	:
	BWindow(frame, title, B_TITLED_WINDOW, B_NOT_RESIZABLE, B_CURRENT_WORKSPACE)
{
	AddChild(new TView20(Bounds(), text, correspondent, arrival));
}

bool
TWindow19::QuitRequested()
{
	// Only this window goes; the application and the other windows stay.
	return true;
}
