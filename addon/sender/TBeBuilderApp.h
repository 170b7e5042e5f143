#ifndef SENDOLO_TBEBUILDERAPP_H
#define SENDOLO_TBEBUILDERAPP_H

#include <Application.h>

// Builds and shows the one sender window. Started with at least one
// argument, a send closes only the window; otherwise it ends the program.
class TBeBuilderApp : public BApplication {
public:
	TBeBuilderApp(int argc, char** argv);
};

#endif
