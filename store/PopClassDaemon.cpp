// The daemon's side of the store: its command line and the message intake.
#include <PopClass.h>

#include <HostPath.h>
#include <MessageNames.h>
#include <doc.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

const char* const kVersion = "Murmelo V0.0.5";

// Document numbers of the daemon's table.
enum {
	DOC_LICENSE = 0,
	DOC_README = 1,
	DOC_CHANGELOG = 2,
	DOC_USAGE = 3
};

void
show_document(int index)
{
	doc* reader = new doc;
	reader->doc_show_text_file(index);
	// Only when there was no memory for the text.
	exit(0);
}

[[noreturn]] void
cannot_read(const char* path)
{
	printf("Can't read file %s \n", path);
	exit(1);
}

[[noreturn]] void
cannot_write(const BString& path)
{
	printf("Can't write file %s \n", path.String());
	exit(1);
}

// Appends what in one write. A write that stops short would leave a torn
// record that shifts every later one, so it is completed, or else taken back
// when nobody has appended behind it, and reported.
bool
append_record(int fd, const char* what, size_t size)
{
	ssize_t put = write(fd, what, size);
	if (put == (ssize_t)size)
		return true;
	if (put <= 0)
		return false;

	off_t end = lseek(fd, 0, SEEK_CUR);
	size_t done = (size_t)put;
	while (done < size) {
		ssize_t more = write(fd, what + done, size - done);
		if (more <= 0)
			break;
		done += more;
		end = lseek(fd, 0, SEEK_CUR);
	}
	if (done == size)
		return true;

	struct stat st;
	if (end >= (off_t)done && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)
		&& st.st_size == end && ftruncate(fd, end - (off_t)done) != 0) {
		// Nothing more can be done; the caller reports the failure.
	}
	return false;
}

// The message text, whole up to kMaxMessageText, from a regular file only;
// the record's field gets its first bytes. A FIFO or a device would keep
// the daemon waiting for a writer that may never come, so it is opened
// without waiting and refused. *cut tells that the file held more.
bool
read_message_file(const char* path, Tliste* record, std::vector<char>* text, bool* cut)
{
	*cut = false;
	int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
	if (fd < 0)
		return false;
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		close(fd);
		return false;
	}
	// One byte beyond the most kept tells a longer file.
	text->resize(st.st_size > 0 && (size_t)st.st_size <= kMaxMessageText
		? (size_t)st.st_size + 1 : kMaxMessageText + 1);
	size_t got = 0;
	while (got < text->size()) {
		ssize_t more = read(fd, text->data() + got, text->size() - got);
		if (more < 0 && errno == EINTR)
			continue;
		if (more < 0) {
			close(fd);
			return false;
		}
		if (more == 0)
			break;
		got += more;
		// The file may have grown since it was looked at.
		if (got == text->size() && text->size() <= kMaxMessageText)
			text->resize(std::min(text->size() * 2, kMaxMessageText + 1));
	}
	close(fd);
	if (got > kMaxMessageText) {
		got = kMaxMessageText;
		*cut = true;
	}
	text->resize(got);
	size_t field = std::min(got, (size_t)kMessageSize);
	memcpy(record->message, text->data(), field);
	if (field < (size_t)kMessageSize)
		record->message[field] = '\0';
	return true;
}

} // namespace

void
PopClass::principe(int argc, char** argv)
{
	if (argc > 3)
		trap_message(argc, argv);
	if (argc != 2)
		return;

	const char* word = argv[1];
	if (strstr(word, "info") != NULL) {
		char info[1024];
		snprintf(info, sizeof(info), "\nthis program is %s \nMessages are kept in %s",
			kVersion, MURMELO_DATA_FILE);
		printf("%s\n", info);
		printf("\n\n");
		show_document(DOC_LICENSE);
	}
	if (strstr(word, "help") != NULL) {
		char help[1024];
		snprintf(help, sizeof(help), "%s\n\n%s\n\n%s\n\n%s\n\n%s",
			"\nTo obtain help on Murmelod look at what is following.\n\n",
			"to have help on install use  Murmelod install",
			"to have help on the software utilisation  use  Murmelod utilisation",
			"to have help on diffrent version  use  Murmelod difversion",
			"\n\n");
		fputs(help, stdout);
		exit(0);
	}
	if (strstr(word, "install") != NULL)
		show_document(DOC_README);
	if (strstr(word, "utilisation") != NULL)
		show_document(DOC_USAGE);
	if (strstr(word, "difversion") != NULL)
		show_document(DOC_CHANGELOG);
}

void
PopClass::trap_message(int argc, char** argv)
{
	const char* path = argv[3];
	Tliste record;
	memset(&record, 0, sizeof(record));
	record.is_new = 1;
	// A folder, a FIFO or a read that fails must not pass for an empty
	// message, nor keep the daemon waiting.
	std::vector<char> text;
	bool cut = false;
	if (!read_message_file(path, &record, &text, &cut))
		cannot_read(path);
	if (cut) {
		fprintf(stderr, "Murmelod: the message in %s is longer than %zu bytes; the rest is "
			"not stored\n", path, kMaxMessageText);
	}

	const char* from = argv[1];
	const char* realfrom = argv[2];
	const char* to = argc > 4 ? argv[4] : argv[2];
	struct timespec now;
	clock_gettime(CLOCK_REALTIME, &now);
	int64 arrival = (int64)now.tv_sec * 1000000 + now.tv_nsec / 1000;
	// The record keeps the first 1000 bytes, as every reader expects; a
	// longer text goes whole to the names file, behind the arrival entry.
	uint32 names = append_message_names(&record, from, to, realfrom, arrival, &record.time,
		text.data(), text.size());
	record.from = names;
	record.to = names;
	record.realfrom = names;

	BString dataPath = host_path(MURMELO_DATA_FILE);
	int fd = open(dataPath.String(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK,
		0666);
	if (fd < 0)
		cannot_write(dataPath);
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		close(fd);
		cannot_write(dataPath);
	}
	// Other intakes wait while this one looks at the end and appends.
	while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
	}

	// A file whose end is off the record grid (a torn write of an older
	// program, a copy cut short) would put this record and every later one
	// astride two slots. Zeros up to the next record make a slot readers
	// already skip (not new, empty), and the grid holds again.
	char buffer[2 * sizeof(Tliste)];
	size_t pad = 0;
	if (fstat(fd, &st) == 0 && st.st_size % (off_t)sizeof(Tliste) != 0) {
		pad = sizeof(Tliste) - (size_t)(st.st_size % (off_t)sizeof(Tliste));
		fprintf(stderr, "Murmelod: %s ended off the record grid; %zu zero bytes put before "
			"the new record\n", dataPath.String(), pad);
	}
	memset(buffer, 0, pad);
	memcpy(buffer + pad, &record, sizeof(Tliste));
	bool stored = append_record(fd, buffer, pad + sizeof(Tliste));
	close(fd);
	if (!stored)
		cannot_write(dataPath);
	if (names == 0) {
		// Stored, but it will read as from "unknown": Samba's log must say so.
		fprintf(stderr, "Can't write file %s\n", host_path(MURMELO_NAMES_FILE).String());
		exit(1);
	}
	exit(0);
}
