// The roster's view of programs that start, die and are launched.

#include "TeamTestSupport.h"

#include <Application.h>
#include <Roster.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool
listed(const BList& teams, pid_t team)
{
	for (int32 i = 0; i < teams.CountItems(); i++) {
		if ((pid_t)(intptr_t)teams.ItemAt(i) == team)
			return true;
	}
	return false;
}

} // namespace

TEST(Roster, SeesProgramsStartAndDie)
{
	EXPECT_FALSE(be_roster->IsRunning(kPeerSignature));
	EXPECT_TRUE(be_roster->IsRunning("application/x-vnd.Murmelo-team-test"));

	TeamPeer peer;
	ASSERT_TRUE(peer.Started());
	EXPECT_TRUE(be_roster->IsRunning(kPeerSignature));
	EXPECT_EQ(be_roster->TeamFor(kPeerSignature), peer.Team());
	BList all;
	be_roster->GetAppList(&all);
	EXPECT_TRUE(listed(all, peer.Team()));
	EXPECT_TRUE(listed(all, getpid()));

	app_info info;
	ASSERT_EQ(be_roster->GetRunningAppInfo(peer.Team(), &info), B_OK);
	EXPECT_STREQ(info.signature, kPeerSignature);
	EXPECT_EQ(info.team, peer.Team());
	EXPECT_STREQ(info.ref.name, "team_peer");
	app_info bySignature;
	ASSERT_EQ(be_roster->GetAppInfo(kPeerSignature, &bySignature), B_OK);
	EXPECT_EQ(bySignature.team, peer.Team());

	pid_t team = peer.Team();
	peer.Kill();
	EXPECT_FALSE(be_roster->IsRunning(kPeerSignature));
	EXPECT_EQ(be_roster->TeamFor(kPeerSignature), B_ERROR);
	EXPECT_EQ(be_roster->GetRunningAppInfo(team, &info), B_BAD_TEAM_ID);
	EXPECT_EQ(be_roster->GetAppInfo(kPeerSignature, &info), B_ERROR);
	BList after;
	be_roster->GetAppList(&after);
	EXPECT_FALSE(listed(after, team));
	EXPECT_FALSE(file_exists(app_folder_path() + "/" + std::to_string(team)));
}

TEST(Roster, LeftoversOfADeadProgramAreIgnoredAndCleaned)
{
	// A team number nobody uses any more.
	pid_t gone = fork();
	if (gone == 0)
		_exit(0);
	int status;
	waitpid(gone, &status, 0);
	std::string base = app_folder_path() + "/" + std::to_string(gone);
	std::ofstream(base + ".app") << kPeerSignature << "\n12345 " << gone << " 1 7\n";
	std::ofstream(base) << "";

	EXPECT_FALSE(be_roster->IsRunning(kPeerSignature));
	status_t result;
	BMessenger messenger(kPeerSignature, -1, &result);
	EXPECT_EQ(result, B_BAD_VALUE);
	EXPECT_FALSE(file_exists(base));
	EXPECT_FALSE(file_exists(base + ".app"));
}

TEST(Roster, LaunchesBySignatureWithAMessageOrArguments)
{
	std::string list = runtime_folder_path() + "/applications";
	std::ofstream(list) << "# test programs\n" << kPeerSignature << "\t" << TEAM_PEER_PATH << "\n";
	setenv("BE_APPLICATIONS", list.c_str(), 1);

	BMessage hello('rmbr');
	hello.AddString("text", "launched");
	team_id team = -1;
	ASSERT_EQ(be_roster->Launch(kPeerSignature, &hello, &team), B_OK);
	EXPECT_GT(team, 0);
	EXPECT_TRUE(be_roster->IsRunning(kPeerSignature));
	BMessenger launched(NULL, team);
	BMessage reply;
	BMessage ask('last');
	ASSERT_EQ(launched.SendMessage(&ask, &reply, 5000000, 5000000), B_OK);
	EXPECT_STREQ(reply.GetString("text"), "launched");

	const char* arguments[] = {"one", "two words"};
	team_id second = -1;
	ASSERT_EQ(be_roster->Launch(kPeerSignature, 2, arguments, &second), B_OK);
	ASSERT_EQ(BMessenger(NULL, second).SendMessage(&ask, &reply, 5000000, 5000000), B_OK);
	const char* argument;
	EXPECT_TRUE(reply.FindString("argv", 0, &argument) == B_OK
		&& std::string(argument) == "one");
	EXPECT_TRUE(reply.FindString("argv", 1, &argument) == B_OK
		&& std::string(argument) == "two words");

	EXPECT_EQ(be_roster->Launch("application/x-vnd.Murmelo-nobody"), B_LAUNCH_FAILED);
	EXPECT_EQ(be_roster->Launch(NULL), B_BAD_VALUE);

	for (team_id launched : {team, second}) {
		if (launched > 0)
			kill(launched, SIGKILL);
	}
	unsetenv("BE_APPLICATIONS");
}

TEST(Roster, TheInstallTreeListsTheSuite)
{
	std::ifstream file(MURMELO_TREE "/applications");
	std::stringstream text;
	text << file.rdbuf();
	EXPECT_NE(text.str().find("application/x-vnd.Murmelod\tdaemon/Murmelod\n"), std::string::npos)
		<< text.str();
}

TEST(Roster, BroadcastReachesEveryApplication)
{
	TeamPeer first;
	TeamPeer second({}, "application/x-vnd.Murmelo-team-peer2");
	ASSERT_TRUE(first.Started() && second.Started());
	BMessage message('rmbr');
	message.AddString("text", "to all");
	ASSERT_EQ(be_roster->Broadcast(&message), B_OK);
	for (TeamPeer* peer : {&first, &second}) {
		BMessage reply;
		BMessage ask('last');
		ASSERT_EQ(peer->Messenger().SendMessage(&ask, &reply, 5000000, 5000000), B_OK);
		EXPECT_STREQ(reply.GetString("text"), "to all");
	}
}
