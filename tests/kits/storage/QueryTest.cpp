// BQuery over the boot volume's attribute index: the predicate language,
// the push API, the index kept by the kit's own calls, the re-check of
// every hit and the rescan of files changed by another program.

#include "Process.h"
#include "TempBootVolume.h"

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <Path.h>
#include <Query.h>
#include <Volume.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include <gtest/gtest.h>

#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

const char kMailFolder[] = "/boot/home/mail/in";

class QueryTest : public testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_EQ(create_directory(kMailFolder, 0755), B_OK);
		BVolumeRoster roster;
		ASSERT_EQ(roster.GetBootVolume(&fVolume), B_OK);
	}

	// A mail file written through the kit, as the mail daemon files one.
	std::string Mail(const char* name, const char* status, const char* from = "alice@example.org",
		int64 when = 1000, const char* subject = "hello")
	{
		// The host path, for setfattr as much as for the kit.
		std::string path = fBoot.Root() + "/home/mail/in/" + name;
		BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
		EXPECT_EQ(file.InitCheck(), B_OK);
		file.Write("From: x\n\nbody\n", 14);
		BString value(status);
		EXPECT_EQ(file.WriteAttrString("MAIL:status", &value), B_OK);
		value = from;
		EXPECT_EQ(file.WriteAttrString("MAIL:from", &value), B_OK);
		value = subject;
		EXPECT_EQ(file.WriteAttrString("MAIL:subject", &value), B_OK);
		EXPECT_EQ(file.WriteAttr("MAIL:when", B_TIME_TYPE, 0, &when, sizeof(when)),
			(ssize_t)sizeof(when));
		return path;
	}

	// The leaf names the query yields, in its order; "error <code>" when
	// the query cannot be run.
	std::vector<std::string> Names(const char* predicate)
	{
		BQuery query;
		EXPECT_EQ(query.SetVolume(&fVolume), B_OK);
		EXPECT_EQ(query.SetPredicate(predicate), B_OK);
		return Fetched(query);
	}

	std::vector<std::string> Fetched(BQuery& query)
	{
		status_t status = query.Fetch();
		if (status != B_OK)
			return {"error " + std::to_string(status)};
		std::vector<std::string> names;
		entry_ref ref;
		while (query.GetNextRef(&ref) == B_OK)
			names.push_back(ref.name);
		return names;
	}

	static void SetFattr(const std::string& path, const char* name, const std::string& value)
	{
		// The kit's layout: the four bytes of the type code, then the value.
		std::string bytes = "CSTR" + value + std::string(1, '\0');
		std::string hex = "0x";
		char digits[3];
		for (unsigned char c : bytes) {
			snprintf(digits, sizeof(digits), "%02x", c);
			hex += digits;
		}
		ProcessResult result = run_process(
			{"setfattr", "-n", std::string("user.") + name, "-v", hex, path});
		ASSERT_EQ(result.status, 0) << result.output;
	}

	TempBootVolume fBoot;
	BVolume fVolume;
};

using List = std::vector<std::string>;

TEST_F(QueryTest, ComparisonsWildcardsAndLogicFollowThePredicateLanguage)
{
	Mail("m1", "New", "alice@example.org", 100, "Lunch");
	Mail("m2", "Read", "bob@example.org", 200, "lunch?");
	Mail("m3", "New", "carol@other.net", 300, "Re: lunch");
	Mail("m4", "Replied", "dave@example.org", 400, "");

	EXPECT_EQ(Names("MAIL:status = New"), (List{"m1", "m3"}));
	EXPECT_EQ(Names("(MAIL:status==\"New\")"), (List{"m1", "m3"}));
	EXPECT_EQ(Names("MAIL:status != New"), (List{"m2", "m4"}));
	EXPECT_EQ(Names("MAIL:when < 200"), (List{"m1"}));
	EXPECT_EQ(Names("MAIL:when <= 200"), (List{"m1", "m2"}));
	EXPECT_EQ(Names("MAIL:when > 300"), (List{"m4"}));
	EXPECT_EQ(Names("MAIL:when >= 300"), (List{"m3", "m4"}));
	EXPECT_EQ(Names("MAIL:from = *@example.org"), (List{"m1", "m2", "m4"}));
	EXPECT_EQ(Names("MAIL:from != \"*@example.org\""), (List{"m3"}));
	EXPECT_EQ(Names("MAIL:subject == \"?unch*\""), (List{"m1", "m2"}));
	EXPECT_EQ(Names("MAIL:subject == \"[lL]unch\""), (List{"m1"}));
	EXPECT_EQ(Names("MAIL:subject == \"\""), (List{"m4"}));
	EXPECT_EQ(Names("MAIL:status==New && MAIL:when>100"), (List{"m3"}));
	EXPECT_EQ(Names("MAIL:status==Read || MAIL:status==Replied"), (List{"m2", "m4"}));
	EXPECT_EQ(Names("!(MAIL:status==New || MAIL:when>=400)"), (List{"m2"}));
	EXPECT_EQ(Names("(MAIL:status==New || MAIL:status==Read) && !(MAIL:from=bob*)"),
		(List{"m1", "m3"}));
	// Attributes without an index may narrow a query, and the file's own
	// name, size and modification time are there too.
	EXPECT_EQ(Names("MAIL:status==New && name==m3"), (List{"m3"}));
	EXPECT_EQ(Names("MAIL:status==New && size>1000"), (List{}));
}

