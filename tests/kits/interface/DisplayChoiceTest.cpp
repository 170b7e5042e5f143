// The display a program is given: a screen it cannot open ends it with a
// clear message; only BE_DISPLAY=headless, or no display at all, runs
// without one.
#include <image.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct Outcome {
	status_t exitValue = -1;
	std::string errors;
};

Outcome
run_probe(std::vector<std::string> environment)
{
	environment.push_back("PATH=/usr/bin:/bin");
	std::vector<const char*> envp;
	for (const std::string& variable : environment)
		envp.push_back(variable.c_str());
	envp.push_back(NULL);
	const char* argv[] = {DISPLAY_PROBE, NULL};
	image_pipes pipes;
	Outcome outcome;
	thread_id probe = load_image_etc(1, argv, envp.data(), B_IMAGE_PIPE_STDERR, &pipes);
	EXPECT_GE(probe, 0);
	if (probe < 0)
		return outcome;
	resume_thread(probe);
	char buffer[512];
	ssize_t count;
	while ((count = read(pipes.stderr_fd, buffer, sizeof(buffer))) > 0)
		outcome.errors.append(buffer, count);
	close(pipes.stderr_fd);
	EXPECT_EQ(wait_for_thread(probe, &outcome.exitValue), B_OK);
	return outcome;
}

} // namespace

TEST(DisplayChoice, AScreenThatCannotBeOpenedEndsTheProgramWithAMessage)
{
	// No X server answers on display 4093 of this machine.
	Outcome sdl = run_probe({"BE_DISPLAY=sdl", "DISPLAY=:4093"});
	EXPECT_EQ(sdl.exitValue, 1);
	EXPECT_NE(sdl.errors.find("No SDL display could be opened (display \":4093\")"),
		std::string::npos) << sdl.errors;
	Outcome unset = run_probe({"DISPLAY=:4093"});
	EXPECT_EQ(unset.exitValue, 1);
	EXPECT_NE(unset.errors.find("No SDL display could be opened"), std::string::npos);
	Outcome unknown = run_probe({"BE_DISPLAY=vga", "DISPLAY=:4093"});
	EXPECT_EQ(unknown.exitValue, 1);
	EXPECT_NE(unknown.errors.find("BE_DISPLAY=vga is unknown"), std::string::npos);
}

TEST(DisplayChoice, HeadlessOrNoDisplayRunsWithoutAScreen)
{
	Outcome headless = run_probe({"BE_DISPLAY=headless", "DISPLAY=:4093"});
	EXPECT_EQ(headless.exitValue, 0) << headless.errors;
	Outcome none = run_probe({});
	EXPECT_EQ(none.exitValue, 0) << none.errors;
}
