#include "MediaTestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>

namespace media_test {

namespace {

// No test here may make a sound, even on a machine with a sound card.
struct SilentOutput {
	SilentOutput() { setenv("BE_AUDIO_OUTPUT", "silent", 1); }
} sSilentOutput;

void
append_big_endian(std::vector<uint8>& out, uint32 value, int bytes)
{
	for (int i = bytes - 1; i >= 0; i--)
		out.push_back((uint8)(value >> (8 * i)));
}

} // namespace

std::string
TreeFile(const char* relative)
{
	return std::string(MURMELO_TREE) + "/" + relative;
}

TempDir::TempDir()
{
	char path[] = "/tmp/murmelo-media-XXXXXX";
	if (mkdtemp(path) != NULL)
		fPath = path;
}

TempDir::~TempDir()
{
	std::error_code error;
	if (!fPath.empty())
		std::filesystem::remove_all(fPath, error);
}

void
WriteFile(const std::string& path, const std::vector<uint8>& bytes)
{
	std::ofstream out(path, std::ios::binary);
	out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
}

std::vector<uint8>
ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<uint8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8>
ShortTune(int notes)
{
	const uint32 ppq = 96;
	std::vector<uint8> track = {0x00, 0xC0, 0x00};
	for (int i = 0; i < notes; i++) {
		uint8 pitch = (uint8)(60 + (i * 4) % 12);
		track.insert(track.end(), {0x00, 0x90, pitch, 100});
		// Delta of one quarter (96 < 128: a single byte), then note off.
		track.insert(track.end(), {(uint8)ppq, 0x80, pitch, 0});
	}
	track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});

	std::vector<uint8> file = {'M', 'T', 'h', 'd'};
	append_big_endian(file, 6, 4);
	append_big_endian(file, 0, 2);
	append_big_endian(file, 1, 2);
	append_big_endian(file, ppq, 2);
	file.insert(file.end(), {'M', 'T', 'r', 'k'});
	append_big_endian(file, (uint32)track.size(), 4);
	file.insert(file.end(), track.begin(), track.end());
	return file;
}

} // namespace media_test
