#include <Roster.h>

#include <Application.h>
#include <HostPath.h>

#include "AppRegistry.h"
#include "LaunchProcess.h"

#include <errno.h>
#include <stdint.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <string>
#include <vector>

using BPrivate::RegisteredApp;

app_info::app_info()
	: thread(-1), team(-1), port(-1), flags(B_MULTIPLE_LAUNCH)
{
	signature[0] = '\0';
}

app_info::~app_info()
{
}

static const BRoster sRoster;
const BRoster* be_roster = &sRoster;

namespace {

// How long a launched program may take to become reachable.
const bigtime_t kLaunchTimeout = 10000000;

// The running applications, this one included even where it could not
// make itself reachable.
std::vector<RegisteredApp>
running_apps()
{
	std::vector<RegisteredApp> apps = BPrivate::registered_apps();
	if (be_app != NULL && be_app->InitCheck() == B_OK) {
		bool listed = false;
		for (const RegisteredApp& app : apps)
			listed = listed || app.team == current_team();
		if (!listed) {
			RegisteredApp self;
			self.team = current_team();
			self.thread = be_app->Thread();
			self.flags = B_MULTIPLE_LAUNCH;
			self.looperToken = be_app->_Token();
			self.signature = be_app->Signature();
			apps.push_back(self);
		}
	}
	return apps;
}

status_t
fill_info(const RegisteredApp& app, app_info* info)
{
	info->thread = app.thread;
	info->team = app.team;
	info->port = -1;
	info->flags = app.flags;
	strncpy(info->signature, app.signature.String(), B_MIME_TYPE_LENGTH - 1);
	info->signature[B_MIME_TYPE_LENGTH - 1] = '\0';
	char link[64];
	snprintf(link, sizeof(link), "/proc/%d/exe", (int)app.team);
	char program[B_PATH_NAME_LENGTH];
	ssize_t length = readlink(link, program, sizeof(program) - 1);
	if (length <= 0)
		return B_OK;
	program[length] = '\0';
	get_ref_for_path(program, &info->ref);
	return B_OK;
}

// Looks a signature up in one application list: lines of a signature, a
// tab and the program's path (relative to the list's folder, or absolute).
bool
find_in_list(const std::string& listPath, const char* signature, std::string* program)
{
	FILE* file = fopen(listPath.c_str(), "re");
	if (file == NULL)
		return false;
	char line[2048];
	bool found = false;
	while (!found && fgets(line, sizeof(line), file) != NULL) {
		line[strcspn(line, "\r\n")] = '\0';
		char* tab = strchr(line, '\t');
		if (line[0] == '#' || tab == NULL)
			continue;
		*tab = '\0';
		if (strcasecmp(line, signature) != 0 || tab[1] == '\0')
			continue;
		std::string path = tab + 1;
		if (path[0] != '/') {
			std::string folder = listPath.substr(0, listPath.rfind('/') + 1);
			path = folder + path;
		}
		*program = path;
		found = true;
	}
	fclose(file);
	return found;
}

// The program of a signature: from the list named by BE_APPLICATIONS, then
// from the install tree's own list.
bool
program_for(const char* signature, std::string* program)
{
	const char* extra = getenv("BE_APPLICATIONS");
	if (extra != NULL && extra[0] != '\0' && find_in_list(extra, signature, program))
		return true;
	BString installed = install_directory();
	if (installed.Length() == 0)
		return false;
	return find_in_list(std::string(installed.String()) + "/applications", signature, program);
}

// Waits for the launched program to say it can be reached; answers
// false if it ended first or took too long.
bool
wait_until_reachable(int fd)
{
	bigtime_t deadline = system_time() + kLaunchTimeout;
	while (true) {
		bigtime_t left = deadline - system_time();
		if (left <= 0)
			return false;
		pollfd entry = {fd, POLLIN, 0};
		int ready = poll(&entry, 1, (int)(left / 1000) + 1);
		if (ready < 0 && errno == EINTR)
			continue;
		if (ready <= 0)
			return false;
		char byte;
		ssize_t got = read(fd, &byte, 1);
		if (got < 0 && errno == EINTR)
			continue;
		return got == 1;
	}
}

} // namespace

