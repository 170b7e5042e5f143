#ifndef _BE_LIST_H
#define _BE_LIST_H

#include <SupportDefs.h>

#include <vector>

// An ordered list of untyped pointers; it never owns what it holds.
class BList {
public:
	BList(int32 count = 20);
	BList(const BList& other) = default;
	virtual ~BList() = default;
	BList& operator=(const BList& other) = default;

	bool AddItem(void* item);
	bool AddItem(void* item, int32 index);
	bool AddList(const BList* list);
	bool AddList(const BList* list, int32 index);
	bool RemoveItem(void* item);
	void* RemoveItem(int32 index);
	bool RemoveItems(int32 index, int32 count);
	bool ReplaceItem(int32 index, void* item);
	void MakeEmpty();
	bool SwapItems(int32 indexA, int32 indexB);
	bool MoveItem(int32 fromIndex, int32 toIndex);
	void SortItems(int (*compare)(const void*, const void*));

	void* ItemAt(int32 index) const;
	void* FirstItem() const;
	void* LastItem() const;
	void* Items() const { return (void*)fItems.data(); }
	bool HasItem(void* item) const { return IndexOf(item) >= 0; }
	int32 IndexOf(void* item) const;
	int32 CountItems() const { return (int32)fItems.size(); }
	bool IsEmpty() const { return fItems.empty(); }

	void DoForEach(bool (*func)(void* item));
	void DoForEach(bool (*func)(void* item, void* arg), void* arg);

private:
	std::vector<void*> fItems;
};

#endif
