// The MIDI kit: reading Standard MIDI Files, FluidSynth rendering the
// shipped tune without any device, and BMidiSynthFile playing in a loop.

#include <Entry.h>
#include <MidiSynthFile.h>
#include <OS.h>

#include "MediaTestSupport.h"
#include "MidiFileInfo.h"
#include "SynthEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <math.h>
#include <stdlib.h>

using namespace BPrivate;
using namespace media_test;

namespace {

const float kRate = 44100;

struct Loudness {
	float peak = 0;
	double rms = 0;
};

Loudness
loudness(const std::vector<float>& samples)
{
	Loudness result;
	double sum = 0;
	for (float value : samples) {
		result.peak = std::max(result.peak, fabsf(value));
		sum += (double)value * value;
	}
	result.rms = samples.empty() ? 0 : sqrt(sum / (double)samples.size());
	return result;
}

// Renders `seconds` of the engine's output, faster than real time.
std::vector<float>
render(SynthEngine& engine, double seconds)
{
	std::vector<float> out((size_t)(seconds * kRate) * 2);
	for (size_t frame = 0; frame < out.size() / 2; frame += 1024) {
		size_t count = std::min<size_t>(1024, out.size() / 2 - frame);
		engine.Render(out.data() + frame * 2, count);
	}
	return out;
}

std::atomic<int32> sEndedWith{0};

void
tune_ended(int32 arg)
{
	sEndedWith = arg;
}

// Sets an environment variable for the life of a scope.
class ScopedEnv {
public:
	ScopedEnv(const char* name, const char* value) : fName(name)
	{
		const char* old = getenv(name);
		fHad = old != NULL;
		if (fHad)
			fOld = old;
		setenv(name, value, 1);
	}
	~ScopedEnv()
	{
		if (fHad)
			setenv(fName, fOld.c_str(), 1);
		else
			unsetenv(fName);
	}

private:
	const char* fName;
	bool fHad;
	std::string fOld;
};

} // namespace

TEST(MidiFileInfo, ShippedTuneIsAFewInstrumentsForTenToTwentySeconds)
{
	std::vector<uint8> tune = ReadFile(TreeFile("music/star.mid"));
	MidiFileInfo info;
	ASSERT_EQ(info.SetTo(tune.data(), tune.size()), B_OK);
	EXPECT_EQ(info.format, 1);
	EXPECT_GE(info.trackCount, 3);
	EXPECT_GT(info.ticksPerQuarter, 0u);
	EXPECT_GT(info.totalTicks, 0);
	EXPECT_GE(info.duration, 10000000);
	EXPECT_LE(info.duration, 20000000);
}

TEST(MidiFileInfo, ReadsTempoAndRefusesWhatIsNoMidiFile)
{
	// Four half-second beats at the default tempo.
	std::vector<uint8> tune = ShortTune(4);
	MidiFileInfo info;
	ASSERT_EQ(info.SetTo(tune.data(), tune.size()), B_OK);
	EXPECT_EQ(info.totalTicks, 4 * 96);
	EXPECT_EQ(info.duration, 2000000);

	// Every cut of a file is refused or read, never read past its end.
	std::vector<uint8> star = ReadFile(TreeFile("music/star.mid"));
	for (size_t size = 1; size < star.size(); size++) {
		std::vector<uint8> cut(star.begin(), star.begin() + size);
		MidiFileInfo partial;
		status_t status = partial.SetTo(cut.data(), cut.size());
		if (status == B_OK)
			EXPECT_LE(partial.totalTicks, info.totalTicks + 20000);
		else
			EXPECT_EQ(status, B_BAD_MIDI_DATA);
	}

	std::vector<uint8> wave = ReadFile(TreeFile("music/trucage"));
	EXPECT_EQ(info.SetTo(wave.data(), wave.size()), B_BAD_MIDI_DATA);
	EXPECT_EQ(info.SetTo(NULL, 0), B_BAD_VALUE);
	// A data byte with no status before it.
	std::vector<uint8> orphan = ShortTune(1);
	orphan[22 + 1] = 0x40;
	EXPECT_EQ(info.SetTo(orphan.data(), orphan.size()), B_BAD_MIDI_DATA);
	// A chunk longer than the file.
	std::vector<uint8> longChunk = ShortTune(1);
	longChunk[21] = 0xff;
	EXPECT_EQ(info.SetTo(longChunk.data(), longChunk.size()), B_BAD_MIDI_DATA);
}

