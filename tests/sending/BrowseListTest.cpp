// Reading the browse list's answers and putting a workgroup's machines in
// place of `@WORKGROUP`.

#include "BrowseList.h"

#include <Errors.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::vector<std::string>
strings(const std::vector<BString>& names)
{
	std::vector<std::string> result;
	for (const BString& name : names)
		result.push_back(name.String());
	return result;
}

// The workgroups "the network" knows, for browse_expand.
std::map<std::string, std::vector<BString>> sGroups;
std::vector<std::string> sAsked;

status_t
fake_list(const char* workgroup, std::vector<BString>* machines, bigtime_t)
{
	sAsked.push_back(workgroup);
	if (std::string(workgroup) == "SLOWGRP")
		return B_TIMED_OUT;
	auto found = sGroups.find(workgroup);
	if (found == sGroups.end())
		return B_NAME_NOT_FOUND;
	*machines = found->second;
	return B_OK;
}

} // namespace

TEST(BrowseList, ServerLinesGiveTheMachinesOnceEachAndNothingElse)
{
	const char* output = "Anonymous login successful\n"
		"IPC|IPC$|IPC Service (Samba 4.17.12-Debian)\r\n"
		"Server|ALPHA|Samba 4.17 | with a bar\r\n"
		"Server|BETA|\n"
		"Server|alpha|the same machine\n"
		"Server||empty\n"
		"Server|A NAME WITH BLANKS|x\n"
		"Server|SIXTEENCHARSLONG|too long for NetBIOS\n"
		"Workgroup|MURMELO|ALPHA\n"
		"Server|GAMMA";
	EXPECT_EQ(strings(browse_parse_servers(output)),
		(std::vector<std::string>{"ALPHA", "BETA", "GAMMA"}));
	EXPECT_TRUE(browse_parse_servers("").empty());

	EXPECT_EQ(browse_parse_master("querying MURMELO on 127.255.255.255\n"
		"127.0.0.2 MURMELO<1d>\n127.0.0.9 MURMELO<1d>\n"), BString("127.0.0.2"));
	EXPECT_EQ(browse_parse_master("name_query failed to find name MURMELO#1d\n"), BString());
	EXPECT_EQ(browse_parse_master("rm -rf MURMELO<1d>\n"), BString());
}

TEST(BrowseList, AWorkgroupStandsForItsMachinesLessOurs)
{
	sGroups = {{"MURMELO", {"ALPHA", "OURS", "BETA"}}, {"OTHER", {"DELTA", "alpha"}},
		{"ALONE", {"ours"}}};
	BString problems;

	// Named and own workgroup, beside plain names; our own name in any case
	// is left out, and a machine named twice is sent to once by samba_post.
	sAsked.clear();
	EXPECT_EQ(browse_expand("zed, @OTHER @", "MURMELO", "ours", &problems, fake_list),
		BString("zed, DELTA, alpha, ALPHA, BETA"));
	EXPECT_EQ(problems, BString());
	EXPECT_EQ(sAsked, (std::vector<std::string>{"OTHER", "MURMELO"}));

	// What cannot be read is said, one line a group, and the rest still goes.
	EXPECT_EQ(browse_expand("@NOSUCH, zed, @SLOWGRP, @ALONE, @BAD|NAME", "MURMELO", "OURS",
		&problems, fake_list), BString("zed"));
	EXPECT_EQ(problems, BString("@NOSUCH: no browse list found\n"
		"@SLOWGRP: the browse list did not answer in time\n"
		"@ALONE: no other machine in the browse list\n"
		"@BAD|NAME: no browse list found"));

	// `@` with no workgroup of our own reads nothing.
	sAsked.clear();
	EXPECT_EQ(browse_expand("@", "", "OURS", &problems, fake_list), BString());
	EXPECT_EQ(problems, BString("@: not a workgroup name"));
	EXPECT_TRUE(sAsked.empty());
}

TEST(BrowseList, ANameNoWorkgroupCanHaveIsRefusedBeforeAnyToolRuns)
{
	std::vector<BString> machines{"STALE"};
	for (const char* bad : {"", "SIXTEENCHARSLONG", "two words", "a|b", "x\ny"})
		EXPECT_EQ(browse_machines(bad, &machines), B_BAD_VALUE) << bad;
	EXPECT_TRUE(machines.empty());
}
