// BTextView on the headless display: typing, moving, selecting, deleting,
// the clipboard, word wrap, styles and hidden typing, through real keys and
// clicks.
#include <Clipboard.h>
#include <TextView.h>

#include "ControlTestSupport.h"

#include <string.h>

namespace {

class TextViewTest : public ControlWindowTest {
protected:
	// A window with one text view that has the focus.
	BTextView* NewTextView(const char* title, BRect frame = BRect(10, 10, 209, 109))
	{
		fWindow = NewWindow(title);
		BRect textRect = frame.OffsetToCopy(0, 0).InsetByCopy(3, 3);
		BTextView* view = new BTextView(frame, "text", textRect, B_FOLLOW_NONE);
		fWindow->AddChild(view);
		ShowAndWait(fWindow);
		EXPECT_EQ(BTest::Click(view, BPoint(5, 5)), B_OK);
		return view;
	}
	std::string TextOf(BTextView* view)
	{
		std::string text;
		BTest::Locked(fWindow, [&] { text = view->Text(); });
		return text;
	}
	std::pair<int32, int32> Selection(BTextView* view)
	{
		int32 start = -1, end = -1;
		BTest::Locked(fWindow, [&] { view->GetSelection(&start, &end); });
		return {start, end};
	}
	void Key(const char* bytes, uint32 modifiers = 0)
	{
		ASSERT_EQ(BTest::PressKey(fWindow, bytes, 0, modifiers), B_OK);
	}
	std::string Clipboard()
	{
		std::string text;
		if (be_clipboard->Lock()) {
			const void* data = NULL;
			ssize_t size = 0;
			if (be_clipboard->Data()->FindData("text/plain", B_MIME_TYPE, &data, &size) == B_OK)
				text.assign((const char*)data, size);
			be_clipboard->Unlock();
		}
		return text;
	}

	BWindow* fWindow = NULL;
};

const char kLeft[] = {B_LEFT_ARROW, 0};
const char kRight[] = {B_RIGHT_ARROW, 0};
const char kUp[] = {B_UP_ARROW, 0};
const char kDown[] = {B_DOWN_ARROW, 0};
const char kHome[] = {B_HOME, 0};
const char kEnd[] = {B_END, 0};
const char kBackspace[] = {B_BACKSPACE, 0};
const char kDelete[] = {B_DELETE, 0};

} // namespace

TEST_F(TextViewTest, TypingMovingAndDeletingByCharacters)
{
	BTextView* view = NewTextView("text typing");
	ASSERT_EQ(BTest::TypeKeys(fWindow, "h\xc3\xa9llo w\xc3\xb6rld \xe2\x82\xac"), B_OK);
	EXPECT_EQ(TextOf(view), "h\xc3\xa9llo w\xc3\xb6rld \xe2\x82\xac");
	// Backspace takes the whole euro sign, never a piece of it.
	Key(kBackspace);
	EXPECT_EQ(TextOf(view), "h\xc3\xa9llo w\xc3\xb6rld ");
	Key(kHome);
	EXPECT_EQ(Selection(view), std::make_pair(0, 0));
	Key(kRight);
	Key(kRight);
	// Past "h" and the two bytes of "é".
	EXPECT_EQ(Selection(view), std::make_pair(3, 3));
	Key(kLeft);
	EXPECT_EQ(Selection(view), std::make_pair(1, 1));
	Key(kDelete);
	EXPECT_EQ(TextOf(view), "hllo w\xc3\xb6rld ");
	// Shift+arrows select; typing replaces the selection.
	Key(kRight, B_SHIFT_KEY);
	Key(kRight, B_SHIFT_KEY);
	EXPECT_EQ(Selection(view), std::make_pair(1, 3));
	ASSERT_EQ(BTest::TypeKeys(fWindow, "E"), B_OK);
	EXPECT_EQ(TextOf(view), "hEo w\xc3\xb6rld ");
	Key(kEnd);
	EXPECT_EQ(Selection(view).first, (int32)strlen("hEo w\xc3\xb6rld "));
	Key(kHome, B_SHIFT_KEY);
	Key(kBackspace);
	EXPECT_EQ(TextOf(view), "");
	// Enter and Tab are text in an editable text view.
	ASSERT_EQ(BTest::TypeKeys(fWindow, "a\tb\nc"), B_OK);
	EXPECT_EQ(TextOf(view), "a\tb\nc");
	BTest::Locked(fWindow, [&] {
		EXPECT_EQ(view->CountLines(), 2);
		EXPECT_EQ(fWindow->CurrentFocus(), view);
	});
	// Up keeps the column as well as it can.
	Key(kUp);
	EXPECT_EQ(Selection(view).first, 1);
	Key(kDown);
	EXPECT_EQ(Selection(view).first, 5);
}

