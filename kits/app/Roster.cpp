#include <Roster.h>

#include <Application.h>
#include <HostPath.h>

#include <string.h>
#include <strings.h>

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

BRoster::BRoster()
{
}

status_t
BRoster::GetAppInfo(const char* signature, app_info* info) const
{
	if (signature == NULL || info == NULL)
		return B_BAD_VALUE;
	if (be_app == NULL || strcasecmp(signature, be_app->Signature()) != 0)
		return B_ERROR;
	return be_app->GetAppInfo(info);
}

status_t
BRoster::GetRunningAppInfo(team_id team, app_info* info) const
{
	if (info == NULL)
		return B_BAD_VALUE;
	if (be_app == NULL || team != current_team())
		return B_BAD_TEAM_ID;
	return be_app->GetAppInfo(info);
}

bool
BRoster::IsRunning(const char* signature) const
{
	return signature != NULL && be_app != NULL && strcasecmp(signature, be_app->Signature()) == 0;
}

team_id
BRoster::TeamFor(const char* signature) const
{
	return IsRunning(signature) ? current_team() : B_ERROR;
}
