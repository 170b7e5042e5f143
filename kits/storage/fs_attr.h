#ifndef _FS_ATTR_H
#define _FS_ATTR_H

#include <SupportDefs.h>
#include <TypeConstants.h>

typedef struct attr_info {
	uint32 type;
	off_t size;
} attr_info;

#endif
