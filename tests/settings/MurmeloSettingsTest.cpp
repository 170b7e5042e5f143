#include <MurmeloSettings.h>

#include <Errors.h>
#include <File.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <string.h>

#include "SettingsVolume.h"

namespace {

murmelo_settings
sample()
{
	murmelo_settings settings;
	settings.group = "WORKGROUP";
	settings.popName = "Bérénice";
	settings.answer = "Back at five";
	settings.soundPerso = 1;
	settings.soundWork = 0;
	settings.soundAll = 1;
	settings.notifications = 0;
	return settings;
}

int32
stored_int(const stored_attr& attr)
{
	int32 value = -1;
	if (attr.bytes.size() == 4)
		memcpy(&value, attr.bytes.data(), 4);
	return value;
}

} // namespace

TEST(MurmeloSettings, SaveWithNoFileCreatesAnEmptyFileWithSevenTypedAttributes)
{
	SettingsVolume volume;
	std::string path = volume.SettingsPath("murmelo_Settings");
	ASSERT_FALSE(TempBootVolume::Exists(path));

	ASSERT_EQ(save_murmelo_settings(sample()), B_OK);
	ASSERT_TRUE(TempBootVolume::Exists(path));
	EXPECT_EQ(TempBootVolume::Read(path), "");

	struct {
		const char* name;
		type_code type;
		std::string text;
	} strings[] = {
		{"name_for_group", B_STRING_TYPE, "WORKGROUP"},
		{"name_for_pop", B_STRING_TYPE, "Bérénice"},
		{"repondeur", B_STRING_TYPE, "Back at five"},
	};
	for (const auto& expected : strings) {
		stored_attr attr = read_stored(path, expected.name);
		ASSERT_TRUE(attr.exists) << expected.name;
		EXPECT_EQ(attr.type, (type_code)B_STRING_TYPE) << expected.name;
		// The text's bytes, without a terminating zero.
		EXPECT_EQ(attr.size, (off_t)expected.text.size()) << expected.name;
		EXPECT_EQ(attr.Text(), expected.text) << expected.name;
	}
	struct {
		const char* name;
		int32 value;
	} ints[] = {{"sound_for_perso", 1}, {"sound_for_work", 0}, {"sound_for_all", 1},
		{"notifications", 0}};
	for (const auto& expected : ints) {
		stored_attr attr = read_stored(path, expected.name);
		ASSERT_TRUE(attr.exists) << expected.name;
		EXPECT_EQ(attr.type, (type_code)B_INT32_TYPE) << expected.name;
		EXPECT_EQ(attr.size, 4) << expected.name;
		EXPECT_EQ(stored_int(attr), expected.value) << expected.name;
	}
}

TEST(MurmeloSettings, LoadReadsBackWhatWasSavedAndKeepsDefaultsForMissingValues)
{
	SettingsVolume volume;
	murmelo_settings none;
	none.popName = "computer name";
	EXPECT_EQ(load_murmelo_settings(&none), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(none.popName, "computer name");

	ASSERT_EQ(save_murmelo_settings(sample()), B_OK);
	murmelo_settings loaded;
	ASSERT_EQ(load_murmelo_settings(&loaded), B_OK);
	EXPECT_EQ(loaded.group, "WORKGROUP");
	EXPECT_EQ(loaded.popName, "Bérénice");
	EXPECT_EQ(loaded.answer, "Back at five");
	EXPECT_EQ(loaded.soundPerso, 1);
	EXPECT_EQ(loaded.soundWork, 0);
	EXPECT_EQ(loaded.soundAll, 1);
	EXPECT_EQ(loaded.notifications, 0);

	// A file holding only a name: the other fields keep what they had.
	std::string path = volume.SettingsPath("murmelo_Settings");
	::remove(path.c_str());
	volume.MakeFile("murmelo_Settings");
	BNode(path.c_str()).WriteAttr("name_for_pop", B_STRING_TYPE, 0, "solo", 4);
	murmelo_settings partial;
	partial.group = "Workgroup";
	partial.answer = "I'm away";
	ASSERT_EQ(load_murmelo_settings(&partial), B_OK);
	EXPECT_EQ(partial.popName, "solo");
	EXPECT_EQ(partial.group, "Workgroup");
	EXPECT_EQ(partial.answer, "I'm away");
	EXPECT_EQ(partial.soundAll, 0);
	// Files from before the notification option keep notifications on.
	EXPECT_EQ(partial.notifications, 1);
}

TEST(MurmeloSettings, LongNameIsStoredWholeAndReadAsItsFirst511Bytes)
{
	SettingsVolume volume;
	murmelo_settings settings = sample();
	std::string name;
	for (int i = 0; i < 600; i++)
		name += (char)('a' + i % 26);
	settings.popName = name.c_str();
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);

	stored_attr attr = read_stored(volume.SettingsPath("murmelo_Settings"), "name_for_pop");
	EXPECT_EQ(attr.size, 600);
	EXPECT_EQ(attr.Text(), name);

	murmelo_settings loaded;
	ASSERT_EQ(load_murmelo_settings(&loaded), B_OK);
	EXPECT_EQ(std::string(loaded.popName.String()), name.substr(0, 511));
	BString sender;
	ASSERT_EQ(read_sender_name(&sender), B_OK);
	EXPECT_EQ(std::string(sender.String()), name.substr(0, 511));

	// Exactly 511 bytes are taken whole.
	settings.popName = name.substr(0, 511).c_str();
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	ASSERT_EQ(read_sender_name(&sender), B_OK);
	EXPECT_EQ(sender.Length(), 511);
}

