#ifndef DEMO_BADGE_H
#define DEMO_BADGE_H

#include <View.h>

// A view whose code lives in a shared module: what a replicant offered to
// another process looks like.
class TDemoBadge : public BView {
public:
	TDemoBadge(BRect frame, const char* name, const char* text, rgb_color color);
	TDemoBadge(BMessage* archive);

	status_t Archive(BMessage* into, bool deep = true) const override;
	static BArchivable* Instantiate(BMessage* archive);

	void Draw(BRect update) override;

private:
	BString fText;
	rgb_color fColor;
};

#endif
