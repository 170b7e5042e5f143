#include "TBeBuilderApp.h"

#include "SendoloDefs.h"
#include "TWindow1.h"

TBeBuilderApp::TBeBuilderApp(int argc, char** argv)
	: BApplication(SENDOLO_SIGNATURE)
{
	(void)argv;
	TWindow1* window
		= new TWindow1("sender window", BRect(18, 50, 286, 251), argc >= 2 ? 1 : 0);
	window->Show();
}
