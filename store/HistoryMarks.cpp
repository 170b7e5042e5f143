#include <HistoryMarks.h>

#include <HostPath.h>
#include <MessageNames.h>

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kMagic[4] = {'M', 'M', 'R', 'K'};
const size_t kMarkSize = 20;

uint32
mark_check(const char* bytes)
{
	uint32 hash = 2166136261u;
	for (size_t i = 0; i < kMarkSize - 4; i++) {
		hash ^= (uint8)bytes[i];
		hash *= 16777619u;
	}
	return hash;
}

} // namespace

status_t
append_history_mark(int32 record, const Tliste* rec, uint32 kind)
{
	if (rec == NULL)
		return B_BAD_VALUE;
	return append_history_mark(record, message_check(rec), kind);
}

status_t
append_history_mark(int32 record, uint32 check, uint32 kind)
{
	if (record < 1 || (kind != HISTORY_MARK_AWAY && kind != HISTORY_MARK_DELETED))
		return B_BAD_VALUE;
	char mark[kMarkSize];
	memcpy(mark, kMagic, 4);
	memcpy(mark + 4, &kind, 4);
	memcpy(mark + 8, &record, 4);
	memcpy(mark + 12, &check, 4);
	uint32 own = mark_check(mark);
	memcpy(mark + 16, &own, 4);

	int fd = open(host_path(MURMELO_MARKS_FILE).String(),
		O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
	if (fd < 0)
		return errno == EACCES ? B_PERMISSION_DENIED : B_ERROR;
	// The daemon runs as another user; the umask must not close the file
	// to it.
	fchmod(fd, 0666);
	ssize_t written = write(fd, mark, kMarkSize);
	status_t result = written == (ssize_t)kMarkSize ? B_OK : B_IO_ERROR;
	if (close(fd) != 0 && result == B_OK)
		result = B_IO_ERROR;
	return result;
}

status_t
HistoryMarks::Load()
{
	fMarks.clear();
	fCount = 0;
	fSkipped = 0;
	int fd = open(host_path(MURMELO_MARKS_FILE).String(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return errno == ENOENT ? B_OK : B_ERROR;
	std::vector<char> bytes;
	char buffer[65536];
	ssize_t got;
	while ((got = read(fd, buffer, sizeof(buffer))) > 0)
		bytes.insert(bytes.end(), buffer, buffer + got);
	close(fd);
	if (got < 0)
		return B_IO_ERROR;

	size_t at = 0;
	while (at + kMarkSize <= bytes.size()) {
		const char* mark = bytes.data() + at;
		uint32 stored;
		memcpy(&stored, mark + 16, 4);
		if (memcmp(mark, kMagic, 4) != 0 || stored != mark_check(mark)) {
			// A torn write or foreign bytes: look for the next whole mark.
			at++;
			fSkipped++;
			continue;
		}
		uint32 kind;
		int32 record;
		uint32 check;
		memcpy(&kind, mark + 4, 4);
		memcpy(&record, mark + 8, 4);
		memcpy(&check, mark + 12, 4);
		std::vector<Entry>& entries = fMarks[record];
		bool merged = false;
		for (Entry& entry : entries) {
			if (entry.check == check) {
				entry.kinds |= kind;
				merged = true;
			}
		}
		if (!merged)
			entries.push_back({check, kind});
		fCount++;
		at += kMarkSize;
	}
	fSkipped += (int64)(bytes.size() - at);
	return B_OK;
}

uint32
HistoryMarks::KindsOf(int32 record, uint32 check) const
{
	auto found = fMarks.find(record);
	if (found == fMarks.end())
		return 0;
	for (const Entry& entry : found->second) {
		if (entry.check == check)
			return entry.kinds;
	}
	return 0;
}
