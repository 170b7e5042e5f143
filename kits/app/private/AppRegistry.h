#ifndef _APP_REGISTRY_H
#define _APP_REGISTRY_H

// The running applications of this user, as their files in the private
// folder tell: a socket named after the team and a small description beside
// it. A team that died without cleaning up is recognised and its files go.

#include <OS.h>
#include <String.h>

#include <vector>

namespace BPrivate {

struct RegisteredApp {
	team_id team = -1;
	thread_id thread = -1;
	uint32 flags = 0;
	int32 looperToken = -1;
	BString signature;
};

// Writes this team's description; answers B_OK when it is in place.
status_t register_app(const BString& folder, const RegisteredApp& app);
void unregister_app(const BString& folder, team_id team);

// The live applications, oldest first; files of dead teams are removed.
std::vector<RegisteredApp> registered_apps();
bool registered_app(team_id team, RegisteredApp* app);

} // namespace BPrivate

#endif
