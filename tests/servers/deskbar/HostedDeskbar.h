#ifndef HOSTED_DESKBAR_H
#define HOSTED_DESKBAR_H

// The Deskbar host run inside the test process, on the headless display,
// in a private runtime folder and boot volume: programs started by the test
// (the launcher) reach it as they would reach the installed one.

#include "DeskbarApp.h"
#include "DeskbarWindow.h"

#include <Autolock.h>
#include <Harness.h>
#include <Process.h>
#include <Shelf.h>
#include <TempBootVolume.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <string>

class HostedDeskbar {
public:
	HostedDeskbar()
	{
		chmod(fRuntime.Path().c_str(), 0700);
		setenv("XDG_RUNTIME_DIR", fRuntime.Path().c_str(), 1);
		setenv("XDG_CONFIG_HOME", (fVolume.Root() + "/config").c_str(), 1);
		setenv("BE_DISPLAY", "headless", 1);
		fApp = new TDeskbarApp((fVolume.Root() + "/shelf").c_str());
		fThread = spawn_thread(Run, "deskbar application", B_NORMAL_PRIORITY, fApp);
		resume_thread(fThread);
		fWindow = BTest::WaitForWindow("Deskbar");
	}

	~HostedDeskbar()
	{
		fApp->PostMessage(B_QUIT_REQUESTED);
		status_t result;
		wait_for_thread(fThread, &result);
		delete fApp;
	}

	TDeskbarWindow* Window() const { return fWindow != NULL ? fApp->Window() : NULL; }
	const TempBootVolume& Volume() const { return fVolume; }
	std::string ShelfPath() const { return fVolume.Root() + "/shelf"; }

	int32 Count()
	{
		BAutolock locker(fApp->Window());
		return fApp->Window()->Shelf()->CountReplicants();
	}

	bool InTray()
	{
		BAutolock locker(fApp->Window());
		return fApp->Window()->InTray();
	}

	BView* ReplicantAt(int32 index)
	{
		BAutolock locker(fApp->Window());
		BView* view = NULL;
		fApp->Window()->Shelf()->ReplicantAt(index, &view);
		return view;
	}

	void Clear()
	{
		BAutolock locker(fApp->Window());
		while (fApp->Window()->Shelf()->CountReplicants() > 0)
			fApp->Window()->Shelf()->DeleteReplicant((int32)0);
	}

private:
	static status_t Run(void* data)
	{
		((BApplication*)data)->Run();
		return B_OK;
	}

	TempDir fRuntime{"murmelo-deskbar-run"};
	TempBootVolume fVolume;
	TDeskbarApp* fApp = NULL;
	thread_id fThread = -1;
	BWindow* fWindow = NULL;
};

#endif
