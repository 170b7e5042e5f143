// The daemon's own schedule: with "check_every 5" it checks again after
// five minutes of the driven clock, and not before.
#include "MailFixture.h"

#include <MailDaemonApp.h>

#include <Harness.h>
#include <Messenger.h>
#include <OS.h>

namespace {

status_t
run_app(void* app)
{
	((BApplication*)app)->Run();
	return B_OK;
}

// Says when its first check, made in ReadyToRun, is done.
class ReadyDaemon : public MailDaemonApp {
public:
	void ReadyToRun() override
	{
		MailDaemonApp::ReadyToRun();
		release_sem(ready);
	}

	sem_id ready = create_sem(0, "mail daemon ready");
};

}  // namespace

class CheckIntervalTest : public MailFixture {};

TEST_F(CheckIntervalTest, TheDaemonChecksAgainEveryIntervalOfItsSettings)
{
	LocalMaildir source;
	source.Put("new", "1.a.host", "Subject: one\r\n\r\nbody\r\n");
	WriteSettings(MaildirAccount(source.Path()));
	// WriteSettings puts "check_every 0" first; the later line counts.
	std::string path = fVolume.Write("home/config/settings/mail_accounts",
		"check_every 5\n" + MaildirAccount(source.Path()));
	chmod(path.c_str(), 0600);

	BTest::DriveClock(true);
	ReadyDaemon* app = new ReadyDaemon();
	thread_id thread = spawn_thread(run_app, "mail daemon", B_NORMAL_PRIORITY, app);
	resume_thread(thread);
	BMessenger daemon(app);
	// A message answered after every message before it was handled.
	auto settled = [&] {
		BMessage reply;
		return daemon.SendMessage('sync', &reply) == B_OK;
	};
	ASSERT_EQ(acquire_sem_etc(app->ready, 1, B_RELATIVE_TIMEOUT, 60000000), B_OK);
	EXPECT_EQ(Filed().size(), 1u);

	source.Put("new", "2.a.host", "Subject: two\r\n\r\nbody\r\n");
	ASSERT_EQ(BTest::AdvanceClock(4 * 60000000LL), B_OK);
	ASSERT_TRUE(settled());
	EXPECT_EQ(Filed().size(), 1u);
	ASSERT_EQ(BTest::AdvanceClock(60000000LL), B_OK);
	ASSERT_TRUE(settled());
	EXPECT_EQ(Filed().size(), 2u);

	app->PostMessage(B_QUIT_REQUESTED);
	status_t result;
	wait_for_thread(thread, &result);
	delete_sem(app->ready);
	delete app;
	BTest::DriveClock(false);
}
