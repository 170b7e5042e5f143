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
	if (strcmp(property, "View") == 0 && what != B_DIRECT_SPECIFIER) {
		BView* view = NULL;
		status_t error = B_BAD_SCRIPT_SYNTAX;
		int32 childIndex;
		const char* name;
		switch (what) {
			case B_INDEX_SPECIFIER:
			case B_REVERSE_INDEX_SPECIFIER:
				error = B_BAD_INDEX;
				if (specifier->FindInt32("index", &childIndex) != B_OK)
					break;
				if (what == B_REVERSE_INDEX_SPECIFIER)
					childIndex = CountChildren() - 1 - childIndex;
				view = ChildAt(childIndex);
				break;
			case B_NAME_SPECIFIER:
				error = B_NAME_NOT_FOUND;
				if (specifier->FindString("name", &name) == B_OK)
					view = FindView(name);
				break;
		}
		if (view == NULL) {
			scripting_not_understood(message, error, "No such view");
			return NULL;
		}
		message->PopSpecifier();
		return view;
	}
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
		BRect frame;
		if (get)
			reply.AddRect("result", Frame());
		else if (message->FindRect("data", &frame) == B_OK && frame.IsValid()) {
			MoveTo(frame.LeftTop());
			ResizeTo(frame.Width(), frame.Height());
		} else {
			scripting_not_understood(message, B_BAD_VALUE, "A frame is a valid rect in \"data\"");
			return true;
		}
	} else {
		// The view's own state: a hidden parent does not hide it here.
		bool isHidden = fShowLevel > 0;
		bool hidden;
		if (get)
			reply.AddBool("result", isHidden);
		else if (message->FindBool("data", &hidden) == B_OK) {
			if (hidden && !isHidden)
				Hide();
			else if (!hidden && isHidden)
				Show();
		} else {
			scripting_not_understood(message, B_BAD_VALUE, "Hidden is a bool in \"data\"");
			return true;
		}
	}
	scripting_done(message, &reply);
	return true;
}
