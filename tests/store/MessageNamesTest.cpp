#include <MessageNames.h>

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "TempBootVolume.h"

namespace {

Tliste
message(const char* text)
{
	Tliste rec;
	memset(&rec, 0, sizeof(rec));
	strncpy(rec.message, text, sizeof(rec.message) - 1);
	rec.is_new = 1;
	return rec;
}

void
attach(Tliste* rec, uint32 reference)
{
	rec->from = rec->to = rec->realfrom = reference;
}

} // namespace

TEST(MessageNames, WrittenNamesAreReadBack)
{
	TempBootVolume volume;
	Tliste first = message("hello");
	Tliste second = message("hello");
	attach(&first, append_message_names(&first, "alice", "bob", "BOBS_PC"));
	attach(&second, append_message_names(&second, "carol", "", "X"));
	ASSERT_EQ(first.from, 1u);
	ASSERT_GT(second.from, first.from);

	BString from, to, realfrom;
	EXPECT_EQ(read_message_names(&first, &from, &to, &realfrom), B_OK);
	EXPECT_EQ(from, "alice");
	EXPECT_EQ(to, "bob");
	EXPECT_EQ(realfrom, "BOBS_PC");
	EXPECT_EQ(read_message_names(&second, &from, NULL, &realfrom), B_OK);
	EXPECT_EQ(from, "carol");
	EXPECT_EQ(realfrom, "X");
	EXPECT_EQ(read_message_names(&second, NULL, &to, NULL), B_OK);
	EXPECT_EQ(to, "");
}

TEST(MessageNames, LongNamesAreCutAt255Bytes)
{
	TempBootVolume volume;
	std::string longName(600, 'n');
	Tliste rec = message("x");
	attach(&rec, append_message_names(&rec, longName.c_str(), NULL, "r"));
	BString from, to, realfrom;
	EXPECT_EQ(read_message_names(&rec, &from, &to, &realfrom), B_OK);
	EXPECT_EQ(std::string(from.String()), longName.substr(0, 255));
	EXPECT_EQ(to, "");
	EXPECT_EQ(realfrom, "r");
}