TEST(SynthEngine, FluidSynthRendersTheShippedTuneToSound)
{
	std::vector<uint8> tune = ReadFile(TreeFile("music/star.mid"));
	SynthEngine engine(kRate);
	ASSERT_EQ(engine.InitCheck(), B_OK) << "the sound font of timgm6mb-soundfont is missing";
	ASSERT_EQ(engine.Load(tune.data(), tune.size()), B_OK);
	ASSERT_EQ(engine.Start(false), B_OK);

	std::vector<float> opening = render(engine, 3.0);
	Loudness heard = loudness(opening);
	EXPECT_GT(heard.peak, 0.05f);
	EXPECT_LT(heard.peak, 1.0f);
	EXPECT_GT(heard.rms, 0.01);
	EXPECT_FALSE(engine.IsFinished());

	// Played through, it ends soon after its last note, and is silent then.
	double seconds = 3.0;
	double length = engine.Info().duration / 1e6;
	while (!engine.IsFinished() && seconds < length + 30) {
		render(engine, 0.5);
		seconds += 0.5;
	}
	EXPECT_TRUE(engine.IsFinished());
	EXPECT_GE(seconds, length - 0.5);
	EXPECT_LE(seconds, length + 5);
	EXPECT_EQ(loudness(render(engine, 0.5)).peak, 0.0f);
}

TEST(SynthEngine, LoopingTunePlaysOnPastItsEndUntilStopped)
{
	std::vector<uint8> tune = ReadFile(TreeFile("music/star.mid"));
	SynthEngine engine(kRate);
	ASSERT_EQ(engine.InitCheck(), B_OK);
	ASSERT_EQ(engine.Load(tune.data(), tune.size()), B_OK);
	ASSERT_EQ(engine.Start(true), B_OK);
	double length = engine.Info().duration / 1e6;
	render(engine, length + 1);
	EXPECT_FALSE(engine.IsFinished());
	// Its second time through is heard too.
	EXPECT_LT(engine.CurrentTick(), engine.Info().totalTicks / 2);
	EXPECT_GT(loudness(render(engine, 2.0)).rms, 0.01);

	engine.Stop();
	EXPECT_TRUE(engine.IsFinished());
	EXPECT_EQ(loudness(render(engine, 0.2)).peak, 0.0f);

	// A fade ends it too, quieter as it goes.
	ASSERT_EQ(engine.Start(true), B_OK);
	render(engine, 1.0);
	engine.Fade((size_t)kRate);
	std::vector<float> fading = render(engine, 1.2);
	EXPECT_TRUE(engine.IsFinished());
	std::vector<float> firstTenth(fading.begin(), fading.begin() + (size_t)kRate / 5);
	std::vector<float> lastTenth(
		fading.begin() + (size_t)(kRate * 1.6), fading.begin() + (size_t)(kRate * 1.8));
	EXPECT_LT(loudness(lastTenth).peak, loudness(firstTenth).peak);
}

TEST(SynthEngine, PauseHoldsTheTuneAndVolumeScalesIt)
{
	std::vector<uint8> tune = ReadFile(TreeFile("music/star.mid"));
	SynthEngine engine(kRate);
	ASSERT_EQ(engine.InitCheck(), B_OK);
	ASSERT_EQ(engine.Load(tune.data(), tune.size()), B_OK);
	ASSERT_EQ(engine.Start(false), B_OK);
	Loudness full = loudness(render(engine, 1.0));

	engine.SetPaused(true);
	int32 heldAt = engine.CurrentTick();
	EXPECT_EQ(loudness(render(engine, 0.5)).peak, 0.0f);
	EXPECT_EQ(engine.CurrentTick(), heldAt);
	EXPECT_FALSE(engine.IsFinished());
	engine.SetPaused(false);

	engine.SetVolume(0.0f);
	EXPECT_EQ(loudness(render(engine, 0.5)).peak, 0.0f);
	EXPECT_GT(engine.CurrentTick(), heldAt);
	engine.SetVolume(100.0f);
	EXPECT_EQ(engine.Volume(), 4.0f);
	engine.SetVolume(1.0f);
	EXPECT_GT(full.peak, 0.0f);

	// Moved back to the start, the tune plays its opening again.
	EXPECT_EQ(engine.SeekTick(0), B_OK);
	render(engine, 0.1);
	EXPECT_LT(engine.CurrentTick(), heldAt);
}

