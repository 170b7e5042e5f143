#include "TWindow1.h"

#include "ArrivalNotice.h"
#include "HistoryItem.h"
#include "HistoryWindow.h"
#include "erreure.h"

#include <HistoryMarks.h>

#include <MessageNames.h>
#include <MurmeloSettings.h>
#include <PopClass.h>
#include <SambaPost.h>
#include <TView2.h>
#include <TWindow19.h>
#include <TabView.h>
#include <TestView.h>

#include <Alert.h>
#include <Application.h>
#include <ArrivalSound.h>
#include <Autolock.h>
#include <Font.h>
#include <HostPath.h>
#include <NodeMonitor.h>
#include <String.h>

#include <algorithm>
#include <memory>
#include <stdio.h>
#include <string.h>
#include <vector>

PopClass* magestion = NULL;
bool processing_new_message = false;
bool is_it_a_reply = false;

static const bigtime_t kPulseInterval = 3000000;
// Records read at a time when a poll finds new ones.
static const int kShowBatch = 64;
// An away answer that takes longer is given up.
static const bigtime_t kAwayAnswerTimeout = 30000000;

namespace {

// One arrival sound at a time: messages that come while it plays were
// heard with it.
std::atomic<bool> sSoundPlaying(false);

int32
play_sound(void*)
{
	play_arrival_sound();
	sSoundPlaying = false;
	return 0;
}

void
start_arrival_sound()
{
	if (sSoundPlaying.exchange(true))
		return;
	thread_id thread = spawn_thread(play_sound, "arrival sound", 10, NULL);
	if (thread < 0)
		sSoundPlaying = false;
	else
		resume_thread(thread);
}

// What an away thread needs; it never touches the window, so the window
// can go while an answer is still on its way.
struct AwayAnswer {
	int record;
	Tliste message;
};

} // namespace

TWindow1::TWindow1(char* title, BRect frame)
	:
	BWindow(frame, title, B_TITLED_WINDOW, B_NOT_RESIZABLE, B_CURRENT_WORKSPACE),
	fAway(false),
	fTitle(title),
	fPulseLock("pulse"),
	fQuitting(false),
	fPollInterval(kPulseInterval),
	fUnread(0),
	fAwayUnread(0)
{
	fStrip = new TView2(BRect(0, 0, 430, 100));
	fStrip->SetViewColor(219, 219, 219, 255);
	AddChild(fStrip);

	// The tab view and its pages end where the window does, so that the
	// last rows and the lower scroll arrow are in sight.
	BRect bounds = Bounds();
	const char* tabNames[3] = {"Pop-Perso", "WorkGroup", "All-Pop"};
	BFont font(be_plain_font);
	fTabView = new TabView(BRect(0, 100, std::min(430.0f, bounds.right), bounds.bottom), NULL,
		tabNames, 3, B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE, &font);
	float listBottom = std::min(430.0f, fTabView->Bounds().bottom - 10);
	for (int i = 0; i < 3; i++)
		fLists[i] = new TestView(BRect(10, 50, 415, listBottom));
	fTabView->AddViews((BView**)fLists);
	AddChild(fTabView);

	if (magestion == NULL)
		magestion = new PopClass();
	if (!magestion->vide())
		(new erreure)->fatal_error(3, (char*)"data struct");

	processing_new_message = false;
	is_it_a_reply = false;

	_WatchDataFile();
	fPulseSleep = create_sem(0, "pulse sleep");
	fPulseThread = spawn_thread(Pulsard, "et hop", 10, this);
	resume_thread(fPulseThread);
}

