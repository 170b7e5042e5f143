// The store's operations that show a record in a message list; only the
// programs with windows link them.
#include <ArrivalSound.h>
#include <MessageNames.h>
#include <PopClass.h>

#include <HostPath.h>
#include <String.h>
#include <TestView.h>
#include <Window.h>

#include <image.h>
#include <string.h>

void
PopClass::ajoute3(int i, TestView* view)
{
	Tliste* record = new Tliste;
	// A record that can't be read shows as an empty message, not as
	// whatever the memory held.
	memset(record, 0, sizeof(Tliste));
	read_message(i, record);
	ajoute2(record, view);
}

void
PopClass::ajoute2(Tliste* rec, TestView* view)
{
	if (rec == NULL)
		return;
	if (view != NULL) {
		BString sender;
		read_message_names(rec, &sender, NULL, NULL);
		// The whole text, also past the record's 1000 bytes.
		BString text;
		read_message_text(rec, &text);
		BWindow* window = view->Window();
		if (window == NULL || window->Lock()) {
			view->AjouteFrom(const_cast<char*>(sender.String()), view);
			view->ajouteMess(const_cast<char*>(text.String()), view);
			if (window != NULL)
				window->Unlock();
		}
	}
	ajoute(rec);
	play_arrival_sound();
}

status_t
play_arrival_sound()
{
	// An argument vector, not a shell command: the install path may hold
	// blanks or shell characters.
	BString sound = host_path(ARRIVAL_SOUND_FILE);
	const char* argv[] = {"MediaPlayer", "-closeWhenDone", "on", "-autoPlay", "on", "-mini",
		sound.String(), NULL};
	thread_id player = load_image(7, argv, NULL);
	if (player < 0)
		return player;
	status_t exitValue = B_ERROR;
	status_t status = wait_for_thread(player, &exitValue);
	if (status != B_OK)
		return status;
	return exitValue == 0 ? B_OK : B_ERROR;
}
