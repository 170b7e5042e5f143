#include "TWindow12.h"

#include "TView13.h"

TWindow12::TWindow12(const char* title, BRect frame)
	:
	BWindow(frame, title, B_TITLED_WINDOW, B_NOT_RESIZABLE, B_CURRENT_WORKSPACE)
{
	TView13* view = new TView13(Bounds());
	view->SetViewColor(143, 166, 240, 255);
	AddChild(view);
}

bool
TWindow12::QuitRequested()
{
	// Only this window goes; the application stays.
	return true;
}
