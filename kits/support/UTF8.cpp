#include <UTF8.h>

#include <Errors.h>

#include <errno.h>
#include <iconv.h>
#include <string.h>

#include <mutex>

namespace {

const char* const kCharsets[] = {
	"ISO-8859-1", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5", "ISO-8859-6",
	"ISO-8859-7", "ISO-8859-8", "ISO-8859-9", "ISO-8859-10", "MACINTOSH", "SHIFT_JIS",
	"EUC-JP", "ISO-2022-JP", "CP1252", "UCS-2BE", "KOI8-R", "CP1251", "CP866", "CP437",
	"EUC-KR", "ISO-8859-13", "ISO-8859-14", "ISO-8859-15", "BIG5", "GB18030", "UTF-16BE",
	"CP1250", "CP850", "CP858",
};

const char*
charset_of(uint32 encoding)
{
	if (encoding >= sizeof(kCharsets) / sizeof(kCharsets[0]))
		return NULL;
	return kCharsets[encoding];
}

// Opening and closing load and unload the code page's module; the loader's
// own lock is invisible to ThreadSanitizer, so ours orders them for it.
std::mutex sModuleLock;

// Closes its converter however the conversion ends.
struct Converter {
	iconv_t handle;
	Converter(const char* to, const char* from)
	{
		std::lock_guard<std::mutex> guard(sModuleLock);
		handle = iconv_open(to, from);
	}
	~Converter()
	{
		if (Valid()) {
			std::lock_guard<std::mutex> guard(sModuleLock);
			iconv_close(handle);
		}
	}
	bool Valid() const { return handle != (iconv_t)-1; }
};

// The length of the UTF-8 character at text, 0 when it is not one.
int32
utf8_length(const uint8* text, int32 left)
{
	uint8 first = text[0];
	int32 length;
	uint32 code;
	if (first < 0x80)
		return 1;
	if (first >= 0xc2 && first <= 0xdf) {
		length = 2;
		code = first & 0x1f;
	} else if (first >= 0xe0 && first <= 0xef) {
		length = 3;
		code = first & 0x0f;
	} else if (first >= 0xf0 && first <= 0xf4) {
		length = 4;
		code = first & 0x07;
	} else
		return 0;
	if (left < length)
		return 0;
	for (int32 i = 1; i < length; i++) {
		if ((text[i] & 0xc0) != 0x80)
			return 0;
		code = (code << 6) | (text[i] & 0x3f);
	}
	// Overlong forms, surrogates and code points past Unicode are not text.
	if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10ffff))
		|| (code >= 0xd800 && code <= 0xdfff))
		return 0;
	return length;
}

status_t
convert(const char* to, const char* from, bool fromUTF8, const char* src, int32* srcLen,
	char* dst, int32* dstLen, int32* state, char substitute)
{
	if (src == NULL || srcLen == NULL || dst == NULL || dstLen == NULL || *srcLen < 0
		|| *dstLen < 0)
		return B_BAD_VALUE;
	if (to == NULL || from == NULL)
		return B_ERROR;
	Converter converter(to, from);
	if (!converter.Valid())
		return B_ERROR;
	if (state != NULL)
		*state = 0;

	char* in = const_cast<char*>(src);
	size_t inLeft = (size_t)*srcLen;
	char* out = dst;
	size_t outLeft = (size_t)*dstLen;
	while (inLeft > 0) {
		if (iconv(converter.handle, &in, &inLeft, &out, &outLeft) != (size_t)-1)
			break;
		if (errno != EILSEQ)
			break;  // room or input ran out: the rest is for the next call
		// What can't be converted takes the substitute's place: a whole
		// UTF-8 character, or one byte of anything else.
		if (outLeft == 0)
			break;
		size_t skip = 1;
		if (fromUTF8) {
			int32 length = utf8_length((const uint8*)in, (int32)inLeft);
			if (length > 0)
				skip = (size_t)length;
		}
		*out++ = substitute;
		outLeft--;
		in += skip;
		inLeft -= skip;
	}
	*srcLen = (int32)(in - src);
	*dstLen = (int32)(out - dst);
	return B_OK;
}

