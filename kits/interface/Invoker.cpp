#include <Invoker.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

BInvoker::BInvoker()
{
}

BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper)
	: fMessage(message)
{
	SetTarget(handler, looper);
}

BInvoker::BInvoker(BMessage* message, BMessenger target)
	: fMessage(message),
	  fMessenger(target)
{
}

BInvoker::~BInvoker()
{
	delete fMessage;
}

status_t
BInvoker::SetMessage(BMessage* message)
{
	if (message == fMessage)
		return B_OK;
	delete fMessage;
	fMessage = message;
	return B_OK;
}

uint32
BInvoker::Command() const
{
	return fMessage != NULL ? fMessage->what : 0;
}

status_t
BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	fHandler = handler;
	fLooper = looper;
	fMessenger = BMessenger();
	if (handler == NULL && looper == NULL)
		return B_OK;
	if (looper != NULL && handler != NULL && handler->Looper() != NULL
		&& handler->Looper() != looper)
		return B_MISMATCHED_VALUES;
	if (handler != NULL && handler->Looper() != NULL) {
		// A messenger holds a token, which outlives a deleted handler safely.
		fMessenger = BMessenger(handler, handler->Looper());
		fHandler = NULL;
		fLooper = NULL;
	}
	return B_OK;
}

status_t
BInvoker::SetTarget(BMessenger messenger)
{
	fHandler = NULL;
	fLooper = NULL;
	fMessenger = messenger;
	return B_OK;
}

BMessenger
BInvoker::Messenger() const
{
	if (fHandler != NULL) {
		if (fHandler->Looper() == NULL)
			return BMessenger();
		return BMessenger(fHandler, fHandler->Looper());
	}
	if (fLooper != NULL)
		return BMessenger(NULL, fLooper);
	return fMessenger;
}

BHandler*
BInvoker::Target(BLooper** looper) const
{
	return Messenger().Target(looper);
}

status_t
BInvoker::SetHandlerForReply(BHandler* handler)
{
	fReplyTo = handler;
	return B_OK;
}

status_t
BInvoker::SetTimeout(bigtime_t timeout)
{
	fTimeout = timeout;
	return B_OK;
}

status_t
BInvoker::Invoke(BMessage* message)
{
	if (message == NULL)
		message = fMessage;
	if (message == NULL)
		return B_BAD_VALUE;
	BMessenger target = Messenger();
	if (!target.IsValid())
		return B_BAD_VALUE;
	BMessage copy(*message);
	return target.SendMessage(&copy, fReplyTo, fTimeout);
}