TEST_F(QueryTest, PushedPredicatesAreBuiltAsWritten)
{
	Mail("m1", "New", "Alice@Example.org");
	Mail("m2", "New", "bob@example.org");
	Mail("m3", "Read", "alice@example.org");

	BQuery query;
	ASSERT_EQ(query.SetVolume(&fVolume), B_OK);
	query.PushAttr("MAIL:status");
	query.PushString("New");
	query.PushOp(B_EQ);
	query.PushAttr("MAIL:from");
	query.PushString("alice", true);
	query.PushOp(B_BEGINS_WITH);
	query.PushOp(B_AND);
	BString predicate;
	ASSERT_EQ(query.GetPredicate(&predicate), B_OK);
	EXPECT_STREQ(predicate.String(),
		"((MAIL:status==\"New\")&&(MAIL:from==\"[aA][lL][iI][cC][eE]*\"))");
	EXPECT_EQ(Fetched(query), (List{"m1"}));

	BQuery numbers;
	numbers.SetVolume(&fVolume);
	numbers.PushAttr("MAIL:when");
	numbers.PushInt64(1000);
	numbers.PushOp(B_EQ);
	numbers.PushOp(B_NOT);
	EXPECT_EQ(Fetched(numbers), (List{}));

	BQuery contains;
	contains.SetVolume(&fVolume);
	contains.PushAttr("MAIL:from");
	contains.PushString("example");
	contains.PushOp(B_CONTAINS);
	EXPECT_EQ(Fetched(contains), (List{"m2", "m3"}));
}

