// Messages between two or more real processes: the test program and the
// peer applications it starts.

#include "TeamTestSupport.h"

#include <Application.h>
#include <Entry.h>
#include <Point.h>
#include <Rect.h>
#include <Roster.h>

#include "AppRegistry.h"
#include "TeamLink.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

BMessage
ping(const char* text)
{
	BMessage message('ping');
	message.AddString("text", text);
	return message;
}

int
connect_raw(pid_t team)
{
	std::string path = app_folder_path() + "/" + std::to_string(team);
	sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fd >= 0 && connect(fd, (sockaddr*)&address, sizeof(address)) != 0) {
		close(fd);
		return -1;
	}
	return fd;
}

std::string
folder_listing()
{
	std::string listing = "in " + app_folder_path() + ":";
	if (DIR* folder = opendir(app_folder_path().c_str())) {
		while (dirent* entry = readdir(folder))
			listing += std::string(" ") + entry->d_name;
		closedir(folder);
	}
	return listing + "\n";
}

std::string
last_text(const BMessenger& peer)
{
	BMessage reply;
	BMessage ask('last');
	if (peer.SendMessage(&ask, &reply, 5000000, 5000000) != B_OK)
		return "(no answer)";
	return reply.GetString("text", "");
}

// A whole frame as a sender writes it, for the looper of the peer's
// application (its number is in the registry).
std::vector<uint8>
frame_for(const BMessage& message, pid_t team)
{
	BPrivate::RegisteredApp app;
	BPrivate::registered_app(team, &app);
	BPrivate::FrameHeader header = {};
	header.magic = BPrivate::kFrameMagic;
	header.kind = BPrivate::kFrameMessage;
	header.flags = BPrivate::kFramePreferred;
	header.looperToken = app.looperToken;
	header.handlerToken = -1;
	header.replyTeam = header.replyLooper = header.replyHandler = -1;
	header.currentSpecifier = -1;
	std::vector<uint8> payload;
	BPrivate::flatten_for_frame(message, &payload);
	header.size = payload.size();
	std::vector<uint8> frame((uint8*)&header, (uint8*)&header + sizeof(header));
	frame.insert(frame.end(), payload.begin(), payload.end());
	return frame;
}

} // namespace

