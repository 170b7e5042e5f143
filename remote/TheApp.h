#ifndef FARCALL_THE_APP_H
#define FARCALL_THE_APP_H

#include <Application.h>

class TheApp : public BApplication {
public:
	TheApp(int argc, char** argv);
	~TheApp() override;
};

#endif
