#ifndef _SCREEN_H
#define _SCREEN_H

#include <GraphicsDefs.h>
#include <Rect.h>

class BWindow;

struct screen_id {
	int32 id;
};

extern const screen_id B_MAIN_SCREEN_ID;

// The screen a window is shown on. There is one: the display server's.
class BScreen {
public:
	BScreen(screen_id id = B_MAIN_SCREEN_ID);
	BScreen(BWindow* window);

	bool IsValid() const { return fValid; }
	status_t SetToNext() { return B_ERROR; }
	screen_id ID() const { return B_MAIN_SCREEN_ID; }
	BRect Frame() const;
	color_space ColorSpace() const { return fValid ? B_RGB32 : B_NO_COLOR_SPACE; }

private:
	bool fValid;
};

#endif
