#include <Entry.h>

#include <Directory.h>
#include <HostPath.h>
#include <Path.h>

#include "AttributeIndex.h"
#include "PathUtils.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

using namespace BPrivate;

entry_ref::entry_ref() : device(-1), directory(-1), name(NULL)
{
}

entry_ref::entry_ref(dev_t device, ino_t directory, const char* name)
	: device(device), directory(directory), name(NULL)
{
	set_name(name);
}

entry_ref::entry_ref(const entry_ref& ref)
	: device(ref.device), directory(ref.directory), name(NULL), directory_path(ref.directory_path)
{
	set_name(ref.name);
}

entry_ref::~entry_ref()
{
	free(name);
}

status_t
entry_ref::set_name(const char* newName)
{
	free(name);
	name = NULL;
	if (newName == NULL)
		return B_OK;
	name = strdup(newName);
	return name != NULL ? B_OK : B_NO_MEMORY;
}

bool
entry_ref::operator==(const entry_ref& ref) const
{
	if (device != ref.device || directory != ref.directory)
		return false;
	if (name == NULL || ref.name == NULL)
		return name == ref.name;
	return strcmp(name, ref.name) == 0;
}

entry_ref&
entry_ref::operator=(const entry_ref& ref)
{
	if (this == &ref)
		return *this;
	device = ref.device;
	directory = ref.directory;
	directory_path = ref.directory_path;
	set_name(ref.name);
	return *this;
}

status_t
get_ref_for_path(const char* path, entry_ref* ref)
{
	if (path == NULL || ref == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	BString full = normalized_path(host_path(path).String());
	BString parent = parent_of(full);
	struct stat st;
	if (stat(parent.String(), &st) != 0)
		return be_error_from_errno(errno);
	if (!S_ISDIR(st.st_mode))
		return B_NOT_A_DIRECTORY;
	ref->device = st.st_dev;
	ref->directory = st.st_ino;
	ref->directory_path = parent;
	// The root has no name in a directory; it is named "." as on BeOS.
	return ref->set_name(full == "/" ? "." : leaf_of(full));
}

BEntry::BEntry()
{
}

BEntry::BEntry(const BDirectory* dir, const char* path, bool traverse)
{
	SetTo(dir, path, traverse);
}

BEntry::BEntry(const entry_ref* ref, bool traverse)
{
	SetTo(ref, traverse);
}

BEntry::BEntry(const char* path, bool traverse)
{
	SetTo(path, traverse);
}

BEntry::BEntry(const BEntry& entry) : fPath(entry.fPath), fStatus(entry.fStatus)
{
}

BEntry::~BEntry()
{
}

bool
BEntry::Exists() const
{
	struct stat st;
	return fStatus == B_OK && lstat(fPath.String(), &st) == 0;
}

status_t
BEntry::SetTo(const BDirectory* dir, const char* path, bool traverse)
{
	Unset();
	if (dir == NULL || dir->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	if (path == NULL || path[0] == '\0')
		return SetTo(dir->HostPath(), traverse);
	if (path[0] == '/')
		return SetTo(path, traverse);
	BString full(dir->HostPath());
	full << "/" << path;
	return SetTo(full.String(), traverse);
}

status_t
BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	Unset();
	if (ref == NULL || ref->name == NULL)
		return fStatus = B_BAD_VALUE;
	BString full(ref->directory_path);
	full << "/" << ref->name;
	return SetTo(full.String(), traverse);
}

status_t
BEntry::SetTo(const char* path, bool traverse)
{
	Unset();
	if (path == NULL || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	BString full = normalized_path(host_path(path).String());
	if (traverse) {
		char resolved[PATH_MAX];
		if (realpath(full.String(), resolved) != NULL)
			full = resolved;
	}
	// The entry may be abstract, but the folder that would hold it must be
	// there.
	struct stat st;
	BString parent = parent_of(full);
	if (stat(parent.String(), &st) != 0)
		return fStatus = be_error_from_errno(errno);
	if (!S_ISDIR(st.st_mode))
		return fStatus = B_NOT_A_DIRECTORY;
	fPath = full;
	return fStatus = B_OK;
}

void
BEntry::Unset()
{
	fPath = "";
	fStatus = B_NO_INIT;
}

status_t
BEntry::GetRef(entry_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	return get_ref_for_path(fPath.String(), ref);
}

status_t
BEntry::GetPath(BPath* path) const
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	return path->SetTo(fPath.String());
}

status_t
BEntry::GetParent(BEntry* entry) const
{
	if (entry == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	return entry->SetTo(parent_of(fPath).String());
}

status_t
BEntry::GetParent(BDirectory* dir) const
{
	if (dir == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	return dir->SetTo(parent_of(fPath).String());
}

status_t
BEntry::GetName(char* buffer) const
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	strncpy(buffer, leaf_of(fPath), B_FILE_NAME_LENGTH - 1);
	buffer[B_FILE_NAME_LENGTH - 1] = '\0';
	return B_OK;
}

status_t
BEntry::GetStat(struct stat* st) const
{
	if (st == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	return lstat(fPath.String(), st) == 0 ? B_OK : be_error_from_errno(errno);
}

status_t
BEntry::GetSize(off_t* size) const
{
	struct stat st;
	status_t status = GetStat(&st);
	if (status == B_OK && size != NULL)
		*size = st.st_size;
	return status;
}

bool
BEntry::IsFile() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISREG(st.st_mode);
}

bool
BEntry::IsDirectory() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISDIR(st.st_mode);
}

bool
BEntry::IsSymLink() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISLNK(st.st_mode);
}

status_t
BEntry::Rename(const char* path, bool clobber)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	BString target;
	if (path[0] == '/')
		target = normalized_path(host_path(path).String());
	else
		target = parent_of(fPath) << "/" << path;
	struct stat st;
	if (!clobber && lstat(target.String(), &st) == 0)
		return B_FILE_EXISTS;
	if (rename(fPath.String(), target.String()) != 0)
		return be_error_from_errno(errno);
	index_entry_renamed(fPath.String(), target.String());
	fPath = target;
	return B_OK;
}

status_t
BEntry::MoveTo(BDirectory* dir, const char* path, bool clobber)
{
	if (dir == NULL || dir->InitCheck() != B_OK)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	BString target(dir->HostPath());
	target << "/" << (path != NULL ? path : leaf_of(fPath));
	return Rename(target.String(), clobber);
}

status_t
BEntry::Remove()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	int result = IsDirectory() ? rmdir(fPath.String()) : unlink(fPath.String());
	if (result != 0)
		return be_error_from_errno(errno);
	index_entry_removed(fPath.String());
	return B_OK;
}

BEntry&
BEntry::operator=(const BEntry& item)
{
	fPath = item.fPath;
	fStatus = item.fStatus;
	return *this;
}
