// A small application the team messaging tests talk to from another
// process: it answers, holds, drops or dies as a message asks.

#include <Application.h>
#include <View.h>
#include <Window.h>

#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

class PeerApp : public BApplication {
public:
	PeerApp(const char* signature) : BApplication(signature) {}

	void ArgvReceived(int32 argc, char** argv) override
	{
		for (int32 i = 1; i < argc; i++)
			fArguments.push_back(argv[i]);
	}

	void MessageReceived(BMessage* message) override
	{
		switch (message->what) {
			case 'ping': {
				BMessage reply(*message);
				reply.what = 'pong';
				reply.AddInt32("team", getpid());
				reply.AddBool("remote", message->IsSourceRemote());
				message->SendReply(&reply);
				break;
			}
			case 'drop':
				break;
			case 'hold':
				fHeld.push_back(DetachCurrentMessage());
				break;
			case 'kill':
				raise(SIGKILL);
				break;
			case 'rtr_': {
				// A reply that wants an answer.
				BMessage question('ask?');
				BMessage answer;
				status_t status = message->SendReply(&question, &answer, B_INFINITE_TIMEOUT,
					5000000);
				fLast = status == B_OK ? answer.GetString("text", "(none)") : "(failed)";
				break;
			}
			case 'rmbr':
				fLast = message->GetString("text", "");
				break;
			case 'last': {
				BMessage reply('last');
				reply.AddString("text", fLast.c_str());
				for (const std::string& argument : fArguments)
					reply.AddString("argv", argument.c_str());
				message->SendReply(&reply);
				break;
			}
			case 'call': {
				// Asks the messenger it is given, and answers with that answer.
				BMessenger target;
				message->FindMessenger("target", &target);
				BMessage question('ping');
				question.AddString("text", message->GetString("text", ""));
				BMessage answer;
				status_t status = target.SendMessage(&question, &answer, 5000000, 5000000);
				BMessage reply('pong');
				reply.AddInt32("status", status);
				reply.AddString("text", answer.GetString("text", ""));
				reply.AddInt32("team", answer.GetInt32("team", -1));
				message->SendReply(&reply);
				break;
			}
			case 'seq_': {
				int32 number = message->GetInt32("n", -1);
				if (number != fNext)
					fInOrder = false;
				fNext = number + 1;
				fCount++;
				break;
			}
			case 'seq?': {
				BMessage reply('seq!');
				reply.AddInt32("count", fCount);
				reply.AddBool("in order", fInOrder);
				message->SendReply(&reply);
				break;
			}
			default:
				BApplication::MessageReceived(message);
		}
	}

private:
	std::vector<BMessage*> fHeld;
	std::vector<std::string> fArguments;
	std::string fLast;
	int32 fNext = 0;
	int32 fCount = 0;
	bool fInOrder = true;
};

} // namespace

int
main(int argc, char** argv)
{
	const char* signature = "application/x-vnd.Murmelo-team-peer";
	bool window = false;
	for (int i = 1; i < argc; i++) {
		if (strncmp(argv[i], "--signature=", 12) == 0)
			signature = argv[i] + 12;
		else if (strcmp(argv[i], "--window") == 0)
			window = true;
	}
	PeerApp* app = new PeerApp(signature);
	if (window) {
		BWindow* peerWindow = new BWindow(BRect(100, 100, 299, 199), "Peer window",
			B_TITLED_WINDOW, 0);
		BView* box = new BView(BRect(0, 0, 199, 99), "box", B_FOLLOW_ALL, B_WILL_DRAW);
		box->AddChild(new BView(BRect(10, 10, 59, 39), "inner", B_FOLLOW_NONE, B_WILL_DRAW));
		peerWindow->AddChild(box);
		peerWindow->Show();
	}
	app->Run();
	delete app;
	return 0;
}
