#ifndef _PATH_H
#define _PATH_H

#include <StorageDefs.h>
#include <String.h>

class BDirectory;
class BEntry;
struct entry_ref;

// An absolute path name. Relative paths are made absolute against the
// current directory; ".", ".." and repeated slashes are folded away.
class BPath {
public:
	BPath();
	BPath(const BPath& path);
	BPath(const entry_ref* ref);
	BPath(const BEntry* entry);
	BPath(const char* dir, const char* leaf = NULL, bool normalize = false);
	BPath(const BDirectory* dir, const char* leaf, bool normalize = false);
	virtual ~BPath();

	status_t InitCheck() const { return fStatus; }

	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const char* path, const char* leaf = NULL, bool normalize = false);
	status_t SetTo(const BDirectory* dir, const char* leaf = NULL, bool normalize = false);
	void Unset();

	status_t Append(const char* path, bool normalize = false);

	const char* Path() const;
	const char* Leaf() const;
	status_t GetParent(BPath* path) const;

	bool operator==(const BPath& item) const;
	bool operator==(const char* path) const;
	bool operator!=(const BPath& item) const { return !(*this == item); }
	bool operator!=(const char* path) const { return !(*this == path); }
	BPath& operator=(const BPath& item);
	BPath& operator=(const char* path);

private:
	BString fName;
	status_t fStatus = B_NO_INIT;
};

#endif
