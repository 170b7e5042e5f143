#include "TView2.h"

#include "BitmapView.h"
#include "BrowseList.h"
#include "MurmeloSettings.h"
#include "SambaPost.h"
#include "SendoloDefs.h"

#include <Alert.h>
#include <Application.h>
#include <Bitmap.h>
#include <Button.h>
#include <CheckBox.h>
#include <Errors.h>
#include <MailMessage.h>
#include <Messenger.h>
#include <MenuItem.h>
#include <OS.h>
#include <PopUpMenu.h>
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

// What the machines thread is given.
struct MachinesJob {
	BMessenger view;
	BString group;
};

// The workgroup `@` and the machines button stand for: the one of the
// options, else the local Samba's.
BString
own_group(const BString& fromOptions)
{
	if (fromOptions.Length() > 0)
		return fromOptions;
	return browse_samba_setting("workgroup");
}

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

	// Beside the destination field, clear of every other control; added
	// last, so the form's own controls keep their order.
	fMachines = new BButton(BRect(214, 104, 236, 124), "machines", "\xe2\x96\xbe",
		new BMessage(kMachinesPressed), follow, flags);
	AddChild(fMachines);

	// A missing file or name keeps "group"; an empty name empties the field.
	murmelo_settings settings;
	settings.popName = "group";
	if (load_murmelo_settings(&settings) == B_OK)
		fSender->SetText(settings.popName.String());
	fGroup = settings.group;
}

void
TView2::AttachedToWindow()
{
	fMailMode->SetTarget(this);
	fSender->SetTarget(this);
	fSend->SetTarget(this);
	fMachines->SetTarget(this);
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
		case kMachinesPressed:
			_ReadMachines();
			break;
		case kMachinesRead:
			_ShowMachines(message);
			break;
		case kMachineChosen:
		{
			const char* machine;
			if (message->FindString("machine", &machine) == B_OK)
				fDestination->SetText(machine);
			break;
		}
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

void
TView2::_ReadMachines()
{
	MachinesJob* job = new MachinesJob{BMessenger(this), fGroup};
	thread_id thread = spawn_thread(machines_entry, "browse list", B_NORMAL_PRIORITY, job);
	if (thread < 0) {
		delete job;
		return;
	}
	fMachines->SetEnabled(false);
	resume_thread(thread);
}

void
TView2::_ShowMachines(BMessage* list)
{
	fMachines->SetEnabled(true);
	BPopUpMenu* menu = new BPopUpMenu("machines", false, false);
	const char* machine;
	for (int32 i = 0; list->FindString("machine", i, &machine) == B_OK; i++) {
		BMessage* choice = new BMessage(kMachineChosen);
		choice->AddString("machine", machine);
		menu->AddItem(new BMenuItem(machine, choice));
	}
	if (menu->CountItems() == 0) {
		// The menu still opens, so that the press visibly did something.
		const char* reason = "no machine found";
		list->FindString("reason", &reason);
		BMenuItem* item = new BMenuItem(reason, NULL);
		item->SetEnabled(false);
		menu->AddItem(item);
	}
	menu->SetTargetForItems(this);
	menu->SetAsyncAutoDestruct(true);
	BRect button = fMachines->ConvertToScreen(fMachines->Bounds());
	menu->Go(button.LeftBottom(), true, true, button, true);
}


int32
machines_entry(void* data)
{
	MachinesJob job = *(MachinesJob*)data;
	delete (MachinesJob*)data;

	BString group = own_group(job.group);
	std::vector<BString> machines;
	status_t status = browse_machines_cached(group.String(), &machines);
	BMessage list(kMachinesRead);
	for (const BString& machine : machines)
		list.AddString("machine", machine.String());
	if (status == B_NAME_NOT_FOUND)
		list.AddString("reason", "no browse list found");
	else if (status == B_TIMED_OUT)
		list.AddString("reason", "the browse list did not answer in time");
	else if (status == B_BAD_VALUE)
		list.AddString("reason", "no workgroup name to look for");
	else if (status != B_OK)
		list.AddString("reason", be_strerror(status));
	job.view.SendMessage(&list);
	return 0;
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
	BString group(view->fGroup);
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
		if (destination.FindFirst('@') >= 0) {
			// A workgroup stands for the machines its browse list knows,
			// this one left out.
			BString problems;
			destination = browse_expand(destination.String(), own_group(group).String(),
				browse_samba_setting("netbios name").String(), &problems,
				browse_machines_cached_now);
			if (problems.Length() > 0)
				show_info(problems.String());
		}
		if (destination.Length() > 0)
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
