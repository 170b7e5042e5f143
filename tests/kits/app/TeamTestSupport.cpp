#include "TeamTestSupport.h"

#include <Application.h>

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

extern char** environ;

const char* kPeerSignature = "application/x-vnd.Murmelo-team-peer";

namespace {

std::string sRuntime;
Answerer* sAnswerer = NULL;

// Every test of this program runs in a private runtime folder, beside its
// own application, with a looper that peers can talk to.
class TeamEnvironment : public ::testing::Environment {
public:
	void SetUp() override
	{
		char folder[] = "/tmp/murmelo-team-XXXXXX";
		ASSERT_NE(mkdtemp(folder), nullptr);
		sRuntime = folder;
		setenv("XDG_RUNTIME_DIR", folder, 1);
		setenv("BE_DISPLAY", "headless", 1);
		signal(SIGPIPE, SIG_IGN);
		new BApplication("application/x-vnd.Murmelo-team-test");
		sAnswerer = new Answerer;
		sAnswerer->Run();
	}

	void TearDown() override
	{
		if (sAnswerer->Lock())
			sAnswerer->Quit();
		delete be_app;
		pid_t child = fork();
		if (child == 0) {
			execlp("rm", "rm", "-rf", "--", sRuntime.c_str(), (char*)NULL);
			_exit(127);
		}
		int status;
		waitpid(child, &status, 0);
	}
};

const ::testing::Environment* sEnvironment
	= ::testing::AddGlobalTestEnvironment(new TeamEnvironment);

} // namespace

TeamPeer::TeamPeer(const std::vector<std::string>& arguments, const char* signature)
{
	static int sCount = 0;
	fErrorPath = sRuntime + "/peer-errors-" + std::to_string(++sCount);
	std::vector<std::string> argv = {TEAM_PEER_PATH, std::string("--signature=") + signature};
	argv.insert(argv.end(), arguments.begin(), arguments.end());
	std::vector<char*> pointers;
	for (std::string& argument : argv)
		pointers.push_back(argument.data());
	pointers.push_back(NULL);

	int ready[2];
	if (pipe2(ready, O_CLOEXEC) != 0)
		return;
	// Everything the child needs is made before the fork: between fork and
	// exec it only calls what is safe there.
	std::string variable = "BE_LAUNCH_FD=" + std::to_string(ready[1]);
	std::vector<char*> environment;
	for (char** entry = environ; *entry != NULL; entry++)
		environment.push_back(*entry);
	environment.push_back(variable.data());
	environment.push_back(NULL);
	fPid = fork();
	if (fPid == 0) {
		int errors = open(fErrorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
		if (errors >= 0)
			dup2(errors, 2);
		fcntl(ready[1], F_SETFD, 0);
		execve(pointers[0], pointers.data(), environment.data());
		_exit(127);
	}
	close(ready[1]);
	pollfd entry = {ready[0], POLLIN, 0};
	char byte;
	fStarted = fPid > 0 && poll(&entry, 1, 20000) == 1 && read(ready[0], &byte, 1) == 1;
	close(ready[0]);
}

TeamPeer::~TeamPeer()
{
	Kill();
}

BMessenger
TeamPeer::Messenger() const
{
	return BMessenger(NULL, fPid);
}

std::string
TeamPeer::Errors() const
{
	std::ifstream file(fErrorPath);
	std::stringstream text;
	text << file.rdbuf();
	return text.str();
}

void
TeamPeer::Kill()
{
	if (fPid <= 0)
		return;
	kill(fPid, SIGKILL);
	int status;
	while (waitpid(fPid, &status, 0) < 0 && errno == EINTR) {
	}
	fPid = -1;
}

Answerer::Answerer() : BLooper("answerer")
{
}

void
Answerer::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case 'ping': {
			BMessage reply('pong');
			reply.AddString("text", message->GetString("text", ""));
			reply.AddInt32("team", getpid());
			message->SendReply(&reply);
			break;
		}
		case 'pong': {
			std::lock_guard<std::mutex> guard(fLock);
			fTexts.push_back(message->GetString("text", ""));
			fArrived.notify_all();
			break;
		}
		default:
			BLooper::MessageReceived(message);
	}
}

bool
Answerer::WaitForPongs(int count)
{
	std::unique_lock<std::mutex> guard(fLock);
	return fArrived.wait_for(guard, std::chrono::seconds(20),
		[&] { return (int)fTexts.size() >= count; });
}

std::vector<std::string>
Answerer::PongTexts()
{
	std::lock_guard<std::mutex> guard(fLock);
	return fTexts;
}

Answerer*
answerer()
{
	return sAnswerer;
}

std::string
runtime_folder_path()
{
	return sRuntime;
}

std::string
app_folder_path()
{
	return sRuntime + "/murmelo-apps";
}

bool
file_exists(const std::string& path)
{
	struct stat info;
	return lstat(path.c_str(), &info) == 0;
}
