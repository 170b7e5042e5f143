// BSound: what it reads from a sound file, and the conversions behind it.

#include <Entry.h>
#include <Sound.h>

#include "AudioFormat.h"
#include "MediaTestSupport.h"
#include "SoundSource.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <math.h>
#include <string.h>

using namespace BPrivate;
using namespace media_test;

namespace {

BSound*
sound_for(const std::string& path, bool loadIntoMemory = false)
{
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
	return new BSound(&ref, loadIntoMemory);
}

// Writes `frames` frames of a 440 Hz sine at half scale on every channel.
void
write_sine(const std::string& path, int format, int channels, int rate, int frames)
{
	SF_INFO info = {};
	info.samplerate = rate;
	info.channels = channels;
	info.format = format;
	SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
	ASSERT_NE(file, nullptr) << sf_strerror(NULL);
	std::vector<float> samples((size_t)frames * channels);
	for (int i = 0; i < frames; i++) {
		for (int c = 0; c < channels; c++)
			samples[(size_t)i * channels + c] = 0.5f * sinf(2 * (float)M_PI * 440 * i / rate);
	}
	sf_writef_float(file, samples.data(), frames);
	sf_close(file);
}

std::vector<float>
read_all(SoundSource* source)
{
	std::vector<float> all;
	std::vector<float> chunk(300 * source->ChannelCount());
	size_t got;
	while ((got = source->Read(chunk.data(), 300)) > 0)
		all.insert(all.end(), chunk.begin(), chunk.begin() + got * source->ChannelCount());
	return all;
}

} // namespace

TEST(Sound, ShippedArrivalSoundIsAShortMonoChime)
{
	BSound* sound = sound_for(TreeFile("music/trucage"));
	ASSERT_EQ(sound->InitCheck(), B_OK);
	const media_raw_audio_format& format = sound->Format();
	EXPECT_TRUE(format.frame_rate == 22050.0f || format.frame_rate == 44100.0f);
	EXPECT_EQ(format.channel_count, 1u);
	EXPECT_EQ(format.format, (uint32)media_raw_audio_format::B_AUDIO_SHORT);
	EXPECT_EQ(format.byte_order, (uint32)B_MEDIA_HOST_ENDIAN);
	EXPECT_GT(format.buffer_size, 0u);
	EXPECT_GE(sound->Duration(), 400000);
	EXPECT_LE(sound->Duration(), 1000000);
	EXPECT_EQ(sound->Size(), (off_t)(sound->Duration() / 1e6 * format.frame_rate + 0.5) * 2);
	// Read as it plays, unless asked otherwise.
	EXPECT_EQ(sound->Data(), nullptr);
	EXPECT_FALSE(sound->ReleaseRef());
}

TEST(Sound, LoadedIntoMemoryHoldsTheSameSamplesAsTheFileGives)
{
	BSound* streamed = sound_for(TreeFile("music/trucage"));
	BSound* loaded = sound_for(TreeFile("music/trucage"), true);
	ASSERT_EQ(loaded->InitCheck(), B_OK);
	ASSERT_NE(loaded->Data(), nullptr);
	ASSERT_EQ(loaded->Size(), streamed->Size());
	EXPECT_EQ(loaded->Duration(), streamed->Duration());

	std::vector<uint8> bytes((size_t)streamed->Size());
	size_t used = 0;
	ASSERT_TRUE(streamed->GetDataAt(0, bytes.data(), bytes.size(), &used));
	EXPECT_EQ(used, bytes.size());
	EXPECT_EQ(memcmp(bytes.data(), loaded->Data(), bytes.size()), 0);

	// From the middle, and past the end.
	size_t half = (size_t)streamed->Size() / 2;
	std::vector<uint8> tail(bytes.size());
	ASSERT_TRUE(streamed->GetDataAt((off_t)half, tail.data(), tail.size(), &used));
	EXPECT_EQ(used, bytes.size() - half);
	EXPECT_EQ(memcmp(tail.data(), bytes.data() + half, used), 0);
	EXPECT_FALSE(loaded->GetDataAt(loaded->Size(), tail.data(), tail.size(), &used));
	EXPECT_EQ(used, 0u);

	// The shipped chime is not silence.
	const int16* samples = static_cast<const int16*>(loaded->Data());
	int peak = 0;
	for (off_t i = 0; i < loaded->Size() / 2; i++)
		peak = std::max(peak, abs(samples[i]));
	EXPECT_GT(peak, 8000);
	streamed->ReleaseRef();
	loaded->ReleaseRef();
}