TWindow1::~TWindow1()
{
	stop_watching(this);
	// The pulse never ends by itself; it stops here so that it never
	// touches a window that is gone.
	fQuitting = true;
	delete_sem(fPulseSleep);
	status_t result;
	wait_for_thread(fPulseThread, &result);
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
				label, fLists[0]->SelectedArrival());
			popup->Show();
			break;
		}

		case kMainAway:
			fAway = !fAway;
			break;

		case kMainHistoryOpened:
			// The away answers have been looked at.
			if (fAwayUnread != 0) {
				fAwayUnread = 0;
				_UpdateTitle();
			}
			break;

		case kMainShowRecord:
		{
			// A desktop notification was clicked: that message, in sight.
			int32 record = message->GetInt32("record", -1);
			Activate();
			fTabView->SelectTab(0);
			fLists[0]->SelectRecord(record);
			break;
		}

		case B_NODE_MONITOR:
		{
			const char* name = NULL;
			int32 opcode = message->GetInt32("opcode", 0);
			// A data file made or put in place: watch the new one.
			if ((opcode == B_ENTRY_CREATED || opcode == B_ENTRY_MOVED)
				&& message->FindString("name", &name) == B_OK
				&& strcmp(name, fDataFile.path.Length() > 0
					? strrchr(fDataFile.path.String(), '/') + 1 : "murmelo.dat") == 0) {
				_WatchDataFile();
			}
			release_sem(fPulseSleep);
			break;
		}

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

void
TWindow1::WindowActivated(bool active)
{
	BWindow::WindowActivated(active);
	if (active && fUnread != 0) {
		fUnread = 0;
		_UpdateTitle();
	}
}

int32
TWindow1::Pulsard(void* window)
{
	TWindow1* self = static_cast<TWindow1*>(window);
	while (!self->fQuitting) {
		self->Pulse();
		// Woken early when the data file changes, and when the window goes.
		acquire_sem_etc(self->fPulseSleep, 1, B_RELATIVE_TIMEOUT, self->fPollInterval);
		// Changes that came together make one poll.
		int32 pending = 0;
		if (get_sem_count(self->fPulseSleep, &pending) == B_OK && pending > 0)
			acquire_sem_etc(self->fPulseSleep, pending, B_RELATIVE_TIMEOUT, 0);
	}
	return 0;
}

void
TWindow1::SetPollInterval(bigtime_t interval)
{
	fPollInterval = interval;
	release_sem(fPulseSleep);
}

void
TWindow1::Pulse()
{
	BAutolock lock(fPulseLock);
	total_number_of_messages = magestion->count_total_number_of_messages();
	new_messages = magestion->are_there_new_messages_in_data_file();
	if (new_messages == 0)
		return;

	// Every new record of this poll, in order; the away flag as it is now.
	bool away = fAway;
	int total = total_number_of_messages;
	int handled = first_new_message - 1;
	std::unique_ptr<Tliste[]> batch(new Tliste[kShowBatch]);
	int shown = 0;
	for (int first = first_new_message; first <= total && !fQuitting; first += kShowBatch) {
		int wanted = std::min(kShowBatch, total - first + 1);
		int count = magestion->read_messages(first, wanted, batch.get());
		int indexes[kShowBatch];
		int fresh = 0;
		for (int k = 0; k < count; k++) {
			if (batch[k].is_new != 1)
				continue;
			if (away) {
				// Kept where the user finds it: the history marks it.
				append_history_mark(first + k, &batch[k], HISTORY_MARK_AWAY);
				_StartAway(first + k, batch[k]);
				_MarkSeen(first + k);
			} else {
				// Kept in order at the front of the batch.
				batch[fresh] = batch[k];
				indexes[fresh++] = first + k;
			}
		}
		if (fresh > 0)
			_ShowRecords(batch.get(), indexes, fresh);
		if (fQuitting)
			break;
		shown += fresh;
		handled = first + count - 1;
		if (count < wanted)
			break;
	}
	// Shown once, even where the file can't remember it.
	magestion->skip_messages_up_to(handled);
	if (shown > 0)
		start_arrival_sound();
}

