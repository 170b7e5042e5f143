#ifndef _MAIN_TWINDOW1_H
#define _MAIN_TWINDOW1_H

#include <Locker.h>
#include <Node.h>
#include <OS.h>
#include <String.h>
#include <Window.h>

#include <atomic>

class PopClass;
struct Tliste;
class TView2;
class TabView;
class TestView;

// The commands of the control strip.
enum {
	kMainClear = 'lear',
	kMainReply = 'pply',
	kMainAway = 'ondi',
};

// The message store of the messenger; empty when the main window is built.
extern PopClass* magestion;
extern bool processing_new_message;
extern bool is_it_a_reply;

// The main window: the control strip above three message lists in a tab
// view. A pulse thread polls the data file every three seconds, and at
// once when the file changes, and shows every new message once; in away
// mode it answers them instead. Messages that come while the window is not
// active are counted in its title until it is.
class TWindow1 : public BWindow {
public:
	TWindow1(char* title, BRect frame);
	virtual ~TWindow1();

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;
	void WindowActivated(bool active) override;

	static int32 Pulsard(void* window);
	// One poll of the data file, as the pulse thread makes it.
	void Pulse();
	static int32 Away(void* answer);
	// The fallback poll's interval (three seconds); tests lengthen it to
	// see that changes of the data file alone wake the pulse.
	void SetPollInterval(bigtime_t interval);

	TestView* List(int32 index) const { return fLists[index]; }
	TView2* Strip() const { return fStrip; }
	bool IsAway() const { return fAway; }
	// Messages not looked at yet: shown while the window was inactive, and
	// answered in away mode.
	int32 Unread() const { return fUnread + fAwayUnread; }

private:
	void _ShowRecords(Tliste* records, const int* indexes, int count);
	void _StartAway(int record, const Tliste& rec);
	void _MarkSeen(int record);
	void _WatchDataFile();
	void _UpdateTitle();

	TView2* fStrip = NULL;
	std::atomic<bool> fAway;
	TestView* fLists[3];
	TabView* fTabView = NULL;
	BString fTitle;

	// The scan's results are globals of the store: one poll at a time.
	BLocker fPulseLock;
	thread_id fPulseThread = -1;
	sem_id fPulseSleep = -1;
	std::atomic<bool> fQuitting;
	std::atomic<bigtime_t> fPollInterval;
	// The data file and its folder, watched so that a poll comes at once.
	node_ref fDataFile;
	node_ref fDataFolder;

	std::atomic<int32> fUnread;
	std::atomic<int32> fAwayUnread;
	// The data file could not be written: said once, and what was shown
	// stays shown, in memory.
	bool fToldReadOnly = false;
};

#endif
