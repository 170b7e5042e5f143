#include <TextView.h>

#include <AppDefs.h>
#include <Clipboard.h>
#include <Message.h>
#include <ScrollView.h>
#include <TypeConstants.h>
#include <Window.h>

#include <ctype.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <new>

static const rgb_color kBlack = {0, 0, 0, 255};
static const char* kBullet = "\xe2\x80\xa2";
static const char* kTextMime = "text/plain";

static int32
current_modifiers(BWindow* window)
{
	int32 modifiers = 0;
	if (window != NULL && window->CurrentMessage() != NULL)
		window->CurrentMessage()->FindInt32("modifiers", &modifiers);
	return modifiers;
}

// The properties in which two fonts agree, as a B_FONT_* mask.
static uint32
same_properties(const BFont& a, const BFont& b)
{
	uint32 mask = 0;
	font_family familyA, familyB;
	font_style styleA, styleB;
	a.GetFamilyAndStyle(&familyA, &styleA);
	b.GetFamilyAndStyle(&familyB, &styleB);
	if (strcmp(familyA, familyB) == 0 && strcmp(styleA, styleB) == 0)
		mask |= B_FONT_FAMILY_AND_STYLE;
	if (a.Size() == b.Size())
		mask |= B_FONT_SIZE;
	if (a.Shear() == b.Shear())
		mask |= B_FONT_SHEAR;
	if (a.Rotation() == b.Rotation())
		mask |= B_FONT_ROTATION;
	if (a.Spacing() == b.Spacing())
		mask |= B_FONT_SPACING;
	if (a.Encoding() == b.Encoding())
		mask |= B_FONT_ENCODING;
	if (a.Face() == b.Face())
		mask |= B_FONT_FACE;
	if (a.Flags() == b.Flags())
		mask |= B_FONT_FLAGS;
	return mask;
}

static uint32
utf8_code(const char* bytes, int32 length)
{
	const uint8* s = (const uint8*)bytes;
	if (length <= 0)
		return 0;
	if (s[0] < 0x80 || length == 1)
		return s[0];
	uint32 code = s[0] & (0xff >> (length + 1));
	for (int32 i = 1; i < length; i++)
		code = (code << 6) | (s[i] & 0x3f);
	return code;
}

BTextView::BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode,
	uint32 flags)
	: BView(frame, name, resizingMode, flags)
{
	_Init(textRect, NULL, NULL);
}

BTextView::BTextView(BRect frame, const char* name, BRect textRect, const BFont* initialFont,
	const rgb_color* initialColor, uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags)
{
	_Init(textRect, initialFont, initialColor);
}

BTextView::~BTextView()
{
}

void
BTextView::_Init(BRect textRect, const BFont* font, const rgb_color* color)
{
	fTextRect = textRect;
	BFont viewFont;
	GetFont(&viewFont);
	if (font != NULL) {
		viewFont = *font;
		SetFont(font);
	}
	fStyles.push_back(Style{0, viewFont, color != NULL ? *color : kBlack});
	_Layout();
}

// #pragma mark - hooks

void
BTextView::AttachedToWindow()
{
	BView::AttachedToWindow();
	_Changed();
}

void
BTextView::Draw(BRect updateRect)
{
	rgb_color background = ViewColor() == B_TRANSPARENT_COLOR ? LowColor() : ViewColor();
	rgb_color highlight = tint_color(background, B_HIGHLIGHT_BACKGROUND_TINT);
	bool showSelection = fSelectable && fSelStart != fSelEnd;

	for (int32 i = 0; i < (int32)fLines.size(); i++) {
		const Line& line = fLines[i];
		if (line.top > updateRect.bottom)
			break;
		if (line.top + line.height - 1 < updateRect.top)
			continue;
		int32 end = _LineEnd(i, false);
		int32 visibleEnd = end > line.start && fText[end - 1] == '\n' ? end - 1 : end;

		if (showSelection && fSelStart < end && fSelEnd > line.start) {
			float from = _XAt(i, std::max(fSelStart, line.start));
			float to = fSelEnd >= end && end < TextLength() ? fTextRect.right + 1
				: _XAt(i, std::min(fSelEnd, visibleEnd));
			SetHighColor(highlight);
			SetDrawingMode(B_OP_COPY);
			FillRect(BRect(from, line.top, to - 1, line.top + line.height - 1));
		}

		// Runs of one style without tabs are drawn as one string.
		float baseline = line.top + ceilf(line.ascent);
		float x = 0;
		float left = _LineLeft(i);
		SetDrawingMode(B_OP_OVER);
		int32 offset = line.start;
		while (offset < visibleEnd) {
			if (fText[offset] == '\t') {
				x += _CharWidth(offset, 1, x);
				offset++;
				continue;
			}
			int32 styleIndex = _StyleIndexAt(offset);
			int32 styleEnd = styleIndex + 1 < (int32)fStyles.size()
				? fStyles[styleIndex + 1].offset : TextLength();
			int32 segmentEnd = std::min(visibleEnd, styleEnd);
			const char* tab = (const char*)memchr(fText.data() + offset, '\t',
				segmentEnd - offset);
			if (tab != NULL)
				segmentEnd = (int32)(tab - fText.data());
			const Style& style = fStyles[styleIndex];
			SetFont(&style.font);
			SetHighColor(style.color);
			if (fHideTyping) {
				std::string bullets;
				for (int32 o = offset; o < segmentEnd; o += _CharLength(o))
					bullets += kBullet;
				DrawString(bullets.c_str(), BPoint(left + x, baseline));
				x += _CharWidth(offset, segmentEnd - offset, x);
			} else {
				DrawString(fText.data() + offset, segmentEnd - offset,
					BPoint(left + x, baseline));
				x += style.font.StringWidth(fText.data() + offset, segmentEnd - offset);
			}
			offset = segmentEnd;
		}
		SetDrawingMode(B_OP_COPY);
	}

	// A steady caret: one black line as high as its line.
	if (IsFocus() && fEditable && fSelStart == fSelEnd && Window() != NULL
		&& Window()->IsActive()) {
		int32 line = LineAt(fSelStart);
		float x = _XAt(line, fSelStart);
		SetHighColor(kBlack);
		StrokeLine(BPoint(x, fLines[line].top),
			BPoint(x, fLines[line].top + fLines[line].height - 1));
	}
}

