// A window's scripting: its views, its title, frame and hidden state.

#include <Window.h>

#include <View.h>

#include "ScriptingReplies.h"

#include <string.h>

namespace {

bool
is_window_property(const char* property)
{
	return strcmp(property, "Title") == 0 || strcmp(property, "Frame") == 0
		|| strcmp(property, "Hidden") == 0;
}

} // namespace

BHandler*
BWindow::ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
	const char* property)
{
	if (strcmp(property, "View") == 0) {
		if (what != B_DIRECT_SPECIFIER)
			return scripting_child_view(this, message, specifier, what);
		message->PopSpecifier();
		return fTopView;
	}
	if (what == B_DIRECT_SPECIFIER && is_window_property(property)
		&& (message->what == B_GET_PROPERTY || message->what == B_SET_PROPERTY))
		return this;
	return BLooper::ResolveSpecifier(message, index, specifier, what, property);
}

status_t
BWindow::GetSupportedSuites(BMessage* data)
{
	if (data == NULL)
		return B_BAD_VALUE;
	data->AddString("suites", "suite/vnd.Be-window");
	return BLooper::GetSupportedSuites(data);
}

bool
BWindow::_HandleProperty(BMessage* message)
{
	if (message->what != B_GET_PROPERTY && message->what != B_SET_PROPERTY)
		return false;
	const char* property = direct_property(message);
	if (property == NULL || !is_window_property(property))
		return false;

	BMessage reply(B_REPLY);
	bool get = message->what == B_GET_PROPERTY;
	if (strcmp(property, "Title") == 0) {
		const char* title;
		if (get)
			reply.AddString("result", Title());
		else if (message->FindString("data", &title) == B_OK)
			SetTitle(title);
		else {
			scripting_not_understood(message, B_BAD_VALUE, "A title is a string in \"data\"");
			return true;
		}
	} else if (strcmp(property, "Frame") == 0) {
		if (!script_frame(this, message, get, &reply))
			return true;
	} else if (!script_hidden(this, IsHidden(), message, get, &reply))
		return true;
	scripting_done(message, &reply);
	return true;
}
