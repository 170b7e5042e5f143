#ifndef _SCRIPTING_REPLIES_H
#define _SCRIPTING_REPLIES_H

// The answers windows and views give to scripting messages.

#include <Message.h>
#include <Rect.h>

class BView;

inline void
scripting_not_understood(BMessage* message, status_t error, const char* text)
{
	BMessage reply(B_MESSAGE_NOT_UNDERSTOOD);
	reply.AddInt32("error", error);
	reply.AddString("message", text);
	message->SendReply(&reply);
}

inline void
scripting_done(BMessage* message, BMessage* reply)
{
	reply->AddInt32("error", B_OK);
	message->SendReply(reply);
}

// The property a message asks for directly, or NULL.
inline const char*
direct_property(BMessage* message)
{
	int32 index;
	int32 what;
	const char* property;
	if (message->GetCurrentSpecifier(&index, NULL, &what, &property) != B_OK
		|| what != B_DIRECT_SPECIFIER)
		return NULL;
	return property;
}

// The child a "View" specifier names by index or by name (anywhere below,
// as the Deskbar's "Status" is found), with the specifier popped; NULL
// once the not-understood reply is sent. Windows and views alike.
template<class Parent>
BView*
scripting_child_view(Parent* parent, BMessage* message, BMessage* specifier, int32 what)
{
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
				childIndex = parent->CountChildren() - 1 - childIndex;
			view = parent->ChildAt(childIndex);
			break;
		case B_NAME_SPECIFIER:
			error = B_NAME_NOT_FOUND;
			if (specifier->FindString("name", &name) == B_OK)
				view = parent->FindView(name);
			break;
	}
	if (view == NULL) {
		scripting_not_understood(message, error, "No such view");
		return NULL;
	}
	message->PopSpecifier();
	return view;
}

// "Frame" into the reply, or the target moved and resized to the rect in
// "data"; false once the not-understood reply is sent.
template<class Target>
bool
script_frame(Target* target, BMessage* message, bool get, BMessage* reply)
{
	BRect frame;
	if (get)
		reply->AddRect("result", target->Frame());
	else if (message->FindRect("data", &frame) == B_OK && frame.IsValid()) {
		target->MoveTo(frame.LeftTop());
		target->ResizeTo(frame.Width(), frame.Height());
	} else {
		scripting_not_understood(message, B_BAD_VALUE, "A frame is a valid rect in \"data\"");
		return false;
	}
	return true;
}

// "Hidden" into the reply, or the target hidden or shown as "data" says;
// false once the not-understood reply is sent.
template<class Target>
bool
script_hidden(Target* target, bool isHidden, BMessage* message, bool get, BMessage* reply)
{
	bool hidden;
	if (get)
		reply->AddBool("result", isHidden);
	else if (message->FindBool("data", &hidden) == B_OK) {
		if (hidden && !isHidden)
			target->Hide();
		else if (!hidden && isHidden)
			target->Show();
	} else {
		scripting_not_understood(message, B_BAD_VALUE, "Hidden is a bool in \"data\"");
		return false;
	}
	return true;
}

#endif
