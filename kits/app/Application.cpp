#include <Application.h>

#include <HostPath.h>

#include "AppPrivate.h"
#include "TeamLink.h"

#include <Autolock.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <string>
#include <vector>

BApplication* be_app = NULL;
BMessenger be_app_messenger;

namespace {

int sSignalPipe[2] = {-1, -1};

void
quit_signal(int)
{
	char byte = 'q';
	int saved = errno;
	if (write(sSignalPipe[1], &byte, 1) < 0) {
		// Nothing can be done about it inside a signal handler.
	}
	errno = saved;
}

// The program's own command line, as the kernel keeps it.
std::vector<std::string>
command_line()
{
	std::vector<std::string> arguments;
	FILE* file = fopen("/proc/self/cmdline", "re");
	if (file == NULL)
		return arguments;
	std::string current;
	int c;
	while ((c = fgetc(file)) != EOF) {
		if (c == '\0') {
			arguments.push_back(current);
			current.clear();
		} else
			current += (char)c;
	}
	fclose(file);
	return arguments;
}

} // namespace

BApplication::BApplication(const char* signature) : BLooper(signature)
{
	_Init(signature, NULL);
}

BApplication::BApplication(const char* signature, status_t* error) : BLooper(signature)
{
	_Init(signature, error);
}

BApplication::~BApplication()
{
	if (be_app == this) {
		BPrivate::stop_team_link();
		be_app = NULL;
		be_app_messenger = BMessenger();
	}
}

thread_id
BApplication::Run()
{
	_RunOnThread(find_thread(NULL));
	_ReleaseInitialLock();
	_StartSignalWatcher();

	std::vector<std::string> arguments = command_line();
	if (arguments.size() > 1) {
		BMessage argv(B_ARGV_RECEIVED);
		argv.AddInt32("argc", (int32)arguments.size());
		for (const std::string& argument : arguments)
			argv.AddString("argv", argument.c_str());
		char cwd[B_PATH_NAME_LENGTH];
		if (getcwd(cwd, sizeof(cwd)) != NULL)
			argv.AddString("cwd", cwd);
		PostMessage(&argv);
	}
	PostMessage(B_READY_TO_RUN);
	// A launcher's message comes after these.
	BPrivate::team_link_ready();

	_Loop();
	_UnlockFully();
	return Thread();
}

void
BApplication::Quit()
{
	if (find_thread(NULL) == Thread() || Thread() < 0) {
		fTerminating = true;
		return;
	}
	BMessage quit(_QUIT_);
	PostMessage(&quit);
}

bool
BApplication::QuitRequested()
{
	std::vector<std::pair<BWindow*, BLooper*>> windows;
	{
		BAutolock guard(fWindowLock);
		windows = fWindows;
	}
	// The windows' threads may need the application while they close.
	int32 locks = _UnlockFully();
	bool allClosed = true;
	for (auto& window : windows) {
		BLooper* looper = window.second;
		if (!looper->Lock())
			continue;
		if (looper->QuitRequested())
			looper->Quit();
		else {
			looper->Unlock();
			allClosed = false;
			break;
		}
	}
	_Relock(locks);
	return allClosed;
}

void
BApplication::ReadyToRun()
{
}

void
BApplication::ArgvReceived(int32, char**)
{
}

void
BApplication::RefsReceived(BMessage*)
{
}

void
BApplication::AboutRequested()
{
}

void
BApplication::AppActivated(bool)
{
}

void
BApplication::Pulse()
{
}

void
BApplication::MessageReceived(BMessage* message)
{
	if (_HandleProperty(message))
		return;
	BLooper::MessageReceived(message);
}

