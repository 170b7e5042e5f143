#ifndef _HISTORY_MARKS_H
#define _HISTORY_MARKS_H

#include <SupportDefs.h>

#include <Tliste.h>

#include <unordered_map>
#include <vector>

// The side file of the history's marks, beside the data file, which it
// leaves untouched. It only grows: each mark is one 20-byte entry, "MMRK",
// a uint32 kind, the record's 1-based index, the record's message_check(),
// and an FNV-1a check of those 16 bytes, written in one O_APPEND write. A
// mark applies only while the record at that index still has that check,
// so a replaced data file never inherits the marks of its predecessor.
#define MURMELO_MARKS_FILE "/boot/home/murmelo.dat.marks"

enum { HISTORY_MARK_AWAY = 1, HISTORY_MARK_DELETED = 2 };

// Marks record (1-based) of the data file, whose contents are rec.
status_t append_history_mark(int32 record, const Tliste* rec, uint32 kind);
// The same for a record whose message_check() is already known.
status_t append_history_mark(int32 record, uint32 check, uint32 kind);

// The marks of the side file, read in one go. Entries that are torn or not
// ours are skipped: reading resumes at the next whole mark.
class HistoryMarks {
public:
	// B_OK also when there is no side file yet (no marks).
	status_t Load();

	// The kinds (an OR of HISTORY_MARK_*) that record, with this check,
	// carries; 0 for none.
	uint32 KindsOf(int32 record, uint32 check) const;
	int32 CountMarks() const { return fCount; }
	// Bytes of the file that were not whole marks.
	int64 SkippedBytes() const { return fSkipped; }

private:
	struct Entry {
		uint32 check;
		uint32 kinds;
	};

	std::unordered_map<int32, std::vector<Entry>> fMarks;
	int32 fCount = 0;
	int64 fSkipped = 0;
};

#endif
