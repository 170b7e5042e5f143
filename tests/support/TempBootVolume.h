#ifndef _TEMP_BOOT_VOLUME_H
#define _TEMP_BOOT_VOLUME_H

// A private boot volume for one test: BE_BOOT_VOLUME points at a fresh
// temporary folder holding "home", removed again afterwards.

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

class TempBootVolume {
public:
	TempBootVolume()
	{
		char pattern[] = "/tmp/murmelo-test-XXXXXX";
		fRoot = mkdtemp(pattern);
		mkdir((fRoot + "/home").c_str(), 0755);
		const char* old = getenv("BE_BOOT_VOLUME");
		fHadOld = old != NULL;
		if (fHadOld)
			fOld = old;
		setenv("BE_BOOT_VOLUME", fRoot.c_str(), 1);
	}

	~TempBootVolume()
	{
		if (fHadOld)
			setenv("BE_BOOT_VOLUME", fOld.c_str(), 1);
		else
			unsetenv("BE_BOOT_VOLUME");
		nftw(fRoot.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS);
	}

	const std::string& Root() const { return fRoot; }
	std::string DataFile() const { return fRoot + "/home/murmelo.dat"; }
	std::string NamesFile() const { return fRoot + "/home/murmelo.dat.names"; }
	std::string DocDirectory() const { return fRoot + "/apps/trovel/doc"; }

	// Writes a file below the volume, making its folders; returns its path.
	std::string Write(const std::string& relative, const std::string& bytes) const
	{
		std::string path = fRoot + "/" + relative;
		for (size_t slash = path.find('/', fRoot.size() + 1); slash != std::string::npos;
			slash = path.find('/', slash + 1))
			mkdir(path.substr(0, slash).c_str(), 0755);
		FILE* file = fopen(path.c_str(), "wb");
		if (file != NULL) {
			fwrite(bytes.data(), 1, bytes.size(), file);
			fclose(file);
		}
		return path;
	}

	static std::string Read(const std::string& path)
	{
		std::string bytes;
		FILE* file = fopen(path.c_str(), "rb");
		if (file == NULL)
			return bytes;
		char buffer[65536];
		size_t got;
		while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
			bytes.append(buffer, got);
		fclose(file);
		return bytes;
	}

	static bool Exists(const std::string& path)
	{
		struct stat st;
		return lstat(path.c_str(), &st) == 0;
	}

private:
	static int Remove(const char* path, const struct stat*, int, struct FTW*)
	{
		::remove(path);
		return 0;
	}

	std::string fRoot;
	std::string fOld;
	bool fHadOld = false;
};

#endif