TEST(TeamMessaging, RequestAndReplyCarryEveryFieldTypeBothWays)
{
	TeamPeer peer;
	ASSERT_TRUE(peer.Started());
	status_t status;
	BMessenger messenger(kPeerSignature, -1, &status);
	ASSERT_EQ(status, B_OK);
	EXPECT_TRUE(messenger.IsValid());
	EXPECT_FALSE(messenger.IsTargetLocal());
	EXPECT_EQ(messenger.Team(), peer.Team());

	BMessage request = ping("hello");
	request.AddInt8("int8", -8);
	request.AddInt16("int16", -16);
	request.AddInt32("int32", -32);
	request.AddInt64("int64", -64);
	request.AddUInt8("uint8", 8);
	request.AddUInt16("uint16", 16);
	request.AddUInt32("uint32", 32);
	request.AddUInt64("uint64", 64);
	request.AddBool("bool", true);
	request.AddFloat("float", 1.5f);
	request.AddDouble("double", 2.25);
	request.AddPoint("point", BPoint(3, 4));
	request.AddRect("rect", BRect(1, 2, 3, 4));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("/tmp/some file", &ref), B_OK);
	request.AddRef("ref", &ref);
	BMessage inner('innr');
	inner.AddString("deep", "down");
	request.AddMessage("message", &inner);
	request.AddMessenger("messenger", BMessenger(answerer()));
	request.AddData("raw", B_RAW_TYPE, "\0\1\2", 3);
	request.AddString("strings", "one");
	request.AddString("strings", "two");

	BMessage reply;
	ASSERT_EQ(messenger.SendMessage(&request, &reply), B_OK);
	EXPECT_EQ(reply.what, (uint32)'pong');
	EXPECT_TRUE(reply.IsReply());
	EXPECT_TRUE(reply.IsSourceRemote());
	EXPECT_TRUE(reply.GetBool("remote"));
	EXPECT_EQ(reply.GetInt32("team", -1), peer.Team());
	EXPECT_STREQ(reply.GetString("text"), "hello");
	int8 i8; int16 i16; int64 i64; uint8 u8; uint16 u16; uint32 u32; uint64 u64;
	float f; double d; BPoint point; BRect rect; entry_ref backRef; BMessage backInner;
	BMessenger backMessenger;
	EXPECT_TRUE(reply.FindInt8("int8", &i8) == B_OK && i8 == -8);
	EXPECT_TRUE(reply.FindInt16("int16", &i16) == B_OK && i16 == -16);
	EXPECT_EQ(reply.GetInt32("int32", 0), -32);
	EXPECT_TRUE(reply.FindInt64("int64", &i64) == B_OK && i64 == -64);
	EXPECT_TRUE(reply.FindUInt8("uint8", &u8) == B_OK && u8 == 8);
	EXPECT_TRUE(reply.FindUInt16("uint16", &u16) == B_OK && u16 == 16);
	EXPECT_TRUE(reply.FindUInt32("uint32", &u32) == B_OK && u32 == 32);
	EXPECT_TRUE(reply.FindUInt64("uint64", &u64) == B_OK && u64 == 64);
	EXPECT_TRUE(reply.GetBool("bool"));
	EXPECT_TRUE(reply.FindFloat("float", &f) == B_OK && f == 1.5f);
	EXPECT_TRUE(reply.FindDouble("double", &d) == B_OK && d == 2.25);
	EXPECT_TRUE(reply.FindPoint("point", &point) == B_OK && point == BPoint(3, 4));
	EXPECT_TRUE(reply.FindRect("rect", &rect) == B_OK && rect == BRect(1, 2, 3, 4));
	ASSERT_EQ(reply.FindRef("ref", &backRef), B_OK);
	EXPECT_STREQ(backRef.name, "some file");
	ASSERT_EQ(reply.FindMessage("message", &backInner), B_OK);
	EXPECT_STREQ(backInner.GetString("deep"), "down");
	const void* raw; ssize_t rawSize;
	ASSERT_EQ(reply.FindData("raw", B_RAW_TYPE, &raw, &rawSize), B_OK);
	EXPECT_EQ(rawSize, 3);
	EXPECT_EQ(memcmp(raw, "\0\1\2", 3), 0);
	const char* second;
	EXPECT_TRUE(reply.FindString("strings", 1, &second) == B_OK && strcmp(second, "two") == 0);
	// A messenger to this team comes back as a local one.
	ASSERT_EQ(reply.FindMessenger("messenger", &backMessenger), B_OK);
	EXPECT_TRUE(backMessenger.IsTargetLocal());
	EXPECT_EQ(backMessenger, BMessenger(answerer()));

	// The other way: the peer asks a looper of this process and relays the
	// answer.
	BMessage call('call');
	call.AddMessenger("target", BMessenger(answerer()));
	call.AddString("text", "both ways");
	ASSERT_EQ(messenger.SendMessage(&call, &reply), B_OK);
	EXPECT_EQ(reply.GetInt32("status", -1), B_OK);
	EXPECT_STREQ(reply.GetString("text"), "both ways");
	EXPECT_EQ(reply.GetInt32("team", -1), getpid());

	// Sent without waiting: the reply comes to a handler of this process.
	int before = (int)answerer()->PongTexts().size();
	BMessage async = ping("asynchronous");
	ASSERT_EQ(messenger.SendMessage(&async, answerer()), B_OK);
	ASSERT_TRUE(answerer()->WaitForPongs(before + 1));
	EXPECT_EQ(answerer()->PongTexts().back(), "asynchronous");
}

TEST(TeamMessaging, ReplyToAReplyAndUnansweredMessages)
{
	TeamPeer peer;
	ASSERT_TRUE(peer.Started());
	BMessenger messenger = peer.Messenger();

	BMessage question;
	BMessage request('rtr_');
	ASSERT_EQ(messenger.SendMessage(&request, &question), B_OK);
	EXPECT_EQ(question.what, (uint32)'ask?');
	EXPECT_TRUE(question.IsSourceWaiting());
	BMessage answer('answ');
	answer.AddString("text", "forty-two");
	EXPECT_EQ(question.SendReply(&answer), B_OK);
	EXPECT_EQ(question.SendReply(&answer), B_DUPLICATE_REPLY);
	EXPECT_EQ(last_text(messenger), "forty-two");

	// Deleted without an answer: the sender hears B_NO_REPLY.
	BMessage reply;
	BMessage drop('drop');
	ASSERT_EQ(messenger.SendMessage(&drop, &reply), B_OK);
	EXPECT_EQ(reply.what, (uint32)B_NO_REPLY);
}

TEST(TeamMessaging, DeliveryAndReplyTimeOuts)
{
	TeamPeer peer;
	ASSERT_TRUE(peer.Started());
	BMessenger messenger = peer.Messenger();

	BMessage reply;
	BMessage hold('hold');
	EXPECT_EQ(messenger.SendMessage(&hold, &reply, B_INFINITE_TIMEOUT, 100000), B_TIMED_OUT);
	BMessage request = ping("after the time-out");
	ASSERT_EQ(messenger.SendMessage(&request, &reply), B_OK);
	EXPECT_STREQ(reply.GetString("text"), "after the time-out");

	// A stopped program reads nothing: a message larger than the socket's
	// buffer cannot be delivered in time.
	kill(peer.Team(), SIGSTOP);
	BMessage big('rmbr');
	std::string text(900 * 1024, 'x');
	big.AddString("text", text.c_str());
	EXPECT_EQ(messenger.SendMessage(&big, (BHandler*)NULL, 100000), B_TIMED_OUT);
	kill(peer.Team(), SIGCONT);
	ASSERT_EQ(messenger.SendMessage(&request, &reply), B_OK);
	EXPECT_STREQ(reply.GetString("text"), "after the time-out");
	EXPECT_NE(last_text(messenger), text);
	EXPECT_NE(peer.Errors().find("cut off before its end"), std::string::npos) << peer.Errors();
}

