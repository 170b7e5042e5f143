#ifndef _DIRECTORY_H
#define _DIRECTORY_H

#include <Node.h>

#include <dirent.h>

class BFile;

class BDirectory : public BNode {
public:
	BDirectory();
	BDirectory(const BDirectory& dir);
	BDirectory(const entry_ref* ref);
	BDirectory(const BEntry* entry);
	BDirectory(const char* path);
	BDirectory(const BDirectory* dir, const char* path);
	virtual ~BDirectory();

	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const char* path);
	status_t SetTo(const BDirectory* dir, const char* path);

	status_t GetEntry(BEntry* entry) const;
	bool Contains(const char* path, int32 nodeFlags = B_ANY_NODE) const;

	status_t GetNextEntry(BEntry* entry, bool traverse = false);
	status_t GetNextRef(entry_ref* ref);
	status_t Rewind();
	int32 CountEntries();

	status_t CreateDirectory(const char* path, BDirectory* dir);
	status_t CreateFile(const char* path, BFile* file, bool failIfExists = false);

	BDirectory& operator=(const BDirectory& dir);

	// The host path of the directory.
	const char* HostPath() const { return fPath.String(); }

private:
	status_t _NextName(BString* name);

	DIR* fDir = NULL;
};

// Makes the directory and every missing one above it.
status_t create_directory(const char* path, mode_t mode);

#endif
