#ifndef _UPTIME_WINDOW_H
#define _UPTIME_WINDOW_H

#include <Window.h>

#include <atomic>
#include <memory>

class BSoundPlayer;
typedef int32 play_id;

// What the window and its about thread share. The about thread keeps it
// after the window has been deleted by its closing.
struct AboutTuneState {
	// Set when the window is asked to close; the tune loop reads it.
	std::atomic<bool> stop{false};
	// The tune is loaded and running; cleared once it has been released.
	std::atomic<bool> playing{false};
};

// The about window: the read-me in orange over black, the logo in its
// top-left corner, and a tune in a loop for as long as it is open.
class UptimeWindow : public BWindow {
public:
	UptimeWindow(BRect frame);
	virtual ~UptimeWindow();

	bool QuitRequested() override;

	// Plays "music/star.mid" (two folders above the program) in a loop until
	// the stop flag of state is set, polling it every 2 seconds. Takes the
	// state rather than the window: the window may be gone while it sleeps.
	static void playmidi(const std::shared_ptr<AboutTuneState>& state);

	// Plays one sound file once, to its end, on the caller's thread;
	// 0, or the status that failed.
	status_t playsound(const char* path);

	// Taken by the about thread before the window is shown.
	std::shared_ptr<AboutTuneState> TuneState() const { return fState; }

	// Builds, fills and shows a new about window, then plays its tune until
	// it closes. Runs on the caller's thread, which it keeps till then.
	static void AboutSequence();

private:
	std::shared_ptr<AboutTuneState> fState;
	BSoundPlayer* fPlayer;
	play_id fPlayID;
};

#endif
