#include <Shelf.h>

#include "DeskbarProtocol.h"

#include <AppDefs.h>
#include <Archivable.h>
#include <Errors.h>
#include <Looper.h>
#include <Path.h>
#include <View.h>
#include <Window.h>
#include <image.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// A saved shelf larger than this is no shelf.
const off_t kMaxSavedSize = 16 * 1024 * 1024;

void
not_understood(BMessage* message, status_t error, const char* text)
{
	BMessage reply(B_MESSAGE_NOT_UNDERSTOOD);
	reply.AddInt32("error", error);
	reply.AddString("message", text);
	message->SendReply(&reply);
}

bool
read_whole(const char* path, std::vector<char>* bytes)
{
	int fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	struct stat info;
	bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxSavedSize;
	if (ok) {
		bytes->resize((size_t)info.st_size);
		size_t done = 0;
		while (done < bytes->size()) {
			ssize_t got = read(fd, bytes->data() + done, bytes->size() - done);
			if (got < 0 && errno == EINTR)
				continue;
			if (got <= 0)
				break;
			done += (size_t)got;
		}
		ok = done == bytes->size();
	}
	close(fd);
	return ok;
}

} // namespace

BShelf::BShelf(BView* view, bool, const char* shelfType)
	:
	BHandler(shelfType != NULL ? shelfType : "Shelf")
{
	_Init(view);
}

BShelf::BShelf(const entry_ref* ref, BView* view, bool, const char* shelfType)
	:
	BHandler(shelfType != NULL ? shelfType : "Shelf")
{
	_Init(view);
	if (ref != NULL) {
		fSaveRef = *ref;
		fHasSaveRef = true;
		_Load();
	}
}

BShelf::~BShelf()
{
	// The views belong to the container; only what the shelf made is freed.
	for (Replicant& replicant : fReplicants)
		delete replicant.archive;
	for (BMessage* archive : fUnusable)
		delete archive;
}

void
BShelf::MessageReceived(BMessage* message)
{
	if (message->what != B_DELETE_PROPERTY && message->what != B_GET_PROPERTY
		&& message->what != B_COUNT_PROPERTIES) {
		BHandler::MessageReceived(message);
		return;
	}
	int32 index;
	BMessage specifier;
	int32 what;
	const char* property;
	if (message->GetCurrentSpecifier(&index, &specifier, &what, &property) != B_OK
		|| strcmp(property, "Replicant") != 0) {
		BHandler::MessageReceived(message);
		return;
	}
	BMessage reply(B_REPLY);
	if (message->what == B_COUNT_PROPERTIES) {
		reply.AddInt32("result", CountReplicants());
	} else {
		int32 at = -1;
		if (what == B_INDEX_SPECIFIER || what == B_REVERSE_INDEX_SPECIFIER) {
			int32 wanted = specifier.GetInt32("index", -1);
			at = what == B_INDEX_SPECIFIER ? wanted : CountReplicants() - 1 - wanted;
		} else if (what == B_NAME_SPECIFIER) {
			at = IndexOf(specifier.GetString("name", ""));
		} else if (what == B_ID_SPECIFIER) {
			at = IndexOf((uint32)specifier.GetInt32("id", -1));
		}
		if (at < 0 || at >= CountReplicants()) {
			not_understood(message, B_BAD_INDEX, "No such replicant");
			return;
		}
		if (message->what == B_DELETE_PROPERTY) {
			DeleteReplicant(at);
		} else {
			reply.AddMessage("result", fReplicants[at].archive);
			reply.AddInt32("id", (int32)fReplicants[at].id);
		}
	}
	reply.AddInt32("error", B_OK);
	message->SendReply(&reply);
}

BHandler*
BShelf::ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
	const char* property)
{
	if (strcmp(property, "Replicant") == 0) {
		// A replicant that is not there is "not understood", so a caller
		// that deletes in a loop knows when to stop.
		bool found = true;
		if (what == B_NAME_SPECIFIER)
			found = IndexOf(specifier->GetString("name", "")) >= 0;
		else if (what == B_ID_SPECIFIER)
			found = IndexOf((uint32)specifier->GetInt32("id", -1)) >= 0;
		if (!found) {
			not_understood(message, B_NAME_NOT_FOUND, "No such replicant");
			return NULL;
		}
		return this;
	}
	return BHandler::ResolveSpecifier(message, index, specifier, what, property);
}

