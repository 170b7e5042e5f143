// The other process of the archive test: builds the demo tree with the
// badge's module linked in, writes the flattened archive and its own
// drawing of the tree.
#include "DemoBadge.h"
#include "DemoTree.h"

#include <Application.h>
#include <Harness.h>
#include <Message.h>
#include <Window.h>

#include <stdio.h>

#include <vector>

BView*
make_demo_tree()
{
	BView* tree = new BView(BRect(0, 0, 159, 99), "tree", B_FOLLOW_ALL, B_WILL_DRAW);
	tree->SetViewColor(200, 220, 240);
	BView* panel = new BView(BRect(8, 8, 81, 91), "panel", B_FOLLOW_LEFT_TOP, B_WILL_DRAW);
	panel->SetViewColor(90, 140, 60);
	TDemoBadge* badge = new TDemoBadge(BRect(4, 4, 69, 39), "badge", "Hi", make_color(250, 200, 0));
	badge->SetFontSize(16);
	panel->AddChild(badge);
	tree->AddChild(panel);
	BView* hidden = new BView(BRect(96, 8, 150, 50), "hidden", B_FOLLOW_LEFT_TOP, B_WILL_DRAW);
	hidden->SetViewColor(255, 0, 0);
	hidden->Hide();
	tree->AddChild(hidden);
	tree->AddChild(new TDemoBadge(BRect(90, 56, 152, 92), "second", "ok",
		make_color(0, 120, 255)));
	return tree;
}

int
main(int argc, char** argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: archive_peer ARCHIVE PNG\n");
		return 2;
	}
	BTest::HeadlessApp app("application/x-vnd.Murmelo-archive-peer");
	BView* tree = make_demo_tree();
	BMessage archive;
	if (tree->Archive(&archive, true) != B_OK)
		return 1;
	std::vector<char> flat(archive.FlattenedSize());
	if (archive.Flatten(flat.data(), flat.size()) != B_OK)
		return 1;
	FILE* file = fopen(argv[1], "wb");
	if (file == NULL || fwrite(flat.data(), 1, flat.size(), file) != flat.size())
		return 1;
	fclose(file);

	BWindow* window = new BWindow(kDemoFrame, "Archive peer", B_TITLED_WINDOW, 0);
	window->AddChild(tree);
	window->Show();
	bool drawn = BTest::Sync(window) && BTest::WriteWindowPNG(window, argv[2]) == B_OK;
	window->Lock();
	window->Quit();
	return drawn ? 0 : 1;
}
