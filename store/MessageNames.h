#ifndef _MESSAGE_NAMES_H
#define _MESSAGE_NAMES_H

#include <String.h>
#include <SupportDefs.h>

#include <Tliste.h>

// The side file that carries the names of the stored messages; the record
// layout in Tliste.h tells how a record refers to it.
#define MURMELO_NAMES_FILE "/boot/home/murmelo.dat.names"

// Names longer than this are cut; Samba hands over far shorter ones.
static const int32 kMaxNameLength = 255;

// The check that ties a names entry to its record: FNV-1a over the 1000
// bytes of the record's message field.
uint32 message_check(const Tliste* record);

// Appends one names entry for record (whose message must already be filled)
// in a single write and returns the reference to store in from, to and
// realfrom, or 0 when the entry could not be written. With an arrival time
// (microseconds since 1970, UTC) the same write carries an arrival entry
// too, whose reference goes to *arrivalReference for the record's time.
// A text longer than the record's field (text, textLength) goes whole into
// a text entry right behind the arrival entry, in the same write; it needs
// the arrival time.
uint32 append_message_names(const Tliste* record, const char* from, const char* to,
	const char* realfrom, int64 arrival = -1, uint32* arrivalReference = NULL,
	const char* text = NULL, size_t textLength = 0);

// The longest text a text entry keeps; the intake says so when it cuts one.
static const size_t kMaxMessageText = 1 << 20;

// The whole text of a record's message: from its text entry when the field
// is full and one belongs to it, otherwise the field itself (at most its
// 1000 bytes). The bytes are as received, valid UTF-8 or not.
// B_ENTRY_NOT_FOUND when a full field has no text entry (the field is then
// the text); B_OK otherwise.
status_t read_message_text(const Tliste* record, BString* text);

// The names of a record. Each of from, to and realfrom may be NULL. A name
// whose entry can't be found or doesn't belong to this record reads as
// "unknown"; the result is then B_ENTRY_NOT_FOUND (no names) or B_BAD_DATA.
status_t read_message_names(const Tliste* record, BString* from, BString* to,
	BString* realfrom);

// When the message of record arrived, in microseconds since 1970 (UTC).
// B_ENTRY_NOT_FOUND for records stored without one (older files);
// B_BAD_DATA when the reference doesn't lead to this record's entry.
status_t read_message_arrival(const Tliste* record, int64* arrival);

// Reads the names and arrival times of many records through one open of the
// side file, for a reader going through the whole data file. The results
// are those of read_message_names() and read_message_arrival(); check is
// the record's message_check(), which the caller has at hand.
class MessageNamesReader {
public:
	MessageNamesReader();
	~MessageNamesReader();

	status_t ReadNames(const Tliste* record, uint32 check, BString* from, BString* to);
	status_t ReadArrival(const Tliste* record, uint32 check, int64* arrival);
	status_t ReadText(const Tliste* record, uint32 check, BString* text);

private:
	MessageNamesReader(const MessageNamesReader&) = delete;
	MessageNamesReader& operator=(const MessageNamesReader&) = delete;

	int fFD;
};

// "14:03" for today, "8 Dec 14:03" for another day, local time; empty for
// a negative time.
BString format_arrival(int64 arrival, int64 now);

#endif
