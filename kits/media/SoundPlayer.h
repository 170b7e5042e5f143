#ifndef _SOUND_PLAYER_H
#define _SOUND_PLAYER_H

#include <MediaDefs.h>
#include <String.h>

#include <condition_variable>
#include <mutex>
#include <vector>

class BSound;

namespace BPrivate {
class AudioOutput;
class SoundStream;
}

typedef int32 play_id;

// Plays sounds, and what a buffer hook makes, through the sound device; with
// no device, through a silent output that keeps real time, so that sounds
// still play to their end.
class BSoundPlayer {
public:
	enum sound_player_notification {
		B_STARTED = 1,
		B_STOPPED,
		B_SOUND_DONE
	};

	typedef void (*BufferPlayerFunc)(void* cookie, void* buffer, size_t size,
		const media_raw_audio_format& format);
	// B_STARTED and B_STOPPED pass the player; B_SOUND_DONE passes the
	// play_id and a bool, true when the sound played to its end.
	typedef void (*EventNotifierFunc)(void* cookie, sound_player_notification what, ...);

	BSoundPlayer(const char* name = NULL, BufferPlayerFunc playerFunction = NULL,
		EventNotifierFunc eventNotifierFunction = NULL, void* cookie = NULL);
	BSoundPlayer(const media_raw_audio_format* format, const char* name = NULL,
		BufferPlayerFunc playerFunction = NULL, EventNotifierFunc eventNotifierFunction = NULL,
		void* cookie = NULL);
	virtual ~BSoundPlayer();

	status_t InitCheck() const { return fStatus; }
	media_raw_audio_format Format() const { return fFormat; }
	const char* Name() const { return fName.String(); }

	status_t Start();
	void Stop(bool block = true, bool flush = true);
	bool IsRunning() const;

	BufferPlayerFunc BufferPlayer() const;
	void SetBufferPlayer(BufferPlayerFunc playerFunction);
	EventNotifierFunc EventNotifier() const;
	void SetNotifier(EventNotifierFunc eventNotifierFunction);
	void* Cookie() const;
	void SetCookie(void* cookie);
	void SetCallbacks(BufferPlayerFunc playerFunction = NULL,
		EventNotifierFunc eventNotifierFunction = NULL, void* cookie = NULL);

	// Performance time is system_time(): a sound started "at" a time
	// still to come waits for it.
	bigtime_t CurrentTime();
	bigtime_t PerformanceTime();

	play_id StartPlaying(BSound* sound, bigtime_t atTime = 0);
	play_id StartPlaying(BSound* sound, bigtime_t atTime, float withVolume);
	status_t SetSoundVolume(play_id sound, float newVolume);
	bool IsPlaying(play_id id);
	status_t StopPlaying(play_id id);
	status_t WaitForSound(play_id id);

	float Volume();
	void SetVolume(float volume);
	float VolumeDB(bool forcePoll = false);
	status_t SetVolumeDB(float dB);

	bool HasData();
	void SetHasData(bool hasData);

	// Not of BeOS: whether the samples go nowhere (no sound device).
	bool IsSilent() const;

private:
	struct Playing;
	// Lets tests see how many threads wait in WaitForSound().
	friend struct SoundPlayerProbe;

	BSoundPlayer(const BSoundPlayer&) = delete;
	BSoundPlayer& operator=(const BSoundPlayer&) = delete;

	void _Init(const media_raw_audio_format* format, const char* name,
		BufferPlayerFunc playerFunction, EventNotifierFunc eventNotifierFunction, void* cookie);
	static void _Render(void* cookie, float* buffer, size_t frames);
	void _RenderBuffer(float* buffer, size_t frames);
	void _Notify(sound_player_notification what, play_id id, bool gotToPlay);
	void _Finish(std::vector<Playing>& done, bool gotToPlay);
	void _StopOutput(bool flush);

	status_t fStatus = B_NO_INIT;
	media_raw_audio_format fFormat = {};
	BString fName;

	mutable std::mutex fLock;
	std::condition_variable fSoundsChanged;
	BufferPlayerFunc fPlayBuffer = NULL;
	EventNotifierFunc fNotifier = NULL;
	void* fCookie = NULL;
	float fVolume = 1.0f;
	bool fHasData = true;
	std::vector<Playing> fSounds;
	play_id fNextID = 1;
	int32 fWaiters = 0;

	// Guards starting and stopping the output against each other.
	mutable std::mutex fOutputLock;
	BPrivate::AudioOutput* fOutput = NULL;

	// Only touched on the output's thread.
	std::vector<uint8> fHookBuffer;
	std::vector<float> fMixBuffer;
};

#endif
