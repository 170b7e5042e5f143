#include <ImageDecoder.h>

#include <Bitmap.h>

#include <gif_lib.h>
#include <png.h>
#include <setjmp.h>
#include <stdio.h>
#include <string.h>

#include <jpeglib.h>

#include <memory>

namespace {

std::unique_ptr<BBitmap>
new_bitmap(int32 width, int32 height)
{
	if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
		return nullptr;
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, width - 1, height - 1), B_RGBA32);
	if (!bitmap->IsValid())
		return nullptr;
	return bitmap;
}

inline void
put(BBitmap* bitmap, int32 x, int32 y, uint8 r, uint8 g, uint8 b, uint8 a)
{
	uint8* p = (uint8*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow() + (size_t)x * 4;
	p[0] = b;
	p[1] = g;
	p[2] = r;
	p[3] = a;
}

BBitmap*
decode_png(const uint8* data, size_t size)
{
	png_image image;
	memset(&image, 0, sizeof(image));
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_memory(&image, data, size))
		return NULL;
	// B_RGBA32 is B, G, R, A in memory.
	image.format = PNG_FORMAT_BGRA;
	auto bitmap = new_bitmap((int32)image.width, (int32)image.height);
	if (!bitmap) {
		png_image_free(&image);
		return NULL;
	}
	if (!png_image_finish_read(&image, NULL, bitmap->Bits(), bitmap->BytesPerRow(), NULL)) {
		png_image_free(&image);
		return NULL;
	}
	return bitmap.release();
}

struct JpegError {
	jpeg_error_mgr manager;
	jmp_buf jump;
};

void
jpeg_fail(j_common_ptr info)
{
	longjmp(((JpegError*)info->err)->jump, 1);
}

void
jpeg_quiet(j_common_ptr, int)
{
}

BBitmap*
decode_jpeg(const uint8* data, size_t size)
{
	jpeg_decompress_struct info;
	JpegError error;
	info.err = jpeg_std_error(&error.manager);
	error.manager.error_exit = jpeg_fail;
	error.manager.emit_message = jpeg_quiet;
	// Kept outside the setjmp frame so a failure can still free it.
	BBitmap* volatile result = NULL;
	if (setjmp(error.jump) != 0) {
		jpeg_destroy_decompress(&info);
		delete result;
		return NULL;
	}
	jpeg_create_decompress(&info);
	jpeg_mem_src(&info, data, (unsigned long)size);
	jpeg_read_header(&info, TRUE);
	info.out_color_space = JCS_RGB;
	jpeg_start_decompress(&info);
	auto bitmap = new_bitmap((int32)info.output_width, (int32)info.output_height);
	if (!bitmap || info.output_components != 3) {
		jpeg_destroy_decompress(&info);
		return NULL;
	}
	result = bitmap.release();
	std::unique_ptr<uint8[]> row(new uint8[(size_t)info.output_width * 3]);
	while (info.output_scanline < info.output_height) {
		int32 y = (int32)info.output_scanline;
		JSAMPROW rows[1] = {row.get()};
		jpeg_read_scanlines(&info, rows, 1);
		for (int32 x = 0; x < (int32)info.output_width; x++)
			put(result, x, y, row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 255);
	}
	jpeg_finish_decompress(&info);
	jpeg_destroy_decompress(&info);
	return result;
}

struct GifSource {
	const uint8* data;
	size_t size;
	size_t position;
};

int
gif_read(GifFileType* gif, GifByteType* buffer, int length)
{
	GifSource* source = (GifSource*)gif->UserData;
	size_t left = source->size - source->position;
	size_t count = (size_t)length < left ? (size_t)length : left;
	memcpy(buffer, source->data + source->position, count);
	source->position += count;
	return (int)count;
}

