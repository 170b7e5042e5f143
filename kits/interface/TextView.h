#ifndef _TEXT_VIEW_H
#define _TEXT_VIEW_H

#include <Font.h>
#include <View.h>

#include <set>
#include <string>
#include <vector>

class BClipboard;

struct text_run {
	int32 offset;
	BFont font;
	rgb_color color;
};

struct text_run_array {
	int32 count;
	text_run runs[1];
};

// Editable, selectable UTF-8 text laid out in the text rectangle, wrapped at
// its width when word wrap is on; its bottom grows with the text. Offsets
// are byte offsets and never fall inside a character.
class BTextView : public BView {
public:
	BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode,
		uint32 flags = B_WILL_DRAW | B_PULSE_NEEDED);
	BTextView(BRect frame, const char* name, BRect textRect, const BFont* initialFont,
		const rgb_color* initialColor, uint32 resizingMode, uint32 flags);
	virtual ~BTextView();

	void AttachedToWindow() override;
	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
	void MouseUp(BPoint where) override;
	void KeyDown(const char* bytes, int32 numBytes) override;
	void MakeFocus(bool focus = true) override;
	void MessageReceived(BMessage* message) override;
	void WindowActivated(bool active) override;
	void FrameResized(float width, float height) override;
	void GetPreferredSize(float* width, float* height) override;

	// The text.
	void SetText(const char* text, const text_run_array* runs = NULL);
	void SetText(const char* text, int32 length, const text_run_array* runs = NULL);
	// At the start of the selection; the selection moves along.
	void Insert(const char* text, const text_run_array* runs = NULL);
	void Insert(const char* text, int32 length, const text_run_array* runs = NULL);
	void Insert(int32 offset, const char* text, int32 length,
		const text_run_array* runs = NULL);
	// The selection, or the bytes from start to finish.
	void Delete();
	void Delete(int32 start, int32 finish);
	const char* Text() const { return fText.c_str(); }
	int32 TextLength() const { return (int32)fText.size(); }
	void GetText(int32 offset, int32 length, char* buffer) const;
	uchar ByteAt(int32 offset) const;

	// The clipboard.
	virtual void Cut(BClipboard* clipboard);
	virtual void Copy(BClipboard* clipboard);
	virtual void Paste(BClipboard* clipboard);
	void Clear();
	virtual bool AcceptsPaste(BClipboard* clipboard);

	// The selection.
	virtual void Select(int32 startOffset, int32 endOffset);
	void SelectAll();
	void GetSelection(int32* start, int32* end) const;

	// Styles. Without stylable text both calls restyle all of it.
	void SetFontAndColor(const BFont* font, uint32 mode = B_FONT_ALL,
		const rgb_color* color = NULL);
	void SetFontAndColor(int32 startOffset, int32 endOffset, const BFont* font,
		uint32 mode = B_FONT_ALL, const rgb_color* color = NULL);
	void GetFontAndColor(int32 offset, BFont* font, rgb_color* color = NULL) const;
	void GetFontAndColor(BFont* font, uint32* sameProperties, rgb_color* color = NULL,
		bool* sameColor = NULL) const;
	// A copy of the style runs of that range; free() it.
	text_run_array* RunArray(int32 startOffset, int32 endOffset, int32* length = NULL) const;

	// Lines and places.
	int32 CountLines() const { return (int32)fLines.size(); }
	int32 CurrentLine() const { return LineAt(fSelStart); }
	void GoToLine(int32 lineIndex);
	int32 LineAt(int32 offset) const;
	int32 LineAt(BPoint point) const;
	BPoint PointAt(int32 offset, float* height = NULL) const;
	int32 OffsetAt(BPoint point) const;
	int32 OffsetAt(int32 line) const;
	float LineWidth(int32 lineIndex = 0) const;
	float LineHeight(int32 lineIndex = 0) const;
	float TextHeight(int32 startLine, int32 endLine) const;
	void ScrollToOffset(int32 offset);
	void ScrollToSelection();

	// Behaviour.
	void SetTextRect(BRect rect);
	BRect TextRect() const { return fTextRect; }
	void SetStylable(bool stylable);
	bool IsStylable() const { return fStylable; }
	void SetTabWidth(float width);
	float TabWidth() const { return fTabWidth; }
	void MakeSelectable(bool selectable = true);
	bool IsSelectable() const { return fSelectable; }
	void MakeEditable(bool editable = true);
	bool IsEditable() const { return fEditable; }
	void SetWordWrap(bool wrap);
	bool DoesWordWrap() const { return fWordWrap; }
	void SetMaxBytes(int32 max);
	int32 MaxBytes() const { return fMaxBytes; }
	void DisallowChar(uint32 character);
	void AllowChar(uint32 character);
	void SetAlignment(alignment flag);
	alignment Alignment() const { return fAlignment; }
	void SetAutoindent(bool state) { fAutoindent = state; }
	bool DoesAutoindent() const { return fAutoindent; }
	// A resizable view grows and shrinks in width with its one line of text
	// (and resizes container, if given, by as much).
	void MakeResizable(bool resize, BView* resizeView = NULL);
	bool IsResizable() const { return fResizable; }
	// Shows every character as a bullet; the text typed before is deleted.
	void HideTyping(bool enabled);
	bool IsTypingHidden() const { return fHideTyping; }

protected:
	// Hooks every insertion and deletion goes through.
	virtual void InsertText(const char* text, int32 length, int32 offset,
		const text_run_array* runs);
	virtual void DeleteText(int32 fromOffset, int32 toOffset);

private:
	struct Style {
		int32 offset;
		BFont font;
		rgb_color color;
	};
	struct Line {
		int32 start;
		float top;
		float height;
		float ascent;
		float width;
	};

	void _Init(BRect textRect, const BFont* font, const rgb_color* color);
	void _Layout();
	float _CharWidth(int32 offset, int32 length, float x) const;
	int32 _CharLength(int32 offset) const;
	int32 _PreviousCharStart(int32 offset) const;
	int32 _StyleIndexAt(int32 offset) const;
	void _SplitStyles(int32 offset);
	void _NormalizeStyles();
	int32 _LineEnd(int32 line, bool forCaret) const;
	float _LineLeft(int32 line) const;
	float _XAt(int32 line, int32 offset) const;
	int32 _OffsetAtX(int32 line, float x) const;
	void _SetSelection(int32 anchor, int32 caret, bool scroll = true);
	void _Typed(const char* bytes, int32 length);
	void _DeleteBackwards();
	void _DeleteForwards();
	void _MoveCaret(int32 offset, bool extend);
	int32 _WordStart(int32 offset) const;
	int32 _WordEnd(int32 offset) const;
	int32 _FitMaxBytes(const char* text, int32 length) const;
	bool _Command(char key);
	void _UpdateScrollBars();
	void _Changed();

	std::string fText;
	std::vector<Style> fStyles;
	bool fHasTypingStyle = false;
	Style fTypingStyle;
	std::vector<Line> fLines;
	BRect fTextRect;
	int32 fSelStart = 0;
	int32 fSelEnd = 0;
	int32 fAnchor = 0;
	int32 fCaret = 0;
	float fGoalX = -1;
	bool fTracking = false;
	bool fEditable = true;
	bool fSelectable = true;
	bool fWordWrap = true;
	bool fStylable = false;
	bool fHideTyping = false;
	bool fAutoindent = false;
	bool fResizable = false;
	BView* fResizeView = NULL;
	int32 fMaxBytes = INT32_MAX;
	float fTabWidth = 28;
	alignment fAlignment = B_ALIGN_LEFT;
	std::set<uint32> fDisallowed;
};

#endif
