// The installed Deskbar as programs meet it through BDeskbar: started on
// demand, items by name and id, the saved shelf across a crash, and what it
// does with archives and modules it can't use.
#include "DeskbarProtocol.h"
#include "LauncherView.h"

#include <Deskbar.h>
#include <Entry.h>
#include <Errors.h>
#include <Harness.h>
#include <Message.h>
#include <Messenger.h>
#include <Process.h>
#include <Roster.h>
#include <TempBootVolume.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

const char* kSignature = "application/x-vnd.Be-TSKB";

class DeskbarTest : public ::testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sRuntime = new TempDir("murmelo-deskbar-run");
		chmod(sRuntime->Path().c_str(), 0700);
		setenv("XDG_RUNTIME_DIR", sRuntime->Path().c_str(), 1);
		setenv("BE_APPLICATIONS", MURMELO_TREE "/applications", 1);
		// No bus: the host keeps its own window.
		setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
		sApp = new BTest::HeadlessApp();
	}
	static void TearDownTestSuite()
	{
		delete sApp;
		delete sRuntime;
	}
	void SetUp() override
	{
		setenv("XDG_CONFIG_HOME", (fVolume.Root() + "/config").c_str(), 1);
		setenv("BE_DISPLAY", "headless", 1);
	}
	void TearDown() override { Stop(SIGTERM); }

	// Ends the running Deskbar and collects it.
	static void Stop(int signal)
	{
		team_id team = be_roster->TeamFor(kSignature);
		if (team < 0)
			return;
		kill(team, signal);
		waitpid(team, NULL, 0);
	}

	std::string ShelfPath() const { return fVolume.Root() + "/home/config/settings/Deskbar_shelf"; }

	static TempDir* sRuntime;
	static BTest::HeadlessApp* sApp;
	TempBootVolume fVolume;
};

TempDir* DeskbarTest::sRuntime = NULL;
BTest::HeadlessApp* DeskbarTest::sApp = NULL;

} // namespace

TEST_F(DeskbarTest, ItemsAreFoundByNameAndIdAndComeBackAfterACrash)
{
	BDeskbar deskbar;
	EXPECT_FALSE(deskbar.IsRunning());
	LauncherView view;
	int32 first = -1, second = -1;
	ASSERT_EQ(deskbar.AddItem(&view, &first), B_OK);
	EXPECT_TRUE(deskbar.IsRunning());
	ASSERT_EQ(deskbar.AddItem(&view, &second), B_OK);
	EXPECT_NE(first, second);
	EXPECT_EQ(deskbar.CountItems(), 2);
	EXPECT_TRUE(deskbar.HasItem("Launcher"));
	EXPECT_TRUE(deskbar.HasItem(second));
	EXPECT_FALSE(deskbar.HasItem("Nothing"));
	const char* name = NULL;
	ASSERT_EQ(deskbar.GetItemInfo(first, &name), B_OK);
	EXPECT_STREQ(name, "Launcher");
	int32 id = -1;
	ASSERT_EQ(deskbar.GetItemInfo("Launcher", &id), B_OK);
	EXPECT_EQ(id, first);
	EXPECT_EQ(deskbar.GetItemInfo(9999, &name), B_NAME_NOT_FOUND);

	ASSERT_EQ(deskbar.RemoveItem(first), B_OK);
	EXPECT_FALSE(deskbar.HasItem(first));
	EXPECT_EQ(deskbar.RemoveItem(first), B_NAME_NOT_FOUND);
	EXPECT_EQ(deskbar.CountItems(), 1);

	// The login starts it again.
	std::string autostart = read_file(fVolume.Root() + "/config/autostart/murmelo-deskbar.desktop");
	EXPECT_NE(autostart.find("Exec=\"" MURMELO_TREE "/bin/Deskbar\"\n"), std::string::npos)
		<< autostart;

	// Killed with the icon in: the next call starts it with the icon back.
	Stop(SIGKILL);
	EXPECT_FALSE(deskbar.IsRunning());
	EXPECT_EQ(deskbar.CountItems(), 1);
	EXPECT_TRUE(deskbar.HasItem("Launcher"));
	ASSERT_EQ(deskbar.RemoveItem("Launcher"), B_OK);
	EXPECT_EQ(deskbar.CountItems(), 0);
}

TEST_F(DeskbarTest, UnusableArchivesModulesAndShelvesLeaveTheHostRunning)
{
	BDeskbar deskbar;
	LauncherView view;
	ASSERT_EQ(deskbar.AddItem(&view), B_OK);

	// An archive of a class no code is found for.
	BMessage archive;
	archive.AddString("class", "TNoSuchClass");
	archive.AddString("add_on", "application/x-vnd.nobody");
	BMessage request(BPrivate::kDeskbarAddItem);
	request.AddMessage("view", &archive);
	BMessage reply;
	ASSERT_EQ(BMessenger(kSignature).SendMessage(&request, &reply), B_OK);
	EXPECT_EQ(reply.GetInt32("error", B_OK), B_NAME_NOT_FOUND);

	// Modules that can't be loaded, or hold no item.
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("/etc/hostname", &ref), B_OK);
	EXPECT_NE(deskbar.AddItem(&ref), B_OK);
	ASSERT_EQ(get_ref_for_path(MURMELO_TREE "/launcher/libLauncherView.so", &ref), B_OK);
	EXPECT_EQ(deskbar.AddItem(&ref), B_MISSING_SYMBOL);
	EXPECT_EQ(deskbar.CountItems(), 1);

	// A damaged saved shelf is kept aside, never overwritten.
	Stop(SIGTERM);
	std::string garbage = "not a shelf at all";
	fVolume.Write("home/config/settings/Deskbar_shelf", garbage);
	EXPECT_EQ(deskbar.CountItems(), 0);
	EXPECT_EQ(read_file(ShelfPath() + ".bad"), garbage);
	ASSERT_EQ(deskbar.AddItem(&view), B_OK);
	EXPECT_EQ(deskbar.CountItems(), 1);
	EXPECT_EQ(read_file(ShelfPath() + ".bad"), garbage);
}

TEST_F(DeskbarTest, ReplicantCrashingInDrawIsTakenOutAndTheDeskbarGoesOn)
{
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
	// The sanitizers own a program's faults: they end it with their report.
	GTEST_SKIP() << "a deliberate fault under a sanitizer";
#endif
	BDeskbar deskbar;
	LauncherView view;
	ASSERT_EQ(deskbar.AddItem(&view), B_OK);
	team_id team = be_roster->TeamFor(kSignature);
	ASSERT_GE(team, 0);

	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(CRASHING_REPLICANT, &ref), B_OK);
	deskbar.AddItem(&ref);
	// Another Deskbar follows, told which replicant to leave out.
	ASSERT_TRUE(BTest::WaitFor([&] {
		team_id now = be_roster->TeamFor(kSignature);
		return now >= 0 && now != team;
	}, 20000000));
	// The one that crashed was started by this process.
	waitpid(team, NULL, 0);
	team_id restarted = be_roster->TeamFor(kSignature);
	EXPECT_NE(read_file("/proc/" + std::to_string(restarted) + "/cmdline").find("--drop-replicant"),
		std::string::npos);
	EXPECT_FALSE(deskbar.HasItem("Crasher"));
	EXPECT_TRUE(deskbar.HasItem("Launcher"));
	EXPECT_EQ(deskbar.CountItems(), 1);
}
