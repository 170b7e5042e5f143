#include <Messenger.h>

#include <Application.h>
#include <Handler.h>
#include <Looper.h>

#include "AppPrivate.h"

#include <chrono>
#include <strings.h>

BMessenger::BMessenger()
{
}

BMessenger::BMessenger(const char* signature, team_id team, status_t* result)
{
	status_t status = B_BAD_VALUE;
	// Only the application of this process can be reached.
	if (signature != NULL && be_app != NULL && strcasecmp(signature, be_app->Signature()) == 0
		&& (team < 0 || team == current_team())) {
		fLooper = be_app;
		fHandlerToken = be_app->_Token();
		status = B_OK;
	}
	if (result != NULL)
		*result = status;
}

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
{
	status_t status = B_OK;
	if (handler != NULL) {
		if (handler->Looper() == NULL)
			status = B_MISMATCHED_VALUES;
		else if (looper != NULL && handler->Looper() != looper)
			status = B_MISMATCHED_VALUES;
		else {
			fLooper = handler->Looper();
			fHandlerToken = handler->_Token();
		}
	} else if (looper != NULL) {
		fLooper = const_cast<BLooper*>(looper);
		fHandlerToken = -1;
	} else
		status = B_BAD_VALUE;
	if (result != NULL)
		*result = status;
}

bool
BMessenger::operator==(const BMessenger& other) const
{
	return fLooper == other.fLooper && fHandlerToken == other.fHandlerToken;
}

BHandler*
BMessenger::Target(BLooper** looper) const
{
	if (looper != NULL)
		*looper = IsValid() ? fLooper : NULL;
	if (!IsValid() || fHandlerToken < 0)
		return NULL;
	return BPrivate::handler_for_token(fHandlerToken);
}

bool
BMessenger::LockTarget() const
{
	return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t
BMessenger::LockTargetWithTimeout(bigtime_t timeout) const
{
	if (fLooper == NULL)
		return B_BAD_VALUE;
	return fLooper->LockWithTimeout(timeout);
}

bool
BMessenger::IsValid() const
{
	return fLooper != NULL && BLooper::_IsValid(fLooper);
}

team_id
BMessenger::Team() const
{
	return IsValid() ? current_team() : -1;
}

status_t
BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}

status_t
BMessenger::SendMessage(BMessage* message, BHandler* replyTo, bigtime_t) const
{
	BLooper* replyLooper = NULL;
	int32 replyToken = -1;
	if (replyTo != NULL && replyTo->Looper() != NULL) {
		replyLooper = replyTo->Looper();
		replyToken = replyTo->_Token();
	} else if (be_app != NULL) {
		replyLooper = be_app;
		replyToken = be_app->_Token();
	}
	return _Send(message, replyLooper, replyToken, NULL, 0);
}

status_t
BMessenger::SendMessage(BMessage* message, BMessenger replyTo, bigtime_t) const
{
	return _Send(message, replyTo._Looper(), replyTo._HandlerToken(), NULL, 0);
}

status_t
BMessenger::SendMessage(uint32 command, BMessage* reply) const
{
	BMessage message(command);
	return SendMessage(&message, reply);
}

status_t
BMessenger::SendMessage(BMessage* message, BMessage* reply, bigtime_t, bigtime_t replyTimeout) const
{
	if (reply == NULL)
		return B_BAD_VALUE;
	if (fLooper != NULL && fLooper->Thread() == find_thread(NULL))
		return B_WOULD_BLOCK;
	return _Send(message, NULL, -1, reply, replyTimeout);
}

void
BMessenger::_SetTo(BLooper* looper, int32 handlerToken)
{
	fLooper = looper;
	fHandlerToken = handlerToken;
}

status_t
BMessenger::_Send(BMessage* message, BLooper* replyLooper, int32 replyToken, BMessage* reply,
	bigtime_t replyTimeout) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	if (fLooper == NULL)
		return B_BAD_PORT_ID;

	BMessage* copy = new BMessage(*message);
	if (fHandlerToken >= 0)
		copy->fTargetToken = fHandlerToken;
	else
		copy->fPreferred = true;
	copy->fReplyLooper = replyLooper;
	copy->fReplyToken = replyToken;

	std::shared_ptr<BPrivate::ReplySlot> slot;
	if (reply != NULL) {
		slot = std::make_shared<BPrivate::ReplySlot>();
		copy->fReplySlot = slot;
	}

	status_t status = fLooper->_PostOwned(copy);
	if (status != B_OK || slot == nullptr)
		return status;

	std::unique_lock<std::mutex> guard(slot->lock);
	auto done = [&] { return slot->replied; };
	if (replyTimeout == B_INFINITE_TIMEOUT)
		slot->done.wait(guard, done);
	else if (!slot->done.wait_for(guard, std::chrono::microseconds(replyTimeout), done))
		return B_TIMED_OUT;
	*reply = slot->reply;
	reply->fIsReply = true;
	reply->fReplyLooper = slot->reply.fReplyLooper;
	reply->fReplyToken = slot->reply.fReplyToken;
	return B_OK;
}
