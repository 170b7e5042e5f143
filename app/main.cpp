#include "TheApp.h"

int
main()
{
	TheApp* app = new TheApp();
	app->Run();
	return 0;
}
