#ifndef _ARCHIVABLE_H
#define _ARCHIVABLE_H

#include <SupportDefs.h>
#include <image.h>

class BMessage;

// An object that can be written into a message and made again from it,
// here or in another process. Archive() puts the class name in the "class"
// field; a class rebuilt elsewhere also names the module holding its code
// in "add_on".
class BArchivable {
public:
	BArchivable();
	BArchivable(BMessage* from);
	virtual ~BArchivable();

	virtual status_t Archive(BMessage* into, bool deep = true) const;
	static BArchivable* Instantiate(BMessage* from);
};

typedef BArchivable* (*instantiation_func)(BMessage*);

// Makes the object an archive describes: its class is looked up in this
// program and the modules loaded, then in the module named by "add_on" (a
// path to a shared module), which is loaded for it (its id in *id, or -1).
// NULL with errno set when nothing can be made: B_BAD_VALUE without a
// "class" field, B_NAME_NOT_FOUND when no code for the class is found.
BArchivable* instantiate_object(BMessage* from, image_id* id);
BArchivable* instantiate_object(BMessage* from);

// True when the archive is one of className (any of its "class" entries);
// else false, with errno B_MISMATCHED_VALUES.
bool validate_instantiation(BMessage* from, const char* className);

// The Instantiate() function of a class ("Name" or "Space::Name") in this
// program or a loaded module; NULL when there is none. signature, if given,
// names the module to load when the class is not found loaded.
instantiation_func find_instantiation_func(const char* className, const char* signature);
instantiation_func find_instantiation_func(const char* className);
instantiation_func find_instantiation_func(BMessage* archive);

namespace BPrivate {

// Kit-private: the kits' own classes are found by name whether or not the
// program exports its symbols.
struct InstantiationRegistration {
	InstantiationRegistration(const char* className, instantiation_func function);
};

} // namespace BPrivate

#endif
