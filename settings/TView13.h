#ifndef _TVIEW13_H
#define _TVIEW13_H

#include <View.h>

class BBox;
class BButton;
class BCheckBox;
class BTextControl;

// The options window's view: builds its controls, fills them from the
// settings file, and saves them back on SAVE.
class TView13 : public BView {
public:
	TView13(BRect frame);

	void AttachedToWindow() override;
	void MessageReceived(BMessage* message) override;

private:
	void _Load();
	status_t _Save();

	BBox* fIdentityBox = NULL;
	BBox* fSoundBox = NULL;
	BBox* fAnswerBox = NULL;
	BButton* fSaveButton = NULL;
	BButton* fMoreButton = NULL;
	BCheckBox* fAllSound = NULL;
	BCheckBox* fWorkSound = NULL;
	BCheckBox* fPersoSound = NULL;
	BCheckBox* fNotifications = NULL;
	BTextControl* fName = NULL;
	BTextControl* fGroup = NULL;
	BTextControl* fAnswer = NULL;
};

#endif
