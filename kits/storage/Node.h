#ifndef _NODE_H
#define _NODE_H

#include <Entry.h>
#include <fs_attr.h>

#include <sys/stat.h>

class BDirectory;

// A node of the file system, by device and inode. On this system the kit
// also keeps the host path the node was found at, since Linux watches
// nodes through paths; comparisons look at device and node alone.
struct node_ref {
	node_ref() = default;
	node_ref(dev_t device, ino_t node) : device(device), node(node) {}

	bool operator==(const node_ref& ref) const
	{
		return device == ref.device && node == ref.node;
	}
	bool operator!=(const node_ref& ref) const { return !(*this == ref); }
	bool operator<(const node_ref& ref) const
	{
		return device != ref.device ? device < ref.device : node < ref.node;
	}

	dev_t device = (dev_t)-1;
	ino_t node = (ino_t)-1;
	BString path;
};

// A file system node with typed attributes. Attributes live in the host's
// "user." extended attributes; each value begins with its four-byte BeOS
// type code, so the type is read back as it was written. On a file system
// without extended attributes every attribute call answers B_UNSUPPORTED.
class BNode {
public:
	BNode();
	BNode(const entry_ref* ref);
	BNode(const BEntry* entry);
	BNode(const char* path);
	BNode(const BDirectory* dir, const char* path);
	BNode(const BNode& node);
	virtual ~BNode();

	status_t InitCheck() const { return fStatus; }

	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const char* path);
	status_t SetTo(const BDirectory* dir, const char* path);
	void Unset();

	status_t GetStat(struct stat* st) const;
	status_t GetNodeRef(node_ref* ref) const;
	status_t Sync();

	ssize_t WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
		size_t length);
	ssize_t ReadAttr(const char* name, type_code type, off_t offset, void* buffer,
		size_t length) const;
	status_t RemoveAttr(const char* name);
	status_t RenameAttr(const char* oldName, const char* newName);
	status_t GetAttrInfo(const char* name, attr_info* info) const;
	status_t GetNextAttrName(char* buffer);
	status_t RewindAttrs();
	status_t WriteAttrString(const char* name, const BString* data);
	status_t ReadAttrString(const char* name, BString* result) const;

	int Dup();

	BNode& operator=(const BNode& node);

protected:
	// Opens the node's path with the given open(2) flags.
	status_t _Open(const char* hostPath, int openMode, mode_t permissions = 0666);
	void _Close();

	int fFd = -1;
	BString fPath;
	status_t fStatus = B_NO_INIT;
	int32 fAttrCookie = 0;
};

#endif
