#include "SynthEngine.h"

#include <MidiDefs.h>

#include <fluidsynth.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <mutex>

namespace BPrivate {

namespace {

// Where Debian's General MIDI sound fonts go; default-GM.sf2 is the one
// the system chose among those installed.
const char* const kSoundFonts[] = {
	"/usr/share/sounds/sf2/default-GM.sf2",
	"/usr/share/sounds/sf2/TimGM6mb.sf2",
	"/usr/share/sounds/sf2/FluidR3_GM.sf2",
	"/usr/share/sounds/sf3/default-GM.sf3",
	"/usr/share/soundfonts/default.sf2",
};

// Its default gain is quiet next to other sounds.
const double kSynthGain = 0.5;

// Below this (-80 dB) a tune that has played its last note is over.
const float kSilence = 0.0001f;

// Louder than this only clips.
const float kMaxVolume = 4.0f;

// FluidSynth shares loaded sound fonts between synthesizers in a cache that
// glib locks with futexes, out of ThreadSanitizer's sight. Synthesizers are
// made and ended one at a time, under a lock it does see; two about windows
// opened together then also load the font one after the other.
std::mutex sSynthLifeLock;

void
quiet_fluidsynth()
{
	static std::once_flag once;
	std::call_once(once, [] {
		// Only real errors reach standard error; FluidSynth's notes on
		// each missing preset or setting would drown them.
		fluid_set_log_function(FLUID_WARN, NULL, NULL);
		fluid_set_log_function(FLUID_INFO, NULL, NULL);
		fluid_set_log_function(FLUID_DBG, NULL, NULL);
	});
}

} // namespace

BString
find_sound_font(BString* searched)
{
	const char* chosen = getenv("MURMELO_SOUNDFONT");
	if (chosen != NULL && chosen[0] != '\0') {
		// Named on purpose: no quiet fall back to another one.
		if (searched != NULL)
			*searched = chosen;
		return access(chosen, R_OK) == 0 ? BString(chosen) : BString();
	}
	if (searched != NULL)
		searched->Truncate(0);
	for (const char* path : kSoundFonts) {
		if (access(path, R_OK) == 0)
			return BString(path);
		if (searched != NULL) {
			if (searched->Length() > 0)
				*searched << ", ";
			*searched << path;
		}
	}
	return BString();
}

SynthEngine::SynthEngine(float frameRate)
{
	quiet_fluidsynth();
	BString searched;
	BString font = find_sound_font(&searched);
	if (font.Length() == 0) {
		fprintf(stderr,
			"MIDI: no General MIDI sound font (looked for %s); install the Debian package "
			"timgm6mb-soundfont, or name a .sf2 file in MURMELO_SOUNDFONT\n",
			searched.String());
		fStatus = B_BAD_INSTRUMENT;
		return;
	}

	std::lock_guard<std::mutex> guard(sSynthLifeLock);
	fSettings = new_fluid_settings();
	if (fSettings == NULL) {
		fStatus = B_NO_MEMORY;
		return;
	}
	fluid_settings_setnum(fSettings, "synth.sample-rate", frameRate);
	fluid_settings_setnum(fSettings, "synth.gain", kSynthGain);
	fluid_settings_setint(fSettings, "synth.lock-memory", 0);
	fluid_settings_setint(fSettings, "synth.cpu-cores", 1);
	// The tune moves on with the samples rendered, not with a clock of
	// FluidSynth's own: no thread, and no device needed.
	fluid_settings_setstr(fSettings, "player.timing-source", "sample");
	fSynth = new_fluid_synth(fSettings);
	if (fSynth == NULL) {
		fStatus = B_NO_MEMORY;
		return;
	}
	if (fluid_synth_sfload(fSynth, font.String(), 1) == FLUID_FAILED) {
		fprintf(stderr, "MIDI: the sound font %s could not be loaded\n", font.String());
		fStatus = B_BAD_INSTRUMENT;
		return;
	}
	fStatus = B_OK;
}

SynthEngine::~SynthEngine()
{
	_DeletePlayer();
	std::lock_guard<std::mutex> guard(sSynthLifeLock);
	if (fSynth != NULL)
		delete_fluid_synth(fSynth);
	if (fSettings != NULL)
		delete_fluid_settings(fSettings);
}

status_t
SynthEngine::Load(const void* data, size_t size)
{
	if (data == NULL || size == 0)
		return B_BAD_VALUE;
	MidiFileInfo info;
	status_t status = info.SetTo(data, size);
	if (status != B_OK)
		return status;
	std::lock_guard<std::mutex> lock(fLock);
	_DeletePlayer();
	fPlaying = false;
	fInfo = info;
	const uint8* bytes = static_cast<const uint8*>(data);
	fFile.assign(bytes, bytes + size);
	return B_OK;
}

void
SynthEngine::Unload()
{
	std::lock_guard<std::mutex> lock(fLock);
	_DeletePlayer();
	if (fSynth != NULL)
		fluid_synth_all_sounds_off(fSynth, -1);
	fPlaying = false;
	fFile.clear();
	fInfo = MidiFileInfo();
}

bool
SynthEngine::IsLoaded() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return !fFile.empty();
}

