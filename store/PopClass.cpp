#include <PopClass.h>

#include <Errors.h>
#include <HostPath.h>

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <new>

int total_number_of_messages = 0;
int new_messages = 0;
int first_new_message = 0;

namespace {

// Reads exactly one record at offset; false on a short read or an error.
bool
read_record(int fd, off_t offset, Tliste* into)
{
	size_t done = 0;
	char* bytes = (char*)into;
	while (done < sizeof(Tliste)) {
		ssize_t got = pread(fd, bytes + done, sizeof(Tliste) - done, offset + done);
		if (got <= 0)
			return false;
		done += got;
	}
	return true;
}

bool
write_record(int fd, off_t offset, const Tliste* record)
{
	size_t done = 0;
	const char* bytes = (const char*)record;
	while (done < sizeof(Tliste)) {
		ssize_t put = pwrite(fd, bytes + done, sizeof(Tliste) - done, offset + done);
		if (put <= 0)
			return false;
		done += put;
	}
	return true;
}

// Opens the data file without ever waiting (a FIFO would block open() and
// read()); anything but a regular file is refused, said once.
int
open_data_file(int mode)
{
	BString path = host_path(MURMELO_DATA_FILE);
	int fd = open(path.String(), mode | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return -1;
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		static bool said = false;
		if (!said) {
			said = true;
			fprintf(stderr, "murmelo: %s is not a regular file, no messages are read from it\n",
				path.String());
		}
		close(fd);
		errno = EINVAL;
		return -1;
	}
	// Reads of a regular file never wait anyway; writes stay ordinary.
	fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
	return fd;
}

// Record i of the file, as long as the file holds the whole record.
bool
record_exists(int fd, int i)
{
	struct stat st;
	return i >= 1 && fstat(fd, &st) == 0 && st.st_size / kRecordSize >= i;
}

} // namespace

PopClass::PopClass()
{
	init();
}

PopClass::~PopClass()
{
	effacetout();
}

void
PopClass::init()
{
	pop = NULL;
	nbPop = 0;
	popCourant = 1;
}

Tliste*
PopClass::getPop()
{
	return pop;
}

int
PopClass::getNbPop()
{
	return nbPop;
}

int
PopClass::getPopCourant()
{
	return popCourant;
}

bool
PopClass::vide()
{
	return pop == NULL;
}

void
PopClass::debut()
{
	if (pop == NULL)
		return;
	while (Tliste* previous = pop->previous())
		pop = previous;
	popCourant = 1;
}

void
PopClass::fin()
{
	if (pop == NULL)
		return;
	while (Tliste* next = pop->next())
		pop = next;
	popCourant = nbPop;
}

void
PopClass::precedent()
{
	if (pop == NULL)
		return;
	if (Tliste* previous = pop->previous()) {
		pop = previous;
		popCourant--;
	}
}

void
PopClass::suivant()
{
	if (pop == NULL)
		return;
	if (Tliste* next = pop->next()) {
		pop = next;
		popCourant++;
	}
}

void
PopClass::ajoute(Tliste* node)
{
	// A node that is already in a list would tie the two lists together.
	if (node == NULL || tliste_handle(node) != 0)
		return;

	uint32 handle = tliste_register(node);
	// Links loaded from a file are meaningless here.
	node->suivant = 0;
	node->precedent = 0;
	if (pop == NULL) {
		pop = node;
	} else {
		Tliste* last = pop;
		while (Tliste* next = last->next())
			last = next;
		last->suivant = handle;
		node->precedent = tliste_handle(last);
	}
	nbPop++;
}

void
PopClass::efface()
{
	if (pop == NULL)
		return;

	Tliste* gone = pop;
	Tliste* next = gone->next();
	Tliste* previous = gone->previous();
	if (next != NULL) {
		next->precedent = gone->precedent;
		if (previous != NULL)
			previous->suivant = gone->suivant;
		pop = next;
		nbPop--;
	} else if (previous != NULL) {
		previous->suivant = 0;
		pop = previous;
		nbPop--;
		popCourant--;
	} else {
		init();
	}
	tliste_unregister(gone);
	delete gone;
}

void
PopClass::effacetout()
{
	fin();
	popCourant = 1;
	nbPop = 0;
	while (pop != NULL) {
		Tliste* gone = pop;
		pop = gone->previous();
		tliste_unregister(gone);
		delete gone;
	}
}

int
PopClass::count_total_number_of_messages()
{
	struct stat st;
	if (stat(host_path(MURMELO_DATA_FILE).String(), &st) != 0 || !S_ISREG(st.st_mode))
		return 0;
	off_t count = st.st_size / kRecordSize;
	return count > INT_MAX ? INT_MAX : (int)count;
}

