#include <MessageNames.h>

#include <HostPath.h>

#include <fcntl.h>
#include <vector>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

const char kMagic[4] = {'M', 'N', 'A', 'M'};
// The arrival entry follows its names entry in the same write; older
// readers never follow the record's time reference, so they never see it.
const char kArrivalMagic[4] = {'M', 'T', 'I', 'M'};
// A text longer than the record's field follows its arrival entry in the
// same write: magic, length, check, then the whole text.
const char kTextMagic[4] = {'M', 'T', 'X', 'T'};
const uint32 kHeaderSize = 12;
const uint32 kArrivalEntrySize = kHeaderSize + 8;
const uint32 kMinEntrySize = kHeaderSize + 3;
const uint32 kMaxEntrySize = kHeaderSize + 3 * (kMaxNameLength + 1);
const char* const kUnknown = "unknown";

size_t
cut_length(const char* name)
{
	if (name == NULL)
		return 0;
	return strnlen(name, kMaxNameLength);
}

// Reads the entry a reference points at into names[0..2]; checks that it
// is whole and belongs to the record with this check.
status_t
read_entry(int fd, uint32 reference, uint32 check, BString names[3])
{
	if (reference == 0)
		return B_ENTRY_NOT_FOUND;
	char entry[kMaxEntrySize];
	ssize_t got = pread(fd, entry, sizeof(entry), (off_t)reference - 1);
	if (got < (ssize_t)kMinEntrySize)
		return B_BAD_DATA;

	uint32 length;
	uint32 stored;
	memcpy(&length, entry + 4, 4);
	memcpy(&stored, entry + 8, 4);
	if (memcmp(entry, kMagic, 4) != 0 || length < kMinEntrySize || length > kMaxEntrySize
		|| length > (uint32)got || stored != check)
		return B_BAD_DATA;

	uint32 at = kHeaderSize;
	for (int k = 0; k < 3; k++) {
		const char* start = entry + at;
		const void* end = memchr(start, '\0', length - at);
		if (end == NULL || (const char*)end - start > kMaxNameLength)
			return B_BAD_DATA;
		names[k].SetTo(start, (int32)((const char*)end - start));
		at += (uint32)((const char*)end - start) + 1;
	}
	return at == length ? B_OK : B_BAD_DATA;
}

// Reads the arrival entry a time reference points at; checks that it is
// whole and belongs to the record with this check.
status_t
read_arrival_entry(int fd, uint32 reference, uint32 check, int64* arrival)
{
	char entry[kArrivalEntrySize];
	ssize_t got = pread(fd, entry, sizeof(entry), (off_t)reference - 1);
	if (got != (ssize_t)sizeof(entry))
		return B_BAD_DATA;
	uint32 length;
	uint32 stored;
	memcpy(&length, entry + 4, 4);
	memcpy(&stored, entry + 8, 4);
	if (memcmp(entry, kArrivalMagic, 4) != 0 || length != kArrivalEntrySize || stored != check)
		return B_BAD_DATA;
	int64 when;
	memcpy(&when, entry + kHeaderSize, 8);
	if (when < 0)
		return B_BAD_DATA;
	*arrival = when;
	return B_OK;
}

bool
field_is_full(const Tliste* record)
{
	return memchr(record->message, '\0', kMessageSize) == NULL;
}

// The record's text: its text entry when the field is full and the entry
// behind its arrival entry is its own, else the field.
status_t
read_text_entry(int fd, const Tliste* record, uint32 check, BString* text)
{
	text->SetTo(record->message, (int32)strnlen(record->message, kMessageSize));
	if (!field_is_full(record))
		return B_OK;
	if (record->time == 0 || fd < 0)
		return B_ENTRY_NOT_FOUND;
	off_t at = (off_t)record->time - 1 + kArrivalEntrySize;
	char header[kHeaderSize];
	if (pread(fd, header, sizeof(header), at) != (ssize_t)sizeof(header))
		return B_ENTRY_NOT_FOUND;
	uint32 length;
	uint32 stored;
	memcpy(&length, header + 4, 4);
	memcpy(&stored, header + 8, 4);
	if (memcmp(header, kTextMagic, 4) != 0 || stored != check
		|| length < kHeaderSize + kMessageSize || length - kHeaderSize > kMaxMessageText)
		return B_ENTRY_NOT_FOUND;
	uint32 size = length - kHeaderSize;
	BString whole;
	char* buffer = whole.LockBuffer((int32)size + 1);
	if (buffer == NULL)
		return B_NO_MEMORY;
	ssize_t got = pread(fd, buffer, size, at + kHeaderSize);
	whole.UnlockBuffer(got == (ssize_t)size ? (int32)size : 0);
	// A torn entry reads as none; the field still holds the beginning.
	if (got != (ssize_t)size || memcmp(buffer, record->message, kMessageSize) != 0)
		return B_ENTRY_NOT_FOUND;
	*text = whole;
	return B_OK;
}

} // namespace

