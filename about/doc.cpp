#include <doc.h>

#include <HostPath.h>
#include <String.h>
#include <SupportDefs.h>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kDocDirectory = "/boot/apps/trovel/doc";

const char* const kMainDocuments[] = {"About", "README", "ChangeLog"};
const char* const kDaemonDocuments[] = {"license", "README", "ChangeLog", "Usage"};

enum read_result {
	DOC_READ,
	DOC_UNREADABLE,
	DOC_NO_MEMORY
};

// The host path of entry index of table; an index outside the table names
// no file, so the path says so and every read of it fails.
template<size_t N>
BString
document_path(const char* const (&table)[N], int index)
{
	BString path = host_path(kDocDirectory);
	if (index < 0 || (size_t)index >= N)
		return path << "/(no document " << (int32)index << ")";
	return path << "/" << table[index];
}

// The whole file in one heap buffer of its size plus a terminating zero.
read_result
read_document(const char* path, char** text, size_t* size)
{
	struct stat st;
	if (stat(path, &st) != 0 || !S_ISREG(st.st_mode))
		return DOC_UNREADABLE;

	*size = (size_t)st.st_size;
	*text = (char*)malloc(*size + 1);
	if (*text == NULL)
		return DOC_NO_MEMORY;

	int fd = open(path, O_RDONLY | O_CLOEXEC);
	size_t done = 0;
	if (fd >= 0) {
		while (done < *size) {
			ssize_t got = read(fd, *text + done, *size - done);
			if (got <= 0)
				break;
			done += got;
		}
		close(fd);
	}
	if (fd < 0 || done < *size) {
		free(*text);
		*text = NULL;
		return DOC_UNREADABLE;
	}
	(*text)[*size] = '\0';
	return DOC_READ;
}

BString
error_text(const BString& path)
{
	BString text("Can't read file ");
	return text << path << " ";
}

} // namespace

doc::doc()
{
}

doc::~doc()
{
}

char*
doc::show_text_file(int index)
{
	BString path = document_path(kMainDocuments, index);
	char* text = NULL;
	size_t size = 0;
	switch (read_document(path.String(), &text, &size)) {
		case DOC_READ:
			return text;
		case DOC_NO_MEMORY:
			return NULL;
		case DOC_UNREADABLE:
			break;
	}
	return strdup(error_text(path).String());
}

void
doc::doc_show_text_file(int index)
{
	BString path = document_path(kDaemonDocuments, index);
	char* text = NULL;
	size_t size = 0;
	switch (read_document(path.String(), &text, &size)) {
		case DOC_READ:
			fwrite(text, 1, size, stdout);
			fputc('\n', stdout);
			exit(1);
		case DOC_NO_MEMORY:
			return;
		case DOC_UNREADABLE:
			break;
	}
	printf("%s\n", error_text(path).String());
	exit(1);
}
