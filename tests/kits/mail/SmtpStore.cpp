#include "SmtpStore.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
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

namespace {

const char* kPython = "/usr/bin/python3";

pid_t
start(const std::vector<std::string>& arguments, int* output)
{
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(NULL);
	int ends[2];
	if (pipe2(ends, O_CLOEXEC) != 0)
		return -1;
	pid_t parent = getpid();
	pid_t pid = fork();
	if (pid == 0) {
		// Nothing outlives the test, even when it crashes.
		prctl(PR_SET_PDEATHSIG, SIGTERM);
		if (getppid() != parent)
			_exit(127);
		dup2(ends[1], STDOUT_FILENO);
		execv(argv[0], argv.data());
		_exit(127);
	}
	close(ends[1]);
	if (pid < 0) {
		close(ends[0]);
		return -1;
	}
	*output = ends[0];
	return pid;
}


int
wait_for(pid_t pid)
{
	int status = 0;
	while (waitpid(pid, &status, 0) < 0) {
		if (errno != EINTR)
			return -1;
	}
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace


SmtpStore::SmtpStore()
{
	char pattern[] = "/tmp/murmelo-mail-XXXXXX";
	if (mkdtemp(pattern) == NULL) {
		fProblem = "no temporary folder";
		return;
	}
	fRoot = pattern;
	std::filesystem::create_directory(fRoot + "/box");
	std::filesystem::create_directory(Home());
	if (access(kPython, X_OK) != 0) {
		fProblem = std::string(kPython) + " is missing";
		return;
	}

	int output = -1;
	pid_t server = start({kPython, MURMELO_SOURCE_DIR "/tests/kits/mail/smtp_store.py",
		fRoot + "/box"}, &output);
	if (server < 0) {
		fProblem = "could not start smtp_store.py";
		return;
	}
	fServer = server;
	std::string line;
	struct pollfd wait = {output, POLLIN, 0};
	while (line.find('\n') == std::string::npos && poll(&wait, 1, 20000) > 0) {
		char buffer[64];
		ssize_t length = read(output, buffer, sizeof(buffer));
		if (length <= 0)
			break;
		line.append(buffer, length);
	}
	close(output);
	if (sscanf(line.c_str(), "port %d", &fPort) != 1) {
		fProblem = "the SMTP server did not start (is python3-aiosmtpd installed?)";
		return;
	}

	std::ostringstream config;
	config << "defaults\n"
		   << "auth off\n"
		   << "tls off\n"
		   << "logfile " << fRoot << "/msmtp.log\n"
		   << "account default\n"
		   << "host 127.0.0.1\n"
		   << "port " << fPort << "\n"
		   << "from tester@localhost\n";
	// msmtp refuses a configuration others can read.
	write_whole_file(Home() + "/.msmtprc", config.str(), 0600);
}


SmtpStore::~SmtpStore()
{
	if (fServer > 0) {
		kill(fServer, SIGTERM);
		wait_for(fServer);
	}
	if (!fRoot.empty()) {
		std::error_code ignored;
		std::filesystem::remove_all(fRoot, ignored);
	}
}


int
SmtpStore::CountMails() const
{
	int count = 0;
	for (const auto& entry : std::filesystem::directory_iterator(fRoot + "/box")) {
		if (entry.path().extension() == ".eml")
			count++;
	}
	return count;
}


std::string
SmtpStore::MailPath(int number) const
{
	return fRoot + "/box/" + std::to_string(number) + ".eml";
}


std::string
SmtpStore::Recipients(int number) const
{
	return read_whole_file(fRoot + "/box/" + std::to_string(number) + ".rcpt");
}


RunResult
run_program(const std::vector<std::string>& arguments)
{
	RunResult result;
	int output = -1;
	pid_t pid = start(arguments, &output);
	if (pid < 0)
		return result;
	char buffer[4096];
	ssize_t length;
	while ((length = read(output, buffer, sizeof(buffer))) > 0 || (length < 0 && errno == EINTR))
		result.output.append(buffer, length > 0 ? length : 0);
	close(output);
	result.status = wait_for(pid);
	return result;
}


std::string
read_whole_file(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream text;
	text << in.rdbuf();
	return text.str();
}


void
write_whole_file(const std::string& path, const std::string& text, int mode)
{
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
	if (fd < 0)
		return;
	fchmod(fd, mode);
	if (write(fd, text.data(), text.size()) != (ssize_t)text.size())
		perror(path.c_str());
	close(fd);
}


int
closed_port()
{
	int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

std::string
from_hex(const std::string& hex)
{
	std::string out;
	for (size_t i = 0; i + 1 < hex.size(); i += 2)
		out += (char)std::stoi(hex.substr(i, 2), NULL, 16);
	return out;
}

std::map<std::string, std::string>
read_mail(const std::string& path, bool validAddresses)
{
	RunResult result = run_program({"/usr/bin/python3",
		MURMELO_SOURCE_DIR "/tests/kits/mail/decode_mail.py", path});
	EXPECT_EQ(result.status, 0) << result.output;
	std::map<std::string, std::string> fields;
	std::istringstream lines(result.output);
	std::string line;
	while (std::getline(lines, line)) {
		size_t colon = line.find(": ");
		if (colon == std::string::npos)
			continue;
		std::string key = line.substr(0, colon);
		std::string value = line.substr(colon + 2);
		if (key == "defect" || (key == "address-defect" && validAddresses))
			ADD_FAILURE() << "MIME defect: " << value;
		else
			fields[key] = value;
	}
	return fields;
}
