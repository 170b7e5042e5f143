#include <Entry.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <string.h>

TEST(BMessage, FindsWhatWasAddedWithBeOSErrors)
{
	BMessage message('lear');
	EXPECT_EQ(message.what, 0x6C656172u);
	ASSERT_EQ(message.AddString("text", "bonjour"), B_OK);
	ASSERT_EQ(message.AddString("text", "salut"), B_OK);
	ASSERT_EQ(message.AddInt32("count", 3), B_OK);
	ASSERT_EQ(message.AddBool("flag", true), B_OK);

	const char* text;
	ASSERT_EQ(message.FindString("text", 1, &text), B_OK);
	EXPECT_STREQ(text, "salut");
	int32 count = 0;
	EXPECT_EQ(message.FindInt32("count", &count), B_OK);
	EXPECT_EQ(count, 3);

	EXPECT_EQ(message.FindInt32("absent", &count), B_NAME_NOT_FOUND);
	EXPECT_EQ(message.FindInt32("text", &count), B_BAD_TYPE);
	EXPECT_EQ(message.FindString("text", 2, &text), B_BAD_INDEX);
	EXPECT_EQ(message.AddInt32("text", 1), B_BAD_TYPE);

	type_code type;
	int32 items;
	ASSERT_EQ(message.GetInfo("text", &type, &items), B_OK);
	EXPECT_EQ(type, (type_code)B_STRING_TYPE);
	EXPECT_EQ(items, 2);
	EXPECT_EQ(message.CountNames(B_ANY_TYPE), 3);

	EXPECT_EQ(message.ReplaceInt32("count", 9), B_OK);
	EXPECT_EQ(message.GetInt32("count", 0), 9);
	EXPECT_EQ(message.RemoveData("text", 0), B_OK);
	EXPECT_STREQ(message.GetString("text"), "salut");
	EXPECT_EQ(message.RemoveName("text"), B_OK);
	EXPECT_FALSE(message.HasString("text"));
}

TEST(BMessage, SurvivesFlatteningWithNestedMessagesAndRefs)
{
	BMessage inner('innr');
	inner.AddString("who", "alice");
	BMessage outer('outr');
	outer.AddMessage("inner", &inner);
	outer.AddDouble("pi", 3.25);
	entry_ref ref(1, 2, "murmelo.dat");
	ref.directory_path = "/tmp/x";
	outer.AddRef("ref", &ref);

	ssize_t size = outer.FlattenedSize();
	std::vector<char> buffer(size);
	ASSERT_EQ(outer.Flatten(buffer.data(), size), B_OK);
	EXPECT_EQ(outer.Flatten(buffer.data(), size - 1), B_BUFFER_OVERFLOW);

	BMessage copy;
	ASSERT_EQ(copy.Unflatten(buffer.data()), B_OK);
	EXPECT_EQ(copy.what, (uint32)'outr');
	BMessage innerCopy;
	ASSERT_EQ(copy.FindMessage("inner", &innerCopy), B_OK);
	EXPECT_STREQ(innerCopy.GetString("who"), "alice");
	entry_ref refCopy;
	ASSERT_EQ(copy.FindRef("ref", &refCopy), B_OK);
	EXPECT_EQ(refCopy, ref);
	EXPECT_STREQ(refCopy.directory_path.String(), "/tmp/x");

	// A cut or damaged buffer is refused, never read past its end.
	BMessage broken;
	EXPECT_NE(broken.Unflatten(buffer.data(), size / 2), B_OK);
	buffer[0] ^= 0x55;
	EXPECT_EQ(broken.Unflatten(buffer.data(), size), B_NOT_A_MESSAGE);
}
