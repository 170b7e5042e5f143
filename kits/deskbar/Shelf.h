#ifndef _SHELF_H
#define _SHELF_H

#include <Entry.h>
#include <Handler.h>
#include <Message.h>
#include <Point.h>

#include <vector>

class BView;

// Replicants (views rebuilt from their archives) kept in a container view.
// The shelf is a handler of the container's window; scripting reaches its
// replicants as the property "Replicant" (by index, by name, or by id).
class BShelf : public BHandler {
public:
	BShelf(BView* view, bool allowDrags = true, const char* shelfType = NULL);
	// Restores the replicants saved in the file, and saves them there.
	BShelf(const entry_ref* ref, BView* view, bool allowDrags = true,
		const char* shelfType = NULL);
	~BShelf() override;

	void MessageReceived(BMessage* message) override;
	BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
		const char* property) override;
	status_t GetSupportedSuites(BMessage* data) override;

	// Writes the archives of the replicants to the shelf's file, whole or
	// not at all.
	status_t Save();
	status_t SetSaveLocation(const entry_ref* ref);

	// The view is made from the archive (loading the module it names when
	// needed) and put at location in the container. B_OK and its id in
	// *id, or an error when no view can be made of it.
	status_t AddReplicant(BMessage* archive, BPoint location, uint32* id = NULL);
	status_t DeleteReplicant(BView* replicant);
	status_t DeleteReplicant(BMessage* archive);
	status_t DeleteReplicant(int32 index);

	int32 CountReplicants() const;
	// The archive of a replicant (the shelf's own), with its view and id.
	BMessage* ReplicantAt(int32 index, BView** view = NULL, uint32* uid = NULL,
		status_t* error = NULL) const;
	int32 IndexOf(const BView* replicantView) const;
	int32 IndexOf(const BMessage* archive) const;
	int32 IndexOf(uint32 id) const;
	// The first replicant whose view or class has that name; -1 if none.
	int32 IndexOf(const char* name) const;

	BView* ContainerView() const { return fContainer; }

protected:
	// Hooks for the host: a replicant came or went (its view is still
	// there when ReplicantDeleted is called).
	virtual void ReplicantAdded(int32 index, BView* replicant);
	virtual void ReplicantDeleted(int32 index, const BMessage* archive, BView* replicant);

private:
	struct Replicant {
		BMessage* archive;
		BView* view;
		uint32 id;
		image_id image;
	};

	void _Init(BView* view);
	status_t _Load();
	void _Layout();

	BView* fContainer = NULL;
	std::vector<Replicant> fReplicants;
	// Saved archives this process can't rebuild, kept for the next save.
	std::vector<BMessage*> fUnusable;
	entry_ref fSaveRef;
	bool fHasSaveRef = false;
	uint32 fNextId = 1;
	bool fLoading = false;
};

#endif
