#include "TBeBuilderApp.h"

int
main(int argc, char** argv)
{
	TBeBuilderApp* app = new TBeBuilderApp(argc, argv);
	app->Run();
	return 0;
}
