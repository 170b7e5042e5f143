// The alert samba_post leaves on the screen, as a person sees it.
#ifndef SAMBA_ALERT_H
#define SAMBA_ALERT_H

#include <Alert.h>
#include <Button.h>
#include <Harness.h>

#include <gtest/gtest.h>

#include <string>

struct ShownAlert {
	std::string title;
	std::string text;
	std::string button;
	int32 buttons = 0;
	alert_type type = B_EMPTY_ALERT;
	float width = 0;
	bool escapePresses = false;
};

// Waits for samba_post's alert ("error" or "Pingbox"), reads it, optionally
// writes a screenshot, closes it with Escape and waits until it is gone.
inline ShownAlert
take_samba_alert(const char* screenshot = NULL)
{
	ShownAlert shown;
	BAlert* alert = NULL;
	BTest::WaitFor([&] {
		for (const char* title : {"error", "Pingbox"}) {
			if ((alert = dynamic_cast<BAlert*>(BTest::WaitForWindow(title, 0))) != NULL)
				return true;
		}
		return false;
	});
	if (alert == NULL) {
		ADD_FAILURE() << "no alert appeared";
		return shown;
	}
	EXPECT_TRUE(BTest::Sync(alert));
	BTest::Locked(alert, [&] {
		shown.title = alert->Title();
		shown.text = alert->Text();
		shown.buttons = alert->CountButtons();
		if (alert->ButtonAt(0) != NULL && alert->ButtonAt(0)->Label() != NULL)
			shown.button = alert->ButtonAt(0)->Label();
		shown.type = alert->AlertType();
		shown.width = alert->Bounds().Width() + 1;
	});
	if (screenshot != NULL) {
		EXPECT_EQ(BTest::WriteWindowPNG(alert, BTest::ScreenshotPath(screenshot).c_str()), B_OK);
	}
	std::string title = shown.title;
	BTest::PressKey(alert, "\x1b");
	shown.escapePresses
		= BTest::WaitFor([&] { return BTest::WaitForWindow(title.c_str(), 0) == NULL; });
	return shown;
}

#endif