status_t
BShelf::GetSupportedSuites(BMessage* data)
{
	if (data == NULL)
		return B_BAD_VALUE;
	data->AddString("suites", "suite/vnd.Be-shelf");
	return BHandler::GetSupportedSuites(data);
}

status_t
BShelf::Save()
{
	if (!fHasSaveRef)
		return B_NO_INIT;
	BPath path(&fSaveRef);
	if (path.InitCheck() != B_OK)
		return path.InitCheck();
	BMessage shelf('shlf');
	for (const Replicant& replicant : fReplicants)
		shelf.AddMessage("replicant", replicant.archive);
	// What could not be rebuilt here is kept: another start may load it.
	for (const BMessage* archive : fUnusable)
		shelf.AddMessage("replicant", archive);
	ssize_t size = shelf.FlattenedSize();
	if (size < 0)
		return (status_t)size;
	std::vector<char> flat((size_t)size);
	status_t status = shelf.Flatten(flat.data(), size);
	if (status != B_OK)
		return status;

	// Written beside and renamed over: a crash leaves the old shelf whole.
	std::string target = path.Path();
	std::string temporary = target + ".new";
	int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
	if (fd < 0)
		return be_error_from_errno(errno);
	size_t done = 0;
	while (done < flat.size()) {
		ssize_t wrote = write(fd, flat.data() + done, flat.size() - done);
		if (wrote < 0 && errno == EINTR)
			continue;
		if (wrote <= 0)
			break;
		done += (size_t)wrote;
	}
	bool ok = done == flat.size() && fsync(fd) == 0;
	ok = close(fd) == 0 && ok;
	if (!ok || rename(temporary.c_str(), target.c_str()) != 0) {
		status = be_error_from_errno(errno != 0 ? errno : EIO);
		unlink(temporary.c_str());
		return status;
	}
	return B_OK;
}

status_t
BShelf::SetSaveLocation(const entry_ref* ref)
{
	if (ref == NULL) {
		fHasSaveRef = false;
		return B_OK;
	}
	fSaveRef = *ref;
	fHasSaveRef = true;
	return B_OK;
}

status_t
BShelf::AddReplicant(BMessage* archive, BPoint location, uint32* id)
{
	if (archive == NULL || fContainer == NULL)
		return B_BAD_VALUE;
	image_id image = -1;
	errno = 0;
	const char* module;
	BArchivable* object = NULL;
	if (archive->GetBool(BPrivate::kDeskbarItemField, false)) {
		// An item module's own view, made again on every start.
		if (archive->FindString(BPrivate::kReplicantModuleField, &module) != B_OK
			|| module[0] != '/')
			return B_BAD_VALUE;
		image = load_add_on(module);
		if (image < 0)
			return image;
		typedef BView* (*instantiate_item)();
		instantiate_item function;
		if (get_image_symbol(image, "instantiate_deskbar_item", B_SYMBOL_TYPE_TEXT,
				(void**)&function) != B_OK) {
			unload_add_on(image);
			return B_MISSING_SYMBOL;
		}
		object = function();
		if (object == NULL)
			return B_ERROR;
	} else
		object = instantiate_object(archive, &image);
	if (object == NULL && errno != B_BAD_VALUE
		&& archive->FindString(BPrivate::kReplicantModuleField, &module) == B_OK
		&& module[0] == '/') {
		image = load_add_on(module);
		if (image >= 0) {
			object = instantiate_object(archive);
			if (object == NULL) {
				unload_add_on(image);
				image = -1;
			}
		}
	}
	if (object == NULL)
		return errno == B_BAD_VALUE ? B_BAD_VALUE : B_NAME_NOT_FOUND;
	BView* view = dynamic_cast<BView*>(object);
	if (view == NULL) {
		delete object;
		return B_MISMATCHED_VALUES;
	}

	Replicant replicant = {new BMessage(*archive), view, fNextId++, image};
	view->MoveTo(location);
	fContainer->AddChild(view);
	fReplicants.push_back(replicant);
	_Layout();
	if (id != NULL)
		*id = replicant.id;
	ReplicantAdded((int32)fReplicants.size() - 1, view);
	if (!fLoading)
		Save();
	return B_OK;
}

status_t
BShelf::DeleteReplicant(BView* replicant)
{
	int32 index = IndexOf(replicant);
	return index < 0 ? B_BAD_VALUE : DeleteReplicant(index);
}

status_t
BShelf::DeleteReplicant(BMessage* archive)
{
	int32 index = IndexOf(archive);
	return index < 0 ? B_BAD_VALUE : DeleteReplicant(index);
}

