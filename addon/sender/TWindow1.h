#ifndef SENDOLO_TWINDOW1_H
#define SENDOLO_TWINDOW1_H

#include <Window.h>

class TView2;

// The sender window; closing it ends the program.
class TWindow1 : public BWindow {
public:
	TWindow1(const char* title, BRect frame, int32 windowOnly);
	bool QuitRequested() override;

private:
	TView2* fView;
};

#endif