BRoster::BRoster()
{
}

bool
BRoster::IsRunning(const char* signature) const
{
	return TeamFor(signature) >= 0;
}

bool
BRoster::IsRunning(entry_ref* ref) const
{
	if (ref == NULL)
		return false;
	for (const RegisteredApp& app : running_apps()) {
		app_info info;
		if (fill_info(app, &info) == B_OK && info.ref == *ref)
			return true;
	}
	return false;
}

team_id
BRoster::TeamFor(const char* signature) const
{
	if (signature == NULL)
		return B_BAD_VALUE;
	for (const RegisteredApp& app : running_apps()) {
		if (strcasecmp(app.signature.String(), signature) == 0)
			return app.team;
	}
	return B_ERROR;
}

void
BRoster::GetAppList(BList* teams) const
{
	GetAppList(NULL, teams);
}

void
BRoster::GetAppList(const char* signature, BList* teams) const
{
	if (teams == NULL)
		return;
	for (const RegisteredApp& app : running_apps()) {
		if (signature == NULL || strcasecmp(app.signature.String(), signature) == 0)
			teams->AddItem((void*)(intptr_t)app.team);
	}
}

status_t
BRoster::GetAppInfo(const char* signature, app_info* info) const
{
	if (signature == NULL || info == NULL)
		return B_BAD_VALUE;
	for (const RegisteredApp& app : running_apps()) {
		if (strcasecmp(app.signature.String(), signature) == 0) {
			if (app.team == current_team() && be_app != NULL)
				return be_app->GetAppInfo(info);
			return fill_info(app, info);
		}
	}
	return B_ERROR;
}

status_t
BRoster::GetRunningAppInfo(team_id team, app_info* info) const
{
	if (info == NULL)
		return B_BAD_VALUE;
	for (const RegisteredApp& app : running_apps()) {
		if (app.team == team) {
			if (app.team == current_team() && be_app != NULL)
				return be_app->GetAppInfo(info);
			return fill_info(app, info);
		}
	}
	return B_BAD_TEAM_ID;
}

status_t
BRoster::Launch(const char* signature, BMessage* initialMessage, team_id* team) const
{
	return _Launch(signature, initialMessage, 0, NULL, team);
}

status_t
BRoster::Launch(const char* signature, int argc, const char* const* args, team_id* team) const
{
	if (argc < 0 || (argc > 0 && args == NULL))
		return B_BAD_VALUE;
	return _Launch(signature, NULL, argc, args, team);
}

status_t
BRoster::Broadcast(BMessage* message) const
{
	return Broadcast(message, be_app_messenger);
}

status_t
BRoster::Broadcast(BMessage* message, BMessenger replyTo) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	for (const RegisteredApp& app : running_apps()) {
		BMessenger target(NULL, app.team);
		// One program that does not read must not hold up the others.
		target.SendMessage(message, replyTo, 1000000);
	}
	return B_OK;
}

status_t
BRoster::_Launch(const char* signature, BMessage* message, int argc, const char* const* args,
	team_id* team) const
{
	if (signature == NULL)
		return B_BAD_VALUE;
	std::string program;
	if (!program_for(signature, &program) || access(program.c_str(), X_OK) != 0)
		return B_LAUNCH_FAILED;
	std::vector<std::string> argv = {program};
	// As on BeOS, args hold the arguments only, not the program's name.
	for (int i = 0; i < argc; i++)
		argv.push_back(args[i] != NULL ? args[i] : "");

	int ready[2];
	if (pipe2(ready, O_CLOEXEC) != 0)
		return B_NO_MORE_FDS;
	team_id child = BPrivate::launch_program_process(argv, ready[1]);
	close(ready[1]);
	bool reachable = child >= 0 && wait_until_reachable(ready[0]);
	close(ready[0]);
	if (child < 0)
		return child;
	if (!reachable)
		return B_LAUNCH_FAILED;
	if (team != NULL)
		*team = child;
	if (message != NULL)
		BMessenger(NULL, child).SendMessage(message);
	return B_OK;
}
