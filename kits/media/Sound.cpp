#include <Sound.h>

#include <Entry.h>

#include "AudioFormat.h"
#include "SoundSource.h"

#include <sndfile.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

using namespace BPrivate;

namespace {

// Sounds bigger than this are not loaded into memory.
const int64 kMaxLoadedBytes = 512LL * 1024 * 1024;

// The sample format a file's samples are handed out in: the smallest one
// that keeps what the file holds.
uint32
format_for(int sndFileFormat)
{
	switch (sndFileFormat & SF_FORMAT_SUBMASK) {
		case SF_FORMAT_PCM_S8:
		case SF_FORMAT_PCM_U8:
		case SF_FORMAT_PCM_16:
		case SF_FORMAT_ULAW:
		case SF_FORMAT_ALAW:
		case SF_FORMAT_IMA_ADPCM:
		case SF_FORMAT_MS_ADPCM:
		case SF_FORMAT_GSM610:
		case SF_FORMAT_DWVW_12:
		case SF_FORMAT_DWVW_16:
		case SF_FORMAT_DPCM_8:
		case SF_FORMAT_DPCM_16:
			return media_raw_audio_format::B_AUDIO_SHORT;
		case SF_FORMAT_PCM_24:
		case SF_FORMAT_PCM_32:
		case SF_FORMAT_DWVW_24:
			return media_raw_audio_format::B_AUDIO_INT;
		default:
			return media_raw_audio_format::B_AUDIO_FLOAT;
	}
}

status_t
status_for_open_failure(const char* path)
{
	if (access(path, R_OK) != 0)
		return be_error_from_errno(errno);
	switch (sf_error(NULL)) {
		case SF_ERR_UNRECOGNISED_FORMAT:
			return B_MEDIA_NO_HANDLER;
		case SF_ERR_SYSTEM:
			return B_IO_ERROR;
		default:
			return B_MEDIA_BAD_FORMAT;
	}
}

// Reads `frames` frames in `format` (as format_for() gives) into `into`.
sf_count_t
read_frames(SNDFILE* file, uint32 format, void* into, sf_count_t frames)
{
	switch (format) {
		case media_raw_audio_format::B_AUDIO_SHORT:
			return sf_readf_short(file, static_cast<short*>(into), frames);
		case media_raw_audio_format::B_AUDIO_INT:
			return sf_readf_int(file, static_cast<int*>(into), frames);
		default:
			return sf_readf_float(file, static_cast<float*>(into), frames);
	}
}

} // namespace

SoundFile::~SoundFile()
{
	if (reader != NULL)
		sf_close(reader);
}

BSound::BSound(void* data, size_t size, const media_raw_audio_format& format, bool freeWhenDone)
	: fFormat(format), fData(data), fSize((off_t)size), fFreeWhenDone(freeWhenDone)
{
	if ((data == NULL && size > 0) || !audio_format_is_usable(format)) {
		fStatus = B_BAD_VALUE;
		return;
	}
	fFrameCount = (int64)(size / (audio_sample_size(format.format) * format.channel_count));
	fStatus = B_OK;
}

BSound::BSound(const entry_ref* soundFile, bool loadIntoMemory)
{
	if (soundFile == NULL) {
		fStatus = B_BAD_VALUE;
		return;
	}
	BEntry entry(soundFile, true);
	if (entry.InitCheck() != B_OK) {
		fStatus = entry.InitCheck();
		return;
	}
	if (!entry.Exists()) {
		fStatus = B_ENTRY_NOT_FOUND;
		return;
	}
	if (entry.IsDirectory()) {
		fStatus = B_IS_A_DIRECTORY;
		return;
	}
	fStatus = _SetToFile(entry.HostPath(), loadIntoMemory);
}

BSound::~BSound()
{
	delete fFile;
	if (fFreeWhenDone)
		free(fData);
}

BSound*
BSound::AcquireRef()
{
	fRefCount.fetch_add(1);
	return this;
}

bool
BSound::ReleaseRef()
{
	if (fRefCount.fetch_sub(1) == 1) {
		delete this;
		return false;
	}
	return true;
}

