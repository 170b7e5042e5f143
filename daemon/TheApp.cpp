#include "TheApp.h"

TheApp::TheApp(int argc, char** argv)
	:
	BApplication("application/x-vnd.Murmelod")
{
	// Lives as long as the process; principe ends it on every course but
	// "nothing to do".
	magestion = new PopClass();
	magestion->principe(argc, argv);
}

TheApp::~TheApp()
{
}
