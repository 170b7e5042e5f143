#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <HostPath.h>
#include <Node.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>

namespace {

class StorageTest : public testing::Test {
protected:
	void SetUp() override
	{
		char pattern[] = "/tmp/murmelo-storage-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		fRoot = pattern;
		setenv("BE_BOOT_VOLUME", fRoot.c_str(), 1);
	}
	void TearDown() override
	{
		unsetenv("BE_BOOT_VOLUME");
		std::string command = "rm -rf '" + fRoot + "'";
		ASSERT_EQ(system(command.c_str()), 0);
	}
	std::string fRoot;
};

} // namespace

TEST_F(StorageTest, BootPathsMapIntoTheBootVolume)
{
	EXPECT_EQ(std::string(host_path("/boot/home/murmelo.dat").String()),
		fRoot + "/home/murmelo.dat");
	EXPECT_EQ(std::string(host_path("/boot").String()), fRoot);
	EXPECT_STREQ(host_path("/bootleg/x").String(), "/bootleg/x");
	EXPECT_STREQ(host_path("/etc/passwd").String(), "/etc/passwd");

	unsetenv("BE_BOOT_VOLUME");
	setenv("HOME", "/home/alice", 1);
	setenv("XDG_CONFIG_HOME", "/home/alice/.cfg", 1);
	EXPECT_STREQ(host_path("/boot/home/murmelo.dat").String(), "/home/alice/murmelo.dat");
	EXPECT_STREQ(host_path("/boot/home/config/settings/murmelo_Settings").String(),
		"/home/alice/.cfg/murmelo_Settings");
	BString doc = host_path("/boot/apps/trovel/doc/README");
	EXPECT_EQ(std::string(doc.String()), std::string(install_directory().String()) + "/doc/README");
}

TEST_F(StorageTest, FindDirectoryCreatesTheSettingsFolderWhenAsked)
{
	BPath path;
	ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &path), B_OK);
	EXPECT_EQ(std::string(path.Path()), fRoot + "/home/config/settings");
	EXPECT_FALSE(BEntry(path.Path()).Exists());
	ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &path, true), B_OK);
	EXPECT_TRUE(BEntry(path.Path()).IsDirectory());
	ASSERT_EQ(path.Append("murmelo_Settings"), B_OK);
	EXPECT_STREQ(path.Leaf(), "murmelo_Settings");
	BPath parent;
	ASSERT_EQ(path.GetParent(&parent), B_OK);
	EXPECT_EQ(std::string(parent.Path()), fRoot + "/home/config/settings");
	EXPECT_EQ(BPath("/").GetParent(&parent), B_ENTRY_NOT_FOUND);
	EXPECT_STREQ(BPath("/a/./b/../c//d/").Path(), "/a/c/d");
}

TEST_F(StorageTest, FilesOpenWithBeOSModesAndErrors)
{
	ASSERT_EQ(create_directory("/boot/home", 0755), B_OK);
	BFile missing("/boot/home/none", B_READ_ONLY);
	EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);
	BFile none;
	EXPECT_EQ(none.InitCheck(), B_NO_INIT);

	BFile file("/boot/home/data", B_WRITE_ONLY | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);
	EXPECT_EQ(file.Write("hello", 5), 5);
	EXPECT_EQ(file.WriteAt(10, "x", 1), 1);
	off_t size;
	ASSERT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 11);
	BFile again("/boot/home/data", B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS);
	EXPECT_EQ(again.InitCheck(), B_FILE_EXISTS);

	BEntry entry("/boot/home/data");
	EXPECT_TRUE(entry.Exists());
	entry_ref ref;
	ASSERT_EQ(entry.GetRef(&ref), B_OK);
	EXPECT_STREQ(ref.name, "data");
	BFile byRef(&ref, B_READ_ONLY);
	char buffer[6] = {};
	EXPECT_EQ(byRef.Read(buffer, 5), 5);
	EXPECT_STREQ(buffer, "hello");
	EXPECT_EQ(get_ref_for_path("/boot/nofolder/x", &ref), B_ENTRY_NOT_FOUND);

	BDirectory home("/boot/home");
	ASSERT_EQ(home.InitCheck(), B_OK);
	EXPECT_EQ(home.CountEntries(), 1);
	EXPECT_TRUE(home.Contains("data", B_FILE_NODE));
	EXPECT_FALSE(home.Contains("data", B_DIRECTORY_NODE));
	EXPECT_EQ(BDirectory("/boot/home/data").InitCheck(), B_NOT_A_DIRECTORY);
}

TEST_F(StorageTest, AttributesKeepTheirTypeAndValue)
{
	ASSERT_EQ(create_directory("/boot/home/config/settings", 0755), B_OK);
	BFile file("/boot/home/config/settings/murmelo_Settings", B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);

	BString name("Zoé");
	ASSERT_EQ(file.WriteAttrString("name_for_pop", &name), B_OK);
	int32 volume = 42;
	EXPECT_EQ(file.WriteAttr("volume", B_INT32_TYPE, 0, &volume, sizeof(volume)),
		(ssize_t)sizeof(volume));

	BNode node("/boot/home/config/settings/murmelo_Settings");
	BString read;
	ASSERT_EQ(node.ReadAttrString("name_for_pop", &read), B_OK);
	EXPECT_STREQ(read.String(), "Zoé");
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("volume", &info), B_OK);
	EXPECT_EQ(info.type, (uint32)B_INT32_TYPE);
	EXPECT_EQ(info.size, 4);
	ASSERT_EQ(node.GetAttrInfo("name_for_pop", &info), B_OK);
	EXPECT_EQ(info.type, (uint32)B_STRING_TYPE);
	EXPECT_EQ(info.size, 5);

	// The value on disk is the type code then the bytes, in a user. attribute.
	char raw[16];
	BString host = host_path("/boot/home/config/settings/murmelo_Settings");
	ASSERT_EQ(getxattr(host.String(), "user.name_for_pop", raw, sizeof(raw)), 9);
	EXPECT_EQ(memcmp(raw, "CSTRZo", 6), 0);

	// Writing at offset 0 replaces the whole value.
	BString shorter("Al");
	ASSERT_EQ(file.WriteAttrString("name_for_pop", &shorter), B_OK);
	ASSERT_EQ(node.ReadAttrString("name_for_pop", &read), B_OK);
	EXPECT_STREQ(read.String(), "Al");

	char names[B_ATTR_NAME_LENGTH + 1];
	int count = 0;
	while (node.GetNextAttrName(names) == B_OK)
		count++;
	EXPECT_EQ(count, 2);
	EXPECT_EQ(node.ReadAttr("absent", B_STRING_TYPE, 0, raw, sizeof(raw)), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(node.RemoveAttr("volume"), B_OK);
	EXPECT_EQ(node.GetAttrInfo("volume", &info), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BNode().WriteAttr("x", B_INT32_TYPE, 0, &volume, 4), B_FILE_ERROR);
}

TEST(StorageWithoutXattrs, AttributeCallsFailClearly)
{
	// /proc does not take user attributes: the call must say so, never
	// pretend to have written.
	BNode node("/proc/self/status");
	if (node.InitCheck() != B_OK)
		GTEST_SKIP() << "no /proc";
	int32 value = 1;
	ssize_t result = node.WriteAttr("x", B_INT32_TYPE, 0, &value, sizeof(value));
	EXPECT_LT(result, 0);
}
