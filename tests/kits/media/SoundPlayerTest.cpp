// BSoundPlayer on the silent output that CI and machines without a sound
// card get: sounds still take their time and end.

#include <Entry.h>
#include <OS.h>
#include <Sound.h>
#include <SoundPlayer.h>

#include "MediaTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdarg.h>
#include <thread>
#include <vector>

// How many threads wait in a player's WaitForSound().
struct SoundPlayerProbe {
	static bool WaitForWaiters(BSoundPlayer& player, int32 count)
	{
		for (int i = 0; i < 20000; i++) {
			{
				std::lock_guard<std::mutex> lock(player.fLock);
				if (player.fWaiters >= count)
					return true;
			}
			snooze(1000);
		}
		return false;
	}
};

using namespace media_test;

namespace {

BSound*
trucage()
{
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(TreeFile("music/trucage").c_str(), &ref), B_OK);
	BSound* sound = new BSound(&ref, false);
	EXPECT_EQ(sound->InitCheck(), B_OK);
	return sound;
}

struct Events {
	std::mutex lock;
	std::vector<int> what;
	std::vector<play_id> done;
	std::vector<bool> gotToPlay;
};

void
record(void* cookie, BSoundPlayer::sound_player_notification what, ...)
{
	Events* events = static_cast<Events*>(cookie);
	std::lock_guard<std::mutex> lock(events->lock);
	events->what.push_back(what);
	if (what == BSoundPlayer::B_SOUND_DONE) {
		va_list args;
		va_start(args, what);
		events->done.push_back(va_arg(args, play_id));
		events->gotToPlay.push_back(va_arg(args, int) != 0);
		va_end(args);
	}
}

} // namespace

