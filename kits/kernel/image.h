#ifndef _IMAGE_H
#define _IMAGE_H

#include <OS.h>

typedef int32 image_id;

typedef enum {
	B_APP_IMAGE = 1,
	B_LIBRARY_IMAGE,
	B_ADD_ON_IMAGE,
	B_SYSTEM_IMAGE
} image_type;

#define B_SYMBOL_TYPE_DATA 0x1
#define B_SYMBOL_TYPE_TEXT 0x2
#define B_SYMBOL_TYPE_ANY 0x5

// Kit extension: which standard streams of a child become pipes to the
// caller (load_image_etc). Streams not named are inherited.
enum {
	B_IMAGE_PIPE_STDIN = 0x1,
	B_IMAGE_PIPE_STDOUT = 0x2,
	B_IMAGE_PIPE_STDERR = 0x4,
};

// Kit extension: the caller's ends of a child's pipes, -1 where there is
// none. They are the caller's to close.
typedef struct {
	int stdin_fd;
	int stdout_fd;
	int stderr_fd;
} image_pipes;

#ifdef __cplusplus
extern "C" {
#endif

// Starts a program as a child process, suspended until resume_thread() (or
// wait_for_thread()). argv[0] is the program: a path, or a bare name looked
// up on PATH. The arguments go to the program as they are, never through a
// shell. envp NULL means this process' environment. Answers the child's
// main thread, which wait_for_thread() waits for; its exit value is the
// child's exit status, or 128 + the signal that killed it.
thread_id load_image(int32 argc, const char** argv, const char** envp);

// Kit extension: load_image() with pipes to the child's standard streams
// (B_IMAGE_PIPE_* in pipeFlags, the caller's ends in *pipes). The child
// starts with no signal blocked and SIGPIPE at its default. Making a pipe
// sets this process' SIGPIPE to ignored if nobody handles it yet, so that a
// child that stops reading yields EPIPE instead of ending the caller.
thread_id load_image_etc(int32 argc, const char** argv, const char** envp, uint32 pipeFlags,
	image_pipes* pipes);

// Kit extension: waits for a child started by load_image() and tells how it
// ended: *exitCode when it exited, *signal (else 0) when a signal killed it.
status_t wait_for_image(thread_id image, int32* exitCode, int32* signal);

// Sends SIGKILL to a child started by load_image(); wait for it afterwards.
status_t kill_thread(thread_id thread);

// Add-ons are shared modules. An image_id of a loaded module stays valid
// until as many unload_add_on() calls as loads.
image_id load_add_on(const char* path);
status_t unload_add_on(image_id image);
status_t get_image_symbol(image_id image, const char* name, int32 symbolType,
	void** symbolLocation);

#ifdef __cplusplus
}
#endif

#endif
