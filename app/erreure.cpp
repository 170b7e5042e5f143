#include "erreure.h"

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <InterfaceDefs.h>

#include <stdio.h>
#include <stdlib.h>

static const int kAlertTextSize = 250;

void
fatal_error_text(int code, const char* name, char* text, int size)
{
	const char* format;
	switch (code) {
		case 1:
			format = "Can't read file %s";
			break;
		case 2:
			format = "Can't get Environment Variable %s";
			break;
		case 3:
			format = "Can't initialise %s";
			break;
		default:
			snprintf(text, size, "%s", "Unknown error");
			return;
	}
	snprintf(text, size, format, name != NULL ? name : "");
}

void
erreure::fatal_error(int code, char* name)
{
	char text[kAlertTextSize];
	fatal_error_text(code, name, text, sizeof(text));
	BAlert* alert = new BAlert("About Murmelo", text, "ok", NULL, NULL, B_WIDTH_AS_USUAL,
		B_OFFSET_SPACING, B_WARNING_ALERT);
	alert->SetShortcut(0, B_ESCAPE);
	alert->Go();
	if (be_app != NULL)
		be_app->PostMessage(B_QUIT_REQUESTED);
	fflush(stdout);
	exit(code);
}
