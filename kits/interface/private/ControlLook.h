#ifndef _CONTROL_LOOK_H
#define _CONTROL_LOOK_H

#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Rect.h>

class BView;

// The BeOS R5 look of every control, in one place: flat light grey panels,
// one-pixel bevels, black labels in the view's font and the blue mark of
// keyboard focus. Controls work out their state and hand it to these calls;
// no control does its own bevel arithmetic.
class ControlLook {
public:
	enum {
		kDisabled = 0x01,
		kActivated = 0x02, // pressed, or marked
		kFocused = 0x04,
		kDefault = 0x08,
	};

	enum arrow_direction {
		kLeftArrow,
		kRightArrow,
		kUpArrow,
		kDownArrow,
	};

	rgb_color Panel() const { return fPanel; }
	rgb_color Navigation() const;

	// The extra ring a default button has round it; rect shrinks by it.
	void DrawDefaultFrame(BView* view, BRect& rect, uint32 flags);
	// A push button's frame and face; rect becomes the face's inside.
	void DrawButton(BView* view, BRect& rect, uint32 flags);
	// A label in the view's font, centred vertically on rect and placed by
	// alignment; the focus mark is a line under it.
	void DrawLabel(BView* view, const char* label, BRect rect, uint32 flags,
		alignment align = B_ALIGN_LEFT);
	// A label whose baseline starts at where (to line up with other text).
	void DrawLabel(BView* view, const char* label, BPoint where, uint32 flags);
	// The box of a check box (about 12 x 12) with its mark when activated.
	void DrawCheckBox(BView* view, BRect box, uint32 flags);
	// A sunken frame, two pixels deep, of a text field or a scroll view;
	// rect becomes its inside. Focus turns the inner ring blue.
	void DrawSunkenFrame(BView* view, BRect& rect, uint32 flags);
	// A plain one-pixel frame; rect becomes its inside.
	void DrawPlainFrame(BView* view, BRect& rect, uint32 flags);

	// Scroll bars: the track between the arrows, an arrow button, the thumb.
	void DrawScrollBarTrack(BView* view, BRect rect, uint32 flags);
	void DrawArrowButton(BView* view, BRect rect, arrow_direction direction, uint32 flags);
	void DrawScrollBarThumb(BView* view, BRect rect, orientation o, uint32 flags);

	// The border of a BBox; the label gap is the box's to leave.
	void DrawBoxBorder(BView* view, BRect rect, border_style border);

	// Where a label's baseline sits when centred on rect in the view's font.
	float LabelBaseline(BView* view, BRect rect) const;

private:
	void _Bevel(BView* view, BRect rect, rgb_color topLeft, rgb_color bottomRight);

	rgb_color fPanel = {216, 216, 216, 255};
};

ControlLook& control_look();

#endif
