#ifndef TAB_VIEW_H
#define TAB_VIEW_H

#include <View.h>

class BFont;

// A row of equal tabs along the top edge and, below them, the page of the
// selected tab; the other pages are hidden.
class TabView : public BView {
public:
	TabView(BRect frame, const char* name, const char** tabNames, int32 count,
		uint32 resizingMode, uint32 flags, const BFont* font);
	virtual ~TabView();

	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void FrameResized(float width, float height) override;

	// Takes count page views in tab order; all but the selected one start hidden.
	void AddViews(BView** views);
	virtual void SelectTab(int32 index);
	BRect GetContentArea() const { return fContentArea; }
	float GetTabsWidth() const;

	int32 Selection() const { return fSelected; }
	int32 CountTabs() const { return fCount; }
	BRect TabFrame(int32 index) const;
	BRect LabelFrame(int32 index) const;
	BPoint LabelPoint(int32 index) const;

private:
	rgb_color _OtherTabColor() const;

	char** fTabNames;
	BView** fPages;
	int32 fCount;
	int32 fSelected;
	BRect* fTabFrames;
	BRect* fLabelFrames;
	BPoint* fLabelPoints;
	BRect fBounds;
	BRect fContentArea;
};

#endif
