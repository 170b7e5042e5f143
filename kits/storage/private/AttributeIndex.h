#ifndef _STORAGE_ATTRIBUTE_INDEX_H
#define _STORAGE_ATTRIBUTE_INDEX_H

#include <SupportDefs.h>

#include <string>
#include <sys/types.h>
#include <vector>

namespace BPrivate {

struct PredicateNode;

// The index of the boot volume's attributes, kept in an SQLite database at
// the volume's "/boot/var/index/attributes.db". A fresh database comes with
// the indexes the mail attributes need. Files on other devices than the
// boot volume's are not indexed.

// The boot volume: the device its home folder lives on.
dev_t boot_volume_device();
bool is_boot_volume(dev_t device);

// Kept current by the kit's own calls; a failure to update the index never
// fails the call, whose file was changed already (a later rescan mends it).
void index_attribute_written(int fd, const char* hostPath, const char* name, uint32 type,
	const void* data, size_t length);
void index_attribute_removed(int fd, const char* hostPath, const char* name);
void index_entry_renamed(const char* fromHostPath, const char* toHostPath);
void index_entry_removed(const char* hostPath);

status_t index_create(const char* name, uint32 type);
status_t index_remove(const char* name);
status_t index_stat(const char* name, uint32* type, off_t* size, time_t* created);
status_t index_names(std::vector<std::string>* names);

// The files that may match the predicate, in the order they were first
// indexed, after a rescan of what changed in the indexed folders since the
// index last looked. B_ENTRY_NOT_FOUND when the predicate has no term the
// index can answer.
status_t index_candidates(const PredicateNode* predicate, std::vector<std::string>* hostPaths);
// Drops a file that no longer exists from the index.
void index_forget(const char* hostPath);

} // namespace BPrivate

#endif
