#include <image.h>

#include <ChildImage.h>
#include <Errors.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

extern char** environ;

namespace {

enum class ChildState { kLoaded, kRunning, kExited };

struct ChildRecord {
	std::string path;
	std::vector<std::string> arguments;
	std::vector<std::string> environment;
	// The child's ends of its pipes, -1 for an inherited stream.
	int streams[3] = {-1, -1, -1};

	std::mutex lock;
	std::condition_variable changed;
	ChildState state = ChildState::kLoaded;
	bool reaping = false;
	pid_t pid = -1;
	status_t startError = B_OK;
	int32 exitCode = 0;
	int32 signal = 0;
};

std::mutex& sChildLock = *new std::mutex;
std::map<thread_id, std::shared_ptr<ChildRecord>>& sChildren
	= *new std::map<thread_id, std::shared_ptr<ChildRecord>>;

std::shared_ptr<ChildRecord>
find_child(thread_id id)
{
	std::lock_guard<std::mutex> guard(sChildLock);
	auto it = sChildren.find(id);
	return it == sChildren.end() ? nullptr : it->second;
}

status_t
check_program(const std::string& path)
{
	struct stat info;
	if (stat(path.c_str(), &info) != 0)
		return be_error_from_errno(errno);
	if (!S_ISREG(info.st_mode))
		return B_NOT_AN_EXECUTABLE;
	if (access(path.c_str(), X_OK) != 0)
		return be_error_from_errno(errno);
	return B_OK;
}

// A bare name is looked up on PATH as execvp() does, an empty entry being
// the current folder.
status_t
find_program(const char* name, std::string& path)
{
	if (name[0] == '\0')
		return B_ENTRY_NOT_FOUND;
	if (strchr(name, '/') != NULL) {
		path = name;
		return check_program(path);
	}
	const char* searchPath = getenv("PATH");
	std::string folders = searchPath != NULL ? searchPath : "/bin:/usr/bin";
	status_t result = B_ENTRY_NOT_FOUND;
	size_t start = 0;
	while (start <= folders.size()) {
		size_t end = folders.find(':', start);
		if (end == std::string::npos)
			end = folders.size();
		std::string folder = folders.substr(start, end - start);
		std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
		status_t status = check_program(candidate);
		if (status == B_OK) {
			path = candidate;
			return B_OK;
		}
		// As execvp(), a program found but not runnable is told rather than
		// "not found".
		if (status == B_PERMISSION_DENIED || status == B_NOT_AN_EXECUTABLE)
			result = status;
		start = end + 1;
	}
	return result;
}

void
ignore_broken_pipes()
{
	static std::once_flag sOnce;
	std::call_once(sOnce, [] {
		struct sigaction current;
		if (sigaction(SIGPIPE, NULL, &current) == 0 && current.sa_handler == SIG_DFL
			&& (current.sa_flags & SA_SIGINFO) == 0) {
			signal(SIGPIPE, SIG_IGN);
		}
	});
}

void
close_streams(ChildRecord& child)
{
	for (int& fd : child.streams) {
		if (fd >= 0)
			close(fd);
		fd = -1;
	}
}

status_t
start_child(ChildRecord& child)
{
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	for (int stream = 0; stream < 3; stream++) {
		if (child.streams[stream] >= 0)
			posix_spawn_file_actions_adddup2(&actions, child.streams[stream], stream);
	}

	// Whatever this process does with signals, the child starts with none
	// blocked and SIGPIPE at its default: ignoring is inherited across exec.
	posix_spawnattr_t attributes;
	posix_spawnattr_init(&attributes);
	sigset_t signals;
	sigemptyset(&signals);
	posix_spawnattr_setsigmask(&attributes, &signals);
	sigaddset(&signals, SIGPIPE);
	posix_spawnattr_setsigdefault(&attributes, &signals);
	posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

	std::vector<char*> argv;
	for (std::string& argument : child.arguments)
		argv.push_back(argument.data());
	argv.push_back(NULL);
	std::vector<char*> envp;
	for (std::string& variable : child.environment)
		envp.push_back(variable.data());
	envp.push_back(NULL);

	pid_t pid = -1;
	int error = posix_spawn(&pid, child.path.c_str(), &actions, &attributes, argv.data(),
		envp.data());
	posix_spawn_file_actions_destroy(&actions);
	posix_spawnattr_destroy(&attributes);
	close_streams(child);
	if (error != 0)
		return be_error_from_errno(error);
	child.pid = pid;
	return B_OK;
}

} // namespace


thread_id
load_image(int32 argc, const char** argv, const char** envp)
{
	return load_image_etc(argc, argv, envp, 0, NULL);
}


