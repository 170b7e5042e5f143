#include "TWindow1.h"

#include "TView2.h"

#include <Application.h>

TWindow1::TWindow1()
	: BWindow(BRect(18, 50, 286, 251), "remote control", B_TITLED_WINDOW, B_NOT_RESIZABLE,
		  B_CURRENT_WORKSPACE)
{
	fView = new TView2(Bounds());
	AddChild(fView);
}

bool
TWindow1::QuitRequested()
{
	be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}
