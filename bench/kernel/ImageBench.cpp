// Starting a child process through the kernel kit against posix_spawn
// itself, and a view tree through an archive.
#include <Archivable.h>
#include <Message.h>
#include <View.h>
#include <image.h>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

static void
BM_LoadImageAndWait(benchmark::State& state)
{
	const char* argv[] = {"/bin/true", NULL};
	for (auto _ : state) {
		thread_id child = load_image(1, argv, NULL);
		status_t exitValue;
		wait_for_thread(child, &exitValue);
	}
}
BENCHMARK(BM_LoadImageAndWait)->Unit(benchmark::kMicrosecond);

static void
BM_PosixSpawnAndWait(benchmark::State& state)
{
	char* argv[] = {const_cast<char*>("/bin/true"), NULL};
	for (auto _ : state) {
		pid_t pid;
		posix_spawn(&pid, argv[0], NULL, NULL, argv, environ);
		int status;
		waitpid(pid, &status, 0);
	}
}
BENCHMARK(BM_PosixSpawnAndWait)->Unit(benchmark::kMicrosecond);

// 64 KiB through cat and back, with both pipes.
static void
BM_LoadImagePipeRoundTrip(benchmark::State& state)
{
	const char* argv[] = {"/bin/cat", NULL};
	std::string data(64 * 1024, 'x');
	for (auto _ : state) {
		image_pipes pipes;
		thread_id child = load_image_etc(1, argv, NULL,
			B_IMAGE_PIPE_STDIN | B_IMAGE_PIPE_STDOUT, &pipes);
		resume_thread(child);
		size_t read = 0, written = 0;
		char buffer[16384];
		// Half a pipe's worth at a time, so neither side fills up.
		while (read < data.size()) {
			if (written < data.size()) {
				ssize_t count = write(pipes.stdin_fd, data.data() + written, 16384);
				written += count > 0 ? count : 0;
				if (written == data.size())
					close(pipes.stdin_fd);
			}
			ssize_t count = ::read(pipes.stdout_fd, buffer, sizeof(buffer));
			if (count <= 0)
				break;
			read += count;
		}
		close(pipes.stdout_fd);
		wait_for_thread(child, NULL);
	}
	state.SetBytesProcessed(state.iterations() * data.size());
}
BENCHMARK(BM_LoadImagePipeRoundTrip)->Unit(benchmark::kMicrosecond);

// A tree of 1 + 10 x 10 views archived, flattened, unflattened and made again.
static void
BM_ViewTreeThroughAnArchive(benchmark::State& state)
{
	BView tree(BRect(0, 0, 399, 299), "tree", B_FOLLOW_ALL, B_WILL_DRAW);
	for (int i = 0; i < 10; i++) {
		BView* row = new BView(BRect(0, i * 30, 399, i * 30 + 29), "row", B_FOLLOW_NONE, 0);
		for (int j = 0; j < 10; j++)
			row->AddChild(new BView(BRect(j * 40, 0, j * 40 + 39, 29), "cell", B_FOLLOW_NONE, 0));
		tree.AddChild(row);
	}
	for (auto _ : state) {
		BMessage archive;
		tree.Archive(&archive, true);
		std::string flat(archive.FlattenedSize(), '\0');
		archive.Flatten(flat.data(), flat.size());
		BMessage copy;
		copy.Unflatten(flat.data(), flat.size());
		delete instantiate_object(&copy);
	}
}
BENCHMARK(BM_ViewTreeThroughAnArchive)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
