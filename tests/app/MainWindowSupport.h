#ifndef _MAIN_WINDOW_SUPPORT_H
#define _MAIN_WINDOW_SUPPORT_H

// The messenger's main window on the headless display, for one test: a
// private boot volume, a stand-in MediaPlayer first on PATH, the window
// built and, at the end, quit with an empty store.

#include <Harness.h>
#include <IconListItem.h>
#include <MessageNames.h>
#include <OutlineListView.h>
#include <PopClass.h>
#include <TextView.h>
#include <TWindow1.h>
#include <TestView.h>

#include "TempBootVolume.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string.h>

// There is no sound device here: the stand-in only records each run, with
// its arguments, so that a test can count the arrival sounds.
inline void
write_standin_media_player(const std::string& folder, const std::string& log)
{
	std::string path = folder + "/MediaPlayer";
	std::ofstream(path) << "#!/bin/sh\necho \"$@\" >> '" << log << "'\n";
	chmod(path.c_str(), 0755);
}

inline std::string
read_all(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

inline int
count_lines(const std::string& path)
{
	std::string text = read_all(path);
	int lines = 0;
	for (char c : text)
		lines += c == '\n';
	return lines;
}

// The rows of one of the window's lists: labels in order.
inline std::vector<std::string>
list_rows(TWindow1* window, int32 list)
{
	std::vector<std::string> rows;
	BTest::Locked(window, [&] {
		BOutlineListView* view = window->List(list)->List();
		for (int32 i = 0; i < view->FullListCountItems(); i++) {
			IconListItem* item = dynamic_cast<IconListItem*>(view->FullListItemAt(i));
			rows.push_back(item != NULL ? item->Label() : "?");
		}
	});
	return rows;
}

// The text the private popup window shows; "?" when it has no read area.
inline std::string
popup_text(BWindow* popup)
{
	BTextView* read = dynamic_cast<BTextView*>(BTest::FindView(popup, "private_popup_read"));
	std::string shown = "?";
	if (read != NULL)
		BTest::Locked(popup, [&] { shown = read->Text(); });
	return shown;
}

// Quits the main window, if there is one, and empties the store it filled.
inline void
close_main_window(TWindow1* window)
{
	if (window != NULL) {
		window->Lock();
		window->Quit();
	}
	if (magestion != NULL)
		magestion->effacetout();
}

class MainWindowTest : public testing::Test {
protected:
	void SetUp() override
	{
		fOldPath = getenv("PATH");
		std::string bin = fVolume.Root() + "/standin";
		mkdir(bin.c_str(), 0755);
		fSoundLog = fVolume.Root() + "/sounds";
		write_standin_media_player(bin, fSoundLog);
		setenv("PATH", (bin + ":" + fOldPath).c_str(), 1);
		// No desktop notifications from the tests on a developer's desktop.
		setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/murmelo-test-bus", 1);
		fApp = new BTest::HeadlessApp();
	}

	void TearDown() override
	{
		close_main_window(fWindow);
		delete fApp;
		setenv("PATH", fOldPath.c_str(), 1);
	}

	TWindow1* Open()
	{
		fWindow = new TWindow1((char*)"murmelo", BRect(45, 370, 467, 770));
		fWindow->Show();
		EXPECT_TRUE(BTest::Sync(fWindow));
		return fWindow;
	}

	std::vector<std::string> Rows(int32 list) { return list_rows(fWindow, list); }

	int Sounds() const { return count_lines(fSoundLog); }

	// Appends a record with its sender, new or not, and its arrival time
	// when one is given.
	void AddRecord(const char* sender, const char* text, bool isNew = true, int64 arrival = -1)
	{
		Tliste record;
		memset(&record, 0, sizeof(record));
		memcpy(record.message, text, strnlen(text, sizeof(record.message)));
		uint32 names = append_message_names(&record, sender, "me", "me", arrival, &record.time);
		record.from = record.to = record.realfrom = names;
		record.is_new = isNew ? 1 : 0;
		std::ofstream(fVolume.DataFile(), std::ios::binary | std::ios::app)
			.write((const char*)&record, sizeof(record));
	}

	// The sender row of each message in a list, as shown: "alice · 14:03".
	std::vector<std::string> Shown(int32 list)
	{
		std::vector<std::string> shown;
		BTest::Locked(fWindow, [&] {
			BOutlineListView* view = fWindow->List(list)->List();
			for (int32 i = 0; i < view->FullListCountItems(); i++) {
				IconListItem* item = dynamic_cast<IconListItem*>(view->FullListItemAt(i));
				if (item != NULL && item->OutlineLevel() == 0)
					shown.push_back(item->Text().String());
			}
		});
		return shown;
	}

	TempBootVolume fVolume;
	std::string fOldPath;
	std::string fSoundLog;
	BTest::HeadlessApp* fApp = NULL;
	TWindow1* fWindow = NULL;
};

#endif