uint32
message_check(const Tliste* record)
{
	uint32 hash = 2166136261u;
	for (int32 i = 0; i < kMessageSize; i++) {
		hash ^= (uint8)record->message[i];
		hash *= 16777619u;
	}
	return hash;
}

uint32
append_message_names(const Tliste* record, const char* from, const char* to,
	const char* realfrom, int64 arrival, uint32* arrivalReference, const char* text,
	size_t textLength)
{
	if (arrivalReference != NULL)
		*arrivalReference = 0;
	const char* names[3] = {from, to, realfrom};
	bool withText = text != NULL && textLength > (size_t)kMessageSize && arrival >= 0;
	if (textLength > kMaxMessageText)
		textLength = kMaxMessageText;
	size_t room = kMaxEntrySize + kArrivalEntrySize + (withText ? kHeaderSize + textLength : 0);
	std::vector<char> buffer(room);
	char* entry = buffer.data();
	uint32 length = kHeaderSize;
	for (const char* name : names) {
		size_t size = cut_length(name);
		if (size > 0)
			memcpy(entry + length, name, size);
		length += (uint32)size;
		entry[length++] = '\0';
	}
	uint32 check = message_check(record);
	memcpy(entry, kMagic, 4);
	memcpy(entry + 4, &length, 4);
	memcpy(entry + 8, &check, 4);
	uint32 namesLength = length;
	if (arrival >= 0) {
		char* timeEntry = entry + length;
		memcpy(timeEntry, kArrivalMagic, 4);
		memcpy(timeEntry + 4, &kArrivalEntrySize, 4);
		memcpy(timeEntry + 8, &check, 4);
		memcpy(timeEntry + kHeaderSize, &arrival, 8);
		length += kArrivalEntrySize;
	}
	if (withText) {
		char* textEntry = entry + length;
		uint32 textEntrySize = kHeaderSize + (uint32)textLength;
		memcpy(textEntry, kTextMagic, 4);
		memcpy(textEntry + 4, &textEntrySize, 4);
		memcpy(textEntry + 8, &check, 4);
		memcpy(textEntry + kHeaderSize, text, textLength);
		length += textEntrySize;
	}

	// Opened without waiting: a FIFO in its place must not hold the intake.
	int fd = open(host_path(MURMELO_NAMES_FILE).String(),
		O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
	if (fd < 0)
		return 0;
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		close(fd);
		return 0;
	}
	ssize_t written = write(fd, entry, length);
	// With O_APPEND the position after our own write is the end of our own
	// entries, whatever other intakes appended meanwhile.
	off_t end = written == (ssize_t)length ? lseek(fd, 0, SEEK_CUR) : -1;
	close(fd);
	if (end < (off_t)length || end >= (off_t)UINT32_MAX)
		return 0;
	uint32 reference = (uint32)(end - length) + 1;
	if (arrivalReference != NULL && arrival >= 0)
		*arrivalReference = reference + namesLength;
	return reference;
}