TEST(MurmeloSettings, CutNameNeverEndsInsideAUtf8Character)
{
	SettingsVolume volume;
	murmelo_settings settings = sample();
	// 510 bytes, then "é" over bytes 511 and 512: the cut falls inside it.
	std::string name = std::string(510, 'x') + "é" + "tail";
	settings.popName = name.c_str();
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	BString sender;
	ASSERT_EQ(read_sender_name(&sender), B_OK);
	EXPECT_EQ(std::string(sender.String()), std::string(510, 'x'));

	// A three-byte character ending at byte 511 stays.
	name = std::string(508, 'x') + "€" + "tail";
	settings.popName = name.c_str();
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	ASSERT_EQ(read_sender_name(&sender), B_OK);
	EXPECT_EQ(std::string(sender.String()), std::string(508, 'x') + "€");
}

TEST(MurmeloSettings, EmptyNameIsStoredWithSizeZeroAndReadAsEmpty)
{
	SettingsVolume volume;
	murmelo_settings settings = sample();
	settings.popName = "";
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	stored_attr attr = read_stored(volume.SettingsPath("murmelo_Settings"), "name_for_pop");
	ASSERT_TRUE(attr.exists);
	EXPECT_EQ(attr.size, 0);
	BString sender("not yet");
	ASSERT_EQ(read_sender_name(&sender), B_OK);
	EXPECT_EQ(sender, "");
}

TEST(MurmeloSettings, ShorterSaveReplacesTheWholeValue)
{
	SettingsVolume volume;
	murmelo_settings settings = sample();
	settings.answer = "a very long automatic answer";
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	settings.answer = "bye";
	ASSERT_EQ(save_murmelo_settings(settings), B_OK);
	stored_attr attr = read_stored(volume.SettingsPath("murmelo_Settings"), "repondeur");
	EXPECT_EQ(attr.size, 3);
	EXPECT_EQ(attr.Text(), "bye");
}

TEST(MurmeloSettings, SenderNameNeedsTheFile)
{
	SettingsVolume volume;
	BString sender("unchanged");
	EXPECT_EQ(read_sender_name(&sender), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(sender, "unchanged");
	// Looking made the settings directory, not the file.
	EXPECT_TRUE(TempBootVolume::Exists(volume.Root() + "/home/config/settings"));
	EXPECT_FALSE(TempBootVolume::Exists(volume.SettingsPath("murmelo_Settings")));

	// A file without a name still sends, under an empty name.
	volume.MakeFile("murmelo_Settings");
	EXPECT_EQ(read_sender_name(&sender), B_OK);
	EXPECT_EQ(sender, "");
}

TEST(MurmeloSettings, SoundAndNotificationMarksOfTheWrongShapeAreIgnored)
{
	SettingsVolume volume;
	std::string path = volume.MakeFile("murmelo_Settings");
	BNode node(path.c_str());
	int64 wide = 1;
	node.WriteAttr("sound_for_perso", B_INT64_TYPE, 0, &wide, sizeof(wide));
	node.WriteAttr("sound_for_work", B_STRING_TYPE, 0, "1", 1);
	int32 one = 1;
	node.WriteAttr("sound_for_all", B_INT32_TYPE, 0, &one, sizeof(one));
	node.WriteAttr("notifications", B_STRING_TYPE, 0, "0", 1);
	murmelo_settings loaded;
	ASSERT_EQ(load_murmelo_settings(&loaded), B_OK);
	EXPECT_EQ(loaded.soundPerso, 0);
	EXPECT_EQ(loaded.soundWork, 0);
	EXPECT_EQ(loaded.soundAll, 1);
	EXPECT_EQ(loaded.notifications, 1);
}

TEST(MurmeloSettings, SaveReportsASettingsFolderThatCannotBeMade)
{
	SettingsVolume volume;
	// "config" is a plain file, so no settings folder can be made below it.
	volume.Write("home/config", "in the way");
	EXPECT_NE(save_murmelo_settings(sample()), B_OK);
	BString sender;
	EXPECT_NE(read_sender_name(&sender), B_OK);
}
