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
		BView* view = NULL;
		status_t error = B_BAD_SCRIPT_SYNTAX;
		int32 viewIndex;
		const char* name;
		switch (what) {
			case B_DIRECT_SPECIFIER:
				view = fTopView;
				break;
			case B_INDEX_SPECIFIER:
			case B_REVERSE_INDEX_SPECIFIER:
				error = B_BAD_INDEX;
				if (specifier->FindInt32("index", &viewIndex) != B_OK)
					break;
				if (what == B_REVERSE_INDEX_SPECIFIER)
					viewIndex = CountChildren() - 1 - viewIndex;
				view = ChildAt(viewIndex);
				break;
			case B_NAME_SPECIFIER:
				// Anywhere in the window, as the Deskbar's "Status" is found.
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
		bool hidden;
		if (get)
			reply.AddBool("result", IsHidden());
		else if (message->FindBool("data", &hidden) == B_OK) {
			if (hidden && !IsHidden())
				Hide();
			else if (!hidden && IsHidden())
				Show();
		} else {
			scripting_not_understood(message, B_BAD_VALUE, "Hidden is a bool in \"data\"");
			return true;
		}
	}
	scripting_done(message, &reply);
	return true;
}
