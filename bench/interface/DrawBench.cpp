// Drawing: a whole redraw of the main window's tab view, and text.
#include <Bitmap.h>
#include <Harness.h>
#include <TabView.h>
#include <Window.h>

#include <Painter.h>

#include <benchmark/benchmark.h>

static void
BM_TabViewFullRedraw(benchmark::State& state)
{
	BTest::HeadlessApp app;
	BWindow* window = new BWindow(BRect(100, 100, 529, 529), "bench", B_TITLED_WINDOW, 0);
	const char* labels[] = {"Pop-Perso", "WorkGroup", "All-Pop"};
	TabView* tabs = new TabView(window->Bounds(), NULL, labels, 3, B_FOLLOW_ALL_SIDES,
		B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE, be_plain_font);
	BView* pages[3];
	for (int i = 0; i < 3; i++)
		pages[i] = new BView(tabs->GetContentArea(), labels[i], B_FOLLOW_ALL_SIDES, 0);
	tabs->AddViews(pages);
	window->AddChild(tabs);
	window->Show();
	BTest::Sync(window);
	// Invalidate, then wait until the window thread has drawn it all and
	// handed it to the display server.
	for (auto _ : state) {
		BTest::Locked(window, [&] { tabs->Invalidate(); });
		BTest::Sync(window);
	}
}
BENCHMARK(BM_TabViewFullRedraw)->Unit(benchmark::kMicrosecond);

static void
BM_DrawThousandStrings(benchmark::State& state)
{
	BBitmap bitmap(BRect(0, 0, 429, 429), B_RGB32);
	Painter painter;
	painter.Attach(&bitmap);
	painter.State().font = *be_plain_font;
	painter.State().low = make_color(216, 216, 216);
	for (auto _ : state) {
		for (int i = 0; i < 1000; i++)
			painter.DrawString("Pop-Perso WorkGroup", 19, BPoint(i % 300, 12 + i % 400));
	}
	state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_DrawThousandStrings)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
