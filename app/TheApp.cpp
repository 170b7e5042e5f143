#include "TheApp.h"

#include "TWindow1.h"

#include <BitmapView.h>

#include <Bitmap.h>
#include <HostPath.h>
#include <OS.h>
#include <String.h>
#include <TranslationUtils.h>
#include <Window.h>

#include <stdlib.h>

void
put_install_bin_first_on_path()
{
	BString path = install_directory();
	path << "/bin";
	const char* old = getenv("PATH");
	if (old != NULL && old[0] != '\0')
		path << ":" << old;
	setenv("PATH", path.String(), 1);
}

TheApp::TheApp() : BApplication(MURMELO_SIGNATURE)
{
	put_install_bin_first_on_path();

	BBitmap* bitmap = BTranslationUtils::GetBitmap("start");
	BitmapView* view = NULL;
	BRect frame(0, 0, -1, -1);
	if (bitmap != NULL) {
		frame = bitmap->Bounds();
		view = new BitmapView(bitmap, frame, "BitmapView", B_FOLLOW_LEFT | B_FOLLOW_TOP,
			B_WILL_DRAW);
	}
	BWindow* splash = new BWindow(frame, "starting Murmelo", B_NO_BORDER_WINDOW_LOOK,
		B_NORMAL_WINDOW_FEEL, 0);
	splash->Lock();
	if (view != NULL)
		splash->AddChild(view);
	splash->Unlock();
	splash->MoveTo(300, 200);
	splash->Show();
	snooze(2000000);
	splash->Lock();
	splash->Quit();

	TWindow1* window = new TWindow1((char*)"murmelo", BRect(45, 370, 467, 770));
	window->MoveTo(250, 200);
	window->Show();
}

TheApp::~TheApp()
{
}