void
BTextView::MouseDown(BPoint where)
{
	if (!fEditable && !fSelectable)
		return;
	MakeFocus(true);
	int32 clicks = 1;
	if (Window() != NULL && Window()->CurrentMessage() != NULL)
		Window()->CurrentMessage()->FindInt32("clicks", &clicks);
	int32 offset = OffsetAt(where);
	if (!fSelectable)
		_SetSelection(offset, offset);
	else if (clicks == 2)
		_SetSelection(_WordStart(offset), _WordEnd(offset));
	else if (clicks >= 3) {
		int32 line = LineAt(offset);
		_SetSelection(fLines[line].start, _LineEnd(line, false));
	} else if ((current_modifiers(Window()) & B_SHIFT_KEY) != 0)
		_SetSelection(fAnchor, offset);
	else
		_SetSelection(offset, offset);
	fGoalX = -1;
	fTracking = fSelectable && clicks == 1;
	if (fTracking)
		SetMouseEventMask(B_POINTER_EVENTS, B_LOCK_WINDOW_FOCUS);
}

void
BTextView::MouseMoved(BPoint where, uint32, const BMessage*)
{
	if (!fTracking)
		return;
	_SetSelection(fAnchor, OffsetAt(where));
}

void
BTextView::MouseUp(BPoint where)
{
	if (!fTracking)
		return;
	_SetSelection(fAnchor, OffsetAt(where));
	fTracking = false;
}

void
BTextView::KeyDown(const char* bytes, int32 numBytes)
{
	int32 modifiers = current_modifiers(Window());
	bool shift = (modifiers & B_SHIFT_KEY) != 0 && fSelectable;
	// B_COMMAND_KEY is Alt with BeOS's keymap on a PC keyboard, but people
	// reach for Ctrl: both count as the command key here.
	bool command = (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY)) != 0;

	if (numBytes == 1) {
		char c = bytes[0];
		if (command && isalpha((uint8)c)) {
			if (!_Command((char)tolower((uint8)c)))
				BView::KeyDown(bytes, numBytes);
			return;
		}
		int32 line = LineAt(fCaret);
		switch (c) {
			case B_BACKSPACE:
				if (fEditable) {
					if (fSelStart != fSelEnd)
						Delete();
					else
						_DeleteBackwards();
					ScrollToSelection();
				}
				return;
			case B_DELETE:
				if (fEditable) {
					if (fSelStart != fSelEnd)
						Delete();
					else
						_DeleteForwards();
					ScrollToSelection();
				}
				return;
			case B_LEFT_ARROW:
				fGoalX = -1;
				if (!shift && fSelStart != fSelEnd)
					_SetSelection(fSelStart, fSelStart);
				else {
					_MoveCaret(command ? _WordStart(_PreviousCharStart(fCaret))
									   : _PreviousCharStart(fCaret),
						shift);
				}
				return;
			case B_RIGHT_ARROW:
				fGoalX = -1;
				if (!shift && fSelStart != fSelEnd)
					_SetSelection(fSelEnd, fSelEnd);
				else {
					int32 next = std::min(TextLength(), fCaret + _CharLength(fCaret));
					_MoveCaret(command ? _WordEnd(next) : next, shift);
				}
				return;
			case B_UP_ARROW:
			case B_DOWN_ARROW: {
				if (fGoalX < 0)
					fGoalX = _XAt(line, fCaret);
				int32 target = line + (c == B_UP_ARROW ? -1 : 1);
				int32 offset;
				if (target < 0)
					offset = 0;
				else if (target >= CountLines())
					offset = TextLength();
				else
					offset = _OffsetAtX(target, fGoalX);
				float goal = fGoalX;
				_MoveCaret(offset, shift);
				fGoalX = goal;
				return;
			}
			case B_HOME:
				fGoalX = -1;
				_MoveCaret(command ? 0 : fLines[line].start, shift);
				return;
			case B_END:
				fGoalX = -1;
				_MoveCaret(command ? TextLength() : _LineEnd(line, true), shift);
				return;
			case B_PAGE_UP:
			case B_PAGE_DOWN: {
				float page = Bounds().Height() - LineHeight(line);
				BPoint point = PointAt(fCaret);
				point.y += (c == B_PAGE_UP ? -page : page) + 1;
				float scroll = c == B_PAGE_UP ? -page : page;
				BRect bounds = Bounds();
				float maxTop = std::max(0.0f,
					TextHeight(0, CountLines() - 1) + fTextRect.top - bounds.Height());
				float newTop = std::clamp(bounds.top + scroll, 0.0f, maxTop);
				ScrollTo(bounds.left, newTop);
				_MoveCaret(OffsetAt(point), shift);
				return;
			}
			case B_TAB:
				// As on BeOS, an editable text view takes tabs as text.
				if (!fEditable) {
					BView::KeyDown(bytes, numBytes);
					return;
				}
				_Typed("\t", 1);
				return;
			case B_ENTER:
				if (!fEditable) {
					BView::KeyDown(bytes, numBytes);
					return;
				}
				if (fAutoindent) {
					std::string indent = "\n";
					int32 o = fLines[line].start;
					while (o < TextLength() && (fText[o] == ' ' || fText[o] == '\t'))
						indent += fText[o++];
					_Typed(indent.c_str(), (int32)indent.size());
				} else
					_Typed("\n", 1);
				return;
			default:
				if ((uint8)c < 0x20) {
					BView::KeyDown(bytes, numBytes);
					return;
				}
				break;
		}
	}
	if (command) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	_Typed(bytes, numBytes);
}

