#ifndef _MIDI_SYNTH_ENGINE_H
#define _MIDI_SYNTH_ENGINE_H

#include <String.h>
#include <SupportDefs.h>

#include "MidiFileInfo.h"

#include <mutex>
#include <vector>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_player_t fluid_player_t;

namespace BPrivate {

// The General MIDI sound font to play with: the file MURMELO_SOUNDFONT
// names when it is set, else the first of the usual Debian places. Empty
// when there is none; `searched` then tells where it looked.
BString find_sound_font(BString* searched = NULL);

// One FluidSynth synthesizer with the sound font loaded, playing one MIDI
// file into buffers the caller asks for: it needs no sound device, and the
// tune advances only as samples are rendered. Every call is thread safe.
class SynthEngine {
public:
	SynthEngine(float frameRate);
	~SynthEngine();

	// B_OK, or B_BAD_INSTRUMENT when no sound font could be loaded (said
	// on standard error, with what to install).
	status_t InitCheck() const { return fStatus; }

	// Keeps a copy of a Standard MIDI File's bytes; B_BAD_MIDI_DATA when
	// they are not one.
	status_t Load(const void* data, size_t size);
	void Unload();
	bool IsLoaded() const;
	const MidiFileInfo& Info() const { return fInfo; }

	// Plays the loaded file from its start.
	status_t Start(bool loop);
	// Ends the tune at once, notes and all.
	void Stop();
	void SetLooping(bool loop);
	// Turns the volume down over `frames` frames, then stops.
	void Fade(size_t frames);
	void SetPaused(bool paused);
	bool IsPaused() const;
	bool IsFinished() const;

	int32 CurrentTick() const;
	status_t SeekTick(int32 tick);

	// 1.0 is the synthesizer's normal loudness.
	void SetVolume(float volume);
	float Volume() const;

	// Writes `frames` frames of interleaved stereo floats. Answers true when
	// the tune came to its end (and is not looping) during these frames.
	bool Render(float* stereo, size_t frames);

private:
	void _DeletePlayer();
	void _Finish();

	status_t fStatus = B_NO_INIT;
	fluid_settings_t* fSettings = NULL;
	fluid_synth_t* fSynth = NULL;
	fluid_player_t* fPlayer = NULL;
	std::vector<uint8> fFile;
	MidiFileInfo fInfo;
	mutable std::mutex fLock;
	bool fLooping = false;
	bool fPaused = false;
	bool fPlaying = false;
	float fVolume = 1.0f;
	size_t fFadeFrames = 0;
	size_t fFadeLeft = 0;
	std::vector<float> fScratch;
};

} // namespace BPrivate

#endif
