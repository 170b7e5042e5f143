#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Rect.h>
#include <Region.h>

#include <gtest/gtest.h>

TEST(Geometry, RectsAreInclusive)
{
	BRect r(0, 0, 99, 49);
	EXPECT_EQ(r.Width(), 99);
	EXPECT_EQ(r.IntegerWidth() + 1, 100);
	EXPECT_EQ(r.IntegerHeight() + 1, 50);
	EXPECT_TRUE(r.Contains(BPoint(99, 49)));
	EXPECT_FALSE(r.Contains(BPoint(100, 49)));
	EXPECT_FALSE(BRect().IsValid());
	EXPECT_TRUE(BRect(5, 5, 5, 5).IsValid());
}

TEST(Geometry, RectArithmetic)
{
	BRect r(10, 10, 20, 20);
	r.InsetBy(2, 3);
	EXPECT_EQ(r, BRect(12, 13, 18, 17));
	r.OffsetBy(-12, -13);
	EXPECT_EQ(r, BRect(0, 0, 6, 4));
	EXPECT_EQ(r.OffsetToCopy(5, 5), BRect(5, 5, 11, 9));
	BRect a(0, 0, 9, 9), b(5, 5, 14, 14), c(10, 0, 19, 9);
	EXPECT_EQ(a & b, BRect(5, 5, 9, 9));
	EXPECT_EQ(a | b, BRect(0, 0, 14, 14));
	EXPECT_TRUE(a.Intersects(b));
	// Touching edges share no pixel: 9 and 10 are neighbours.
	EXPECT_FALSE(a.Intersects(c));
	EXPECT_FALSE((a & c).IsValid());
	EXPECT_TRUE(a.Contains(BRect(2, 2, 9, 9)));
	EXPECT_FALSE(a.Contains(b));
}

TEST(Geometry, RegionUnionIntersectionContains)
{
	BRegion region(BRect(0, 0, 9, 9));
	region.Include(BRect(5, 5, 14, 14));
	EXPECT_EQ(region.Area(), 100 + 100 - 25);
	EXPECT_TRUE(region.Contains(BPoint(14, 14)));
	EXPECT_FALSE(region.Contains(BPoint(14, 0)));
	EXPECT_EQ(region.Frame(), BRect(0, 0, 14, 14));

	region.Exclude(BRect(0, 0, 4, 4));
	EXPECT_EQ(region.Area(), 175 - 25);
	EXPECT_FALSE(region.Contains(2, 2));

	BRegion other(BRect(8, 8, 20, 20));
	region.IntersectWith(&other);
	EXPECT_EQ(region.Area(), 7 * 7);
	EXPECT_TRUE(region == BRegion(BRect(8, 8, 14, 14)));

	BRegion empty;
	EXPECT_EQ(empty.CountRects(), 0);
	empty.Include(BRect());
	EXPECT_EQ(empty.CountRects(), 0);
}

TEST(Geometry, TintsAndSystemColours)
{
	rgb_color panel = ui_color(B_PANEL_BACKGROUND_COLOR);
	EXPECT_EQ(panel, make_color(216, 216, 216));
	EXPECT_EQ(tint_color(panel, B_DARKEN_1_TINT).red, 184);
	EXPECT_EQ(tint_color(panel, B_DARKEN_2_TINT).red, 152);
	EXPECT_EQ(tint_color(panel, B_DARKEN_4_TINT).red, 96);
	EXPECT_EQ(tint_color(panel, B_LIGHTEN_MAX_TINT).red, 255);

	const color_map* map = system_colors();
	EXPECT_EQ(map->color_list[0], make_color(0, 0, 0));
	EXPECT_EQ(map->color_list[63], make_color(255, 255, 255));
	EXPECT_EQ(map->color_list[255].alpha, 0);
	// 216 grey is entry 27 of the ramp; RGB555 white is 248 grey.
	EXPECT_EQ(map->index_map[((216 >> 3) << 10) | ((216 >> 3) << 5) | (216 >> 3)], 27);
	EXPECT_EQ(map->color_list[map->index_map[0x7fff]], make_color(248, 248, 248));
}

TEST(Geometry, ResizingModeEncoding)
{
	EXPECT_EQ(B_FOLLOW_ALL_SIDES, 0x1234);
	EXPECT_EQ(B_FOLLOW_LEFT | B_FOLLOW_TOP, 0x1212);
	EXPECT_EQ(B_FOLLOW_LEFT_RIGHT, 0x0204);
	EXPECT_EQ(B_FOLLOW_BOTTOM, 0x3030);
}

TEST(Geometry, MessagesCarryPointsAndRects)
{
	BMessage message('test');
	EXPECT_EQ(message.AddPoint("where", BPoint(3, 4)), B_OK);
	EXPECT_EQ(message.AddRect("frame", BRect(1, 2, 3, 4)), B_OK);
	BPoint point;
	BRect rect;
	EXPECT_EQ(message.FindPoint("where", &point), B_OK);
	EXPECT_EQ(point, BPoint(3, 4));
	EXPECT_EQ(message.FindRect("frame", &rect), B_OK);
	EXPECT_EQ(rect, BRect(1, 2, 3, 4));
	EXPECT_EQ(message.ReplacePoint("where", BPoint(7, 8)), B_OK);
	EXPECT_EQ(message.FindPoint("where", &point), B_OK);
	EXPECT_EQ(point, BPoint(7, 8));
	EXPECT_NE(message.FindPoint("frame", &point), B_OK);
	EXPECT_NE(message.FindRect("none", &rect), B_OK);
}
