// The MediaPlayer command of the install tree, run as the message list
// runs it for the arrival sound.

#include <OS.h>

#include "MediaTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace media_test;

namespace {

struct Outcome {
	int status = -1;
	std::string errors;
	bigtime_t took = 0;
};

// Runs `args` (args[0] a path) with stderr kept, and waits for it.
Outcome
run(std::vector<std::string> args, const std::vector<std::string>& extraEnv = {})
{
	Outcome result;
	TempDir dir;
	std::string errorFile = dir.File("stderr");
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(),
		O_WRONLY | O_CREAT | O_TRUNC, 0600);
	posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

	std::vector<char*> argv;
	for (std::string& arg : args)
		argv.push_back(arg.data());
	argv.push_back(NULL);
	std::vector<std::string> env;
	for (char** each = environ; *each != NULL; each++)
		env.push_back(*each);
	env.insert(env.end(), extraEnv.begin(), extraEnv.end());
	std::vector<char*> envp;
	for (std::string& each : env)
		envp.push_back(each.data());
	envp.push_back(NULL);

	bigtime_t start = system_time();
	pid_t pid;
	if (posix_spawn(&pid, argv[0], &actions, NULL, argv.data(), envp.data()) == 0) {
		int status;
		if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
			result.status = WEXITSTATUS(status);
	}
	result.took = system_time() - start;
	posix_spawn_file_actions_destroy(&actions);
	std::vector<uint8> errors = ReadFile(errorFile);
	result.errors.assign(errors.begin(), errors.end());
	return result;
}

std::string
player()
{
	return TreeFile("bin/MediaPlayer");
}

} // namespace

TEST(MediaPlayer, PlaysTheArrivalSoundToItsEndAndSucceeds)
{
	// The command line of the message list, BeOS path and all: the install
	// tree's music folder, two folders above the player.
	Outcome played = run({player(), "-closeWhenDone", "on", "-autoPlay", "on", "-mini",
		"/boot/apps/trovel/music/trucage"});
	EXPECT_EQ(played.status, 0) << played.errors;
	EXPECT_EQ(played.errors, "");
	// It ends with the sound, neither before it nor long after.
	EXPECT_GE(played.took, 300000);
	EXPECT_LE(played.took, 10 * 650000);

	// A host path does as well.
	Outcome host = run({player(), TreeFile("music/trucage")});
	EXPECT_EQ(host.status, 0) << host.errors;
}

TEST(MediaPlayer, RunThroughTheShellFromTheSearchPath)
{
	// What ajoute3 does, with the install tree's bin folder on the path as
	// the main program sets it.
	std::string path = "PATH=" + TreeFile("bin") + ":" + (getenv("PATH") ? getenv("PATH") : "");
	Outcome shell = run({"/bin/sh", "-c",
						"MediaPlayer -closeWhenDone on -autoPlay on -mini "
						"/boot/apps/trovel/music/trucage "},
		{path});
	EXPECT_EQ(shell.status, 0) << shell.errors;
}

TEST(MediaPlayer, MissingOrBadFilesFailWithAClearMessage)
{
	TempDir dir;
	Outcome missing = run({player(), "-mini", dir.File("nothing.wav")});
	EXPECT_EQ(missing.status, 1);
	EXPECT_NE(missing.errors.find("can't find"), std::string::npos) << missing.errors;
	EXPECT_NE(missing.errors.find("nothing.wav"), std::string::npos) << missing.errors;

	WriteFile(dir.File("notes.txt"), std::vector<uint8>(2000, 'x'));
	Outcome text = run({player(), dir.File("notes.txt")});
	EXPECT_EQ(text.status, 1);
	EXPECT_NE(text.errors.find("notes.txt"), std::string::npos) << text.errors;

	std::vector<uint8> broken = ShortTune(2);
	broken.resize(broken.size() - 9);
	broken[21] = 0x7f;
	WriteFile(dir.File("broken.mid"), broken);
	Outcome tune = run({player(), dir.File("broken.mid")});
	EXPECT_EQ(tune.status, 1);
	EXPECT_NE(tune.errors.find("broken.mid"), std::string::npos) << tune.errors;

	Outcome folder = run({player(), dir.Path()});
	EXPECT_EQ(folder.status, 1);
	EXPECT_NE(folder.errors.find("folder"), std::string::npos) << folder.errors;

	Outcome nothing = run({player(), "-closeWhenDone", "on"});
	EXPECT_EQ(nothing.status, 1);
	EXPECT_NE(nothing.errors.find("usage"), std::string::npos) << nothing.errors;
}

TEST(MediaPlayer, PlaysMidiTunesAndIgnoresUnknownOptions)
{
	TempDir dir;
	// A name with a blank and a shell character, as argument vectors allow.
	std::string tune = dir.File("two notes;.mid");
	WriteFile(tune, ShortTune(2));
	Outcome played = run({player(), "-loop", "-mini", tune});
	EXPECT_EQ(played.status, 0) << played.errors;
	EXPECT_NE(played.errors.find("ignoring the option -loop"), std::string::npos)
		<< played.errors;
	// One second of tune, played through.
	EXPECT_GE(played.took, 500000);
}
