#ifndef _SEPARATOR_ITEM_H
#define _SEPARATOR_ITEM_H

#include <MenuItem.h>

// A line between groups of items: never enabled, never chosen, no message.
class BSeparatorItem : public BMenuItem {
public:
	BSeparatorItem();
	virtual ~BSeparatorItem();

	void SetEnabled(bool enabled) override;

protected:
	void GetContentSize(float* width, float* height) override;
	void Draw() override;
};

#endif
