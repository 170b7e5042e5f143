#include <fs_index.h>

#include <Errors.h>

#include "AttributeIndex.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace BPrivate;

namespace {

int
answer(status_t status)
{
	if (status == B_OK)
		return 0;
	errno = status;
	return -1;
}

// The listing handed out as a DIR: the names and the place reached.
struct IndexDir {
	std::vector<std::string> names;
	size_t next = 0;
	struct dirent entry;
};

} // namespace

int
fs_create_index(dev_t device, const char* name, uint32 type, uint32)
{
	if (!is_boot_volume(device))
		return answer(B_BAD_VALUE);
	return answer(index_create(name, type));
}

int
fs_remove_index(dev_t device, const char* name)
{
	if (!is_boot_volume(device))
		return answer(B_BAD_VALUE);
	return answer(index_remove(name));
}

int
fs_stat_index(dev_t device, const char* name, struct index_info* info)
{
	if (info == NULL || !is_boot_volume(device))
		return answer(B_BAD_VALUE);
	time_t created = 0;
	status_t status = index_stat(name, &info->type, &info->size, &created);
	if (status != B_OK)
		return answer(status);
	info->creation_time = created;
	info->modification_time = created;
	info->uid = getuid();
	info->gid = getgid();
	return 0;
}

DIR*
fs_open_index_dir(dev_t device)
{
	if (!is_boot_volume(device)) {
		errno = B_BAD_VALUE;
		return NULL;
	}
	IndexDir* dir = new IndexDir;
	status_t status = index_names(&dir->names);
	if (status != B_OK) {
		delete dir;
		errno = status;
		return NULL;
	}
	return (DIR*)dir;
}

struct dirent*
fs_read_index_dir(DIR* handle)
{
	IndexDir* dir = (IndexDir*)handle;
	if (dir == NULL || dir->next >= dir->names.size())
		return NULL;
	memset(&dir->entry, 0, sizeof(dir->entry));
	strncpy(dir->entry.d_name, dir->names[dir->next++].c_str(), sizeof(dir->entry.d_name) - 1);
	return &dir->entry;
}

int
fs_close_index_dir(DIR* handle)
{
	delete (IndexDir*)handle;
	return 0;
}

void
fs_rewind_index_dir(DIR* handle)
{
	if (handle != NULL)
		((IndexDir*)handle)->next = 0;
}
