#include "TView20.h"

#include "BrowseList.h"
#include "MurmeloSettings.h"
#include "PrivatePopupMessages.h"
#include "SambaPost.h"

#include <Alert.h>
#include <Button.h>
#include <Messenger.h>
#include <OS.h>
#include <ScrollView.h>
#include <TextView.h>
#include <Window.h>

namespace {

// The longest correspondent name a window keeps.
const int32 kCorrespondentLength = 99;

// What one send works on: copies taken on the window's thread, so the send
// thread never touches a view that may be gone by the time it runs.
struct send_job {
	BString correspondent;
	BString text;
	BMessenger window;
};

void
ask_for_name()
{
	BAlert* alert = new BAlert("error",
		"\n\nNothing was sent: set your name in the options window first.", "oki", NULL, NULL,
		B_WIDTH_AS_USUAL, B_OFFSET_SPACING, B_WARNING_ALERT);
	alert->SetShortcut(0, B_ESCAPE);
	alert->Go(NULL);
}

// Who wrote the message, and when, in the margin above the received text.
class CaptionView : public BView {
public:
	CaptionView(BRect frame, const char* text)
		: BView(frame, "private_popup_caption", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW),
		  fText(text)
	{
	}

	void AttachedToWindow() override
	{
		BView::AttachedToWindow();
		SetViewColor(Parent()->ViewColor());
	}

	void Draw(BRect) override
	{
		SetHighColor(96, 96, 96);
		SetLowColor(ViewColor());
		DrawString(fText.String(), BPoint(0, Bounds().bottom - 3));
	}

private:
	BString fText;
};

} // namespace

TView20::TView20(BRect frame, const char* text, const char* correspondent, const char* arrival)
	:
	BView(frame, "TView20", B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_NAVIGABLE),
	fCorrespondent(correspondent != NULL ? correspondent : "", kCorrespondentLength)
{
	if (fCorrespondent.Length() > 0) {
		fCaption = fCorrespondent;
		if (arrival != NULL && arrival[0] != '\0')
			fCaption << " \u00b7 " << arrival;
	}
	SetViewColor(219, 219, 219, 255);

	const uint32 areaFlags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE;

	fWrite = new BTextView(BRect(4, 280, 547, 390), "private_popup_write", BRect(4, 10, 550, 40),
		B_FOLLOW_ALL_SIDES, areaFlags);
	fWrite->MakeEditable(true);
	AddChild(new BScrollView("scroll_private_popup_write", fWrite, B_FOLLOW_LEFT | B_FOLLOW_TOP,
		0, false, false, B_FANCY_BORDER));

	fRead = new BTextView(BRect(0, -2, 580, 270), "private_popup_read", BRect(10, 20, 544, 270),
		B_FOLLOW_ALL_SIDES, areaFlags);
	fRead->SetDrawingMode(B_OP_OVER);
	fRead->MakeEditable(false);
	fRead->SetText(text != NULL ? text : "");
	AddChild(new BScrollView("scroll_private-view-read", fRead, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0,
		false, true, B_FANCY_BORDER));

	if (fCaption.Length() > 0)
		fRead->AddChild(new CaptionView(BRect(10, 3, 460, 18), fCaption.String()));

	// A child of the read area, over the lower right of the received text.
	fSend = new BButton(BRect(470, 230, 539, 254), "SEND", "SEND",
		new BMessage(MSG_PRIVATE_SEND), B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	fRead->AddChild(fSend);
}

void
TView20::AttachedToWindow()
{
	BView::AttachedToWindow();
	// Left to the focus chain, SEND would do nothing until the user had
	// clicked into the answer.
	fSend->SetTarget(this);
}

void
TView20::MessageReceived(BMessage* message)
{
	if (message->what != MSG_PRIVATE_SEND)
		return;

	send_job* job = new send_job;
	job->correspondent = fCorrespondent;
	job->text = fWrite->Text();
	job->window = BMessenger(Window());
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
	send_job* job = (send_job*)data;

	BString sender;
	if (read_sender_name(&sender) != B_OK) {
		// Without the settings file there is no name to send under; the
		// window stays, so the answer is not lost.
		ask_for_name();
		delete job;
		return 0;
	}

	BString destination(job->correspondent);
	if (destination.FindFirst('@') >= 0) {
		// As in Sendolo: a workgroup stands for the machines its browse
		// list knows, this one left out.
		murmelo_settings settings;
		load_murmelo_settings(&settings);
		BString group = settings.group.Length() > 0 ? settings.group
			: browse_samba_setting("workgroup");
		BString problems;
		destination = browse_expand(destination.String(), group.String(),
			browse_samba_setting("netbios name").String(), &problems,
			browse_machines_cached_now);
		if (problems.Length() > 0) {
			BAlert* alert = new BAlert("error", problems.String(), "oki", NULL, NULL,
				B_WIDTH_AS_USUAL, B_WARNING_ALERT);
			alert->Go();
		}
	}
	if (destination.Length() > 0)
		samba_post(destination.String(), job->text.String(), sender.String());

	// The window may be gone already: closed by hand, or by an earlier send;
	// and another window may have come at its address since. Its handler
	// token tells our window from such a newcomer, and is looked at before
	// the window is touched at all.
	if (job->window.Target(NULL) != NULL && job->window.LockTarget()) {
		BLooper* looper = NULL;
		BHandler* handler = job->window.Target(&looper);
		if (looper != NULL && handler == looper)
			looper->Quit();
		else if (looper != NULL)
			looper->Unlock();
	}
	delete job;
	return 0;
}
