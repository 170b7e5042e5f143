#include "HistoryWindow.h"

#include "HistoryItem.h"

#include <HistoryMarks.h>
#include <MessageNames.h>
#include <PopClass.h>
#include <Tliste.h>

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <Clipboard.h>
#include <Font.h>
#include <HostPath.h>
#include <ListView.h>
#include <OS.h>
#include <ScrollView.h>
#include <TextControl.h>
#include <View.h>

#include <List.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>

// What the reader thread hands to the window. The window takes the pending
// rows on its own thread; the thread never waits for the window, so the
// window may wait for the thread when it closes.
struct HistoryLoad {
	std::mutex lock;
	std::vector<HistoryItem*> pending;
	bool posted = false;
	bool done = false;
	BString error;
	std::atomic<bool> cancel{false};
};

namespace {

const BRect kFrame(120, 90, 739, 589);
const char* const kDefaultSavePath = "/boot/home/murmelo-history.txt";
// Records read at once, from the end of the file backwards.
const int32 kChunkRecords = 128;
// Rows handed to the window at first (a window full and more), and at most.
const size_t kFirstBatch = 64;
const size_t kMaxBatch = 8192;
const rgb_color kBlack = {0, 0, 0, 255};

std::mutex sCurrentLock;
HistoryWindow* sCurrent = NULL;

BString
ascii_lower(const char* text)
{
	BString lower(text);
	char* s = lower.LockBuffer(0);
	for (; *s != '\0'; s++) {
		if (*s >= 'A' && *s <= 'Z')
			*s += 'a' - 'A';
	}
	lower.UnlockBuffer();
	return lower;
}

BString
count_text(int32 count)
{
	char text[32];
	snprintf(text, sizeof(text), "%d message%s", (int)count, count == 1 ? "" : "s");
	return BString(text);
}

} // namespace

// The line under the list: how many messages, what was saved.
class HistoryStatusView : public BView {
public:
	HistoryStatusView(BRect frame)
		: BView(frame, "status", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW)
	{
		SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
		SetLowColor(ViewColor());
	}

	void Draw(BRect) override
	{
		SetHighColor(kBlack);
		DrawString(fText.String(), BPoint(2, Bounds().bottom - 4));
	}

	void SetText(const BString& text)
	{
		if (text == fText)
			return;
		fText = text;
		Invalidate();
	}

	const BString& Text() const { return fText; }

private:
	BString fText;
};

// The list of messages; the Delete key deletes the selected one.
class HistoryListView : public BListView {
public:
	HistoryListView(BRect frame)
		: BListView(frame, "list", B_SINGLE_SELECTION_LIST, B_FOLLOW_ALL)
	{
	}

	void KeyDown(const char* bytes, int32 numBytes) override
	{
		if (numBytes == 1 && bytes[0] == B_DELETE && Window() != NULL)
			Window()->PostMessage(kHistoryDelete);
		else
			BListView::KeyDown(bytes, numBytes);
	}
};

// A small window that asks where to save.
class HistorySavePrompt : public BWindow {
public:
	HistorySavePrompt(BMessenger history, BRect near)
		: BWindow(BRect(near.left + 40, near.top + 60, near.left + 459, near.top + 149),
			  "Save History", B_TITLED_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE),
		  fHistory(history)
	{
		BView* back = new BView(Bounds(), "SaveView", B_FOLLOW_ALL, B_WILL_DRAW);
		back->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
		AddChild(back);
		fPath = new BTextControl(BRect(10, 12, 409, 32), "path", "Save as:",
			host_path(kDefaultSavePath).String(), NULL);
		fPath->SetDivider(55);
		back->AddChild(fPath);
		BButton* cancel = new BButton(BRect(239, 52, 319, 76), "cancel", "Cancel",
			new BMessage(B_QUIT_REQUESTED));
		BButton* save = new BButton(BRect(329, 52, 409, 76), "save", "Save",
			new BMessage(kHistorySaveTo));
		back->AddChild(cancel);
		back->AddChild(save);
		SetDefaultButton(save);
		fPath->MakeFocus(true);
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kHistorySaveTo) {
			BWindow::MessageReceived(message);
			return;
		}
		BMessage request(kHistorySaveTo);
		request.AddString("path", fPath->Text());
		fHistory.SendMessage(&request);
		Quit();
	}

private:
	BMessenger fHistory;
	BTextControl* fPath;
};

