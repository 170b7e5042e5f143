#ifndef _VOLUME_ROSTER_H
#define _VOLUME_ROSTER_H

#include <Volume.h>

#include <vector>

// The mounted volumes; the boot volume comes first.
class BVolumeRoster {
public:
	BVolumeRoster();
	virtual ~BVolumeRoster();

	status_t GetNextVolume(BVolume* volume);
	void Rewind();
	status_t GetBootVolume(BVolume* volume);

private:
	std::vector<dev_t> fDevices;
	size_t fNext = 0;
	bool fListed = false;
};

#endif
