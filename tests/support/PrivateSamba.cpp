#include "PrivateSamba.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {

const char* kLmhosts = "/etc/samba/lmhosts";

std::string
script()
{
	return std::string(MURMELO_SOURCE_DIR) + "/scripts/private-samba";
}

} // namespace

PrivateSamba::PrivateSamba(const char* name, const char* address, const char* workgroup,
	const char* browse)
	:
	fDir("murmelo-samba"),
	fName(name),
	fAddress(address)
{
	// Another run's server may still hold the port for a while; messages
	// sent to it would be lost.
	for (int i = 0; i < 600 && PortTaken(address); i++)
		usleep(100000);
	if (PortTaken(address)) {
		fOutput = "something else listens on " + fAddress + ":139";
		return;
	}
	ProcessResult started = run_process({script(), "start", fDir.Path(),
		std::string(MURMELO_TREE) + "/daemon/Murmelod", fName}, "",
		{"MURMELO_SAMBA_ADDRESS=" + fAddress, std::string("MURMELO_SAMBA_WORKGROUP=") + workgroup,
			std::string("MURMELO_SAMBA_BROWSE=") + browse});
	fStarted = started.status == 0;
	fOutput = started.output;
}

PrivateSamba::~PrivateSamba()
{
	run_process({script(), "stop", fDir.Path()});
}

ProcessResult
PrivateSamba::Send(const std::string& sender, const std::string& text) const
{
	return run_process({"smbclient", "-M", fName, "-I", fAddress, "-U", sender, "-N"}, text);
}

std::vector<Tliste>
PrivateSamba::Records() const
{
	std::string data = read_file(DataFile());
	std::vector<Tliste> records(data.size() / sizeof(Tliste));
	if (!records.empty())
		memcpy(records.data(), data.data(), records.size() * sizeof(Tliste));
	return records;
}

void
PrivateSamba::Clear() const
{
	for (const char* file : {"/home/murmelo.dat", "/home/murmelo.dat.names"})
		truncate((BootVolume() + file).c_str(), 0);
}

bool
PrivateSamba::PortTaken(const char* host)
{
	int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
	struct sockaddr_in address = {};
	address.sin_family = AF_INET;
	address.sin_port = htons(139);
	inet_pton(AF_INET, host, &address.sin_addr);
	bool taken = connect(fd, (struct sockaddr*)&address, sizeof(address)) == 0;
	close(fd);
	return taken;
}

LmhostsLine::LmhostsLine(const std::string& name, const std::string& address)
	:
	fLine(address + " " + name)
{
	fCreated = access(kLmhosts, F_OK) != 0;
	std::string text = read_file(kLmhosts);
	if (!text.empty() && text.back() != '\n')
		text += '\n';
	std::ofstream(kLmhosts, std::ios::trunc) << text << fLine << '\n';
}

LmhostsLine::~LmhostsLine()
{
	std::istringstream lines(read_file(kLmhosts));
	std::string kept, line;
	bool removed = false;
	while (std::getline(lines, line)) {
		if (!removed && line == fLine) {
			removed = true;
			continue;
		}
		kept += line + '\n';
	}
	if (fCreated && kept.empty()) {
		unlink(kLmhosts);
		return;
	}
	std::ofstream(kLmhosts, std::ios::trunc) << kept;
}
