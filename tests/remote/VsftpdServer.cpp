#include "VsftpdServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

const char* VsftpdServer::kUser = "murmeloftp";
const char* VsftpdServer::kPassword = "Trovel-7-ftp";

namespace {

const char* kVsftpd = "/usr/sbin/vsftpd";

// Runs a program (no shell) with the given standard input; its exit status.
int
run(const std::vector<std::string>& arguments, const std::string& input = "")
{
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(NULL);
	int pipeEnds[2];
	if (pipe(pipeEnds) != 0)
		return -1;
	pid_t pid = fork();
	if (pid == 0) {
		dup2(pipeEnds[0], 0);
		close(pipeEnds[0]);
		close(pipeEnds[1]);
		int null = open("/dev/null", O_WRONLY);
		dup2(null, 1);
		execvp(argv[0], argv.data());
		_exit(127);
	}
	close(pipeEnds[0]);
	if (!input.empty() && write(pipeEnds[1], input.data(), input.size()) < 0)
		perror("write");
	close(pipeEnds[1]);
	int status = 0;
	if (pid < 0 || waitpid(pid, &status, 0) != pid)
		return -1;
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int
free_port()
{
	int probe = socket(AF_INET, SOCK_STREAM, 0);
	struct sockaddr_in address = {};
	address.sin_family = AF_INET;
	address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	socklen_t length = sizeof(address);
	int port = 0;
	if (bind(probe, (struct sockaddr*)&address, length) == 0
		&& getsockname(probe, (struct sockaddr*)&address, &length) == 0)
		port = ntohs(address.sin_port);
	close(probe);
	return port;
}

} // namespace

VsftpdServer::VsftpdServer()
{
	char pattern[] = "/tmp/murmelo-vsftpd-XXXXXX";
	if (mkdtemp(pattern) == NULL)
		return;
	fFolder = pattern;
	// The user must reach its root folder inside ours.
	chmod(fFolder.c_str(), 0755);
	fRoot = fFolder + "/root";
	mkdir(fRoot.c_str(), 0755);
	std::string empty = fFolder + "/empty";
	mkdir(empty.c_str(), 0555);
}

VsftpdServer::~VsftpdServer()
{
	Stop();
	if (!fFolder.empty()) {
		std::error_code ignored;
		std::filesystem::remove_all(fFolder, ignored);
	}
}

std::string
VsftpdServer::Start(const std::string& extraConfig)
{
	if (fFolder.empty())
		return "no temporary folder";
	if (access(kVsftpd, X_OK) != 0)
		return "vsftpd is not installed";
	std::string problem = _EnsureUser();
	if (!problem.empty())
		return problem;
	GiveToUser(fRoot);
	// The free port may be taken between the probe and the server's bind.
	for (int attempt = 0; attempt < 3; attempt++) {
		problem = _StartOnce(extraConfig);
		if (problem.empty())
			return problem;
	}
	return problem;
}

void
VsftpdServer::Stop()
{
	if (fPid <= 0)
		return;
	// The server and its session processes share the process group made for
	// it at start.
	kill(-fPid, SIGTERM);
	waitpid(fPid, NULL, 0);
	fPid = -1;
}

void
VsftpdServer::GiveToUser(const std::string& path)
{
	struct passwd* user = getpwnam(kUser);
	if (user == NULL)
		return;
	if (chown(path.c_str(), user->pw_uid, user->pw_gid) != 0)
		perror(path.c_str());
}

std::string
VsftpdServer::_EnsureUser()
{
	if (geteuid() != 0)
		return "making the test user needs root";
	// The shell must be listed in /etc/shells, or PAM refuses the login. The
	// home folder must exist, but each server gives the user a root of its
	// own (local_root).
	struct passwd* user = getpwnam(kUser);
	if (user == NULL) {
		if (run({"useradd", "--no-create-home", "--home-dir", "/", "--shell", "/bin/sh", kUser})
			!= 0)
			return "useradd failed";
	} else if (strcmp(user->pw_dir, "/") != 0 || strcmp(user->pw_shell, "/bin/sh") != 0) {
		if (run({"usermod", "--home", "/", "--shell", "/bin/sh", kUser}) != 0)
			return "usermod failed";
	}
	if (run({"chpasswd", "-c", "SHA512"}, std::string(kUser) + ":" + kPassword + "\n") != 0)
		return "chpasswd failed";
	return "";
}

std::string
VsftpdServer::_StartOnce(const std::string& extraConfig)
{
	fPort = free_port();
	std::string config = fFolder + "/vsftpd.conf";
	std::ofstream(config) << "background=NO\n"
						  << "listen=YES\n"
						  << "listen_ipv6=NO\n"
						  << "listen_address=127.0.0.1\n"
						  << "listen_port=" << fPort << "\n"
						  << "anonymous_enable=NO\n"
						  << "local_enable=YES\n"
						  << "write_enable=YES\n"
						  << "local_umask=022\n"
						  << "pasv_enable=YES\n"
						  << "port_enable=YES\n"
						  << "connect_from_port_20=NO\n"
						  << "ascii_download_enable=YES\n"
						  << "ascii_upload_enable=YES\n"
						  << "chroot_local_user=YES\n"
						  << "allow_writeable_chroot=YES\n"
						  << "local_root=" << fRoot << "\n"
						  << "secure_chroot_dir=" << fFolder << "/empty\n"
						  << "seccomp_sandbox=NO\n"
						  << "delay_failed_login=0\n"
						  << "delay_successful_login=0\n"
						  << "pam_service_name=vsftpd\n"
						  << "xferlog_enable=NO\n"
						  << "dirmessage_enable=NO\n"
						  << extraConfig;

	std::string log = fFolder + "/vsftpd.log";
	fPid = fork();
	if (fPid == 0) {
		setpgid(0, 0);
		// The server must not outlive a test that crashes.
		prctl(PR_SET_PDEATHSIG, SIGTERM);
		// vsftpd writes its start-up errors to descriptor 0.
		int out = open(log.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
		dup2(out, 0);
		dup2(out, 1);
		dup2(out, 2);
		execl(kVsftpd, "vsftpd", config.c_str(), (char*)NULL);
		_exit(127);
	}
	if (fPid < 0)
		return "fork failed";
	setpgid(fPid, fPid);

	for (int waited = 0; waited < 5000; waited += 10) {
		if (_Listening())
			return "";
		if (waitpid(fPid, NULL, WNOHANG) == fPid) {
			fPid = -1;
			std::ifstream in(log);
			std::stringstream text;
			text << in.rdbuf();
			return "vsftpd ended: " + text.str();
		}
		usleep(10000);
	}
	Stop();
	return "vsftpd did not start listening";
}

bool
VsftpdServer::_Listening() const
{
	// Looks for the listening socket rather than connecting, which would
	// start a session of its own.
	char wanted[32];
	snprintf(wanted, sizeof(wanted), "0100007F:%04X", fPort);
	std::ifstream table("/proc/net/tcp");
	std::string line;
	while (std::getline(table, line)) {
		std::istringstream fields(line);
		std::string slot, local, remote, state;
		fields >> slot >> local >> remote >> state;
		if (local == wanted && state == "0A")
			return true;
	}
	return false;
}
