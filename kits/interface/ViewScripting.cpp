// A view's scripting: its children, its name, frame and hidden state.

#include <View.h>

#include "ScriptingReplies.h"

#include <string.h>

namespace {

bool
is_view_property(const char* property)
{
	return strcmp(property, "Frame") == 0 || strcmp(property, "Hidden") == 0
		|| strcmp(property, "Name") == 0;
}

} // namespace

BHandler*
BView::ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
	const char* property)
{
	if (strcmp(property, "View") == 0 && what != B_DIRECT_SPECIFIER)
		return scripting_child_view(this, message, specifier, what);
	if (what == B_DIRECT_SPECIFIER && is_view_property(property)
		&& (message->what == B_GET_PROPERTY || message->what == B_SET_PROPERTY))
		return this;
	return BHandler::ResolveSpecifier(message, index, specifier, what, property);
}

status_t
BView::GetSupportedSuites(BMessage* data)
{
	if (data == NULL)
		return B_BAD_VALUE;
	data->AddString("suites", "suite/vnd.Be-view");
	return BHandler::GetSupportedSuites(data);
}

bool
BView::_HandleProperty(BMessage* message)
{
	if (message->what != B_GET_PROPERTY && message->what != B_SET_PROPERTY)
		return false;
	const char* property = direct_property(message);
	if (property == NULL || !is_view_property(property))
		return false;

	BMessage reply(B_REPLY);
	bool get = message->what == B_GET_PROPERTY;
	if (strcmp(property, "Name") == 0) {
		const char* name;
		if (get)
			reply.AddString("result", Name() != NULL ? Name() : "");
		else if (message->FindString("data", &name) == B_OK)
			SetName(name);
		else {
			scripting_not_understood(message, B_BAD_VALUE, "A name is a string in \"data\"");
			return true;
		}
	} else if (strcmp(property, "Frame") == 0) {
		if (!script_frame(this, message, get, &reply))
			return true;
	} else {
		// The view's own state: a hidden parent does not hide it here.
		if (!script_hidden(this, fShowLevel > 0, message, get, &reply))
			return true;
	}
	scripting_done(message, &reply);
	return true;
}
