#include <IrcSettings.h>

#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <string.h>

#include "SettingsVolume.h"

namespace {

// Each test starts as a fresh run of the program would.
class IrcSettings : public ::testing::Test {
protected:
	void SetUp() override { reset_irc_settings_state(); }
	void TearDown() override { reset_irc_settings_state(); }

	std::string Path() const { return fVolume.SettingsPath("ircADDon_Settings"); }

	void WriteFloat(const char* name, float value)
	{
		BNode(Path().c_str()).WriteAttr(name, B_FLOAT_TYPE, 0, &value, sizeof(value));
	}

	void WriteBool(const char* name, bool value)
	{
		uint8 byte = value ? 1 : 0;
		BNode(Path().c_str()).WriteAttr(name, B_BOOL_TYPE, 0, &byte, 1);
	}

	SettingsVolume fVolume;
};

float
stored_float(const stored_attr& attr)
{
	float value = -12345;
	if (attr.bytes.size() == 4)
		memcpy(&value, attr.bytes.data(), 4);
	return value;
}

} // namespace

TEST_F(IrcSettings, FirstSaveCreatesTheFileWithTwelveTypedAttributes)
{
	ASSERT_FALSE(irc_settings_exist());
	ASSERT_EQ(SaveSettings("Setup2000", 110, 520, 130, 640), B_OK);
	irc_texts texts{"nick", "_nick_", "irc.example.org", "6667", "Full Name", "me@example.org"};
	ASSERT_EQ(SaveIrcTexts(texts), B_OK);
	ASSERT_TRUE(irc_settings_exist());
	EXPECT_EQ(TempBootVolume::Read(Path()), "");

	struct {
		const char* name;
		float value;
	} frame[] = {{"Setup2000:top", 110}, {"Setup2000:bottom", 520}, {"Setup2000:left", 130},
		{"Setup2000:right", 640}};
	for (const auto& expected : frame) {
		stored_attr attr = read_stored(Path(), expected.name);
		ASSERT_TRUE(attr.exists) << expected.name;
		EXPECT_EQ(attr.type, (type_code)B_FLOAT_TYPE) << expected.name;
		EXPECT_EQ(attr.size, 4) << expected.name;
		EXPECT_EQ(stored_float(attr), expected.value) << expected.name;
	}
	for (const char* flag : {"TimeStamp", "Paranoid"}) {
		stored_attr attr = read_stored(Path(), flag);
		ASSERT_TRUE(attr.exists) << flag;
		EXPECT_EQ(attr.type, (type_code)B_BOOL_TYPE) << flag;
		EXPECT_EQ(attr.size, 1) << flag;
		EXPECT_EQ(attr.bytes[0], 0) << flag;
	}
	struct {
		const char* name;
		const char* text;
	} strings[] = {{"Nick", "nick"}, {"AltNick", "_nick_"}, {"Server", "irc.example.org"},
		{"Port", "6667"}, {"Name", "Full Name"}, {"Ident", "me@example.org"}};
	for (const auto& expected : strings) {
		stored_attr attr = read_stored(Path(), expected.name);
		ASSERT_TRUE(attr.exists) << expected.name;
		EXPECT_EQ(attr.type, (type_code)B_STRING_TYPE) << expected.name;
		EXPECT_EQ(attr.size, (off_t)strlen(expected.text)) << expected.name;
		EXPECT_EQ(attr.Text(), expected.text) << expected.name;
	}
}

TEST_F(IrcSettings, SavedFrameAndTextsAreRestored)
{
	ASSERT_EQ(SaveSettings("Setup2000", 110.5f, 520, 130, 640.25f), B_OK);
	irc_texts saved{"a", "b", "c", "d", "e", "f"};
	ASSERT_EQ(SaveIrcTexts(saved), B_OK);

	float top = 0, bottom = -1, left = 0, right = -1;
	ASSERT_TRUE(RestoreSettings("Setup2000", top, bottom, left, right));
	EXPECT_EQ(top, 110.5f);
	EXPECT_EQ(bottom, 520);
	EXPECT_EQ(left, 130);
	EXPECT_EQ(right, 640.25f);

	irc_texts texts;
	ASSERT_TRUE(RestoreIrcTexts(&texts));
	EXPECT_EQ(texts.nick, "a");
	EXPECT_EQ(texts.altNick, "b");
	EXPECT_EQ(texts.server, "c");
	EXPECT_EQ(texts.port, "d");
	EXPECT_EQ(texts.name, "e");
	EXPECT_EQ(texts.ident, "f");

	// Another prefix is another frame.
	EXPECT_FALSE(RestoreSettings("Other", top, bottom, left, right));
	EXPECT_EQ(top, 110.5f);
}