TEST_F(TextViewTest, MouseDragAndDoubleClickSelect)
{
	BTextView* view = NewTextView("text mouse");
	BTest::Locked(fWindow, [&] { view->SetText("first line\nsecond line"); });
	BPoint from, to;
	BTest::Locked(fWindow, [&] {
		from = view->PointAt(2) + BPoint(1, 3);
		to = view->PointAt(14) + BPoint(1, 3);
	});
	ASSERT_EQ(BTest::MouseDown(view, from), B_OK);
	ASSERT_EQ(BTest::MoveMouse(view, to), B_OK);
	ASSERT_EQ(BTest::MouseUp(view, to), B_OK);
	EXPECT_EQ(Selection(view), std::make_pair(2, 14));
	// Dragged back past the anchor, the selection turns round.
	ASSERT_EQ(BTest::MouseDown(view, to), B_OK);
	ASSERT_EQ(BTest::MoveMouse(view, BPoint(-20, -20)), B_OK);
	ASSERT_EQ(BTest::MouseUp(view, BPoint(-20, -20)), B_OK);
	EXPECT_EQ(Selection(view), std::make_pair(0, 14));
	// Shift+click extends from the anchor.
	BPoint end;
	BTest::Locked(fWindow, [&] { end = view->PointAt(20) + BPoint(1, 3); });
	ASSERT_EQ(BTest::Click(view, end, B_PRIMARY_MOUSE_BUTTON, B_SHIFT_KEY), B_OK);
	EXPECT_EQ(Selection(view), std::make_pair(14, 20));
	Screenshot(fWindow, "textview_selection");
}

TEST_F(TextViewTest, CopyCutAndPasteThroughTheClipboard)
{
	BTextView* view = NewTextView("text clipboard");
	ASSERT_EQ(BTest::TypeKeys(fWindow, "one two"), B_OK);
	Key(kLeft, B_SHIFT_KEY);
	Key(kLeft, B_SHIFT_KEY);
	Key(kLeft, B_SHIFT_KEY);
	// Ctrl as the command key...
	ASSERT_EQ(BTest::PressKey(fWindow, "c", 0, B_CONTROL_KEY), B_OK);
	EXPECT_EQ(Clipboard(), "two");
	Key(kHome);
	ASSERT_EQ(BTest::PressKey(fWindow, "v", 0, B_CONTROL_KEY), B_OK);
	EXPECT_EQ(TextOf(view), "twoone two");
	EXPECT_EQ(Selection(view), std::make_pair(3, 3));
	// ...and Alt, BeOS's command key on a PC keyboard.
	ASSERT_EQ(BTest::PressKey(fWindow, "a", 0, B_COMMAND_KEY), B_OK);
	EXPECT_EQ(Selection(view), std::make_pair(0, 10));
	ASSERT_EQ(BTest::PressKey(fWindow, "x", 0, B_COMMAND_KEY), B_OK);
	EXPECT_EQ(TextOf(view), "");
	EXPECT_EQ(Clipboard(), "twoone two");
	// What another clipboard object commits is what the next paste sees.
	BClipboard other("system");
	ASSERT_TRUE(other.Lock());
	other.Clear();
	other.Data()->AddData("text/plain", B_MIME_TYPE, "\xc3\xa9t\xc3\xa9", 5);
	EXPECT_EQ(other.Commit(), B_OK);
	other.Unlock();
	ASSERT_EQ(BTest::PressKey(fWindow, "v", 0, B_CONTROL_KEY), B_OK);
	EXPECT_EQ(TextOf(view), "\xc3\xa9t\xc3\xa9");
	// A view that is not editable copies but does not paste or cut.
	BTest::Locked(fWindow, [&] {
		view->MakeEditable(false);
		view->SelectAll();
	});
	ASSERT_EQ(BTest::PressKey(fWindow, "x", 0, B_CONTROL_KEY), B_OK);
	EXPECT_EQ(TextOf(view), "\xc3\xa9t\xc3\xa9");
	ASSERT_EQ(BTest::TypeKeys(fWindow, "zz"), B_OK);
	EXPECT_EQ(TextOf(view), "\xc3\xa9t\xc3\xa9");
}

