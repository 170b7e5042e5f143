// MediaPlayer: plays one sound file or MIDI tune to its end, then quits.
//
//	MediaPlayer [-closeWhenDone on|off] [-autoPlay on|off] [-mini] FILE
//
// The options are those of the player's window, which this one does not
// have: it always plays at once and always ends with the sound. FILE may be
// a BeOS path ("/boot/apps/trovel/music/trucage"). Exit status 0 when the
// file played, 1 when it couldn't be found or played.

#include <Entry.h>
#include <MediaDefs.h>
#include <MidiDefs.h>
#include <MidiSynthFile.h>
#include <OS.h>
#include <Path.h>
#include <Sound.h>
#include <SoundPlayer.h>

#include <stdio.h>
#include <string.h>

namespace {

const char* kName = "MediaPlayer";
const bigtime_t kPollInterval = 20000;

void
usage(FILE* out)
{
	fprintf(out,
		"usage: %s [-closeWhenDone on|off] [-autoPlay on|off] [-mini] FILE\n"
		"Plays a sound file (WAV, AIFF, FLAC, Ogg ...) or a MIDI tune to its end.\n",
		kName);
}

const char*
describe(status_t status)
{
	switch (status) {
		case B_MEDIA_NO_HANDLER:
			return "not a sound format it knows";
		case B_MEDIA_BAD_FORMAT:
			return "damaged or unsupported sound data";
		case B_BAD_MIDI_DATA:
			return "not a well-formed MIDI file";
		case B_BAD_INSTRUMENT:
			return "no General MIDI sound font";
		default:
			return be_strerror(status);
	}
}

bool
is_midi_file(const char* path)
{
	FILE* file = fopen(path, "rb");
	if (file == NULL)
		return false;
	char magic[4];
	bool midi = fread(magic, 1, 4, file) == 4 && memcmp(magic, "MThd", 4) == 0;
	fclose(file);
	return midi;
}

int
play_midi(const entry_ref& ref, const char* file)
{
	BMidiSynthFile tune;
	status_t status = tune.LoadFile(&ref);
	if (status == B_OK)
		status = tune.Start();
	if (status != B_OK) {
		fprintf(stderr, "%s: can't play the tune %s: %s\n", kName, file, describe(status));
		return 1;
	}
	while (!tune.IsFinished())
		snooze(kPollInterval);
	return 0;
}

int
play_sound(const entry_ref& ref, const char* file)
{
	BSound* sound = new BSound(&ref, false);
	status_t status = sound->InitCheck();
	if (status != B_OK) {
		fprintf(stderr, "%s: %s is not a sound file it can play: %s\n", kName, file,
			describe(status));
		sound->ReleaseRef();
		return 1;
	}
	media_raw_audio_format format = sound->Format();
	BSoundPlayer player(&format, ref.name);
	status = player.InitCheck();
	if (status == B_OK)
		status = player.Start();
	play_id id = status == B_OK ? player.StartPlaying(sound) : status;
	sound->ReleaseRef();
	if (id <= 0) {
		fprintf(stderr, "%s: can't play %s: %s\n", kName, file, describe(id));
		return 1;
	}
	player.WaitForSound(id);
	player.Stop();
	return 0;
}

} // namespace

int
main(int argc, char** argv)
{
	const char* file = NULL;
	for (int i = 1; i < argc; i++) {
		const char* arg = argv[i];
		if (strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0) {
			usage(stdout);
			return 0;
		}
		if (strcmp(arg, "-closeWhenDone") == 0 || strcmp(arg, "-autoPlay") == 0) {
			// Both are "on" in effect whatever they say: no window to stay.
			if (i + 1 < argc && (strcmp(argv[i + 1], "on") == 0 || strcmp(argv[i + 1], "off") == 0))
				i++;
			continue;
		}
		if (strcmp(arg, "-mini") == 0)
			continue;
		if (arg[0] == '-' && arg[1] != '\0') {
			fprintf(stderr, "%s: ignoring the option %s\n", kName, arg);
			continue;
		}
		file = arg;
	}
	if (file == NULL) {
		usage(stderr);
		return 1;
	}

	entry_ref ref;
	BEntry entry(file, true);
	if (entry.InitCheck() != B_OK || !entry.Exists() || entry.GetRef(&ref) != B_OK) {
		fprintf(stderr, "%s: can't find %s\n", kName, file);
		return 1;
	}
	if (entry.IsDirectory()) {
		fprintf(stderr, "%s: %s is a folder, not a sound file\n", kName, file);
		return 1;
	}
	if (is_midi_file(entry.HostPath()))
		return play_midi(ref, file);
	return play_sound(ref, file);
}
