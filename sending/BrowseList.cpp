#include "BrowseList.h"

#include "SambaPost.h"

#include <Autolock.h>
#include <Errors.h>
#include <Locker.h>

#include <image.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <unistd.h>

#include <map>

namespace {

// More than any browse list of a LAN; the rest is not read.
const size_t kMaxToolOutput = 256 * 1024;

// Runs a tool with an argument vector (no shell) and keeps its standard
// output; its errors are read and dropped so that it never blocks on them.
status_t
run_tool(const std::vector<const char*>& arguments, bigtime_t timeout, BString* output)
{
	output->Truncate(0);
	std::vector<const char*> argv(arguments);
	argv.push_back(NULL);
	image_pipes pipes;
	thread_id tool = load_image_etc((int32)arguments.size(), argv.data(), NULL,
		B_IMAGE_PIPE_STDIN | B_IMAGE_PIPE_STDOUT | B_IMAGE_PIPE_STDERR, &pipes);
	if (tool < 0)
		return tool;
	close(pipes.stdin_fd);
	status_t status = resume_thread(tool);
	if (status != B_OK) {
		close(pipes.stdout_fd);
		close(pipes.stderr_fd);
		kill_thread(tool);
		return status;
	}

	int fds[2] = {pipes.stdout_fd, pipes.stderr_fd};
	bigtime_t deadline = system_time() + timeout;
	bool late = false;
	char buffer[4096];
	while (fds[0] >= 0 || fds[1] >= 0) {
		bigtime_t left = deadline - system_time();
		if (left <= 0) {
			late = true;
			break;
		}
		struct pollfd polled[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
		if (poll(polled, 2, (int)(left / 1000) + 1) < 0) {
			if (errno == EINTR)
				continue;
			break;
		}
		for (int i = 0; i < 2; i++) {
			if (fds[i] < 0 || polled[i].revents == 0)
				continue;
			ssize_t count = read(fds[i], buffer, sizeof(buffer));
			if (count < 0 && (errno == EINTR || errno == EAGAIN))
				continue;
			if (count <= 0) {
				close(fds[i]);
				fds[i] = -1;
			} else if (i == 0 && (size_t)output->Length() < kMaxToolOutput)
				output->Append(buffer, count);
		}
	}
	for (int fd : fds) {
		if (fd >= 0)
			close(fd);
	}
	if (late)
		kill_thread(tool);
	status_t ignored;
	wait_for_thread(tool, &ignored);
	return late ? B_TIMED_OUT : B_OK;
}

// What a NetBIOS name can hold: 15 bytes, no blanks, separators or
// control characters.
bool
valid_netbios_name(const char* name)
{
	size_t length = strlen(name);
	if (length == 0 || length > 15)
		return false;
	for (size_t i = 0; i < length; i++) {
		unsigned char c = name[i];
		if (c < 0x21 || c == 0x7f || strchr("|\\/:*?\"<>,+=;[]", c) != NULL)
			return false;
	}
	return true;
}

struct CachedList {
	bigtime_t readAt;
	status_t status;
	std::vector<BString> machines;
};

BLocker sCacheLock("browse list cache");

// A tool's output a line at a time, without line ends.
std::vector<BString>
output_lines(const char* output)
{
	std::vector<BString> lines;
	BString all(output);
	int32 start = 0;
	while (start < all.Length()) {
		int32 end = all.FindFirst('\n', start);
		if (end < 0)
			end = all.Length();
		BString line;
		all.CopyInto(line, start, end - start);
		line.RemoveAll("\r");
		lines.push_back(line);
		start = end + 1;
	}
	return lines;
}
std::map<BString, CachedList> sCache;

} // namespace


std::vector<BString>
browse_parse_servers(const char* output)
{
	std::vector<BString> servers;
	for (BString& line : output_lines(output)) {
		if (line.FindFirst("Server|") != 0)
			continue;
		int32 bar = line.FindFirst('|', 7);
		BString name;
		line.CopyInto(name, 7, (bar < 0 ? line.Length() : bar) - 7);
		if (!valid_netbios_name(name.String()))
			continue;
		bool known = false;
		for (const BString& server : servers)
			known = known || server.ICompare(name.String()) == 0;
		if (!known)
			servers.push_back(name);
	}
	return servers;
}


BString
browse_parse_master(const char* output)
{
	// "127.0.0.2 PROBEGRP<1d>"
	for (BString& line : output_lines(output)) {
		if (line.FindFirst("<1d>") < 0)
			continue;
		int32 blank = line.FindFirst(' ');
		if (blank <= 0)
			continue;
		BString address;
		line.CopyInto(address, 0, blank);
		if (address.FindFirst("name_query") >= 0 || strspn(address.String(), "0123456789.:abcdefABCDEF")
				!= (size_t)address.Length())
			continue;
		return address;
	}
	return BString();
}


status_t
browse_machines(const char* workgroup, std::vector<BString>* machines, bigtime_t timeout)
{
	machines->clear();
	if (workgroup == NULL || !valid_netbios_name(workgroup))
		return B_BAD_VALUE;

	BString output;
	status_t status = run_tool({"nmblookup", "-M", "--", workgroup}, timeout, &output);
	if (status != B_OK)
		return status;
	BString master = browse_parse_master(output.String());
	if (master.Length() == 0)
		return B_NAME_NOT_FOUND;

	// The list is read over SMB1 (RAP). Without SPNEGO a stand-alone master
	// names its workgroup as its domain, and smbclient asks for the servers
	// of that domain; with it, it would ask for the master's own name and
	// get none.
	status = run_tool({"smbclient", "-L", master.String(), "-N", "-g",
		"--option=client min protocol=NT1", "--option=client use spnego=no"},
		timeout, &output);
	if (status != B_OK)
		return status;
	*machines = browse_parse_servers(output.String());
	return B_OK;
}


status_t
browse_machines_cached(const char* workgroup, std::vector<BString>* machines, bigtime_t timeout,
	bigtime_t now)
{
	if (now < 0)
		now = system_time();
	BString key(workgroup != NULL ? workgroup : "");
	key.ToUpper();
	{
		BAutolock locked(sCacheLock);
		auto found = sCache.find(key);
		if (found != sCache.end() && now >= found->second.readAt
			&& now - found->second.readAt < kBrowseCacheLife) {
			*machines = found->second.machines;
			return found->second.status;
		}
	}
	// Read without the lock: a slow network must not hold other groups.
	CachedList fresh;
	fresh.status = browse_machines(key.String(), &fresh.machines, timeout);
	fresh.readAt = now;
	*machines = fresh.machines;
	// A time-out is not kept: the next try may well get through.
	if (fresh.status != B_TIMED_OUT) {
		BAutolock locked(sCacheLock);
		sCache[key] = fresh;
	}
	return fresh.status;
}


status_t
browse_machines_cached_now(const char* workgroup, std::vector<BString>* machines,
	bigtime_t timeout)
{
	return browse_machines_cached(workgroup, machines, timeout);
}


BString
browse_expand(const char* destination, const char* ownGroup, const char* ownName,
	BString* problems, browse_reader list)
{
	problems->Truncate(0);
	BString expanded;
	for (const BString& name : samba_recipients(destination)) {
		if (name.FindFirst('@') != 0) {
			if (expanded.Length() > 0)
				expanded << ", ";
			expanded << name;
			continue;
		}
		BString group;
		name.CopyInto(group, 1, name.Length() - 1);
		if (group.Length() == 0)
			group = ownGroup != NULL ? ownGroup : "";
		std::vector<BString> machines;
		status_t status = group.Length() == 0 ? B_BAD_VALUE
			: list(group.String(), &machines, 5000000);
		if (status != B_OK || machines.empty()) {
			if (problems->Length() > 0)
				*problems << "\n";
			*problems << name << ": ";
			if (status == B_OK)
				*problems << "no other machine in the browse list";
			else if (status == B_NAME_NOT_FOUND)
				*problems << "no browse list found";
			else if (status == B_TIMED_OUT)
				*problems << "the browse list did not answer in time";
			else if (status == B_BAD_VALUE)
				*problems << "not a workgroup name";
			else
				*problems << be_strerror(status);
			continue;
		}
		int32 added = 0;
		for (const BString& machine : machines) {
			if (ownName != NULL && machine.ICompare(ownName) == 0)
				continue;
			if (expanded.Length() > 0)
				expanded << ", ";
			expanded << machine;
			added++;
		}
		if (added == 0) {
			if (problems->Length() > 0)
				*problems << "\n";
			*problems << name << ": no other machine in the browse list";
		}
	}
	return expanded;
}


BString
browse_samba_setting(const char* parameter)
{
	BString option("--parameter-name=");
	option << parameter;
	BString output;
	if (run_tool({"testparm", "-s", option.String()}, 5000000, &output) != B_OK)
		return BString();
	output.RemoveAll("\n");
	output.Trim();
	return output;
}
