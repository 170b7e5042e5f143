#include <File.h>

#include <Directory.h>
#include <HostPath.h>

#include "PathUtils.h"

#include <errno.h>
#include <unistd.h>

using namespace BPrivate;

BFile::BFile()
{
}

BFile::BFile(const BFile& file) : BNode(), BPositionIO()
{
	*this = file;
}

BFile::BFile(const entry_ref* ref, uint32 openMode)
{
	SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode)
{
	SetTo(entry, openMode);
}

BFile::BFile(const char* path, uint32 openMode)
{
	SetTo(path, openMode);
}

BFile::BFile(const BDirectory* dir, const char* path, uint32 openMode)
{
	SetTo(dir, path, openMode);
}

BFile::~BFile()
{
}

status_t
BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
	BEntry entry(ref);
	return SetTo(&entry, openMode);
}

status_t
BFile::SetTo(const BEntry* entry, uint32 openMode)
{
	Unset();
	if (entry == NULL || entry->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	if (entry->IsDirectory())
		return fStatus = B_IS_A_DIRECTORY;
	fMode = openMode;
	return _Open(entry->HostPath(), openMode);
}

status_t
BFile::SetTo(const char* path, uint32 openMode)
{
	Unset();
	if (path == NULL || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	BEntry entry(path);
	if (entry.InitCheck() != B_OK)
		return fStatus = entry.InitCheck();
	return SetTo(&entry, openMode);
}

status_t
BFile::SetTo(const BDirectory* dir, const char* path, uint32 openMode)
{
	BEntry entry(dir, path);
	if (entry.InitCheck() != B_OK) {
		Unset();
		return fStatus = entry.InitCheck();
	}
	return SetTo(&entry, openMode);
}

bool
BFile::IsReadable() const
{
	return fStatus == B_OK && fFd >= 0 && (fMode & O_ACCMODE) != O_WRONLY;
}

bool
BFile::IsWritable() const
{
	return fStatus == B_OK && fFd >= 0 && (fMode & O_ACCMODE) != O_RDONLY;
}

ssize_t
BFile::Read(void* buffer, size_t size)
{
	if (fStatus != B_OK || fFd < 0)
		return B_FILE_ERROR;
	ssize_t result = read(fFd, buffer, size);
	return result < 0 ? be_error_from_errno(errno) : result;
}

ssize_t
BFile::ReadAt(off_t location, void* buffer, size_t size)
{
	if (fStatus != B_OK || fFd < 0)
		return B_FILE_ERROR;
	if (location < 0)
		return B_BAD_VALUE;
	ssize_t result = pread(fFd, buffer, size, location);
	return result < 0 ? be_error_from_errno(errno) : result;
}

ssize_t
BFile::Write(const void* buffer, size_t size)
{
	if (fStatus != B_OK || fFd < 0)
		return B_FILE_ERROR;
	ssize_t result = write(fFd, buffer, size);
	return result < 0 ? be_error_from_errno(errno) : result;
}

ssize_t
BFile::WriteAt(off_t location, const void* buffer, size_t size)
{
	if (fStatus != B_OK || fFd < 0)
		return B_FILE_ERROR;
	if (location < 0)
		return B_BAD_VALUE;
	ssize_t result = pwrite(fFd, buffer, size, location);
	return result < 0 ? be_error_from_errno(errno) : result;
}

off_t
BFile::Seek(off_t offset, uint32 seekMode)
{
	if (fStatus != B_OK || fFd < 0)
		return B_FILE_ERROR;
	off_t result = lseek(fFd, offset, seekMode);
	return result < 0 ? be_error_from_errno(errno) : result;
}

off_t
BFile::Position() const
{
	if (fStatus != B_OK || fFd < 0)
		return B_FILE_ERROR;
	off_t result = lseek(fFd, 0, SEEK_CUR);
	return result < 0 ? be_error_from_errno(errno) : result;
}

status_t
BFile::SetSize(off_t size)
{
	if (fStatus != B_OK || fFd < 0)
		return B_FILE_ERROR;
	if (size < 0)
		return B_BAD_VALUE;
	return ftruncate(fFd, size) == 0 ? B_OK : be_error_from_errno(errno);
}

status_t
BFile::GetSize(off_t* size) const
{
	if (size == NULL)
		return B_BAD_VALUE;
	struct stat st;
	status_t status = GetStat(&st);
	if (status == B_OK)
		*size = st.st_size;
	return status;
}

BFile&
BFile::operator=(const BFile& file)
{
	BNode::operator=(file);
	fMode = file.fMode;
	return *this;
}
