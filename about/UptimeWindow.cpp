#include "UptimeWindow.h"

#include <BitmapView.h>
#include <doc.h>

#include <Application.h>
#include <Bitmap.h>
#include <Entry.h>
#include <HostPath.h>
#include <MidiSynthFile.h>
#include <OS.h>
#include <Path.h>
#include <Roster.h>
#include <Sound.h>
#include <SoundPlayer.h>
#include <TextView.h>
#include <TranslationUtils.h>

#include <stdio.h>
#include <stdlib.h>

namespace {

const bigtime_t kMusicPoll = 2000000;
const float kSoundVolume = 0.4f;

// The folder two levels above the program's own file, from the running
// application's information when there is an application.
BString
program_grandparent()
{
	app_info info;
	if (be_app != NULL && be_app->GetAppInfo(&info) == B_OK) {
		BPath path(&info.ref);
		BPath parent, grandparent;
		if (path.InitCheck() == B_OK && path.GetParent(&parent) == B_OK
			&& parent.GetParent(&grandparent) == B_OK)
			return BString(grandparent.Path());
	}
	return install_directory();
}

} // namespace

UptimeWindow::UptimeWindow(BRect frame)
	: BWindow(frame, "About Murmelo", B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
		  B_NOT_RESIZABLE | B_AVOID_FRONT, B_CURRENT_WORKSPACE),
	  fState(std::make_shared<AboutTuneState>()),
	  fPlayer(NULL),
	  fPlayID(0)
{
}

UptimeWindow::~UptimeWindow()
{
	// A window deleted without being asked to close must not leave its tune
	// playing for ever.
	fState->stop = true;
}

bool
UptimeWindow::QuitRequested()
{
	fState->stop = true;
	Quit();
	return true;
}

void
UptimeWindow::playmidi(const std::shared_ptr<AboutTuneState>& state)
{
	BString path = program_grandparent();
	path << "/music/star.mid";

	// A missing or unreadable tune is silence; the loop runs all the same.
	BMidiSynthFile* synth = new BMidiSynthFile;
	entry_ref ref;
	if (get_ref_for_path(path.String(), &ref) == B_OK && synth->LoadFile(&ref) == B_OK) {
		synth->EnableLooping(true);
		synth->Start();
		state->playing = !synth->IsFinished();
	}

	while (!state->stop)
		snooze(kMusicPoll);

	delete synth;
	state->playing = false;
}

status_t
UptimeWindow::playsound(const char* path)
{
	fPlayer = NULL;
	sem_id lock = create_sem(1, "play_sem");
	if (lock < B_OK)
		return lock;

	BEntry entry(path, true);
	status_t status = entry.InitCheck();
	if (status != B_OK) {
		fprintf(stderr, "Couldn't find %s.\n", path);
		delete_sem(lock);
		return status;
	}
	entry_ref ref;
	status = entry.GetRef(&ref);
	if (status != B_OK) {
		fprintf(stderr, "Couldn't get entry_ref from %s.\n", path);
		delete_sem(lock);
		return status;
	}
	BSound* sound = new BSound(&ref, false);
	status = sound->InitCheck();
	if (status != B_OK) {
		fprintf(stderr, "%s not a valid sound file.\n", path);
		sound->ReleaseRef();
		delete_sem(lock);
		return status;
	}

	status = acquire_sem(lock);
	if (status != B_OK) {
		sound->ReleaseRef();
		delete_sem(lock);
		return status;
	}
	media_raw_audio_format format = sound->Format();
	BPath leaf(path);
	BSoundPlayer* player = new BSoundPlayer(&format, leaf.Leaf(), NULL, NULL, NULL);
	player->Start();
	player->SetVolume(kSoundVolume);
	play_id id = player->StartPlaying(sound, 0);
	fPlayer = player;
	fPlayID = id;
	// The player holds its own reference while it plays.
	sound->ReleaseRef();
	release_sem_etc(lock, 1, B_DO_NOT_RESCHEDULE);

	player->WaitForSound(id);

	status = acquire_sem(lock);
	if (status != B_OK)
		return status;
	delete fPlayer;
	fPlayer = NULL;
	release_sem(lock);
	delete_sem(lock);
	return 0;
}

void
UptimeWindow::AboutSequence()
{
	BBitmap* logo = BTranslationUtils::GetBitmap("trovel");
	BRect logoRect;
	if (logo != NULL)
		logoRect = logo->Bounds();

	doc reader;
	char* text = reader.show_text_file(1);

	UptimeWindow* window = new UptimeWindow(BRect(0, 0, 400, 350));

	BTextView* textView = new BTextView(BRect(0, 0, 400, 350), "private_popup_read",
		BRect(0, 0, 400, 175), B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	textView->MakeEditable(false);
	textView->SetText(text != NULL ? text : "");
	// The text view keeps its own copy.
	free(text);
	textView->SetHighColor(255, 0, 0, 255);
	textView->SetLowColor(0, 0, 0, 255);
	textView->SetViewColor(0, 0, 0, 255);

	BFont font;
	uint32 sameProperties = 0;
	rgb_color color;
	textView->GetFontAndColor(&font, &sameProperties, &color);
	font.SetSize(13);
	color = make_color(255, 163, 0, 255);
	textView->SetFontAndColor(&font, sameProperties, &color);

	BitmapView* logoView = NULL;
	if (logo != NULL) {
		logoView = new BitmapView(logo, logoRect, "BitmapView", B_FOLLOW_LEFT | B_FOLLOW_TOP,
			B_WILL_DRAW);
	}

	window->Lock();
	window->AddChild(textView);
	if (logoView != NULL)
		textView->AddChild(logoView);
	window->Unlock();

	// Taken before Show: once shown, a close may delete the window at any time.
	std::shared_ptr<AboutTuneState> state = window->TuneState();
	window->Lock();
	window->MoveTo(50, 50);
	window->Show();
	window->Unlock();

	playmidi(state);
}
