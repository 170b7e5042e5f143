#include <PopClass.h>

#include <HostPath.h>

#include <fcntl.h>
#include <limits.h>
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
	if (stat(host_path(MURMELO_DATA_FILE).String(), &st) != 0)
		return 0;
	off_t count = st.st_size / kRecordSize;
	return count > INT_MAX ? INT_MAX : (int)count;
}

int
PopClass::are_there_new_messages_in_data_file()
{
	first_new_message = 0;
	new_messages = 0;

	int fd = open(host_path(MURMELO_DATA_FILE).String(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return 0;

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
	int i = 1;
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
	return new_messages;
}

void
PopClass::read_message(int i, Tliste* rec)
{
	if (rec == NULL || i < 1)
		return;
	int fd = open(host_path(MURMELO_DATA_FILE).String(), O_RDONLY | O_CLOEXEC);
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

void
PopClass::write_message(int i, Tliste* rec)
{
	if (rec == NULL || i < 1)
		return;
	int fd = open(host_path(MURMELO_DATA_FILE).String(), O_WRONLY | O_CLOEXEC);
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

void
PopClass::this_message_is_no_longer_new(int i)
{
	if (i < 1)
		return;
	Tliste record;
	int fd = open(host_path(MURMELO_DATA_FILE).String(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return;
	bool found = read_record(fd, (off_t)(i - 1) * kRecordSize, &record);
	close(fd);
	if (!found)
		return;
	record.is_new = 0;
	write_message(i, &record);
	new_messages--;
}