TEST_F(TextViewTest, WordWrapBreaksAtSpacesInsideTheTextRect)
{
	BTextView* view = NewTextView("text wrap", BRect(10, 10, 109, 209));
	const char* text = "The quick brown fox jumps over the lazy dog and "
					   "Pneumonoultramicroscopicsilicovolcanoconiosis too";
	BTest::Locked(fWindow, [&] {
		view->SetText(text);
		BRect rect = view->TextRect();
		EXPECT_GT(view->CountLines(), 3);
		for (int32 i = 0; i < view->CountLines(); i++) {
			int32 start = view->OffsetAt(i);
			int32 end = view->OffsetAt(i + 1);
			// Trailing spaces may hang over; the words fit.
			std::string line(text + start, end - start);
			while (!line.empty() && line.back() == ' ')
				line.pop_back();
			BFont font;
			view->GetFontAndColor(start, &font);
			EXPECT_LE(font.StringWidth(line.c_str()), rect.Width() + 1) << line;
			EXPECT_NE(text[start], ' ') << i;
			if (i > 0) {
				EXPECT_GT(view->PointAt(start).y, view->PointAt(view->OffsetAt(i - 1)).y);
			}
		}
		// The long word is cut where it no longer fits.
		EXPECT_NE(strstr(text, "Pneumono"), nullptr);
		view->SetWordWrap(false);
		EXPECT_EQ(view->CountLines(), 1);
		view->SetWordWrap(true);
		float height = view->TextHeight(0, view->CountLines() - 1);
		EXPECT_EQ(height, view->CountLines() * view->LineHeight(0));
	});
	Screenshot(fWindow, "textview_word_wrap");
}

TEST_F(TextViewTest, HiddenTypingShowsBulletsAndKeepsTheText)
{
	BTextView* view = NewTextView("text hidden");
	BTest::Locked(fWindow, [&] {
		view->SetText("old");
		view->HideTyping(true);
		// Hiding deletes what was there.
		EXPECT_EQ(view->TextLength(), 0);
	});
	ASSERT_EQ(BTest::TypeKeys(fWindow, "s\xc3\xa9" "cret"), B_OK);
	EXPECT_EQ(TextOf(view), "s\xc3\xa9" "cret");
	BTest::Locked(fWindow, [&] {
		BFont font;
		view->GetFontAndColor(0, &font);
		// Six characters, six bullets, whatever their widths.
		EXPECT_FLOAT_EQ(view->LineWidth(0), 6 * font.StringWidth("\xe2\x80\xa2"));
	});
	// A hidden text never reaches the clipboard.
	if (be_clipboard->Lock()) {
		be_clipboard->Clear();
		be_clipboard->Commit();
		be_clipboard->Unlock();
	}
	ASSERT_EQ(BTest::PressKey(fWindow, "a", 0, B_CONTROL_KEY), B_OK);
	ASSERT_EQ(BTest::PressKey(fWindow, "c", 0, B_CONTROL_KEY), B_OK);
	EXPECT_EQ(Clipboard(), "");
	Screenshot(fWindow, "textview_hidden");
}

