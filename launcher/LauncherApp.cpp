#include "LauncherApp.h"

#include "LauncherDefs.h"
#include "LauncherView.h"

#include <Deskbar.h>

#include <stdio.h>
#include <string.h>

// Made with the program, gone with it.
static BDeskbar deskbar;

LauncherApp::LauncherApp(int argc, char** argv)
	:
	BApplication(LAUNCHER_SIGNATURE)
{
	if (argc < 2) {
		fView = new LauncherView();
		status_t status = deskbar.AddItem(fView);
		if (status != B_OK)
			fprintf(stderr, "Launcher: the Deskbar did not take the icon (error %d).\n",
				(int)status);
		printf(" Replicant sent to the Deskbar.\n");
	} else if (strstr(argv[1], "remove") != NULL) {
		while (deskbar.HasItem("Launcher")) {
			if (deskbar.RemoveItem("Launcher") != B_OK) {
				// Asking again would get the same answer.
				printf("Launcher: the Deskbar did not remove the icon.\n");
				break;
			}
		}
	}
	PostMessage(B_QUIT_REQUESTED);
}
