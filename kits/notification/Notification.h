#ifndef _NOTIFICATION_H
#define _NOTIFICATION_H

#include <Message.h>
#include <Messenger.h>
#include <String.h>
#include <SupportDefs.h>

enum notification_type {
	B_INFORMATION_NOTIFICATION,
	B_IMPORTANT_NOTIFICATION,
	B_ERROR_NOTIFICATION,
	B_PROGRESS_NOTIFICATION
};

// A desktop notification, shown by the desktop's notification service
// (freedesktop Notifications on the session bus).
class BNotification {
public:
	BNotification(notification_type type);
	~BNotification();

	status_t InitCheck() const { return B_OK; }

	notification_type Type() const { return fType; }

	// The name the notification is shown under; the running program's file
	// name unless set.
	const char* SourceName() const { return fSourceName.String(); }
	void SetSourceName(const BString& name);

	const char* Group() const { return fGroup.String(); }
	void SetGroup(const BString& group) { fGroup = group; }

	const char* Title() const { return fTitle.String(); }
	void SetTitle(const BString& title) { fTitle = title; }

	// Plain text, shown as it stands.
	const char* Content() const { return fContent.String(); }
	void SetContent(const BString& content) { fContent = content; }

	// A notification sent with the ID of an earlier one of this program
	// replaces it on screen.
	const char* MessageID() const { return fMessageID.String(); }
	void SetMessageID(const BString& id) { fMessageID = id; }

	float Progress() const { return fProgress; }
	void SetProgress(float progress);

	// Our own: each time the user clicks the notification, a copy of
	// message is posted to target.
	void SetOnClickMessage(const BMessenger& target, const BMessage& message);

	// Shows the notification for timeout microseconds, the service's own
	// time for a negative one. Waits at most about a second for the service:
	// without a session bus or a notification service it returns an error,
	// and for half a minute after a service that did not answer in time,
	// B_TIMED_OUT at once.
	status_t Send(bigtime_t timeout = -1);

private:
	BNotification(const BNotification&) = delete;
	BNotification& operator=(const BNotification&) = delete;

	status_t _Failed(status_t status, const BString& error);

	notification_type fType;
	BString fSourceName;
	BString fGroup;
	BString fTitle;
	BString fContent;
	BString fMessageID;
	float fProgress = 0;
	bool fHasClick = false;
	BMessenger fClickTarget;
	BMessage fClickMessage;
};

#endif
