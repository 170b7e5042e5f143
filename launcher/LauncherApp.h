#ifndef LAUNCHER_APP_H
#define LAUNCHER_APP_H

#include <Application.h>

class LauncherView;

// Puts the launcher's icon into the Deskbar, or takes it out ("remove"),
// and ends.
class LauncherApp : public BApplication {
public:
	LauncherApp(int argc, char** argv);

private:
	LauncherView* fView = NULL;
};

#endif