void
BTextView::MakeFocus(bool focus)
{
	BView::MakeFocus(focus);
	if (Window() != NULL) {
		Invalidate();
		// A scroll view round the text shows the focus on its border.
		if (BScrollView* scrollView = dynamic_cast<BScrollView*>(Parent()))
			scrollView->Invalidate();
	}
}

void
BTextView::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_CUT:
			Cut(be_clipboard);
			break;
		case B_COPY:
			Copy(be_clipboard);
			break;
		case B_PASTE:
			Paste(be_clipboard);
			break;
		case B_SELECT_ALL:
			SelectAll();
			break;
		default:
			BView::MessageReceived(message);
			break;
	}
}

void
BTextView::WindowActivated(bool active)
{
	BView::WindowActivated(active);
	if (IsFocus())
		Invalidate();
}

void
BTextView::FrameResized(float width, float height)
{
	BView::FrameResized(width, height);
	_UpdateScrollBars();
}

void
BTextView::GetPreferredSize(float* width, float* height)
{
	if (width != NULL)
		*width = Bounds().Width();
	if (height != NULL)
		*height = ceilf(TextHeight(0, CountLines() - 1) + fTextRect.top * 2);
}

// #pragma mark - text

void
BTextView::SetText(const char* text, const text_run_array* runs)
{
	SetText(text, text != NULL ? (int32)strlen(text) : 0, runs);
}

void
BTextView::SetText(const char* text, int32 length, const text_run_array* runs)
{
	if (TextLength() > 0)
		DeleteText(0, TextLength());
	fStyles.resize(1);
	fStyles[0].offset = 0;
	fHasTypingStyle = false;
	if (text != NULL && length > 0) {
		length = (int32)strnlen(text, length);
		length = _FitMaxBytes(text, length);
		if (length > 0)
			InsertText(text, length, 0, runs);
	}
	_SetSelection(0, 0, false);
	ScrollTo(0, 0);
	_Changed();
}

void
BTextView::Insert(const char* text, const text_run_array* runs)
{
	Insert(fSelStart, text, text != NULL ? (int32)strlen(text) : 0, runs);
}

void
BTextView::Insert(const char* text, int32 length, const text_run_array* runs)
{
	Insert(fSelStart, text, length, runs);
}

void
BTextView::Insert(int32 offset, const char* text, int32 length, const text_run_array* runs)
{
	if (text == NULL || length <= 0)
		return;
	length = (int32)strnlen(text, length);
	offset = std::clamp(offset, (int32)0, TextLength());
	while (offset > 0 && offset < TextLength() && (fText[offset] & 0xc0) == 0x80)
		offset--;
	length = _FitMaxBytes(text, length);
	if (length > 0)
		InsertText(text, length, offset, runs);
}

void
BTextView::Delete()
{
	Delete(fSelStart, fSelEnd);
}

void
BTextView::Delete(int32 start, int32 finish)
{
	start = std::clamp(start, (int32)0, TextLength());
	finish = std::clamp(finish, (int32)0, TextLength());
	while (start > 0 && start < TextLength() && (fText[start] & 0xc0) == 0x80)
		start--;
	while (finish < TextLength() && (fText[finish] & 0xc0) == 0x80)
		finish++;
	if (start < finish)
		DeleteText(start, finish);
}

void
BTextView::GetText(int32 offset, int32 length, char* buffer) const
{
	if (buffer == NULL)
		return;
	offset = std::clamp(offset, (int32)0, TextLength());
	length = std::clamp(length, (int32)0, TextLength() - offset);
	memcpy(buffer, fText.data() + offset, length);
	buffer[length] = '\0';
}

uchar
BTextView::ByteAt(int32 offset) const
{
	if (offset < 0 || offset >= TextLength())
		return 0;
	return (uchar)fText[offset];
}

