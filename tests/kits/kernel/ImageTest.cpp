// Child processes of the kernel kit: argument vectors, pipes, exit values.
#include <Errors.h>
#include <image.h>

#include <gtest/gtest.h>

#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

std::string
read_all(int fd)
{
	std::string text;
	char buffer[512];
	ssize_t count;
	while ((count = read(fd, buffer, sizeof(buffer))) > 0)
		text.append(buffer, count);
	return text;
}

// Starts argv with its standard output piped back; the output and exit value.
struct ChildRun {
	std::string output;
	status_t exitValue = -1;
};

ChildRun
run(std::initializer_list<const char*> arguments, uint32 extraPipes = 0,
	const std::string& input = "")
{
	std::vector<const char*> argv(arguments);
	image_pipes pipes;
	thread_id child = load_image_etc((int32)argv.size(), argv.data(), NULL,
		B_IMAGE_PIPE_STDOUT | extraPipes, &pipes);
	EXPECT_GE(child, 0) << argv[0];
	ChildRun result;
	if (child < 0)
		return result;
	EXPECT_EQ(resume_thread(child), B_OK);
	if (pipes.stdin_fd >= 0) {
		EXPECT_EQ(write(pipes.stdin_fd, input.data(), input.size()), (ssize_t)input.size());
		close(pipes.stdin_fd);
	}
	result.output = read_all(pipes.stdout_fd);
	close(pipes.stdout_fd);
	EXPECT_EQ(wait_for_thread(child, &result.exitValue), B_OK);
	return result;
}

} // namespace

TEST(LoadImage, ArgumentsReachTheProgramAsTheyAreAndInputComesBack)
{
	ChildRun echo = run({"printf", "%s|", "two words", "$HOME", "'; rm -rf x", ""});
	EXPECT_EQ(echo.output, "two words|$HOME|'; rm -rf x||");
	EXPECT_EQ(echo.exitValue, 0);

	ChildRun cat = run({"/bin/cat"}, B_IMAGE_PIPE_STDIN, std::string("line\n\0binary", 12));
	EXPECT_EQ(cat.output, std::string("line\n\0binary", 12));

	const char* environment[] = {"MURMELO_ONLY=1", NULL};
	const char* argv[] = {"/usr/bin/env", NULL};
	image_pipes pipes;
	thread_id env = load_image_etc(1, argv, environment, B_IMAGE_PIPE_STDOUT, &pipes);
	ASSERT_GE(env, 0);
	resume_thread(env);
	EXPECT_EQ(read_all(pipes.stdout_fd), "MURMELO_ONLY=1\n");
	close(pipes.stdout_fd);
	EXPECT_EQ(wait_for_thread(env, NULL), B_OK);
}

TEST(LoadImage, ExitStatusesAndSignalsAreTold)
{
	EXPECT_EQ(run({"false"}).exitValue, 1);
	EXPECT_EQ(run({"sh", "-c", "exit 77"}).exitValue, 77);

	const char* argv[] = {"sleep", "30", NULL};
	thread_id sleeper = load_image(2, argv, NULL);
	ASSERT_GE(sleeper, 0);
	ASSERT_EQ(resume_thread(sleeper), B_OK);
	EXPECT_EQ(resume_thread(sleeper), B_BAD_THREAD_STATE);
	EXPECT_EQ(kill_thread(sleeper), B_OK);
	int32 code = -1, signal = -1;
	EXPECT_EQ(wait_for_image(sleeper, &code, &signal), B_OK);
	EXPECT_EQ(signal, SIGKILL);
	// Asked again, the same answer; wait_for_thread in the shell's way.
	status_t exitValue = 0;
	EXPECT_EQ(wait_for_thread(sleeper, &exitValue), B_OK);
	EXPECT_EQ(exitValue, 128 + SIGKILL);
	EXPECT_EQ(kill_thread(sleeper), B_BAD_THREAD_ID);
}