int32
BSound::RefCount() const
{
	return fRefCount.load();
}

bigtime_t
BSound::Duration() const
{
	if (fStatus != B_OK)
		return 0;
	return (bigtime_t)(fFrameCount * 1000000.0 / fFormat.frame_rate);
}

bool
BSound::GetDataAt(off_t offset, void* intoBuffer, size_t bufferSize, size_t* outUsed)
{
	if (outUsed != NULL)
		*outUsed = 0;
	if (fStatus != B_OK || intoBuffer == NULL || offset < 0)
		return false;
	size_t frameSize = audio_sample_size(fFormat.format) * fFormat.channel_count;
	int64 frame = offset / (off_t)frameSize;
	if (frame >= fFrameCount)
		return false;
	int64 frames = (int64)(bufferSize / frameSize);
	if (frames > fFrameCount - frame)
		frames = fFrameCount - frame;
	if (frames <= 0)
		return false;

	if (fData != NULL) {
		memcpy(intoBuffer, static_cast<const uint8*>(fData) + frame * frameSize,
			(size_t)frames * frameSize);
	} else {
		if (fFile->reader == NULL) {
			SF_INFO info = {};
			fFile->reader = sf_open(fFile->path.String(), SFM_READ, &info);
			if (fFile->reader == NULL)
				return false;
		}
		if (sf_seek(fFile->reader, frame, SEEK_SET) < 0)
			return false;
		frames = read_frames(fFile->reader, fFormat.format, intoBuffer, frames);
		if (frames <= 0)
			return false;
	}
	if (outUsed != NULL)
		*outUsed = (size_t)frames * frameSize;
	return true;
}

SoundSource*
BSound::_NewSource() const
{
	if (fStatus != B_OK)
		return NULL;
	if (fFile == NULL)
		return new MemorySource(fData, (size_t)fSize, fFormat);

	SF_INFO info = {};
	SNDFILE* file = sf_open(fFile->path.String(), SFM_READ, &info);
	if (file == NULL)
		return NULL;
	// Replaced by something else since: not the sound that was asked for.
	if ((uint32)info.channels != fFormat.channel_count || info.samplerate <= 0) {
		sf_close(file);
		return NULL;
	}
	return new FileSource(file, fFormat.channel_count, (float)info.samplerate);
}

status_t
BSound::_SetToFile(const char* path, bool loadIntoMemory)
{
	SF_INFO info = {};
	SNDFILE* file = sf_open(path, SFM_READ, &info);
	if (file == NULL)
		return status_for_open_failure(path);
	if (info.channels <= 0 || info.channels > 64 || info.samplerate <= 0 || info.frames < 0) {
		sf_close(file);
		return B_MEDIA_BAD_FORMAT;
	}

	fFormat.frame_rate = (float)info.samplerate;
	fFormat.channel_count = (uint32)info.channels;
	fFormat.format = format_for(info.format);
	fFormat.byte_order = B_MEDIA_HOST_ENDIAN;
	size_t frameSize = audio_sample_size(fFormat.format) * fFormat.channel_count;
	fFormat.buffer_size = 1024 * frameSize;
	fFrameCount = info.frames;
	fSize = (off_t)(fFrameCount * (int64)frameSize);

	if (!loadIntoMemory) {
		sf_close(file);
		fFile = new SoundFile;
		fFile->path = path;
		return B_OK;
	}

	if (fFrameCount > kMaxLoadedBytes / (int64)frameSize) {
		sf_close(file);
		return B_NO_MEMORY;
	}
	fData = malloc(fSize > 0 ? (size_t)fSize : 1);
	if (fData == NULL) {
		sf_close(file);
		return B_NO_MEMORY;
	}
	fFreeWhenDone = true;
	sf_count_t got = read_frames(file, fFormat.format, fData, fFrameCount);
	sf_close(file);
	if (got < fFrameCount) {
		// A file shorter than its header says: keep what is there, as a
		// player reading it from disk would.
		fFrameCount = got > 0 ? got : 0;
		fSize = (off_t)(fFrameCount * (int64)frameSize);
	}
	return B_OK;
}
