#ifndef _APPLICATION_H
#define _APPLICATION_H

#include <Looper.h>
#include <MessageRunner.h>
#include <Messenger.h>
#include <Roster.h>

#include <vector>

class BWindow;

class BApplication : public BLooper {
public:
	BApplication(const char* signature);
	BApplication(const char* signature, status_t* error);
	virtual ~BApplication();

	status_t InitCheck() const { return fInitStatus; }

	// Runs the message loop on the calling thread; returns when the
	// application quits.
	thread_id Run() override;
	void Quit() override;
	bool QuitRequested() override;

	virtual void ReadyToRun();
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void RefsReceived(BMessage* message);
	virtual void AboutRequested();
	virtual void AppActivated(bool active);
	virtual void Pulse();

	void MessageReceived(BMessage* message) override;
	void DispatchMessage(BMessage* message, BHandler* handler) override;
	BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
		const char* property) override;
	status_t GetSupportedSuites(BMessage* data) override;

	void SetPulseRate(bigtime_t rate);
	bigtime_t PulseRate() const { return fPulseRate; }

	int32 CountWindows() const;
	BWindow* WindowAt(int32 index) const;
	bool IsLaunching() const { return !fReadyToRunCalled; }
	status_t GetAppInfo(app_info* info) const;
	const char* Signature() const { return fSignature.String(); }

	// Kit-private: the interface kit registers its windows here.
	void _RegisterWindow(BWindow* window, BLooper* looper);
	void _UnregisterWindow(BWindow* window);

private:
	void _Init(const char* signature, status_t* error);
	bool _HandleProperty(BMessage* message);
	void _StartSignalWatcher();
	static status_t _SignalWatcher(void* data);

	BString fSignature;
	status_t fInitStatus = B_NO_INIT;
	bool fReadyToRunCalled = false;
	bigtime_t fPulseRate = 0;
	std::unique_ptr<BMessageRunner> fPulseRunner;
	mutable BLocker fWindowLock;
	std::vector<std::pair<BWindow*, BLooper*>> fWindows;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;

#endif
