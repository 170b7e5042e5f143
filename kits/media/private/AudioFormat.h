#ifndef _MEDIA_AUDIO_FORMAT_H
#define _MEDIA_AUDIO_FORMAT_H

#include <MediaDefs.h>

namespace BPrivate {

// Bytes of one sample of a media_raw_audio_format sample format; 0 when
// the format is unknown.
size_t audio_sample_size(uint32 format);

// Whether samples of this format can be turned into floats and back: a
// known sample format, at least one channel, a positive frame rate, and a
// byte order given.
bool audio_format_is_usable(const media_raw_audio_format& format);

// Turns `samples` samples of `format` into floats in -1 .. 1. `swap` when
// they are stored in the other byte order than the host's.
void audio_to_float(const void* in, uint32 format, bool swap, float* out, size_t samples);

// Turns floats into samples of `format` in the host's byte order, clipping
// to the format's range.
void audio_from_float(const float* in, uint32 format, void* out, size_t samples);

} // namespace BPrivate

#endif
