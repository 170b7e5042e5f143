// Downloads one 512 MiB file from a private vsftpd with FtpClient::getFile
// (passive and active) and with curl, in turns, and prints the rates side by
// side with their ratio.
#include "FtpClient.h"
#include "VsftpdServer.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace {

const off_t kFileSize = 512LL * 1024 * 1024;

bool
make_file(const std::string& path)
{
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	if (fd < 0)
		return false;
	std::vector<uint64_t> block(1 << 17);
	uint64_t state = 0x9e3779b97f4a7c15ULL;
	for (off_t written = 0; written < kFileSize;) {
		for (uint64_t& word : block) {
			state ^= state << 13;
			state ^= state >> 7;
			state ^= state << 17;
			word = state;
		}
		size_t bytes = block.size() * sizeof(uint64_t);
		if (write(fd, block.data(), bytes) != (ssize_t)bytes) {
			close(fd);
			return false;
		}
		written += bytes;
	}
	close(fd);
	VsftpdServer::GiveToUser(path);
	return true;
}

// CPU seconds used so far by this process and by its waited-for children.
double
cpu_seconds()
{
	double total = 0;
	for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
		struct rusage usage;
		getrusage(who, &usage);
		total += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec
			+ usage.ru_stime.tv_usec / 1e6;
	}
	return total;
}

off_t
size_of(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

bool
run_curl(const VsftpdServer& server, const std::string& out)
{
	std::string url = "ftp://" + server.Address() + "/big.bin";
	std::string user = std::string(VsftpdServer::kUser) + ":" + VsftpdServer::kPassword;
	pid_t pid = fork();
	if (pid == 0) {
		execlp("curl", "curl", "--silent", "--show-error", "--user", user.c_str(), "--output",
			out.c_str(), url.c_str(), (char*)NULL);
		_exit(127);
	}
	int status = 0;
	return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)
		&& WEXITSTATUS(status) == 0;
}

bool
run_client(const VsftpdServer& server, const std::string& out, bool passive)
{
	// The client's trace is a handful of lines; keep it out of the table.
	fflush(stdout);
	int saved = dup(1);
	int null = open("/dev/null", O_WRONLY);
	dup2(null, 1);
	close(null);
	FtpClient client;
	client.setPassive(passive);
	bool done = client.connect(server.Address(), VsftpdServer::kUser, VsftpdServer::kPassword)
		&& client.getFile("big.bin", out, FtpClient::binary_mode);
	fflush(stdout);
	dup2(saved, 1);
	close(saved);
	return done;
}

} // namespace

int
main(int argc, char** argv)
{
	int rounds = argc > 1 ? atoi(argv[1]) : 3;
	if (rounds < 1)
		rounds = 1;
	VsftpdServer server;
	std::string problem = server.Start();
	if (!problem.empty()) {
		fprintf(stderr, "cannot start vsftpd: %s\n", problem.c_str());
		return 1;
	}
	std::string source = server.Root() + "/big.bin";
	if (!make_file(source)) {
		fprintf(stderr, "cannot write %s\n", source.c_str());
		return 1;
	}
	std::string out = server.Folder() + "/download.bin";

	const char* names[] = {"curl", "getFile passive", "getFile active"};
	std::map<std::string, std::vector<double>> rates;
	std::map<std::string, std::vector<double>> cpu;
	for (int round = 0; round < rounds; round++) {
		for (int turn = 0; turn < 3; turn++) {
			// Each method goes first in turn; the last copy is gone and on disk
			// before the clock starts.
			int which = (round + turn) % 3;
			unlink(out.c_str());
			sync();
			double cpuStart = cpu_seconds();
			auto start = std::chrono::steady_clock::now();
			bool done = which == 0 ? run_curl(server, out) : run_client(server, out, which == 1);
			double seconds
				= std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
			if (!done || size_of(out) != kFileSize) {
				fprintf(stderr, "%s failed\n", names[which]);
				return 1;
			}
			rates[names[which]].push_back(kFileSize / seconds / 1e6);
			cpu[names[which]].push_back(cpu_seconds() - cpuStart);
		}
	}
	unlink(out.c_str());

	printf("512 MiB over loopback from vsftpd, %d rounds (MB/s, 1 MB = 10^6 bytes)\n", rounds);
	// The machine may be busy with other work: the client's own CPU time (curl's
	// for curl) is the steadier figure.
	printf("%-18s %10s %10s %10s %12s\n", "", "best", "median", "vs curl", "CPU s (med)");
	auto median = [](std::vector<double> values) {
		std::sort(values.begin(), values.end());
		return values[values.size() / 2];
	};
	double curlMedian = median(rates["curl"]);
	for (const char* name : names) {
		const std::vector<double>& values = rates[name];
		printf("%-18s %10.0f %10.0f %9.2fx %12.3f\n", name,
			*std::max_element(values.begin(), values.end()), median(values),
			median(values) / curlMedian, median(cpu[name]));
	}
	return 0;
}
