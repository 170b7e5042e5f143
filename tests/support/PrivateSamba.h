#ifndef _TEST_PRIVATE_SAMBA_H
#define _TEST_PRIVATE_SAMBA_H

#include "Process.h"

#include <Tliste.h>

#include <string>
#include <vector>

// A private smbd on 127.0.0.1:139 whose message command runs the installed
// Murmelod, storing into BootVolume()/home/murmelo.dat. Stopped when it goes.
class PrivateSamba {
public:
	explicit PrivateSamba(const char* name = "MURMELOTEST");
	~PrivateSamba();

	bool Started() const { return fStarted; }
	// Why it did not start.
	const std::string& Output() const { return fOutput; }
	const std::string& Name() const { return fName; }
	std::string BootVolume() const { return fDir.Path() + "/boot"; }
	std::string DataFile() const { return BootVolume() + "/home/murmelo.dat"; }

	// Sends a WinPopup message to this server with smbclient -M.
	ProcessResult Send(const std::string& sender, const std::string& text) const;
	std::vector<Tliste> Records() const;
	// Empties the data files.
	void Clear() const;

	// Whether anything answers on 127.0.0.1:139.
	static bool PortTaken();

private:
	TempDir fDir;
	std::string fName;
	bool fStarted = false;
	std::string fOutput;
};

// A line "127.0.0.1 NAME" in /etc/samba/lmhosts for as long as it lives, so
// that smbclient -M finds NAME on this machine; the other lines stay as
// they are.
class LmhostsLine {
public:
	explicit LmhostsLine(const std::string& name);
	~LmhostsLine();

private:
	std::string fLine;
	bool fCreated = false;
};

#endif