TEST(Sound, FileFormatsGiveTheSampleFormatThatKeepsTheirSamples)
{
	TempDir dir;
	struct {
		const char* name;
		int format;
		int channels;
		int rate;
		uint32 expected;
	} cases[] = {
		{"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 48000,
			media_raw_audio_format::B_AUDIO_FLOAT},
		{"deep.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1, 44100,
			media_raw_audio_format::B_AUDIO_INT},
		{"small.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000,
			media_raw_audio_format::B_AUDIO_SHORT},
		{"packed.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 22050,
			media_raw_audio_format::B_AUDIO_SHORT},
		{"talk.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, 44100,
			media_raw_audio_format::B_AUDIO_FLOAT},
	};
	for (const auto& each : cases) {
		SCOPED_TRACE(each.name);
		write_sine(dir.File(each.name), each.format, each.channels, each.rate, each.rate / 4);
		BSound* sound = sound_for(dir.File(each.name));
		ASSERT_EQ(sound->InitCheck(), B_OK);
		EXPECT_EQ(sound->Format().format, each.expected);
		EXPECT_EQ(sound->Format().channel_count, (uint32)each.channels);
		EXPECT_EQ(sound->Format().frame_rate, (float)each.rate);
		EXPECT_NEAR(sound->Duration(), 250000, 1000);

		// What a player reads: the sine, at about half scale.
		SoundSource* source = sound->_NewSource();
		ASSERT_NE(source, nullptr);
		std::vector<float> samples = read_all(source);
		delete source;
		EXPECT_NEAR(samples.size(), (size_t)(each.rate / 4 * each.channels), 2);
		float peak = 0;
		for (float value : samples)
			peak = std::max(peak, fabsf(value));
		EXPECT_NEAR(peak, 0.5f, 0.05f);
		sound->ReleaseRef();
	}
}

TEST(Sound, FilesThatAreNoSoundsAreRefused)
{
	TempDir dir;
	WriteFile(dir.File("text"), std::vector<uint8>(4000, 'a'));
	std::vector<uint8> torn = ReadFile(TreeFile("music/trucage"));
	torn.resize(30);
	WriteFile(dir.File("torn.wav"), torn);
	WriteFile(dir.File("empty"), {});

	for (const char* name : {"text", "torn.wav", "empty"}) {
		SCOPED_TRACE(name);
		BSound* sound = sound_for(dir.File(name));
		EXPECT_NE(sound->InitCheck(), B_OK);
		EXPECT_EQ(sound->Duration(), 0);
		EXPECT_EQ(sound->_NewSource(), nullptr);
		sound->ReleaseRef();
	}

	BSound* missing = sound_for(dir.File("missing"));
	EXPECT_EQ(missing->InitCheck(), B_ENTRY_NOT_FOUND);
	missing->ReleaseRef();
	BSound* folder = sound_for(dir.Path());
	EXPECT_EQ(folder->InitCheck(), B_IS_A_DIRECTORY);
	folder->ReleaseRef();
	BSound* none = new BSound(static_cast<const entry_ref*>(NULL));
	EXPECT_EQ(none->InitCheck(), B_BAD_VALUE);
	none->ReleaseRef();
}

TEST(Sound, ReferencesKeepTheSoundAliveUntilTheLastIsGiven)
{
	static int freed = 0;
	struct Counted : BSound {
		using BSound::BSound;
		~Counted() override { freed++; }
	};
	int16 samples[4] = {0, 100, -100, 0};
	media_raw_audio_format format = {};
	format.frame_rate = 8000;
	format.channel_count = 1;
	format.format = media_raw_audio_format::B_AUDIO_SHORT;
	format.byte_order = B_MEDIA_HOST_ENDIAN;
	BSound* sound = new Counted(samples, sizeof(samples), format);
	ASSERT_EQ(sound->InitCheck(), B_OK);
	EXPECT_EQ(sound->Duration(), 500);
	EXPECT_EQ(sound->AcquireRef(), sound);
	EXPECT_EQ(sound->RefCount(), 2);
	EXPECT_TRUE(sound->ReleaseRef());
	EXPECT_EQ(freed, 0);
	EXPECT_FALSE(sound->ReleaseRef());
	EXPECT_EQ(freed, 1);
}

TEST(Sound, RawSamplesNeedAFormatThatCanBeRead)
{
	int16 samples[2] = {};
	media_raw_audio_format format = {};
	format.frame_rate = 8000;
	format.channel_count = 1;
	format.format = 0x33;
	format.byte_order = B_MEDIA_HOST_ENDIAN;
	BSound* sound = new BSound(samples, sizeof(samples), format);
	EXPECT_EQ(sound->InitCheck(), B_BAD_VALUE);
	sound->ReleaseRef();

	format.format = media_raw_audio_format::B_AUDIO_SHORT;
	format.channel_count = 0;
	sound = new BSound(samples, sizeof(samples), format);
	EXPECT_EQ(sound->InitCheck(), B_BAD_VALUE);
	sound->ReleaseRef();

	format.channel_count = 1;
	sound = new BSound(NULL, 4, format);
	EXPECT_EQ(sound->InitCheck(), B_BAD_VALUE);
	sound->ReleaseRef();
}

