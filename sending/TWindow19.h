#ifndef _TWINDOW19_H
#define _TWINDOW19_H

#include <Window.h>

// The private popup window: one received message, read-only, and an answer
// to it, sent to the correspondent by SEND. The window closes after the
// send, whatever its outcome.
class TWindow19 : public BWindow {
public:
	// arrival: when the message came ("14:03"), shown beside the sender's
	// name above the text; NULL or empty for none.
	TWindow19(const char* title, BRect frame, const char* text, const char* correspondent,
		const char* arrival = NULL);

	bool QuitRequested() override;
};

#endif
