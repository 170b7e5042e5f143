#include "advancedWindow.h"

#include "IrcSettings.h"
#include "OptionsMessages.h"

#include <Alert.h>
#include <Autolock.h>
#include <Button.h>
#include <Errors.h>
#include <TextControl.h>

#include <math.h>

namespace {

BTextControl*
make_field(BView* parent, BRect frame, const char* name, const char* label, const char* text)
{
	BTextControl* field = new BTextControl(frame, name, label, text, NULL,
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	field->SetDivider(35);
	parent->AddChild(field);
	return field;
}

// A frame the window can take: finite, and not turned inside out.
bool
usable_frame(float top, float bottom, float left, float right)
{
	return isfinite(top) && isfinite(bottom) && isfinite(left) && isfinite(right)
		&& right >= left && bottom >= top;
}

} // namespace

advancedWindow::advancedWindow()
	:
	BWindow(BRect(100, 100, 600, 500), "Murmelo IRC", B_DOCUMENT_WINDOW, B_NOT_ZOOMABLE,
		B_CURRENT_WORKSPACE)
{
	SetTitle("IRC options");

	fBackground = new BView(Bounds(), "Background", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	fBackground->SetViewColor(143, 166, 240, 255);
	AddChild(fBackground);

	fNick = make_field(fBackground, BRect(5, 30, 190, 115), "Nick", "Nick", "qulbo");
	fAltNick = make_field(fBackground, BRect(195, 30, 380, 115), "AltNick", "AltNick",
		"_qulbo_");
	fIdent = make_field(fBackground, BRect(5, 51, 190, 136), "Ident", "Identity",
		"qulbo@murmelo.invalid");
	fName = make_field(fBackground, BRect(195, 51, 380, 136), "Name", "Name", "varnoth");
	fServer = make_field(fBackground, BRect(5, 72, 190, 157), "Server", "Server",
		"irc.murmelo.invalid");
	fPort = make_field(fBackground, BRect(195, 72, 380, 157), "Port", "Port", "6667");

	BButton* save = new BButton(BRect(140, 96, 240, 116), "Connect", "Save that !",
		new BMessage(MSG_IRC_SAVE), B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fBackground->AddChild(save);
	save->SetTarget(this);

	if (irc_settings_exist())
		RestoreSettings2();
	Show();
}

void
advancedWindow::MessageReceived(BMessage* message)
{
	if (message->what != MSG_IRC_SAVE)
		return;

	status_t status = SaveSettings2();
	if (status != B_OK) {
		// The entries stay in the window, so nothing typed is lost.
		BString text("\n\nThe IRC settings could not be saved:\n");
		text << be_strerror(status);
		BAlert* alert = new BAlert("error", text.String(), "oki", NULL, NULL, B_WIDTH_AS_USUAL,
			B_OFFSET_SPACING, B_WARNING_ALERT);
		alert->SetShortcut(0, B_ESCAPE);
		alert->Go(NULL);
		return;
	}
	Quit();
}

void
advancedWindow::RestoreSettings2()
{
	BAutolock lock(irc_settings_locker());

	float left = 0, top = 0, right = -1, bottom = -1;
	// Without a stored frame the window keeps the one it was built with.
	if (RestoreSettings(kIrcFramePrefix, top, bottom, left, right)
		&& usable_frame(top, bottom, left, right)) {
		MoveTo(left, top);
		ResizeTo(right - left, bottom - top);
	}

	irc_texts texts;
	texts.nick = fNick->Text();
	texts.altNick = fAltNick->Text();
	texts.server = fServer->Text();
	texts.port = fPort->Text();
	texts.name = fName->Text();
	texts.ident = fIdent->Text();
	if (!RestoreIrcTexts(&texts))
		return;
	fNick->SetText(texts.nick.String());
	fAltNick->SetText(texts.altNick.String());
	fServer->SetText(texts.server.String());
	fPort->SetText(texts.port.String());
	fName->SetText(texts.name.String());
	fIdent->SetText(texts.ident.String());
}

status_t
advancedWindow::SaveSettings2()
{
	// Two windows saving at once must not interleave their writes.
	BAutolock lock(irc_settings_locker());

	BRect frame = Frame();
	status_t status = SaveSettings(kIrcFramePrefix, frame.top, frame.bottom, frame.left,
		frame.right);
	if (status != B_OK)
		return status;

	irc_texts texts;
	texts.nick = fNick->Text();
	texts.altNick = fAltNick->Text();
	texts.server = fServer->Text();
	texts.port = fPort->Text();
	texts.name = fName->Text();
	texts.ident = fIdent->Text();
	return SaveIrcTexts(texts);
}