TEST(AudioFormat, SamplesOfEveryFormatComeBackFromFloats)
{
	const float values[] = {0.0f, 0.5f, -0.5f, 0.99f, -1.0f, 0.25f};
	const size_t count = sizeof(values) / sizeof(values[0]);
	for (uint32 format : {media_raw_audio_format::B_AUDIO_FLOAT,
			 media_raw_audio_format::B_AUDIO_DOUBLE, media_raw_audio_format::B_AUDIO_INT,
			 media_raw_audio_format::B_AUDIO_SHORT, media_raw_audio_format::B_AUDIO_UCHAR,
			 media_raw_audio_format::B_AUDIO_CHAR}) {
		SCOPED_TRACE(format);
		size_t size = audio_sample_size(format);
		ASSERT_GT(size, 0u);
		std::vector<uint8> raw(count * size);
		audio_from_float(values, format, raw.data(), count);
		float back[count];
		audio_to_float(raw.data(), format, false, back, count);
		float step = size == 1 ? 1.0f / 128 : 1.0f / 32768;
		for (size_t i = 0; i < count; i++)
			EXPECT_NEAR(back[i], values[i], step) << i;

		// The same samples stored the other way round read the same.
		std::vector<uint8> swapped(raw);
		for (size_t i = 0; i < count; i++)
			std::reverse(swapped.begin() + i * size, swapped.begin() + (i + 1) * size);
		float unswapped[count];
		audio_to_float(swapped.data(), format, true, unswapped, count);
		EXPECT_EQ(memcmp(unswapped, back, sizeof(back)), 0);
	}

	// Out of range clips instead of wrapping around.
	const float loud[] = {3.0f, -3.0f, NAN};
	int16 clipped[3];
	audio_from_float(loud, media_raw_audio_format::B_AUDIO_SHORT, clipped, 3);
	EXPECT_EQ(clipped[0], 32767);
	EXPECT_EQ(clipped[1], -32768);
	EXPECT_EQ(clipped[2], 0);
	EXPECT_EQ(audio_sample_size(0x77), 0u);
}

TEST(SoundStream, BringsASoundToThePlayersRateAndChannels)
{
	// A mono ramp at 11025 Hz.
	std::vector<int16> ramp(1000);
	for (size_t i = 0; i < ramp.size(); i++)
		ramp[i] = (int16)(i * 30);
	media_raw_audio_format format = {};
	format.frame_rate = 11025;
	format.channel_count = 1;
	format.format = media_raw_audio_format::B_AUDIO_SHORT;
	format.byte_order = B_MEDIA_HOST_ENDIAN;

	// Four times the rate on two channels: four times the frames, each
	// channel the same, rising smoothly.
	SoundStream up(new MemorySource(ramp.data(), ramp.size() * 2, format), 44100);
	std::vector<float> out(2 * 5000, 0.0f);
	size_t frames = 0;
	size_t got;
	while ((got = up.MixInto(out.data() + frames * 2, 512, 2, 1.0f)) > 0) {
		frames += got;
		if (got < 512 || frames + 512 > 5000)
			break;
	}
	EXPECT_TRUE(up.HasEnded());
	EXPECT_NEAR((double)frames, 4000.0, 4.0);
	for (size_t i = 1; i < frames; i++) {
		ASSERT_EQ(out[2 * i], out[2 * i + 1]) << i;
		ASSERT_GE(out[2 * i], out[2 * (i - 1)]) << i;
		ASSERT_LE(out[2 * i] - out[2 * (i - 1)], 31.0f / 32768) << i;
	}

	// Half the rate on one channel from two: half the frames, the mean of
	// both channels, and the gain applied.
	std::vector<float> stereo(2 * 1000);
	for (size_t i = 0; i < 1000; i++) {
		stereo[2 * i] = 0.2f;
		stereo[2 * i + 1] = 0.6f;
	}
	format.channel_count = 2;
	format.format = media_raw_audio_format::B_AUDIO_FLOAT;
	format.frame_rate = 44100;
	SoundStream down(new MemorySource(stereo.data(), stereo.size() * 4, format), 22050);
	std::vector<float> mono(1000, 0.0f);
	size_t half = down.MixInto(mono.data(), 1000, 1, 0.5f);
	EXPECT_NEAR((double)half, 500.0, 1.0);
	EXPECT_NEAR(mono[10], 0.2f, 1e-6);
	EXPECT_EQ(mono[half], 0.0f);
}
