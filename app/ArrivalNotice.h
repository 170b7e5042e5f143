#ifndef _ARRIVAL_NOTICE_H
#define _ARRIVAL_NOTICE_H

#include <SupportDefs.h>

class BWindow;

enum {
	// Asks the main window to show a record: int32 "record", its index in
	// the data file.
	kMainShowRecord = 'shwr',
};

// A desktop notification for a message the main window shows: sender as
// title, the first line of the text as body. A click posts a message with
// what = kMainShowRecord and an int32 "record" (the record's index in the
// data file) to window. Does nothing when the settings turn notifications
// off; returns what sending returned (B_OK, or an error that was said once
// on standard error).
status_t notify_arrival(BWindow* window, int32 record, const char* sender, const char* text);

#endif
