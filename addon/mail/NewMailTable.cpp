#include "NewMailTable.h"

#include <Alert.h>
#include <File.h>
#include <Node.h>
#include <Query.h>
#include <Volume.h>
#include <VolumeRoster.h>

#include <stdio.h>
#include <string.h>

std::vector<NewMail> new_mail_table(1);
int32 message_count = 0;

namespace {

// The six texts end in a backslash and an "n", two plain characters.
const char kPredicateFailed[] = "Error: can't set query predicate.\\n";
const char kFetchFailed[] = "Error: new mail query failed.\\n";
const char kScanFailed[] = "Error: error scanning new messages.\\n";
const char kNoNewMail[] = "No new messages.\\n";

void
show_alert(const char* text)
{
	BAlert* alert = new BAlert("", text, "OK", NULL, NULL, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	alert->Go();
}

void
report(const char* text)
{
	fputs(text, stdout);
	show_alert(text);
}

// Cut to its first count characters, never inside one.
void
cut_to_characters(BString* text, int32 count)
{
	const char* bytes = text->String();
	int32 length = text->Length();
	int32 at = 0;
	for (int32 characters = 0; at < length; at++) {
		if (((uint8)bytes[at] & 0xc0) != 0x80 && characters++ == count)
			break;
	}
	text->Truncate(at);
}

// A string attribute, at most kAttributeBytes of it; empty when missing.
void
read_field(BNode& node, const char* name, BString* field, int32 characters)
{
	char buffer[kAttributeBytes + 1];
	ssize_t read = node.ReadAttr(name, B_STRING_TYPE, 0, buffer, kAttributeBytes);
	buffer[read > 0 ? read : 0] = '\0';
	field->SetTo(buffer);
	cut_to_characters(field, characters);
}

void
read_body(const entry_ref& ref, BString* body)
{
	// Closed again as soon as its beginning is read.
	BFile file(&ref, B_READ_ONLY);
	char buffer[kBodyBytes + 1];
	ssize_t read = file.InitCheck() == B_OK ? file.Read(buffer, kBodyBytes) : 0;
	size_t length = read > 0 ? strnlen(buffer, read) : 0;
	// The 8000 bytes may end inside a character: that part is left out.
	if (length == kBodyBytes) {
		size_t start = length;
		while (start > 0 && ((uint8)buffer[start - 1] & 0xc0) == 0x80)
			start--;
		if (start > 0) {
			uint8 lead = buffer[start - 1];
			size_t need = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
			if (length - (start - 1) < need)
				length = start - 1;
		}
	}
	body->SetTo(buffer, length);
}

} // namespace

NewMail&
new_mail(int32 n)
{
	return new_mail_table[n];
}

void
scan_new_mail()
{
	BVolume volume;
	BVolumeRoster().GetBootVolume(&volume);
	BQuery query;
	query.SetVolume(&volume);
	if (query.SetPredicate("MAIL:status = New") != B_OK) {
		report(kPredicateFailed);
		return;
	}
	if (query.Fetch() != B_OK) {
		report(kFetchFailed);
		return;
	}

	entry_ref ref;
	while (query.GetNextRef(&ref) == B_OK) {
		int32 n = ++message_count;
		new_mail_table.resize(n + 1);
		NewMail& mail = new_mail_table[n];
		read_body(ref, &mail.body);

		BNode node(&ref);
		if (node.InitCheck() != B_OK) {
			report(kScanFailed);
			return;
		}
		read_field(node, "MAIL:from", &mail.sender, kSenderLength);
		printf("%3d From: %-20s", (int)n, mail.sender.String());
		read_field(node, "MAIL:to", &mail.recipient, kRecipientLength);
		read_field(node, "MAIL:subject", &mail.subject, kSubjectLength);
		printf("test%s\n", mail.subject.String());
		printf("   Sub: %s\\n", mail.subject.String());
	}

	if (message_count == 0) {
		report(kNoNewMail);
		return;
	}
	char text[64];
	snprintf(text, sizeof(text), "%d new messages.\\n", (int)message_count);
	show_alert(text);
}
