#ifndef _MEDIA_AUDIO_OUTPUT_H
#define _MEDIA_AUDIO_OUTPUT_H

#include <SupportDefs.h>

namespace BPrivate {

// Fills `frames` frames of interleaved floats; called on the output's own
// thread.
typedef void (*audio_render_func)(void* cookie, float* buffer, size_t frames);

// Where a player's samples go: the sound device through SDL, or, with no
// device, a silent output that asks for the samples at the pace a device
// would, so that sounds still take their time and end.
//
// BE_AUDIO_OUTPUT chooses: "silent" never opens a device (tests); "sdl" or
// unset tries the device first and falls back to silence.
class AudioOutput {
public:
	// Never NULL: the output runs and renders as soon as it is made.
	static AudioOutput* Create(float frameRate, uint32 channelCount, size_t bufferFrames,
		audio_render_func render, void* cookie);

	// Stops the output; once it returns, `render` is not called again.
	virtual ~AudioOutput() = default;

	virtual bool IsSilent() const = 0;
};

} // namespace BPrivate

#endif