BBitmap*
decode_gif(const uint8* data, size_t size)
{
	GifSource source = {data, size, 0};
	int error = 0;
	GifFileType* gif = DGifOpen(&source, gif_read, &error);
	if (gif == NULL)
		return NULL;
	BBitmap* result = NULL;
	if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
		// The first frame, drawn on a transparent screen of the GIF's size.
		SavedImage& frame = gif->SavedImages[0];
		GraphicsControlBlock control;
		control.TransparentColor = NO_TRANSPARENT_COLOR;
		DGifSavedExtensionToGCB(gif, 0, &control);
		ColorMapObject* map = frame.ImageDesc.ColorMap != NULL ? frame.ImageDesc.ColorMap
															  : gif->SColorMap;
		auto bitmap = new_bitmap(gif->SWidth, gif->SHeight);
		if (bitmap && map != NULL) {
			const GifImageDesc& desc = frame.ImageDesc;
			for (int32 y = 0; y < desc.Height; y++) {
				for (int32 x = 0; x < desc.Width; x++) {
					int32 tx = desc.Left + x;
					int32 ty = desc.Top + y;
					if (tx < 0 || ty < 0 || tx >= gif->SWidth || ty >= gif->SHeight)
						continue;
					int index = frame.RasterBits[(size_t)y * desc.Width + x];
					if (index == control.TransparentColor || index >= map->ColorCount)
						continue;
					const GifColorType& c = map->Colors[index];
					put(bitmap.get(), tx, ty, c.Red, c.Green, c.Blue, 255);
				}
			}
			result = bitmap.release();
		}
	}
	DGifCloseFile(gif, &error);
	return result;
}

inline uint32
le32(const uint8* p)
{
	return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32)p[3] << 24);
}

inline uint16
le16(const uint8* p)
{
	return (uint16)(p[0] | (p[1] << 8));
}

// Windows bitmaps, uncompressed: 8-bit with a palette, 24 and 32 bits.
BBitmap*
decode_bmp(const uint8* data, size_t size)
{
	if (size < 54)
		return NULL;
	uint32 pixelOffset = le32(data + 10);
	uint32 headerSize = le32(data + 14);
	if (headerSize < 40 || 14 + (size_t)headerSize > size)
		return NULL;
	int32 width = (int32)le32(data + 18);
	int32 height = (int32)le32(data + 22);
	uint16 depth = le16(data + 28);
	uint32 compression = le32(data + 30);
	uint32 colors = le32(data + 46);
	bool bottomUp = height > 0;
	if (height < 0)
		height = -height;
	if (compression != 0 && !(compression == 3 && depth == 32))
		return NULL;
	if (depth != 8 && depth != 24 && depth != 32)
		return NULL;
	auto bitmap = new_bitmap(width, height);
	if (!bitmap)
		return NULL;
	size_t rowSize = (((size_t)width * depth + 31) / 32) * 4;
	if (pixelOffset > size || rowSize * height > size - pixelOffset)
		return NULL;
	const uint8* palette = data + 14 + headerSize;
	if (depth == 8) {
		if (colors == 0 || colors > 256)
			colors = 256;
		if ((size_t)(palette - data) + colors * 4 > size)
			return NULL;
	}
	for (int32 y = 0; y < height; y++) {
		const uint8* row = data + pixelOffset + rowSize * (bottomUp ? height - 1 - y : y);
		for (int32 x = 0; x < width; x++) {
			if (depth == 8) {
				uint8 index = row[x];
				if (index >= colors) {
					put(bitmap.get(), x, y, 0, 0, 0, 255);
					continue;
				}
				const uint8* c = palette + index * 4;
				put(bitmap.get(), x, y, c[2], c[1], c[0], 255);
			} else {
				const uint8* p = row + (size_t)x * (depth / 8);
				put(bitmap.get(), x, y, p[2], p[1], p[0], 255);
			}
		}
	}
	return bitmap.release();
}

} // namespace

BBitmap*
decode_image(const uint8* data, size_t size)
{
	if (data == NULL || size < 8)
		return NULL;
	if (memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
		return decode_png(data, size);
	if (data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff)
		return decode_jpeg(data, size);
	if (memcmp(data, "GIF87a", 6) == 0 || memcmp(data, "GIF89a", 6) == 0)
		return decode_gif(data, size);
	if (data[0] == 'B' && data[1] == 'M')
		return decode_bmp(data, size);
	return NULL;
}