TEST(SoundPlayer, PlaysASoundToItsEndInAboutItsDuration)
{
	BSound* sound = trucage();
	bigtime_t duration = sound->Duration();
	media_raw_audio_format format = sound->Format();
	BSoundPlayer player(&format, "trucage");
	ASSERT_EQ(player.InitCheck(), B_OK);
	ASSERT_EQ(player.Start(), B_OK);
	EXPECT_TRUE(player.IsSilent());
	player.SetVolume(0.4f);
	EXPECT_FLOAT_EQ(player.Volume(), 0.4f);

	bigtime_t start = system_time();
	play_id id = player.StartPlaying(sound, 0);
	ASSERT_GT(id, 0);
	EXPECT_TRUE(player.IsPlaying(id));
	// The player holds its own reference: the caller's may go at once.
	EXPECT_EQ(sound->RefCount(), 2);
	EXPECT_TRUE(sound->ReleaseRef());

	EXPECT_EQ(player.WaitForSound(id), B_OK);
	bigtime_t took = system_time() - start;
	EXPECT_FALSE(player.IsPlaying(id));
	EXPECT_GE(took, duration / 2);
	EXPECT_LE(took, duration * 10);
	// Done and forgotten.
	EXPECT_EQ(player.WaitForSound(id), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(player.StopPlaying(id), B_ENTRY_NOT_FOUND);
	player.Stop();
}

TEST(SoundPlayer, StopPlayingEndsASoundEarly)
{
	BSound* sound = trucage();
	BSoundPlayer player(&sound->Format(), "early");
	ASSERT_EQ(player.Start(), B_OK);
	play_id first = player.StartPlaying(sound);
	play_id second = player.StartPlaying(sound, 0, 0.5f);
	ASSERT_GT(first, 0);
	EXPECT_GT(second, first);
	EXPECT_EQ(sound->RefCount(), 3);

	std::atomic<status_t> waited{B_ERROR};
	std::thread waiter([&] { waited = player.WaitForSound(first); });
	ASSERT_TRUE(SoundPlayerProbe::WaitForWaiters(player, 1));
	EXPECT_EQ(player.StopPlaying(first), B_OK);
	waiter.join();
	EXPECT_EQ(waited, B_OK);
	EXPECT_FALSE(player.IsPlaying(first));
	// The other one goes on, and ends by itself.
	EXPECT_TRUE(player.IsPlaying(second));
	EXPECT_EQ(player.SetSoundVolume(second, 0.2f), B_OK);
	EXPECT_EQ(player.WaitForSound(second), B_OK);
	EXPECT_EQ(sound->RefCount(), 1);
	sound->ReleaseRef();
}

TEST(SoundPlayer, TellsWhenItStartsStopsAndASoundIsDone)
{
	Events events;
	BSound* sound = trucage();
	BSoundPlayer player(&sound->Format(), "told", NULL, record, &events);
	ASSERT_EQ(player.Start(), B_OK);
	play_id played = player.StartPlaying(sound);
	play_id stopped = player.StartPlaying(sound);
	player.StopPlaying(stopped);
	player.WaitForSound(played);
	player.Stop();
	sound->ReleaseRef();

	std::lock_guard<std::mutex> lock(events.lock);
	ASSERT_EQ(events.what.size(), 4u);
	EXPECT_EQ(events.what.front(), BSoundPlayer::B_STARTED);
	EXPECT_EQ(events.what.back(), BSoundPlayer::B_STOPPED);
	ASSERT_EQ(events.done.size(), 2u);
	EXPECT_EQ(events.done[0], stopped);
	EXPECT_FALSE(events.gotToPlay[0]);
	EXPECT_EQ(events.done[1], played);
	EXPECT_TRUE(events.gotToPlay[1]);
}

TEST(SoundPlayer, ASoundStartedForLaterWaitsForItsTime)
{
	BSound* sound = trucage();
	BSoundPlayer player(&sound->Format(), "later");
	ASSERT_EQ(player.Start(), B_OK);
	bigtime_t start = system_time();
	play_id id = player.StartPlaying(sound, player.PerformanceTime() + 300000);
	sound->ReleaseRef();
	ASSERT_GT(id, 0);
	EXPECT_EQ(player.WaitForSound(id), B_OK);
	EXPECT_GE(system_time() - start, 300000);
}

TEST(SoundPlayer, StoppingOrDeletingThePlayerReleasesWaitersAndSounds)
{
	BSound* sound = trucage();
	media_raw_audio_format format = sound->Format();
	BSoundPlayer* player = new BSoundPlayer(&format, "gone");
	// Not started: the sound waits to be heard.
	play_id id = player->StartPlaying(sound);
	ASSERT_GT(id, 0);
	snooze(100000);
	EXPECT_TRUE(player->IsPlaying(id));
	player->Stop();
	EXPECT_FALSE(player->IsPlaying(id));
	EXPECT_EQ(sound->RefCount(), 1);

	ASSERT_EQ(player->Start(), B_OK);
	id = player->StartPlaying(sound);
	std::atomic<status_t> waited{B_ERROR};
	std::thread waiter([&] { waited = player->WaitForSound(id); });
	// Deleted only once the waiter is inside: before, it would call into
	// freed memory.
	ASSERT_TRUE(SoundPlayerProbe::WaitForWaiters(*player, 1));
	delete player;
	waiter.join();
	EXPECT_EQ(waited, B_OK);
	EXPECT_EQ(sound->RefCount(), 1);
	sound->ReleaseRef();
}

TEST(SoundPlayer, BufferHookFillsBuffersOfThePlayersFormat)
{
	struct Hook {
		std::atomic<int> calls{0};
		std::atomic<size_t> size{0};
		std::atomic<uint32> format{0};
		static void Fill(void* cookie, void* buffer, size_t size,
			const media_raw_audio_format& format)
		{
			Hook* hook = static_cast<Hook*>(cookie);
			int16* samples = static_cast<int16*>(buffer);
			for (size_t i = 0; i < size / 2; i++)
				samples[i] = 1000;
			hook->size = size;
			hook->format = format.format;
			hook->calls++;
		}
	} hook;

	media_raw_audio_format format = {};
	format.frame_rate = 22050;
	format.channel_count = 2;
	format.format = media_raw_audio_format::B_AUDIO_SHORT;
	format.byte_order = B_MEDIA_HOST_ENDIAN;
	format.buffer_size = 512 * 4;
	BSoundPlayer player(&format, "hook", Hook::Fill, NULL, &hook);
	ASSERT_EQ(player.InitCheck(), B_OK);
	ASSERT_EQ(player.Start(), B_OK);
	for (int i = 0; i < 200 && hook.calls < 3; i++)
		snooze(10000);
	player.SetHasData(false);
	player.Stop();
	int calls = hook.calls;
	EXPECT_GE(calls, 3);
	EXPECT_EQ(hook.size, 512u * 4);
	EXPECT_EQ(hook.format, (uint32)media_raw_audio_format::B_AUDIO_SHORT);
	// Stopped means stopped: the hook is not called any more.
	snooze(100000);
	EXPECT_EQ(hook.calls, calls);
}

TEST(SoundPlayer, RefusesWhatItCannotPlay)
{
	media_raw_audio_format format = {};
	format.format = 0x99;
	BSoundPlayer odd(&format, "odd");
	EXPECT_NE(odd.InitCheck(), B_OK);
	EXPECT_NE(odd.Start(), B_OK);

	// Wildcards get the usual values.
	BSoundPlayer plain;
	EXPECT_EQ(plain.InitCheck(), B_OK);
	EXPECT_EQ(plain.Format().frame_rate, 44100.0f);
	EXPECT_EQ(plain.Format().channel_count, 2u);
	EXPECT_EQ(plain.StartPlaying(NULL), B_BAD_VALUE);
	EXPECT_FALSE(plain.IsPlaying(12345));
	EXPECT_EQ(plain.WaitForSound(12345), B_ENTRY_NOT_FOUND);

	plain.SetVolume(7.0f);
	EXPECT_EQ(plain.Volume(), 1.0f);
	plain.SetVolume(-1.0f);
	EXPECT_EQ(plain.Volume(), 0.0f);
	EXPECT_EQ(plain.SetVolumeDB(-6.0f), B_OK);
	EXPECT_NEAR(plain.Volume(), 0.501f, 0.01f);
	EXPECT_NEAR(plain.VolumeDB(), -6.0f, 0.01f);

	// A sound whose file went away since it was opened is refused, not
	// played as silence forever.
	TempDir dir;
	std::string copy = dir.File("gone.wav");
	WriteFile(copy, ReadFile(TreeFile("music/trucage")));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(copy.c_str(), &ref), B_OK);
	BSound* sound = new BSound(&ref);
	ASSERT_EQ(sound->InitCheck(), B_OK);
	unlink(copy.c_str());
	EXPECT_LT(plain.StartPlaying(sound), 0);
	EXPECT_EQ(sound->RefCount(), 1);
	sound->ReleaseRef();
}

// A machine with a sound card goes through SDL; SDL's dummy driver stands
// in for the card here.
TEST(SoundPlayer, PlaysThroughAnSdlDeviceToo)
{
	setenv("SDL_AUDIODRIVER", "dummy", 1);
	setenv("BE_AUDIO_OUTPUT", "sdl", 1);
	BSound* sound = trucage();
	BSoundPlayer player(&sound->Format(), "device");
	status_t started = player.Start();
	setenv("BE_AUDIO_OUTPUT", "silent", 1);
	ASSERT_EQ(started, B_OK);
	EXPECT_FALSE(player.IsSilent());
	bigtime_t duration = sound->Duration();
	bigtime_t start = system_time();
	play_id id = player.StartPlaying(sound);
	sound->ReleaseRef();
	EXPECT_EQ(player.WaitForSound(id), B_OK);
	EXPECT_GE(system_time() - start, duration / 2);
	player.Stop();
}
