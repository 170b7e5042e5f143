#include <Volume.h>

#include <Directory.h>
#include <HostPath.h>

#include "AttributeIndex.h"
#include "PathUtils.h"

#include <mntent.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

using namespace BPrivate;

BVolume::BVolume()
{
}

BVolume::BVolume(dev_t device)
{
	SetTo(device);
}

BVolume::BVolume(const BVolume& volume) : fDevice(volume.fDevice), fStatus(volume.fStatus)
{
}

BVolume::~BVolume()
{
}

status_t
BVolume::SetTo(dev_t device)
{
	Unset();
	if (device == (dev_t)-1)
		return fStatus = B_BAD_VALUE;
	fDevice = device;
	if (_Root().Length() == 0) {
		fDevice = (dev_t)-1;
		return fStatus = B_BAD_VALUE;
	}
	return fStatus = B_OK;
}

void
BVolume::Unset()
{
	fDevice = (dev_t)-1;
	fStatus = B_NO_INIT;
}

status_t
BVolume::GetRootDirectory(BDirectory* directory) const
{
	if (directory == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	return directory->SetTo(_Root().String());
}

off_t
BVolume::Capacity() const
{
	struct statvfs info;
	if (fStatus != B_OK || statvfs(_Root().String(), &info) != 0)
		return B_NO_INIT;
	return (off_t)info.f_blocks * info.f_frsize;
}

off_t
BVolume::FreeBytes() const
{
	struct statvfs info;
	if (fStatus != B_OK || statvfs(_Root().String(), &info) != 0)
		return B_NO_INIT;
	return (off_t)info.f_bavail * info.f_frsize;
}

status_t
BVolume::GetName(char* name) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	BString root = _Root();
	const char* leaf = is_boot_volume(fDevice) ? "boot" : leaf_of(root);
	if (leaf == NULL || leaf[0] == '\0')
		leaf = "/";
	strncpy(name, leaf, B_FILE_NAME_LENGTH - 1);
	name[B_FILE_NAME_LENGTH - 1] = '\0';
	return B_OK;
}

bool
BVolume::IsReadOnly() const
{
	struct statvfs info;
	return fStatus == B_OK && statvfs(_Root().String(), &info) == 0
		&& (info.f_flag & ST_RDONLY) != 0;
}

bool
BVolume::IsPersistent() const
{
	return fStatus == B_OK;
}

bool
BVolume::IsRemovable() const
{
	return false;
}

bool
BVolume::IsShared() const
{
	return false;
}

bool
BVolume::KnowsMime() const
{
	return fStatus == B_OK;
}

bool
BVolume::KnowsAttr() const
{
	return fStatus == B_OK;
}

bool
BVolume::KnowsQuery() const
{
	return fStatus == B_OK && is_boot_volume(fDevice);
}

bool
BVolume::operator==(const BVolume& volume) const
{
	return fDevice == volume.fDevice && fStatus == volume.fStatus;
}

BVolume&
BVolume::operator=(const BVolume& volume)
{
	fDevice = volume.fDevice;
	fStatus = volume.fStatus;
	return *this;
}

BString
BVolume::_Root() const
{
	if (is_boot_volume(fDevice))
		return BString("/boot");
	// Any other volume is reached where it is mounted.
	FILE* mounts = setmntent("/proc/self/mounts", "r");
	if (mounts == NULL)
		return BString();
	BString root;
	while (struct mntent* mount = getmntent(mounts)) {
		struct stat st;
		if (stat(mount->mnt_dir, &st) == 0 && st.st_dev == fDevice) {
			root = mount->mnt_dir;
			break;
		}
	}
	endmntent(mounts);
	return root;
}
