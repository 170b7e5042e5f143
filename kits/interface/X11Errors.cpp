// Kept apart: Xlib's headers define names (Window, None, Status) that clash
// with the kit's.
#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace {

XErrorHandler sPrevious = nullptr;

int
filter_error(Display* display, XErrorEvent* error)
{
	// SDL wakes its waiting event loop by sending an event to one of our
	// windows over a second connection; when that window is closed at the
	// same moment, the event finds it gone. Nothing is lost, while Xlib's
	// default handler would end the program.
	if (error->error_code == BadWindow && error->request_code == X_SendEvent)
		return 0;
	return sPrevious != nullptr ? sPrevious(display, error) : 0;
}

} // namespace

void
install_x11_error_filter()
{
	XErrorHandler previous = XSetErrorHandler(filter_error);
	if (previous != filter_error)
		sPrevious = previous;
}