void
BTextView::InsertText(const char* text, int32 length, int32 offset, const text_run_array* runs)
{
	if (text == NULL || length <= 0)
		return;
	if (fStylable) {
		Style style = fStyles[_StyleIndexAt(offset > 0 ? offset - 1 : 0)];
		if (fHasTypingStyle && offset == fSelStart)
			style = fTypingStyle;
		_SplitStyles(offset);
		for (Style& s : fStyles) {
			if (s.offset >= offset)
				s.offset += length;
		}
		if (runs != NULL && runs->count > 0) {
			for (int32 i = 0; i < runs->count; i++) {
				int32 at = std::clamp(runs->runs[i].offset, (int32)0, length - 1);
				fStyles.push_back(Style{offset + at, runs->runs[i].font, runs->runs[i].color});
			}
		} else
			fStyles.push_back(Style{offset, style.font, style.color});
		// Our own run at the end stays last among equal offsets.
		std::stable_sort(fStyles.begin(), fStyles.end(),
			[](const Style& a, const Style& b) { return a.offset < b.offset; });
	}
	fText.insert((size_t)offset, text, (size_t)length);
	if (fStylable)
		_NormalizeStyles();
	fHasTypingStyle = false;
	for (int32* p : {&fSelStart, &fSelEnd, &fAnchor, &fCaret}) {
		if (*p >= offset)
			*p += length;
	}
	_Changed();
}

void
BTextView::DeleteText(int32 fromOffset, int32 toOffset)
{
	if (fromOffset < 0 || toOffset > TextLength() || fromOffset >= toOffset)
		return;
	int32 length = toOffset - fromOffset;
	fText.erase((size_t)fromOffset, (size_t)length);
	for (Style& s : fStyles) {
		if (s.offset >= toOffset)
			s.offset -= length;
		else if (s.offset > fromOffset)
			s.offset = fromOffset;
	}
	_NormalizeStyles();
	for (int32* p : {&fSelStart, &fSelEnd, &fAnchor, &fCaret}) {
		if (*p >= toOffset)
			*p -= length;
		else if (*p > fromOffset)
			*p = fromOffset;
	}
	_Changed();
}

// #pragma mark - clipboard

void
BTextView::Cut(BClipboard* clipboard)
{
	if (!fEditable || fHideTyping || fSelStart == fSelEnd)
		return;
	Copy(clipboard);
	Delete();
	ScrollToSelection();
}

void
BTextView::Copy(BClipboard* clipboard)
{
	// Hidden text (a password) never leaves the view.
	if (clipboard == NULL || fHideTyping || fSelStart == fSelEnd)
		return;
	if (!clipboard->Lock())
		return;
	clipboard->Clear();
	clipboard->Data()->AddData(kTextMime, B_MIME_TYPE, fText.data() + fSelStart,
		fSelEnd - fSelStart);
	clipboard->Commit();
	clipboard->Unlock();
}

void
BTextView::Paste(BClipboard* clipboard)
{
	if (clipboard == NULL || !AcceptsPaste(clipboard))
		return;
	std::string text;
	if (!clipboard->Lock())
		return;
	const void* data = NULL;
	ssize_t size = 0;
	if (clipboard->Data()->FindData(kTextMime, B_MIME_TYPE, &data, &size) == B_OK && size > 0)
		text.assign((const char*)data, size);
	clipboard->Unlock();
	if (text.empty())
		return;
	if (fSelStart != fSelEnd)
		Delete();
	Insert(fSelStart, text.data(), (int32)text.size());
	_SetSelection(fSelStart, fSelStart);
}

void
BTextView::Clear()
{
	if (fEditable)
		Delete();
}

bool
BTextView::AcceptsPaste(BClipboard*)
{
	return fEditable;
}

// #pragma mark - selection

void
BTextView::Select(int32 startOffset, int32 endOffset)
{
	if (startOffset > endOffset)
		std::swap(startOffset, endOffset);
	_SetSelection(startOffset, endOffset, false);
}

void
BTextView::SelectAll()
{
	if (fSelectable)
		_SetSelection(0, TextLength(), false);
}

void
BTextView::GetSelection(int32* start, int32* end) const
{
	if (start != NULL)
		*start = fSelStart;
	if (end != NULL)
		*end = fSelEnd;
}

void
BTextView::_SetSelection(int32 anchor, int32 caret, bool scroll)
{
	auto snap = [this](int32 o) {
		o = std::clamp(o, (int32)0, TextLength());
		while (o > 0 && o < TextLength() && (fText[o] & 0xc0) == 0x80)
			o--;
		return o;
	};
	anchor = snap(anchor);
	caret = snap(caret);
	int32 start = std::min(anchor, caret);
	int32 end = std::max(anchor, caret);
	if (start != fSelStart || end != fSelEnd)
		fHasTypingStyle = false;
	bool changed = start != fSelStart || end != fSelEnd || caret != fCaret;
	fAnchor = anchor;
	fCaret = caret;
	fSelStart = start;
	fSelEnd = end;
	if (changed && Window() != NULL)
		Invalidate();
	if (scroll)
		ScrollToOffset(caret);
}