void
BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}
	switch (message->what) {
		case B_ARGV_RECEIVED: {
			int32 argc = 0;
			message->FindInt32("argc", &argc);
			std::vector<char*> argv;
			for (int32 i = 0; i < argc; i++) {
				const char* argument;
				if (message->FindString("argv", i, &argument) != B_OK)
					break;
				argv.push_back(const_cast<char*>(argument));
			}
			argv.push_back(NULL);
			ArgvReceived((int32)argv.size() - 1, argv.data());
			break;
		}
		case B_READY_TO_RUN:
			if (!fReadyToRunCalled) {
				fReadyToRunCalled = true;
				ReadyToRun();
			}
			break;
		case B_REFS_RECEIVED:
			RefsReceived(message);
			break;
		case B_ABOUT_REQUESTED:
			AboutRequested();
			break;
		case B_PULSE:
			Pulse();
			break;
		case B_APP_ACTIVATED: {
			bool active = true;
			message->FindBool("active", &active);
			AppActivated(active);
			break;
		}
		default:
			BLooper::DispatchMessage(message, handler);
	}
}

void
BApplication::SetPulseRate(bigtime_t rate)
{
	fPulseRate = rate > 0 ? rate : 0;
	if (fPulseRate == 0) {
		fPulseRunner.reset();
		return;
	}
	BMessage pulse(B_PULSE);
	fPulseRunner = std::make_unique<BMessageRunner>(be_app_messenger, &pulse, fPulseRate);
}

int32
BApplication::CountWindows() const
{
	BAutolock guard(fWindowLock);
	return (int32)fWindows.size();
}

BWindow*
BApplication::WindowAt(int32 index) const
{
	BAutolock guard(fWindowLock);
	if (index < 0 || index >= (int32)fWindows.size())
		return NULL;
	return fWindows[index].first;
}

status_t
BApplication::GetAppInfo(app_info* info) const
{
	if (info == NULL)
		return B_BAD_VALUE;
	info->thread = Thread();
	info->team = current_team();
	info->port = -1;
	info->flags = B_MULTIPLE_LAUNCH;
	strncpy(info->signature, fSignature.String(), B_MIME_TYPE_LENGTH - 1);
	info->signature[B_MIME_TYPE_LENGTH - 1] = '\0';
	BString program = program_path();
	if (program.Length() == 0)
		return B_ERROR;
	return get_ref_for_path(program.String(), &info->ref);
}

void
BApplication::_RegisterWindow(BWindow* window, BLooper* looper)
{
	BAutolock guard(fWindowLock);
	fWindows.emplace_back(window, looper);
}

void
BApplication::_UnregisterWindow(BWindow* window)
{
	BAutolock guard(fWindowLock);
	for (auto it = fWindows.begin(); it != fWindows.end(); ++it) {
		if (it->first == window) {
			fWindows.erase(it);
			return;
		}
	}
}

void
BApplication::_Init(const char* signature, status_t* error)
{
	fSignature.SetTo(signature);
	if (signature == NULL || strncasecmp(signature, "application/", 12) != 0
		|| strlen(signature) >= B_MIME_TYPE_LENGTH)
		fInitStatus = B_BAD_VALUE;
	else
		fInitStatus = B_OK;
	if (error != NULL)
		*error = fInitStatus;
	if (fInitStatus != B_OK)
		fprintf(stderr, "BApplication: bad signature \"%s\"\n", signature != NULL ? signature : "");
	be_app = this;
	be_app_messenger = BMessenger(this);
	// Other programs of the user reach an application by its signature.
	if (fInitStatus == B_OK)
		BPrivate::start_team_link(this);
}

void
BApplication::_StartSignalWatcher()
{
	if (sSignalPipe[0] >= 0)
		return;
	if (pipe2(sSignalPipe, O_CLOEXEC) != 0)
		return;
	struct sigaction action;
	memset(&action, 0, sizeof(action));
	action.sa_handler = quit_signal;
	sigemptyset(&action.sa_mask);
	action.sa_flags = SA_RESTART;
	sigaction(SIGINT, &action, NULL);
	sigaction(SIGTERM, &action, NULL);
	thread_id watcher = spawn_thread(_SignalWatcher, "signal watcher", B_NORMAL_PRIORITY, this);
	resume_thread(watcher);
}

status_t
BApplication::_SignalWatcher(void*)
{
	char byte;
	while (true) {
		ssize_t got = read(sSignalPipe[0], &byte, 1);
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			return B_OK;
		// A terminal's interrupt or a polite kill: the application quits as
		// if asked by its user.
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	}
}
