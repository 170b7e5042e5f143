#ifndef _VISIBLE_TEXT_H
#define _VISIBLE_TEXT_H

#include <stddef.h>

#include <string>

// Text that came from elsewhere (a server, a message), made safe to write to
// a terminal: control characters other than tab and line ends become visible
// escapes ("^[" for ESC, "\x00" for NUL, "^?" for DEL, "\xc2\x9b" for a C1
// control in UTF-8), so that no escape sequence in it reaches the terminal.
// Every other byte, UTF-8 letters included, stays as it is.
std::string visible_text(const char* text, size_t length);
std::string visible_text(const std::string& text);

#endif
