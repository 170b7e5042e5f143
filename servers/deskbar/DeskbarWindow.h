#ifndef DESKBAR_WINDOW_H
#define DESKBAR_WINDOW_H

#include <Window.h>

class BShelf;
class TStatusView;

// The window "Deskbar": its view "Status" holds the shelf of replicants.
// Shown as a small window that floats above the others.
class TDeskbarWindow : public BWindow {
public:
	// shelfPath: where the shelf is saved; NULL keeps it unsaved.
	TDeskbarWindow(const char* shelfPath);

	bool QuitRequested() override;

	// Answers one of BDeskbar's requests; called with the window locked.
	void HandleRequest(BMessage* request, BMessage* reply);

	BShelf* Shelf() const { return fShelf; }
	// Fits the window to the replicants; with the window locked.
	void FitToReplicants();

private:
	status_t _AddModule(const char* path, uint32* id);

	TStatusView* fStatus;
	BShelf* fShelf;
};

#endif
