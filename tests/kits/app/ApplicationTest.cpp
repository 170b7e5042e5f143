#include <Application.h>

#include <gtest/gtest.h>

#include <signal.h>

namespace {

class TestApp : public BApplication {
public:
	TestApp() : BApplication("application/x-vnd.Murmelo-test") {}
	void ReadyToRun() override
	{
		readyToRun++;
		if (sendSignal)
			kill(getpid(), SIGTERM);
		else
			PostMessage(B_QUIT_REQUESTED);
	}
	bool QuitRequested() override
	{
		quitRequested++;
		return BApplication::QuitRequested();
	}
	int readyToRun = 0;
	int quitRequested = 0;
	bool sendSignal = false;
};

} // namespace

TEST(BApplication, RunsReadyToRunThenQuitsThroughQuitRequested)
{
	TestApp* app = new TestApp;
	EXPECT_EQ(app->InitCheck(), B_OK);
	EXPECT_EQ(be_app, app);
	app_info info;
	ASSERT_EQ(app->GetAppInfo(&info), B_OK);
	EXPECT_STREQ(info.signature, "application/x-vnd.Murmelo-test");
	EXPECT_STREQ(info.ref.name, "test_app_kit");

	app->Run();
	EXPECT_EQ(app->readyToRun, 1);
	EXPECT_EQ(app->quitRequested, 1);
	delete app;
	EXPECT_EQ(be_app, nullptr);
}

TEST(BApplication, TerminationSignalQuitsCleanly)
{
	TestApp* app = new TestApp;
	app->sendSignal = true;
	app->Run();
	EXPECT_EQ(app->quitRequested, 1);
	delete app;
}

TEST(BApplication, RefusesASignatureOutsideApplication)
{
	status_t error;
	BApplication* app = new BApplication("text/plain", &error);
	EXPECT_EQ(error, B_BAD_VALUE);
	delete app;
}
