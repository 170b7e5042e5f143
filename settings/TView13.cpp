#include "TView13.h"

#include "MurmeloSettings.h"
#include "OptionsMessages.h"
#include "advancedWindow.h"

#include <Alert.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <TextControl.h>
#include <Window.h>

#include <Errors.h>

namespace {

const uint32 kControlFlags = B_WILL_DRAW | B_NAVIGABLE;

} // namespace

TView13::TView13(BRect frame)
	:
	BView(frame, "TView13", B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_NAVIGABLE)
{
	BBox* top = new BBox(Bounds(), "top", B_FOLLOW_ALL_SIDES, kControlFlags, B_PLAIN_BORDER);
	AddChild(top);

	fSoundBox = new BBox(BRect(10, 120, 220, 350), "option", B_FOLLOW_LEFT | B_FOLLOW_TOP,
		kControlFlags, B_FANCY_BORDER);
	fSoundBox->SetLabel("sound options");
	fAllSound = new BCheckBox(BRect(27, 184, 200, 202), "sound_all-popup", "all-pop sound",
		new BMessage(MSG_ALL_SOUND), B_FOLLOW_LEFT | B_FOLLOW_TOP, kControlFlags);
	fWorkSound = new BCheckBox(BRect(27, 117, 200, 135), "worksound", "workgroup popup sound",
		new BMessage(MSG_WORK_SOUND), B_FOLLOW_LEFT | B_FOLLOW_TOP, kControlFlags);
	fPersoSound = new BCheckBox(BRect(27, 50, 138, 63), "persoCheck", "perso popup sound",
		new BMessage(MSG_PERSO_SOUND), B_FOLLOW_LEFT | B_FOLLOW_TOP, kControlFlags);
	fSoundBox->AddChild(fAllSound);
	fSoundBox->AddChild(fWorkSound);
	fSoundBox->AddChild(fPersoSound);
	top->AddChild(fSoundBox);

	fAnswerBox = new BBox(BRect(230, 120, 400, 279), "repon", B_FOLLOW_LEFT | B_FOLLOW_TOP,
		kControlFlags, B_FANCY_BORDER);
	fAnswerBox->SetLabel("automatic answer");
	fAnswer = new BTextControl(BRect(5, 78, 160, 94), "repondeur", "repondeur", "I'm away",
		new BMessage(MSG_ANSWER_CHANGED), B_FOLLOW_LEFT | B_FOLLOW_TOP, kControlFlags);
	fAnswerBox->AddChild(fAnswer);
	top->AddChild(fAnswerBox);

	fIdentityBox = new BBox(BRect(10, 30, 400, 100), "identité", B_FOLLOW_LEFT | B_FOLLOW_TOP,
		kControlFlags, B_FANCY_BORDER);
	fIdentityBox->SetLabel("identity");
	fName = new BTextControl(BRect(220, 30, 367, 44), "name", "Name", "computer name",
		new BMessage(MSG_NAME_CHANGED), B_FOLLOW_LEFT | B_FOLLOW_TOP, kControlFlags);
	fGroup = new BTextControl(BRect(19, 30, 154, 44), "groupe_selector", "Groupe", "Workgroup",
		new BMessage(MSG_GROUP_CHANGED), B_FOLLOW_LEFT | B_FOLLOW_TOP, kControlFlags);
	fIdentityBox->AddChild(fName);
	fIdentityBox->AddChild(fGroup);
	top->AddChild(fIdentityBox);

	fSaveButton = new BButton(BRect(270, 314, 345, 338), "save_config", "SAVE",
		new BMessage(MSG_SAVE_CONFIG), B_FOLLOW_LEFT | B_FOLLOW_TOP, kControlFlags);
	fMoreButton = new BButton(BRect(270, 338, 345, 360), "advanced_config", "More...",
		new BMessage(MSG_ADVANCED), B_FOLLOW_LEFT | B_FOLLOW_TOP, kControlFlags);
	top->AddChild(fSaveButton);
	top->AddChild(fMoreButton);

	// Last, after the given controls, in the free band between the answer box and SAVE.
	fNotifications = new BCheckBox(BRect(232, 288, 400, 306), "notifications",
		"desktop notifications", new BMessage(MSG_NOTIFICATIONS), B_FOLLOW_LEFT | B_FOLLOW_TOP,
		kControlFlags);
	fNotifications->SetValue(B_CONTROL_ON);
	top->AddChild(fNotifications);

	_Load();
}

void
TView13::AttachedToWindow()
{
	BView::AttachedToWindow();
	// The answer field keeps the window as its target, which ignores it:
	// only SAVE stores the answer.
	fMoreButton->SetTarget(this);
	fGroup->SetTarget(this);
	fName->SetTarget(this);
	fPersoSound->SetTarget(this);
	fWorkSound->SetTarget(this);
	fAllSound->SetTarget(this);
	fNotifications->SetTarget(this);
	fSaveButton->SetTarget(this);
}

void
TView13::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case MSG_ALL_SOUND:
		case MSG_PERSO_SOUND:
		case MSG_WORK_SOUND:
		case MSG_NOTIFICATIONS:
			// The check box holds the choice; SAVE stores its state.
			break;
		case MSG_ADVANCED:
			new advancedWindow();
			break;
		case MSG_SAVE_CONFIG:
		{
			status_t status = _Save();
			if (status != B_OK) {
				// The entries stay in the window, so nothing typed is lost.
				BString text("\n\nThe settings could not be saved:\n");
				text << be_strerror(status);
				BAlert* alert = new BAlert("error", text.String(), "oki", NULL, NULL,
					B_WIDTH_AS_USUAL, B_OFFSET_SPACING, B_WARNING_ALERT);
				alert->SetShortcut(0, B_ESCAPE);
				alert->Go(NULL);
				break;
			}
			Window()->Quit();
			break;
		}
		default:
			// The Name and Groupe fields' messages change nothing until SAVE.
			break;
	}
}

void
TView13::_Load()
{
	murmelo_settings settings;
	settings.popName = fName->Text();
	settings.group = fGroup->Text();
	settings.answer = fAnswer->Text();
	if (load_murmelo_settings(&settings) != B_OK)
		return;
	fName->SetText(settings.popName.String());
	fGroup->SetText(settings.group.String());
	fAnswer->SetText(settings.answer.String());
	fPersoSound->SetValue(settings.soundPerso != 0 ? B_CONTROL_ON : B_CONTROL_OFF);
	fWorkSound->SetValue(settings.soundWork != 0 ? B_CONTROL_ON : B_CONTROL_OFF);
	fAllSound->SetValue(settings.soundAll != 0 ? B_CONTROL_ON : B_CONTROL_OFF);
	fNotifications->SetValue(settings.notifications != 0 ? B_CONTROL_ON : B_CONTROL_OFF);
}

status_t
TView13::_Save()
{
	murmelo_settings settings;
	settings.group = fGroup->Text();
	settings.popName = fName->Text();
	settings.answer = fAnswer->Text();
	settings.soundPerso = fPersoSound->Value() == B_CONTROL_ON ? 1 : 0;
	settings.soundWork = fWorkSound->Value() == B_CONTROL_ON ? 1 : 0;
	settings.soundAll = fAllSound->Value() == B_CONTROL_ON ? 1 : 0;
	settings.notifications = fNotifications->Value() == B_CONTROL_ON ? 1 : 0;
	return save_murmelo_settings(settings);
}
