#include "AppRegistry.h"

#include "TeamLink.h"

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace BPrivate {

namespace {

// The start time of a process in clock ticks since boot, which tells a live
// team from a later one that got the same number; 0 when it is gone.
unsigned long long
start_time(team_id team)
{
	char path[64];
	snprintf(path, sizeof(path), "/proc/%d/stat", (int)team);
	FILE* file = fopen(path, "re");
	if (file == NULL)
		return 0;
	char line[1024];
	size_t length = fread(line, 1, sizeof(line) - 1, file);
	fclose(file);
	line[length] = '\0';
	// The command name may hold anything, even ')': fields start after the
	// last one.
	const char* rest = strrchr(line, ')');
	if (rest == NULL)
		return 0;
	char state = 0;
	unsigned long long started = 0;
	// Field 3 is the state, field 22 the start time.
	if (sscanf(rest + 1, " %c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d "
			"%*d %*d %llu", &state, &started) != 2)
		return 0;
	if (state == 'Z' || state == 'X')
		return 0;
	return started;
}

BString
info_path(const BString& folder, team_id team)
{
	BString path(folder);
	path << "/" << (int32)team << ".app";
	return path;
}

BString
socket_file(const BString& folder, team_id team)
{
	BString path(folder);
	path << "/" << (int32)team;
	return path;
}

struct Entry {
	RegisteredApp app;
	unsigned long long started = 0;
};

bool
read_entry(const BString& folder, team_id team, Entry* entry)
{
	FILE* file = fopen(info_path(folder, team).String(), "re");
	if (file == NULL)
		return false;
	char signature[512];
	unsigned long long started = 0;
	int thread = -1, looper = -1;
	unsigned flags = 0;
	bool ok = fgets(signature, sizeof(signature), file) != NULL
		&& fscanf(file, "%llu %d %u %d", &started, &thread, &flags, &looper) == 4;
	fclose(file);
	if (!ok)
		return false;
	signature[strcspn(signature, "\n")] = '\0';
	entry->app.team = team;
	entry->app.thread = thread;
	entry->app.flags = flags;
	entry->app.looperToken = looper;
	entry->app.signature = signature;
	entry->started = started;
	return true;
}

// Whether the team that wrote the entry still runs; if not, its files go.
bool
entry_alive(const BString& folder, const Entry& entry)
{
	unsigned long long started = start_time(entry.app.team);
	if (started != 0 && started == entry.started
		&& access(socket_file(folder, entry.app.team).String(), F_OK) == 0)
		return true;
	// Only a team that is really gone is cleaned: a live one that lost its
	// socket keeps its description until it goes itself.
	if (started == 0 || started != entry.started) {
		unlink(socket_file(folder, entry.app.team).String());
		unlink(info_path(folder, entry.app.team).String());
	}
	return false;
}

} // namespace

status_t
register_app(const BString& folder, const RegisteredApp& app)
{
	BString path = info_path(folder, app.team);
	BString temporary(path);
	temporary << ".new";
	FILE* file = fopen(temporary.String(), "we");
	if (file == NULL)
		return B_ERROR;
	fprintf(file, "%s\n%llu %d %u %d\n", app.signature.String(), start_time(app.team),
		(int)app.thread, (unsigned)app.flags, (int)app.looperToken);
	bool written = fflush(file) == 0;
	written = fclose(file) == 0 && written;
	// Readers see the whole description or none.
	if (!written || rename(temporary.String(), path.String()) != 0) {
		unlink(temporary.String());
		return B_ERROR;
	}
	return B_OK;
}

void
unregister_app(const BString& folder, team_id team)
{
	unlink(info_path(folder, team).String());
	unlink(socket_file(folder, team).String());
}

std::vector<RegisteredApp>
registered_apps()
{
	std::vector<RegisteredApp> apps;
	BString folder;
	if (app_folder(&folder) != B_OK)
		return apps;
	DIR* directory = opendir(folder.String());
	if (directory == NULL)
		return apps;
	std::vector<Entry> entries;
	while (dirent* item = readdir(directory)) {
		char* end = NULL;
		long team = strtol(item->d_name, &end, 10);
		if (end == item->d_name || strcmp(end, ".app") != 0 || team <= 0)
			continue;
		Entry entry;
		if (read_entry(folder, (team_id)team, &entry) && entry_alive(folder, entry))
			entries.push_back(entry);
	}
	closedir(directory);
	std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
		return a.started != b.started ? a.started < b.started : a.app.team < b.app.team;
	});
	for (Entry& entry : entries)
		apps.push_back(entry.app);
	return apps;
}

bool
registered_app(team_id team, RegisteredApp* app)
{
	BString folder;
	if (team <= 0 || app_folder(&folder) != B_OK)
		return false;
	Entry entry;
	if (!read_entry(folder, team, &entry) || !entry_alive(folder, entry))
		return false;
	if (app != NULL)
		*app = entry.app;
	return true;
}

} // namespace BPrivate
