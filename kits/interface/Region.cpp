#include <Region.h>

#include <PixelGeometry.h>

#include <stdio.h>

BRegion::BRegion(BRect rect)
{
	Set(rect);
}

BRegion::BRegion(const clipping_rect& rect)
{
	Set(rect);
}

bool
BRegion::operator==(const BRegion& other) const
{
	// Same pixels, whatever the split into rectangles.
	BRegion a(*this);
	a.Exclude(&other);
	BRegion b(other);
	b.Exclude(this);
	return a.CountRects() == 0 && b.CountRects() == 0;
}

void
BRegion::Set(BRect rect)
{
	Set(pixel_rect(rect));
}

void
BRegion::Set(clipping_rect rect)
{
	fRects.clear();
	if (pixel_rect_valid(rect))
		fRects.push_back(rect);
}

clipping_rect
BRegion::FrameInt() const
{
	if (fRects.empty())
		return clipping_rect{0, 0, -1, -1};
	clipping_rect f = fRects[0];
	for (const clipping_rect& r : fRects) {
		f.left = r.left < f.left ? r.left : f.left;
		f.top = r.top < f.top ? r.top : f.top;
		f.right = r.right > f.right ? r.right : f.right;
		f.bottom = r.bottom > f.bottom ? r.bottom : f.bottom;
	}
	return f;
}

BRect
BRegion::Frame() const
{
	clipping_rect f = FrameInt();
	return BRect(f.left, f.top, f.right, f.bottom);
}

clipping_rect
BRegion::RectAtInt(int32 index) const
{
	if (index < 0 || index >= CountRects())
		return clipping_rect{0, 0, -1, -1};
	return fRects[index];
}

BRect
BRegion::RectAt(int32 index) const
{
	clipping_rect r = RectAtInt(index);
	return BRect(r.left, r.top, r.right, r.bottom);
}

bool
BRegion::Intersects(BRect rect) const
{
	return Intersects(pixel_rect(rect));
}

bool
BRegion::Intersects(clipping_rect rect) const
{
	for (const clipping_rect& r : fRects) {
		if (pixel_rect_valid(pixel_intersection(r, rect)))
			return true;
	}
	return false;
}

bool
BRegion::Contains(BPoint point) const
{
	return Contains(pixel_coordinate(point.x), pixel_coordinate(point.y));
}

bool
BRegion::Contains(int32 x, int32 y) const
{
	for (const clipping_rect& r : fRects) {
		if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom)
			return true;
	}
	return false;
}

void
BRegion::PrintToStream() const
{
	BRect f = Frame();
	printf("BRegion: %d rects, frame ", (int)CountRects());
	f.PrintToStream();
	for (const clipping_rect& r : fRects)
		printf("  (%d, %d, %d, %d)\n", (int)r.left, (int)r.top, (int)r.right, (int)r.bottom);
}

void
BRegion::OffsetBy(int32 dx, int32 dy)
{
	for (clipping_rect& r : fRects) {
		r.left += dx;
		r.right += dx;
		r.top += dy;
		r.bottom += dy;
	}
}

void
BRegion::OffsetBy(BPoint delta)
{
	OffsetBy(pixel_coordinate(delta.x), pixel_coordinate(delta.y));
}

// Appends the parts of a that lie outside b (at most four rectangles).
static void
subtract(const clipping_rect& a, const clipping_rect& b, std::vector<clipping_rect>& out)
{
	clipping_rect i = pixel_intersection(a, b);
	if (!pixel_rect_valid(i)) {
		out.push_back(a);
		return;
	}
	if (a.top < i.top)
		out.push_back(clipping_rect{a.left, a.top, a.right, i.top - 1});
	if (a.bottom > i.bottom)
		out.push_back(clipping_rect{a.left, i.bottom + 1, a.right, a.bottom});
	if (a.left < i.left)
		out.push_back(clipping_rect{a.left, i.top, i.left - 1, i.bottom});
	if (a.right > i.right)
		out.push_back(clipping_rect{i.right + 1, i.top, a.right, i.bottom});
}

void
BRegion::Include(BRect rect)
{
	Include(pixel_rect(rect));
}

void
BRegion::Include(const clipping_rect& rect)
{
	if (!pixel_rect_valid(rect))
		return;
	// Add only the pieces of rect not covered yet, so the rectangles stay disjoint.
	std::vector<clipping_rect> pieces{rect};
	for (const clipping_rect& r : fRects) {
		std::vector<clipping_rect> next;
		for (const clipping_rect& p : pieces)
			subtract(p, r, next);
		pieces.swap(next);
		if (pieces.empty())
			return;
	}
	fRects.insert(fRects.end(), pieces.begin(), pieces.end());
}

void
BRegion::Include(const BRegion* region)
{
	if (region == this)
		return;
	for (const clipping_rect& r : region->fRects)
		Include(r);
}

void
BRegion::Exclude(BRect rect)
{
	Exclude(pixel_rect(rect));
}

void
BRegion::Exclude(const clipping_rect& rect)
{
	if (!pixel_rect_valid(rect))
		return;
	std::vector<clipping_rect> next;
	next.reserve(fRects.size() + 4);
	for (const clipping_rect& r : fRects)
		subtract(r, rect, next);
	fRects.swap(next);
}

void
BRegion::Exclude(const BRegion* region)
{
	if (region == this) {
		MakeEmpty();
		return;
	}
	for (const clipping_rect& r : region->fRects)
		Exclude(r);
}

void
BRegion::IntersectWith(const BRegion* region)
{
	if (region == this)
		return;
	std::vector<clipping_rect> next;
	for (const clipping_rect& a : fRects) {
		for (const clipping_rect& b : region->fRects) {
			clipping_rect i = pixel_intersection(a, b);
			if (pixel_rect_valid(i))
				next.push_back(i);
		}
	}
	fRects.swap(next);
}

void
BRegion::IntersectWith(BRect rect)
{
	BRegion r(rect);
	IntersectWith(&r);
}

int64
BRegion::Area() const
{
	int64 area = 0;
	for (const clipping_rect& r : fRects)
		area += (int64)(r.right - r.left + 1) * (r.bottom - r.top + 1);
	return area;
}
