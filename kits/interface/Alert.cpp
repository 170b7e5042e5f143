#include <Alert.h>

#include <Bitmap.h>
#include <Button.h>
#include <Font.h>
#include <Invoker.h>
#include <MessageQueue.h>
#include <OS.h>
#include <Screen.h>
#include <View.h>

#include <AlertIcons.h>
#include <DisplayServer.h>

#include <math.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The R5 alert's measures.
const float kStripeWidth = 30;
const BPoint kIconOrigin(18, 6);
const float kIconSize = 32;
const float kTextLeftWithIcon = 55;
const float kTextLeft = 10;
const float kTextTop = 6;
const float kRightMargin = 8;
const float kButtonMargin = 8;
const float kButtonGap = 6;
const float kOffsetSpacing = 62;
const float kUsualButtonWidth = 75;
const float kMinWidth = 310;
const float kMinOffsetWidth = 335;
const float kTextButtonGap = 10;
// A long text makes the alert wider, up to this, before it makes it taller.
const float kMaxWidth = 600;
const float kComfortableTextHeight = 300;
// How often a waiting window's updates are served.
const bigtime_t kUpdateInterval = 20000;

const uint32 kButtonPressed = '_ALB';
const uint32 kActivate = '_ALA';

// The length of the longest start of text (at most length bytes) that fits
// in width, never inside a UTF-8 character; at least one character.
int32
fitting_length(const BFont& font, const char* text, int32 length, float width)
{
	int32 fits = 0;
	int32 next = 0;
	while (next < length) {
		int32 end = next + 1;
		while (end < length && ((uint8)text[end] & 0xc0) == 0x80)
			end++;
		if (fits > 0 && font.StringWidth(text, end) > width)
			break;
		fits = end;
		next = end;
	}
	return fits;
}

// Breaks text into lines no wider than width: at line feeds, between words,
// and inside a word only when it is wider than a line by itself.
std::vector<BString>
wrap_text(const char* text, const BFont& font, float width)
{
	std::vector<BString> lines;
	const char* paragraph = text;
	while (true) {
		const char* end = strchr(paragraph, '\n');
		int32 length = end != NULL ? (int32)(end - paragraph) : (int32)strlen(paragraph);
		if (end == NULL && length == 0 && !lines.empty())
			break;

		BString line;
		int32 position = 0;
		while (position < length) {
			int32 wordEnd = position;
			while (wordEnd < length && paragraph[wordEnd] != ' ' && paragraph[wordEnd] != '\t')
				wordEnd++;
			BString word(paragraph + position, wordEnd - position);
			BString candidate(line);
			if (candidate.Length() > 0 && word.Length() > 0)
				candidate << " ";
			candidate << word;
			if (font.StringWidth(candidate.String()) <= width || line.Length() == 0) {
				line = candidate;
			} else {
				lines.push_back(line);
				line = word;
			}
			// A word wider than a line is cut where it must.
			while (font.StringWidth(line.String()) > width) {
				int32 fits = fitting_length(font, line.String(), line.Length(), width);
				lines.push_back(BString(line.String(), fits));
				line.Remove(0, fits);
			}
			position = wordEnd;
			while (position < length && (paragraph[position] == ' ' || paragraph[position] == '\t'))
				position++;
		}
		lines.push_back(line);
		if (end == NULL)
			break;
		paragraph = end + 1;
	}
	return lines;
}

float
line_height(const BFont& font)
{
	font_height height;
	font.GetHeight(&height);
	return ceilf(height.ascent + height.descent + height.leading);
}

// The wrapped text, drawn in the panel's colours; it takes no input.
class AlertTextView : public BView {
public:
	AlertTextView(BRect frame, const char* text)
		: BView(frame, "_tv_", B_FOLLOW_ALL_SIDES, B_WILL_DRAW),
		  fText(text != NULL ? text : "")
	{
		SetFont(be_plain_font);
		SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
		SetLowColor(ViewColor());
		SetHighColor(ui_color(B_PANEL_TEXT_COLOR));
	}