void
BTextView::_MoveCaret(int32 offset, bool extend)
{
	if (extend)
		_SetSelection(fAnchor, offset);
	else
		_SetSelection(offset, offset);
}

// #pragma mark - styles

void
BTextView::SetFontAndColor(const BFont* font, uint32 mode, const rgb_color* color)
{
	SetFontAndColor(fSelStart, fSelEnd, font, mode, color);
}

void
BTextView::SetFontAndColor(int32 startOffset, int32 endOffset, const BFont* font, uint32 mode,
	const rgb_color* color)
{
	if (!fStylable) {
		startOffset = 0;
		endOffset = TextLength();
		fStyles.resize(1);
		if (font != NULL)
			fStyles[0].font._CopyFrom(*font, mode);
		if (color != NULL)
			fStyles[0].color = *color;
		SetFont(&fStyles[0].font);
		_Changed();
		return;
	}
	startOffset = std::clamp(startOffset, (int32)0, TextLength());
	endOffset = std::clamp(endOffset, startOffset, TextLength());
	if (startOffset == endOffset) {
		// Nothing selected: the style waits for what is typed next.
		fTypingStyle = fStyles[_StyleIndexAt(startOffset > 0 ? startOffset - 1 : 0)];
		if (font != NULL)
			fTypingStyle.font._CopyFrom(*font, mode);
		if (color != NULL)
			fTypingStyle.color = *color;
		fHasTypingStyle = true;
		if (TextLength() == 0) {
			fStyles[0].font = fTypingStyle.font;
			fStyles[0].color = fTypingStyle.color;
		}
		return;
	}
	_SplitStyles(startOffset);
	_SplitStyles(endOffset);
	for (Style& s : fStyles) {
		if (s.offset >= startOffset && s.offset < endOffset) {
			if (font != NULL)
				s.font._CopyFrom(*font, mode);
			if (color != NULL)
				s.color = *color;
		}
	}
	_NormalizeStyles();
	_Changed();
}

void
BTextView::GetFontAndColor(int32 offset, BFont* font, rgb_color* color) const
{
	const Style& style = fStyles[_StyleIndexAt(offset)];
	if (font != NULL)
		*font = style.font;
	if (color != NULL)
		*color = style.color;
}

void
BTextView::GetFontAndColor(BFont* font, uint32* sameProperties, rgb_color* color,
	bool* sameColor) const
{
	uint32 same = B_FONT_ALL;
	bool colorSame = true;
	const Style* first;
	if (fSelStart == fSelEnd) {
		first = fHasTypingStyle ? &fTypingStyle
								: &fStyles[_StyleIndexAt(fSelStart > 0 ? fSelStart - 1 : 0)];
	} else {
		int32 index = _StyleIndexAt(fSelStart);
		first = &fStyles[index];
		for (int32 i = index + 1; i < (int32)fStyles.size() && fStyles[i].offset < fSelEnd;
			 i++) {
			same &= same_properties(first->font, fStyles[i].font);
			colorSame = colorSame && fStyles[i].color == first->color;
		}
	}
	if (font != NULL)
		*font = first->font;
	if (sameProperties != NULL)
		*sameProperties = same;
	if (color != NULL)
		*color = first->color;
	if (sameColor != NULL)
		*sameColor = colorSame;
}

text_run_array*
BTextView::RunArray(int32 startOffset, int32 endOffset, int32* length) const
{
	startOffset = std::clamp(startOffset, (int32)0, TextLength());
	endOffset = std::clamp(endOffset, startOffset, TextLength());
	int32 first = _StyleIndexAt(startOffset);
	int32 last = first;
	while (last + 1 < (int32)fStyles.size() && fStyles[last + 1].offset < endOffset)
		last++;
	int32 count = last - first + 1;
	size_t size = sizeof(text_run_array) + (count - 1) * sizeof(text_run);
	text_run_array* array = (text_run_array*)malloc(size);
	if (array == NULL)
		return NULL;
	array->count = count;
	for (int32 i = 0; i < count; i++) {
		const Style& s = fStyles[first + i];
		new (&array->runs[i])
			text_run{std::max(s.offset, startOffset) - startOffset, s.font, s.color};
	}
	if (length != NULL)
		*length = (int32)size;
	return array;
}

int32
BTextView::_StyleIndexAt(int32 offset) const
{
	auto it = std::upper_bound(fStyles.begin(), fStyles.end(), offset,
		[](int32 o, const Style& s) { return o < s.offset; });
	return it == fStyles.begin() ? 0 : (int32)(it - fStyles.begin()) - 1;
}

void
BTextView::_SplitStyles(int32 offset)
{
	int32 index = _StyleIndexAt(offset);
	if (fStyles[index].offset == offset)
		return;
	Style copy = fStyles[index];
	copy.offset = offset;
	fStyles.insert(fStyles.begin() + index + 1, copy);
}

void
BTextView::_NormalizeStyles()
{
	std::vector<Style> styles;
	for (const Style& s : fStyles) {
		if (!styles.empty() && styles.back().offset == s.offset)
			styles.back() = s;
		else
			styles.push_back(s);
	}
	std::vector<Style> result;
	for (Style& s : styles) {
		if (!result.empty() && s.offset >= TextLength())
			continue;
		if (!result.empty() && result.back().font == s.font && result.back().color == s.color)
			continue;
		result.push_back(s);
	}
	if (result.empty())
		result.push_back(fStyles.front());
	result[0].offset = 0;
	fStyles.swap(result);
}

