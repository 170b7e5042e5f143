#include <TranslationUtils.h>

#include <Bitmap.h>
#include <ImageDecoder.h>
#include <PictureResources.h>
#include <TranslatorFormats.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

// Pictures larger than this are no icons or skins; refuse them rather than
// read a whole disk image into memory.
static const off_t kMaxFileSize = 64 * 1024 * 1024;

static bool
read_file(const char* name, std::vector<uint8>& data)
{
	int fd = open(name, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
		close(fd);
		return false;
	}
	data.resize((size_t)st.st_size);
	size_t done = 0;
	while (done < data.size()) {
		ssize_t n = read(fd, data.data() + done, data.size() - done);
		if (n < 0 && errno == EINTR)
			continue;
		if (n <= 0)
			break;
		done += (size_t)n;
	}
	close(fd);
	data.resize(done);
	return true;
}

BBitmap*
BTranslationUtils::GetBitmap(const char* name, BTranslatorRoster* roster)
{
	BBitmap* bitmap = GetBitmapFile(name, roster);
	if (bitmap == NULL)
		bitmap = GetBitmap(B_TRANSLATOR_BITMAP, name, roster);
	return bitmap;
}

BBitmap*
BTranslationUtils::GetBitmap(uint32 type, const char* name, BTranslatorRoster*)
{
	if (name == NULL || type != B_TRANSLATOR_BITMAP)
		return NULL;
	const unsigned char* data;
	size_t size;
	if (!find_picture_resource(name, &data, &size))
		return NULL;
	return decode_image(data, size);
}

BBitmap*
BTranslationUtils::GetBitmapFile(const char* name, BTranslatorRoster*)
{
	if (name == NULL || name[0] == '\0')
		return NULL;
	std::vector<uint8> data;
	if (!read_file(name, data))
		return NULL;
	return decode_image(data.data(), data.size());
}

BBitmap*
BTranslationUtils::GetBitmap(const void* data, size_t size)
{
	if (data == NULL)
		return NULL;
	return decode_image((const uint8*)data, size);
}
