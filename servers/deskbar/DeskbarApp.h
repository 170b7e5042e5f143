#ifndef DESKBAR_APP_H
#define DESKBAR_APP_H

#include <Application.h>
#include <String.h>

class TDeskbarWindow;

// The Deskbar: keeps the replicants programs send it and answers BDeskbar.
class TDeskbarApp : public BApplication {
public:
	// shelfPath: the saved shelf; NULL for the user's settings file.
	TDeskbarApp(const char* shelfPath = NULL);

	void MessageReceived(BMessage* message) override;

	TDeskbarWindow* Window() const { return fWindow; }

private:
	void _WriteAutostartEntry();

	TDeskbarWindow* fWindow = NULL;
	BString fShelfPath;
	bool fAutostartWritten = false;
};

#endif
