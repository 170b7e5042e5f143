#include "TWindow1.h"

#include "erreure.h"

#include <MessageNames.h>
#include <MurmeloSettings.h>
#include <PopClass.h>
#include <SambaPost.h>
#include <TView2.h>
#include <TWindow19.h>
#include <TabView.h>
#include <TestView.h>

#include <Application.h>
#include <Autolock.h>
#include <Font.h>
#include <String.h>

#include <stdio.h>
#include <string.h>

PopClass* magestion = NULL;
bool processing_new_message = false;
bool is_it_a_reply = false;

static const bigtime_t kPulseInterval = 3000000;

TWindow1::TWindow1(char* title, BRect frame)
	:
	BWindow(frame, title, B_TITLED_WINDOW, B_NOT_RESIZABLE, B_CURRENT_WORKSPACE),
	fAway(false),
	fPulseLock("pulse"),
	fQuitting(false),
	fAwayLock("away records")
{
	fStrip = new TView2(BRect(0, 0, 430, 100));
	fStrip->SetViewColor(219, 219, 219, 255);
	AddChild(fStrip);

	const char* tabNames[3] = {"Pop-Perso", "WorkGroup", "All-Pop"};
	BFont font(be_plain_font);
	fTabView = new TabView(BRect(0, 100, 430, 430), NULL, tabNames, 3, B_FOLLOW_ALL_SIDES,
		B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE, &font);
	for (int i = 0; i < 3; i++)
		fLists[i] = new TestView(BRect(10, 50, 415, 430));
	fTabView->AddViews((BView**)fLists);
	AddChild(fTabView);

	if (magestion == NULL)
		magestion = new PopClass();
	if (!magestion->vide())
		(new erreure)->fatal_error(3, (char*)"data struct");

	processing_new_message = false;
	is_it_a_reply = false;

	fPulseSleep = create_sem(0, "pulse sleep");
	fPulseThread = spawn_thread(Pulsard, "et hop", 10, this);
	resume_thread(fPulseThread);
}

TWindow1::~TWindow1()
{
	// The pulse never ends by itself; it stops here so that it never
	// touches a window that is gone.
	fQuitting = true;
	delete_sem(fPulseSleep);
	status_t result;
	wait_for_thread(fPulseThread, &result);
	std::vector<thread_id> away;
	{
		BAutolock lock(fAwayLock);
		away = fAwayThreads;
	}
	for (thread_id thread : away)
		wait_for_thread(thread, &result);
}

void
TWindow1::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMainClear:
			for (int i = 0; i < 3; i++)
				fLists[i]->EffaceTout();
			break;

		case kMainReply:
		{
			char* label = fLists[0]->recupLabel();
			char* text = fLists[0]->recupSousLabel();
			// Nothing selected: nothing to answer.
			if (label == NULL || text == NULL)
				break;
			TWindow19* popup = new TWindow19("private popup", BRect(20, 322, 572, 722), text,
				label);
			popup->Show();
			break;
		}

		case kMainAway:
			fAway = !fAway;
			break;

		default:
			break;
	}
}

bool
TWindow1::QuitRequested()
{
	be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}

int32
TWindow1::Pulsard(void* window)
{
	TWindow1* self = static_cast<TWindow1*>(window);
	while (!self->fQuitting) {
		self->Pulse();
		// Woken early only when the window goes.
		acquire_sem_etc(self->fPulseSleep, 1, B_RELATIVE_TIMEOUT, kPulseInterval);
	}
	return 0;
}

void
TWindow1::Pulse()
{
	BAutolock lock(fPulseLock);
	total_number_of_messages = magestion->count_total_number_of_messages();
	new_messages = magestion->are_there_new_messages_in_data_file();
	if (new_messages == 0)
		return;
	int record = first_new_message;
	if (fAway)
		_StartAway(record);
	else
		_Show(record);
	// Each message is shown, or answered, once.
	magestion->this_message_is_no_longer_new(record);
}

void
TWindow1::_Show(int record)
{
	Tliste* rec = new Tliste;
	memset(rec, 0, sizeof(Tliste));
	magestion->read_message(record, rec);
	BString sender;
	read_message_names(rec, &sender, NULL, NULL);
	BString text(rec->message, kMessageSize);

	// As ajoute3 does, but giving up the wait for the window's lock once
	// the window goes; the sound plays without the lock.
	TestView* list = fLists[0];
	while (LockWithTimeout(100000) != B_OK) {
		if (fQuitting) {
			delete rec;
			return;
		}
	}
	list->AjouteFrom(const_cast<char*>(sender.String()), list);
	list->ajouteMess(const_cast<char*>(text.String()), list);
	Unlock();
	// Into the store, and the arrival sound.
	magestion->ajoute2(rec, NULL);
}

void
TWindow1::_StartAway(int record)
{
	BAutolock lock(fAwayLock);
	fAwayRecords.push_back(record);
	thread_id thread = spawn_thread(Away, "Away", 10, this);
	if (thread < 0) {
		fAwayRecords.pop_back();
		return;
	}
	fAwayThreads.push_back(thread);
	resume_thread(thread);
}

int32
TWindow1::Away(void* window)
{
	TWindow1* self = static_cast<TWindow1*>(window);
	int record;
	{
		BAutolock lock(self->fAwayLock);
		if (self->fAwayRecords.empty())
			return 0;
		record = self->fAwayRecords.front();
		self->fAwayRecords.pop_front();
	}

	Tliste rec;
	memset(&rec, 0, sizeof(rec));
	magestion->read_message(record, &rec);
	BString sender;
	murmelo_settings settings;
	if (read_message_names(&rec, &sender, NULL, NULL) != B_OK) {
		printf("away: message %d has no known sender, not answered\n", record);
	} else if (load_murmelo_settings(&settings) != B_OK) {
		printf("away: no settings, %s not answered\n", sender.String());
	} else {
		// The user is away: no alert, one line for the record.
		samba_reply reply;
		if (samba_run(sender.String(), settings.answer.String(), settings.popName.String(),
				&reply) == B_OK
			&& samba_classify(reply) == SAMBA_SENT) {
			printf("away: answered %s\n", sender.String());
		} else {
			printf("away: answer to %s failed\n", sender.String());
		}
	}
	fflush(stdout);

	BAutolock lock(self->fAwayLock);
	std::vector<thread_id>& threads = self->fAwayThreads;
	for (size_t i = 0; i < threads.size(); i++) {
		if (threads[i] == find_thread(NULL)) {
			threads.erase(threads.begin() + i);
			break;
		}
	}
	return 0;
}
