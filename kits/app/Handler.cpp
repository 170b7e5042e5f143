#include <Handler.h>

#include <Looper.h>
#include <Messenger.h>

#include "AppPrivate.h"

#include <map>
#include <string.h>

namespace BPrivate {

namespace {
// Never destroyed: handlers may still go away while the process exits.
std::mutex& sTokenLock = *new std::mutex;
std::map<int32, BHandler*>& sHandlers = *new std::map<int32, BHandler*>;
int32 sNextToken = 1;
} // namespace

int32
register_handler(BHandler* handler)
{
	std::lock_guard<std::mutex> guard(sTokenLock);
	int32 token = sNextToken++;
	sHandlers[token] = handler;
	return token;
}

void
unregister_handler(int32 token)
{
	std::lock_guard<std::mutex> guard(sTokenLock);
	sHandlers.erase(token);
}

BHandler*
handler_for_token(int32 token)
{
	std::lock_guard<std::mutex> guard(sTokenLock);
	auto it = sHandlers.find(token);
	return it == sHandlers.end() ? NULL : it->second;
}

} // namespace BPrivate

BHandler::BHandler(const char* name) : fName(name)
{
	fToken = BPrivate::register_handler(this);
}

BHandler::BHandler(BMessage* archive)
	:
	BArchivable(archive)
{
	const char* name;
	if (archive != NULL && archive->FindString("_name", &name) == B_OK)
		fName = name;
	fToken = BPrivate::register_handler(this);
}

BHandler::~BHandler()
{
	BPrivate::unregister_handler(fToken);
	if (fLooper != NULL && fLooper != this)
		fLooper->RemoveHandler(this);
}

status_t
BHandler::Archive(BMessage* into, bool deep) const
{
	status_t status = BArchivable::Archive(into, deep);
	if (status == B_OK && fName.Length() > 0)
		status = into->AddString("_name", fName.String());
	return status;
}

BArchivable*
BHandler::Instantiate(BMessage* archive)
{
	if (!validate_instantiation(archive, "BHandler"))
		return NULL;
	return new BHandler(archive);
}

void
BHandler::MessageReceived(BMessage* message)
{
	if (_ScriptingReceived(message))
		return;
	if (fNextHandler != NULL) {
		fNextHandler->MessageReceived(message);
		return;
	}
	if (message->IsSourceWaiting()) {
		BMessage reply(B_MESSAGE_NOT_UNDERSTOOD);
		reply.AddInt32("error", B_BAD_SCRIPT_SYNTAX);
		reply.AddString("message", "Didn't understand the specifier(s)");
		message->SendReply(&reply);
	}
}

BHandler*
BHandler::ResolveSpecifier(BMessage* message, int32, BMessage*, int32 what, const char* property)
{
	if (what == B_DIRECT_SPECIFIER && message->what == B_GET_PROPERTY
		&& (strcmp(property, "Suites") == 0 || strcmp(property, "Messenger") == 0
			|| strcmp(property, "InternalName") == 0))
		return this;
	BMessage reply(B_MESSAGE_NOT_UNDERSTOOD);
	reply.AddInt32("error", B_BAD_SCRIPT_SYNTAX);
	reply.AddString("message", "Didn't understand the specifier(s)");
	message->SendReply(&reply);
	return NULL;
}

status_t
BHandler::GetSupportedSuites(BMessage* data)
{
	if (data == NULL)
		return B_BAD_VALUE;
	return data->AddString("suites", "suite/vnd.Be-handler");
}

bool
BHandler::_ScriptingReceived(BMessage* message)
{
	if (message->what == B_GET_SUPPORTED_SUITES) {
		BMessage reply(B_REPLY);
		status_t status = GetSupportedSuites(&reply);
		reply.AddInt32("error", status);
		message->SendReply(&reply);
		return true;
	}
	int32 index;
	BMessage specifier;
	int32 what;
	const char* property;
	if (message->what != B_GET_PROPERTY
		|| message->GetCurrentSpecifier(&index, &specifier, &what, &property) != B_OK
		|| what != B_DIRECT_SPECIFIER)
		return false;
	BMessage reply(B_REPLY);
	if (strcmp(property, "Suites") == 0)
		GetSupportedSuites(&reply);
	else if (strcmp(property, "Messenger") == 0)
		reply.AddMessenger("result", BMessenger(this));
	else if (strcmp(property, "InternalName") == 0)
		reply.AddString("result", Name() != NULL ? Name() : "");
	else
		return false;
	reply.AddInt32("error", B_OK);
	message->SendReply(&reply);
	return true;
}

void
BHandler::SetName(const char* name)
{
	fName.SetTo(name);
}

const char*
BHandler::Name() const
{
	return fName.Length() > 0 ? fName.String() : NULL;
}

void
BHandler::SetNextHandler(BHandler* handler)
{
	if (fLooper == NULL || handler == this)
		return;
	if (handler != NULL && handler->Looper() != fLooper)
		return;
	fNextHandler = handler;
}

bool
BHandler::LockLooper()
{
	BLooper* looper = fLooper;
	if (looper == NULL || !looper->Lock())
		return false;
	if (fLooper != looper) {
		looper->Unlock();
		return false;
	}
	return true;
}

status_t
BHandler::LockLooperWithTimeout(bigtime_t timeout)
{
	BLooper* looper = fLooper;
	if (looper == NULL)
		return B_BAD_VALUE;
	status_t status = looper->LockWithTimeout(timeout);
	if (status != B_OK)
		return status;
	if (fLooper != looper) {
		looper->Unlock();
		return B_MISMATCHED_VALUES;
	}
	return B_OK;
}

void
BHandler::UnlockLooper()
{
	if (fLooper != NULL)
		fLooper->Unlock();
}

void
BHandler::_SetLooper(BLooper* looper)
{
	fLooper = looper;
	if (looper == NULL)
		fNextHandler = NULL;
}
