#ifndef _THE_APP_H
#define _THE_APP_H

#include <Application.h>

#define MURMELO_SIGNATURE "application/x-vnd.Murmelo"

// The messenger: shows the splash for two seconds, then the main window.
class TheApp : public BApplication {
public:
	TheApp();
	virtual ~TheApp();
};

// Puts <install dir>/bin first on PATH, where the suite's own commands
// (MediaPlayer) are.
void put_install_bin_first_on_path();

#endif