TEST_F(IrcSettings, MissingFileOrFrameLeavesTheFloatsUntouched)
{
	float top = 0, bottom = -1, left = 0, right = -1;
	EXPECT_FALSE(RestoreSettings("Setup2000", top, bottom, left, right));
	irc_texts texts;
	texts.nick = "qulbo";
	EXPECT_FALSE(RestoreIrcTexts(&texts));
	EXPECT_EQ(texts.nick, "qulbo");
	// Looking never creates the file.
	EXPECT_FALSE(TempBootVolume::Exists(Path()));

	fVolume.MakeFile("ircADDon_Settings");
	EXPECT_FALSE(RestoreSettings("Setup2000", top, bottom, left, right));
	// A frame with a side missing, or a side of the wrong size, is no frame.
	WriteFloat("Setup2000:top", 50);
	WriteFloat("Setup2000:bottom", 60);
	WriteFloat("Setup2000:left", 70);
	EXPECT_FALSE(RestoreSettings("Setup2000", top, bottom, left, right));
	BNode(Path().c_str()).WriteAttr("Setup2000:right", B_FLOAT_TYPE, 0, "ab", 2);
	EXPECT_FALSE(RestoreSettings("Setup2000", top, bottom, left, right));
	EXPECT_EQ(top, 0);
	EXPECT_EQ(bottom, -1);
	EXPECT_EQ(left, 0);
	EXPECT_EQ(right, -1);

	// Texts stored without a frame are still read.
	BNode(Path().c_str()).WriteAttr("Nick", B_STRING_TYPE, 0, "zed", 3);
	EXPECT_TRUE(RestoreIrcTexts(&texts));
	EXPECT_EQ(texts.nick, "zed");
}

TEST_F(IrcSettings, StoredFlagsAreCarriedThroughTheNextSave)
{
	fVolume.MakeFile("ircADDon_Settings");
	WriteFloat("Setup2000:top", 1);
	WriteFloat("Setup2000:bottom", 2);
	WriteFloat("Setup2000:left", 3);
	WriteFloat("Setup2000:right", 4);
	WriteBool("TimeStamp", true);
	WriteBool("Paranoid", true);

	float top, bottom, left, right;
	ASSERT_TRUE(RestoreSettings("Setup2000", top, bottom, left, right));
	EXPECT_TRUE(irc_stamp_state());
	EXPECT_TRUE(irc_paranoid_state());
	ASSERT_EQ(SaveSettings("Setup2000", 10, 20, 30, 40), B_OK);
	EXPECT_EQ(read_stored(Path(), "TimeStamp").bytes, std::vector<uint8>{1});
	EXPECT_EQ(read_stored(Path(), "Paranoid").bytes, std::vector<uint8>{1});
}

TEST_F(IrcSettings, FlagsAreNotReadWithoutAFrameAndSavedAsFalse)
{
	fVolume.MakeFile("ircADDon_Settings");
	WriteBool("TimeStamp", true);
	WriteBool("Paranoid", true);
	float top = 0, bottom = -1, left = 0, right = -1;
	EXPECT_FALSE(RestoreSettings("Setup2000", top, bottom, left, right));
	EXPECT_FALSE(irc_stamp_state());
	ASSERT_EQ(SaveSettings("Setup2000", 10, 20, 30, 40), B_OK);
	EXPECT_EQ(read_stored(Path(), "TimeStamp").bytes, std::vector<uint8>{0});
	EXPECT_EQ(read_stored(Path(), "Paranoid").bytes, std::vector<uint8>{0});
}

TEST_F(IrcSettings, ParanoidIsReadOnlyWhenATimeStampIsStored)
{
	fVolume.MakeFile("ircADDon_Settings");
	WriteFloat("Setup2000:top", 1);
	WriteFloat("Setup2000:bottom", 2);
	WriteFloat("Setup2000:left", 3);
	WriteFloat("Setup2000:right", 4);
	WriteBool("Paranoid", true);
	float top, bottom, left, right;
	ASSERT_TRUE(RestoreSettings("Setup2000", top, bottom, left, right));
	EXPECT_FALSE(irc_paranoid_state());
}

TEST_F(IrcSettings, LongTextsAreReadAsTheirFirst511Bytes)
{
	irc_texts saved;
	std::string server(700, 's');
	saved.server = server.c_str();
	ASSERT_EQ(SaveIrcTexts(saved), B_OK);
	EXPECT_EQ(read_stored(Path(), "Server").size, 700);
	irc_texts texts;
	ASSERT_TRUE(RestoreIrcTexts(&texts));
	EXPECT_EQ(texts.server.Length(), 511);
}
