#ifndef _NODE_MONITOR_H
#define _NODE_MONITOR_H

#include <Messenger.h>
#include <Node.h>

// What to watch of a node.
enum {
	B_STOP_WATCHING = 0x0000,
	B_WATCH_NAME = 0x0001,
	B_WATCH_STAT = 0x0002,
	B_WATCH_ATTR = 0x0004,
	B_WATCH_DIRECTORY = 0x0008,
	B_WATCH_ALL = 0x000f,
	B_WATCH_MOUNT = 0x0010,
};

// The "opcode" field of a B_NODE_MONITOR message.
enum {
	B_ENTRY_CREATED = 1,
	B_ENTRY_REMOVED,
	B_ENTRY_MOVED,
	B_STAT_CHANGED,
	B_ATTR_CHANGED,
	B_DEVICE_MOUNTED,
	B_DEVICE_UNMOUNTED,
};

// The "fields" of a B_STAT_CHANGED message.
enum {
	B_STAT_MODE = 0x0001,
	B_STAT_UID = 0x0002,
	B_STAT_GID = 0x0004,
	B_STAT_SIZE = 0x0008,
	B_STAT_ACCESS_TIME = 0x0010,
	B_STAT_MODIFICATION_TIME = 0x0020,
	B_STAT_CREATION_TIME = 0x0040,
	B_STAT_CHANGE_TIME = 0x0080,
};

// Sends B_NODE_MONITOR messages to target when the node changes as flags
// ask. Calling it again for the same node and target replaces the flags;
// B_STOP_WATCHING ends that watch. The node must come from GetNodeRef().
// B_WATCH_MOUNT is not supported (B_UNSUPPORTED).
status_t watch_node(const node_ref* node, uint32 flags, BMessenger target);
status_t watch_node(const node_ref* node, uint32 flags, const BHandler* handler,
	const BLooper* looper = NULL);

// Ends every watch of target.
status_t stop_watching(BMessenger target);
status_t stop_watching(const BHandler* handler, const BLooper* looper = NULL);

#endif
