#ifndef _SOUND_H
#define _SOUND_H

#include <MediaDefs.h>

#include <atomic>

struct entry_ref;

namespace BPrivate {
class SoundSource;
class SoundFile;
}

// A sound to hand to a BSoundPlayer: a sound file, read as it plays or
// loaded into memory, or samples the caller supplies. Reference counted:
// the creator holds the first reference, each player takes its own while it
// plays, and the last ReleaseRef() deletes it.
class BSound {
public:
	BSound(void* data, size_t size, const media_raw_audio_format& format,
		bool freeWhenDone = false);
	BSound(const entry_ref* soundFile, bool loadIntoMemory = false);

	status_t InitCheck() const { return fStatus; }
	BSound* AcquireRef();
	bool ReleaseRef();
	int32 RefCount() const;

	bigtime_t Duration() const;
	const media_raw_audio_format& Format() const { return fFormat; }
	const void* Data() const { return fData; }
	off_t Size() const { return fSize; }

	// Copies up to `size` bytes of samples in Format(), from the byte offset
	// `offset`; `outUsed` gets the count copied, 0 at the end.
	virtual bool GetDataAt(off_t offset, void* intoBuffer, size_t bufferSize, size_t* outUsed);

	// A new reader of the samples as floats, from the start; the caller
	// deletes it. NULL when the sound is unusable.
	BPrivate::SoundSource* _NewSource() const;

protected:
	virtual ~BSound();

private:
	BSound(const BSound&) = delete;
	BSound& operator=(const BSound&) = delete;

	status_t _SetToFile(const char* path, bool loadIntoMemory);

	status_t fStatus = B_NO_INIT;
	media_raw_audio_format fFormat = {};
	void* fData = NULL;
	off_t fSize = 0;
	int64 fFrameCount = 0;
	bool fFreeWhenDone = false;
	BPrivate::SoundFile* fFile = NULL;
	std::atomic<int32> fRefCount{1};
};

#endif
