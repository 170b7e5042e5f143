#ifndef _TRANSLATION_UTILS_H
#define _TRANSLATION_UTILS_H

#include <SupportDefs.h>

class BBitmap;
class BTranslatorRoster;

// Loads pictures into bitmaps. The caller owns what it gets and deletes it.
class BTranslationUtils {
public:
	// A file of that name (relative to the current directory), else the
	// program's own picture resource of that name. NULL when neither exists
	// or the data is no picture the kit reads (PNG, JPEG, BMP, GIF).
	static BBitmap* GetBitmap(const char* name, BTranslatorRoster* roster = NULL);
	static BBitmap* GetBitmap(uint32 type, const char* name, BTranslatorRoster* roster = NULL);
	static BBitmap* GetBitmapFile(const char* name, BTranslatorRoster* roster = NULL);
	// Decodes a picture held in memory.
	static BBitmap* GetBitmap(const void* data, size_t size);

private:
	BTranslationUtils() = delete;
};

#endif