TEST(TeamMessaging, ATargetThatIsGone)
{
	TeamPeer peer;
	ASSERT_TRUE(peer.Started());
	BMessenger messenger = peer.Messenger();
	pid_t team = peer.Team();

	// Killed between the send and the reply.
	BMessage reply;
	BMessage die('kill');
	EXPECT_EQ(messenger.SendMessage(&die, &reply), B_BAD_PORT_ID);
	int status;
	waitpid(team, &status, 0);
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_EQ(messenger.SendMessage('ping'), B_BAD_PORT_ID);
	EXPECT_EQ(messenger.SendMessage(&die, &reply), B_BAD_PORT_ID);

	status_t result;
	BMessenger bySignature(kPeerSignature, -1, &result);
	EXPECT_EQ(result, B_BAD_VALUE);
	EXPECT_FALSE(bySignature.IsValid());
	BMessenger byTeam(NULL, team, &result);
	EXPECT_EQ(result, B_BAD_TEAM_ID);
	// Its files are gone once the roster has looked.
	EXPECT_FALSE(file_exists(app_folder_path() + "/" + std::to_string(team)));
	EXPECT_FALSE(file_exists(app_folder_path() + "/" + std::to_string(team) + ".app"));
}

TEST(TeamMessaging, ARemovedFolderIsMadeAgainByTheProgramsThatRun)
{
	TeamPeer peer;
	ASSERT_TRUE(peer.Started());
	pid_t remover = fork();
	if (remover == 0) {
		execlp("rm", "rm", "-rf", "--", app_folder_path().c_str(), (char*)NULL);
		_exit(127);
	}
	int status;
	waitpid(remover, &status, 0);
	// The peer notices and comes back; a bound on the wait, not a pause.
	bigtime_t deadline = system_time() + 10000000;
	while (!be_roster->IsRunning(kPeerSignature) && system_time() < deadline)
		snooze(10000);
	ASSERT_TRUE(be_roster->IsRunning(kPeerSignature)) << folder_listing() << peer.Errors();
	BMessage reply;
	BMessage request = ping("back again");
	ASSERT_EQ(BMessenger(kPeerSignature).SendMessage(&request, &reply), B_OK);
	EXPECT_STREQ(reply.GetString("text"), "back again");
	// So does this program.
	EXPECT_TRUE(be_roster->IsRunning("application/x-vnd.Murmelo-team-test"));
}

TEST(TeamMessaging, AMessageFromAnotherUserIsRefused)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to run the sender as nobody";
	TeamPeer peer;
	ASSERT_TRUE(peer.Started());
	BMessenger messenger = peer.Messenger();

	// Let nobody reach the socket at all, so that only the peer's own check
	// stands in the way. The frame is made first: while the folder is open
	// to others, this process does not use it.
	BMessage intrusion('rmbr');
	intrusion.AddString("text", "intruder");
	std::vector<uint8> frame = frame_for(intrusion, peer.Team());
	std::string folder = app_folder_path();
	std::string socketPath = folder + "/" + std::to_string(peer.Team());
	chmod(runtime_folder_path().c_str(), 0711);
	chmod(folder.c_str(), 0711);
	chmod(socketPath.c_str(), 0777);
	pid_t sender = fork();
	if (sender == 0) {
		if (setgid(65534) != 0 || setuid(65534) != 0)
			_exit(2);
		int fd = connect_raw(peer.Team());
		if (fd < 0)
			_exit(3);
		// The peer may close the connection before all of it is written.
		if (write(fd, frame.data(), frame.size()) > 0) {
			char byte;
			if (read(fd, &byte, 1) > 0)
				_exit(4);
		}
		_exit(0);
	}
	int status;
	waitpid(sender, &status, 0);
	chmod(socketPath.c_str(), 0755);
	chmod(folder.c_str(), 0700);
	chmod(runtime_folder_path().c_str(), 0700);
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 0);

	EXPECT_NE(last_text(messenger), "intruder");
	EXPECT_NE(peer.Errors().find("refused a connection from user 65534"), std::string::npos)
		<< peer.Errors();
}

