#include "AudioFormat.h"

#include <byteswap.h>
#include <math.h>
#include <string.h>

media_raw_audio_format media_raw_audio_format::wildcard = {};

namespace BPrivate {

namespace {

template<typename T>
T
load(const uint8* at, bool swap)
{
	T value;
	memcpy(&value, at, sizeof(T));
	if (!swap)
		return value;
	if constexpr (sizeof(T) == 2) {
		uint16 bits;
		memcpy(&bits, &value, 2);
		bits = bswap_16(bits);
		memcpy(&value, &bits, 2);
	} else if constexpr (sizeof(T) == 4) {
		uint32 bits;
		memcpy(&bits, &value, 4);
		bits = bswap_32(bits);
		memcpy(&value, &bits, 4);
	} else if constexpr (sizeof(T) == 8) {
		uint64 bits;
		memcpy(&bits, &value, 8);
		bits = bswap_64(bits);
		memcpy(&value, &bits, 8);
	}
	return value;
}

float
clipped(float value)
{
	if (!(value > -1.0f))
		return isnan(value) ? 0.0f : -1.0f;
	return value < 1.0f ? value : 1.0f;
}

} // namespace

size_t
audio_sample_size(uint32 format)
{
	switch (format) {
		case media_raw_audio_format::B_AUDIO_FLOAT:
		case media_raw_audio_format::B_AUDIO_INT:
			return 4;
		case media_raw_audio_format::B_AUDIO_DOUBLE:
			return 8;
		case media_raw_audio_format::B_AUDIO_SHORT:
			return 2;
		case media_raw_audio_format::B_AUDIO_UCHAR:
		case media_raw_audio_format::B_AUDIO_CHAR:
			return 1;
		default:
			return 0;
	}
}

bool
audio_format_is_usable(const media_raw_audio_format& format)
{
	return audio_sample_size(format.format) != 0 && format.channel_count > 0
		&& format.channel_count <= 64 && format.frame_rate >= 1.0f
		&& format.frame_rate <= 1000000.0f
		&& (format.byte_order == B_MEDIA_BIG_ENDIAN || format.byte_order == B_MEDIA_LITTLE_ENDIAN);
}

void
audio_to_float(const void* in, uint32 format, bool swap, float* out, size_t samples)
{
	const uint8* bytes = static_cast<const uint8*>(in);
	size_t size = audio_sample_size(format);
	for (size_t i = 0; i < samples; i++, bytes += size) {
		switch (format) {
			case media_raw_audio_format::B_AUDIO_FLOAT:
				out[i] = load<float>(bytes, swap);
				break;
			case media_raw_audio_format::B_AUDIO_DOUBLE:
				out[i] = (float)load<double>(bytes, swap);
				break;
			case media_raw_audio_format::B_AUDIO_INT:
				out[i] = (float)(load<int32>(bytes, swap) / 2147483648.0);
				break;
			case media_raw_audio_format::B_AUDIO_SHORT:
				out[i] = load<int16>(bytes, swap) / 32768.0f;
				break;
			case media_raw_audio_format::B_AUDIO_UCHAR:
				out[i] = (bytes[0] - 128) / 128.0f;
				break;
			case media_raw_audio_format::B_AUDIO_CHAR:
				out[i] = (int8)bytes[0] / 128.0f;
				break;
			default:
				out[i] = 0.0f;
				break;
		}
	}
}

void
audio_from_float(const float* in, uint32 format, void* out, size_t samples)
{
	uint8* bytes = static_cast<uint8*>(out);
	size_t size = audio_sample_size(format);
	for (size_t i = 0; i < samples; i++, bytes += size) {
		float value = clipped(in[i]);
		switch (format) {
			case media_raw_audio_format::B_AUDIO_FLOAT:
				memcpy(bytes, &value, 4);
				break;
			case media_raw_audio_format::B_AUDIO_DOUBLE: {
				double wide = value;
				memcpy(bytes, &wide, 8);
				break;
			}
			case media_raw_audio_format::B_AUDIO_INT: {
				double scaled = value * 2147483648.0;
				int32 sample = scaled >= 2147483647.0 ? INT32_MAX : (int32)lrint(scaled);
				memcpy(bytes, &sample, 4);
				break;
			}
			case media_raw_audio_format::B_AUDIO_SHORT: {
				long scaled = lrintf(value * 32768.0f);
				int16 sample = (int16)(scaled > 32767 ? 32767 : scaled);
				memcpy(bytes, &sample, 2);
				break;
			}
			case media_raw_audio_format::B_AUDIO_UCHAR: {
				long scaled = lrintf(value * 128.0f) + 128;
				bytes[0] = (uint8)(scaled > 255 ? 255 : scaled);
				break;
			}
			case media_raw_audio_format::B_AUDIO_CHAR: {
				long scaled = lrintf(value * 128.0f);
				bytes[0] = (uint8)(int8)(scaled > 127 ? 127 : scaled);
				break;
			}
		}
	}
}

} // namespace BPrivate
