#ifndef _VOLUME_H
#define _VOLUME_H

#include <StorageDefs.h>
#include <String.h>

#include <sys/types.h>

class BDirectory;

// A mounted file system, by device. The boot volume is the one the
// "/boot/home" folder of this system lives on.
class BVolume {
public:
	BVolume();
	BVolume(dev_t device);
	BVolume(const BVolume& volume);
	virtual ~BVolume();

	status_t InitCheck() const { return fStatus; }
	status_t SetTo(dev_t device);
	void Unset();

	dev_t Device() const { return fDevice; }
	status_t GetRootDirectory(BDirectory* directory) const;
	off_t Capacity() const;
	off_t FreeBytes() const;
	status_t GetName(char* name) const;

	bool IsReadOnly() const;
	bool IsPersistent() const;
	bool IsRemovable() const;
	bool IsShared() const;
	bool KnowsMime() const;
	bool KnowsAttr() const;
	bool KnowsQuery() const;

	bool operator==(const BVolume& volume) const;
	bool operator!=(const BVolume& volume) const { return !(*this == volume); }
	BVolume& operator=(const BVolume& volume);

private:
	// The host folder the volume is reached at.
	BString _Root() const;

	dev_t fDevice = (dev_t)-1;
	status_t fStatus = B_NO_INIT;
};

#endif
