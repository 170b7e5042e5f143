#ifndef _ENTRY_H
#define _ENTRY_H

#include <StorageDefs.h>
#include <String.h>

#include <sys/stat.h>

class BDirectory;
class BPath;

// A name in a directory. On this host the directory's path travels with the
// reference, since an inode number alone cannot be turned back into a path.
struct entry_ref {
	entry_ref();
	entry_ref(dev_t device, ino_t directory, const char* name);
	entry_ref(const entry_ref& ref);
	~entry_ref();

	status_t set_name(const char* name);

	bool operator==(const entry_ref& ref) const;
	bool operator!=(const entry_ref& ref) const { return !(*this == ref); }
	entry_ref& operator=(const entry_ref& ref);

	dev_t device;
	ino_t directory;
	char* name;

	// The host path of the directory holding the entry.
	BString directory_path;
};

status_t get_ref_for_path(const char* path, entry_ref* ref);

class BEntry {
public:
	BEntry();
	BEntry(const BDirectory* dir, const char* path, bool traverse = false);
	BEntry(const entry_ref* ref, bool traverse = false);
	BEntry(const char* path, bool traverse = false);
	BEntry(const BEntry& entry);
	virtual ~BEntry();

	status_t InitCheck() const { return fStatus; }
	bool Exists() const;

	status_t SetTo(const BDirectory* dir, const char* path, bool traverse = false);
	status_t SetTo(const entry_ref* ref, bool traverse = false);
	status_t SetTo(const char* path, bool traverse = false);
	void Unset();

	status_t GetRef(entry_ref* ref) const;
	status_t GetPath(BPath* path) const;
	status_t GetParent(BEntry* entry) const;
	status_t GetParent(BDirectory* dir) const;
	status_t GetName(char* buffer) const;
	status_t GetStat(struct stat* st) const;
	status_t GetSize(off_t* size) const;

	bool IsFile() const;
	bool IsDirectory() const;
	bool IsSymLink() const;

	status_t Rename(const char* path, bool clobber = false);
	status_t MoveTo(BDirectory* dir, const char* path = NULL, bool clobber = false);
	status_t Remove();

	bool operator==(const BEntry& item) const { return fPath == item.fPath; }
	bool operator!=(const BEntry& item) const { return !(*this == item); }
	BEntry& operator=(const BEntry& item);

	// The host path of the entry.
	const char* HostPath() const { return fPath.String(); }

private:
	BString fPath;
	status_t fStatus = B_NO_INIT;
};

#endif