namespace {

struct ReadJob {
	std::shared_ptr<HistoryLoad> load;
	BMessenger window;
	// Rows to gather before the next hand-over.
	size_t batch = kFirstBatch;
};

// Hands what was read to the window once there is enough of it: the first
// rows at once, then batches that grow, so a long file costs the window a
// few dozen list updates rather than one per chunk.
void
deliver(ReadJob* job, std::vector<HistoryItem*>& items, bool done, const char* error = NULL)
{
	if (!done && items.size() < job->batch)
		return;
	job->batch = std::min<size_t>(job->batch * 2, kMaxBatch);
	bool post = false;
	{
		std::lock_guard<std::mutex> guard(job->load->lock);
		job->load->pending.insert(job->load->pending.end(), items.begin(), items.end());
		if (done)
			job->load->done = true;
		if (error != NULL)
			job->load->error = error;
		if (!job->load->posted) {
			job->load->posted = true;
			post = true;
		}
	}
	items.clear();
	if (post)
		job->window.SendMessage(kHistoryBatch);
}

status_t
read_history(void* data)
{
	ReadJob* job = (ReadJob*)data;
	std::vector<HistoryItem*> items;
	HistoryMarks marks;
	marks.Load();
	MessageNamesReader names;

	int fd = open(host_path(MURMELO_DATA_FILE).String(), O_RDONLY | O_CLOEXEC);
	struct stat st;
	if (fd < 0 || fstat(fd, &st) != 0) {
		int error = errno;
		if (fd >= 0)
			close(fd);
		// No data file yet is an empty history, not a fault.
		deliver(job, items, true, error == ENOENT ? NULL : strerror(error));
		delete job;
		return B_OK;
	}
	// A torn last record is not a message (yet).
	int32 count = (int32)(st.st_size / kRecordSize);
	std::vector<Tliste> chunk(kChunkRecords);
	const char* error = NULL;
	for (int32 last = count; last > 0 && !job->load->cancel;) {
		int32 first = std::max<int32>(1, last - kChunkRecords + 1);
		size_t bytes = (size_t)(last - first + 1) * kRecordSize;
		ssize_t got = pread(fd, chunk.data(), bytes, (off_t)(first - 1) * kRecordSize);
		if (got != (ssize_t)bytes) {
			error = got < 0 ? strerror(errno) : "the data file shrank while it was read";
			break;
		}
		for (int32 record = last; record >= first; record--) {
			const Tliste& rec = chunk[record - first];
			uint32 check = message_check(&rec);
			uint32 kinds = marks.KindsOf(record, check);
			if ((kinds & HISTORY_MARK_DELETED) != 0)
				continue;
			items.push_back(new HistoryItem(record, rec, check, kinds, names));
		}
		deliver(job, items, false);
		last = first - 1;
	}
	close(fd);
	deliver(job, items, true, error);
	delete job;
	return B_OK;
}

} // namespace

HistoryWindow::HistoryWindow(BMessenger mainWindow)
	: BWindow(kFrame, "History", B_TITLED_WINDOW, B_NOT_ZOOMABLE),
	  fMainWindow(mainWindow),
	  fLoad(std::make_shared<HistoryLoad>())
{
	BRect bounds = Bounds();
	BView* back = new BView(bounds, "HistoryView", B_FOLLOW_ALL, B_WILL_DRAW);
	back->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	AddChild(back);

	fSearch = new BTextControl(BRect(8, 9, 300, 29), "search", "Search:", "", NULL,
		B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);
	fSearch->SetDivider(48);
	fSearch->SetModificationMessage(new BMessage(kHistorySearch));
	back->AddChild(fSearch);

	float right = bounds.right - 8;
	BButton* save = new BButton(BRect(right - 74, 6, right, 30), "save", "Save\xE2\x80\xA6",
		new BMessage(kHistorySave), B_FOLLOW_RIGHT | B_FOLLOW_TOP);
	fDeleteButton = new BButton(BRect(right - 154, 6, right - 80, 30), "delete", "Delete",
		new BMessage(kHistoryDelete), B_FOLLOW_RIGHT | B_FOLLOW_TOP);
	fCopyButton = new BButton(BRect(right - 234, 6, right - 160, 30), "copy", "Copy",
		new BMessage(kHistoryCopy), B_FOLLOW_RIGHT | B_FOLLOW_TOP);
	back->AddChild(fCopyButton);
	back->AddChild(fDeleteButton);
	back->AddChild(save);

	BRect listFrame(10, 40, bounds.right - 10 - B_V_SCROLL_BAR_WIDTH, bounds.bottom - 26);
	fList = new HistoryListView(listFrame);
	fList->SetSelectionMessage(new BMessage(kHistorySelection));
	fList->SetInvocationMessage(new BMessage(kHistoryCopy));
	back->AddChild(new BScrollView("scroll", fList, B_FOLLOW_ALL, 0, false, true));

	fStatus = new HistoryStatusView(BRect(10, bounds.bottom - 22, bounds.right - 10,
		bounds.bottom - 4));
	back->AddChild(fStatus);
	fStatus->SetText("Reading\xE2\x80\xA6");
	_UpdateControls();
	fSearch->MakeFocus(true);

	{
		std::lock_guard<std::mutex> guard(sCurrentLock);
		if (sCurrent == NULL)
			sCurrent = this;
	}
	ReadJob* job = new ReadJob{fLoad, BMessenger(this)};
	fReader = spawn_thread(read_history, "history reader", B_LOW_PRIORITY, job);
	if (fReader < 0 || resume_thread(fReader) != B_OK) {
		delete job;
		fReader = -1;
		fLoaded = true;
		fStatus->SetText("The history can't be read: no thread");
	}
}

