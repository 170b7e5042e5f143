#ifndef _XVFB_DISPLAY_H
#define _XVFB_DISPLAY_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace BTest {

// A private Xvfb server for a test. Xvfb picks a free display itself and
// says which (-displayfd) once it accepts clients, so there is no guessing
// at numbers nor waiting for its socket to appear. Stopped when it goes,
// unless Detach()ed.
class XvfbDisplay {
public:
	// screen as "1024x768x24"; extra arguments such as "-terminate".
	explicit XvfbDisplay(const char* screen = "1024x768x24",
		const std::vector<std::string>& extraArguments = {},
		const std::string& logPath = "");
	~XvfbDisplay();

	bool Started() const { return !fDisplay.empty(); }
	// ":N", for DISPLAY.
	const std::string& Display() const { return fDisplay; }
	pid_t Pid() const { return fPid; }
	// Leaves the server running after this object (one started with
	// "-terminate" ends with its last client).
	void Detach() { fDetached = true; }

private:
	pid_t fPid = -1;
	std::string fDisplay;
	bool fDetached = false;
};

} // namespace BTest

#endif
