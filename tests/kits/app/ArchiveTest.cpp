// Archives of views and the classes behind them: a round trip in this
// process, and a tree archived by another process whose class lives in a
// shared module, drawn here to the same pixels.
#include "DemoTree.h"

#include <Application.h>
#include <Archivable.h>
#include <Errors.h>
#include <Harness.h>
#include <Message.h>
#include <Window.h>
#include <image.h>

#include <gtest/gtest.h>

#include <errno.h>
#include <png.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* kModule = DEMO_BADGE_MODULE;
const char* kPeer = ARCHIVE_PEER;

class ArchiveTest : public ::testing::Test {
protected:
	static void SetUpTestSuite() { sApp = new BTest::HeadlessApp(); }
	static void TearDownTestSuite()
	{
		delete sApp;
		sApp = NULL;
	}

	static BTest::HeadlessApp* sApp;
};

BTest::HeadlessApp* ArchiveTest::sApp = NULL;

std::vector<uint32>
read_png(const std::string& path, uint32* width, uint32* height)
{
	png_image image;
	memset(&image, 0, sizeof(image));
	image.version = PNG_IMAGE_VERSION;
	std::vector<uint32> pixels;
	if (!png_image_begin_read_from_file(&image, path.c_str()))
		return pixels;
	image.format = PNG_FORMAT_BGRA;
	pixels.resize(image.width * image.height);
	if (!png_image_finish_read(&image, NULL, pixels.data(), 0, NULL))
		pixels.clear();
	*width = image.width;
	*height = image.height;
	return pixels;
}

} // namespace

TEST_F(ArchiveTest, ViewKeepsItsStateAndChildrenThroughAnArchive)
{
	BView original(BRect(5, 6, 104, 55), "original", B_FOLLOW_ALL, B_WILL_DRAW | B_PULSE_NEEDED);
	original.SetViewColor(1, 2, 3);
	original.SetHighColor(10, 20, 30);
	original.SetLowColor(40, 50, 60, 128);
	original.SetFontSize(17);
	original.MovePenTo(7, 8);
	BView* child = new BView(BRect(1, 1, 10, 10), "child", B_FOLLOW_NONE, 0);
	child->Hide();
	child->AddChild(new BView(BRect(0, 0, 3, 3), "grandchild", B_FOLLOW_NONE, 0));
	original.AddChild(child);

	BMessage archive;
	ASSERT_EQ(original.Archive(&archive, true), B_OK);
	const char* className;
	ASSERT_EQ(archive.FindString("class", &className), B_OK);
	EXPECT_STREQ(className, "BView");
	EXPECT_TRUE(validate_instantiation(&archive, "BView"));
	EXPECT_FALSE(validate_instantiation(&archive, "BButton"));
	EXPECT_EQ(errno, B_MISMATCHED_VALUES);

	// Flattened and back, as it crosses to another process.
	std::vector<char> flat(archive.FlattenedSize());
	ASSERT_EQ(archive.Flatten(flat.data(), flat.size()), B_OK);
	BMessage copy;
	ASSERT_EQ(copy.Unflatten(flat.data(), flat.size()), B_OK);

	BView* made = dynamic_cast<BView*>(instantiate_object(&copy));
	ASSERT_NE(made, nullptr);
	EXPECT_STREQ(made->Name(), "original");
	EXPECT_EQ(made->Frame(), original.Frame());
	EXPECT_EQ(made->ResizingMode(), (uint32)B_FOLLOW_ALL);
	EXPECT_EQ(made->Flags(), (uint32)(B_WILL_DRAW | B_PULSE_NEEDED));
	EXPECT_EQ(made->ViewColor(), make_color(1, 2, 3));
	EXPECT_EQ(made->HighColor(), make_color(10, 20, 30));
	EXPECT_EQ(made->LowColor(), make_color(40, 50, 60, 128));
	EXPECT_EQ(made->PenLocation(), BPoint(7, 8));
	BFont font, originalFont;
	made->GetFont(&font);
	original.GetFont(&originalFont);
	EXPECT_EQ(font.Size(), 17.0f);
	font_family family, originalFamily;
	font_style style, originalStyle;
	font.GetFamilyAndStyle(&family, &style);
	originalFont.GetFamilyAndStyle(&originalFamily, &originalStyle);
	EXPECT_STREQ(family, originalFamily);
	EXPECT_STREQ(style, originalStyle);
	ASSERT_EQ(made->CountChildren(), 1);
	BView* madeChild = made->ChildAt(0);
	EXPECT_STREQ(madeChild->Name(), "child");
	EXPECT_TRUE(madeChild->IsHidden());
	ASSERT_EQ(madeChild->CountChildren(), 1);
	EXPECT_STREQ(madeChild->ChildAt(0)->Name(), "grandchild");
	delete made;

	// Not deep: the view alone.
	BMessage shallow;
	ASSERT_EQ(original.Archive(&shallow, false), B_OK);
	BView* alone = dynamic_cast<BView*>(instantiate_object(&shallow));
	ASSERT_NE(alone, nullptr);
	EXPECT_EQ(alone->CountChildren(), 0);
	delete alone;
}

