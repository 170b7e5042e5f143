#ifndef _LAUNCH_PROCESS_H
#define _LAUNCH_PROCESS_H

#include <OS.h>

#include <string>
#include <vector>

namespace BPrivate {

// Starts a program with an argument vector (never a shell), passing it the
// write end of a pipe as BE_LAUNCH_FD; answers its team or an error.
// TODO: use load_image() from the kernel kit once it is there.
team_id launch_program_process(const std::vector<std::string>& argv, int notifyFd);

} // namespace BPrivate

#endif