// Where the common transliteration says more than a user would type.
const char*
own_spelling(const char* character, int32 length)
{
	static const struct {
		const char* character;
		const char* spelling;
	} kSpellings[] = {
		{"\u2014", "-"},  // em dash
		{"\u2013", "-"},  // en dash
		{"\u0131", "i"},  // dotless i, where code page 858 has the euro
	};
	for (const auto& entry : kSpellings) {
		if ((int32)strlen(entry.character) == length
			&& memcmp(entry.character, character, length) == 0)
			return entry.spelling;
	}
	return NULL;
}

// Runs one whole character (or spelling) through converter; false when the
// converter refuses any of it.
bool
convert_whole(iconv_t converter, const char* text, size_t length, BString* out)
{
	iconv(converter, NULL, NULL, NULL, NULL);
	char buffer[64];
	char* in = const_cast<char*>(text);
	char* at = buffer;
	size_t outLeft = sizeof(buffer);
	if (iconv(converter, &in, &length, &at, &outLeft) == (size_t)-1)
		return false;
	if (iconv(converter, NULL, NULL, &at, &outLeft) == (size_t)-1)
		return false;
	out->SetTo(buffer, (int32)(at - buffer));
	return true;
}

} // namespace


status_t
convert_to_utf8(uint32 srcEncoding, const char* src, int32* srcLen, char* dst, int32* dstLen,
	int32* state, char substitute)
{
	return convert("UTF-8", charset_of(srcEncoding), false, src, srcLen, dst, dstLen, state,
		substitute);
}


status_t
convert_from_utf8(uint32 dstEncoding, const char* src, int32* srcLen, char* dst, int32* dstLen,
	int32* state, char substitute)
{
	return convert(charset_of(dstEncoding), "UTF-8", true, src, srcLen, dst, dstLen, state,
		substitute);
}


status_t
fit_utf8_to_encoding(uint32 encoding, const char* src, int32 srcLen, BString* fitted,
	int32* replaced)
{
	if (replaced != NULL)
		*replaced = 0;
	if (src == NULL || fitted == NULL || srcLen < 0)
		return B_BAD_VALUE;
	const char* charset = charset_of(encoding);
	if (charset == NULL)
		return B_ERROR;
	BString translit(charset);
	translit << "//TRANSLIT";
	Converter exact(charset, "UTF-8");
	Converter loose(translit.String(), "UTF-8");
	Converter back("UTF-8", charset);
	if (!exact.Valid() || !loose.Valid() || !back.Valid())
		return B_ERROR;

	BString result;
	int32 changed = 0;
	const uint8* text = (const uint8*)src;
	int32 at = 0;
	while (at < srcLen) {
		int32 length = utf8_length(text + at, srcLen - at);
		if (length == 1 && text[at] != 0) {
			// ASCII is in every code page we name.
			result.Append(src + at, 1);
			at++;
			continue;
		}
		BString encoded;
		BString shown;
		if (length > 0 && convert_whole(exact.handle, src + at, length, &encoded)) {
			result.Append(src + at, length);
			at += length;
			continue;
		}
		changed++;
		if (length == 0) {
			result << "?";
			at++;
			continue;
		}
		const char* own = own_spelling(src + at, length);
		if (own != NULL)
			result << own;
		else if (convert_whole(loose.handle, src + at, length, &encoded)
			&& convert_whole(back.handle, encoded.String(), encoded.Length(), &shown)
			&& shown.Length() > 0)
			result << shown;
		else
			result << "?";
		at += length;
	}
	*fitted = result;
	if (replaced != NULL)
		*replaced = changed;
	return B_OK;
}
