#include "Messagewindow.h"

#include "MessageView.h"

#include <Application.h>

Messagewindow::Messagewindow(const char* title, BRect frame)
	: BWindow(frame, title, B_TITLED_WINDOW, 0, B_CURRENT_WORKSPACE)
{
	fView = new MessageView(Bounds());
	fView->SetViewColor(219, 219, 219, 255);
	AddChild(fView);
}

bool
Messagewindow::QuitRequested()
{
	be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}
