#include "AddonLauncher.h"

#include <Errors.h>
#include <HostPath.h>

#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

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
	char* argv[] = {const_cast<char*>(path), NULL};
	pid_t pid;
	int error = posix_spawn(&pid, path, NULL, NULL, argv, environ);
	if (error != 0)
		return be_error_from_errno(error);
	int status;
	while (waitpid(pid, &status, 0) < 0) {
		if (errno != EINTR)
			return be_error_from_errno(errno);
	}
	if (WIFEXITED(status))
		return WEXITSTATUS(status);
	return B_ERROR;
}
