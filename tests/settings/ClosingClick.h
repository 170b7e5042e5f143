#ifndef _CLOSING_CLICK_H
#define _CLOSING_CLICK_H

// A click on a control whose message closes its own window. BTest::Click
// waits on the clicked window after the release, and that window may be
// gone by then; so the release goes in through a witness window that stays
// open (the display server hands it to the window the button went down in).

#include <Harness.h>
#include <Messenger.h>
#include <View.h>
#include <Window.h>

// A window is gone once its handler token no longer resolves; its address
// alone may already belong to a newer window.
inline bool
Gone(const BMessenger& window)
{
	return window.Target(NULL) == NULL;
}

class ClosingClick {
public:
	ClosingClick()
	{
		fWindow = new BWindow(BRect(900, 700, 909, 709), "witness", B_TITLED_WINDOW, 0);
		fView = new BView(fWindow->Bounds(), "witness", B_FOLLOW_ALL_SIDES, 0);
		fWindow->AddChild(fView);
		fWindow->Show();
		BTest::Sync(fWindow);
	}

	status_t Click(BView* view, BPoint where)
	{
		BPoint screen;
		if (!BTest::Locked(view->Window(), [&] { screen = view->ConvertToScreen(where); }))
			return B_BAD_VALUE;
		status_t status = BTest::MouseDown(view, where);
		if (status != B_OK)
			return status;
		BPoint there;
		BTest::Locked(fWindow, [&] { there = fView->ConvertFromScreen(screen); });
		return BTest::MouseUp(fView, there);
	}

private:
	BWindow* fWindow = NULL;
	BView* fView = NULL;
};

#endif
