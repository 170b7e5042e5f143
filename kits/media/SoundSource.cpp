#include "SoundSource.h"

#include "AudioFormat.h"

#include <sndfile.h>

namespace BPrivate {

namespace {

// Frames read from a source at a time.
const size_t kChunkFrames = 1024;

} // namespace

MemorySource::MemorySource(const void* data, size_t size, const media_raw_audio_format& format)
	: SoundSource(format.channel_count, format.frame_rate),
	  fData(static_cast<const uint8*>(data)),
	  fFrameSize(audio_sample_size(format.format) * format.channel_count),
	  fFormat(format.format),
	  fSwap(format.byte_order != B_MEDIA_HOST_ENDIAN)
{
	fFrameCount = fFrameSize != 0 ? size / fFrameSize : 0;
}

size_t
MemorySource::Read(float* into, size_t frames)
{
	size_t count = fFrameCount - fPosition;
	if (count > frames)
		count = frames;
	audio_to_float(fData + fPosition * fFrameSize, fFormat, fSwap, into, count * ChannelCount());
	fPosition += count;
	return count;
}

FileSource::FileSource(SNDFILE* file, uint32 channelCount, float frameRate)
	: SoundSource(channelCount, frameRate), fFile(file)
{
}

FileSource::~FileSource()
{
	if (fFile != NULL)
		sf_close(fFile);
}

size_t
FileSource::Read(float* into, size_t frames)
{
	sf_count_t count = sf_readf_float(fFile, into, (sf_count_t)frames);
	return count > 0 ? (size_t)count : 0;
}

SoundStream::SoundStream(SoundSource* source, float outputRate)
	: fSource(source),
	  fChannelCount(source->ChannelCount()),
	  fStep(outputRate > 0 ? source->FrameRate() / outputRate : 1.0)
{
}

SoundStream::~SoundStream()
{
	delete fSource;
}

size_t
SoundStream::MixInto(float* out, size_t frames, uint32 outputChannels, float gain)
{
	size_t done = 0;
	while (done < frames) {
		size_t index = (size_t)fPosition;
		double fraction = fPosition - (double)index;
		size_t needed = index + (fraction > 0 ? 2 : 1);
		if (needed > fBufferFrames) {
			if (!fEnded) {
				_Fill(needed);
				continue;
			}
			if (index >= fBufferFrames)
				break;
			// The last frame of the sound: nothing to lean towards.
			fraction = 0;
		}
		float* frame = out + done * outputChannels;
		for (uint32 channel = 0; channel < outputChannels; channel++) {
			float value = _Sample(index, channel, outputChannels);
			if (fraction > 0) {
				float next = _Sample(index + 1, channel, outputChannels);
				value += (float)((next - value) * fraction);
			}
			frame[channel] += value * gain;
		}
		fPosition += fStep;
		done++;
	}
	return done;
}

bool
SoundStream::_Fill(size_t needed)
{
	// Frames before the current one are never looked at again.
	size_t consumed = (size_t)fPosition;
	if (consumed > fBufferFrames)
		consumed = fBufferFrames;
	if (consumed > 0) {
		fBuffer.erase(fBuffer.begin(), fBuffer.begin() + consumed * fChannelCount);
		fBufferFrames -= consumed;
		fPosition -= (double)consumed;
		needed -= consumed;
	}
	size_t want = kChunkFrames > needed ? kChunkFrames : needed;
	fBuffer.resize((fBufferFrames + want) * fChannelCount);
	size_t got = fSource->Read(fBuffer.data() + fBufferFrames * fChannelCount, want);
	fBufferFrames += got;
	fBuffer.resize(fBufferFrames * fChannelCount);
	if (got == 0)
		fEnded = true;
	return got > 0;
}

float
SoundStream::_Sample(size_t frame, uint32 channel, uint32 outputChannels) const
{
	const float* samples = fBuffer.data() + frame * fChannelCount;
	if (fChannelCount == outputChannels)
		return samples[channel];
	if (fChannelCount == 1)
		return samples[0];
	if (outputChannels == 1) {
		float sum = 0;
		for (uint32 i = 0; i < fChannelCount; i++)
			sum += samples[i];
		return sum / (float)fChannelCount;
	}
	return samples[channel % fChannelCount];
}

} // namespace BPrivate
