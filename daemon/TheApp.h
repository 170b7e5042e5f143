#ifndef _THE_APP_H
#define _THE_APP_H

#include <Application.h>

#include <PopClass.h>

// The receiving daemon: Samba runs it once per message. All of its work is
// done in the constructor, before the message loop would start.
class TheApp : public BApplication {
public:
	TheApp(int argc, char** argv);
	~TheApp() override;

private:
	PopClass* magestion;
};

#endif
