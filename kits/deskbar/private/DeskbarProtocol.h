#ifndef _DESKBAR_PROTOCOL_H
#define _DESKBAR_PROTOCOL_H

// What BDeskbar asks the Deskbar application, and the fields it uses.
// Every request is answered with B_REPLY carrying "error" (a status_t).

namespace BPrivate {

enum {
	// "view" (an archive) or "add_on" (a module path); answers "id".
	kDeskbarAddItem = 'DBai',
	// "id" or "name".
	kDeskbarRemoveItem = 'DBri',
	// "id" or "name"; answers "exists".
	kDeskbarHasItem = 'DBhi',
	// Answers "count".
	kDeskbarCountItems = 'DBci',
	// "id" (answers "name") or "name" (answers "id").
	kDeskbarItemInfo = 'DBii',
};

// The module a replicant's class lives in, added to its archive by the
// process that offers it, so the Deskbar can load that code.
extern const char* const kReplicantModuleField;
// Set in the shelf's record of an item module: its view comes from the
// module's instantiate_deskbar_item(), not from an archive.
extern const char* const kDeskbarItemField;

// The signature of the Deskbar application.
extern const char* const kDeskbarSignature;

} // namespace BPrivate

#endif
