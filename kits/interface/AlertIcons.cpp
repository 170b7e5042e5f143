#include <AlertIcons.h>

#include <Bitmap.h>
#include <GraphicsDefs.h>

#include <math.h>

#include <functional>
#include <vector>

// The icons are drawn from a few shapes, each sampled 4 x 4 times per pixel
// for smooth edges, and laid over one another in order.

namespace {

const int kSize = 32;
const int kSamples = 4;

typedef std::function<bool(float x, float y)> Shape;

struct Layer {
	Shape shape;
	rgb_color color;
};

Shape
circle(float cx, float cy, float radius)
{
	return [=](float x, float y) {
		return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
	};
}

Shape
box(float left, float top, float right, float bottom)
{
	return [=](float x, float y) { return x >= left && x <= right && y >= top && y <= bottom; };
}

Shape
polygon(std::vector<BPoint> points)
{
	return [points](float x, float y) {
		bool inside = false;
		for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
			const BPoint& a = points[i];
			const BPoint& b = points[j];
			if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
				inside = !inside;
		}
		return inside;
	};
}

Shape
octagon(float cx, float cy, float radius)
{
	std::vector<BPoint> points;
	for (int i = 0; i < 8; i++) {
		float angle = M_PI / 8 + i * M_PI / 4;
		points.push_back(BPoint(cx + radius * cosf(angle), cy + radius * sinf(angle)));
	}
	return polygon(points);
}

Shape
either(Shape a, Shape b)
{
	return [=](float x, float y) { return a(x, y) || b(x, y); };
}

BBitmap*
render(const std::vector<Layer>& layers)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, kSize - 1, kSize - 1), B_RGBA32);
	uint8* bits = (uint8*)bitmap->Bits();
	for (int y = 0; y < kSize; y++) {
		uint32* row = (uint32*)(bits + y * bitmap->BytesPerRow());
		for (int x = 0; x < kSize; x++) {
			// Premultiplied while the layers are laid on.
			float r = 0, g = 0, b = 0, a = 0;
			for (const Layer& layer : layers) {
				int hits = 0;
				for (int sy = 0; sy < kSamples; sy++) {
					for (int sx = 0; sx < kSamples; sx++) {
						if (layer.shape(x + (sx + 0.5f) / kSamples, y + (sy + 0.5f) / kSamples))
							hits++;
					}
				}
				float cover = (float)hits / (kSamples * kSamples);
				r = layer.color.red * cover + r * (1 - cover);
				g = layer.color.green * cover + g * (1 - cover);
				b = layer.color.blue * cover + b * (1 - cover);
				a = cover + a * (1 - cover);
			}
			uint32 pixel = 0;
			if (a > 0) {
				pixel = (uint32)lroundf(a * 255) << 24 | (uint32)lroundf(r / a) << 16
					| (uint32)lroundf(g / a) << 8 | (uint32)lroundf(b / a);
			}
			row[x] = pixel;
		}
	}
	return bitmap;
}

} // namespace


BBitmap*
alert_icon(alert_type type)
{
	const rgb_color kOutline = {40, 40, 40, 255};
	const rgb_color kWhite = {255, 255, 255, 255};
	const rgb_color kBlack = {0, 0, 0, 255};
	switch (type) {
		case B_INFO_ALERT:
			// A blue disc with a white "i".
			return render({
				{circle(16, 16, 15.5f), {20, 40, 110, 255}},
				{circle(16, 16, 14.2f), {70, 120, 215, 255}},
				{circle(16, 8.5f, 2.4f), kWhite},
				{box(13.5f, 13, 18, 24), kWhite},
				{box(11.5f, 23, 20.5f, 25.5f), kWhite},
				{box(11.5f, 13, 18, 15), kWhite},
			});
		case B_IDEA_ALERT:
			// A light bulb.
			return render({
				{either(circle(16, 12.5f, 11), polygon({{9.5f, 18}, {22.5f, 18}, {20.5f, 24.5f},
													{11.5f, 24.5f}})),
					kOutline},
				{either(circle(16, 12.5f, 9.8f), polygon({{10.8f, 18}, {21.2f, 18}, {19.5f, 23.5f},
													  {12.5f, 23.5f}})),
					{255, 225, 60, 255}},
				{circle(12.5f, 9, 3), {255, 250, 210, 255}},
				{box(10.5f, 24, 21.5f, 30.5f), kOutline},
				{box(11.5f, 25, 20.5f, 29.5f), {170, 170, 175, 255}},
				{box(11.5f, 26.7f, 20.5f, 27.5f), {110, 110, 115, 255}},
			});
		case B_WARNING_ALERT:
			// A yellow triangle with a black exclamation mark.
			return render({
				{polygon({{16, 0.5f}, {31.5f, 29.5f}, {0.5f, 29.5f}}), kOutline},
				{polygon({{16, 3.2f}, {29.3f, 28.2f}, {2.7f, 28.2f}}), {255, 203, 0, 255}},
				{polygon({{14.2f, 9}, {17.8f, 9}, {17, 20}, {15, 20}}), kBlack},
				{circle(16, 23.8f, 1.9f), kBlack},
			});
		case B_STOP_ALERT:
			// A red octagon with a white bar.
			return render({
				{octagon(16, 16, 16.2f), kOutline},
				{octagon(16, 16, 14.8f), {215, 30, 30, 255}},
				{box(7, 13.5f, 25, 18.5f), kWhite},
			});
		case B_EMPTY_ALERT:
		default:
			return NULL;
	}
}