TEST(SynthEngine, MissingSoundFontIsAClearErrorNotACrash)
{
	ScopedEnv font("MURMELO_SOUNDFONT", "/nonexistent/GM.sf2");
	testing::internal::CaptureStderr();
	SynthEngine engine(kRate);
	std::string said = testing::internal::GetCapturedStderr();
	EXPECT_EQ(engine.InitCheck(), B_BAD_INSTRUMENT);
	EXPECT_NE(said.find("/nonexistent/GM.sf2"), std::string::npos) << said;
	EXPECT_NE(said.find("timgm6mb-soundfont"), std::string::npos) << said;
	std::vector<uint8> tune = ShortTune(2);
	engine.Load(tune.data(), tune.size());
	EXPECT_NE(engine.Start(false), B_OK);
	EXPECT_TRUE(engine.IsFinished());
	EXPECT_EQ(loudness(render(engine, 0.1)).peak, 0.0f);

	// The same through the kit's class, with a real tune file.
	TempDir dir;
	WriteFile(dir.File("tune.mid"), tune);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(dir.File("tune.mid").c_str(), &ref), B_OK);
	BMidiSynthFile file;
	testing::internal::CaptureStderr();
	EXPECT_EQ(file.LoadFile(&ref), B_BAD_INSTRUMENT);
	testing::internal::GetCapturedStderr();
	EXPECT_NE(file.Start(), B_OK);
	EXPECT_TRUE(file.IsFinished());
}

TEST(MidiSynthFile, LoadFileTellsWhatIsWrong)
{
	TempDir dir;
	WriteFile(dir.File("wave.mid"), ReadFile(TreeFile("music/trucage")));
	BMidiSynthFile file;
	EXPECT_EQ(file.LoadFile(NULL), B_BAD_VALUE);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(dir.File("missing.mid").c_str(), &ref), B_OK);
	EXPECT_EQ(file.LoadFile(&ref), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(get_ref_for_path(dir.File("wave.mid").c_str(), &ref), B_OK);
	EXPECT_EQ(file.LoadFile(&ref), B_BAD_MIDI_DATA);
	// Nothing loaded: nothing plays, and nothing breaks.
	EXPECT_EQ(file.Start(), B_NO_INIT);
	EXPECT_TRUE(file.IsFinished());
	file.Stop();
	file.Fade();

	ASSERT_EQ(get_ref_for_path(TreeFile("music/star.mid").c_str(), &ref), B_OK);
	EXPECT_EQ(file.LoadFile(&ref), B_OK);
	EXPECT_GT(file.Duration(), 0);
}

TEST(MidiSynthFile, PlaysOnceToItsEnd)
{
	TempDir dir;
	WriteFile(dir.File("short.mid"), ShortTune(2));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(dir.File("short.mid").c_str(), &ref), B_OK);

	BMidiSynthFile file;
	ASSERT_EQ(file.LoadFile(&ref), B_OK);
	EXPECT_EQ(file.Duration(), 2 * 96);
	file.SetFileHook(tune_ended, 42);
	bigtime_t start = system_time();
	ASSERT_EQ(file.Start(), B_OK);
	// Start() returns at once; the tune plays on the player's thread.
	EXPECT_FALSE(file.IsFinished());
	while (!file.IsFinished() && system_time() - start < 10000000)
		snooze(20000);
	EXPECT_TRUE(file.IsFinished());
	EXPECT_GE(system_time() - start, 500000);
	EXPECT_EQ(sEndedWith, 42);
}

// The about window's loop: the tune goes on past its end while the window
// is open, and stops at once when it closes.
TEST(MidiSynthFile, LoopingTuneKeepsPlayingUntilStopped)
{
	TempDir dir;
	WriteFile(dir.File("short.mid"), ShortTune(1));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(dir.File("short.mid").c_str(), &ref), B_OK);

	BMidiSynthFile* file = new BMidiSynthFile;
	ASSERT_EQ(file->LoadFile(&ref), B_OK);
	file->EnableLooping(true);
	ASSERT_EQ(file->Start(), B_OK);
	// Three times the tune's half second.
	snooze(1500000);
	EXPECT_FALSE(file->IsFinished());

	bigtime_t stopAt = system_time();
	file->Stop();
	EXPECT_TRUE(file->IsFinished());
	delete file;
	EXPECT_LT(system_time() - stopAt, 2000000);

	// Looping turned off while playing: it ends at the end of the round.
	BMidiSynthFile again;
	ASSERT_EQ(again.LoadFile(&ref), B_OK);
	again.EnableLooping(true);
	ASSERT_EQ(again.Start(), B_OK);
	snooze(700000);
	again.EnableLooping(false);
	bigtime_t start = system_time();
	while (!again.IsFinished() && system_time() - start < 10000000)
		snooze(20000);
	EXPECT_TRUE(again.IsFinished());
}
