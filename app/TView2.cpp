#include "TView2.h"

#include "AddonLauncher.h"
#include "TMenuBarComponent3.h"

#include <BitmapView.h>

#include <Bitmap.h>
#include <Button.h>
#include <CheckBox.h>
#include <OS.h>
#include <TranslationUtils.h>
#include <Window.h>

#include <stdio.h>

TView2::TView2(BRect frame)
	: BView(frame, NULL, B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_NAVIGABLE)
{
	BBitmap* skin = BTranslationUtils::GetBitmap("skin");
	if (skin == NULL) {
		puts("pas de skin");
		fflush(stdout);
	}
	// Without the picture the skin view still covers the strip, so the
	// controls are there and shown.
	BRect skinFrame = skin != NULL ? skin->Bounds() : Bounds();
	BitmapView* skinView = new BitmapView(skin, skinFrame, "BitmapView",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);

	const uint32 flags = B_WILL_DRAW | B_NAVIGABLE;
	const uint32 corner = B_FOLLOW_LEFT | B_FOLLOW_TOP;
	fClearButton = new BButton(BRect(8, 39, 81, 63), "CLEAR", "CLEAR",
		new BMessage(kStripClear), corner, flags);
	fReplyButton = new BButton(BRect(105, 39, 179, 63), "REPLY", "REPLY",
		new BMessage(kStripReply), corner, flags);
	fSendButton = new BButton(BRect(205, 39, 274, 63), "SEND", "SEND",
		new BMessage(kStripSend), corner, flags);
	fMenuBar = new TMenuBarComponent3(BRect(0, 0, 100, 15));
	// Left of the picture, which would hide half of the label.
	fAwayBox = new BCheckBox(BRect(276, 80, 359, 123), "AWAY mode", "AWAY mode",
		new BMessage(kStripAway), B_FOLLOW_ALL_SIDES, flags);

	skinView->AddChild(fClearButton);
	skinView->AddChild(fReplyButton);
	skinView->AddChild(fSendButton);
	skinView->AddChild(fMenuBar);
	skinView->AddChild(fAwayBox);

	BBitmap* joli = BTranslationUtils::GetBitmap("mainjoli");
	if (joli != NULL) {
		BitmapView* joliView = new BitmapView(joli, joli->Bounds(), "BitmapView",
			B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
		joliView->MoveTo(360, 37);
		skinView->AddChild(joliView);
	}

	AddChild(skinView);
}

void
TView2::AttachedToWindow()
{
	fSendButton->SetTarget(this);
	fReplyButton->SetTarget(Window());
	fClearButton->SetTarget(Window());
	fAwayBox->SetTarget(Window());
	BView::AttachedToWindow();
}

void
TView2::MessageReceived(BMessage* message)
{
	if (message->what == kStripSend)
		resume_thread(spawn_thread(envoiBienDuCon, "sending...", B_NORMAL_PRIORITY, this));
	// Every other message is ignored.
}

status_t
TView2::envoiBienDuCon(void*)
{
	// Started with an argument vector, not a shell: a blank or a shell
	// character in the install path is only part of the name. A missing
	// add-on only ends the thread.
	run_addon(addon_path("addon/Sendolo").String());
	return 0;
}
