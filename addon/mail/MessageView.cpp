#include "MessageView.h"

#include "LetterolDefs.h"
#include "NewMailTable.h"

#include <Application.h>
#include <Button.h>
#include <ScrollView.h>
#include <TextControl.h>
#include <TextView.h>
#include <Window.h>

#include <stdio.h>

MessageView::MessageView(BRect frame)
	: BView(frame, NULL, B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_NAVIGABLE)
{
	const uint32 follow = B_FOLLOW_LEFT | B_FOLLOW_TOP;
	const uint32 flags = B_WILL_DRAW | B_NAVIGABLE;

	fBody = new BTextView(BRect(0, 150, 468, 449), "private_popup_read",
		BRect(10, 170, 430, 400), B_FOLLOW_ALL_SIDES,
		B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	fBody->SetDrawingMode(B_OP_OVER);
	fBody->MakeEditable(false);
	AddChild(new BScrollView("scroll_private-view-read", fBody, B_FOLLOW_NONE, 0, false, true,
		B_FANCY_BORDER));

	fSender = new BTextControl(BRect(70, 30, 211, 60), "MonTextControl", "from", "", NULL,
		follow, flags);
	AddChild(fSender);
	fRecipient = new BTextControl(BRect(70, 70, 211, 100), "MonTextControl", "to", "", NULL,
		follow, flags);
	AddChild(fRecipient);
	fSubject = new BTextControl(BRect(70, 110, 190, 134), "MonTextControl", "sujet", "", NULL,
		follow, B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	AddChild(fSubject);

	fOK = new BButton(BRect(1, 1, 40, 43), "OK", "OK", new BMessage(kShowNextMail), follow,
		flags);
	fOK->MoveTo(5, 5);
	AddChild(fOK);

	scan_new_mail();
}

void
MessageView::AttachedToWindow()
{
	fOK->SetTarget(this);
	Window()->SetDefaultButton(fOK);
	BView::AttachedToWindow();
}

void
MessageView::MessageReceived(BMessage* message)
{
	if (message->what == kShowNextMail)
		_ShowNext();
}

void
MessageView::_ShowNext()
{
	if (message_count == 0) {
		be_app->PostMessage(B_QUIT_REQUESTED);
		return;
	}
	int32 n = message_count;
	NewMail& mail = new_mail(n);
	printf("number%d\n", (int)n);
	printf("number%s\n", mail.subject.String());

	fSender->SetText("");
	fSubject->SetText("");
	fRecipient->SetText("");
	fBody->SetText("");

	fSender->SetText(mail.sender.String());
	fRecipient->SetText(mail.recipient.String());
	fSubject->SetText(mail.subject.String());
	fBody->SetText(mail.body.String());
	message_count--;
}
