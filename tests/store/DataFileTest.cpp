#include <PopClass.h>

#include <gtest/gtest.h>

#include <string.h>

#include "TempBootVolume.h"

namespace {

std::string
record(const char* text, uint8 isNew)
{
	Tliste rec;
	memset(&rec, 0, sizeof(rec));
	strncpy(rec.message, text, sizeof(rec.message) - 1);
	rec.is_new = isNew;
	return std::string((const char*)&rec, sizeof(rec));
}

class DataFile : public testing::Test {
protected:
	void SetUp() override
	{
		total_number_of_messages = 0;
		new_messages = 0;
		first_new_message = 0;
	}

	void WriteData(const std::string& bytes) { fVolume.Write("home/murmelo.dat", bytes); }
	std::string Data() { return TempBootVolume::Read(fVolume.DataFile()); }

	void Scan()
	{
		total_number_of_messages = fStore.count_total_number_of_messages();
		fStore.are_there_new_messages_in_data_file();
	}

	TempBootVolume fVolume;
	PopClass fStore;
};

} // namespace

TEST_F(DataFile, MissingFileHoldsNoRecords)
{
	first_new_message = 9;
	new_messages = 9;
	total_number_of_messages = 3;
	EXPECT_EQ(fStore.count_total_number_of_messages(), 0);
	EXPECT_EQ(fStore.are_there_new_messages_in_data_file(), 0);
	EXPECT_EQ(new_messages, 0);
	EXPECT_EQ(first_new_message, 0);

	Tliste rec;
	memset(&rec, 'q', sizeof(rec));
	fStore.write_message(1, &rec);
	fStore.this_message_is_no_longer_new(1);
	EXPECT_FALSE(TempBootVolume::Exists(fVolume.DataFile()));
	fStore.read_message(1, &rec);
	EXPECT_EQ(rec.message[0], 'q');
}

TEST_F(DataFile, PartialRecordIsNeitherCountedNorScanned)
{
	std::string bytes = record("one", 1) + record("two", 1).substr(0, 1031);
	ASSERT_EQ(bytes.size(), 2063u);
	WriteData(bytes);
	Scan();
	EXPECT_EQ(total_number_of_messages, 1);
	EXPECT_EQ(new_messages, 1);
	EXPECT_EQ(first_new_message, 1);
}

TEST_F(DataFile, ScanCountsNewRecordsAndFindsTheFirst)
{
	WriteData(record("a", 0) + record("b", 1) + record("c", 1));
	Scan();
	EXPECT_EQ(total_number_of_messages, 3);
	EXPECT_EQ(new_messages, 2);
	EXPECT_EQ(first_new_message, 2);

	// Only the byte value 1 means new.
	WriteData(record("a", 2) + record("b", 0xff) + record("c", 0) + record("d", 1));
	Scan();
	EXPECT_EQ(new_messages, 1);
	EXPECT_EQ(first_new_message, 4);
}

TEST_F(DataFile, ScanStopsAtTheCountLastStored)
{
	std::string bytes;
	for (int i = 0; i < 100; i++)
		bytes += record("m", i >= 40 ? 1 : 0);
	WriteData(bytes);
	total_number_of_messages = 50;
	EXPECT_EQ(fStore.are_there_new_messages_in_data_file(), 10);
	EXPECT_EQ(first_new_message, 41);
	// A stale count larger than the file reads only what is there.
	total_number_of_messages = 1000;
	EXPECT_EQ(fStore.are_there_new_messages_in_data_file(), 60);
}

TEST_F(DataFile, ScanAcrossManyReadsKeepsEveryRecordInPlace)
{
	// Large files are read many records at a time: new records on either
	// side of any block boundary, and a torn last record, are still found
	// where they are.
	const int kCount = 1000;
	std::string bytes;
	for (int i = 1; i <= kCount; i++)
		bytes += record("m", i == 129 || i == 256 || i == 257 || i == 999 ? 1 : 0);
	WriteData(bytes + record("torn", 1).substr(0, 500));
	Scan();
	EXPECT_EQ(total_number_of_messages, kCount);
	EXPECT_EQ(new_messages, 4);
	EXPECT_EQ(first_new_message, 129);

	total_number_of_messages = 256;
	EXPECT_EQ(fStore.are_there_new_messages_in_data_file(), 2);
	total_number_of_messages = 128;
	EXPECT_EQ(fStore.are_there_new_messages_in_data_file(), 0);
	EXPECT_EQ(first_new_message, 0);
}

TEST_F(DataFile, ReadMessageCopiesRecordButKeepsTheNodeLinks)
{
	std::string second = record("second", 1);
	Tliste* onDisk = (Tliste*)second.data();
	onDisk->from = 77;
	onDisk->suivant = 0xdeadbeef;
	WriteData(record("first", 0) + second);

	Tliste rec;
	memset(&rec, 0, sizeof(rec));
	rec.suivant = 5;
	rec.precedent = 6;
	fStore.read_message(2, &rec);
	EXPECT_STREQ(rec.message, "second");
	EXPECT_EQ(rec.is_new, 1);
	EXPECT_EQ(rec.from, 77u);
	EXPECT_EQ(rec.suivant, 5u);
	EXPECT_EQ(rec.precedent, 6u);

	// Past the end or before the start: the record stays as it was.
	fStore.read_message(3, &rec);
	fStore.read_message(0, &rec);
	EXPECT_STREQ(rec.message, "second");
}

TEST_F(DataFile, WriteMessageOverwritesOnlyAnExistingRecord)
{
	WriteData(record("a", 1) + record("b", 1) + record("c", 1));
	Tliste rec;
	memset(&rec, 0, sizeof(rec));
	strcpy(rec.message, "B");
	rec.suivant = 3;
	fStore.write_message(2, &rec);
	std::string data = Data();
	ASSERT_EQ(data.size(), 3u * 1032);
	EXPECT_EQ(data.substr(0, 1032), record("a", 1));
	EXPECT_EQ(data.substr(1032, 1032), record("B", 0));
	EXPECT_EQ(data.substr(2064), record("c", 1));

	fStore.write_message(4, &rec);
	fStore.write_message(9, &rec);
	EXPECT_EQ(Data().size(), 3u * 1032);
}

TEST_F(DataFile, MessageNoLongerNewClearsOnlyItsFlag)
{
	WriteData(record("a", 1) + record("b", 1) + record("c", 1));
	Scan();
	ASSERT_EQ(new_messages, 3);
	fStore.this_message_is_no_longer_new(2);
	EXPECT_EQ(new_messages, 2);
	std::string data = Data();
	EXPECT_EQ(data.substr(1032, 1032), record("b", 0));
	EXPECT_EQ(data.substr(0, 1032), record("a", 1));
	Scan();
	EXPECT_EQ(new_messages, 2);
	EXPECT_EQ(first_new_message, 1);
}
