#ifndef _MAIL_IDENTITY_H
#define _MAIL_IDENTITY_H

#include <string>

namespace BPrivate {

// The From address of a mail the caller gave none. There are no mail settings
// yet, so it is the login name at the host name; settings, once they exist,
// are read here.
std::string mail_default_sender();

// The host name, reduced to what a domain may hold (for Message-IDs).
std::string mail_host_domain();

} // namespace BPrivate

#endif
