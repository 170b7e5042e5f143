#ifndef _HANDLER_H
#define _HANDLER_H

#include <Archivable.h>
#include <Message.h>

class BLooper;

// Something that receives messages in a looper.
class BHandler : public BArchivable {
public:
	BHandler(const char* name = NULL);
	BHandler(BMessage* archive);
	virtual ~BHandler();

	status_t Archive(BMessage* into, bool deep = true) const override;
	static BArchivable* Instantiate(BMessage* archive);

	virtual void MessageReceived(BMessage* message);

	// Scripting: picks the handler for the current specifier (popping it
	// when it is used up), or answers the sender and returns NULL.
	virtual BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier,
		int32 what, const char* property);
	virtual status_t GetSupportedSuites(BMessage* data);

	BLooper* Looper() const { return fLooper; }
	void SetName(const char* name);
	const char* Name() const;
	virtual void SetNextHandler(BHandler* handler);
	BHandler* NextHandler() const { return fNextHandler; }

	bool LockLooper();
	status_t LockLooperWithTimeout(bigtime_t timeout);
	void UnlockLooper();

	// The handler's number in the process, by which messengers find it.
	int32 _Token() const { return fToken; }

protected:
	// Answers the properties every handler has; false for anything else.
	bool _ScriptingReceived(BMessage* message);

private:
	friend class BLooper;
	void _SetLooper(BLooper* looper);

	BString fName;
	BLooper* fLooper = NULL;
	BHandler* fNextHandler = NULL;
	int32 fToken;
};

#endif
