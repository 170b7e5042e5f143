// The application's scripting: its windows, by index or by title.

#include <Application.h>

#include <Autolock.h>

#include <string.h>

namespace {

void
not_understood(BMessage* message, status_t error, const char* text)
{
	BMessage reply(B_MESSAGE_NOT_UNDERSTOOD);
	reply.AddInt32("error", error);
	reply.AddString("message", text);
	message->SendReply(&reply);
}

} // namespace

BHandler*
BApplication::ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
	const char* property)
{
	if (strcmp(property, "Window") != 0)
		return BLooper::ResolveSpecifier(message, index, specifier, what, property);
	if (what == B_DIRECT_SPECIFIER && message->what == B_COUNT_PROPERTIES)
		return this;

	std::vector<std::pair<BWindow*, BLooper*>> windows;
	{
		BAutolock guard(fWindowLock);
		windows = fWindows;
	}
	BLooper* window = NULL;
	status_t error = B_BAD_SCRIPT_SYNTAX;
	int32 windowIndex = -1;
	const char* name = NULL;
	switch (what) {
		case B_INDEX_SPECIFIER:
		case B_REVERSE_INDEX_SPECIFIER:
			error = B_BAD_INDEX;
			if (specifier->FindInt32("index", &windowIndex) != B_OK)
				break;
			if (what == B_REVERSE_INDEX_SPECIFIER)
				windowIndex = (int32)windows.size() - 1 - windowIndex;
			if (windowIndex >= 0 && windowIndex < (int32)windows.size())
				window = windows[windowIndex].second;
			break;
		case B_NAME_SPECIFIER:
			error = B_NAME_NOT_FOUND;
			if (specifier->FindString("name", &name) != B_OK)
				break;
			// A window's name is its title; it may change on its own thread.
			for (auto& entry : windows) {
				BLooper* looper = entry.second;
				if (looper->LockWithTimeout(1000000) != B_OK)
					continue;
				bool match = looper->Name() != NULL && strcmp(looper->Name(), name) == 0;
				looper->Unlock();
				if (match) {
					window = looper;
					break;
				}
			}
			break;
	}
	if (window == NULL) {
		not_understood(message, error, "No such window");
		return NULL;
	}
	message->PopSpecifier();
	return window;
}

status_t
BApplication::GetSupportedSuites(BMessage* data)
{
	if (data == NULL)
		return B_BAD_VALUE;
	data->AddString("suites", "suite/vnd.Be-application");
	return BLooper::GetSupportedSuites(data);
}

bool
BApplication::_HandleProperty(BMessage* message)
{
	int32 index;
	BMessage specifier;
	int32 what;
	const char* property;
	if (message->what != B_COUNT_PROPERTIES
		|| message->GetCurrentSpecifier(&index, &specifier, &what, &property) != B_OK
		|| what != B_DIRECT_SPECIFIER || strcmp(property, "Window") != 0)
		return false;
	BMessage reply(B_REPLY);
	reply.AddInt32("result", CountWindows());
	reply.AddInt32("error", B_OK);
	message->SendReply(&reply);
	return true;
}
