#include "DeskbarWindow.h"

#include "DeskbarProtocol.h"
#include "StatusView.h"

#include <AppDefs.h>
#include <Application.h>
#include <Entry.h>
#include <Errors.h>
#include <Screen.h>
#include <Shelf.h>
#include <image.h>

#include <stdio.h>

#include <algorithm>

namespace {

const float kItemSize = 16;

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
	void ReplicantAdded(int32, BView*) override { _Fit(); }
	void ReplicantDeleted(int32, const BMessage*, BView* replicant) override
	{
		// Hidden first, so the fitting below no longer counts it.
		replicant->Hide();
		_Fit();
	}

private:
	void _Fit()
	{
		if (TDeskbarWindow* window = dynamic_cast<TDeskbarWindow*>(Looper()))
			window->FitToReplicants();
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
	image_id image = load_add_on(path);
	if (image < 0)
		return image;
	typedef BView* (*instantiate_item)();
	instantiate_item function;
	if (get_image_symbol(image, "instantiate_deskbar_item", B_SYMBOL_TYPE_TEXT,
			(void**)&function) != B_OK) {
		unload_add_on(image);
		return B_MISSING_SYMBOL;
	}
	BView* view = function();
	if (view == NULL)
		return B_ERROR;
	BMessage archive;
	status_t status = view->Archive(&archive, true);
	delete view;
	if (status != B_OK)
		return status;
	// Rebuilt from the module on every start.
	archive.AddString(BPrivate::kReplicantModuleField, path);
	return fShelf->AddReplicant(&archive, BPoint(0, 0), id);
}
