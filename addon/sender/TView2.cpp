#include "TView2.h"

#include "BitmapView.h"
#include "MurmeloSettings.h"
#include "SambaPost.h"
#include "SendoloDefs.h"

#include <Alert.h>
#include <Application.h>
#include <Bitmap.h>
#include <Button.h>
#include <CheckBox.h>
#include <MailMessage.h>
#include <Messenger.h>
#include <OS.h>
#include <ScrollView.h>
#include <String.h>
#include <TextControl.h>
#include <TextView.h>
#include <TranslationUtils.h>
#include <Window.h>

#include <stdio.h>

std::atomic<bool> uneVariableBienPratique(false);

namespace {

// The longest destination field the send thread copies, in bytes: room for
// several names; samba_post cuts each name to 99.
const int32 kMaxDestination = 1023;

// What the send thread is given: the view, and a messenger that tells it
// whether the view's window is still open before it touches the view.
struct SendJob {
	TView2* view;
	BMessenger window;
};

void
show_info(const char* text)
{
	BAlert* alert = new BAlert("", text, "OK", NULL, NULL, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	alert->Go();
}

// At most maxBytes of text, never cut inside a UTF-8 character.
BString
leading_bytes(const char* text, int32 maxBytes)
{
	BString copy(text);
	if (copy.Length() > maxBytes) {
		int32 length = maxBytes;
		while (length > 0 && ((uint8)copy.ByteAt(length) & 0xc0) == 0x80)
			length--;
		copy.Truncate(length);
	}
	return copy;
}

} // namespace


TView2::TView2(BRect frame, int32 windowOnly)
	: BView(frame, "TView2", B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_NAVIGABLE),
	  fWindowOnly(windowOnly)
{
	const uint32 follow = B_FOLLOW_LEFT | B_FOLLOW_TOP;
	const uint32 flags = B_WILL_DRAW | B_NAVIGABLE;
	uneVariableBienPratique = false;

	fSend = new BButton(BRect(37, 26, 106, 50), "Mon_Boutton", "send it",
		new BMessage(kSendPressed), follow, flags);
	AddChild(fSend);

	fSender = new BTextControl(BRect(53, 124, 211, 149), "MonTextControl", "me", "group",
		new BMessage(kSenderCommitted), follow, flags);
	AddChild(fSender);

	fDestination = new BTextControl(BRect(53, 104, 211, 129), "Destinataire", "To :",
		"MyFriend", new BMessage(kDestinationCommitted), follow, flags);
	AddChild(fDestination);

	// The frame's bottom lies above its top; the check box grows to the
	// height its label needs.
	fMailMode = new BCheckBox(BRect(75, 70, 170, 60), "MAIL mode", "MAIL mode",
		new BMessage(kMailModeToggled), B_FOLLOW_ALL_SIDES, flags);
	AddChild(fMailMode);

	if (BBitmap* picture = BTranslationUtils::GetBitmap("mainjoli")) {
		BitmapView* pictureView
			= new BitmapView(picture, picture->Bounds(), "BitmapView", follow, B_WILL_DRAW);
		pictureView->MoveTo(190, 20);
		AddChild(pictureView);
	}

	fMessage = new BTextView(BRect(4, 160, 286, 200), "message_a_moi", BRect(4, 10, 260, 15),
		B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	AddChild(new BScrollView("scroll_Text", fMessage, follow, 0, true, true, B_FANCY_BORDER));

	// A missing file or name keeps "group"; an empty name empties the field.
	murmelo_settings settings;
	settings.popName = "group";
	if (load_murmelo_settings(&settings) == B_OK)
		fSender->SetText(settings.popName.String());
}

void
TView2::AttachedToWindow()
{
	fMailMode->SetTarget(this);
	fSender->SetTarget(this);
	fSend->SetTarget(this);
	BView::AttachedToWindow();
}

void
TView2::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMailModeToggled:
			uneVariableBienPratique = !uneVariableBienPratique;
			break;
		case kSendPressed:
			if (fMessage->TextLength() == 0) {
				show_info("please enter a text");
				fMessage->MakeFocus();
				break;
			}
			_StartSend();
			break;
		default:
			break;
	}
}

void
TView2::_StartSend()
{
	SendJob* job = new SendJob{this, BMessenger(this)};
	thread_id thread = spawn_thread(folge_entry, "et hop", B_NORMAL_PRIORITY, job);
	if (thread < 0) {
		delete job;
		return;
	}
	resume_thread(thread);
}


int32
folge_entry(void* data)
{
	SendJob job = *(SendJob*)data;
	delete (SendJob*)data;
	TView2* view = job.view;

	// The copies are all the thread works on; a window closed meanwhile
	// leaves nothing to send.
	if (!job.window.LockTarget())
		return 0;
	BString destination = leading_bytes(view->fDestination->Text(), kMaxDestination);
	BString text(view->fMessage->Text());
	BString sender(view->fSender->Text());
	int32 windowOnly = view->fWindowOnly;
	view->Window()->Unlock();

	bool mailMode = uneVariableBienPratique;
	if (mailMode) {
		if (destination.Length() <= 2) {
			show_info("Bad E-mail adress");
			if (job.window.LockTarget()) {
				view->fDestination->MakeFocus();
				view->Window()->Unlock();
			}
		}
		BMailMessage mail;
		mail.AddHeaderField(B_MAIL_TO, destination.String(), false);
		mail.AddHeaderField(B_MAIL_SUBJECT, sender.String(), false);
		mail.AddContent(text.String(), text.Length(), B_ISO1_CONVERSION, false);
		mail.Send(true, false);
		printf("mail send\n");
		fflush(stdout);
	} else {
		printf("popup\n");
		fflush(stdout);
		samba_post(destination.String(), text.String(), sender.String());
	}

	if (windowOnly == 1 || !mailMode) {
		if (job.window.LockTarget())
			view->Window()->Quit();
	}
	if (windowOnly == 1)
		return 0;
	if (!mailMode) {
		// Quitting the application would take samba_post's outcome alert
		// with it unread: the program ends once the user has dismissed it.
		while (be_app->CountWindows() > 0)
			snooze(50000);
	}
	be_app->PostMessage(B_QUIT_REQUESTED);
	return 0;
}
