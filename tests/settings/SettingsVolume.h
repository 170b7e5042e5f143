#ifndef _SETTINGS_VOLUME_H
#define _SETTINGS_VOLUME_H

// A private boot volume with helpers to look at the settings files as raw
// attributes.

#include <File.h>
#include <fs_attr.h>

#include <string>
#include <vector>

#include "TempBootVolume.h"

class SettingsVolume : public TempBootVolume {
public:
	std::string SettingsPath(const char* leaf) const
	{
		return Root() + "/home/config/settings/" + leaf;
	}

	// An empty settings file, made with its folders.
	std::string MakeFile(const char* leaf) const
	{
		return Write(std::string("home/config/settings/") + leaf, "");
	}
};

struct stored_attr {
	bool exists = false;
	type_code type = 0;
	off_t size = -1;
	std::vector<uint8> bytes;

	std::string Text() const { return std::string(bytes.begin(), bytes.end()); }
};

inline stored_attr
read_stored(const std::string& path, const char* name)
{
	stored_attr result;
	BNode node(path.c_str());
	attr_info info;
	if (node.GetAttrInfo(name, &info) != B_OK)
		return result;
	result.exists = true;
	result.type = info.type;
	result.size = info.size;
	result.bytes.resize(info.size);
	node.ReadAttr(name, info.type, 0, result.bytes.data(), info.size);
	return result;
}

#endif
