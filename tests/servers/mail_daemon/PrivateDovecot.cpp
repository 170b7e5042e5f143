#include "PrivateDovecot.h"

#include <Process.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>

int
free_port()
{
	int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
	struct sockaddr_in address = {};
	address.sin_family = AF_INET;
	address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	socklen_t length = sizeof(address);
	int port = 0;
	if (bind(fd, (struct sockaddr*)&address, sizeof(address)) == 0
		&& getsockname(fd, (struct sockaddr*)&address, &length) == 0)
		port = ntohs(address.sin_port);
	close(fd);
	return port;
}

namespace {

// Runs dovecot with its output in a file: the master it leaves running
// would hold a pipe open for as long as it lives. Answers the exit status.
int
run_dovecot(const std::vector<std::string>& arguments, const std::string& outputPath)
{
	std::vector<char*> argv;
	std::vector<std::string> copy = arguments;
	for (std::string& argument : copy)
		argv.push_back(argument.data());
	argv.push_back(NULL);
	pid_t child = fork();
	if (child == 0) {
		int null = open("/dev/null", O_RDONLY);
		int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
		dup2(null, 0);
		dup2(out, 1);
		dup2(out, 2);
		execv(argv[0], argv.data());
		_exit(127);
	}
	int status = -1;
	if (child < 0 || waitpid(child, &status, 0) != child)
		return -1;
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

PrivateDovecot::PrivateDovecot()
{
	char pattern[] = "/tmp/murmelo-dovecot-XXXXXX";
	fRoot = mkdtemp(pattern);
	// The mail user's processes must reach the Maildir.
	chmod(fRoot.c_str(), 0755);
	fMaildir = fRoot + "/home/Maildir";
	fConfig = fRoot + "/dovecot.conf";
}

PrivateDovecot::~PrivateDovecot()
{
	Stop();
	run_process({"rm", "-rf", "--", fRoot});
}

bool
PrivateDovecot::Start(bool tls)
{
	if (access("/usr/sbin/dovecot", X_OK) != 0) {
		fError = "dovecot is not installed (scripts/setup installs it)";
		return false;
	}
	// As root, dovecot wants its own users for logins and for the mails.
	std::string loginUser, internalUser;
	if (geteuid() == 0) {
		struct passwd* mailUser = getpwnam("dovecot");
		if (mailUser == NULL || getpwnam("dovenull") == NULL) {
			fError = "the users dovecot and dovenull are missing";
			return false;
		}
		fMailUid = mailUser->pw_uid;
		fMailGid = mailUser->pw_gid;
		loginUser = "dovenull";
		internalUser = "dovecot";
	} else {
		fMailUid = getuid();
		fMailGid = getgid();
		loginUser = internalUser = getpwuid(getuid())->pw_name;
	}
	struct group* group = getgrgid(fMailGid);
	for (const std::string& folder : {fRoot + "/home", fMaildir, fMaildir + "/new",
			 fMaildir + "/cur", fMaildir + "/tmp", fRoot + "/base"}) {
		mkdir(folder.c_str(), 0755);
		if (folder != fRoot + "/base" && chown(folder.c_str(), fMailUid, fMailGid) != 0) {
			fError = "cannot hand the Maildir to the mail user";
			return false;
		}
	}
	{
		std::ofstream passwd(fRoot + "/passwd");
		passwd << User() << ":{PLAIN}" << Password() << "\n";
	}
	fImapPort = free_port();
	fPop3Port = free_port();
	if (tls) {
		fImapsPort = free_port();
		fPop3sPort = free_port();
		ProcessResult made = run_process({"openssl", "req", "-x509", "-newkey", "rsa:2048",
			"-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
			"subjectAltName=IP:127.0.0.1", "-keyout", fRoot + "/key.pem", "-out",
			Certificate()});
		if (made.status != 0) {
			fError = "openssl made no certificate: " + made.output;
			return false;
		}
	}
	std::ofstream config(fConfig);
	config << "base_dir = " << fRoot << "/base\n"
		   << "state_dir = " << fRoot << "/base/state\n"
		   << "log_path = " << fRoot << "/log\n"
		   << "protocols = imap pop3\n"
		   << "listen = 127.0.0.1\n"
		   << (tls ? "ssl = yes\nssl_cert = <" + Certificate() + "\nssl_key = <" + fRoot
					   + "/key.pem\n"
				   : std::string("ssl = no\n"))
		   << "disable_plaintext_auth = no\n"
		   << "auth_mechanisms = plain login\n"
		   << "auth_failure_delay = 0\n"
		   << "default_login_user = " << loginUser << "\n"
		   << "default_internal_user = " << internalUser << "\n"
		   << "default_internal_group = " << (group != NULL ? group->gr_name : "dovecot") << "\n"
		   << "first_valid_uid = 1\n"
		   << "mail_location = maildir:~/Maildir\n"
		   << "pop3_uidl_format = %08Xu%08Xv\n"
		   << "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u "
		   << fRoot << "/passwd\n}\n"
		   << "userdb {\n  driver = static\n  args = uid=" << fMailUid << " gid=" << fMailGid
		   << " home=" << fRoot << "/home\n}\n"
		   << "service imap-login {\n  chroot =\n  inet_listener imap {\n    address = 127.0.0.1\n"
		   << "    port = " << fImapPort << "\n  }\n  inet_listener imaps {\n    address = 127.0.0.1\n    port = " << fImapsPort << "\n  }\n}\n"
		   << "service pop3-login {\n  chroot =\n  inet_listener pop3 {\n    address = 127.0.0.1\n"
		   << "    port = " << fPop3Port << "\n  }\n  inet_listener pop3s {\n    address = 127.0.0.1\n    port = " << fPop3sPort << "\n  }\n}\n"
		   // No growing delay for the failed logins the tests make.
		   << "service anvil {\n  chroot =\n  unix_listener anvil-auth-penalty {\n    mode = 0\n  }\n}\n";
	config.close();
	// dovecot returns once its listeners are bound, then runs on its own.
	if (run_dovecot({"/usr/sbin/dovecot", "-c", fConfig}, fRoot + "/output") != 0) {
		fError = "dovecot did not start: " + read_file(fRoot + "/output") + read_file(fRoot + "/log");
		return false;
	}
	fRunning = true;
	return true;
}

void
PrivateDovecot::Stop()
{
	if (!fRunning)
		return;
	fRunning = false;
	// The master is not our child: its pidfd says when it has ended
	// (dovecot's own "stop" looks only once a second).
	pid_t master = atoi(read_file(fRoot + "/base/master.pid").c_str());
	int pidfd = master > 0 ? syscall(SYS_pidfd_open, master, 0) : -1;
	if (pidfd < 0 || kill(master, SIGTERM) != 0) {
		run_dovecot({"/usr/sbin/dovecot", "-c", fConfig, "stop"}, fRoot + "/output");
	} else {
		struct pollfd ended = {pidfd, POLLIN, 0};
		poll(&ended, 1, 20000);
	}
	if (pidfd >= 0)
		close(pidfd);
}

void
PrivateDovecot::Deliver(const std::string& name, const std::string& mail, bool seen)
{
	std::string temporary = fMaildir + "/tmp/" + name;
	{
		std::ofstream out(temporary, std::ios::binary);
		out << mail;
	}
	if (chown(temporary.c_str(), fMailUid, fMailGid) != 0)
		perror("chown");
	std::string final = seen ? fMaildir + "/cur/" + name + ":2,S" : fMaildir + "/new/" + name;
	rename(temporary.c_str(), final.c_str());
}

std::string
PrivateDovecot::Flags() const
{
	static const char* kScript = R"py(
import imaplib, sys
box = imaplib.IMAP4("127.0.0.1", int(sys.argv[1]))
box.login(sys.argv[2], sys.argv[3])
box.select("INBOX", readonly=True)
kind, lines = box.uid("FETCH", "1:*", "(FLAGS)")
for line in lines:
    if line:
        print(line.decode())
box.logout()
)py";
	ProcessResult result = run_process(
		{"/usr/bin/python3", "-c", kScript, std::to_string(fImapPort), User(), Password()});
	return result.output;
}

std::string
PrivateDovecot::Account(const char* protocol, const char* password, bool tls) const
{
	bool imap = std::string(protocol) == "imap";
	int port = tls ? (imap ? fImapsPort : fPop3sPort) : (imap ? fImapPort : fPop3Port);
	return std::string("account ") + protocol + "\n\tprotocol " + protocol
		+ "\n\thost 127.0.0.1\n\tport " + std::to_string(port) + "\n\tuser " + User()
		+ "\n\tpassword " + password + "\n"
		+ (tls ? "\ttls yes\n\tca_file " + Certificate() + "\n" : "");
}