// #pragma mark - lines and places

void
BTextView::_Layout()
{
	fLines.clear();
	int32 length = TextLength();
	float available = fTextRect.Width() + 1;
	float y = fTextRect.top;
	int32 position = 0;

	auto add_line = [&](int32 start, int32 end, float width) {
		float ascent = 0, descent = 0, leading = 0;
		int32 index = _StyleIndexAt(start);
		do {
			font_height h;
			fStyles[index].font.GetHeight(&h);
			ascent = std::max(ascent, h.ascent);
			descent = std::max(descent, h.descent);
			leading = std::max(leading, h.leading);
			index++;
		} while (index < (int32)fStyles.size() && fStyles[index].offset < end);
		Line line{start, y, ceilf(ascent + descent + leading), ascent, width};
		fLines.push_back(line);
		y += line.height;
	};

	while (true) {
		float x = 0;
		float widthAtBreak = 0;
		int32 lastBreak = -1;
		int32 end = -1;
		int32 i = position;
		while (i < length) {
			char c = fText[i];
			if (c == '\n') {
				end = i + 1;
				break;
			}
			int32 charLength = _CharLength(i);
			float w = _CharWidth(i, charLength, x);
			bool space = c == ' ' || c == '\t';
			// Spaces hang past the edge; a word that does not fit moves down,
			// or is cut when it is longer than the line.
			if (fWordWrap && !space && x + w > available && i > position) {
				if (lastBreak > position) {
					end = lastBreak;
					x = widthAtBreak;
				} else
					end = i;
				break;
			}
			x += w;
			i += charLength;
			if (space) {
				lastBreak = i;
				widthAtBreak = x;
			}
		}
		if (end < 0)
			end = length;
		add_line(position, end, x);
		if (end >= length) {
			if (length > 0 && fText[length - 1] == '\n')
				add_line(length, length, 0);
			break;
		}
		position = end;
	}
}

float
BTextView::_CharWidth(int32 offset, int32 length, float x) const
{
	const BFont& font = fStyles[_StyleIndexAt(offset)].font;
	if (fHideTyping) {
		int32 count = 0;
		for (int32 o = offset; o < offset + length; o += _CharLength(o))
			count++;
		return count * font.StringWidth(kBullet);
	}
	if (length == 1 && fText[offset] == '\t')
		return (floorf(x / fTabWidth) + 1) * fTabWidth - x;
	if (length == 1 && fText[offset] == '\n')
		return 0;
	return font.StringWidth(fText.data() + offset, length);
}

int32
BTextView::_CharLength(int32 offset) const
{
	int32 left = TextLength() - offset;
	if (left <= 0)
		return 1;
	uint8 lead = (uint8)fText[offset];
	int32 length = lead < 0x80 ? 1
		: (lead >> 5) == 0x6   ? 2
		: (lead >> 4) == 0xe   ? 3
		: (lead >> 3) == 0x1e  ? 4
							   : 1;
	if (length > left)
		return 1;
	for (int32 i = 1; i < length; i++) {
		if ((fText[offset + i] & 0xc0) != 0x80)
			return 1;
	}
	return length;
}

int32
BTextView::_PreviousCharStart(int32 offset) const
{
	if (offset <= 0)
		return 0;
	int32 o = offset - 1;
	while (o > 0 && (fText[o] & 0xc0) == 0x80 && offset - o < 4)
		o--;
	return o;
}

int32
BTextView::_LineEnd(int32 line, bool forCaret) const
{
	int32 end = line + 1 < CountLines() ? fLines[line + 1].start : TextLength();
	if (!forCaret || end <= fLines[line].start)
		return end;
	if (fText[end - 1] == '\n')
		return end - 1;
	// A wrapped line: the caret stays before the space the line broke at.
	if (line + 1 < CountLines() && (fText[end - 1] == ' ' || fText[end - 1] == '\t'))
		return end - 1;
	return end;
}

float
BTextView::_LineLeft(int32 line) const
{
	float available = fTextRect.Width() + 1;
	float width = fLines[line].width;
	switch (fAlignment) {
		case B_ALIGN_CENTER:
			return fTextRect.left + floorf((available - width) / 2);
		case B_ALIGN_RIGHT:
			return fTextRect.left + available - width;
		default:
			return fTextRect.left;
	}
}

float
BTextView::_XAt(int32 line, int32 offset) const
{
	float x = 0;
	int32 o = fLines[line].start;
	while (o < offset && o < TextLength()) {
		int32 length = _CharLength(o);
		x += _CharWidth(o, length, x);
		o += length;
	}
	return _LineLeft(line) + x;
}

int32
BTextView::_OffsetAtX(int32 line, float x) const
{
	float relative = x - _LineLeft(line);
	int32 end = _LineEnd(line, true);
	float cx = 0;
	int32 o = fLines[line].start;
	while (o < end) {
		int32 length = _CharLength(o);
		float w = _CharWidth(o, length, cx);
		if (relative < cx + w / 2)
			return o;
		cx += w;
		o += length;
	}
	return end;
}

