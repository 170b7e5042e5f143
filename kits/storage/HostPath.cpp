#include <HostPath.h>

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

// Returns the rest of path after prefix when path is prefix itself or lies
// below it; NULL otherwise.
const char*
below(const char* path, const char* prefix)
{
	size_t length = strlen(prefix);
	if (strncmp(path, prefix, length) != 0)
		return NULL;
	if (path[length] == '\0' || path[length] == '/')
		return path + length;
	return NULL;
}

BString
home_directory()
{
	const char* home = getenv("HOME");
	return BString(home != NULL && home[0] != '\0' ? home : "/");
}

BString
config_directory()
{
	const char* config = getenv("XDG_CONFIG_HOME");
	if (config != NULL && config[0] == '/')
		return BString(config);
	return home_directory() << "/.config";
}

BString
joined(BString base, const char* rest)
{
	while (base.Length() > 1 && base[base.Length() - 1] == '/')
		base.Truncate(base.Length() - 1);
	return base << rest;
}

} // namespace

BString
host_path(const char* bePath)
{
	if (bePath == NULL)
		return BString();
	const char* rest = below(bePath, "/boot");
	if (rest == NULL)
		return BString(bePath);

	const char* volume = getenv("BE_BOOT_VOLUME");
	if (volume != NULL && volume[0] != '\0')
		return joined(volume, rest);

	if (const char* settings = below(bePath, "/boot/home/config/settings"))
		return joined(config_directory(), settings);
	if (const char* home = below(bePath, "/boot/home"))
		return joined(home_directory(), home);
	if (const char* tree = below(bePath, "/boot/apps/trovel"))
		return joined(install_directory(), tree);
	return joined(home_directory() << "/.local/share/boot", rest);
}

BString
program_path()
{
	char buffer[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
	if (length <= 0)
		return BString();
	buffer[length] = '\0';
	return BString(buffer);
}

BString
install_directory()
{
	BString path = program_path();
	for (int i = 0; i < 2; i++) {
		int32 slash = path.FindLast('/');
		if (slash < 0)
			return BString("/");
		path.Truncate(slash > 0 ? slash : 1);
	}
	return path;
}
