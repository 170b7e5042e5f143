#include <Node.h>

#include <Directory.h>
#include <HostPath.h>

#include "AttributeIndex.h"
#include "PathUtils.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

// A node is opened for its attributes, never read: a FIFO must not make
// that wait for a writer.
static const int kNodeOpenMode = O_RDONLY | O_NONBLOCK;

using namespace BPrivate;

namespace {

const char kPrefix[] = "user.";
const size_t kPrefixLength = sizeof(kPrefix) - 1;
const size_t kTypeLength = 4;

status_t
attr_error(int error)
{
	// A file system without extended attributes must not look like a node
	// that merely lacks the attribute.
	if (error == ENOTSUP)
		return B_UNSUPPORTED;
	if (error == ENODATA)
		return B_ENTRY_NOT_FOUND;
	return be_error_from_errno(error);
}

void
put_type(uint8* bytes, type_code type)
{
	bytes[0] = type >> 24;
	bytes[1] = type >> 16;
	bytes[2] = type >> 8;
	bytes[3] = type;
}

type_code
get_type(const uint8* bytes)
{
	return ((type_code)bytes[0] << 24) | ((type_code)bytes[1] << 16) | ((type_code)bytes[2] << 8)
		| bytes[3];
}

} // namespace

BNode::BNode()
{
}

BNode::BNode(const entry_ref* ref)
{
	SetTo(ref);
}

BNode::BNode(const BEntry* entry)
{
	SetTo(entry);
}

BNode::BNode(const char* path)
{
	SetTo(path);
}

BNode::BNode(const BDirectory* dir, const char* path)
{
	SetTo(dir, path);
}

BNode::BNode(const BNode& node)
{
	*this = node;
}

BNode::~BNode()
{
	_Close();
}

status_t
BNode::SetTo(const entry_ref* ref)
{
	BEntry entry(ref, true);
	return SetTo(&entry);
}

