#ifndef _MIDI_SYNTH_FILE_H
#define _MIDI_SYNTH_FILE_H

#include <MidiDefs.h>

#include <mutex>

struct entry_ref;
class BSoundPlayer;

namespace BPrivate {
class SynthEngine;
}

// Plays a Standard MIDI File on a General MIDI synthesizer (FluidSynth with
// a sound font of the system) through the media kit's sound player: with
// no sound device the tune still plays, silently, in real time.
class BMidiSynthFile {
public:
	BMidiSynthFile();
	virtual ~BMidiSynthFile();

	// B_OK; B_BAD_VALUE for NULL; B_ENTRY_NOT_FOUND and the like when the
	// file can't be read; B_BAD_MIDI_DATA when it is no MIDI file;
	// B_BAD_INSTRUMENT when the system has no sound font.
	status_t LoadFile(const entry_ref* midiEntryRef);
	void UnloadFile();

	// Starts the tune from its beginning and returns at once.
	virtual status_t Start();
	virtual void Stop();
	// Turns the volume down over a second, then stops.
	void Fade();
	void Pause();
	void Resume();

	// The tune's length, and where it is, in MIDI ticks.
	int32 Duration() const;
	// Moves the tune to `ticks`; answers where it is then.
	int32 Position(int32 ticks) const;
	int32 Seek();

	void SetFileHook(synth_file_hook hook, int32 arg);
	bool IsFinished() const;
	void EnableLooping(bool loop);

	// 1.0 is the synthesizer's normal loudness.
	void SetVolume(double volume);
	double Volume() const;

private:
	BMidiSynthFile(const BMidiSynthFile&) = delete;
	BMidiSynthFile& operator=(const BMidiSynthFile&) = delete;

	static void _PlayBuffer(void* cookie, void* buffer, size_t size,
		const struct media_raw_audio_format& format);

	BPrivate::SynthEngine* fEngine = NULL;
	BSoundPlayer* fPlayer = NULL;
	int32 fDuration = 0;
	bool fLooping = false;
	double fVolume = 1.0;
	synth_file_hook fHook = NULL;
	int32 fHookArg = 0;
	// Guards the hook, which is called on the player's thread.
	mutable std::mutex fHookLock;
};

#endif
