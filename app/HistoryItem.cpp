#include "HistoryItem.h"

#include <HistoryMarks.h>
#include <MessageNames.h>

#include <Font.h>
#include <View.h>

#include <math.h>
#include <string.h>
#include <sys/time.h>

#include <algorithm>

namespace {

const char* const kReplacement = "\xEF\xBF\xBD";
const rgb_color kBlack = {0, 0, 0, 255};
const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kGrey = {96, 96, 96, 255};
const rgb_color kSelected = {40, 40, 40, 255};
const rgb_color kAwayTint = {255, 236, 190, 255};
const rgb_color kAwayText = {150, 70, 0, 255};
const rgb_color kRule = {224, 224, 224, 255};
// Of a long text, the one line shows this much.
const int32 kLineBytes = 400;

// Length of the valid UTF-8 sequence at s (at most left bytes), 0 if none.
int
utf8_sequence(const uint8* s, size_t left)
{
	uint8 c = s[0];
	int length;
	uint32 min;
	if (c < 0x80)
		return 1;
	if (c >= 0xC2 && c <= 0xDF) {
		length = 2;
		min = 0x80;
	} else if (c >= 0xE0 && c <= 0xEF) {
		length = 3;
		min = 0x800;
	} else if (c >= 0xF0 && c <= 0xF4) {
		length = 4;
		min = 0x10000;
	} else
		return 0;
	if ((size_t)length > left)
		return 0;
	uint32 code = c & (0x7F >> length);
	for (int i = 1; i < length; i++) {
		if ((s[i] & 0xC0) != 0x80)
			return 0;
		code = (code << 6) | (s[i] & 0x3F);
	}
	if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
		return 0;
	return length;
}

// Whether haystack holds needle (already lower case), ignoring the case
// of ASCII letters.
bool
contains_folded(const BString& haystack, const BString& needle)
{
	const char* h = haystack.String();
	const char* n = needle.String();
	size_t hl = haystack.Length();
	size_t nl = needle.Length();
	if (nl == 0)
		return true;
	for (size_t i = 0; i + nl <= hl; i++) {
		size_t k = 0;
		while (k < nl) {
			char c = h[i + k];
			if (c >= 'A' && c <= 'Z')
				c += 'a' - 'A';
			if (c != n[k])
				break;
			k++;
		}
		if (k == nl)
			return true;
	}
	return false;
}

int64
now_micros()
{
	struct timeval now;
	gettimeofday(&now, NULL);
	return (int64)now.tv_sec * 1000000 + now.tv_usec;
}

} // namespace

// Each invalid byte replaced, so that the damage shows instead of vanishing.
BString
valid_utf8(const char* bytes, size_t size)
{
	BString text;
	const uint8* s = (const uint8*)bytes;
	size_t at = 0;
	size_t start = 0;
	while (at < size) {
		int length = utf8_sequence(s + at, size - at);
		if (length > 0) {
			at += length;
			continue;
		}
		text.Append(bytes + start, (int32)(at - start));
		text.Append(kReplacement);
		at++;
		start = at;
	}
	text.Append(bytes + start, (int32)(at - start));
	return text;
}

HistoryItem::HistoryItem(int32 record, const Tliste& rec, uint32 check, uint32 kinds,
	MessageNamesReader& names)
	: fRecord(record),
	  fCheck(check),
	  fAway((kinds & HISTORY_MARK_AWAY) != 0)
{
	BString from, to;
	names.ReadNames(&rec, check, &from, &to);
	fFrom = valid_utf8(from.String(), from.Length());
	fTo = valid_utf8(to.String(), to.Length());
	BString text;
	names.ReadText(&rec, check, &text);
	fText = valid_utf8(text.String(), text.Length());
	if (names.ReadArrival(&rec, check, &fArrival) != B_OK)
		fArrival = -1;
}

void
HistoryItem::DrawItem(BView* owner, BRect frame, bool complete)
{
	rgb_color background = IsSelected() ? kSelected : fAway ? kAwayTint : owner->ViewColor();
	if (IsSelected() || fAway || complete) {
		owner->SetHighColor(background);
		owner->FillRect(frame);
	}
	owner->SetLowColor(background);
	float x = frame.left + 4;
	float first = frame.top + fBaseline;
	float second = first + fLine;

	owner->SetHighColor(IsSelected() ? kWhite : kGrey);
	owner->DrawString(fTime.String(), BPoint(x, first));
	x += fTimeWidth;
	owner->SetHighColor(IsSelected() ? kWhite : kBlack);
	owner->DrawString(fHeading.String(), BPoint(x, first));
	if (fAway) {
		x += owner->StringWidth(fHeading.String()) + 10;
		owner->SetHighColor(IsSelected() ? kAwayTint : kAwayText);
		owner->DrawString("(away)", BPoint(x, first));
	}
	owner->SetHighColor(IsSelected() ? kWhite : kBlack);
	owner->DrawString(fLineText.String(), BPoint(frame.left + 4 + fTimeWidth, second));
	if (!IsSelected()) {
		owner->SetHighColor(kRule);
		owner->StrokeLine(BPoint(frame.left, frame.bottom), BPoint(frame.right, frame.bottom));
	}
}

void
HistoryItem::Update(BView* owner, const BFont* font)
{
	SetWidth(owner->Bounds().Width());
	// A search puts every row back into the list; measure only once.
	if (fHeading.Length() > 0 && font->Size() == fFontSize)
		return;
	fFontSize = font->Size();
	font_height height;
	font->GetHeight(&height);
	fLine = ceilf(height.ascent + height.descent + height.leading) + 1;
	fBaseline = ceilf(height.ascent) + 3;
	SetHeight(2 * fLine + 6);
	fTimeWidth = font->StringWidth("88 Mmm 88:88") + 12;
	if (fHeading.Length() == 0)
		_Prepare();
}

BString
HistoryItem::Text() const
{
	BString text;
	text << (fArrival >= 0 ? format_arrival(fArrival, now_micros()) : BString("(no time)"))
		 << "  " << fFrom << " \xE2\x86\x92 " << fTo;
	if (fAway)
		text << "  (away)";
	text << "\n" << fText << "\n";
	return text;
}

bool
HistoryItem::Matches(const BString& lowerNeedle) const
{
	return contains_folded(fFrom, lowerNeedle) || contains_folded(fTo, lowerNeedle)
		|| contains_folded(fText, lowerNeedle);
}

void
HistoryItem::_Prepare()
{
	fTime = fArrival >= 0 ? format_arrival(fArrival, now_micros()) : BString("-");
	fHeading << fFrom << "  \xE2\x86\x92  " << fTo;
	// One line: breaks and tabs become blanks, and only what can show
	// is kept.
	int32 length = std::min(fText.Length(), kLineBytes);
	// Never half a character.
	while (length < fText.Length() && ((uint8)fText[length] & 0xC0) == 0x80)
		length--;
	fLineText.SetTo(fText.String(), length);
	char* s = fLineText.LockBuffer(0);
	for (; *s != '\0'; s++) {
		if ((uint8)*s < 0x20)
			*s = ' ';
	}
	fLineText.UnlockBuffer();
}
