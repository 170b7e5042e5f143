#include "LauncherView.h"

#include "LauncherDefs.h"

#include <Alert.h>
#include <AppDefs.h>
#include <Message.h>
#include <MenuItem.h>
#include <Messenger.h>
#include <Path.h>
#include <PopUpMenu.h>
#include <SeparatorItem.h>
#include <image.h>

#include <dlfcn.h>
#include <stdio.h>

namespace {

const char* const kAboutText
	= "Launcher\n\nStarts Murmelo, a quick message and the remote control from the "
	  "tray.\n\nPart of the Murmelo suite. Free software: see the license in its "
	  "documentation.";

// Runs a program of the suite and waits for it to end. Its arguments go
// to it as they are: no shell sees the path.
void
run_program(const char* relative, bool announce)
{
	BString path = LauncherView::InstallDirectory();
	path << "/" << relative;
	if (announce) {
		printf("Path for Murmelo:  %s\\n", path.String());
		fflush(stdout);
	}
	const char* argv[] = {path.String(), NULL};
	thread_id child = load_image(1, argv, NULL);
	if (child < 0)
		return;
	status_t ignored;
	wait_for_thread(child, &ignored);
}

} // namespace

LauncherView::LauncherView()
	:
	BView(BRect(0, 0, 1, 1), NULL, 0, 0)
{
	printf("[LauncherView::LauncherView] Constructed.\n");
}

LauncherView::LauncherView(BMessage*)
	:
	BView(BRect(0, 0, 15, 15), "Launcher", 0, B_WILL_DRAW | B_PULSE_NEEDED)
{
	SetViewColor(40, 80, 80, 0);
	printf("[LauncherView::LauncherView] Constructed.\n");
}

LauncherView::~LauncherView()
{
	printf("[LauncherView::~LauncherView] Destructed.\n");
}

status_t
LauncherView::Archive(BMessage* data, bool deep) const
{
	BView::Archive(data, deep);
	data->AddString("add_on", LAUNCHER_SIGNATURE);
	data->AddString("class", "LauncherView");
	return B_OK;
}

BArchivable*
LauncherView::Instantiate(BMessage* data)
{
	if (!validate_instantiation(data, "LauncherView"))
		return NULL;
	return new LauncherView(data);
}

void
LauncherView::MessageReceived(BMessage* message)
{
	thread_func entry = NULL;
	const char* name = NULL;
	switch (message->what) {
		case kLaunchMurmelo:
			entry = folge_entry;
			name = "et hop";
			break;
		case kLaunchQuickMessage:
			entry = folge_entry2;
			name = "et hopia";
			break;
		case kLaunchRemoteControl:
			entry = folge_entry3;
			name = "et hopi";
			break;
		case kRemoveLaunchers:
			entry = folge_entry4;
			name = "et hopiao";
			break;
		case B_ABOUT_REQUESTED:
		{
			BAlert* alert = new BAlert("About Launcher", kAboutText, "OK", NULL, NULL,
				B_WIDTH_AS_USUAL, B_INFO_ALERT);
			alert->Go(NULL);
			break;
		}
		default:
			BView::MessageReceived(message);
			break;
	}
	if (entry != NULL) {
		thread_id thread = spawn_thread(entry, name, B_NORMAL_PRIORITY, this);
		if (thread >= 0)
			resume_thread(thread);
	}
	Invalidate();
}

void
LauncherView::Draw(BRect)
{
	const char* label = "MU";
	BRect bounds = Bounds();
	font_height height;
	GetFontHeight(&height);
	float width = StringWidth(label);
	float x = (bounds.right - bounds.left - width) * 0.5f;
	float y = height.ascent + (bounds.bottom - bounds.top - (height.ascent + height.descent)) * 0.5f;
	SetLowColor(0, 0, 0, 255);
	SetHighColor(255, 0, 0, 255);
	SetDrawingMode(B_OP_OVER);
	DrawString(label, BPoint(x, y));
}

void
LauncherView::MouseDown(BPoint where)
{
	BPopUpMenu* menu = new BPopUpMenu("LauncherView", false, false, B_ITEMS_IN_COLUMN);
	menu->AddItem(new BMenuItem("MURMELO", new BMessage(kLaunchMurmelo)));
	menu->AddItem(new BMenuItem("quick message", new BMessage(kLaunchQuickMessage)));
	menu->AddItem(new BSeparatorItem());
	menu->AddItem(new BMenuItem("tiranso control", new BMessage(kLaunchRemoteControl)));
	menu->AddItem(new BSeparatorItem());
	menu->AddItem(new BMenuItem("About\xE2\x80\xA6", new BMessage(B_ABOUT_REQUESTED)));
	menu->AddItem(new BMenuItem("Quit", new BMessage(kRemoveLaunchers)));
	menu->SetTargetForItems(this);
	ConvertToScreen(&where);
	// Freed by itself once it has closed.
	menu->SetAsyncAutoDestruct(true);
	menu->Go(where, true, false, true);
}

BString
LauncherView::InstallDirectory()
{
	// This module's own file, not the program it runs in: inside the
	// Deskbar, that program lives elsewhere.
	Dl_info info;
	if (dladdr((void*)&LauncherView::Instantiate, &info) == 0 || info.dli_fname == NULL)
		return BString();
	BPath path(info.dli_fname);
	BPath folder;
	if (path.GetParent(&folder) != B_OK || folder.GetParent(&path) != B_OK)
		return BString();
	return BString(path.Path());
}

status_t
LauncherView::folge_entry(void*)
{
	run_program("Murmelo/Murmelo2", true);
	return B_OK;
}

status_t
LauncherView::folge_entry2(void*)
{
	run_program("addon/Sendolo", false);
	return B_OK;
}

status_t
LauncherView::folge_entry3(void*)
{
	run_program("remote/Farcall", false);
	return B_OK;
}

status_t
LauncherView::folge_entry4(void*)
{
	BMessenger deskbar(DESKBAR_SIGNATURE);
	for (;;) {
		BMessage request(B_DELETE_PROPERTY);
		request.AddSpecifier("Replicant", "LauncherView");
		request.AddSpecifier("Shelf");
		request.AddSpecifier("View", "Status");
		request.AddSpecifier("Window", "Deskbar");
		BMessage reply;
		if (deskbar.SendMessage(&request, &reply) != B_OK) {
			// Nothing to wait for: no Deskbar answers.
			printf("Launcher: the Deskbar can't be reached; no icon removed.\n");
			break;
		}
		if (reply.what == B_MESSAGE_NOT_UNDERSTOOD)
			break;
	}
	return B_OK;
}
