#ifndef _MIDI_DEFS_H
#define _MIDI_DEFS_H

#include <SupportDefs.h>

// Errors of the MIDI kit.
enum {
	B_BAD_INSTRUMENT = B_MIDI_ERROR_BASE,
	B_BAD_MIDI_DATA,
	B_ALREADY_PAUSED,
	B_ALREADY_RESUMED,
	B_NO_SONG_PLAYING,
	B_TOO_MANY_SONGS_PLAYING
};

// Called when a file played by a BMidiSynthFile comes to its end.
typedef void (*synth_file_hook)(int32 arg);

#endif
