#include "AudioOutput.h"

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <thread>
#include <vector>

namespace BPrivate {

namespace {

class SdlOutput : public AudioOutput {
public:
	SdlOutput(uint32 channelCount, audio_render_func render, void* cookie)
		: fChannelCount(channelCount), fRender(render), fCookie(cookie)
	{
	}

	~SdlOutput() override
	{
		// Waits for a callback under way to return.
		if (fDevice != 0)
			SDL_CloseAudioDevice(fDevice);
	}

	bool IsSilent() const override { return false; }

	bool Open(float frameRate, size_t bufferFrames)
	{
		SDL_AudioSpec wanted = {};
		wanted.freq = (int)(frameRate + 0.5f);
		wanted.format = AUDIO_F32SYS;
		wanted.channels = (Uint8)fChannelCount;
		Uint32 samples = 1;
		while (samples < bufferFrames && samples < 8192)
			samples <<= 1;
		wanted.samples = (Uint16)samples;
		wanted.callback = _Callback;
		wanted.userdata = this;
		// No changes allowed: SDL converts to what the device takes.
		SDL_AudioSpec obtained;
		fDevice = SDL_OpenAudioDevice(NULL, 0, &wanted, &obtained, 0);
		if (fDevice == 0)
			return false;
		SDL_PauseAudioDevice(fDevice, 0);
		return true;
	}

private:
	static void _Callback(void* cookie, Uint8* stream, int length)
	{
		SdlOutput* output = static_cast<SdlOutput*>(cookie);
		size_t frames = (size_t)length / (sizeof(float) * output->fChannelCount);
		memset(stream, 0, (size_t)length);
		output->fRender(output->fCookie, reinterpret_cast<float*>(stream), frames);
	}

	SDL_AudioDeviceID fDevice = 0;
	uint32 fChannelCount;
	audio_render_func fRender;
	void* fCookie;
};

// Renders each buffer when a device would have asked for it, and drops it.
class SilentOutput : public AudioOutput {
public:
	SilentOutput(float frameRate, uint32 channelCount, size_t bufferFrames,
		audio_render_func render, void* cookie)
		: fBuffer(bufferFrames * channelCount),
		  fBufferFrames(bufferFrames),
		  fPeriod(std::chrono::nanoseconds((int64)(bufferFrames * 1e9 / frameRate))),
		  fRender(render),
		  fCookie(cookie)
	{
		fThread = std::thread([this] { _Run(); });
	}

	~SilentOutput() override
	{
		{
			std::lock_guard<std::mutex> lock(fLock);
			fQuit = true;
		}
		fWake.notify_all();
		fThread.join();
	}

	bool IsSilent() const override { return true; }

private:
	void _Run()
	{
		auto next = std::chrono::steady_clock::now();
		std::unique_lock<std::mutex> lock(fLock);
		while (!fQuit) {
			lock.unlock();
			memset(fBuffer.data(), 0, fBuffer.size() * sizeof(float));
			fRender(fCookie, fBuffer.data(), fBufferFrames);
			lock.lock();
			next += fPeriod;
			auto now = std::chrono::steady_clock::now();
			// After a stall (a suspended process, a slow hook), go on from
			// now rather than rushing through the missed buffers.
			if (now - next > std::chrono::seconds(1))
				next = now;
			fWake.wait_until(lock, next, [this] { return fQuit; });
		}
	}

	std::vector<float> fBuffer;
	size_t fBufferFrames;
	std::chrono::nanoseconds fPeriod;
	audio_render_func fRender;
	void* fCookie;
	std::mutex fLock;
	std::condition_variable fWake;
	bool fQuit = false;
	std::thread fThread;
};

bool
sdl_audio_ready()
{
	static std::once_flag once;
	static bool ready = false;
	std::call_once(once, [] {
		// The display server may run SDL video on a thread of its own: take
		// only the audio part, and leave the signals to the program.
		SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
		ready = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
	});
	return ready;
}

} // namespace

AudioOutput*
AudioOutput::Create(float frameRate, uint32 channelCount, size_t bufferFrames,
	audio_render_func render, void* cookie)
{
	if (bufferFrames == 0)
		bufferFrames = 1024;
	const char* choice = getenv("BE_AUDIO_OUTPUT");
	bool silentOnly = choice != NULL && strcmp(choice, "silent") == 0;
	if (!silentOnly) {
		// Without any device listed, opening the default one fails anyway,
		// and ALSA would fill standard error saying so.
		if (channelCount <= 8 && sdl_audio_ready() && SDL_GetNumAudioDevices(0) != 0) {
			SdlOutput* output = new SdlOutput(channelCount, render, cookie);
			if (output->Open(frameRate, bufferFrames))
				return output;
			delete output;
		}
		if (choice != NULL && strcmp(choice, "sdl") == 0) {
			const char* driver = SDL_GetCurrentAudioDriver();
			fprintf(stderr, "audio: no sound device through SDL (driver %s), playing silently\n",
				driver != NULL ? driver : "none");
		}
	}
	return new SilentOutput(frameRate, channelCount, bufferFrames, render, cookie);
}

} // namespace BPrivate