	void Draw(BRect) override
	{
		font_height height;
		GetFontHeight(&height);
		float lineHeight = line_height(*be_plain_font);
		float baseline = ceilf(height.ascent);
		for (const BString& line : fLines) {
			DrawString(line.String(), BPoint(0, baseline));
			baseline += lineHeight;
		}
	}

	// Wraps the text at width and answers the height it needs.
	float WrapAt(float width)
	{
		fLines = wrap_text(fText.String(), *be_plain_font, width);
		return fLines.size() * line_height(*be_plain_font);
	}

	const char* Text() const { return fText.String(); }

private:
	BString fText;
	std::vector<BString> fLines;
};

// The alert's backdrop: the darker stripe on the left and the icon on it.
class AlertBackground : public BView {
public:
	AlertBackground(BRect frame, BBitmap* icon)
		: BView(frame, "alert background", B_FOLLOW_ALL_SIDES, B_WILL_DRAW),
		  fIcon(icon)
	{
		SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	}

	void Draw(BRect) override
	{
		if (fIcon == NULL)
			return;
		BRect stripe = Bounds();
		stripe.right = kStripeWidth - 1;
		SetHighColor(tint_color(ViewColor(), B_DARKEN_1_TINT));
		FillRect(stripe);
		SetDrawingMode(B_OP_ALPHA);
		SetBlendingMode(B_PIXEL_ALPHA, B_ALPHA_OVERLAY);
		DrawBitmap(fIcon.get(), kIconOrigin);
		SetDrawingMode(B_OP_COPY);
	}

private:
	std::unique_ptr<BBitmap> fIcon;
};

} // namespace


struct BAlert::Waiter {
	sem_id sem = -1;
	int32 value = -1;
};


BAlert::BAlert(const char* title, const char* text, const char* button1, const char* button2,
	const char* button3, button_width width, alert_type type)
	: BWindow(BRect(0, 0, 99, 99), title, B_MODAL_WINDOW,
		  B_NOT_CLOSABLE | B_NOT_RESIZABLE | B_ASYNCHRONOUS_CONTROLS)
{
	_Init(text, button1, button2, button3, width, B_EVEN_SPACING, type);
}

BAlert::BAlert(const char* title, const char* text, const char* button1, const char* button2,
	const char* button3, button_width width, button_spacing spacing, alert_type type)
	: BWindow(BRect(0, 0, 99, 99), title, B_MODAL_WINDOW,
		  B_NOT_CLOSABLE | B_NOT_RESIZABLE | B_ASYNCHRONOUS_CONTROLS)
{
	_Init(text, button1, button2, button3, width, spacing, type);
}

BAlert::~BAlert()
{
	// Gone without a button (the application quit it): the waiting Go()
	// answers -1.
	if (fWaiter != NULL)
		release_sem(fWaiter->sem);
	delete fInvoker;
}

void
BAlert::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_KEY_DOWN) {
		int8 byte = 0;
		int32 modifiers = 0;
		message->FindInt8("byte", &byte);
		message->FindInt32("modifiers", &modifiers);
		if (byte != 0 && (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY)) == 0) {
			for (int32 i = 0; i < fButtonCount; i++) {
				if (fShortcuts[i] == (char)byte && fButtons[i]->IsEnabled()) {
					fButtons[i]->Invoke();
					return;
				}
			}
		}
	}
	BWindow::DispatchMessage(message, handler);
}

void
BAlert::MessageReceived(BMessage* message)
{
	int32 which;
	if (message->what == kButtonPressed && message->FindInt32("which", &which) == B_OK) {
		_Pressed(which);
		return;
	}
	if (message->what == kActivate) {
		Activate();
		return;
	}
	BWindow::MessageReceived(message);
}

// #pragma mark - public calls

