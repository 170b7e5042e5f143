#ifndef _PIXEL_GEOMETRY_H
#define _PIXEL_GEOMETRY_H

#include <Region.h>

#include <math.h>

// The one place where kit coordinates become pixels. Fractions are dropped
// toward minus infinity, so that a rectangle keeps its pixel size wherever it
// is moved; both ends stay inclusive.
inline int32
pixel_coordinate(float v)
{
	return (int32)floorf(v);
}

inline clipping_rect
pixel_rect(const BRect& r)
{
	return clipping_rect{pixel_coordinate(r.left), pixel_coordinate(r.top),
		pixel_coordinate(r.right), pixel_coordinate(r.bottom)};
}

inline bool
pixel_rect_valid(const clipping_rect& r)
{
	return r.left <= r.right && r.top <= r.bottom;
}

inline clipping_rect
pixel_intersection(const clipping_rect& a, const clipping_rect& b)
{
	return clipping_rect{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
		a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

#endif
