#ifndef _IMAGE_DECODER_H
#define _IMAGE_DECODER_H

#include <SupportDefs.h>

class BBitmap;

// Decodes PNG, JPEG, BMP or GIF data into a new B_RGBA32 bitmap; NULL for
// anything else, for damaged data and for pictures too large to hold.
BBitmap* decode_image(const uint8* data, size_t size);

// The largest side the decoders accept.
static const int32 kMaxImageSide = 16384;

#endif
