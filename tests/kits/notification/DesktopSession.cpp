#include "DesktopSession.h"

#include <Harness.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

extern char** environ;

namespace {

// No service files: nothing is started on demand.
const char* const kBusConfigHead = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <auth>EXTERNAL</auth>
)";
const char* const kBusConfigTail = R"(
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// The packaged defaults that matter here (markup read in bodies), without
// the user's own rules.
const char* const kServiceConfig = R"([global]
    font = DejaVu Sans 10
    markup = full
    notification_limit = 20
    mouse_left_click = do_action, close_current
    show_indicators = no
)";

// Turns dunstctl's JSON history into one line per notification.
const char* const kHistoryReader = R"(import json, sys
for n in json.load(sys.stdin)["data"][0]:
    print("\x1f".join([str(n["id"]["data"]), n["appname"]["data"], n["summary"]["data"],
        n["body"]["data"].replace("\n", "\\n")]))
)";

bool
in_path(const char* program)
{
	const char* path = getenv("PATH");
	std::string paths = path != NULL ? path : "/usr/bin:/bin";
	size_t start = 0;
	while (start <= paths.size()) {
		size_t end = paths.find(':', start);
		if (end == std::string::npos)
			end = paths.size();
		std::string candidate = paths.substr(start, end - start) + "/" + program;
		if (access(candidate.c_str(), X_OK) == 0)
			return true;
		start = end + 1;
	}
	return false;
}

void
stop(pid_t pid)
{
	if (pid <= 0)
		return;
	kill(pid, SIGTERM);
	waitpid(pid, NULL, 0);
}

std::vector<std::string>
split(const std::string& text, char separator)
{
	std::vector<std::string> parts;
	size_t start = 0;
	for (;;) {
		size_t end = text.find(separator, start);
		parts.push_back(text.substr(start, end - start));
		if (end == std::string::npos)
			return parts;
		start = end + 1;
	}
}

} // namespace

DesktopSession::DesktopSession(bool withService)
{
	fProblem = Missing(withService);
	if (!fProblem.empty())
		return;

	std::string socket = fDir.Path() + "/bus";
	fAddress = "unix:path=" + socket;
	std::string config = fDir.Path() + "/bus.conf";
	std::ofstream(config) << kBusConfigHead << "  <listen>" << fAddress << "</listen>\n"
						  << kBusConfigTail;
	// The daemon prints its address once it listens: that line is the
	// signal to go on (its socket file appears a moment earlier).
	int ready[2];
	if (pipe2(ready, O_CLOEXEC) != 0) {
		fProblem = "no pipe for dbus-daemon";
		return;
	}
	fBus = _Start({"dbus-daemon", "--nofork", "--nopidfile", "--config-file=" + config,
					  "--print-address=3"},
		{}, ready[1]);
	close(ready[1]);
	std::string printed;
	char buffer[256];
	struct pollfd wait = {ready[0], POLLIN, 0};
	while (printed.find('\n') == std::string::npos && poll(&wait, 1, 10000) > 0) {
		ssize_t length = read(ready[0], buffer, sizeof(buffer));
		if (length <= 0)
			break;
		printed.append(buffer, length);
	}
	close(ready[0]);
	if (fBus <= 0 || printed.find('\n') == std::string::npos) {
		fProblem = "dbus-daemon did not start";
		return;
	}
	if (!withService)
		return;

	// A display number nobody uses.
	int number = 70 + getpid() % 20;
	while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0
		|| access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
		number++;
	std::string display = ":" + std::to_string(number);
	fScreen = _Start({"Xvfb", display, "-screen", "0", "800x600x24", "-nolisten", "tcp"}, {});
	std::string screen = "/tmp/.X11-unix/X" + std::to_string(number);
	if (fScreen <= 0 || !BTest::WaitFor([&] { return access(screen.c_str(), F_OK) == 0; })) {
		fProblem = "Xvfb did not start";
		return;
	}

	std::string serviceConfig = fDir.Path() + "/dunstrc";
	std::ofstream(serviceConfig) << kServiceConfig;
	fService = _Start({"dunst", "-config", serviceConfig},
		{"DISPLAY=" + display, "XDG_CONFIG_HOME=" + fDir.Path(), "WAYLAND_DISPLAY="});
	bool owned = BTest::WaitFor(
		[&] {
			ProcessResult result = run_process({"dbus-send", "--session", "--print-reply",
												   "--dest=org.freedesktop.DBus",
												   "/org/freedesktop/DBus",
												   "org.freedesktop.DBus.NameHasOwner",
												   "string:org.freedesktop.Notifications"},
				"", {"DBUS_SESSION_BUS_ADDRESS=" + fAddress});
			return result.output.find("boolean true") != std::string::npos;
		},
		10000000);
	if (fService <= 0 || !owned)
		fProblem = "dunst did not take the notification service";
}

