#ifndef _TWINDOW12_H
#define _TWINDOW12_H

#include <Window.h>

// The options window: the user's WinPopup identity, the automatic answer and
// the sound choices, kept in the settings file "murmelo_Settings".
class TWindow12 : public BWindow {
public:
	TWindow12(const char* title, BRect frame);

	bool QuitRequested() override;
};

#endif
