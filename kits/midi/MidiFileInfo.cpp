#include "MidiFileInfo.h"

#include <MidiDefs.h>

#include <algorithm>
#include <string.h>
#include <vector>

namespace BPrivate {

namespace {

// Reads a file's bytes without ever stepping past their end.
class Reader {
public:
	Reader(const uint8* data, size_t size) : fData(data), fSize(size) {}

	bool AtEnd() const { return fPosition >= fSize; }
	size_t Remaining() const { return fSize - fPosition; }

	bool Byte(uint8& value)
	{
		if (fPosition >= fSize)
			return false;
		value = fData[fPosition++];
		return true;
	}

	bool Peek(uint8& value) const
	{
		if (fPosition >= fSize)
			return false;
		value = fData[fPosition];
		return true;
	}

	bool BigEndian(uint32& value, int bytes)
	{
		if (Remaining() < (size_t)bytes)
			return false;
		value = 0;
		for (int i = 0; i < bytes; i++)
			value = (value << 8) | fData[fPosition++];
		return true;
	}

	// A variable-length quantity: at most four bytes of seven bits.
	bool Variable(uint32& value)
	{
		value = 0;
		for (int i = 0; i < 4; i++) {
			uint8 byte;
			if (!Byte(byte))
				return false;
			value = (value << 7) | (byte & 0x7f);
			if ((byte & 0x80) == 0)
				return true;
		}
		return false;
	}

	bool Skip(size_t count)
	{
		if (Remaining() < count)
			return false;
		fPosition += count;
		return true;
	}

	const uint8* Here() const { return fData + fPosition; }

private:
	const uint8* fData;
	size_t fSize;
	size_t fPosition = 0;
};

struct TempoChange {
	int64 tick;
	uint32 microsecondsPerQuarter;
};

// Walks one track; answers its length in ticks, or -1 when it is malformed.
int64
scan_track(Reader track, std::vector<TempoChange>& tempos)
{
	int64 tick = 0;
	uint8 running = 0;
	while (!track.AtEnd()) {
		uint32 delta;
		if (!track.Variable(delta))
			return -1;
		tick += delta;
		uint8 status;
		if (!track.Peek(status))
			return -1;
		if (status & 0x80)
			track.Byte(status);
		else if (running == 0)
			return -1;
		else
			status = running;

		if (status == 0xff) {
			uint8 type;
			uint32 length;
			if (!track.Byte(type) || !track.Variable(length) || track.Remaining() < length)
				return -1;
			if (type == 0x51 && length == 3) {
				const uint8* bytes = track.Here();
				uint32 tempo = (bytes[0] << 16) | (bytes[1] << 8) | bytes[2];
				if (tempo > 0)
					tempos.push_back(TempoChange{tick, tempo});
			}
			track.Skip(length);
			if (type == 0x2f)
				return tick;
			running = 0;
		} else if (status == 0xf0 || status == 0xf7) {
			uint32 length;
			if (!track.Variable(length) || !track.Skip(length))
				return -1;
			running = 0;
		} else if (status >= 0xf0) {
			return -1;
		} else {
			running = status;
			uint8 kind = status & 0xf0;
			if (!track.Skip(kind == 0xc0 || kind == 0xd0 ? 1 : 2))
				return -1;
		}
	}
	// A track without its end marker: taken as ending at its last event.
	return tick;
}

} // namespace

status_t
MidiFileInfo::SetTo(const void* data, size_t size)
{
	*this = MidiFileInfo();
	if (data == NULL)
		return B_BAD_VALUE;
	Reader file(static_cast<const uint8*>(data), size);
	uint32 length;
	uint32 value;
	if (file.Remaining() < 14 || memcmp(file.Here(), "MThd", 4) != 0)
		return B_BAD_MIDI_DATA;
	file.Skip(4);
	if (!file.BigEndian(length, 4) || length < 6 || file.Remaining() < length)
		return B_BAD_MIDI_DATA;
	file.BigEndian(value, 2);
	format = (uint16)value;
	file.BigEndian(value, 2);
	trackCount = (uint16)value;
	file.BigEndian(value, 2);
	uint16 division = (uint16)value;
	file.Skip(length - 6);
	if (format > 2 || trackCount == 0 || division == 0)
		return B_BAD_MIDI_DATA;
	if (division & 0x8000) {
		int framesPerSecond = -(int8)(division >> 8);
		int ticksPerFrame = division & 0xff;
		if (framesPerSecond <= 0 || ticksPerFrame == 0)
			return B_BAD_MIDI_DATA;
		ticksPerSecond = (uint32)(framesPerSecond * ticksPerFrame);
	} else
		ticksPerQuarter = division;

	std::vector<TempoChange> tempos;
	int found = 0;
	int64 longest = 0;
	while (found < trackCount && !file.AtEnd()) {
		if (file.Remaining() < 8)
			return B_BAD_MIDI_DATA;
		bool isTrack = memcmp(file.Here(), "MTrk", 4) == 0;
		file.Skip(4);
		file.BigEndian(length, 4);
		if (file.Remaining() < length)
			return B_BAD_MIDI_DATA;
		if (isTrack) {
			int64 ticks = scan_track(Reader(file.Here(), length), tempos);
			if (ticks < 0)
				return B_BAD_MIDI_DATA;
			longest = std::max(longest, ticks);
			found++;
		}
		file.Skip(length);
	}
	if (found == 0)
		return B_BAD_MIDI_DATA;
	trackCount = (uint16)found;
	totalTicks = (int32)std::min<int64>(longest, INT32_MAX);

	if (ticksPerSecond != 0) {
		duration = (bigtime_t)(longest * 1000000.0 / ticksPerSecond);
		return B_OK;
	}
	// Tempo changes of every track hold for all of them (format 1).
	std::stable_sort(tempos.begin(), tempos.end(),
		[](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
	double microseconds = 0;
	int64 tick = 0;
	uint32 tempo = 500000;
	for (const TempoChange& change : tempos) {
		if (change.tick >= longest)
			break;
		microseconds += (double)(change.tick - tick) * tempo / ticksPerQuarter;
		tick = change.tick;
		tempo = change.microsecondsPerQuarter;
	}
	microseconds += (double)(longest - tick) * tempo / ticksPerQuarter;
	duration = (bigtime_t)microseconds;
	return B_OK;
}

} // namespace BPrivate
