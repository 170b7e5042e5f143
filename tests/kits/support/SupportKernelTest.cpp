#include <List.h>
#include <Locker.h>
#include <OS.h>
#include <String.h>
#include <VisibleText.h>

#include <gtest/gtest.h>

#include <atomic>

TEST(BString, EditsAndSearchesCountBytes)
{
	BString text("héllo wörld");
	EXPECT_EQ(text.Length(), 13);
	EXPECT_EQ(text.CountChars(), 11);
	EXPECT_EQ(text.FindFirst("wö"), 7);
	EXPECT_EQ(text.FindFirst("absent"), B_ERROR);
	text.ReplaceAll("l", "L");
	EXPECT_STREQ(text.String(), "héLLo wörLd");
	text.Truncate(3);
	EXPECT_STREQ(text.String(), "hé");
	BString number;
	number << "n=" << (int32)-42;
	EXPECT_STREQ(number.String(), "n=-42");
	EXPECT_STREQ(BString(NULL).String(), "");
	EXPECT_STREQ(BString("abcdef", 3).String(), "abc");
}

TEST(BList, KeepsOrderAndRefusesBadIndexes)
{
	int a, b, c;
	BList list;
	EXPECT_TRUE(list.AddItem(&a));
	EXPECT_TRUE(list.AddItem(&c));
	EXPECT_TRUE(list.AddItem(&b, 1));
	EXPECT_FALSE(list.AddItem(&b, 5));
	EXPECT_EQ(list.CountItems(), 3);
	EXPECT_EQ(list.ItemAt(1), &b);
	EXPECT_EQ(list.ItemAt(3), nullptr);
	EXPECT_EQ(list.ItemAt(-1), nullptr);
	EXPECT_EQ(list.RemoveItem((int32)0), &a);
	EXPECT_EQ(list.IndexOf(&c), 1);
}

namespace {

status_t
add_value(void* data)
{
	return 7 + *(int*)data;
}

} // namespace

TEST(Threads, StartSuspendedAndReturnTheirExitValue)
{
	int base = 5;
	thread_id thread = spawn_thread(add_value, "adder", B_NORMAL_PRIORITY, &base);
	ASSERT_GT(thread, 0);
	thread_info info;
	ASSERT_EQ(get_thread_info(thread, &info), B_OK);
	EXPECT_EQ(info.state, B_THREAD_SUSPENDED);
	EXPECT_STREQ(info.name, "adder");
	status_t result = 0;
	// wait_for_thread() resumes a thread that was never started.
	ASSERT_EQ(wait_for_thread(thread, &result), B_OK);
	EXPECT_EQ(result, 12);
	// The exit value is still there after the thread is gone.
	EXPECT_EQ(wait_for_thread(thread, &result), B_OK);
	EXPECT_EQ(result, 12);
	EXPECT_EQ(wait_for_thread(-5, &result), B_BAD_THREAD_ID);
	EXPECT_EQ(resume_thread(thread), B_BAD_THREAD_STATE);
}

TEST(Semaphores, CountTimeOutAndWakeOnDelete)
{
	sem_id sem = create_sem(1, "test");
	ASSERT_GT(sem, 0);
	EXPECT_EQ(acquire_sem(sem), B_OK);
	EXPECT_EQ(acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 0), B_WOULD_BLOCK);
	bigtime_t start = system_time();
	EXPECT_EQ(acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 20000), B_TIMED_OUT);
	EXPECT_GE(system_time() - start, 20000);
	EXPECT_EQ(release_sem_etc(sem, 2, 0), B_OK);
	EXPECT_EQ(acquire_sem_etc(sem, 2, 0, 0), B_OK);

	thread_id waiter = spawn_thread(
		[](void* data) -> status_t { return acquire_sem(*(sem_id*)data); }, "waiter",
		B_NORMAL_PRIORITY, &sem);
	resume_thread(waiter);
	snooze(10000);
	EXPECT_EQ(delete_sem(sem), B_OK);
	status_t result;
	wait_for_thread(waiter, &result);
	EXPECT_EQ(result, B_BAD_SEM_ID);
	EXPECT_EQ(release_sem(sem), B_BAD_SEM_ID);
}

TEST(BLocker, IsRecursiveAndExcludesOtherThreads)
{
	static BLocker locker("test");
	static std::atomic<int> inside{0};
	ASSERT_TRUE(locker.Lock());
	ASSERT_TRUE(locker.Lock());
	EXPECT_EQ(locker.CountLocks(), 2);
	EXPECT_TRUE(locker.IsLocked());

	thread_id other = spawn_thread(
		[](void*) -> status_t {
			status_t timedOut = locker.LockWithTimeout(10000);
			locker.Lock();
			inside = 1;
			locker.Unlock();
			return timedOut;
		},
		"other", B_NORMAL_PRIORITY, NULL);
	resume_thread(other);
	snooze(30000);
	EXPECT_EQ(inside.load(), 0);
	locker.Unlock();
	snooze(10000);
	EXPECT_EQ(inside.load(), 0);
	locker.Unlock();
	status_t result;
	wait_for_thread(other, &result);
	EXPECT_EQ(result, B_TIMED_OUT);
	EXPECT_EQ(inside.load(), 1);
}

TEST(VisibleText, ShowsControlCharactersAndKeepsTextAndLineEnds)
{
	std::string raw("a\tb\r\nc\x1b]0;title\x07\x1b[2J\x7f");
	raw += std::string("\0z", 2);
	EXPECT_EQ(visible_text(raw), "a\tb\r\nc^[]0;title^G^[[2J^?\\x00z");
	// A lone CR could hide what came before it on the line.
	EXPECT_EQ(visible_text("safe\rEVIL\n"), "safe^MEVIL\n");
	// UTF-8 letters stay; the C1 controls written in UTF-8 do not.
	EXPECT_EQ(visible_text("\xc3\xa9t\xc3\xa9 \xc2\x9b" "2J \xec\x9d\xb4"),
		"\xc3\xa9t\xc3\xa9 \\xc2\\x9b2J \xec\x9d\xb4");
	EXPECT_EQ(visible_text("\xc2", 1), "\xc2");
}
