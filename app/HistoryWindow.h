#ifndef _HISTORY_WINDOW_H
#define _HISTORY_WINDOW_H

#include <Messenger.h>
#include <String.h>
#include <Window.h>

#include <memory>
#include <vector>

class BButton;
class BListView;
class BTextControl;
class HistoryItem;
class HistoryStatusView;
struct HistoryLoad;

// Posted to the main window whenever the history window opens or comes to
// the front: the user is looking at what arrived.
enum { kMainHistoryOpened = 'hsop' };

// The commands of the history window.
enum {
	kHistoryBatch = 'hsba',
	kHistorySearch = 'hsse',
	kHistorySelection = 'hssl',
	kHistoryCopy = 'hsco',
	kHistoryDelete = 'hsde',
	kHistorySave = 'hssv',
	kHistorySaveTo = 'hsst',
	kHistoryActivate = 'hsac',
};

// Every message of the data file, newest first: time, sender, recipient,
// text; those received in away mode marked. A thread reads the file and
// the rows join the list in batches as they come, so the window answers
// from the start. "Delete" writes a tombstone to the marks file beside the
// data file, which itself is never written.
class HistoryWindow : public BWindow {
public:
	explicit HistoryWindow(BMessenger mainWindow = BMessenger());
	~HistoryWindow() override;

	void MessageReceived(BMessage* message) override;

	// Opens the history, or brings the open one to the front; either way
	// tells mainWindow.
	static void Open(BMessenger mainWindow);

	// The calls below need the window locked.
	// Whether the whole file has been read and listed.
	bool IsLoaded() const { return fLoaded; }
	// Messages read so far, less those deleted.
	int32 CountMessages() const;
	// The rows the search lets through.
	int32 CountShown() const;
	// A shown message as it is copied and saved.
	BString ShownText(int32 index) const;
	// Writes the shown messages, in their order, as UTF-8 text.
	status_t SaveShown(const char* path, BString* error = NULL) const;

	// The history that is open, or NULL.
	static HistoryWindow* Current();

private:
	void _AddBatch();
	void _Filter();
	void _Copy();
	void _Delete();
	void _AskSavePath();
	void _Save(const char* path);
	void _UpdateControls();
	void _SetStatus(const BString& text);
	bool _Matches(const HistoryItem* item) const;

	BMessenger fMainWindow;
	BListView* fList = NULL;
	BTextControl* fSearch = NULL;
	BButton* fCopyButton = NULL;
	BButton* fDeleteButton = NULL;
	HistoryStatusView* fStatus = NULL;
	// Every row read so far, newest first; the list shows those matching.
	std::vector<HistoryItem*> fItems;
	int32 fDeleted = 0;
	BString fFilter;
	bool fLoaded = false;
	std::shared_ptr<HistoryLoad> fLoad;
	int32 fReader = -1;
	BString fSavedNote;
};

#endif
