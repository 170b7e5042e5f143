#include "DeskbarApp.h"

#include "DeskbarProtocol.h"
#include "DeskbarWindow.h"

#include <Autolock.h>
#include <FindDirectory.h>
#include <Path.h>
#include <Roster.h>
#include <Shelf.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

// A path as one argument of a desktop entry's Exec key: quoted, with the
// characters that are special inside quotes escaped.
std::string
desktop_quoted(const char* path)
{
	std::string quoted = "\"";
	for (const char* c = path; *c != '\0'; c++) {
		if (*c == '"' || *c == '`' || *c == '$' || *c == '\\')
			quoted += "\\\\";
		quoted += *c;
		if (*c == '%')
			quoted += '%';
	}
	return quoted + "\"";
}

} // namespace

TDeskbarApp::TDeskbarApp(const char* shelfPath, int32 dropIndex, const char* program)
	:
	BApplication(BPrivate::kDeskbarSignature)
{
	if (shelfPath != NULL)
		fShelfPath = shelfPath;
	else {
		BPath settings;
		if (find_directory(B_USER_SETTINGS_DIRECTORY, &settings, true) == B_OK) {
			settings.Append("Deskbar_shelf");
			fShelfPath = settings.Path();
		}
	}
	fWindow = new TDeskbarWindow(fShelfPath.Length() > 0 ? fShelfPath.String() : NULL);
	// Out before it can draw again.
	if (dropIndex >= 0)
		fWindow->DropCrashedReplicant(dropIndex);
	if (program != NULL)
		fWindow->GuardAgainstCrashes(program);
	fWindow->Show();
	{
		BAutolock locker(fWindow);
		fWindow->StartTray();
	}
}

void
TDeskbarApp::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case BPrivate::kDeskbarAddItem:
		case BPrivate::kDeskbarRemoveItem:
		case BPrivate::kDeskbarHasItem:
		case BPrivate::kDeskbarCountItems:
		case BPrivate::kDeskbarItemInfo:
		{
			BMessage reply(B_REPLY);
			{
				BAutolock locker(fWindow);
				fWindow->HandleRequest(message, &reply);
			}
			message->SendReply(&reply);
			if (message->what == BPrivate::kDeskbarAddItem
				&& reply.GetInt32("error", B_ERROR) == B_OK)
				_WriteAutostartEntry();
			break;
		}
		default:
			BApplication::MessageReceived(message);
			break;
	}
}

void
TDeskbarApp::_WriteAutostartEntry()
{
	if (fAutostartWritten)
		return;
	fAutostartWritten = true;
	std::string folder;
	const char* config = getenv("XDG_CONFIG_HOME");
	const char* home = getenv("HOME");
	if (config != NULL && config[0] == '/')
		folder = config;
	else if (home != NULL && home[0] == '/')
		folder = std::string(home) + "/.config";
	else
		return;
	mkdir(folder.c_str(), 0700);
	folder += "/autostart";
	mkdir(folder.c_str(), 0700);

	app_info info;
	if (GetAppInfo(&info) != B_OK)
		return;
	BPath program(&info.ref);
	// A line break would end the entry's line.
	if (program.InitCheck() != B_OK || strchr(program.Path(), '\n') != NULL)
		return;
	std::string entry = "[Desktop Entry]\nType=Application\nName=Deskbar\n"
		"Comment=Keeps the tray icons of the Murmelo programs\nExec="
		+ desktop_quoted(program.Path()) + "\nNoDisplay=true\nX-GNOME-Autostart-enabled=true\n";
	std::string path = folder + "/murmelo-deskbar.desktop";
	std::string temporary = path + ".new";
	int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
	if (fd < 0)
		return;
	bool ok = write(fd, entry.data(), entry.size()) == (ssize_t)entry.size();
	ok = close(fd) == 0 && ok;
	if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
		fprintf(stderr, "Deskbar: can't write the autostart entry %s\n", path.c_str());
		unlink(temporary.c_str());
	}
}
