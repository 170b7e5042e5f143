#include "DeskbarApp.h"

#include <stdio.h>

int
main()
{
	// Its log lines reach a file or pipe as they are written.
	setvbuf(stdout, NULL, _IOLBF, 0);
	TDeskbarApp* app = new TDeskbarApp();
	app->Run();
	delete app;
	return 0;
}