void
BTextView::GoToLine(int32 lineIndex)
{
	lineIndex = std::clamp(lineIndex, (int32)0, CountLines() - 1);
	Select(fLines[lineIndex].start, fLines[lineIndex].start);
}

int32
BTextView::LineAt(int32 offset) const
{
	auto it = std::upper_bound(fLines.begin(), fLines.end(), offset,
		[](int32 o, const Line& l) { return o < l.start; });
	return it == fLines.begin() ? 0 : (int32)(it - fLines.begin()) - 1;
}

int32
BTextView::LineAt(BPoint point) const
{
	for (int32 i = 0; i < CountLines(); i++) {
		if (point.y < fLines[i].top + fLines[i].height)
			return i;
	}
	return CountLines() - 1;
}

BPoint
BTextView::PointAt(int32 offset, float* height) const
{
	offset = std::clamp(offset, (int32)0, TextLength());
	int32 line = LineAt(offset);
	if (height != NULL)
		*height = fLines[line].height;
	return BPoint(_XAt(line, offset), fLines[line].top);
}

int32
BTextView::OffsetAt(BPoint point) const
{
	if (point.y < fLines.front().top)
		return _OffsetAtX(0, point.x);
	return _OffsetAtX(LineAt(point), point.x);
}

int32
BTextView::OffsetAt(int32 line) const
{
	if (line < 0)
		return 0;
	if (line >= CountLines())
		return TextLength();
	return fLines[line].start;
}

float
BTextView::LineWidth(int32 lineIndex) const
{
	if (lineIndex < 0 || lineIndex >= CountLines())
		return 0;
	return fLines[lineIndex].width;
}

float
BTextView::LineHeight(int32 lineIndex) const
{
	if (lineIndex < 0 || lineIndex >= CountLines())
		return 0;
	return fLines[lineIndex].height;
}

float
BTextView::TextHeight(int32 startLine, int32 endLine) const
{
	startLine = std::max(startLine, (int32)0);
	endLine = std::min(endLine, CountLines() - 1);
	float height = 0;
	for (int32 i = startLine; i <= endLine; i++)
		height += fLines[i].height;
	return height;
}

void
BTextView::ScrollToOffset(int32 offset)
{
	if (Window() == NULL)
		return;
	BRect bounds = Bounds();
	int32 line = LineAt(offset);
	float x = _XAt(line, offset);
	float top = fLines[line].top;
	float bottom = top + fLines[line].height - 1;
	float dx = 0, dy = 0;
	// Sideways in steps of a quarter of the view, so typing does not scroll
	// at every key.
	float step = floorf((bounds.Width() + 1) / 4);
	if (x < bounds.left + 1)
		dx = x - bounds.left - step;
	else if (x > bounds.right - 1)
		dx = x - bounds.right + step;
	float widest = 0;
	for (const Line& l : fLines)
		widest = std::max(widest, l.width);
	float maxLeft = std::max(0.0f, fTextRect.left + widest + 2 - bounds.Width());
	float left = std::clamp(bounds.left + dx, 0.0f, std::max(maxLeft, x - bounds.Width() + 1));
	// The first line comes with the margin above the text rectangle.
	if (line == 0)
		top = std::min(top, 0.0f);
	if (top < bounds.top)
		dy = top - bounds.top;
	else if (bottom > bounds.bottom)
		dy = bottom - bounds.bottom;
	float newTop = std::max(0.0f, bounds.top + dy);
	if (left != bounds.left || newTop != bounds.top)
		ScrollTo(left, newTop);
}

void
BTextView::ScrollToSelection()
{
	ScrollToOffset(fCaret);
}

// #pragma mark - behaviour

void
BTextView::SetTextRect(BRect rect)
{
	fTextRect = rect;
	_Changed();
}

void
BTextView::SetStylable(bool stylable)
{
	fStylable = stylable;
}

void
BTextView::SetTabWidth(float width)
{
	if (width > 0) {
		fTabWidth = width;
		_Changed();
	}
}

void
BTextView::MakeSelectable(bool selectable)
{
	if (selectable == fSelectable)
		return;
	fSelectable = selectable;
	if (!selectable)
		_SetSelection(fCaret, fCaret, false);
	if (Window() != NULL)
		Invalidate();
}

void
BTextView::MakeEditable(bool editable)
{
	if (editable == fEditable)
		return;
	fEditable = editable;
	if (Window() != NULL)
		Invalidate();
}

void
BTextView::SetWordWrap(bool wrap)
{
	if (wrap == fWordWrap)
		return;
	fWordWrap = wrap;
	_Changed();
}

void
BTextView::SetMaxBytes(int32 max)
{
	fMaxBytes = max < 0 ? 0 : max;
	if (TextLength() > fMaxBytes) {
		int32 cut = fMaxBytes;
		while (cut > 0 && (fText[cut] & 0xc0) == 0x80)
			cut--;
		DeleteText(cut, TextLength());
	}
}

void
BTextView::DisallowChar(uint32 character)
{
	fDisallowed.insert(character);
}

void
BTextView::AllowChar(uint32 character)
{
	fDisallowed.erase(character);
}

