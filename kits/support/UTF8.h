#ifndef _UTF8_H
#define _UTF8_H

#include <String.h>
#include <SupportDefs.h>

// Conversion flavors, with the values BeOS and Haiku give them.
enum {
	B_ISO1_CONVERSION,				// ISO 8859-x
	B_ISO2_CONVERSION,
	B_ISO3_CONVERSION,
	B_ISO4_CONVERSION,
	B_ISO5_CONVERSION,
	B_ISO6_CONVERSION,
	B_ISO7_CONVERSION,
	B_ISO8_CONVERSION,
	B_ISO9_CONVERSION,
	B_ISO10_CONVERSION,
	B_MAC_ROMAN_CONVERSION,			// Macintosh Roman
	B_SJIS_CONVERSION,				// Shift-JIS
	B_EUC_CONVERSION,				// EUC packed Japanese
	B_JIS_CONVERSION,				// JIS X 0208-1990
	B_MS_WINDOWS_CONVERSION,		// Windows Latin-1, code page 1252
	B_UNICODE_CONVERSION,			// UCS-2, big-endian
	B_KOI8R_CONVERSION,				// KOI8-R
	B_MS_WINDOWS_1251_CONVERSION,	// Windows Cyrillic, code page 1251
	B_MS_DOS_866_CONVERSION,		// MS-DOS Cyrillic, code page 866
	B_MS_DOS_CONVERSION,			// MS-DOS United States, code page 437
	B_EUC_KR_CONVERSION,			// EUC Korean
	B_ISO13_CONVERSION,
	B_ISO14_CONVERSION,
	B_ISO15_CONVERSION,
	B_BIG5_CONVERSION,				// Chinese Big5
	B_GBK_CONVERSION,				// Chinese GB18030
	B_UTF16_CONVERSION,				// UTF-16, big-endian
	B_MS_WINDOWS_1250_CONVERSION,	// Windows Central European, code page 1250

	// Ours, beyond Haiku's list: the MS-DOS code pages of Western Europe,
	// which the WinPopup road carries by default.
	B_MS_DOS_850_CONVERSION,		// MS-DOS Multilingual Latin 1, code page 850
	B_MS_DOS_858_CONVERSION,		// code page 850 with the euro sign, 858
};

// As on BeOS: converts as much of src as fits into dst and sets *srcLen and
// *dstLen to the bytes read and written. A character that can't be
// converted becomes substitute (0x1a, B_SUBSTITUTE, by default); a
// character cut off at the end of src is left for the next call. *state is
// kept at 0: every call starts afresh. B_ERROR for an unknown conversion.
status_t convert_to_utf8(uint32 srcEncoding, const char* src, int32* srcLen, char* dst,
	int32* dstLen, int32* state, char substitute = 0x1a);
status_t convert_from_utf8(uint32 dstEncoding, const char* src, int32* srcLen, char* dst,
	int32* dstLen, int32* state, char substitute = 0x1a);

// Ours, beyond BeOS: src as the encoding can carry it, still in UTF-8.
// Characters it lacks are transliterated ("EUR" for the euro sign where
// the code page has none, "-" for a dash, straight quotes for curly ones),
// or become "?" when there is no such spelling; so are bytes that are not
// UTF-8. *replaced (may be NULL) counts the characters changed.
// B_ERROR for an unknown conversion, B_BAD_VALUE for missing arguments.
status_t fit_utf8_to_encoding(uint32 encoding, const char* src, int32 srcLen, BString* fitted,
	int32* replaced = NULL);

#endif