status_t
BShelf::DeleteReplicant(int32 index)
{
	if (index < 0 || index >= CountReplicants())
		return B_BAD_INDEX;
	Replicant replicant = fReplicants[index];
	ReplicantDeleted(index, replicant.archive, replicant.view);
	fReplicants.erase(fReplicants.begin() + index);
	replicant.view->RemoveSelf();
	delete replicant.view;
	delete replicant.archive;
	// The module stays loaded: threads the view started may still run its
	// code.
	_Layout();
	Save();
	return B_OK;
}

int32
BShelf::CountReplicants() const
{
	return (int32)fReplicants.size();
}

BMessage*
BShelf::ReplicantAt(int32 index, BView** view, uint32* uid, status_t* error) const
{
	if (index < 0 || index >= CountReplicants()) {
		if (view != NULL)
			*view = NULL;
		if (error != NULL)
			*error = B_BAD_INDEX;
		return NULL;
	}
	const Replicant& replicant = fReplicants[index];
	if (view != NULL)
		*view = replicant.view;
	if (uid != NULL)
		*uid = replicant.id;
	if (error != NULL)
		*error = B_OK;
	return replicant.archive;
}

int32
BShelf::IndexOf(const BView* replicantView) const
{
	for (size_t i = 0; i < fReplicants.size(); i++) {
		if (fReplicants[i].view == replicantView)
			return (int32)i;
	}
	return -1;
}

int32
BShelf::IndexOf(const BMessage* archive) const
{
	for (size_t i = 0; i < fReplicants.size(); i++) {
		if (fReplicants[i].archive == archive)
			return (int32)i;
	}
	return -1;
}

int32
BShelf::IndexOf(uint32 id) const
{
	for (size_t i = 0; i < fReplicants.size(); i++) {
		if (fReplicants[i].id == id)
			return (int32)i;
	}
	return -1;
}

int32
BShelf::IndexOf(const char* name) const
{
	if (name == NULL)
		return -1;
	for (size_t i = 0; i < fReplicants.size(); i++) {
		const char* viewName = fReplicants[i].view->Name();
		const char* className = fReplicants[i].archive->GetString("class", "");
		if ((viewName != NULL && strcmp(viewName, name) == 0) || strcmp(className, name) == 0)
			return (int32)i;
	}
	return -1;
}

void
BShelf::ReplicantAdded(int32, BView*)
{
}

void
BShelf::ReplicantDeleted(int32, const BMessage*, BView*)
{
}

void
BShelf::_Init(BView* view)
{
	fContainer = view;
	if (view != NULL && view->Window() != NULL)
		view->Window()->AddHandler(this);
}

status_t
BShelf::_Load()
{
	BPath path(&fSaveRef);
	if (path.InitCheck() != B_OK)
		return path.InitCheck();
	std::vector<char> flat;
	if (!read_whole(path.Path(), &flat)) {
		if (access(path.Path(), F_OK) != 0)
			return B_ENTRY_NOT_FOUND;
		fprintf(stderr, "Shelf: can't read the saved shelf %s\n", path.Path());
		return B_IO_ERROR;
	}
	BMessage shelf;
	if (shelf.Unflatten(flat.data(), (ssize_t)flat.size()) != B_OK) {
		// Kept aside rather than overwritten by the next save.
		std::string aside = std::string(path.Path()) + ".bad";
		rename(path.Path(), aside.c_str());
		fprintf(stderr, "Shelf: the saved shelf %s is damaged; kept as %s\n", path.Path(),
			aside.c_str());
		return B_BAD_DATA;
	}
	fLoading = true;
	BMessage archive;
	for (int32 i = 0; shelf.FindMessage("replicant", i, &archive) == B_OK; i++) {
		status_t status = AddReplicant(&archive, BPoint(0, 0));
		if (status != B_OK) {
			fprintf(stderr, "Shelf: can't rebuild the saved replicant of class \"%s\" (error %d)\n",
				archive.GetString("class", "?"), (int)status);
			fUnusable.push_back(new BMessage(archive));
		}
	}
	fLoading = false;
	return B_OK;
}

void
BShelf::_Layout()
{
	// Side by side, in the order they came.
	float x = 0;
	for (Replicant& replicant : fReplicants) {
		replicant.view->MoveTo(x, 0);
		x += replicant.view->Bounds().Width() + 2;
	}
}
