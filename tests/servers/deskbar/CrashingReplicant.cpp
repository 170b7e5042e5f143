// A Deskbar item whose drawing crashes: what a broken replicant does.
#include <View.h>

namespace {

class TCrasher : public BView {
public:
	TCrasher()
		:
		BView(BRect(0, 0, 15, 15), "Crasher", 0, B_WILL_DRAW)
	{
	}

	void Draw(BRect) override
	{
		volatile int* nowhere = NULL;
		*nowhere = 1;
	}
};

} // namespace

extern "C" BView*
instantiate_deskbar_item()
{
	return new TCrasher();
}
