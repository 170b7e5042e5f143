#include <HistoryMarks.h>
#include <MessageNames.h>

#include <gtest/gtest.h>

#include <string.h>
#include <sys/stat.h>

#include "TempBootVolume.h"

namespace {

Tliste
message(const char* text)
{
	Tliste rec;
	memset(&rec, 0, sizeof(rec));
	strncpy(rec.message, text, sizeof(rec.message) - 1);
	return rec;
}

std::string
marks_path(const TempBootVolume& volume)
{
	return volume.Root() + "/home/murmelo.dat.marks";
}

} // namespace

TEST(HistoryMarks, MarksApplyOnlyToTheRecordTheyWereWrittenFor)
{
	TempBootVolume volume;
	Tliste first = message("first");
	Tliste second = message("second");
	ASSERT_EQ(append_history_mark(1, &first, HISTORY_MARK_AWAY), B_OK);
	ASSERT_EQ(append_history_mark(2, &second, HISTORY_MARK_DELETED), B_OK);
	ASSERT_EQ(append_history_mark(1, &first, HISTORY_MARK_DELETED), B_OK);

	HistoryMarks marks;
	ASSERT_EQ(marks.Load(), B_OK);
	EXPECT_EQ(marks.CountMarks(), 3);
	EXPECT_EQ(marks.SkippedBytes(), 0);
	EXPECT_EQ(marks.KindsOf(1, message_check(&first)),
		(uint32)(HISTORY_MARK_AWAY | HISTORY_MARK_DELETED));
	EXPECT_EQ(marks.KindsOf(2, message_check(&second)), (uint32)HISTORY_MARK_DELETED);
	// Another message at the same index (a replaced data file), or the same
	// message at another index, carries none of them.
	EXPECT_EQ(marks.KindsOf(2, message_check(&first)), 0u);
	EXPECT_EQ(marks.KindsOf(3, message_check(&first)), 0u);

	struct stat st;
	ASSERT_EQ(stat(marks_path(volume).c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 0777, 0666u);
	EXPECT_EQ(st.st_size, 60);
}

TEST(HistoryMarks, BadCallsAndAMissingFileAreNotMarks)
{
	TempBootVolume volume;
	Tliste rec = message("x");
	EXPECT_EQ(append_history_mark(0, &rec, HISTORY_MARK_AWAY), B_BAD_VALUE);
	EXPECT_EQ(append_history_mark(1, &rec, 7), B_BAD_VALUE);
	EXPECT_EQ(append_history_mark(1, (const Tliste*)NULL, HISTORY_MARK_AWAY), B_BAD_VALUE);
	EXPECT_FALSE(TempBootVolume::Exists(marks_path(volume)));

	HistoryMarks marks;
	EXPECT_EQ(marks.Load(), B_OK);
	EXPECT_EQ(marks.CountMarks(), 0);
}

TEST(HistoryMarks, TornAndForeignBytesAreSkippedAndLaterMarksStillRead)
{
	TempBootVolume volume;
	Tliste first = message("first");
	Tliste second = message("second");
	Tliste third = message("third");
	ASSERT_EQ(append_history_mark(1, &first, HISTORY_MARK_DELETED), B_OK);
	std::string path = marks_path(volume);
	std::string whole = TempBootVolume::Read(path);

	// A mark torn after 9 bytes, then foreign bytes, then a good mark, a
	// mark whose own check is wrong, and a torn tail.
	ASSERT_EQ(append_history_mark(2, &second, HISTORY_MARK_DELETED), B_OK);
	std::string torn = TempBootVolume::Read(path).substr(20, 9);
	ASSERT_EQ(append_history_mark(3, &third, HISTORY_MARK_AWAY), B_OK);
	std::string good = TempBootVolume::Read(path).substr(40);
	std::string corrupt = good;
	corrupt[8] = 4;
	volume.Write("home/murmelo.dat.marks",
		whole + torn + "MMRK garbage MM" + good + corrupt + good.substr(0, 12));

	HistoryMarks marks;
	ASSERT_EQ(marks.Load(), B_OK);
	EXPECT_EQ(marks.CountMarks(), 2);
	EXPECT_EQ(marks.SkippedBytes(), 9 + 15 + 20 + 12);
	EXPECT_EQ(marks.KindsOf(1, message_check(&first)), (uint32)HISTORY_MARK_DELETED);
	EXPECT_EQ(marks.KindsOf(2, message_check(&second)), 0u);
	EXPECT_EQ(marks.KindsOf(3, message_check(&third)), (uint32)HISTORY_MARK_AWAY);
	EXPECT_EQ(marks.KindsOf(4, message_check(&third)), 0u);

	// Appending after a torn tail still gives a readable mark.
	ASSERT_EQ(append_history_mark(2, &second, HISTORY_MARK_AWAY), B_OK);
	ASSERT_EQ(marks.Load(), B_OK);
	EXPECT_EQ(marks.KindsOf(2, message_check(&second)), (uint32)HISTORY_MARK_AWAY);
}
