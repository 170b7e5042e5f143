#include "DeskbarApp.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int
main(int argc, char** argv)
{
	// Its log lines reach a file or pipe as they are written.
	setvbuf(stdout, NULL, _IOLBF, 0);
	setvbuf(stderr, NULL, _IONBF, 0);
	int32 dropIndex = -1;
	if (argc == 3 && strcmp(argv[1], "--drop-replicant") == 0)
		dropIndex = atoi(argv[2]);
	TDeskbarApp* app = new TDeskbarApp(NULL, dropIndex, argv[0]);
	app->Run();
	delete app;
	return 0;
}