int
PopClass::are_there_new_messages_in_data_file()
{
	first_new_message = 0;
	new_messages = 0;

	int fd = open_data_file(O_RDONLY);
	if (fd < 0)
		return 0;
	struct stat st;
	fstat(fd, &st);
	// Where the file system keeps no birth time, the inode has to do.
	struct statx extended;
	int64 birth = 0;
	if (statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &extended) == 0
		&& (extended.stx_mask & STATX_BTIME) != 0)
		birth = (int64)extended.stx_btime.tv_sec * 1000000000 + extended.stx_btime.tv_nsec;
	if (st.st_dev != fScanDevice || st.st_ino != fScanNode || birth != fScanBirth
		|| st.st_size / kRecordSize < fScanFrom - 1) {
		// Another file, or a shorter one: nothing of it has been seen.
		fScanFrom = 1;
		fScanDevice = st.st_dev;
		fScanNode = st.st_ino;
		fScanBirth = birth;
	}
	if (lseek(fd, (off_t)(fScanFrom - 1) * kRecordSize, SEEK_SET) < 0) {
		close(fd);
		return 0;
	}

	// Only the flag byte of each record matters; read many records at once.
	// Reads of about 128 KiB scan twice as fast as reads of 32 records;
	// larger ones gain nothing more.
	const int kBatch = 128;
	std::unique_ptr<char[]> storage(new (std::nothrow) char[kBatch * sizeof(Tliste)]);
	if (storage == NULL) {
		close(fd);
		return 0;
	}
	char* buffer = storage.get();
	int i = fScanFrom;
	while (i <= total_number_of_messages) {
		int wanted = total_number_of_messages - i + 1;
		if (wanted > kBatch)
			wanted = kBatch;
		size_t size = (size_t)wanted * kRecordSize;
		size_t done = 0;
		while (done < size) {
			ssize_t got = read(fd, buffer + done, size - done);
			if (got <= 0)
				break;
			done += got;
		}
		int whole = (int)(done / kRecordSize);
		for (int k = 0; k < whole; k++, i++) {
			if (buffer[k * kRecordSize + offsetof(Tliste, is_new)] == 1) {
				new_messages++;
				if (first_new_message == 0)
					first_new_message = i;
			}
		}
		if (whole < wanted)
			break;
	}
	close(fd);
	// Nothing before the first new record needs reading again.
	fScanFrom = first_new_message != 0 ? first_new_message : i;
	return new_messages;
}

void
PopClass::skip_messages_up_to(int i)
{
	if (i + 1 > fScanFrom)
		fScanFrom = i + 1;
}

void
PopClass::read_message(int i, Tliste* rec)
{
	if (rec == NULL || i < 1)
		return;
	int fd = open_data_file(O_RDONLY);
	if (fd < 0)
		return;
	Tliste record;
	if (read_record(fd, (off_t)(i - 1) * kRecordSize, &record)) {
		// The caller's node may sit in a list: keep its own links.
		record.suivant = rec->suivant;
		record.precedent = rec->precedent;
		memcpy(rec, &record, sizeof(Tliste));
	}
	close(fd);
}

int
PopClass::read_messages(int first, int count, Tliste* records)
{
	if (records == NULL || first < 1 || count <= 0)
		return 0;
	int fd = open_data_file(O_RDONLY);
	if (fd < 0)
		return 0;
	size_t size = (size_t)count * kRecordSize;
	size_t done = 0;
	while (done < size) {
		ssize_t got = pread(fd, (char*)records + done, size - done,
			(off_t)(first - 1) * kRecordSize + done);
		if (got <= 0)
			break;
		done += got;
	}
	close(fd);
	int whole = (int)(done / kRecordSize);
	for (int k = 0; k < whole; k++)
		records[k].suivant = records[k].precedent = 0;
	return whole;
}

void
PopClass::write_message(int i, Tliste* rec)
{
	if (rec == NULL || i < 1)
		return;
	int fd = open_data_file(O_WRONLY);
	if (fd < 0)
		return;
	// Only a record that is there is overwritten: writing past the end would
	// race with the intake's appends.
	if (record_exists(fd, i)) {
		Tliste record;
		memcpy(&record, rec, sizeof(Tliste));
		record.suivant = 0;
		record.precedent = 0;
		write_record(fd, (off_t)(i - 1) * kRecordSize, &record);
	}
	close(fd);
}

status_t
PopClass::this_message_is_no_longer_new(int i)
{
	if (i < 1)
		return B_BAD_VALUE;
	int fd = open_data_file(O_WRONLY);
	if (fd < 0)
		return be_error_from_errno(errno);
	// The flag byte alone: the rest of the record may not be rewritten
	// from a copy read a moment before.
	status_t status = B_ENTRY_NOT_FOUND;
	if (record_exists(fd, i)) {
		const uint8 seen = 0;
		ssize_t put = pwrite(fd, &seen, 1, (off_t)(i - 1) * kRecordSize + offsetof(Tliste, is_new));
		status = put == 1 ? B_OK : be_error_from_errno(put < 0 ? errno : EIO);
	}
	close(fd);
	if (status == B_OK && new_messages > 0)
		new_messages--;
	return status;
}