void
BAlert::SetShortcut(int32 index, char key)
{
	if (index >= 0 && index < fButtonCount)
		fShortcuts[index] = key;
}

char
BAlert::Shortcut(int32 index) const
{
	return index >= 0 && index < fButtonCount ? fShortcuts[index] : 0;
}

int32
BAlert::Go()
{
	Waiter waiter;
	waiter.sem = create_sem(0, "alert");
	if (waiter.sem < 0) {
		if (Lock())
			Quit();
		return -1;
	}
	fWaiter = &waiter;
	BWindow* caller = dynamic_cast<BWindow*>(BLooper::LooperForThread(find_thread(NULL)));
	_Show();

	// From here on the alert may be gone at any moment: only the waiter is
	// touched.
	while (true) {
		status_t status;
		if (caller == NULL)
			status = acquire_sem(waiter.sem);
		else
			status = acquire_sem_etc(waiter.sem, 1, B_RELATIVE_TIMEOUT, kUpdateInterval);
		if (status == B_TIMED_OUT || status == B_INTERRUPTED) {
			if (caller != NULL)
				_ServeUpdates(caller);
			continue;
		}
		break;
	}
	delete_sem(waiter.sem);
	return waiter.value;
}

status_t
BAlert::Go(BInvoker* invoker)
{
	fInvoker = invoker;
	_Show();
	return B_OK;
}

BButton*
BAlert::ButtonAt(int32 index) const
{
	return index >= 0 && index < fButtonCount ? fButtons[index] : NULL;
}

const char*
BAlert::Text() const
{
	return ((AlertTextView*)fTextView)->Text();
}

BRect
BAlert::AlertPosition(float width, float height)
{
	BRect screen = BScreen().Frame();
	BPoint leftTop(floorf(screen.left + (screen.Width() - width) / 2),
		floorf(screen.top + (screen.Height() - height) / 2));
	leftTop.x = std::max(leftTop.x, screen.left);
	leftTop.y = std::max(leftTop.y, screen.top);
	return BRect(leftTop.x, leftTop.y, leftTop.x + width, leftTop.y + height);
}

// #pragma mark - private

void
BAlert::_Init(const char* text, const char* button1, const char* button2, const char* button3,
	button_width width, button_spacing spacing, alert_type type)
{
	fType = type;
	fBackground = new AlertBackground(Bounds(), alert_icon(type));
	AddChild(fBackground);
	fTextView = new AlertTextView(BRect(0, 0, 9, 9), text);
	fBackground->AddChild(fTextView);

	// Labels after a missing one are not shown either; an alert always has
	// at least one button.
	const char* labels[3] = {button1 != NULL ? button1 : "", button2, button3};
	for (int32 i = 0; i < 3 && labels[i] != NULL; i++) {
		BMessage* message = new BMessage(kButtonPressed);
		message->AddInt32("which", i);
		BString name;
		name << "_b" << i << "_";
		fButtons[i] = new BButton(BRect(0, 0, 74, 23), name.String(), labels[i], message);
		fBackground->AddChild(fButtons[i]);
		fButtonCount++;
	}
	_Layout(width, spacing);
	SetDefaultButton(fButtons[fButtonCount - 1]);
}