status_t
BNode::SetTo(const BEntry* entry)
{
	Unset();
	if (entry == NULL || entry->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	return _Open(entry->HostPath(), kNodeOpenMode);
}

status_t
BNode::SetTo(const char* path)
{
	Unset();
	if (path == NULL || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	return _Open(normalized_path(host_path(path).String()).String(), kNodeOpenMode);
}

status_t
BNode::SetTo(const BDirectory* dir, const char* path)
{
	BEntry entry(dir, path, true);
	return SetTo(&entry);
}

void
BNode::Unset()
{
	_Close();
	fPath = "";
	fStatus = B_NO_INIT;
	fAttrCookie = 0;
}

status_t
BNode::GetStat(struct stat* st) const
{
	if (st == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	int result = fFd >= 0 ? fstat(fFd, st) : stat(fPath.String(), st);
	return result == 0 ? B_OK : be_error_from_errno(errno);
}

status_t
BNode::GetNodeRef(node_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	struct stat st;
	status_t status = GetStat(&st);
	if (status != B_OK)
		return status;
	ref->device = st.st_dev;
	ref->node = st.st_ino;
	ref->path = fPath;
	return B_OK;
}

status_t
BNode::Sync()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	return fFd >= 0 && fsync(fFd) != 0 ? be_error_from_errno(errno) : B_OK;
}

ssize_t
BNode::WriteAttr(const char* name, type_code type, off_t offset, const void* buffer, size_t length)
{
	if (fStatus != B_OK)
		return B_FILE_ERROR;
	if (name == NULL || name[0] == '\0' || (buffer == NULL && length > 0) || offset < 0)
		return B_BAD_VALUE;
	if (strlen(name) > B_ATTR_NAME_LENGTH - kPrefixLength)
		return B_NAME_TOO_LONG;

	std::vector<uint8> value(kTypeLength);
	if (offset > 0) {
		// Writing past the start keeps what stands before the offset.
		std::vector<uint8> old(kTypeLength + offset);
		attr_info info;
		if (GetAttrInfo(name, &info) == B_OK) {
			old.resize(kTypeLength + std::max<off_t>(info.size, offset));
			std::string key = std::string(kPrefix) + name;
			ssize_t got = fFd >= 0 ? fgetxattr(fFd, key.c_str(), old.data(), old.size())
								   : getxattr(fPath.String(), key.c_str(), old.data(), old.size());
			if (got < 0)
				return attr_error(errno);
			old.resize(std::max<size_t>(got, kTypeLength + offset));
		}
		value = old;
	}
	put_type(value.data(), type);
	if (value.size() < kTypeLength + offset + length)
		value.resize(kTypeLength + offset + length);
	if (length > 0)
		memcpy(value.data() + kTypeLength + offset, buffer, length);

	std::string key = std::string(kPrefix) + name;
	int result = fFd >= 0 ? fsetxattr(fFd, key.c_str(), value.data(), value.size(), 0)
						  : setxattr(fPath.String(), key.c_str(), value.data(), value.size(), 0);
	if (result != 0)
		return attr_error(errno);
	index_attribute_written(fFd, fPath.String(), name, type, value.data() + kTypeLength,
		value.size() - kTypeLength);
	return length;
}

ssize_t
BNode::ReadAttr(const char* name, type_code, off_t offset, void* buffer, size_t length) const
{
	if (fStatus != B_OK)
		return B_FILE_ERROR;
	if (name == NULL || name[0] == '\0' || (buffer == NULL && length > 0) || offset < 0)
		return B_BAD_VALUE;

	std::string key = std::string(kPrefix) + name;
	ssize_t size = fFd >= 0 ? fgetxattr(fFd, key.c_str(), NULL, 0)
							: getxattr(fPath.String(), key.c_str(), NULL, 0);
	if (size < 0)
		return attr_error(errno);
	std::vector<uint8> value(size);
	size = fFd >= 0 ? fgetxattr(fFd, key.c_str(), value.data(), value.size())
					: getxattr(fPath.String(), key.c_str(), value.data(), value.size());
	if (size < 0)
		return attr_error(errno);
	if ((size_t)size < kTypeLength)
		return B_BAD_DATA;

	size_t data = size - kTypeLength;
	if ((size_t)offset >= data)
		return 0;
	size_t count = std::min(length, data - (size_t)offset);
	memcpy(buffer, value.data() + kTypeLength + offset, count);
	return count;
}

status_t
BNode::RemoveAttr(const char* name)
{
	if (fStatus != B_OK)
		return B_FILE_ERROR;
	if (name == NULL)
		return B_BAD_VALUE;
	std::string key = std::string(kPrefix) + name;
	int result = fFd >= 0 ? fremovexattr(fFd, key.c_str()) : removexattr(fPath.String(), key.c_str());
	if (result != 0)
		return attr_error(errno);
	index_attribute_removed(fFd, fPath.String(), name);
	return B_OK;
}

status_t
BNode::RenameAttr(const char* oldName, const char* newName)
{
	if (fStatus != B_OK)
		return B_FILE_ERROR;
	if (oldName == NULL || newName == NULL)
		return B_BAD_VALUE;
	attr_info info;
	status_t status = GetAttrInfo(oldName, &info);
	if (status != B_OK)
		return status;
	std::vector<uint8> data(info.size);
	ssize_t read = ReadAttr(oldName, info.type, 0, data.data(), data.size());
	if (read < 0)
		return read;
	ssize_t written = WriteAttr(newName, info.type, 0, data.data(), read);
	if (written < 0)
		return written;
	return RemoveAttr(oldName);
}

status_t
BNode::GetAttrInfo(const char* name, attr_info* info) const
{
	if (fStatus != B_OK)
		return B_FILE_ERROR;
	if (name == NULL || info == NULL)
		return B_BAD_VALUE;
	std::string key = std::string(kPrefix) + name;
	uint8 head[kTypeLength];
	ssize_t size = fFd >= 0 ? fgetxattr(fFd, key.c_str(), NULL, 0)
							: getxattr(fPath.String(), key.c_str(), NULL, 0);
	if (size < 0)
		return attr_error(errno);
	if ((size_t)size < kTypeLength)
		return B_BAD_DATA;
	std::vector<uint8> value(size);
	size = fFd >= 0 ? fgetxattr(fFd, key.c_str(), value.data(), value.size())
					: getxattr(fPath.String(), key.c_str(), value.data(), value.size());
	if (size < (ssize_t)kTypeLength)
		return size < 0 ? attr_error(errno) : B_BAD_DATA;
	memcpy(head, value.data(), kTypeLength);
	info->type = get_type(head);
	info->size = size - kTypeLength;
	return B_OK;
}

status_t
BNode::GetNextAttrName(char* buffer)
{
	if (fStatus != B_OK)
		return B_FILE_ERROR;
	if (buffer == NULL)
		return B_BAD_VALUE;
	ssize_t size = fFd >= 0 ? flistxattr(fFd, NULL, 0) : listxattr(fPath.String(), NULL, 0);
	if (size < 0)
		return attr_error(errno);
	std::vector<char> names(size + 1);
	size = fFd >= 0 ? flistxattr(fFd, names.data(), size) : listxattr(fPath.String(), names.data(), size);
	if (size < 0)
		return attr_error(errno);

	int32 index = 0;
	for (ssize_t at = 0; at < size; at += strlen(names.data() + at) + 1) {
		const char* name = names.data() + at;
		if (strncmp(name, kPrefix, kPrefixLength) != 0)
			continue;
		if (index++ == fAttrCookie) {
			fAttrCookie++;
			strncpy(buffer, name + kPrefixLength, B_ATTR_NAME_LENGTH);
			buffer[B_ATTR_NAME_LENGTH] = '\0';
			return B_OK;
		}
	}
	return B_ENTRY_NOT_FOUND;
}

status_t
BNode::RewindAttrs()
{
	if (fStatus != B_OK)
		return B_FILE_ERROR;
	fAttrCookie = 0;
	return B_OK;
}

status_t
BNode::WriteAttrString(const char* name, const BString* data)
{
	if (data == NULL)
		return B_BAD_VALUE;
	// The stored string keeps its terminating NUL, as BeOS writes it.
	ssize_t written = WriteAttr(name, B_STRING_TYPE, 0, data->String(), data->Length() + 1);
	return written < 0 ? (status_t)written : B_OK;
}

status_t
BNode::ReadAttrString(const char* name, BString* result) const
{
	if (name == NULL || result == NULL)
		return B_BAD_VALUE;
	attr_info info;
	status_t status = GetAttrInfo(name, &info);
	if (status != B_OK)
		return status;
	std::vector<char> data(info.size + 1, '\0');
	ssize_t read = ReadAttr(name, B_STRING_TYPE, 0, data.data(), info.size);
	if (read < 0)
		return read;
	result->SetTo(data.data(), read);
	return B_OK;
}

int
BNode::Dup()
{
	return fFd >= 0 ? dup(fFd) : -1;
}

BNode&
BNode::operator=(const BNode& node)
{
	if (this == &node)
		return *this;
	Unset();
	fPath = node.fPath;
	fStatus = node.fStatus;
	if (node.fFd >= 0)
		fFd = fcntl(node.fFd, F_DUPFD_CLOEXEC, 0);
	return *this;
}

status_t
BNode::_Open(const char* hostPath, int openMode, mode_t permissions)
{
	fPath = hostPath;
	fFd = open(hostPath, openMode | O_CLOEXEC, permissions);
	if (fFd >= 0)
		return fStatus = B_OK;
	int error = errno;
	// A node one may not read can still be examined through its path.
	struct stat st;
	if (error == EACCES && (openMode & O_ACCMODE) == O_RDONLY && (openMode & O_CREAT) == 0
		&& stat(hostPath, &st) == 0)
		return fStatus = B_OK;
	fPath = "";
	return fStatus = be_error_from_errno(error);
}

void
BNode::_Close()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
}
