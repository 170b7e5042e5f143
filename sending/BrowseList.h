#ifndef _BROWSE_LIST_H
#define _BROWSE_LIST_H

#include <OS.h>
#include <String.h>
#include <SupportDefs.h>

#include <vector>

// The machines of a workgroup as the network's browse list knows them: its
// master browser is found with `nmblookup -M`, and its list read with
// `smbclient -L -g`. Both tools run without a shell, each within timeout,
// so this blocks and belongs on a worker thread. Names come back in the
// list's order, each once. B_OK with an empty list when the workgroup has
// no master (nobody to ask); B_TIMED_OUT when a tool did not answer in
// time; B_BAD_VALUE for a workgroup name no NetBIOS name can hold.
status_t browse_machines(const char* workgroup, std::vector<BString>* machines,
	bigtime_t timeout = 5000000);

// The Server lines of `smbclient -L host -g` output.
std::vector<BString> browse_parse_servers(const char* output);

// The first address `nmblookup -M` reports for a master browser.
BString browse_parse_master(const char* output);

// A destination with every `@WORKGROUP` (or `@`, for ownGroup) replaced by
// the machines of that workgroup, less ownName, names separated by ", ".
// What cannot be read is said in *problems, one line a workgroup, and that
// group adds no names. list reads a workgroup's machines.
typedef status_t (*browse_reader)(const char* workgroup, std::vector<BString>* machines,
	bigtime_t timeout);
status_t browse_machines_cached_now(const char* workgroup, std::vector<BString>* machines,
	bigtime_t timeout);
BString browse_expand(const char* destination, const char* ownGroup, const char* ownName,
	BString* problems, browse_reader list);

// browse_machines, read at most once a minute for each workgroup: later
// calls within the minute get the same answer; a time-out is not kept.
// Thread-safe. now is the time to judge by (-1: system_time()).
status_t browse_machines_cached(const char* workgroup, std::vector<BString>* machines,
	bigtime_t timeout = 5000000, bigtime_t now = -1);

// A global setting of the local Samba ("workgroup", "netbios name"), as
// `testparm` reports it; empty when it cannot tell.
BString browse_samba_setting(const char* parameter);

static const bigtime_t kBrowseCacheLife = 60000000;

#endif
