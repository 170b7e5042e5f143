#ifndef _ERREURE_H
#define _ERREURE_H

// Ends the program with an alert when an internal check fails.
class erreure {
public:
	// Shows the alert for code (1 file, 2 environment variable, 3
	// initialisation, any other "Unknown error"), waits for its button, then
	// ends the process with exit status code. Never returns.
	[[noreturn]] void fatal_error(int code, char* name);
};

// The alert text for code, cut to fit the alert's buffer.
void fatal_error_text(int code, const char* name, char* text, int size);

#endif
