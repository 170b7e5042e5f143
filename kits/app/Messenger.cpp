#include <Messenger.h>

#include <Application.h>
#include <Handler.h>
#include <Looper.h>

#include "AppPrivate.h"
#include "AppRegistry.h"
#include "MessageDelivery.h"
#include "TeamLink.h"

#include <chrono>
#include <strings.h>

BMessenger::BMessenger()
{
}

BMessenger::BMessenger(const char* signature, team_id team, status_t* result)
{
	status_t status = B_OK;
	if (signature == NULL && team < 0)
		status = B_BAD_TYPE;
	else if (be_app != NULL && (team < 0 || team == current_team())
		&& (signature == NULL || strcasecmp(signature, be_app->Signature()) == 0))
		_SetTo(be_app, be_app->_Token());
	else if (team == current_team())
		status = B_MISMATCHED_VALUES;
	else {
		// The oldest running application of that signature, or the team.
		status = team < 0 ? B_BAD_VALUE : B_BAD_TEAM_ID;
		for (const BPrivate::RegisteredApp& app : BPrivate::registered_apps()) {
			if (team >= 0 && app.team != team)
				continue;
			if (signature != NULL && strcasecmp(signature, app.signature.String()) != 0) {
				if (team < 0)
					continue;
				status = B_MISMATCHED_VALUES;
				break;
			}
			_SetToTeam(app.team, app.looperToken, -1);
			status = B_OK;
			break;
		}
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
		else
			_SetTo(handler->Looper(), handler->_Token());
	} else if (looper != NULL)
		_SetTo(const_cast<BLooper*>(looper), -1);
	else
		status = B_BAD_VALUE;
	if (result != NULL)
		*result = status;
}

bool
BMessenger::operator==(const BMessenger& other) const
{
	return fLooper == other.fLooper && fLooperToken == other.fLooperToken
		&& fHandlerToken == other.fHandlerToken && fTeam == other.fTeam;
}

BHandler*
BMessenger::Target(BLooper** looper) const
{
	bool valid = fTeam < 0 && IsValid();
	if (looper != NULL)
		*looper = valid ? fLooper : NULL;
	if (!valid || fHandlerToken < 0)
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
	if (fLooper == NULL || fTeam >= 0)
		return B_BAD_VALUE;
	return fLooper->LockWithTimeout(timeout);
}

bool
BMessenger::IsValid() const
{
	if (fTeam >= 0)
		return BPrivate::team_is_registered(fTeam);
	return fLooper != NULL && BLooper::_IsValid(fLooper);
}

team_id
BMessenger::Team() const
{
	if (fTeam >= 0)
		return fTeam;
	return IsValid() ? current_team() : -1;
}

status_t
BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}

status_t
BMessenger::SendMessage(BMessage* message, BHandler* replyTo, bigtime_t timeout) const
{
	BMessenger replyAddress;
	if (replyTo != NULL && replyTo->Looper() != NULL)
		replyAddress._SetTo(replyTo->Looper(), replyTo->_Token());
	else if (be_app != NULL)
		replyAddress._SetTo(be_app, be_app->_Token());
	return _Send(message, replyAddress, NULL, timeout, 0);
}

status_t
BMessenger::SendMessage(BMessage* message, BMessenger replyTo, bigtime_t timeout) const
{
	return _Send(message, replyTo, NULL, timeout, 0);
}

status_t
BMessenger::SendMessage(uint32 command, BMessage* reply) const
{
	BMessage message(command);
	return SendMessage(&message, reply);
}

status_t
BMessenger::SendMessage(BMessage* message, BMessage* reply, bigtime_t deliveryTimeout,
	bigtime_t replyTimeout) const
{
	if (reply == NULL)
		return B_BAD_VALUE;
	if (fTeam < 0 && fLooper != NULL && fLooper->Thread() == find_thread(NULL))
		return B_WOULD_BLOCK;
	return _Send(message, BMessenger(), reply, deliveryTimeout, replyTimeout);
}

team_id
BMessenger::_TeamForReply() const
{
	if (fTeam >= 0)
		return fTeam;
	return fLooper != NULL ? current_team() : -1;
}

void
BMessenger::_SetTo(BLooper* looper, int32 handlerToken)
{
	fTeam = -1;
	fLooper = looper;
	fLooperToken = looper != NULL ? looper->_Token() : -1;
	fHandlerToken = handlerToken;
}

void
BMessenger::_SetToTeam(team_id team, int32 looperToken, int32 handlerToken)
{
	if (team == current_team()) {
		BLooper* looper = BLooper::_LooperForToken(looperToken);
		_SetTo(looper, looper != NULL ? handlerToken : -1);
		return;
	}
	fLooper = NULL;
	fTeam = team >= 0 ? team : -1;
	fLooperToken = fTeam >= 0 ? looperToken : -1;
	fHandlerToken = fTeam >= 0 ? handlerToken : -1;
}

namespace BPrivate {

status_t
wait_for_reply(const std::shared_ptr<ReplySlot>& slot, BMessage* reply, bigtime_t timeout)
{
	std::unique_lock<std::mutex> guard(slot->lock);
	auto done = [&] { return slot->replied; };
	if (timeout == B_INFINITE_TIMEOUT || timeout < 0)
		slot->done.wait(guard, done);
	else if (!slot->done.wait_for(guard, std::chrono::microseconds(timeout), done))
		return B_TIMED_OUT;
	MessageDelivery::TakeSlotReply(reply, slot->reply, slot->waiting);
	return B_OK;
}

} // namespace BPrivate

status_t
BMessenger::_Send(BMessage* message, const BMessenger& replyTo, BMessage* reply,
	bigtime_t deliveryTimeout, bigtime_t replyTimeout) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	if (fTeam >= 0) {
		return BPrivate::send_to_team(fTeam, fLooperToken, fHandlerToken, fHandlerToken < 0,
			*message, replyTo._TeamForReply(), replyTo._LooperToken(), replyTo._HandlerToken(),
			replyTo._HandlerToken() < 0, reply, deliveryTimeout, replyTimeout);
	}
	if (fLooper == NULL)
		return B_BAD_PORT_ID;

	BMessage* copy = new BMessage(*message);
	if (fHandlerToken >= 0)
		copy->fTargetToken = fHandlerToken;
	else
		copy->fPreferred = true;
	if (replyTo.fTeam >= 0) {
		copy->fReturnTeam = replyTo.fTeam;
		copy->fReturnLooper = replyTo.fLooperToken;
		copy->fReturnHandler = replyTo.fHandlerToken;
		copy->fReturnPreferred = replyTo.fHandlerToken < 0;
	} else {
		copy->fReplyLooper = replyTo.fLooper;
		copy->fReplyToken = replyTo.fHandlerToken;
	}

	std::shared_ptr<BPrivate::ReplySlot> slot;
	if (reply != NULL) {
		slot = std::make_shared<BPrivate::ReplySlot>();
		copy->fReplySlot = slot;
	}

	status_t status = fLooper->_PostOwned(copy);
	if (status != B_OK || slot == nullptr)
		return status;
	return BPrivate::wait_for_reply(slot, reply, replyTimeout);
}
