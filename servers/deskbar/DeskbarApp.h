#ifndef DESKBAR_APP_H
#define DESKBAR_APP_H

#include <Application.h>
#include <String.h>

class TDeskbarWindow;

// The Deskbar: keeps the replicants programs send it and answers BDeskbar.
class TDeskbarApp : public BApplication {
public:
	// shelfPath: the saved shelf; NULL for the user's settings file.
	// dropIndex: a replicant of the saved shelf to take out (the one the
	// last run crashed in), or -1. program: this program's path, to start
	// it again after a replicant crashed; NULL lets a crash end it.
	TDeskbarApp(const char* shelfPath = NULL, int32 dropIndex = -1,
		const char* program = NULL);

	void MessageReceived(BMessage* message) override;

	TDeskbarWindow* Window() const { return fWindow; }

private:
	void _WriteAutostartEntry();

	TDeskbarWindow* fWindow = NULL;
	BString fShelfPath;
	bool fAutostartWritten = false;
};

#endif
