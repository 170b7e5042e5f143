#include <doc.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempBootVolume.h"

namespace {

struct Printed {
	std::string output;
	int status = -1;
};

// Runs the daemon's printer in a child process, which it ends.
Printed
print_document(int index)
{
	Printed printed;
	int pipeEnds[2];
	if (pipe(pipeEnds) != 0)
		return printed;
	fflush(stdout);
	pid_t child = fork();
	if (child == 0) {
		dup2(pipeEnds[1], STDOUT_FILENO);
		close(pipeEnds[0]);
		close(pipeEnds[1]);
		doc reader;
		reader.doc_show_text_file(index);
		_exit(99);
	}
	close(pipeEnds[1]);
	char buffer[4096];
	ssize_t got;
	while ((got = read(pipeEnds[0], buffer, sizeof(buffer))) > 0)
		printed.output.append(buffer, got);
	close(pipeEnds[0]);
	int status;
	waitpid(child, &status, 0);
	printed.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return printed;
}

std::string
shown(int index)
{
	doc reader;
	char* text = reader.show_text_file(index);
	std::string result = text != NULL ? text : "(null)";
	free(text);
	return result;
}

const std::string kOddBytes = std::string("line one\r\n\ttabbed\n\n\xc3\xa9\xff last, no newline");

} // namespace

TEST(Doc, MainTableTextsAreReturnedByteForByte)
{
	TempBootVolume volume;
	volume.Write("apps/trovel/doc/About", "about text\n");
	volume.Write("apps/trovel/doc/README", kOddBytes);
	volume.Write("apps/trovel/doc/ChangeLog", "");
	EXPECT_EQ(shown(0), "about text\n");
	EXPECT_EQ(shown(1), kOddBytes);
	EXPECT_EQ(shown(2), "");
}

TEST(Doc, UnreadableDocumentsGiveTheErrorLine)
{
	TempBootVolume volume;
	std::string directory = volume.DocDirectory();
	EXPECT_EQ(shown(1), "Can't read file " + directory + "/README ");

	// A folder in place of the file, and indexes outside the table.
	mkdir((volume.Root() + "/apps").c_str(), 0755);
	mkdir((volume.Root() + "/apps/trovel").c_str(), 0755);
	mkdir(directory.c_str(), 0755);
	mkdir((directory + "/About").c_str(), 0755);
	EXPECT_EQ(shown(0), "Can't read file " + directory + "/About ");
	EXPECT_EQ(shown(3), "Can't read file " + directory + "/(no document 3) ");
	EXPECT_EQ(shown(-1), "Can't read file " + directory + "/(no document -1) ");
}

TEST(Doc, DaemonPrintsDocumentAndNewlineThenEndsWithOne)
{
	TempBootVolume volume;
	volume.Write("apps/trovel/doc/license", "the licence\n");
	volume.Write("apps/trovel/doc/README", kOddBytes);
	volume.Write("apps/trovel/doc/ChangeLog", "");
	volume.Write("apps/trovel/doc/Usage", "usage");

	Printed printed = print_document(0);
	EXPECT_EQ(printed.output, "the licence\n\n");
	EXPECT_EQ(printed.status, 1);
	printed = print_document(1);
	EXPECT_EQ(printed.output, kOddBytes + "\n");
	EXPECT_EQ(printed.status, 1);
	printed = print_document(2);
	EXPECT_EQ(printed.output, "\n");
	EXPECT_EQ(printed.status, 1);
	printed = print_document(3);
	EXPECT_EQ(printed.output, "usage\n");
	EXPECT_EQ(printed.status, 1);
}

TEST(Doc, DaemonReportsUnreadableDocumentsWithOne)
{
	TempBootVolume volume;
	std::string directory = volume.DocDirectory();
	Printed printed = print_document(2);
	EXPECT_EQ(printed.output, "Can't read file " + directory + "/ChangeLog \n");
	EXPECT_EQ(printed.status, 1);
	printed = print_document(4);
	EXPECT_EQ(printed.output, "Can't read file " + directory + "/(no document 4) \n");
	EXPECT_EQ(printed.status, 1);
}

TEST(Doc, InstalledDocumentsAreTheShippedOnes)
{
	const char* documents[] = {"About", "license", "README", "ChangeLog", "Usage"};
	for (const char* name : documents) {
		std::string shipped = TempBootVolume::Read(std::string(MURMELO_SOURCE_DIR) + "/data/doc/"
			+ name);
		EXPECT_FALSE(shipped.empty()) << name;
		EXPECT_EQ(TempBootVolume::Read(std::string(MURMELO_TREE) + "/doc/" + name), shipped)
			<< name;
	}
}
