#include "letterol.h"

#include "Messagewindow.h"

letterol::letterol() : BApplication("application/x-vnd.Murmelo.letterol")
{
	fWindow = new Messagewindow("MAIL", BRect(18, 50, 500, 500));
	fWindow->Show();
	fWindow->Activate();
}

letterol::~letterol()
{
}
