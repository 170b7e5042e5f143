#include <SoundPlayer.h>

#include <OS.h>
#include <Sound.h>

#include "AudioFormat.h"
#include "AudioOutput.h"
#include "SoundSource.h"

#include <math.h>
#include <string.h>

using namespace BPrivate;

namespace {

const float kDefaultFrameRate = 44100.0f;
const size_t kDefaultBufferFrames = 1024;

float
clamped_volume(float volume)
{
	if (!(volume > 0.0f))
		return 0.0f;
	return volume < 1.0f ? volume : 1.0f;
}

} // namespace

struct BSoundPlayer::Playing {
	play_id id;
	BSound* sound;
	SoundStream* stream;
	float volume;
	bigtime_t startAt;
	// Past its end or stopped; stays listed, unheard, until the player has
	// let go of it, so that a waiter wakes to a sound fully done with.
	bool ending = false;
};

BSoundPlayer::BSoundPlayer(const char* name, BufferPlayerFunc playerFunction,
	EventNotifierFunc eventNotifierFunction, void* cookie)
{
	_Init(NULL, name, playerFunction, eventNotifierFunction, cookie);
}

BSoundPlayer::BSoundPlayer(const media_raw_audio_format* format, const char* name,
	BufferPlayerFunc playerFunction, EventNotifierFunc eventNotifierFunction, void* cookie)
{
	_Init(format, name, playerFunction, eventNotifierFunction, cookie);
}

BSoundPlayer::~BSoundPlayer()
{
	_StopOutput(true);
	// Threads still in WaitForSound() were woken by the flush; let them
	// leave before the lock they hold goes away.
	std::unique_lock<std::mutex> lock(fLock);
	fSoundsChanged.wait(lock, [this] { return fWaiters == 0; });
}

status_t
BSoundPlayer::Start()
{
	if (fStatus != B_OK)
		return fStatus;
	{
		std::lock_guard<std::mutex> lock(fOutputLock);
		if (fOutput != NULL)
			return B_OK;
		size_t frameSize = audio_sample_size(fFormat.format) * fFormat.channel_count;
		size_t bufferFrames = fFormat.buffer_size / frameSize;
		if (bufferFrames < 64)
			bufferFrames = 64;
		if (bufferFrames > 8192)
			bufferFrames = 8192;
		fOutput = AudioOutput::Create(fFormat.frame_rate, fFormat.channel_count, bufferFrames,
			_Render, this);
	}
	_Notify(B_STARTED, 0, false);
	return B_OK;
}

void
BSoundPlayer::Stop(bool /*block*/, bool flush)
{
	// Stopping always waits for the output to let go: a hook must not run
	// once Stop() has returned.
	bool wasRunning = IsRunning();
	_StopOutput(flush);
	if (wasRunning)
		_Notify(B_STOPPED, 0, false);
}

bool
BSoundPlayer::IsRunning() const
{
	std::lock_guard<std::mutex> lock(fOutputLock);
	return fOutput != NULL;
}

BSoundPlayer::BufferPlayerFunc
BSoundPlayer::BufferPlayer() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fPlayBuffer;
}

void
BSoundPlayer::SetBufferPlayer(BufferPlayerFunc playerFunction)
{
	std::lock_guard<std::mutex> lock(fLock);
	fPlayBuffer = playerFunction;
}

BSoundPlayer::EventNotifierFunc
BSoundPlayer::EventNotifier() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fNotifier;
}

void
BSoundPlayer::SetNotifier(EventNotifierFunc eventNotifierFunction)
{
	std::lock_guard<std::mutex> lock(fLock);
	fNotifier = eventNotifierFunction;
}

void*
BSoundPlayer::Cookie() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fCookie;
}

void
BSoundPlayer::SetCookie(void* cookie)
{
	std::lock_guard<std::mutex> lock(fLock);
	fCookie = cookie;
}

void
BSoundPlayer::SetCallbacks(BufferPlayerFunc playerFunction,
	EventNotifierFunc eventNotifierFunction, void* cookie)
{
	std::lock_guard<std::mutex> lock(fLock);
	fPlayBuffer = playerFunction;
	fNotifier = eventNotifierFunction;
	fCookie = cookie;
}

bigtime_t
BSoundPlayer::CurrentTime()
{
	return system_time();
}

bigtime_t
BSoundPlayer::PerformanceTime()
{
	return system_time();
}

play_id
BSoundPlayer::StartPlaying(BSound* sound, bigtime_t atTime)
{
	return StartPlaying(sound, atTime, 1.0f);
}

