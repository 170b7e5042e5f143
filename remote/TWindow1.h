#ifndef FARCALL_TWINDOW1_H
#define FARCALL_TWINDOW1_H

#include <Window.h>

class TView2;

// The "remote control" form.
class TWindow1 : public BWindow {
public:
	TWindow1();
	bool QuitRequested() override;

private:
	TView2* fView;
};

#endif