void
TWindow1::_ShowRecords(Tliste* records, const int* indexes, int count)
{
	struct Row {
		BString sender;
		BString arrival;
		BString text;
	};
	std::vector<Row> rows(count);
	bigtime_t now = real_time_clock_usecs();
	for (int k = 0; k < count; k++) {
		read_message_names(&records[k], &rows[k].sender, NULL, NULL);
		int64 arrival;
		if (read_message_arrival(&records[k], &arrival) == B_OK)
			rows[k].arrival = format_arrival(arrival, now);
		// The whole text, also past the record's 1000 bytes; bytes that
		// are not UTF-8 show as replacement marks.
		BString text;
		read_message_text(&records[k], &text);
		rows[k].text = valid_utf8(text.String(), text.Length());
	}

	// As ajoute3 does, but giving up the wait for the window's lock once
	// the window goes; the sound plays without the lock.
	TestView* list = fLists[0];
	while (LockWithTimeout(100000) != B_OK) {
		if (fQuitting)
			return;
	}
	bool atEnd = list->IsAtEnd();
	for (int k = 0; k < count; k++)
		list->AddMessage(rows[k].sender.String(), rows[k].arrival.String(),
			rows[k].text.String(), indexes[k]);
	if (atEnd)
		list->ScrollToEnd();
	bool noticed = IsActive();
	if (!noticed) {
		fUnread += count;
		_UpdateTitle();
	}
	Unlock();

	// The desktop tells a user who looks elsewhere; not under the lock,
	// since the notification service may be slow to answer.
	for (int k = 0; k < count && !noticed && !fQuitting; k++)
		notify_arrival(this, indexes[k], rows[k].sender.String(), rows[k].text.String());

	// Seen only once its rows are in the list.
	for (int k = 0; k < count; k++) {
		Tliste* node = new Tliste(records[k]);
		magestion->ajoute(node);
		_MarkSeen(indexes[k]);
	}
}

void
TWindow1::_MarkSeen(int record)
{
	status_t status = magestion->this_message_is_no_longer_new(record);
	if (status == B_OK || fToldReadOnly)
		return;
	fToldReadOnly = true;
	BString path = host_path(MURMELO_DATA_FILE);
	fprintf(stderr, "murmelo: can't mark messages as seen in %s; they show again at the next "
		"start\n", path.String());
	BString text;
	text << "Murmelo can't write the data file " << path
		<< ".\nThe messages shown now will show again the next time Murmelo starts.";
	(new BAlert("", text.String(), "ok", NULL, NULL, B_WIDTH_AS_USUAL, B_WARNING_ALERT))
		->Go(NULL);
}

void
TWindow1::_StartAway(int record, const Tliste& rec)
{
	AwayAnswer* answer = new AwayAnswer{record, rec};
	thread_id thread = spawn_thread(Away, "Away", 10, answer);
	if (thread < 0) {
		delete answer;
		return;
	}
	resume_thread(thread);
	fAwayUnread++;
	if (LockWithTimeout(1000000) == B_OK) {
		_UpdateTitle();
		Unlock();
	}
}

int32
TWindow1::Away(void* data)
{
	std::unique_ptr<AwayAnswer> answer(static_cast<AwayAnswer*>(data));
	BString sender;
	murmelo_settings settings;
	if (read_message_names(&answer->message, &sender, NULL, NULL) != B_OK) {
		printf("away: message %d has no known sender, not answered\n", answer->record);
	} else if (load_murmelo_settings(&settings) != B_OK) {
		printf("away: no settings, %s not answered\n", sender.String());
	} else {
		// The user is away: no alert, one line for the record.
		samba_reply reply;
		if (samba_run(sender.String(), settings.answer.String(), settings.popName.String(),
				&reply, kAwayAnswerTimeout) == B_OK
			&& samba_classify(reply) == SAMBA_SENT) {
			printf("away: answered %s\n", sender.String());
		} else {
			printf("away: answer to %s failed\n", sender.String());
		}
	}
	fflush(stdout);
	return 0;
}

void
TWindow1::_WatchDataFile()
{
	BString path = host_path(MURMELO_DATA_FILE);
	BString folder(path);
	int32 slash = folder.FindLast('/');
	if (slash > 0)
		folder.Truncate(slash);
	// Without a watch the three-second poll still finds everything.
	if (fDataFolder.path.Length() == 0 && BNode(folder.String()).GetNodeRef(&fDataFolder) == B_OK)
		watch_node(&fDataFolder, B_WATCH_DIRECTORY, this);
	node_ref file;
	if (BNode(path.String()).GetNodeRef(&file) == B_OK && file != fDataFile) {
		if (fDataFile.path.Length() > 0)
			watch_node(&fDataFile, B_STOP_WATCHING, this);
		fDataFile = file;
		watch_node(&fDataFile, B_WATCH_STAT, this);
	}
}

void
TWindow1::_UpdateTitle()
{
	int32 unread = Unread();
	BString title(fTitle);
	if (unread > 0)
		title << " (" << unread << ")";
	SetTitle(title.String());
}