status_t
read_message_names(const Tliste* record, BString* from, BString* to, BString* realfrom)
{
	BString* wanted[3] = {from, to, realfrom};
	for (BString* name : wanted) {
		if (name != NULL)
			name->SetTo(kUnknown);
	}
	if (record == NULL)
		return B_BAD_VALUE;
	if (record->from == 0 && record->to == 0 && record->realfrom == 0)
		return B_ENTRY_NOT_FOUND;

	int fd = open(host_path(MURMELO_NAMES_FILE).String(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
	if (fd < 0)
		return B_ENTRY_NOT_FOUND;

	uint32 check = message_check(record);
	const uint32 references[3] = {record->from, record->to, record->realfrom};
	status_t result = B_OK;
	uint32 loaded = 0;
	status_t loadedStatus = B_ENTRY_NOT_FOUND;
	BString names[3];
	for (int k = 0; k < 3; k++) {
		if (wanted[k] == NULL)
			continue;
		if (references[k] != loaded || loaded == 0) {
			loaded = references[k];
			loadedStatus = read_entry(fd, loaded, check, names);
		}
		if (loadedStatus == B_OK)
			wanted[k]->SetTo(names[k]);
		else if (result == B_OK)
			result = loadedStatus;
	}
	close(fd);
	return result;
}

status_t
read_message_arrival(const Tliste* record, int64* arrival)
{
	if (record == NULL || arrival == NULL)
		return B_BAD_VALUE;
	*arrival = -1;
	if (record->time == 0)
		return B_ENTRY_NOT_FOUND;
	int fd = open(host_path(MURMELO_NAMES_FILE).String(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return B_ENTRY_NOT_FOUND;
	status_t result = read_arrival_entry(fd, record->time, message_check(record), arrival);
	close(fd);
	return result;
}

MessageNamesReader::MessageNamesReader()
	: fFD(open(host_path(MURMELO_NAMES_FILE).String(), O_RDONLY | O_CLOEXEC))
{
}

MessageNamesReader::~MessageNamesReader()
{
	if (fFD >= 0)
		close(fFD);
}

status_t
MessageNamesReader::ReadNames(const Tliste* record, uint32 check, BString* from, BString* to)
{
	if (from != NULL)
		from->SetTo(kUnknown);
	if (to != NULL)
		to->SetTo(kUnknown);
	if (record == NULL)
		return B_BAD_VALUE;
	if (record->from == 0 && record->to == 0 && record->realfrom == 0)
		return B_ENTRY_NOT_FOUND;
	if (fFD < 0)
		return B_ENTRY_NOT_FOUND;
	// The intake writes one entry for all three; older files may not.
	BString names[3];
	status_t result = read_entry(fFD, record->from, check, names);
	if (result == B_OK && from != NULL)
		from->SetTo(names[0]);
	status_t second = result;
	if (record->to != record->from)
		second = read_entry(fFD, record->to, check, names);
	if (second == B_OK && to != NULL)
		to->SetTo(names[1]);
	return result != B_OK ? result : second;
}

status_t
MessageNamesReader::ReadArrival(const Tliste* record, uint32 check, int64* arrival)
{
	if (record == NULL || arrival == NULL)
		return B_BAD_VALUE;
	*arrival = -1;
	if (record->time == 0 || fFD < 0)
		return B_ENTRY_NOT_FOUND;
	return read_arrival_entry(fFD, record->time, check, arrival);
}

status_t
MessageNamesReader::ReadText(const Tliste* record, uint32 check, BString* text)
{
	if (record == NULL || text == NULL)
		return B_BAD_VALUE;
	return read_text_entry(fFD, record, check, text);
}

status_t
read_message_text(const Tliste* record, BString* text)
{
	if (record == NULL || text == NULL)
		return B_BAD_VALUE;
	if (!field_is_full(record))
		return read_text_entry(-1, record, 0, text);
	int fd = open(host_path(MURMELO_NAMES_FILE).String(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
	status_t result = read_text_entry(fd, record, message_check(record), text);
	if (fd >= 0)
		close(fd);
	return result;
}

BString
format_arrival(int64 arrival, int64 now)
{
	if (arrival < 0)
		return BString();
	time_t seconds = (time_t)(arrival / 1000000);
	time_t today = (time_t)(now / 1000000);
	struct tm when;
	struct tm current;
	localtime_r(&seconds, &when);
	localtime_r(&today, &current);
	char text[32];
	bool sameDay = when.tm_year == current.tm_year && when.tm_yday == current.tm_yday;
	strftime(text, sizeof(text), sameDay ? "%H:%M" : "%-d %b %H:%M", &when);
	return BString(text);
}