TEST_F(ArchiveTest, ArchivesWithoutUsableCodeMakeNothing)
{
	BMessage empty;
	errno = 0;
	EXPECT_EQ(instantiate_object(&empty), nullptr);
	EXPECT_EQ(errno, B_BAD_VALUE);
	EXPECT_EQ(instantiate_object(NULL), nullptr);

	BMessage unknown;
	unknown.AddString("class", "TNoSuchClass");
	EXPECT_EQ(instantiate_object(&unknown), nullptr);
	EXPECT_EQ(errno, B_NAME_NOT_FOUND);
	EXPECT_EQ(find_instantiation_func("TNoSuchClass"), nullptr);
	EXPECT_EQ(find_instantiation_func("Not a name"), nullptr);
	EXPECT_NE(find_instantiation_func("BView"), nullptr);

	// A module that is not there, or holds no such class.
	unknown.AddString("add_on", "/nonexistent/module.so");
	image_id image = 99;
	EXPECT_EQ(instantiate_object(&unknown, &image), nullptr);
	EXPECT_EQ(image, -1);
	BMessage wrongModule;
	wrongModule.AddString("class", "TNoSuchClass");
	wrongModule.AddString("add_on", kModule);
	EXPECT_EQ(instantiate_object(&wrongModule, &image), nullptr);
	EXPECT_EQ(errno, B_NAME_NOT_FOUND);

	// An archive of one class handed to another's Instantiate.
	BMessage handler;
	handler.AddString("class", "BHandler");
	EXPECT_EQ(BView::Instantiate(&handler), nullptr);
}

TEST_F(ArchiveTest, AddOnsAreLoadedAndSearchedBySymbol)
{
	EXPECT_EQ(load_add_on("/nonexistent/module.so"), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(load_add_on(NULL), B_BAD_VALUE);
	EXPECT_EQ(load_add_on("/etc/hostname"), B_MISSING_LIBRARY);

	image_id image = load_add_on(kModule);
	ASSERT_GE(image, 0);
	void* function = NULL;
	EXPECT_EQ(get_image_symbol(image, "_ZN10TDemoBadge11InstantiateEP8BMessage",
		B_SYMBOL_TYPE_TEXT, &function), B_OK);
	EXPECT_NE(function, nullptr);
	EXPECT_EQ(get_image_symbol(image, "no_such_symbol", B_SYMBOL_TYPE_ANY, &function),
		B_MISSING_SYMBOL);
	EXPECT_EQ(unload_add_on(image), B_OK);
	EXPECT_EQ(unload_add_on(image), B_BAD_IMAGE_ID);
	EXPECT_EQ(get_image_symbol(image, "x", B_SYMBOL_TYPE_ANY, &function), B_BAD_IMAGE_ID);
}

TEST_F(ArchiveTest, TreeArchivedInAnotherProcessDrawsTheSamePixelsHere)
{
	char folder[] = "/tmp/murmelo-archive-XXXXXX";
	ASSERT_NE(mkdtemp(folder), nullptr);
	std::string archivePath = std::string(folder) + "/tree.archive";
	std::string theirs = BTest::ScreenshotPath("archive-peer");
	std::string ours = BTest::ScreenshotPath("archive-instantiated");

	const char* argv[] = {kPeer, archivePath.c_str(), theirs.c_str(), NULL};
	thread_id peer = load_image(3, argv, NULL);
	ASSERT_GE(peer, 0);
	status_t exitValue = -1;
	ASSERT_EQ(wait_for_thread(peer, &exitValue), B_OK);
	ASSERT_EQ(exitValue, 0);

	std::ifstream file(archivePath, std::ios::binary);
	std::vector<char> flat((std::istreambuf_iterator<char>(file)),
		std::istreambuf_iterator<char>());
	unlink(archivePath.c_str());
	rmdir(folder);
	BMessage archive;
	ASSERT_EQ(archive.Unflatten(flat.data(), flat.size()), B_OK);

	// The badges' class is in no image of this process until the archive
	// names its module.
	EXPECT_EQ(find_instantiation_func("TDemoBadge"), nullptr);
	BView* tree = dynamic_cast<BView*>(instantiate_object(&archive));
	ASSERT_NE(tree, nullptr);
	EXPECT_NE(find_instantiation_func("TDemoBadge"), nullptr);
	ASSERT_EQ(tree->CountChildren(), 3);

	BWindow* window = new BWindow(kDemoFrame, "Archive host", B_TITLED_WINDOW, 0);
	window->AddChild(tree);
	window->Show();
	ASSERT_TRUE(BTest::Sync(window));
	ASSERT_EQ(BTest::WriteWindowPNG(window, ours.c_str()), B_OK);
	window->Lock();
	window->Quit();

	uint32 theirWidth = 0, theirHeight = 0, ourWidth = 0, ourHeight = 0;
	std::vector<uint32> theirPixels = read_png(theirs, &theirWidth, &theirHeight);
	std::vector<uint32> ourPixels = read_png(ours, &ourWidth, &ourHeight);
	ASSERT_FALSE(theirPixels.empty());
	EXPECT_EQ(ourWidth, theirWidth);
	EXPECT_EQ(ourHeight, theirHeight);
	EXPECT_TRUE(ourPixels == theirPixels) << "compare " << theirs << " with " << ours;
	// The badge drew, not only its view colour: its yellow is there.
	EXPECT_NE(std::find(ourPixels.begin(), ourPixels.end(), 0xfffac800U), ourPixels.end());
}
