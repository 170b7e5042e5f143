#ifndef _TEST_PRIVATE_SAMBA_H
#define _TEST_PRIVATE_SAMBA_H

#include "Process.h"

#include <Tliste.h>

#include <string>
#include <vector>

// A private smbd on 127.0.0.1:139 whose message command runs the installed
// Murmelod, storing into BootVolume()/home/murmelo.dat. Stopped when it goes.
// On another loopback address (127.0.0.2 ...) several run side by side,
// each with its own name and data file.
class PrivateSamba {
public:
	// browse "master" or "member" runs nmbd beside smbd, so that the
	// workgroup has a browse list (see scripts/private-samba).
	explicit PrivateSamba(const char* name = "MURMELOTEST", const char* address = "127.0.0.1",
		const char* workgroup = "MURMELO", const char* browse = "");
	~PrivateSamba();

	bool Started() const { return fStarted; }
	// Why it did not start.
	const std::string& Output() const { return fOutput; }
	const std::string& Name() const { return fName; }
	const std::string& Address() const { return fAddress; }
	std::string BootVolume() const { return fDir.Path() + "/boot"; }
	std::string DataFile() const { return BootVolume() + "/home/murmelo.dat"; }

	// Sends a WinPopup message to this server with smbclient -M.
	ProcessResult Send(const std::string& sender, const std::string& text) const;
	std::vector<Tliste> Records() const;
	// Empties the data files.
	void Clear() const;

	// Whether anything answers on port 139 of address.
	static bool PortTaken(const char* address = "127.0.0.1");

private:
	TempDir fDir;
	std::string fName;
	std::string fAddress;
	bool fStarted = false;
	std::string fOutput;
};

// A line "127.0.0.1 NAME" (or another address) in /etc/samba/lmhosts for as
// long as it lives, so that smbclient -M finds NAME on this machine; the
// other lines stay as they are.
class LmhostsLine {
public:
	explicit LmhostsLine(const std::string& name, const std::string& address = "127.0.0.1");
	~LmhostsLine();

private:
	std::string fLine;
	bool fCreated = false;
};

#endif
