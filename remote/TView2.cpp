#include "TView2.h"

#include "BitmapView.h"
#include "FarcallDefs.h"
#include "FtpClient.h"

#include <Bitmap.h>
#include <Button.h>
#include <TextControl.h>
#include <TranslationUtils.h>

#include <stdio.h>
#include <stdlib.h>

TView2::TView2(BRect frame)
	: BView(frame, "TView2", B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_NAVIGABLE)
{
	SetViewColor(219, 219, 219);
	const uint32 follow = B_FOLLOW_LEFT | B_FOLLOW_TOP;
	const uint32 flags = B_WILL_DRAW | B_NAVIGABLE;

	fConnect = new BButton(BRect(37, 26, 106, 50), "Mon_Boutton", "connect",
		new BMessage(kConnectPressed), follow, flags);
	AddChild(fConnect);

	fAddress = new BTextControl(BRect(53, 124, 211, 149), "MonTextControl", "IP:", "",
		new BMessage(kAddressCommitted), follow, flags);
	AddChild(fAddress);

	fLogin = new BTextControl(BRect(53, 104, 211, 129), "Destinataire", "login:", "",
		new BMessage(kLoginCommitted), follow, flags);
	AddChild(fLogin);

	if (BBitmap* picture = BTranslationUtils::GetBitmap("mainjoli")) {
		BitmapView* pictureView
			= new BitmapView(picture, picture->Bounds(), "BitmapView", follow, B_WILL_DRAW);
		pictureView->MoveTo(190, 20);
		AddChild(pictureView);
	}

	fPassword = new BTextControl(BRect(53, 154, 211, 179), "message_a_moi", "password:", "",
		new BMessage(kLoginCommitted), follow, flags);
	// What is typed here is a password: it is never shown.
	fPassword->TextView()->HideTyping(true);
	AddChild(fPassword);
}

void
TView2::AttachedToWindow()
{
	fAddress->SetTarget(this);
	fConnect->SetTarget(this);
	BView::AttachedToWindow();
}

void
TView2::MessageReceived(BMessage* message)
{
	if (message->what != kConnectPressed)
		return;

	// The fetch runs on the window's thread and ends the program.
	FtpClient* client = new FtpClient;
	const char* failure = fetch_message_file(client, fAddress->Text(), fLogin->Text(),
		fPassword->Text());
	fflush(stdout);
	if (failure != NULL) {
		printf("%s\n", failure);
		fflush(stdout);
		exit(0);
	}
	exit(1);
}
