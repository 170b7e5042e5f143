#include "DeskbarWindow.h"

#include "DeskbarProtocol.h"
#include "StatusView.h"

#include <AppDefs.h>
#include <Application.h>
#include <Entry.h>
#include <Errors.h>
#include <Screen.h>
#include <MessageRunner.h>
#include <Shelf.h>
#include <StatusTray.h>
#include <image.h>

#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

namespace {

const float kItemSize = 16;
// While a watcher that just came may not take registrations yet.
const uint32 kRegisterMissing = 'DBrg';
const bigtime_t kRegisterInterval = 250000;
const int32 kRegisterTries = 40;

// For the crash handler: set once, before any replicant draws.
TDeskbarWindow* sGuardedWindow = NULL;
char sProgram[4096];

// The Deskbar's shelf keeps its window fitted to the replicants.
class TDeskbarShelf : public BShelf {
public:
	TDeskbarShelf(const entry_ref* ref, BView* view)
		:
		BShelf(ref, view, false, "Shelf")
	{
	}

	TDeskbarShelf(BView* view)
		:
		BShelf(view, false, "Shelf")
	{
	}

protected:
	void ReplicantAdded(int32, BView* replicant) override
	{
		if (TDeskbarWindow* window = dynamic_cast<TDeskbarWindow*>(Looper()))
			window->ReplicantAdded(replicant);
	}

	void ReplicantDeleted(int32, const BMessage*, BView* replicant) override
	{
		if (TDeskbarWindow* window = dynamic_cast<TDeskbarWindow*>(Looper()))
			window->ReplicantDeleted(replicant);
	}
};

} // namespace

TDeskbarWindow::TDeskbarWindow(const char* shelfPath)
	:
	BWindow(BRect(0, 0, kItemSize + 3, kItemSize + 3), "Deskbar", B_FLOATING_WINDOW_LOOK,
		B_FLOATING_ALL_WINDOW_FEEL,
		B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE | B_NOT_CLOSABLE)
{
	fStatus = new TStatusView(Bounds().InsetByCopy(2, 2));
	AddChild(fStatus);
	entry_ref ref;
	if (shelfPath != NULL && get_ref_for_path(shelfPath, &ref) == B_OK)
		fShelf = new TDeskbarShelf(&ref, fStatus);
	else
		fShelf = new TDeskbarShelf(fStatus);
	// The shelf became the window's handler when it was made.
	if (fShelf->Looper() == NULL)
		AddHandler(fShelf);
	fStatus->SetShelf(fShelf);
	FitToReplicants();

	BRect screen = BScreen().Frame();
	MoveTo(screen.right - Frame().Width() - 8, screen.top + 8);
}

void
TDeskbarWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_TRAY_ICON_CLICKED:
		{
			int32 index = fShelf->IndexOf((uint32)message->GetInt32("id", -1));
			BView* view = NULL;
			BPoint where;
			if (index < 0 || message->FindPoint("where", &where) != B_OK
				|| fShelf->ReplicantAt(index, &view) == NULL)
				break;
			// The window, unseen, is moved so that the icon's middle is where
			// the tray was clicked: the view's menu opens right there.
			BPoint middle((view->Bounds().left + view->Bounds().right) / 2,
				(view->Bounds().top + view->Bounds().bottom) / 2);
			BPoint offset = view->ConvertToScreen(middle) - Frame().LeftTop();
			MoveTo(where - offset);
			view->MouseDown(middle);
			break;
		}
		case B_TRAY_AVAILABILITY_CHANGED:
			_UseTray(message->GetBool("available", false));
			if (fInTray) {
				BMessage retry(kRegisterMissing);
				BMessageRunner::StartSending(BMessenger(this), &retry, kRegisterInterval,
					kRegisterTries);
			}
			break;
		case kRegisterMissing:
			if (fInTray)
				fTray->RegisterMissing();
			break;
		default:
			BWindow::MessageReceived(message);
			break;
	}
}

