#include <Directory.h>

#include <File.h>
#include <HostPath.h>
#include <Path.h>

#include "PathUtils.h"

#include <errno.h>
#include <string.h>
#include <unistd.h>

using namespace BPrivate;

BDirectory::BDirectory()
{
}

BDirectory::BDirectory(const BDirectory& dir) : BNode()
{
	*this = dir;
}

BDirectory::BDirectory(const entry_ref* ref)
{
	SetTo(ref);
}

BDirectory::BDirectory(const BEntry* entry)
{
	SetTo(entry);
}

BDirectory::BDirectory(const char* path)
{
	SetTo(path);
}

BDirectory::BDirectory(const BDirectory* dir, const char* path)
{
	SetTo(dir, path);
}

BDirectory::~BDirectory()
{
	if (fDir != NULL)
		closedir(fDir);
}

status_t
BDirectory::SetTo(const entry_ref* ref)
{
	BEntry entry(ref, true);
	return SetTo(&entry);
}

status_t
BDirectory::SetTo(const BEntry* entry)
{
	if (fDir != NULL)
		closedir(fDir);
	fDir = NULL;
	Unset();
	if (entry == NULL || entry->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	if (!entry->Exists())
		return fStatus = B_ENTRY_NOT_FOUND;
	if (!entry->IsDirectory())
		return fStatus = B_NOT_A_DIRECTORY;
	return _Open(entry->HostPath(), O_RDONLY | O_DIRECTORY);
}

status_t
BDirectory::SetTo(const char* path)
{
	if (path == NULL || path[0] == '\0') {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	BEntry entry(path, true);
	if (entry.InitCheck() != B_OK) {
		Unset();
		return fStatus = entry.InitCheck();
	}
	return SetTo(&entry);
}

status_t
BDirectory::SetTo(const BDirectory* dir, const char* path)
{
	BEntry entry(dir, path, true);
	if (entry.InitCheck() != B_OK) {
		Unset();
		return fStatus = entry.InitCheck();
	}
	return SetTo(&entry);
}

status_t
BDirectory::GetEntry(BEntry* entry) const
{
	if (entry == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	return entry->SetTo(fPath.String());
}

bool
BDirectory::Contains(const char* path, int32 nodeFlags) const
{
	if (fStatus != B_OK || path == NULL)
		return false;
	BEntry entry(this, path);
	if (!entry.Exists())
		return false;
	if (strncmp(entry.HostPath(), fPath.String(), fPath.Length()) != 0)
		return false;
	if (entry.IsSymLink())
		return (nodeFlags & B_SYMLINK_NODE) != 0;
	if (entry.IsDirectory())
		return (nodeFlags & B_DIRECTORY_NODE) != 0;
	return (nodeFlags & B_FILE_NODE) != 0;
}

status_t
BDirectory::GetNextEntry(BEntry* entry, bool traverse)
{
	if (entry == NULL)
		return B_BAD_VALUE;
	BString name;
	status_t status = _NextName(&name);
	if (status != B_OK)
		return status;
	return entry->SetTo(this, name.String(), traverse);
}

status_t
BDirectory::GetNextRef(entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	BString name;
	status_t status = _NextName(&name);
	if (status != B_OK)
		return status;
	BString full(fPath);
	full << "/" << name;
	return get_ref_for_path(full.String(), ref);
}

status_t
BDirectory::Rewind()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fDir != NULL)
		rewinddir(fDir);
	return B_OK;
}

int32
BDirectory::CountEntries()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	Rewind();
	int32 count = 0;
	BString name;
	while (_NextName(&name) == B_OK)
		count++;
	Rewind();
	return count;
}

status_t
BDirectory::CreateDirectory(const char* path, BDirectory* dir)
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	BEntry entry(this, path);
	if (entry.InitCheck() != B_OK)
		return entry.InitCheck();
	if (mkdir(entry.HostPath(), 0755) != 0)
		return be_error_from_errno(errno);
	return dir != NULL ? dir->SetTo(&entry) : B_OK;
}

status_t
BDirectory::CreateFile(const char* path, BFile* file, bool failIfExists)
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	BEntry entry(this, path);
	if (entry.InitCheck() != B_OK)
		return entry.InitCheck();
	uint32 mode = B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE;
	if (failIfExists)
		mode |= B_FAIL_IF_EXISTS;
	BFile local;
	BFile* target = file != NULL ? file : &local;
	return target->SetTo(&entry, mode);
}

BDirectory&
BDirectory::operator=(const BDirectory& dir)
{
	if (this == &dir)
		return *this;
	if (fDir != NULL)
		closedir(fDir);
	fDir = NULL;
	BNode::operator=(dir);
	return *this;
}

status_t
BDirectory::_NextName(BString* name)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fDir == NULL) {
		fDir = opendir(fPath.String());
		if (fDir == NULL)
			return be_error_from_errno(errno);
	}
	while (struct dirent* entry = readdir(fDir)) {
		if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
			continue;
		name->SetTo(entry->d_name);
		return B_OK;
	}
	return B_ENTRY_NOT_FOUND;
}

status_t
create_directory(const char* path, mode_t mode)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	BString full = normalized_path(host_path(path).String());
	const std::string& text = full.StdString();
	for (size_t at = 1; at <= text.size(); at++) {
		if (at != text.size() && text[at] != '/')
			continue;
		std::string part = text.substr(0, at);
		struct stat st;
		if (stat(part.c_str(), &st) == 0) {
			if (!S_ISDIR(st.st_mode))
				return B_NOT_A_DIRECTORY;
			continue;
		}
		if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
			return be_error_from_errno(errno);
	}
	return B_OK;
}
