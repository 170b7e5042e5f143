#include "AddonLauncher.h"

#include <Errors.h>
#include <HostPath.h>

#include <image.h>

BString
addon_path(const char* relativePath)
{
	BString path = install_directory();
	if (path.Length() == 0 || path[path.Length() - 1] != '/')
		path << "/";
	path << relativePath;
	return path;
}

status_t
run_addon(const char* path)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	const char* argv[] = {path, NULL};
	thread_id child = load_image(1, argv, NULL);
	if (child < 0)
		return child;
	int32 exitCode = 0;
	int32 signal = 0;
	status_t status = wait_for_image(child, &exitCode, &signal);
	if (status != B_OK)
		return status;
	// A program killed by a signal has no exit status of its own.
	return signal == 0 ? exitCode : B_ERROR;
}