void
TDeskbarWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	BWindow::DispatchMessage(message, handler);
	// Drawn by now: what changed goes to the tray.
	if (fInTray) {
		for (int32 i = 0; i < fShelf->CountReplicants(); i++) {
			BView* view;
			uint32 id;
			fShelf->ReplicantAt(i, &view, &id);
			fTray->UpdateIcon((int32)id, view);
		}
	}
}

void
TDeskbarWindow::StartTray()
{
	if (fTray == NULL)
		fTray = new BStatusTray(this);
	BMessage available(B_TRAY_AVAILABILITY_CHANGED);
	available.AddBool("available", fTray->IsAvailable());
	MessageReceived(&available);
}

void
TDeskbarWindow::ReplicantAdded(BView* replicant)
{
	FitToReplicants();
	if (fInTray)
		fTray->AddIcon(_IdOf(replicant), replicant->Name());
}

void
TDeskbarWindow::ReplicantDeleted(BView* replicant)
{
	if (fTray != NULL)
		fTray->RemoveIcon(_IdOf(replicant));
	// Hidden first, so the fitting below no longer counts it.
	replicant->Hide();
	FitToReplicants();
}

void
TDeskbarWindow::_UseTray(bool inTray)
{
	if (inTray == fInTray) {
		if (inTray)
			fTray->RegisterAgain();
		return;
	}
	fInTray = inTray;
	BStatusTray::SetOffscreen(this, inTray);
	if (inTray) {
		for (int32 i = 0; i < fShelf->CountReplicants(); i++) {
			BView* view;
			uint32 id;
			fShelf->ReplicantAt(i, &view, &id);
			fTray->AddIcon((int32)id, view->Name());
			fTray->UpdateIcon((int32)id, view);
		}
	} else {
		// The icons are kept here, on the screen, until a tray comes back.
		for (int32 i = 0; i < fShelf->CountReplicants(); i++) {
			uint32 id;
			fShelf->ReplicantAt(i, NULL, &id);
			fTray->RemoveIcon((int32)id);
		}
	}
}

int32
TDeskbarWindow::_IdOf(BView* replicant) const
{
	uint32 id = 0;
	fShelf->ReplicantAt(fShelf->IndexOf(replicant), NULL, &id);
	return (int32)id;
}

void
TDeskbarWindow::GuardAgainstCrashes(const char* program)
{
	if (program == NULL || strlen(program) >= sizeof(sProgram))
		return;
	strcpy(sProgram, program);
	sGuardedWindow = this;
	struct sigaction action;
	memset(&action, 0, sizeof(action));
	action.sa_handler = _Crashed;
	action.sa_flags = SA_NODEFER | SA_RESETHAND;
	sigemptyset(&action.sa_mask);
	for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL})
		sigaction(signal, &action, NULL);
}

void
TDeskbarWindow::DropCrashedReplicant(int32 index)
{
	BView* view = NULL;
	if (fShelf->ReplicantAt(index, &view) == NULL)
		return;
	fprintf(stderr, "Deskbar: took out the replicant \"%s\" that crashed while drawing.\n",
		view->Name() != NULL ? view->Name() : "");
	fShelf->DeleteReplicant(index);
}