void
BTextView::SetAlignment(alignment flag)
{
	if (flag == fAlignment)
		return;
	fAlignment = flag;
	_Changed();
}

void
BTextView::MakeResizable(bool resize, BView* resizeView)
{
	fResizable = resize;
	fResizeView = resizeView;
	if (resize)
		SetWordWrap(false);
	_Changed();
}

void
BTextView::HideTyping(bool enabled)
{
	if (enabled == fHideTyping)
		return;
	if (enabled && TextLength() > 0)
		DeleteText(0, TextLength());
	fHideTyping = enabled;
	_Changed();
}

// #pragma mark - private

int32
BTextView::_FitMaxBytes(const char* text, int32 length) const
{
	int32 room = fMaxBytes - TextLength();
	if (room <= 0)
		return 0;
	if (length <= room)
		return length;
	// Never half a character.
	length = room;
	while (length > 0 && (text[length] & 0xc0) == 0x80)
		length--;
	return length;
}

void
BTextView::_Typed(const char* bytes, int32 length)
{
	if (!fEditable || bytes == NULL || length <= 0)
		return;
	if (length <= 4 && fDisallowed.count(utf8_code(bytes, length)) > 0)
		return;
	bool typingStyle = fHasTypingStyle;
	if (fSelStart != fSelEnd)
		DeleteText(fSelStart, fSelEnd);
	fHasTypingStyle = typingStyle;
	int32 at = fSelStart;
	Insert(at, bytes, length);
	_SetSelection(fSelStart, fSelStart);
	fGoalX = -1;
}

void
BTextView::_DeleteBackwards()
{
	if (fSelStart == 0)
		return;
	Delete(_PreviousCharStart(fSelStart), fSelStart);
	fAnchor = fCaret = fSelStart;
}

void
BTextView::_DeleteForwards()
{
	if (fSelStart >= TextLength())
		return;
	Delete(fSelStart, fSelStart + _CharLength(fSelStart));
	fAnchor = fCaret = fSelStart;
}

static bool
is_word_byte(char c)
{
	return isalnum((uint8)c) || (uint8)c >= 0x80 || c == '_';
}

int32
BTextView::_WordStart(int32 offset) const
{
	int32 o = std::clamp(offset, (int32)0, TextLength());
	while (o > 0 && !is_word_byte(fText[o - 1]) && fText[o - 1] != '\n')
		o--;
	while (o > 0 && is_word_byte(fText[o - 1]))
		o--;
	return o;
}

int32
BTextView::_WordEnd(int32 offset) const
{
	int32 o = std::clamp(offset, (int32)0, TextLength());
	while (o < TextLength() && !is_word_byte(fText[o]) && fText[o] != '\n')
		o++;
	while (o < TextLength() && is_word_byte(fText[o]))
		o++;
	return o;
}

bool
BTextView::_Command(char key)
{
	switch (key) {
		case 'a':
			SelectAll();
			return true;
		case 'c':
			Copy(be_clipboard);
			return true;
		case 'x':
			Cut(be_clipboard);
			return true;
		case 'v':
			Paste(be_clipboard);
			ScrollToSelection();
			return true;
		default:
			return false;
	}
}

void
BTextView::_UpdateScrollBars()
{
	BRect bounds = Bounds();
	if (BScrollBar* bar = ScrollBar(B_VERTICAL)) {
		float height = TextHeight(0, CountLines() - 1) + fTextRect.top * 2;
		float visible = bounds.Height() + 1;
		float line = LineHeight(0);
		bar->SetRange(0, std::max(0.0f, ceilf(height - visible)));
		bar->SetProportion(height > 0 ? std::min(1.0f, visible / height) : 1);
		bar->SetSteps(line, std::max(line, visible - line));
	}
	if (BScrollBar* bar = ScrollBar(B_HORIZONTAL)) {
		float widest = 0;
		for (const Line& l : fLines)
			widest = std::max(widest, l.width);
		float width = std::max(widest, fTextRect.Width() + 1) + fTextRect.left * 2;
		float visible = bounds.Width() + 1;
		bar->SetRange(0, std::max(0.0f, ceilf(width - visible)));
		bar->SetProportion(width > 0 ? std::min(1.0f, visible / width) : 1);
		bar->SetSteps(10, std::max(10.0f, visible - 10));
	}
}

void
BTextView::_Changed()
{
	_Layout();
	if (fResizable && !fLines.empty()) {
		float widest = 0;
		for (const Line& l : fLines)
			widest = std::max(widest, l.width);
		float wanted = ceilf(fTextRect.left * 2 + widest + 2);
		float delta = wanted - Bounds().Width();
		if (delta != 0 && wanted > 0) {
			ResizeBy(delta, 0);
			fTextRect.right += delta;
			if (fResizeView != NULL)
				fResizeView->ResizeBy(delta, 0);
			_Layout();
		}
	}
	// Text that got shorter should not leave the view scrolled into nothing.
	if (Window() != NULL) {
		BRect bounds = Bounds();
		float maxTop = std::max(0.0f,
			TextHeight(0, CountLines() - 1) + fTextRect.top - bounds.Height());
		if (bounds.top > maxTop)
			ScrollTo(bounds.left, maxTop);
		_UpdateScrollBars();
		Invalidate();
	}
}
