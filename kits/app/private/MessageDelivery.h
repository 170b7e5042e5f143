#ifndef _MESSAGE_DELIVERY_H
#define _MESSAGE_DELIVERY_H

#include "AppPrivate.h"
#include "TeamLink.h"

#include <Message.h>

namespace BPrivate {

// Reaches into messages for the delivery data the frames carry.
struct MessageDelivery {
	static void SetRemoteSource(BMessage* message, const FrameHeader& header)
	{
		message->fSourceRemote = true;
		message->fReturnTeam = header.replyTeam;
		message->fReturnLooper = header.replyLooper;
		message->fReturnHandler = header.replyHandler;
		message->fReturnPreferred = (header.flags & kFrameReplyPreferred) != 0;
		message->fCurrentSpecifier = header.currentSpecifier;
	}

	static void SetRemoteReply(BMessage* message, std::shared_ptr<RemoteReply> reply)
	{
		message->fRemoteReply = std::move(reply);
	}

	static void SetTarget(BMessage* message, int32 handlerToken, bool preferred)
	{
		message->fTargetToken = preferred ? -1 : handlerToken;
		message->fPreferred = preferred;
	}

	static void MarkReplied(BMessage* message) { message->fReplied = true; }

	static void TakeSlotReply(BMessage* reply, const BMessage& from,
		const std::shared_ptr<ReplySlot>& waiting)
	{
		*reply = from;
		reply->fIsReply = true;
		reply->fReplyLooper = from.fReplyLooper;
		reply->fReplyToken = from.fReplyToken;
		reply->fReturnTeam = from.fReturnTeam;
		reply->fReturnLooper = from.fReturnLooper;
		reply->fReturnHandler = from.fReturnHandler;
		reply->fReturnPreferred = from.fReturnPreferred;
		reply->fReplySlot = waiting;
	}

	// Moves the duty to reply from one message to its copy.
	static void MoveDelivery(BMessage* from, BMessage* to)
	{
		to->fReplyLooper = from->fReplyLooper;
		to->fReplyToken = from->fReplyToken;
		to->fReplySlot = from->fReplySlot;
		to->fSourceRemote = from->fSourceRemote;
		to->fReturnTeam = from->fReturnTeam;
		to->fReturnLooper = from->fReturnLooper;
		to->fReturnHandler = from->fReturnHandler;
		to->fReturnPreferred = from->fReturnPreferred;
		to->fRemoteReply = from->fRemoteReply;
		to->fReplied = from->fReplied;
		to->fCurrentSpecifier = from->fCurrentSpecifier;
		from->fReplied = true;
	}

	static void SetPrevious(BMessage* reply, const BMessage& original)
	{
		reply->fIsReply = true;
		reply->fPrevious = std::make_shared<BMessage>(original);
	}

	static int32 CurrentSpecifier(const BMessage& message) { return message.fCurrentSpecifier; }
};

} // namespace BPrivate

#endif
