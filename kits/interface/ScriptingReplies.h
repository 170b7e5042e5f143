#ifndef _SCRIPTING_REPLIES_H
#define _SCRIPTING_REPLIES_H

// The answers windows and views give to scripting messages.

#include <Message.h>

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

#endif
