#include "TheApp.h"

int
main(int argc, char** argv)
{
	TheApp* app = new TheApp(argc, argv);
	app->Run();
	return 0;
}
