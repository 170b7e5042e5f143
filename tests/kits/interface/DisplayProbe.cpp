// Shows one window and quits: how a program fares with the display its
// environment names.
#include <Application.h>
#include <Window.h>

class ProbeApp : public BApplication {
public:
	ProbeApp() : BApplication("application/x-vnd.Murmelo-display-probe") {}
	void ReadyToRun() override
	{
		BWindow* window = new BWindow(BRect(10, 10, 109, 109), "probe", B_TITLED_WINDOW, 0);
		window->Show();
		PostMessage(B_QUIT_REQUESTED);
	}
};

int
main()
{
	ProbeApp* app = new ProbeApp;
	app->Run();
	delete app;
	return 0;
}
