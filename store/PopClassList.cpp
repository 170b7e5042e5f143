// The store's operations that show a record in a message list; only the
// programs with windows link them.
#include <ArrivalSound.h>
#include <MessageNames.h>
#include <PopClass.h>

#include <HostPath.h>
#include <String.h>
#include <TestView.h>
#include <Window.h>

#include <errno.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>

extern char** environ;

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
		// A text of the full 1000 bytes has no terminating zero.
		BString text(rec->message, kMessageSize);
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
	pid_t pid;
	int error = posix_spawnp(&pid, argv[0], NULL, NULL, const_cast<char* const*>(argv),
		environ);
	if (error != 0)
		return be_error_from_errno(error);
	int status = 0;
	while (waitpid(pid, &status, 0) < 0) {
		if (errno != EINTR)
			return be_error_from_errno(errno);
	}
	return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? B_OK : B_ERROR;
}