HistoryWindow::~HistoryWindow()
{
	{
		std::lock_guard<std::mutex> guard(sCurrentLock);
		if (sCurrent == this)
			sCurrent = NULL;
	}
	fLoad->cancel = true;
	if (fReader >= 0) {
		status_t result;
		wait_for_thread(fReader, &result);
	}
	fList->MakeEmpty();
	for (HistoryItem* item : fItems)
		delete item;
	for (HistoryItem* item : fLoad->pending)
		delete item;
	fLoad->pending.clear();
}

void
HistoryWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kHistoryBatch:
			_AddBatch();
			break;
		case kHistorySearch:
			_Filter();
			break;
		case kHistorySelection:
			_UpdateControls();
			break;
		case kHistoryCopy:
			_Copy();
			break;
		case kHistoryDelete:
			_Delete();
			break;
		case kHistorySave:
			_AskSavePath();
			break;
		case kHistorySaveTo:
		{
			const char* path;
			if (message->FindString("path", &path) == B_OK)
				_Save(path);
			break;
		}
		case kHistoryActivate:
			Activate();
			break;
		default:
			BWindow::MessageReceived(message);
			break;
	}
}

void
HistoryWindow::Open(BMessenger mainWindow)
{
	bool open;
	{
		std::lock_guard<std::mutex> guard(sCurrentLock);
		open = sCurrent != NULL;
		// The window can't go away while the lock is held: its destructor
		// takes the lock first.
		if (open)
			BMessenger(sCurrent).SendMessage(kHistoryActivate);
	}
	// Opened from the main window's thread only, so no second one can
	// start in between.
	if (!open)
		(new HistoryWindow(mainWindow))->Show();
	if (mainWindow.IsValid())
		mainWindow.SendMessage(kMainHistoryOpened);
}

HistoryWindow*
HistoryWindow::Current()
{
	std::lock_guard<std::mutex> guard(sCurrentLock);
	return sCurrent;
}

int32
HistoryWindow::CountMessages() const
{
	return (int32)fItems.size() - fDeleted;
}

int32
HistoryWindow::CountShown() const
{
	return fList->CountItems();
}

BString
HistoryWindow::ShownText(int32 index) const
{
	HistoryItem* item = (HistoryItem*)fList->ItemAt(index);
	return item != NULL ? item->Text() : BString();
}

