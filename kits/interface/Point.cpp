#include <Point.h>

#include <Rect.h>

#include <stdio.h>

const BPoint B_ORIGIN(0, 0);

void
BPoint::ConstrainTo(BRect rect)
{
	x = fmaxf(fminf(x, rect.right), rect.left);
	y = fmaxf(fminf(y, rect.bottom), rect.top);
}

void
BPoint::PrintToStream() const
{
	printf("BPoint(x:%.0f, y:%.0f)\n", x, y);
}

void
BRect::PrintToStream() const
{
	printf("BRect(l:%.1f, t:%.1f, r:%.1f, b:%.1f)\n", left, top, right, bottom);
}
