#include "letterol.h"

int
main()
{
	letterol* app = new letterol();
	app->Run();
	return 0;
}