status_t
HistoryWindow::SaveShown(const char* path, BString* error) const
{
	// Written beside the target and renamed over it, so a failed save never
	// leaves a torn file in the user's place.
	BString temporary(path);
	temporary << ".part";
	int fd = open(temporary.String(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
	if (fd < 0) {
		if (error != NULL)
			error->SetTo(strerror(errno));
		return B_ERROR;
	}
	BString text;
	bool ok = true;
	for (int32 i = 0; i < fList->CountItems() && ok; i++) {
		text << ((HistoryItem*)fList->ItemAt(i))->Text() << "\n";
		if (text.Length() >= 65536 || i == fList->CountItems() - 1) {
			ok = write(fd, text.String(), text.Length()) == text.Length();
			text = "";
		}
	}
	if (ok)
		ok = fsync(fd) == 0;
	if (close(fd) != 0)
		ok = false;
	if (ok && rename(temporary.String(), path) != 0)
		ok = false;
	if (!ok) {
		if (error != NULL)
			error->SetTo(strerror(errno));
		unlink(temporary.String());
		return B_IO_ERROR;
	}
	return B_OK;
}

void
HistoryWindow::_AddBatch()
{
	std::vector<HistoryItem*> batch;
	bool done;
	BString error;
	{
		std::lock_guard<std::mutex> guard(fLoad->lock);
		batch.swap(fLoad->pending);
		fLoad->posted = false;
		done = fLoad->done;
		error = fLoad->error;
	}
	BList shown((int32)batch.size());
	for (HistoryItem* item : batch) {
		fItems.push_back(item);
		if (_Matches(item))
			shown.AddItem(item);
	}
	if (!shown.IsEmpty())
		fList->AddList(&shown);
	if (done && !fLoaded) {
		fLoaded = true;
		if (error.Length() > 0) {
			BString text("The history could not be read to its end: ");
			text << error;
			fprintf(stderr, "%s\n", text.String());
			(new BAlert("", text.String(), "OK", NULL, NULL, B_WIDTH_AS_USUAL,
				B_WARNING_ALERT))->Go(NULL);
		}
	}
	_UpdateControls();
}

void
HistoryWindow::_Filter()
{
	BString filter = ascii_lower(fSearch->Text());
	if (filter == fFilter)
		return;
	fFilter = filter;
	BList shown;
	for (HistoryItem* item : fItems) {
		if (_Matches(item))
			shown.AddItem(item);
	}
	fList->DeselectAll();
	fList->MakeEmpty();
	fList->AddList(&shown);
	_UpdateControls();
}

void
HistoryWindow::_Copy()
{
	int32 selected = fList->CurrentSelection();
	if (selected < 0 || be_clipboard == NULL)
		return;
	BString text = ShownText(selected);
	if (!be_clipboard->Lock())
		return;
	be_clipboard->Clear();
	be_clipboard->Data()->AddData("text/plain", B_MIME_TYPE, text.String(), text.Length());
	be_clipboard->Commit();
	be_clipboard->Unlock();
}

void
HistoryWindow::_Delete()
{
	int32 selected = fList->CurrentSelection();
	HistoryItem* item = (HistoryItem*)fList->ItemAt(selected);
	if (item == NULL)
		return;
	status_t status = append_history_mark(item->Record(), item->Check(), HISTORY_MARK_DELETED);
	if (status != B_OK) {
		BString text("The message could not be deleted from the history: ");
		text << host_path(MURMELO_MARKS_FILE) << " can't be written.";
		fprintf(stderr, "%s\n", text.String());
		(new BAlert("", text.String(), "OK", NULL, NULL, B_WIDTH_AS_USUAL, B_WARNING_ALERT))
			->Go(NULL);
		return;
	}
	item->SetDeleted();
	fDeleted++;
	fList->RemoveItem(selected);
	if (fList->CountItems() > 0)
		fList->Select(std::min(selected, fList->CountItems() - 1));
	_UpdateControls();
}

void
HistoryWindow::_AskSavePath()
{
	(new HistorySavePrompt(BMessenger(this), Frame()))->Show();
}

void
HistoryWindow::_Save(const char* path)
{
	if (path == NULL || path[0] == '\0')
		return;
	// A bare name goes to the home folder.
	BString target = path[0] == '/' ? host_path(path) : host_path("/boot/home") << "/" << path;
	BString error;
	if (SaveShown(target.String(), &error) != B_OK) {
		BString text("The history could not be saved to ");
		text << target << ": " << error;
		fprintf(stderr, "%s\n", text.String());
		(new BAlert("", text.String(), "OK", NULL, NULL, B_WIDTH_AS_USUAL, B_WARNING_ALERT))
			->Go(NULL);
		return;
	}
	fSavedNote = "Saved ";
	fSavedNote << count_text(CountShown()) << " to " << target;
	_UpdateControls();
}

void
HistoryWindow::_UpdateControls()
{
	bool selected = fList->CurrentSelection() >= 0;
	fCopyButton->SetEnabled(selected);
	fDeleteButton->SetEnabled(selected);

	BString status;
	if (fFilter.Length() > 0)
		status << CountShown() << " of ";
	status << count_text(CountMessages());
	if (!fLoaded)
		status << ", reading\xE2\x80\xA6";
	if (fSavedNote.Length() > 0)
		status << "   " << fSavedNote;
	fStatus->SetText(status);
}

bool
HistoryWindow::_Matches(const HistoryItem* item) const
{
	return !item->IsDeleted() && (fFilter.Length() == 0 || item->Matches(fFilter));
}
