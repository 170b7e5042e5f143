#ifndef _DESKBAR_H
#define _DESKBAR_H

#include <Entry.h>
#include <Messenger.h>
#include <SupportDefs.h>

class BMessage;
class BView;

// The Deskbar application as a program sees it: items (replicant views or
// add-on modules) put into its tray and taken out again. Each call starts
// the Deskbar first when none runs.
class BDeskbar {
public:
	BDeskbar();
	~BDeskbar();

	bool IsRunning() const;

	// The view is archived and rebuilt in the Deskbar's process; its class
	// must be Instantiate()-able there (its code in a shared module).
	status_t AddItem(BView* archivableView, int32* id = NULL);
	// A module exporting "BView* instantiate_deskbar_item()".
	status_t AddItem(entry_ref* addon, int32* id = NULL);

	status_t RemoveItem(int32 id);
	status_t RemoveItem(const char* name);

	bool HasItem(int32 id) const;
	bool HasItem(const char* name) const;

	int32 CountItems() const;

	status_t GetItemInfo(int32 id, const char** name) const;
	status_t GetItemInfo(const char* name, int32* id) const;

private:
	status_t _Ask(BMessage* request, BMessage* reply) const;

	// Kept for GetItemInfo(id, name): the name stays valid until the next
	// call on this object.
	mutable BString fLastName;
};

#endif
