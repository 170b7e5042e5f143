#ifndef _MIDI_FILE_INFO_H
#define _MIDI_FILE_INFO_H

#include <SupportDefs.h>

namespace BPrivate {

// What a Standard MIDI File holds, read from its bytes: enough to check
// that it is one and to know how long it plays.
struct MidiFileInfo {
	// B_OK, or B_BAD_MIDI_DATA when the bytes are not a well-formed file.
	status_t SetTo(const void* data, size_t size);

	uint16 format = 0;
	uint16 trackCount = 0;
	// Ticks a quarter note, or for SMPTE time ticks a second.
	uint32 ticksPerQuarter = 0;
	uint32 ticksPerSecond = 0;
	int32 totalTicks = 0;
	// At the file's own tempos.
	bigtime_t duration = 0;
};

} // namespace BPrivate

#endif
