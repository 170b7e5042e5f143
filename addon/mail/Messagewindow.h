#ifndef MESSAGE_WINDOW_H
#define MESSAGE_WINDOW_H

#include <Window.h>

class MessageView;

class Messagewindow : public BWindow {
public:
	Messagewindow(const char* title, BRect frame);

	bool QuitRequested() override;

	MessageView* View() const { return fView; }

private:
	MessageView* fView;
};

#endif
