#include <VolumeRoster.h>

#include "AttributeIndex.h"

#include <mntent.h>
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>

using namespace BPrivate;

BVolumeRoster::BVolumeRoster()
{
}

BVolumeRoster::~BVolumeRoster()
{
}

status_t
BVolumeRoster::GetNextVolume(BVolume* volume)
{
	if (volume == NULL)
		return B_BAD_VALUE;
	if (!fListed) {
		fListed = true;
		dev_t boot = boot_volume_device();
		if (boot != (dev_t)-1)
			fDevices.push_back(boot);
		if (FILE* mounts = setmntent("/proc/self/mounts", "r")) {
			while (struct mntent* mount = getmntent(mounts)) {
				struct stat st;
				if (stat(mount->mnt_dir, &st) == 0
					&& std::find(fDevices.begin(), fDevices.end(), st.st_dev) == fDevices.end())
					fDevices.push_back(st.st_dev);
			}
			endmntent(mounts);
		}
	}
	while (fNext < fDevices.size()) {
		if (volume->SetTo(fDevices[fNext++]) == B_OK)
			return B_OK;
	}
	return B_BAD_VALUE;
}

void
BVolumeRoster::Rewind()
{
	fNext = 0;
}

status_t
BVolumeRoster::GetBootVolume(BVolume* volume)
{
	if (volume == NULL)
		return B_BAD_VALUE;
	dev_t device = boot_volume_device();
	if (device == (dev_t)-1)
		return B_ENTRY_NOT_FOUND;
	return volume->SetTo(device);
}