TEST(TeamMessaging, MalformedAndOversizedFramesAreDroppedWhileThePeerKeepsAnswering)
{
	TeamPeer peer;
	ASSERT_TRUE(peer.Started());
	BMessenger messenger = peer.Messenger();

	int fd = connect_raw(peer.Team());
	ASSERT_GE(fd, 0);
	std::string garbage(100, 'g');
	ASSERT_EQ(write(fd, garbage.data(), garbage.size()), (ssize_t)garbage.size());
	char byte;
	EXPECT_EQ(read(fd, &byte, 1), 0);
	close(fd);

	fd = connect_raw(peer.Team());
	ASSERT_GE(fd, 0);
	BMessage huge('rmbr');
	std::vector<uint8> frame = frame_for(huge, peer.Team());
	BPrivate::FrameHeader header;
	memcpy(&header, frame.data(), sizeof(header));
	header.size = 2 * 1024 * 1024;
	ASSERT_EQ(write(fd, &header, sizeof(header)), (ssize_t)sizeof(header));
	EXPECT_EQ(read(fd, &byte, 1), 0);
	close(fd);

	// A frame whose message is broken is dropped; the next one on the same
	// connection still arrives.
	fd = connect_raw(peer.Team());
	ASSERT_GE(fd, 0);
	BMessage good('rmbr');
	good.AddString("text", "still here");
	std::vector<uint8> broken = frame_for(good, peer.Team());
	memset(broken.data() + sizeof(header) + 4, 0xff, 8);
	std::vector<uint8> fine = frame_for(good, peer.Team());
	ASSERT_EQ(write(fd, broken.data(), broken.size()), (ssize_t)broken.size());
	ASSERT_EQ(write(fd, fine.data(), fine.size()), (ssize_t)fine.size());
	// Asked on the same connection, so that it comes after them.
	std::vector<uint8> ask = frame_for(BMessage('last'), peer.Team());
	((BPrivate::FrameHeader*)ask.data())->flags |= BPrivate::kFrameSourceWaits;
	ASSERT_EQ(write(fd, ask.data(), ask.size()), (ssize_t)ask.size());
	BPrivate::FrameHeader answer;
	std::vector<uint8> payload;
	ASSERT_EQ(BPrivate::read_frame(fd, &answer, &payload, B_INFINITE_TIMEOUT), B_OK);
	BMessage reply;
	ASSERT_EQ(reply.Unflatten((const char*)payload.data(), payload.size()), B_OK);
	EXPECT_STREQ(reply.GetString("text"), "still here");
	close(fd);

	std::string errors = peer.Errors();
	EXPECT_NE(errors.find("not a message frame"), std::string::npos) << errors;
	EXPECT_NE(errors.find("larger than 1 MiB"), std::string::npos) << errors;
	EXPECT_NE(errors.find("malformed message"), std::string::npos) << errors;

	// Nor does a sender send one.
	BMessage tooLarge('rmbr');
	std::vector<char> data(1100 * 1024, 'y');
	tooLarge.AddData("data", B_RAW_TYPE, data.data(), data.size());
	EXPECT_EQ(messenger.SendMessage(&tooLarge), B_BAD_VALUE);
}

TEST(TeamMessaging, AFloodOfTenThousandArrivesOnceAndInOrder)
{
	TeamPeer peer;
	ASSERT_TRUE(peer.Started());
	BMessenger messenger = peer.Messenger();
	for (int32 i = 0; i < 10000; i++) {
		BMessage message('seq_');
		message.AddInt32("n", i);
		ASSERT_EQ(messenger.SendMessage(&message), B_OK);
	}
	BMessage reply;
	BMessage ask('seq?');
	ASSERT_EQ(messenger.SendMessage(&ask, &reply), B_OK);
	EXPECT_EQ(reply.GetInt32("count", -1), 10000);
	EXPECT_TRUE(reply.GetBool("in order"));
}

TEST(TeamMessaging, TwoProgramsWithOneSignature)
{
	TeamPeer first;
	ASSERT_TRUE(first.Started());
	TeamPeer second;
	ASSERT_TRUE(second.Started());

	BList teams;
	be_roster->GetAppList(kPeerSignature, &teams);
	EXPECT_EQ(teams.CountItems(), 2);
	// The oldest answers to the signature; each answers to its team.
	EXPECT_EQ(BMessenger(kPeerSignature).Team(), first.Team());
	BMessenger toSecond(kPeerSignature, second.Team());
	EXPECT_EQ(toSecond.Team(), second.Team());
	BMessage reply;
	BMessage request = ping("second");
	ASSERT_EQ(toSecond.SendMessage(&request, &reply), B_OK);
	EXPECT_EQ(reply.GetInt32("team", -1), second.Team());

	status_t status;
	BMessenger mismatch("application/x-vnd.Murmelo-other", second.Team(), &status);
	EXPECT_EQ(status, B_MISMATCHED_VALUES);
}