play_id
BSoundPlayer::StartPlaying(BSound* sound, bigtime_t atTime, float withVolume)
{
	if (fStatus != B_OK)
		return fStatus;
	if (sound == NULL || sound->InitCheck() != B_OK)
		return B_BAD_VALUE;
	SoundSource* source = sound->_NewSource();
	if (source == NULL)
		return B_MEDIA_BAD_FORMAT;
	SoundStream* stream = new SoundStream(source, fFormat.frame_rate);
	sound->AcquireRef();

	std::lock_guard<std::mutex> lock(fLock);
	play_id id = fNextID;
	fNextID = fNextID == INT32_MAX ? 1 : fNextID + 1;
	fSounds.push_back(Playing{id, sound, stream, clamped_volume(withVolume), atTime});
	return id;
}

status_t
BSoundPlayer::SetSoundVolume(play_id id, float newVolume)
{
	std::lock_guard<std::mutex> lock(fLock);
	for (Playing& playing : fSounds) {
		if (playing.id == id && !playing.ending) {
			playing.volume = clamped_volume(newVolume);
			return B_OK;
		}
	}
	return B_ENTRY_NOT_FOUND;
}

bool
BSoundPlayer::IsPlaying(play_id id)
{
	std::lock_guard<std::mutex> lock(fLock);
	for (const Playing& playing : fSounds) {
		if (playing.id == id)
			return !playing.ending;
	}
	return false;
}

status_t
BSoundPlayer::StopPlaying(play_id id)
{
	std::vector<Playing> stopped;
	{
		std::lock_guard<std::mutex> lock(fLock);
		for (Playing& playing : fSounds) {
			if (playing.id == id && !playing.ending) {
				playing.ending = true;
				stopped.push_back(playing);
				break;
			}
		}
	}
	if (stopped.empty())
		return B_ENTRY_NOT_FOUND;
	_Finish(stopped, false);
	return B_OK;
}

status_t
BSoundPlayer::WaitForSound(play_id id)
{
	std::unique_lock<std::mutex> lock(fLock);
	auto playing = [this, id] {
		for (const Playing& sound : fSounds) {
			if (sound.id == id)
				return true;
		}
		return false;
	};
	if (!playing())
		return B_ENTRY_NOT_FOUND;
	fWaiters++;
	fSoundsChanged.wait(lock, [&] { return !playing(); });
	if (--fWaiters == 0)
		fSoundsChanged.notify_all();
	return B_OK;
}

float
BSoundPlayer::Volume()
{
	std::lock_guard<std::mutex> lock(fLock);
	return fVolume;
}

void
BSoundPlayer::SetVolume(float volume)
{
	std::lock_guard<std::mutex> lock(fLock);
	fVolume = clamped_volume(volume);
}

float
BSoundPlayer::VolumeDB(bool /*forcePoll*/)
{
	float volume = Volume();
	if (volume <= 0.00001f)
		return -100.0f;
	return 20.0f * log10f(volume);
}

status_t
BSoundPlayer::SetVolumeDB(float dB)
{
	if (isnan(dB))
		return B_BAD_VALUE;
	SetVolume(dB <= -100.0f ? 0.0f : powf(10.0f, dB / 20.0f));
	return B_OK;
}

bool
BSoundPlayer::HasData()
{
	std::lock_guard<std::mutex> lock(fLock);
	return fHasData;
}

void
BSoundPlayer::SetHasData(bool hasData)
{
	std::lock_guard<std::mutex> lock(fLock);
	fHasData = hasData;
}

bool
BSoundPlayer::IsSilent() const
{
	std::lock_guard<std::mutex> lock(fOutputLock);
	return fOutput == NULL || fOutput->IsSilent();
}

void
BSoundPlayer::_Init(const media_raw_audio_format* format, const char* name,
	BufferPlayerFunc playerFunction, EventNotifierFunc eventNotifierFunction, void* cookie)
{
	fName = name != NULL ? name : "sound player";
	fPlayBuffer = playerFunction;
	fNotifier = eventNotifierFunction;
	fCookie = cookie;

	// Fields left as wildcards (0) get the usual values.
	if (format != NULL)
		fFormat = *format;
	if (fFormat.frame_rate == 0)
		fFormat.frame_rate = kDefaultFrameRate;
	if (fFormat.channel_count == 0)
		fFormat.channel_count = 2;
	if (fFormat.format == 0)
		fFormat.format = media_raw_audio_format::B_AUDIO_FLOAT;
	if (fFormat.byte_order == 0)
		fFormat.byte_order = B_MEDIA_HOST_ENDIAN;
	// Hooks fill buffers in the host's byte order, which is all a device
	// here takes.
	if (!audio_format_is_usable(fFormat) || fFormat.byte_order != B_MEDIA_HOST_ENDIAN
		|| fFormat.channel_count > 8) {
		fStatus = B_MEDIA_BAD_FORMAT;
		return;
	}
	if (fFormat.buffer_size == 0) {
		fFormat.buffer_size
			= kDefaultBufferFrames * audio_sample_size(fFormat.format) * fFormat.channel_count;
	}
	fStatus = B_OK;
}

