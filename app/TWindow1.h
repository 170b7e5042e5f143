#ifndef _MAIN_TWINDOW1_H
#define _MAIN_TWINDOW1_H

#include <Locker.h>
#include <OS.h>
#include <Window.h>

#include <atomic>
#include <deque>
#include <vector>

class PopClass;
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
// view. A pulse thread polls the data file every three seconds and shows
// each new message once; in away mode it answers it instead.
class TWindow1 : public BWindow {
public:
	TWindow1(char* title, BRect frame);
	virtual ~TWindow1();

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;

	static int32 Pulsard(void* window);
	// One poll of the data file, as the pulse thread makes it.
	void Pulse();
	static int32 Away(void* window);

	TestView* List(int32 index) const { return fLists[index]; }
	TView2* Strip() const { return fStrip; }
	bool IsAway() const { return fAway; }

private:
	void _Show(int record);
	void _StartAway(int record);

	TView2* fStrip = NULL;
	std::atomic<bool> fAway;
	TestView* fLists[3];
	TabView* fTabView = NULL;

	// The scan's results are globals of the store: one poll at a time.
	BLocker fPulseLock;
	thread_id fPulseThread = -1;
	sem_id fPulseSleep = -1;
	std::atomic<bool> fQuitting;
	// The records waiting for an away answer, and the away threads that
	// still run; the window waits for them before it goes.
	BLocker fAwayLock;
	std::deque<int> fAwayRecords;
	std::vector<thread_id> fAwayThreads;
};

#endif
