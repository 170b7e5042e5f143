#ifndef _PICTURE_RESOURCES_H
#define _PICTURE_RESOURCES_H

#include <stddef.h>

// Pictures built into the program. The build turns each picture of
// data/pictures into a byte array that registers itself under its name
// before main() runs.
extern "C" void _murmelo_register_picture(const char* name, const unsigned char* data,
	size_t size);

// The picture of that name, or false.
bool find_picture_resource(const char* name, const unsigned char** data, size_t* size);

#endif
