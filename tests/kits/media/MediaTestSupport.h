#ifndef MEDIA_TEST_SUPPORT_H
#define MEDIA_TEST_SUPPORT_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace media_test {

// The shipped sounds, as the build tree holds them.
std::string TreeFile(const char* relative);

// A private folder, removed with everything in it at destruction.
class TempDir {
public:
	TempDir();
	~TempDir();
	const std::string& Path() const { return fPath; }
	std::string File(const char* name) const { return fPath + "/" + name; }

private:
	std::string fPath;
};

void WriteFile(const std::string& path, const std::vector<uint8>& bytes);
std::vector<uint8> ReadFile(const std::string& path);

// A Standard MIDI File of `notes` quarter notes at 120 beats a minute
// (0.5 s each) on a piano, each its whole beat long.
std::vector<uint8> ShortTune(int notes);

} // namespace media_test

#endif
