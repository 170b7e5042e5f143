#include "LauncherApp.h"

int
main(int argc, char** argv)
{
	LauncherApp* app = new LauncherApp(argc, argv);
	app->Run();
	return 0;
}