void
BSoundPlayer::_Render(void* cookie, float* buffer, size_t frames)
{
	static_cast<BSoundPlayer*>(cookie)->_RenderBuffer(buffer, frames);
}

void
BSoundPlayer::_RenderBuffer(float* buffer, size_t frames)
{
	uint32 channels = fFormat.channel_count;
	size_t samples = frames * channels;

	BufferPlayerFunc playBuffer;
	void* cookie;
	bool hasData;
	{
		std::lock_guard<std::mutex> lock(fLock);
		playBuffer = fPlayBuffer;
		cookie = fCookie;
		hasData = fHasData;
	}
	// The hook runs without the lock, so that it may call the player.
	if (playBuffer != NULL && hasData) {
		if (fFormat.format == media_raw_audio_format::B_AUDIO_FLOAT) {
			playBuffer(cookie, buffer, samples * sizeof(float), fFormat);
		} else {
			size_t size = samples * audio_sample_size(fFormat.format);
			fHookBuffer.resize(size);
			memset(fHookBuffer.data(),
				fFormat.format == media_raw_audio_format::B_AUDIO_UCHAR ? 0x80 : 0, size);
			playBuffer(cookie, fHookBuffer.data(), size, fFormat);
			audio_to_float(fHookBuffer.data(), fFormat.format, false, buffer, samples);
		}
	}

	std::vector<Playing> ended;
	float volume;
	{
		std::lock_guard<std::mutex> lock(fLock);
		bigtime_t now = system_time();
		for (Playing& playing : fSounds) {
			if (playing.ending || playing.startAt > now)
				continue;
			if (playing.stream->MixInto(buffer, frames, channels, playing.volume) < frames) {
				playing.ending = true;
				ended.push_back(playing);
			}
		}
		volume = fVolume;
	}
	for (size_t i = 0; i < samples; i++) {
		float value = buffer[i] * volume;
		buffer[i] = value > 1.0f ? 1.0f : (value < -1.0f ? -1.0f : value);
	}
	_Finish(ended, true);
}

void
BSoundPlayer::_Notify(sound_player_notification what, play_id id, bool gotToPlay)
{
	EventNotifierFunc notifier;
	void* cookie;
	{
		std::lock_guard<std::mutex> lock(fLock);
		notifier = fNotifier;
		cookie = fCookie;
	}
	if (notifier == NULL)
		return;
	if (what == B_SOUND_DONE)
		notifier(cookie, what, id, gotToPlay);
	else
		notifier(cookie, what, this);
}

void
BSoundPlayer::_Finish(std::vector<Playing>& done, bool gotToPlay)
{
	if (done.empty())
		return;
	for (Playing& playing : done) {
		delete playing.stream;
		playing.sound->ReleaseRef();
		_Notify(B_SOUND_DONE, playing.id, gotToPlay);
	}
	{
		std::lock_guard<std::mutex> lock(fLock);
		for (const Playing& playing : done) {
			for (auto it = fSounds.begin(); it != fSounds.end(); ++it) {
				if (it->id == playing.id) {
					fSounds.erase(it);
					break;
				}
			}
		}
		fSoundsChanged.notify_all();
	}
	done.clear();
}

void
BSoundPlayer::_StopOutput(bool flush)
{
	{
		std::lock_guard<std::mutex> lock(fOutputLock);
		// Deleting the output waits for a buffer under way; the render
		// takes fLock, so fLock must not be held here.
		delete fOutput;
		fOutput = NULL;
	}
	if (!flush)
		return;
	std::vector<Playing> dropped;
	{
		std::lock_guard<std::mutex> lock(fLock);
		for (Playing& playing : fSounds) {
			if (!playing.ending) {
				playing.ending = true;
				dropped.push_back(playing);
			}
		}
	}
	_Finish(dropped, false);
}