TEST_F(QueryTest, MisuseAndMalformedPredicatesAreRefusedClearly)
{
	Mail("m1", "New");
	BQuery query;
	entry_ref ref;
	EXPECT_EQ(query.GetNextRef(&ref), B_NOT_ALLOWED);
	EXPECT_EQ(query.Fetch(), B_NO_INIT);
	ASSERT_EQ(query.SetVolume(&fVolume), B_OK);
	EXPECT_EQ(query.Fetch(), B_NO_INIT);

	for (const char* bad : {"MAIL:status", "MAIL:status ==", "(MAIL:status==New",
			 "MAIL:status==New &&", "MAIL:status==\"New", "&& MAIL:status==New",
			 "MAIL:status==New)"}) {
		BQuery malformed;
		malformed.SetVolume(&fVolume);
		malformed.SetPredicate(bad);
		EXPECT_EQ(malformed.Fetch(), B_BAD_VALUE) << bad;
	}
	std::string deep(5000, '(');
	BQuery nested;
	nested.SetVolume(&fVolume);
	nested.SetPredicate((deep + "MAIL:status==New").c_str());
	EXPECT_EQ(nested.Fetch(), B_BAD_VALUE);

	std::string many = "MAIL:status==New";
	for (int i = 0; i < 20000; i++)
		many += "&&MAIL:status==New";
	BQuery wide;
	wide.SetVolume(&fVolume);
	wide.SetPredicate(many.c_str());
	EXPECT_EQ(wide.Fetch(), B_BAD_VALUE);

	BQuery pushed;
	pushed.SetVolume(&fVolume);
	EXPECT_EQ(pushed.PushOp(B_AND), B_BAD_VALUE);
	EXPECT_EQ(pushed.Fetch(), B_BAD_VALUE);

	// A query without an indexed attribute is refused as BeOS does.
	EXPECT_EQ(Names("MAIL:unknown==x"), (List{"error " + std::to_string(B_ENTRY_NOT_FOUND)}));
	EXPECT_EQ(Names("MAIL:status==New || name==m1"),
		(List{"error " + std::to_string(B_ENTRY_NOT_FOUND)}));

	ASSERT_EQ(query.SetPredicate("MAIL:status==New"), B_OK);
	ASSERT_EQ(query.Fetch(), B_OK);
	EXPECT_EQ(query.Fetch(), B_NOT_ALLOWED);
	EXPECT_EQ(query.SetPredicate("MAIL:status==Read"), B_NOT_ALLOWED);
	ASSERT_EQ(query.GetNextRef(&ref), B_OK);
	EXPECT_EQ(query.GetNextRef(&ref), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(query.Clear(), B_OK);
	query.SetVolume(&fVolume);
	query.SetPredicate("MAIL:status==New");
	EXPECT_EQ(Fetched(query), (List{"m1"}));
}

TEST_F(QueryTest, IndexesAreMadeStatedAndRemoved)
{
	dev_t device = fVolume.Device();
	index_info info;
	// A fresh volume knows the mail attributes.
	ASSERT_EQ(fs_stat_index(device, "MAIL:status", &info), 0);
	EXPECT_EQ(info.type, (uint32)B_STRING_TYPE);
	ASSERT_EQ(fs_stat_index(device, "MAIL:when", &info), 0);
	EXPECT_EQ(info.type, (uint32)B_TIME_TYPE);
	EXPECT_EQ(fs_stat_index(device, "colour", &info), -1);
	EXPECT_EQ(errno, B_ENTRY_NOT_FOUND);

	EXPECT_EQ(fs_create_index(device, "colour", B_STRING_TYPE, 0), 0);
	EXPECT_EQ(fs_create_index(device, "colour", B_STRING_TYPE, 0), -1);
	EXPECT_EQ(errno, B_FILE_EXISTS);
	EXPECT_EQ(fs_create_index(device, "shape", B_RECT_TYPE, 0), -1);
	EXPECT_EQ(errno, B_BAD_TYPE);

	std::string path = Mail("m1", "New");
	BNode node(path.c_str());
	BString red("red");
	ASSERT_EQ(node.WriteAttrString("colour", &red), B_OK);
	int32 wrongType = 7;
	node.WriteAttr("MAIL:flags", B_STRING_TYPE, 0, "7", 2);
	ASSERT_EQ(fs_stat_index(device, "colour", &info), 0);
	EXPECT_EQ(info.size, 1);
	EXPECT_EQ(Names("colour==red"), (List{"m1"}));
	// A value of another type than its index's is not indexed.
	EXPECT_EQ(Names("MAIL:flags==7"), (List{}));
	node.WriteAttr("MAIL:flags", B_INT32_TYPE, 0, &wrongType, sizeof(wrongType));
	EXPECT_EQ(Names("MAIL:flags==7"), (List{"m1"}));

	DIR* dir = fs_open_index_dir(device);
	ASSERT_NE(dir, nullptr);
	int count = 0;
	bool sawColour = false;
	while (struct dirent* entry = fs_read_index_dir(dir)) {
		count++;
		sawColour |= std::string(entry->d_name) == "colour";
	}
	fs_close_index_dir(dir);
	EXPECT_TRUE(sawColour);
	EXPECT_GT(count, 5);

	EXPECT_EQ(fs_remove_index(device, "colour"), 0);
	EXPECT_EQ(fs_remove_index(device, "colour"), -1);
	EXPECT_EQ(errno, B_ENTRY_NOT_FOUND);
	EXPECT_EQ(Names("colour==red"), (List{"error " + std::to_string(B_ENTRY_NOT_FOUND)}));
	// The index lives on the boot volume alone.
	EXPECT_EQ(fs_create_index(device + 12345, "colour", B_STRING_TYPE, 0), -1);
}

TEST_F(QueryTest, ReadMailIsNotReturnedWhetherMarkedThroughTheKitOrBySetfattr)
{
	std::string first = Mail("m1", "New");
	std::string second = Mail("m2", "New");
	std::string third = Mail("m3", "New");
	ASSERT_EQ(Names("MAIL:status==New"), (List{"m1", "m2", "m3"}));

	BNode node(first.c_str());
	BString read("Read");
	ASSERT_EQ(node.WriteAttrString("MAIL:status", &read), B_OK);
	SetFattr(second, "MAIL:status", "Read");
	EXPECT_EQ(Names("MAIL:status==New"), (List{"m3"}));
	// The rescan learnt what setfattr did: the index answers it too.
	EXPECT_EQ(Names("MAIL:status==Read"), (List{"m1", "m2"}));

	// Marked new again behind the kit's back, after the index last looked.
	SetFattr(first, "MAIL:status", "New");
	EXPECT_EQ(Names("MAIL:status==New"), (List{"m1", "m3"}));

	// A removed attribute takes the file out of the index's answers.
	BNode thirdNode(third.c_str());
	ASSERT_EQ(thirdNode.RemoveAttr("MAIL:status"), B_OK);
	EXPECT_EQ(Names("MAIL:status==New"), (List{"m1"}));
}

TEST_F(QueryTest, TheIndexFollowsRenamesAndRemovalsAndNeverReturnsAGoneFile)
{
	std::string first = Mail("m1", "New");
	std::string second = Mail("m2", "New");
	std::string third = Mail("m3", "New");
	std::string fourth = Mail("m4", "New");
	ASSERT_EQ(create_directory("/boot/home/mail/old", 0755), B_OK);

	BEntry moved(first.c_str());
	ASSERT_EQ(moved.Rename("renamed"), B_OK);
	BEntry removed(second.c_str());
	ASSERT_EQ(removed.Remove(), B_OK);
	// Moved over another mail: that one is gone.
	BEntry clobbering(third.c_str());
	ASSERT_EQ(clobbering.Rename(fourth.c_str(), true), B_OK);
	EXPECT_EQ(Names("MAIL:status==New"), (List{"renamed", "m4"}));

	BDirectory old("/boot/home/mail/old");
	BEntry renamed((fBoot.Root() + "/home/mail/in/renamed").c_str());
	ASSERT_EQ(renamed.MoveTo(&old), B_OK);
	BEntry folder("/boot/home/mail/old");
	ASSERT_EQ(folder.Rename("older"), B_OK);
	BQuery query;
	query.SetVolume(&fVolume);
	query.SetPredicate("MAIL:status==New");
	ASSERT_EQ(query.Fetch(), B_OK);
	std::vector<std::string> paths;
	BEntry entry;
	while (query.GetNextEntry(&entry) == B_OK) {
		BPath path;
		entry.GetPath(&path);
		paths.push_back(path.Path());
	}
	EXPECT_EQ(paths, (std::vector<std::string>{fBoot.Root() + "/home/mail/older/renamed",
						 fBoot.Root() + "/home/mail/in/m4"}));

	// A folder moved over an empty one that the index had known.
	ASSERT_EQ(create_directory("/boot/home/mail/empty", 0755), B_OK);
	Mail("gone", "New");
	BEntry gone((fBoot.Root() + "/home/mail/in/gone").c_str());
	BDirectory empty("/boot/home/mail/empty");
	ASSERT_EQ(gone.MoveTo(&empty), B_OK);
	ASSERT_EQ(gone.Remove(), B_OK);
	BEntry older("/boot/home/mail/older");
	ASSERT_EQ(older.Rename("empty", true), B_OK);
	EXPECT_EQ(Names("MAIL:status==New"), (List{"renamed", "m4"}));

	// Removed behind the kit's back: never returned.
	ASSERT_EQ(unlink(fourth.c_str()), 0);
	EXPECT_EQ(Names("MAIL:status==New"), (List{"renamed"}));
}

TEST_F(QueryTest, ValuesOtherProgramsWroteAreJudgedByWhatTheyHold)
{
	std::string first = Mail("m1", "New");
	std::string second = Mail("m2", "New");
	// A 32-bit time, as a BeOS of old wrote one.
	int32 shortTime = 50;
	BNode node(first.c_str());
	ASSERT_EQ(node.WriteAttr("MAIL:when", B_TIME_TYPE, 0, &shortTime, sizeof(shortTime)),
		(ssize_t)sizeof(shortTime));
	EXPECT_EQ(Names("MAIL:when == 50"), (List{"m1"}));

	// A status without the kit's type code, and a mail file with no
	// attributes at all: neither is new mail, and nothing breaks.
	ProcessResult raw = run_process({"setfattr", "-n", "user.MAIL:status", "-v", "New", second});
	ASSERT_EQ(raw.status, 0) << raw.output;
	fBoot.Write("home/mail/in/plain", "From: nobody\n\n");
	EXPECT_EQ(Names("MAIL:status==New"), (List{"m1"}));
	EXPECT_EQ(Names("MAIL:from==*"), (List{"m1", "m2"}));
}

TEST_F(QueryTest, MailFiledByAnotherProcessMeanwhileIsAllFound)
{
	Mail("first", "New");
	fflush(stdout);
	pid_t child = fork();
	if (child == 0) {
		// The child's own connection to the index, as another program has.
		char name[32];
		for (int i = 0; i < 100; i++) {
			snprintf(name, sizeof(name), "c%03d", i);
			Mail(name, "New");
		}
		_exit(testing::Test::HasFailure() ? 1 : 0);
	}
	ASSERT_GT(child, 0);
	size_t seen = 0;
	int status = 0;
	while (waitpid(child, &status, WNOHANG) == 0) {
		std::vector<std::string> names = Names("MAIL:status==New");
		ASSERT_FALSE(names.empty());
		ASSERT_NE(names[0].rfind("error", 0), 0u) << names[0];
		EXPECT_GE(names.size(), seen);
		seen = names.size();
	}
	ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	EXPECT_EQ(Names("MAIL:status==New").size(), 101u);
}

} // namespace
