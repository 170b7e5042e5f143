#ifndef LETTEROL_H
#define LETTEROL_H

#include <Application.h>

class Messagewindow;

// The new-mail lister: its window scans for new mail as it is built.
class letterol : public BApplication {
public:
	letterol();
	~letterol() override;

	Messagewindow* Window() const { return fWindow; }

private:
	Messagewindow* fWindow;
};

#endif
