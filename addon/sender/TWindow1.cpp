#include "TWindow1.h"

#include "TView2.h"

#include <Application.h>

TWindow1::TWindow1(const char* title, BRect frame, int32 windowOnly)
	: BWindow(frame, title, B_TITLED_WINDOW, B_NOT_RESIZABLE, B_CURRENT_WORKSPACE)
{
	fView = new TView2(Bounds(), windowOnly);
	fView->SetViewColor(219, 219, 219, 255);
	AddChild(fView);
}

bool
TWindow1::QuitRequested()
{
	be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}