thread_id
load_image_etc(int32 argc, const char** argv, const char** envp, uint32 pipeFlags,
	image_pipes* pipes)
{
	if (pipes != NULL)
		*pipes = image_pipes{-1, -1, -1};
	if (argc < 1 || argv == NULL || argv[0] == NULL || (pipeFlags != 0 && pipes == NULL))
		return B_BAD_VALUE;
	for (int32 i = 0; i < argc; i++) {
		if (argv[i] == NULL)
			return B_BAD_VALUE;
	}

	auto child = std::make_shared<ChildRecord>();
	status_t status = find_program(argv[0], child->path);
	if (status != B_OK)
		return status;
	child->arguments.assign(argv, argv + argc);
	for (const char** variable = envp != NULL ? envp : (const char**)environ;
			variable != NULL && *variable != NULL; variable++) {
		child->environment.push_back(*variable);
	}

	int* callerEnds[3] = {pipes != NULL ? &pipes->stdin_fd : NULL,
		pipes != NULL ? &pipes->stdout_fd : NULL, pipes != NULL ? &pipes->stderr_fd : NULL};
	for (int stream = 0; stream < 3; stream++) {
		if ((pipeFlags & (1u << stream)) == 0)
			continue;
		int ends[2];
		if (pipe2(ends, O_CLOEXEC) != 0) {
			status = be_error_from_errno(errno);
			close_streams(*child);
			for (int* end : callerEnds) {
				if (*end >= 0)
					close(*end);
				*end = -1;
			}
			return status;
		}
		// Standard input is written by the caller, the others read.
		child->streams[stream] = stream == 0 ? ends[0] : ends[1];
		*callerEnds[stream] = stream == 0 ? ends[1] : ends[0];
	}
	if ((pipeFlags & B_IMAGE_PIPE_STDIN) != 0)
		ignore_broken_pipes();

	thread_id id = BPrivate::next_thread_id();
	std::lock_guard<std::mutex> guard(sChildLock);
	sChildren[id] = child;
	return id;
}


status_t
wait_for_image(thread_id image, int32* exitCode, int32* signal)
{
	auto child = find_child(image);
	if (child == nullptr)
		return B_BAD_THREAD_ID;
	status_t status = BPrivate::resume_child(image);
	if (status != B_OK && status != B_BAD_THREAD_STATE)
		return status;

	std::unique_lock<std::mutex> guard(child->lock);
	if (child->startError != B_OK)
		return child->startError;
	// One waiter reaps; the others wait for its answer.
	while (child->state != ChildState::kExited && child->reaping)
		child->changed.wait(guard);
	if (child->state != ChildState::kExited) {
		child->reaping = true;
		pid_t pid = child->pid;
		guard.unlock();
		int result = 0;
		pid_t waited;
		do
			waited = waitpid(pid, &result, 0);
		while (waited < 0 && errno == EINTR);
		int error = errno;
		guard.lock();
		child->reaping = false;
		child->state = ChildState::kExited;
		if (waited != pid)
			child->startError = be_error_from_errno(error);
		else if (WIFSIGNALED(result))
			child->signal = WTERMSIG(result);
		else
			child->exitCode = WIFEXITED(result) ? WEXITSTATUS(result) : 0;
		child->changed.notify_all();
		if (child->startError != B_OK)
			return child->startError;
	}
	if (exitCode != NULL)
		*exitCode = child->exitCode;
	if (signal != NULL)
		*signal = child->signal;
	return B_OK;
}


status_t
kill_thread(thread_id thread)
{
	auto child = find_child(thread);
	if (child == nullptr)
		return B_BAD_THREAD_ID;
	std::lock_guard<std::mutex> guard(child->lock);
	if (child->state == ChildState::kLoaded) {
		// Never started: it ends as if killed, without running.
		close_streams(*child);
		child->signal = SIGKILL;
		child->state = ChildState::kExited;
		child->changed.notify_all();
		return B_OK;
	}
	if (child->state == ChildState::kExited || child->pid < 0)
		return B_BAD_THREAD_ID;
	return kill(child->pid, SIGKILL) == 0 ? B_OK : be_error_from_errno(errno);
}


status_t
BPrivate::resume_child(thread_id image)
{
	auto child = find_child(image);
	if (child == nullptr)
		return B_BAD_THREAD_ID;
	std::lock_guard<std::mutex> guard(child->lock);
	if (child->state != ChildState::kLoaded)
		return B_BAD_THREAD_STATE;
	status_t status = start_child(*child);
	if (status != B_OK) {
		child->startError = status;
		child->state = ChildState::kExited;
		child->changed.notify_all();
		return status;
	}
	child->state = ChildState::kRunning;
	return B_OK;
}


status_t
BPrivate::wait_for_child(thread_id image, status_t* exitValue)
{
	int32 exitCode = 0;
	int32 signal = 0;
	status_t status = wait_for_image(image, &exitCode, &signal);
	if (status == B_OK && exitValue != NULL)
		*exitValue = signal != 0 ? 128 + signal : exitCode;
	return status;
}