status_t
SynthEngine::Start(bool loop)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (fStatus != B_OK)
		return fStatus;
	if (fFile.empty())
		return B_NO_INIT;
	_DeletePlayer();
	fluid_synth_all_sounds_off(fSynth, -1);
	fPlayer = new_fluid_player(fSynth);
	if (fPlayer == NULL)
		return B_NO_MEMORY;
	if (fluid_player_add_mem(fPlayer, fFile.data(), fFile.size()) != FLUID_OK) {
		_DeletePlayer();
		return B_BAD_MIDI_DATA;
	}
	fLooping = loop;
	fluid_player_set_loop(fPlayer, loop ? -1 : 1);
	if (fluid_player_play(fPlayer) != FLUID_OK) {
		_DeletePlayer();
		return B_ERROR;
	}
	fPlaying = true;
	fPaused = false;
	fFadeLeft = 0;
	return B_OK;
}

void
SynthEngine::Stop()
{
	std::lock_guard<std::mutex> lock(fLock);
	_DeletePlayer();
	if (fSynth != NULL)
		fluid_synth_all_sounds_off(fSynth, -1);
	fPlaying = false;
	fFadeLeft = 0;
}

void
SynthEngine::SetLooping(bool loop)
{
	std::lock_guard<std::mutex> lock(fLock);
	fLooping = loop;
	if (fPlayer != NULL)
		fluid_player_set_loop(fPlayer, loop ? -1 : 1);
}

void
SynthEngine::Fade(size_t frames)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (!fPlaying)
		return;
	fFadeFrames = fFadeLeft = frames > 0 ? frames : 1;
}

void
SynthEngine::SetPaused(bool paused)
{
	std::lock_guard<std::mutex> lock(fLock);
	fPaused = paused;
}

bool
SynthEngine::IsPaused() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fPaused;
}

bool
SynthEngine::IsFinished() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return !fPlaying;
}

int32
SynthEngine::CurrentTick() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fPlayer != NULL ? fluid_player_get_current_tick(fPlayer) : 0;
}

status_t
SynthEngine::SeekTick(int32 tick)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (fPlayer == NULL || !fPlaying)
		return B_NO_INIT;
	if (tick < 0)
		return B_BAD_VALUE;
	return fluid_player_seek(fPlayer, tick) == FLUID_OK ? B_OK : B_BAD_VALUE;
}

void
SynthEngine::SetVolume(float volume)
{
	std::lock_guard<std::mutex> lock(fLock);
	fVolume = volume > 0 ? (volume < kMaxVolume ? volume : kMaxVolume) : 0;
}

float
SynthEngine::Volume() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fVolume;
}

bool
SynthEngine::Render(float* stereo, size_t frames)
{
	std::lock_guard<std::mutex> lock(fLock);
	// A tune that ended, faded or was stopped is silent at once: no notes
	// or reverb ringing on.
	bool sounding = fSynth != NULL && !fPaused && fPlaying;
	if (!sounding) {
		memset(stereo, 0, frames * 2 * sizeof(float));
		return false;
	}
	fluid_synth_write_float(fSynth, (int)frames, stereo, 0, 2, stereo, 1, 2);

	for (size_t frame = 0; frame < frames; frame++) {
		float gain = fVolume;
		if (fFadeLeft > 0) {
			gain *= (float)fFadeLeft / (float)fFadeFrames;
			if (--fFadeLeft == 0) {
				_Finish();
				memset(stereo + 2 * frame, 0, (frames - frame) * 2 * sizeof(float));
				return false;
			}
		}
		stereo[2 * frame] *= gain;
		stereo[2 * frame + 1] *= gain;
	}

	if (!fPlaying)
		return false;
	if (fluid_player_get_status(fPlayer) == FLUID_PLAYER_DONE) {
		fPlaying = false;
		return true;
	}
	// FluidSynth reports the end only when the last voice has died away,
	// which for some instruments is seconds after anything can be heard.
	if (!fLooping && fluid_player_get_current_tick(fPlayer) >= fInfo.totalTicks) {
		float peak = 0;
		for (size_t i = 0; i < frames * 2; i++)
			peak = fmaxf(peak, fabsf(stereo[i]));
		if (peak < kSilence) {
			_Finish();
			return true;
		}
	}
	return false;
}

void
SynthEngine::_Finish()
{
	_DeletePlayer();
	fluid_synth_all_sounds_off(fSynth, -1);
	fPlaying = false;
	fFadeLeft = 0;
}

void
SynthEngine::_DeletePlayer()
{
	if (fPlayer == NULL)
		return;
	fluid_player_stop(fPlayer);
	delete_fluid_player(fPlayer);
	fPlayer = NULL;
}

} // namespace BPrivate