DesktopSession::~DesktopSession()
{
	stop(fService);
	stop(fScreen);
	stop(fBus);
}

std::string
DesktopSession::Missing(bool withService)
{
	std::vector<const char*> tools = {"dbus-daemon", "dbus-send"};
	if (withService) {
		for (const char* tool : {"Xvfb", "dunst", "dunstctl", "python3"})
			tools.push_back(tool);
	}
	for (const char* tool : tools) {
		if (!in_path(tool))
			return std::string(tool) + " is not installed";
	}
	return "";
}

ProcessResult
DesktopSession::Control(const std::vector<std::string>& arguments) const
{
	std::vector<std::string> argv = {"dunstctl"};
	argv.insert(argv.end(), arguments.begin(), arguments.end());
	return run_process(argv, "", {"DBUS_SESSION_BUS_ADDRESS=" + fAddress});
}

std::vector<ShownNotification>
DesktopSession::CloseAndReadHistory() const
{
	Control({"close-all"});
	ProcessResult history = Control({"history"});
	ProcessResult lines = run_process({"python3", "-c", kHistoryReader}, history.output);
	std::vector<ShownNotification> shown;
	for (const std::string& line : split(lines.output, '\n')) {
		std::vector<std::string> fields = split(line, '\x1f');
		if (fields.size() != 4)
			continue;
		ShownNotification notification;
		notification.id = atoi(fields[0].c_str());
		notification.app = fields[1];
		notification.summary = fields[2];
		notification.body = fields[3];
		shown.push_back(notification);
	}
	return shown;
}

int
DesktopSession::Displayed() const
{
	ProcessResult count = Control({"count", "displayed"});
	return count.status == 0 ? atoi(count.output.c_str()) : -1;
}

pid_t
DesktopSession::_Start(const std::vector<std::string>& argv,
	const std::vector<std::string>& environment, int readyFd)
{
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	if (readyFd >= 0)
		posix_spawn_file_actions_adddup2(&actions, readyFd, 3);
	std::string log = fDir.Path() + "/log";
	posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
	posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
		0600);
	posix_spawn_file_actions_adddup2(&actions, 1, 2);

	std::vector<char*> args;
	for (const std::string& arg : argv)
		args.push_back(const_cast<char*>(arg.c_str()));
	args.push_back(NULL);
	// Every part talks to this bus only.
	std::vector<std::string> extras = environment;
	extras.push_back("DBUS_SESSION_BUS_ADDRESS=" + fAddress);
	std::vector<char*> env;
	for (char** entry = environ; *entry != NULL; entry++) {
		std::string text = *entry;
		std::string name = text.substr(0, text.find('=') + 1);
		bool replaced = false;
		for (const std::string& extra : extras)
			replaced = replaced || extra.compare(0, name.size(), name) == 0;
		if (!replaced)
			env.push_back(*entry);
	}
	for (std::string& extra : extras)
		env.push_back(const_cast<char*>(extra.c_str()));
	env.push_back(NULL);

	pid_t pid = -1;
	if (posix_spawnp(&pid, args[0], &actions, NULL, args.data(), env.data()) != 0)
		pid = -1;
	posix_spawn_file_actions_destroy(&actions);
	return pid;
}