TEST(LoadImage, ChildStartsOnlyWhenResumedOrWaitedFor)
{
	char folder[] = "/tmp/murmelo-image-XXXXXX";
	ASSERT_NE(mkdtemp(folder), nullptr);
	std::string mark = std::string(folder) + "/mark";
	const char* argv[] = {"touch", mark.c_str(), NULL};
	thread_id child = load_image(2, argv, NULL);
	ASSERT_GE(child, 0);
	EXPECT_NE(access(mark.c_str(), F_OK), 0);
	EXPECT_EQ(wait_for_thread(child, NULL), B_OK);
	EXPECT_EQ(access(mark.c_str(), F_OK), 0);

	// A child killed before it ran never runs.
	std::string never = std::string(folder) + "/never";
	const char* neverArgv[] = {"touch", never.c_str(), NULL};
	thread_id unborn = load_image(2, neverArgv, NULL);
	ASSERT_GE(unborn, 0);
	EXPECT_EQ(kill_thread(unborn), B_OK);
	EXPECT_EQ(resume_thread(unborn), B_BAD_THREAD_STATE);
	EXPECT_EQ(access(never.c_str(), F_OK), -1);
	unlink(mark.c_str());
	rmdir(folder);
}

TEST(LoadImage, ProgramsThatCannotRunAreRefusedAtLoad)
{
	const char* missing[] = {"murmelo-no-such-program", NULL};
	EXPECT_EQ(load_image(1, missing, NULL), B_ENTRY_NOT_FOUND);
	const char* missingPath[] = {"/nonexistent/program", NULL};
	EXPECT_EQ(load_image(1, missingPath, NULL), B_ENTRY_NOT_FOUND);
	char text[] = "/tmp/murmelo-text-XXXXXX";
	int fd = mkstemp(text);
	ASSERT_GE(fd, 0);
	close(fd);
	const char* notAProgram[] = {text, NULL};
	EXPECT_EQ(load_image(1, notAProgram, NULL), B_PERMISSION_DENIED);
	unlink(text);
	const char* folder[] = {"/tmp", NULL};
	EXPECT_EQ(load_image(1, folder, NULL), B_NOT_AN_EXECUTABLE);
	EXPECT_EQ(load_image(0, missing, NULL), B_BAD_VALUE);
	const char* withHole[] = {"true", NULL, NULL};
	EXPECT_EQ(load_image(2, withHole, NULL), B_BAD_VALUE);
	EXPECT_EQ(wait_for_thread(999999, NULL), B_BAD_THREAD_ID);
}

TEST(LoadImage, BrokenPipesNeverEndTheCaller)
{
	// The child quits without reading: writing gives EPIPE, not SIGPIPE.
	const char* argv[] = {"true", NULL};
	image_pipes pipes;
	thread_id child = load_image_etc(1, argv, NULL, B_IMAGE_PIPE_STDIN, &pipes);
	ASSERT_GE(child, 0);
	EXPECT_EQ(pipes.stdout_fd, -1);
	EXPECT_EQ(wait_for_thread(child, NULL), B_OK);
	EXPECT_EQ(write(pipes.stdin_fd, "x", 1), -1);
	EXPECT_EQ(errno, EPIPE);
	close(pipes.stdin_fd);

	// The child itself gets SIGPIPE at its default, though the caller ignores it.
	const char* yes[] = {"yes", NULL};
	thread_id writer = load_image_etc(1, yes, NULL, B_IMAGE_PIPE_STDOUT, &pipes);
	ASSERT_GE(writer, 0);
	resume_thread(writer);
	char buffer[16];
	EXPECT_GT(read(pipes.stdout_fd, buffer, sizeof(buffer)), 0);
	close(pipes.stdout_fd);
	int32 code = -1, signal = 0;
	EXPECT_EQ(wait_for_image(writer, &code, &signal), B_OK);
	EXPECT_EQ(signal, SIGPIPE);
}
