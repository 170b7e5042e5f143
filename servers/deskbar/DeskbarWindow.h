#ifndef DESKBAR_WINDOW_H
#define DESKBAR_WINDOW_H

#include <Window.h>

class BShelf;
class BStatusTray;
class TStatusView;

// The window "Deskbar": its view "Status" holds the shelf of replicants.
// Shown as a small window that floats above the others.
class TDeskbarWindow : public BWindow {
public:
	// shelfPath: where the shelf is saved; NULL keeps it unsaved.
	TDeskbarWindow(const char* shelfPath);

	bool QuitRequested() override;
	void MessageReceived(BMessage* message) override;
	void DispatchMessage(BMessage* message, BHandler* handler) override;

	// Shows the replicants in the desktop's tray when it has one, else in
	// this window on the screen; after the window is shown.
	void StartTray();
	bool InTray() const { return fInTray; }

	// Answers one of BDeskbar's requests; called with the window locked.
	void HandleRequest(BMessage* request, BMessage* reply);

	BShelf* Shelf() const { return fShelf; }

	// A replicant that crashes while drawing takes the process down; with
	// this, the Deskbar logs which one and starts again without it.
	void GuardAgainstCrashes(const char* program);
	// Takes out a replicant the last run crashed in; with the window locked.
	void DropCrashedReplicant(int32 index);
	// Fits the window to the replicants; with the window locked.
	void FitToReplicants();
	// The shelf's news, with the window locked.
	void ReplicantAdded(BView* replicant);
	void ReplicantDeleted(BView* replicant);

private:
	status_t _AddModule(const char* path, uint32* id);
	static void _Crashed(int signal);

	void _UseTray(bool inTray);
	int32 _IdOf(BView* replicant) const;

	TStatusView* fStatus;
	BShelf* fShelf;
	BStatusTray* fTray = NULL;
	bool fInTray = false;
};

#endif
