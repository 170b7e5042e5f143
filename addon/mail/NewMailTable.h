#ifndef NEW_MAIL_TABLE_H
#define NEW_MAIL_TABLE_H

#include <String.h>

#include <vector>

// One new mail as the window shows it.
struct NewMail {
	BString sender;
	BString recipient;
	BString subject;
	BString body;
};

// The mails found by the scan, numbered from 1 as they were found. The table
// grows with what the query yields, so every mail counted can be shown.
extern std::vector<NewMail> new_mail_table;
// During the scan, how many were found; afterwards, the number of the next
// mail to show, counting down to 0.
extern int32 message_count;

// The longest text kept of each field, in characters.
const int32 kSenderLength = 20;
const int32 kRecipientLength = 20;
const int32 kSubjectLength = 40;
// The bytes read of each attribute and of the start of each mail file.
const size_t kAttributeBytes = 255;
const size_t kBodyBytes = 8000;

// Finds the new mails with one query on the boot volume, fills the table,
// traces them on standard output and tells the user in an alert.
void scan_new_mail();

// The mail numbered n (1 and up).
NewMail& new_mail(int32 n);

#endif