void
BAlert::_Layout(button_width widthMode, button_spacing spacing)
{
	// Button sizes, before the last becomes the default and grows.
	float widths[3] = {0, 0, 0};
	float buttonHeight = 0;
	float widest = 0;
	for (int32 i = 0; i < fButtonCount; i++) {
		float labelWidth = ceilf(fButtons[i]->StringWidth(fButtons[i]->Label() != NULL
			? fButtons[i]->Label() : "")) + 20;
		widths[i] = labelWidth;
		widest = std::max(widest, labelWidth);
		float preferredHeight;
		fButtons[i]->GetPreferredSize(NULL, &preferredHeight);
		buttonHeight = std::max(buttonHeight, preferredHeight);
	}
	for (int32 i = 0; i < fButtonCount; i++) {
		if (widthMode == B_WIDTH_FROM_WIDEST)
			widths[i] = widest;
		else if (widthMode == B_WIDTH_AS_USUAL)
			widths[i] = std::max(widths[i], kUsualButtonWidth);
	}

	// The default button's thick frame takes three more pixels all round.
	const float grow = 3;
	float offset = spacing == B_OFFSET_SPACING && fButtonCount > 1 ? kOffsetSpacing : 0;
	float buttonsWidth = offset + (fButtonCount - 1) * kButtonGap + 2 * grow;
	for (int32 i = 0; i < fButtonCount; i++)
		buttonsWidth += widths[i];

	bool icon = fType != B_EMPTY_ALERT;
	float textLeft = icon ? kTextLeftWithIcon : kTextLeft;
	float width = spacing == B_OFFSET_SPACING ? kMinOffsetWidth : kMinWidth;
	width = std::max(width, kTextLeft + buttonsWidth + kButtonMargin);

	AlertTextView* textView = (AlertTextView*)fTextView;
	float textHeight = textView->WrapAt(width - textLeft - kRightMargin);
	while (textHeight > kComfortableTextHeight && width < kMaxWidth) {
		width = std::min(width + 50, kMaxWidth);
		textHeight = textView->WrapAt(width - textLeft - kRightMargin);
	}
	textHeight = std::max(textHeight, line_height(*be_plain_font));

	float contentBottom = kTextTop + textHeight;
	if (icon)
		contentBottom = std::max(contentBottom, kIconOrigin.y + kIconSize);
	float buttonsTop = contentBottom + kTextButtonGap;
	float height = buttonsTop + buttonHeight + 2 * grow + kButtonMargin;

	// Inclusive coordinates: a window of width w spans 0 to w - 1.
	float right = width - 1;
	float bottom = height - 1;
	ResizeTo(right, bottom);
	MoveTo(AlertPosition(right, bottom).LeftTop());
	fTextView->MoveTo(textLeft, kTextTop);
	fTextView->ResizeTo(right - kRightMargin - textLeft, textHeight - 1);

	// From the right: the default button, then the others.
	float buttonBottom = bottom - kButtonMargin - grow;
	float x = right - kButtonMargin - grow;
	for (int32 i = fButtonCount - 1; i >= 0; i--) {
		fButtons[i]->ResizeTo(widths[i] - 1, buttonHeight - 1);
		fButtons[i]->MoveTo(x - widths[i] + 1, buttonBottom - buttonHeight + 1);
		x -= widths[i] + kButtonGap;
		if (i == fButtonCount - 1)
			x -= grow;
		if (i == 1)
			x -= offset;
	}
}

void
BAlert::_Show()
{
	// Activated by its own thread, first thing: once shown, the alert may be
	// pressed and gone before this thread could lock it again.
	PostMessage(kActivate);
	Show();
}

void
BAlert::_Pressed(int32 index)
{
	if (fDone)
		return;
	fDone = true;
	if (fWaiter != NULL) {
		fWaiter->value = index;
		release_sem(fWaiter->sem);
		fWaiter = NULL;
	} else if (fInvoker != NULL && fInvoker->Message() != NULL) {
		BMessage message(*fInvoker->Message());
		message.AddInt32("which", index);
		fInvoker->Invoke(&message);
	}
	Quit();
}

void
BAlert::_ServeUpdates(BWindow* window)
{
	// Only drawing: the window's other messages wait until the alert is gone.
	BMessageQueue* queue = window->MessageQueue();
	for (uint32 what : {(uint32)_UPDATE_, (uint32)kWindowSyncMessage}) {
		while (BMessage* message = queue->FindMessage(what)) {
			queue->RemoveMessage(message);
			window->DispatchMessage(message, window);
			delete message;
		}
	}
	window->UpdateIfNeeded();
}
