#ifndef _FS_INDEX_H
#define _FS_INDEX_H

#include <SupportDefs.h>

#include <dirent.h>
#include <sys/types.h>
#include <time.h>

typedef struct index_info {
	uint32 type;
	off_t size;  // how many values the index holds
	time_t modification_time;
	time_t creation_time;
	uid_t uid;
	gid_t gid;
} index_info;

// As on BeOS: 0 on success, -1 with errno set to the error code otherwise.
// Only the boot volume keeps indexes; it starts with those of the mail
// attributes ("MAIL:status", "MAIL:from", "MAIL:when", ...).
int fs_create_index(dev_t device, const char* name, uint32 type, uint32 flags);
int fs_remove_index(dev_t device, const char* name);
int fs_stat_index(dev_t device, const char* name, struct index_info* info);

DIR* fs_open_index_dir(dev_t device);
struct dirent* fs_read_index_dir(DIR* dir);
int fs_close_index_dir(DIR* dir);
void fs_rewind_index_dir(DIR* dir);

#endif
