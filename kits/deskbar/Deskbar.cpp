#include <Deskbar.h>

#include "DeskbarProtocol.h"

#include <AppDefs.h>
#include <Archivable.h>
#include <Errors.h>
#include <Message.h>
#include <Path.h>
#include <Roster.h>
#include <View.h>

#include <dlfcn.h>
#include <stdio.h>

namespace BPrivate {

const char* const kReplicantModuleField = "be:add_on_path";
const char* const kDeskbarItemField = "be:deskbar_item";
const char* const kDeskbarSignature = "application/x-vnd.Be-TSKB";

} // namespace BPrivate

using namespace BPrivate;

namespace {

// Generous, but a Deskbar that hangs must not hang its callers for good.
const bigtime_t kDeskbarTimeout = 10000000;

} // namespace

BDeskbar::BDeskbar()
{
}

BDeskbar::~BDeskbar()
{
}

bool
BDeskbar::IsRunning() const
{
	return be_roster->IsRunning(kDeskbarSignature);
}

status_t
BDeskbar::AddItem(BView* archivableView, int32* id)
{
	if (archivableView == NULL)
		return B_BAD_VALUE;
	BMessage archive;
	status_t status = archivableView->Archive(&archive, true);
	if (status != B_OK)
		return status;
	// The code of the view's class: the module that holds its Instantiate().
	const char* className;
	if (archive.FindString("class", &className) == B_OK) {
		Dl_info info;
		instantiation_func function = find_instantiation_func(className);
		if (function != NULL && dladdr((void*)function, &info) != 0 && info.dli_fname != NULL
			&& info.dli_fname[0] == '/')
			archive.AddString(kReplicantModuleField, info.dli_fname);
	}
	BMessage request(kDeskbarAddItem);
	request.AddMessage("view", &archive);
	BMessage reply;
	status = _Ask(&request, &reply);
	if (status == B_OK && id != NULL)
		reply.FindInt32("id", id);
	return status;
}

status_t
BDeskbar::AddItem(entry_ref* addon, int32* id)
{
	if (addon == NULL)
		return B_BAD_VALUE;
	BPath path(addon);
	if (path.InitCheck() != B_OK)
		return B_BAD_VALUE;
	BMessage request(kDeskbarAddItem);
	request.AddString("add_on", path.Path());
	BMessage reply;
	status_t status = _Ask(&request, &reply);
	if (status == B_OK && id != NULL)
		reply.FindInt32("id", id);
	return status;
}

status_t
BDeskbar::RemoveItem(int32 id)
{
	BMessage request(kDeskbarRemoveItem);
	request.AddInt32("id", id);
	BMessage reply;
	return _Ask(&request, &reply);
}

status_t
BDeskbar::RemoveItem(const char* name)
{
	if (name == NULL)
		return B_BAD_VALUE;
	BMessage request(kDeskbarRemoveItem);
	request.AddString("name", name);
	BMessage reply;
	return _Ask(&request, &reply);
}

bool
BDeskbar::HasItem(int32 id) const
{
	BMessage request(kDeskbarHasItem);
	request.AddInt32("id", id);
	BMessage reply;
	return _Ask(&request, &reply) == B_OK && reply.GetBool("exists", false);
}

bool
BDeskbar::HasItem(const char* name) const
{
	if (name == NULL)
		return false;
	BMessage request(kDeskbarHasItem);
	request.AddString("name", name);
	BMessage reply;
	return _Ask(&request, &reply) == B_OK && reply.GetBool("exists", false);
}

int32
BDeskbar::CountItems() const
{
	BMessage request(kDeskbarCountItems);
	BMessage reply;
	if (_Ask(&request, &reply) != B_OK)
		return 0;
	return reply.GetInt32("count", 0);
}

status_t
BDeskbar::GetItemInfo(int32 id, const char** name) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	BMessage request(kDeskbarItemInfo);
	request.AddInt32("id", id);
	BMessage reply;
	status_t status = _Ask(&request, &reply);
	if (status != B_OK)
		return status;
	fLastName = reply.GetString("name", "");
	*name = fLastName.String();
	return B_OK;
}

status_t
BDeskbar::GetItemInfo(const char* name, int32* id) const
{
	if (name == NULL || id == NULL)
		return B_BAD_VALUE;
	BMessage request(kDeskbarItemInfo);
	request.AddString("name", name);
	BMessage reply;
	status_t status = _Ask(&request, &reply);
	if (status == B_OK)
		status = reply.FindInt32("id", id);
	return status;
}

status_t
BDeskbar::_Ask(BMessage* request, BMessage* reply) const
{
	BMessenger deskbar(kDeskbarSignature);
	if (!deskbar.IsValid()) {
		// One runs from now on, or the call fails.
		status_t status = be_roster->Launch(kDeskbarSignature);
		if (status != B_OK && status != B_ALREADY_RUNNING)
			return status;
		deskbar = BMessenger(kDeskbarSignature);
	}
	status_t status = deskbar.SendMessage(request, reply, kDeskbarTimeout, kDeskbarTimeout);
	if (status != B_OK)
		return status;
	if (reply->what != B_REPLY)
		return B_ERROR;
	int32 error = B_ERROR;
	reply->FindInt32("error", &error);
	return error;
}
