#ifndef _REGION_H
#define _REGION_H

#include <Rect.h>

#include <vector>

// A rectangle of whole pixels, inclusive at both ends like BRect.
struct clipping_rect {
	int32 left;
	int32 top;
	int32 right;
	int32 bottom;
};

// A set of pixels kept as disjoint rectangles.
class BRegion {
public:
	BRegion() = default;
	BRegion(const BRegion& other) = default;
	BRegion(BRect rect);
	BRegion(const clipping_rect& rect);
	BRegion& operator=(const BRegion& other) = default;
	bool operator==(const BRegion& other) const;

	void Set(BRect rect);
	void Set(clipping_rect rect);
	void MakeEmpty() { fRects.clear(); }

	BRect Frame() const;
	clipping_rect FrameInt() const;
	BRect RectAt(int32 index) const;
	clipping_rect RectAtInt(int32 index) const;
	int32 CountRects() const { return (int32)fRects.size(); }

	bool Intersects(BRect rect) const;
	bool Intersects(clipping_rect rect) const;
	bool Contains(BPoint point) const;
	bool Contains(int32 x, int32 y) const;
	void PrintToStream() const;

	void OffsetBy(int32 dx, int32 dy);
	void OffsetBy(BPoint delta);

	void Include(BRect rect);
	void Include(const clipping_rect& rect);
	void Include(const BRegion* region);
	void Exclude(BRect rect);
	void Exclude(const clipping_rect& rect);
	void Exclude(const BRegion* region);
	void IntersectWith(const BRegion* region);
	void IntersectWith(BRect rect);

	// The pixel area covered, for tests and statistics.
	int64 Area() const;

private:
	std::vector<clipping_rect> fRects;
};

#endif