TEST(MessageNames, RecordsWithoutNamesReadAsUnknown)
{
	TempBootVolume volume;
	BString from, to;
	Tliste plain = message("old record");
	EXPECT_EQ(read_message_names(&plain, &from, &to, NULL), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(from, "unknown");
	EXPECT_EQ(to, "unknown");

	// A reference but no side file.
	attach(&plain, 1);
	EXPECT_EQ(read_message_names(&plain, &from, NULL, NULL), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(from, "unknown");
	EXPECT_EQ(read_message_names(NULL, &from, NULL, NULL), B_BAD_VALUE);
}

TEST(MessageNames, ForeignOrDamagedEntriesReadAsUnknown)
{
	TempBootVolume volume;
	Tliste rec = message("text");
	uint32 reference = append_message_names(&rec, "alice", "bob", "bob");
	BString from;

	// Another record's text: the check doesn't match.
	Tliste other = message("other text");
	attach(&other, reference);
	EXPECT_EQ(read_message_names(&other, &from, NULL, NULL), B_BAD_DATA);
	EXPECT_EQ(from, "unknown");

	// Addresses that an old program left in the slots.
	const uint32 garbage[] = {2, 5, 13, 0x7fff1234, 0xffffffff};
	for (uint32 value : garbage) {
		attach(&rec, value);
		EXPECT_NE(read_message_names(&rec, &from, NULL, NULL), B_OK) << value;
		EXPECT_EQ(from, "unknown");
	}

	// A torn entry at the end of the side file.
	std::string names = TempBootVolume::Read(volume.NamesFile());
	volume.Write("home/murmelo.dat.names", names.substr(0, names.size() - 2));
	attach(&rec, reference);
	EXPECT_EQ(read_message_names(&rec, &from, NULL, NULL), B_BAD_DATA);

	// A length that claims more names than the entry holds.
	std::string bent = names;
	bent[4] = (char)(names.size() + 1);
	volume.Write("home/murmelo.dat.names", bent + "zzzz");
	EXPECT_EQ(read_message_names(&rec, &from, NULL, NULL), B_BAD_DATA);
	EXPECT_EQ(from, "unknown");
}

TEST(MessageNames, ArrivalTimeTravelsBehindTheNamesAndOlderReadersStillReadThem)
{
	TempBootVolume volume;
	Tliste old = message("from an older intake");
	attach(&old, append_message_names(&old, "old", "me", "me"));
	Tliste rec = message("with a time");
	const int64 arrival = 1765285380000000; // 2025-12-09 13:03 UTC
	attach(&rec, append_message_names(&rec, "friend1", "me", "me", arrival, &rec.time));
	ASSERT_NE(rec.time, 0u);

	int64 when = 0;
	EXPECT_EQ(read_message_arrival(&rec, &when), B_OK);
	EXPECT_EQ(when, arrival);
	EXPECT_EQ(read_message_arrival(&old, &when), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(when, -1);

	// The names entry is exactly what older readers expect, the arrival
	// entry only follows it.
	BString from;
	EXPECT_EQ(read_message_names(&rec, &from, NULL, NULL), B_OK);
	EXPECT_EQ(from, "friend1");
	EXPECT_EQ(rec.time, rec.from + 12 + strlen("friend1") + 1 + 3 + 3);

	// A time reference that leads to another record's entry, or into a
	// names entry, is not believed.
	Tliste other = message("another text");
	other.time = rec.time;
	EXPECT_EQ(read_message_arrival(&other, &when), B_BAD_DATA);
	rec.time = rec.from;
	EXPECT_EQ(read_message_arrival(&rec, &when), B_BAD_DATA);
}

TEST(MessageNames, ArrivalShowsTheClockTodayAndTheDateOtherwise)
{
	setenv("TZ", "UTC", 1);
	tzset();
	const int64 noon = 1765281600000000; // 2025-12-09 12:00 UTC
	EXPECT_EQ(format_arrival(noon + 3 * 60000000, noon), "12:03");
	EXPECT_EQ(format_arrival(noon - 24 * 3600000000LL, noon), "8 Dec 12:00");
	EXPECT_EQ(format_arrival(-1, noon), "");
}

TEST(MessageNames, TheReaderOfManyRecordsAnswersAsTheSingleCallsDo)
{
	TempBootVolume volume;
	std::vector<Tliste> records;
	records.push_back(message("named, with a time"));
	attach(&records.back(), append_message_names(&records.back(), "alice", "bob", "bob",
		1765285380000000, &records.back().time));
	records.push_back(message("named, no time"));
	attach(&records.back(), append_message_names(&records.back(), "carol", "", "x"));
	records.push_back(message("no names at all"));
	records.push_back(message("another record's references"));
	records.back().from = records.back().to = records[0].from;
	records.back().time = records[0].time;
	records.push_back(message("garbage references"));
	attach(&records.back(), 0x7fff1234);
	records.back().time = 5;
	records.push_back(message("split entries"));
	records.back().from = append_message_names(&records.back(), "dave", "nobody", "");
	records.back().to = append_message_names(&records.back(), "nobody", "erin", "");
	records.push_back(message("a bad recipient reference"));
	attach(&records.back(), append_message_names(&records.back(), "frank", "gina", ""));
	records.back().to = 3;

	MessageNamesReader reader;
	for (const Tliste& rec : records) {
		SCOPED_TRACE(rec.message);
		BString from, to, readerFrom, readerTo;
		status_t single = read_message_names(&rec, &from, &to, NULL);
		EXPECT_EQ(reader.ReadNames(&rec, message_check(&rec), &readerFrom, &readerTo), single);
		EXPECT_EQ(readerFrom, from);
		EXPECT_EQ(readerTo, to);
		int64 when = 0;
		int64 readerWhen = 0;
		single = read_message_arrival(&rec, &when);
		EXPECT_EQ(reader.ReadArrival(&rec, message_check(&rec), &readerWhen), single);
		EXPECT_EQ(readerWhen, when);
	}
	BString from;
	EXPECT_EQ(reader.ReadNames(NULL, 0, &from, NULL), B_BAD_VALUE);
	EXPECT_EQ(from, "unknown");
}
