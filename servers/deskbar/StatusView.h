#ifndef STATUS_VIEW_H
#define STATUS_VIEW_H

#include <View.h>

class BShelf;

// The Deskbar's "Status" view: the container of the replicants, and the
// way scripting reaches their shelf ("Shelf").
class TStatusView : public BView {
public:
	TStatusView(BRect frame);

	BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier, int32 what,
		const char* property) override;

	void SetShelf(BShelf* shelf) { fShelf = shelf; }
	BShelf* Shelf() const { return fShelf; }

private:
	BShelf* fShelf = NULL;
};

#endif
