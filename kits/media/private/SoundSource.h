#ifndef _MEDIA_SOUND_SOURCE_H
#define _MEDIA_SOUND_SOURCE_H

#include <MediaDefs.h>
#include <String.h>

#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace BPrivate {

// Reads one playing of a sound as interleaved floats in -1 .. 1.
class SoundSource {
public:
	SoundSource(uint32 channelCount, float frameRate)
		: fChannelCount(channelCount), fFrameRate(frameRate)
	{
	}
	virtual ~SoundSource() = default;

	// Reads up to `frames` frames; fewer only at the end, 0 there (or on a
	// read error, which ends the sound early rather than stopping the
	// player).
	virtual size_t Read(float* into, size_t frames) = 0;

	uint32 ChannelCount() const { return fChannelCount; }
	float FrameRate() const { return fFrameRate; }

private:
	uint32 fChannelCount;
	float fFrameRate;
};

// Samples in memory in any raw audio format; the memory stays the caller's.
class MemorySource : public SoundSource {
public:
	MemorySource(const void* data, size_t size, const media_raw_audio_format& format);

	size_t Read(float* into, size_t frames) override;

private:
	const uint8* fData;
	size_t fFrameCount;
	size_t fFrameSize;
	size_t fPosition = 0;
	uint32 fFormat;
	bool fSwap;
};

// A sound file read through libsndfile as it plays.
class FileSource : public SoundSource {
public:
	// Takes over `file`.
	FileSource(SNDFILE* file, uint32 channelCount, float frameRate);
	~FileSource() override;

	size_t Read(float* into, size_t frames) override;

private:
	SNDFILE* fFile;
};

// A sound brought to a player's frame rate and channel count: frames are
// resampled by linear interpolation, a mono sound is heard on every
// channel, several channels are mixed down to one.
class SoundStream {
public:
	// Takes over `source`.
	SoundStream(SoundSource* source, float outputRate);
	~SoundStream();

	// Adds up to `frames` frames, times `gain`, to `out`; answers the number
	// added, fewer than asked only when the sound has ended.
	size_t MixInto(float* out, size_t frames, uint32 outputChannels, float gain);

	bool HasEnded() const { return fEnded && fPosition >= (double)fBufferFrames; }

private:
	bool _Fill(size_t needed);
	float _Sample(size_t frame, uint32 channel, uint32 outputChannels) const;

	SoundSource* fSource;
	uint32 fChannelCount;
	double fStep;
	double fPosition = 0;
	std::vector<float> fBuffer;
	size_t fBufferFrames = 0;
	bool fEnded = false;
};

// The file behind a BSound that is read as it plays.
struct SoundFile {
	~SoundFile();

	BString path;
	// Opened when first asked for bytes (BSound::GetDataAt).
	SNDFILE* reader = NULL;
};

} // namespace BPrivate

#endif
