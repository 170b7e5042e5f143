#ifndef _CLIPBOARD_H
#define _CLIPBOARD_H

#include <Message.h>
#include <Messenger.h>

#include <atomic>
#include <mutex>
#include <thread>

enum {
	B_CLIPBOARD_CHANGED = 'CLCH',
};

// A named clipboard. All BClipboard objects of one name share what was
// last committed; each works on its own copy between Lock() and Unlock().
// Data is kept as BMessage fields, text as "text/plain" of B_MIME_TYPE.
// The clipboards live in this process only.
class BClipboard {
public:
	BClipboard(const char* name, bool transient = false);
	virtual ~BClipboard();

	const char* Name() const { return fName.String(); }

	// Locking fetches what was committed since this object last looked.
	bool Lock();
	void Unlock();
	bool IsLocked() const;

	// The calls below need the clipboard locked.
	status_t Clear();
	status_t Commit();
	status_t Commit(bool failIfChanged);
	status_t Revert();
	BMessage* Data() const;
	BMessenger DataSource() const { return fDataSource; }

	uint32 LocalCount() const { return fCount; }
	uint32 SystemCount() const;

	status_t StartWatching(BMessenger target);
	status_t StopWatching(BMessenger target);

private:
	BClipboard(const BClipboard&) = delete;
	BClipboard& operator=(const BClipboard&) = delete;

	void _Fetch();

	BString fName;
	mutable BMessage fData;
	BMessenger fDataSource;
	uint32 fCount = 0;
	std::recursive_mutex fLock;
	std::atomic<std::thread::id> fOwner;
	int32 fLockCount = 0;
};

extern BClipboard* be_clipboard;

#endif