TEST_F(TextViewTest, StylesFollowTheTextAndAreReportedWithMasks)
{
	BTextView* view = NewTextView("text styles");
	const rgb_color red = {255, 0, 0, 255};
	const rgb_color black = {0, 0, 0, 255};
	BTest::Locked(fWindow, [&] {
		view->SetStylable(true);
		view->SetText("plain big plain");
		BFont big(be_plain_font);
		big.SetSize(16);
		view->SetFontAndColor(6, 9, &big, B_FONT_SIZE, &red);
		BFont font;
		rgb_color color;
		view->GetFontAndColor(7, &font, &color);
		EXPECT_EQ(font.Size(), 16);
		EXPECT_EQ(color, red);
		view->GetFontAndColor(2, &font, &color);
		EXPECT_EQ(font.Size(), 10);
		EXPECT_EQ(color, black);
		// The bigger run makes its line taller.
		font_height h;
		big.GetHeight(&h);
		EXPECT_GE(view->LineHeight(0), h.ascent + h.descent);

		uint32 same = 0;
		bool sameColor = true;
		view->Select(0, 9);
		view->GetFontAndColor(&font, &same, &color, &sameColor);
		EXPECT_EQ(same & B_FONT_SIZE, 0u);
		EXPECT_NE(same & B_FONT_FAMILY_AND_STYLE, 0u);
		EXPECT_FALSE(sameColor);
		view->Select(6, 9);
		view->GetFontAndColor(&font, &same, &color, &sameColor);
		EXPECT_EQ(same, (uint32)B_FONT_ALL);
		EXPECT_TRUE(sameColor);

		// Text inserted inside the run takes its style; deleting across
		// runs keeps the style of what follows.
		view->Insert(7, "XX", 2);
		view->GetFontAndColor(8, &font, &color);
		EXPECT_EQ(font.Size(), 16);
		view->Delete(4, 8);
		EXPECT_STREQ(view->Text(), "plaiXig plain");
		view->GetFontAndColor(4, &font, &color);
		EXPECT_EQ(font.Size(), 16);

		int32 size = 0;
		text_run_array* runs = view->RunArray(0, view->TextLength(), &size);
		ASSERT_NE(runs, nullptr);
		EXPECT_EQ(runs->count, 3);
		EXPECT_EQ(runs->runs[1].offset, 4);
		free(runs);

		// Not stylable: every change restyles the whole text.
		view->SetStylable(false);
		view->SetText("all of it");
		view->Select(0, 3);
		view->SetFontAndColor(&big, B_FONT_SIZE, &red);
		view->GetFontAndColor(8, &font, &color);
		EXPECT_EQ(font.Size(), 16);
		EXPECT_EQ(color, red);
	});
	Screenshot(fWindow, "textview_styles");
}

TEST_F(TextViewTest, MaxBytesNeverCutsACharacter)
{
	BTextView* view = NewTextView("text max bytes");
	BTest::Locked(fWindow, [&] { view->SetMaxBytes(5); });
	ASSERT_EQ(BTest::TypeKeys(fWindow, "abcdefg"), B_OK);
	EXPECT_EQ(TextOf(view), "abcde");
	BTest::Locked(fWindow, [&] {
		view->SetText("\xc3\xa9\xc3\xa9\xc3\xa9");
		EXPECT_STREQ(view->Text(), "\xc3\xa9\xc3\xa9");
		view->SetMaxBytes(3);
		EXPECT_STREQ(view->Text(), "\xc3\xa9");
		// Offsets inside a character are moved to its start.
		view->SetMaxBytes(100);
		view->SetText("a\xe2\x82\xac" "b");
		view->Select(2, 3);
		int32 start, end;
		view->GetSelection(&start, &end);
		EXPECT_EQ(start, 1);
		EXPECT_EQ(end, 1);
		view->Delete(2, 3);
		EXPECT_STREQ(view->Text(), "ab");
	});
}
