#include "MailIdentity.h"

#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

namespace BPrivate {

namespace {

std::string
login_name()
{
	std::vector<char> buffer(16384);
	struct passwd entry;
	struct passwd* found = NULL;
	if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0
		&& found != NULL && found->pw_name[0] != '\0')
		return found->pw_name;
	for (const char* variable : {"LOGNAME", "USER"}) {
		const char* name = getenv(variable);
		if (name != NULL && name[0] != '\0')
			return name;
	}
	return "user";
}


bool
is_atom_text(const std::string& text)
{
	if (text.empty())
		return false;
	for (unsigned char c : text) {
		if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
				|| std::string("!#$%&'*+-/=?^_`{|}~.").find(c) != std::string::npos))
			return false;
	}
	return text.front() != '.' && text.back() != '.' && text.find("..") == std::string::npos;
}

} // namespace


std::string
mail_default_sender()
{
	std::string local = login_name();
	if (!is_atom_text(local)) {
		std::string quoted = "\"";
		for (char c : local) {
			if (c == '"' || c == '\\')
				quoted += '\\';
			if (c != '\r' && c != '\n')
				quoted += c;
		}
		local = quoted + "\"";
	}
	return local + "@" + mail_host_domain();
}


std::string
mail_host_domain()
{
	// The name the host gives itself: resolving it further could ask a name
	// server elsewhere on the network.
	char host[HOST_NAME_MAX + 1] = {};
	if (gethostname(host, sizeof(host) - 1) != 0)
		host[0] = '\0';
	std::string domain;
	for (const char* c = host; *c != '\0'; c++) {
		bool letter = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z')
			|| (*c >= '0' && *c <= '9') || *c == '-';
		if (letter)
			domain += *c;
		else if (*c == '.' && !domain.empty() && domain.back() != '.')
			domain += '.';
	}
	while (!domain.empty() && domain.back() == '.')
		domain.pop_back();
	return domain.empty() ? "localhost" : domain;
}

} // namespace BPrivate
