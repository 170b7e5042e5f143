// Scripting another program's window and views by specifiers.

#include "TeamTestSupport.h"

#include <Application.h>
#include <Rect.h>

#include <gtest/gtest.h>

#include <string.h>

namespace {

class Scripting : public ::testing::Test {
protected:
	void SetUp() override { ASSERT_TRUE(fPeer.Started()); }

	BMessage Ask(BMessage& message)
	{
		BMessage reply;
		EXPECT_EQ(fPeer.Messenger().SendMessage(&message, &reply, 5000000, 5000000), B_OK);
		return reply;
	}

	TeamPeer fPeer{{"--window"}};
};

} // namespace

TEST(MessageSpecifiers, AreAStackResolvedFromTheLastAdded)
{
	BMessage message(B_GET_PROPERTY);
	EXPECT_FALSE(message.HasSpecifiers());
	int32 index;
	EXPECT_EQ(message.GetCurrentSpecifier(&index), B_BAD_SCRIPT_SYNTAX);
	message.AddSpecifier("Title");
	message.AddSpecifier("View", (int32)2);
	message.AddSpecifier("Window", "Main");
	EXPECT_TRUE(message.HasSpecifiers());
	BMessage specifier;
	int32 what;
	const char* property;
	ASSERT_EQ(message.GetCurrentSpecifier(&index, &specifier, &what, &property), B_OK);
	EXPECT_EQ(index, 2);
	EXPECT_EQ(what, B_NAME_SPECIFIER);
	EXPECT_STREQ(property, "Window");
	EXPECT_STREQ(specifier.GetString("name"), "Main");
	// Only a delivered message is resolved.
	EXPECT_EQ(message.PopSpecifier(), B_BAD_VALUE);
	ASSERT_EQ(message.SetCurrentSpecifier(1), B_OK);
	ASSERT_EQ(message.GetCurrentSpecifier(&index, &specifier, &what, &property), B_OK);
	EXPECT_EQ(what, B_INDEX_SPECIFIER);
	EXPECT_EQ(specifier.GetInt32("index", -1), 2);
	// Copies, as posted messages are, keep their place in the stack.
	BMessage copy(message);
	EXPECT_EQ(copy.GetCurrentSpecifier(&index), B_OK);
	EXPECT_EQ(index, 1);
	EXPECT_EQ(message.AddSpecifier("Window", (int32)-1), B_BAD_INDEX);
}

TEST_F(Scripting, GetsAndSetsAWindowTitleFromAnotherProcess)
{
	BMessage get(B_GET_PROPERTY);
	get.AddSpecifier("Title");
	get.AddSpecifier("Window", (int32)0);
	BMessage reply = Ask(get);
	EXPECT_EQ(reply.what, (uint32)B_REPLY);
	EXPECT_STREQ(reply.GetString("result"), "Peer window");
	EXPECT_EQ(reply.GetInt32("error", -1), B_OK);

	BMessage set(B_SET_PROPERTY);
	set.AddSpecifier("Title");
	set.AddSpecifier("Window", "Peer window");
	set.AddString("data", "Renamed");
	reply = Ask(set);
	EXPECT_EQ(reply.what, (uint32)B_REPLY);
	EXPECT_EQ(reply.GetInt32("error", -1), B_OK);

	BMessage byNewName(B_GET_PROPERTY);
	byNewName.AddSpecifier("Frame");
	byNewName.AddSpecifier("Window", "Renamed");
	reply = Ask(byNewName);
	BRect frame;
	ASSERT_EQ(reply.FindRect("result", &frame), B_OK);
	EXPECT_EQ(frame, BRect(100, 100, 299, 199));

	BMessage count(B_COUNT_PROPERTIES);
	count.AddSpecifier("Window");
	reply = Ask(count);
	EXPECT_EQ(reply.GetInt32("result", -1), 1);
}

TEST_F(Scripting, HidesAViewFoundByNameAndIndex)
{
	auto hidden = [&](const char* how) {
		BMessage get(B_GET_PROPERTY);
		get.AddSpecifier("Hidden");
		if (strcmp(how, "name") == 0)
			get.AddSpecifier("View", "inner");
		else {
			get.AddSpecifier("View", (int32)0);
			get.AddSpecifier("View", (int32)0);
		}
		get.AddSpecifier("Window", (int32)0);
		BMessage reply = Ask(get);
		EXPECT_EQ(reply.what, (uint32)B_REPLY);
		return reply.GetBool("result", false);
	};
	EXPECT_FALSE(hidden("name"));
	EXPECT_FALSE(hidden("index"));

	BMessage set(B_SET_PROPERTY);
	set.AddSpecifier("Hidden");
	set.AddSpecifier("View", "inner");
	set.AddSpecifier("View", "box");
	set.AddSpecifier("Window", "Peer window");
	set.AddBool("data", true);
	BMessage reply = Ask(set);
	EXPECT_EQ(reply.GetInt32("error", -1), B_OK);
	EXPECT_TRUE(hidden("name"));
	EXPECT_TRUE(hidden("index"));

	BMessage frame(B_GET_PROPERTY);
	frame.AddSpecifier("Frame");
	frame.AddSpecifier("View", "inner");
	frame.AddSpecifier("Window", (int32)0);
	reply = Ask(frame);
	BRect rect;
	ASSERT_EQ(reply.FindRect("result", &rect), B_OK);
	EXPECT_EQ(rect, BRect(10, 10, 59, 39));
}

TEST_F(Scripting, AnythingUnresolvedIsNotUnderstood)
{
	struct Case {
		const char* property;
		bool byName;
		int32 window;
		status_t error;
	};
	for (const Case& test : {Case{"Colour", false, 0, B_BAD_SCRIPT_SYNTAX},
			 Case{"Title", false, 7, B_BAD_INDEX}, Case{"nothing", true, 0, B_NAME_NOT_FOUND}}) {
		BMessage get(B_GET_PROPERTY);
		if (test.byName) {
			get.AddSpecifier("Hidden");
			get.AddSpecifier("View", test.property);
		} else
			get.AddSpecifier(test.property);
		get.AddSpecifier("Window", test.window);
		BMessage reply = Ask(get);
		EXPECT_EQ(reply.what, (uint32)B_MESSAGE_NOT_UNDERSTOOD) << test.property;
		EXPECT_EQ(reply.GetInt32("error", 0), test.error) << test.property;
		EXPECT_TRUE(reply.HasString("message")) << test.property;
	}

	BMessage suites(B_GET_SUPPORTED_SUITES);
	BMessage reply = Ask(suites);
	const char* suite;
	ASSERT_EQ(reply.FindString("suites", 0, &suite), B_OK);
	EXPECT_STREQ(suite, "suite/vnd.Be-application");
}
