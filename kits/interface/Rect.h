#ifndef _RECT_H
#define _RECT_H

#include <Point.h>

#include <math.h>

// Coordinates are inclusive at both ends: BRect(0, 0, 99, 49) covers 100 x 50
// pixels and its Width() is 99. The default rectangle (0, 0, -1, -1) is empty.
class BRect {
public:
	float left = 0;
	float top = 0;
	float right = -1;
	float bottom = -1;

	constexpr BRect() = default;
	constexpr BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
	constexpr BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y) {}

	void Set(float l, float t, float r, float b) { left = l; top = t; right = r; bottom = b; }
	void PrintToStream() const;

	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }
	BPoint LeftBottom() const { return BPoint(left, bottom); }
	BPoint RightTop() const { return BPoint(right, top); }
	void SetLeftTop(BPoint p) { left = p.x; top = p.y; }
	void SetRightBottom(BPoint p) { right = p.x; bottom = p.y; }
	void SetLeftBottom(BPoint p) { left = p.x; bottom = p.y; }
	void SetRightTop(BPoint p) { right = p.x; top = p.y; }

	void InsetBy(float dx, float dy) { left += dx; top += dy; right -= dx; bottom -= dy; }
	void InsetBy(BPoint d) { InsetBy(d.x, d.y); }
	void OffsetBy(float dx, float dy) { left += dx; top += dy; right += dx; bottom += dy; }
	void OffsetBy(BPoint d) { OffsetBy(d.x, d.y); }
	void OffsetTo(float x, float y) { OffsetBy(x - left, y - top); }
	void OffsetTo(BPoint p) { OffsetTo(p.x, p.y); }
	BRect InsetByCopy(float dx, float dy) const { BRect r = *this; r.InsetBy(dx, dy); return r; }
	BRect InsetByCopy(BPoint d) const { return InsetByCopy(d.x, d.y); }
	BRect OffsetByCopy(float dx, float dy) const { BRect r = *this; r.OffsetBy(dx, dy); return r; }
	BRect OffsetByCopy(BPoint d) const { return OffsetByCopy(d.x, d.y); }
	BRect OffsetToCopy(float x, float y) const { BRect r = *this; r.OffsetTo(x, y); return r; }
	BRect OffsetToCopy(BPoint p) const { return OffsetToCopy(p.x, p.y); }

	// Intersection and the smallest rectangle holding both.
	BRect operator&(BRect r) const
	{
		return BRect(fmaxf(left, r.left), fmaxf(top, r.top), fminf(right, r.right),
			fminf(bottom, r.bottom));
	}
	BRect operator|(BRect r) const
	{
		return BRect(fminf(left, r.left), fminf(top, r.top), fmaxf(right, r.right),
			fmaxf(bottom, r.bottom));
	}
	bool operator==(BRect r) const
	{
		return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
	}
	bool operator!=(BRect r) const { return !(*this == r); }

	bool IsValid() const { return left <= right && top <= bottom; }
	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	int32 IntegerWidth() const { return (int32)ceilf(right - left); }
	int32 IntegerHeight() const { return (int32)ceilf(bottom - top); }

	bool Intersects(BRect r) const
	{
		return IsValid() && r.IsValid() && left <= r.right && r.left <= right && top <= r.bottom
			&& r.top <= bottom;
	}
	bool Contains(BPoint p) const
	{
		return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
	}
	bool Contains(BRect r) const
	{
		return r.left >= left && r.right <= right && r.top >= top && r.bottom <= bottom;
	}
};

#endif
