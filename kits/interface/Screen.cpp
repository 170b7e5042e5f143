#include <Screen.h>

#include <DisplayServer.h>

const screen_id B_MAIN_SCREEN_ID = {0};

BScreen::BScreen(screen_id id)
	: fValid(id.id == B_MAIN_SCREEN_ID.id)
{
}

BScreen::BScreen(BWindow*)
	: fValid(true)
{
}

BRect
BScreen::Frame() const
{
	// Asking starts the display server, as on BeOS the app_server is
	// always there to answer.
	return fValid ? DisplayServer::Default()->ScreenFrame() : BRect();
}