void
TDeskbarWindow::_Crashed(int signal)
{
	// Only a replicant's own drawing is caught; anything else crashes as
	// it would.
	int32 index = -1;
	for (BView* view = BView::DrawingNow(); view != NULL && sGuardedWindow != NULL;
		view = view->Parent()) {
		if ((index = sGuardedWindow->fShelf->IndexOf(view)) >= 0)
			break;
	}
	if (index < 0) {
		raise(signal);
		return;
	}
	static const char kLine[] = "Deskbar: a replicant crashed while drawing; "
		"starting again without it.\n";
	if (write(STDERR_FILENO, kLine, sizeof(kLine) - 1) < 0) {
		// Nowhere to say it.
	}
	char number[16];
	int length = 0;
	char digits[16];
	int32 value = index;
	do {
		digits[length++] = (char)('0' + value % 10);
		value /= 10;
	} while (value > 0);
	for (int i = 0; i < length; i++)
		number[i] = digits[length - 1 - i];
	number[length] = '\0';
	// A new Deskbar, once this one is gone (so that it registers afresh):
	// the saved shelf still has the replicant, the new start takes it out.
	pid_t self = getpid();
	if (fork() == 0) {
		while (getppid() == self) {
			struct timespec pause = {0, 10000000};
			nanosleep(&pause, NULL);
		}
		sigset_t none;
		sigemptyset(&none);
		sigprocmask(SIG_SETMASK, &none, NULL);
		char option[] = "--drop-replicant";
		char* argv[] = {sProgram, option, number, NULL};
		execv(sProgram, argv);
		_exit(127);
	}
	_exit(128 + signal);
}

bool
TDeskbarWindow::QuitRequested()
{
	be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}

void
TDeskbarWindow::HandleRequest(BMessage* request, BMessage* reply)
{
	using namespace BPrivate;
	status_t status = B_OK;
	int32 id;
	const char* name;
	bool byId = request->FindInt32("id", &id) == B_OK;
	bool byName = !byId && request->FindString("name", &name) == B_OK;
	int32 index = -1;
	if (byId)
		index = fShelf->IndexOf((uint32)id);
	else if (byName)
		index = fShelf->IndexOf(name);

	switch (request->what) {
		case kDeskbarAddItem:
		{
			BMessage archive;
			const char* module;
			uint32 newId = 0;
			if (request->FindMessage("view", &archive) == B_OK) {
				status = fShelf->AddReplicant(&archive, BPoint(0, 0), &newId);
			} else if (request->FindString("add_on", &module) == B_OK) {
				status = _AddModule(module, &newId);
			} else
				status = B_BAD_VALUE;
			if (status == B_OK)
				reply->AddInt32("id", (int32)newId);
			else {
				fprintf(stderr, "Deskbar: can't add the item of class \"%s\" (error %d)\n",
					archive.GetString("class", "?"), (int)status);
			}
			break;
		}
		case kDeskbarRemoveItem:
			status = index >= 0 ? fShelf->DeleteReplicant(index) : B_NAME_NOT_FOUND;
			break;
		case kDeskbarHasItem:
			reply->AddBool("exists", index >= 0);
			break;
		case kDeskbarCountItems:
			reply->AddInt32("count", fShelf->CountReplicants());
			break;
		case kDeskbarItemInfo:
		{
			BView* view = NULL;
			uint32 uid = 0;
			if (index < 0 || fShelf->ReplicantAt(index, &view, &uid) == NULL) {
				status = B_NAME_NOT_FOUND;
				break;
			}
			if (byId)
				reply->AddString("name", view->Name() != NULL ? view->Name() : "");
			else
				reply->AddInt32("id", (int32)uid);
			break;
		}
		default:
			status = B_BAD_VALUE;
			break;
	}
	reply->AddInt32("error", status);
}

void
TDeskbarWindow::FitToReplicants()
{
	float width = 0;
	float height = kItemSize;
	for (int32 i = 0; i < fShelf->CountReplicants(); i++) {
		BView* view;
		fShelf->ReplicantAt(i, &view);
		if (view->IsHidden())
			continue;
		BRect frame = view->Frame();
		width = std::max(width, frame.right + 1);
		height = std::max(height, frame.Height() + 1);
	}
	ResizeTo(std::max(width, kItemSize) + 3, height + 3);
}

status_t
TDeskbarWindow::_AddModule(const char* path, uint32* id)
{
	if (path == NULL || path[0] != '/')
		return B_BAD_VALUE;
	BMessage record;
	record.AddBool(BPrivate::kDeskbarItemField, true);
	record.AddString(BPrivate::kReplicantModuleField, path);
	return fShelf->AddReplicant(&record, BPoint(0, 0), id);
}
