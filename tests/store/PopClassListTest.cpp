#include <PopClass.h>

#include <gtest/gtest.h>

#include <string.h>

namespace {

Tliste*
node(const char* text)
{
	Tliste* record = new Tliste;
	memset(record, 0, sizeof(Tliste));
	strncpy(record->message, text, sizeof(record->message) - 1);
	return record;
}

// The texts from the cursor's first node to its last, walking the links.
std::string
texts(PopClass& store)
{
	std::string all;
	Tliste* at = store.getPop();
	if (at == NULL)
		return all;
	while (at->previous() != NULL)
		at = at->previous();
	for (; at != NULL; at = at->next())
		all += std::string(at->message) + ",";
	return all;
}

void
fill(PopClass& store, int count)
{
	static const char* names[] = {"a", "b", "c", "d", "e"};
	for (int i = 0; i < count; i++)
		store.ajoute(node(names[i]));
}

} // namespace

TEST(PopClassList, EmptyListIsAtPositionOneAndIgnoresMoves)
{
	PopClass store;
	EXPECT_TRUE(store.vide());
	EXPECT_EQ(store.getPop(), nullptr);
	EXPECT_EQ(store.getNbPop(), 0);
	EXPECT_EQ(store.getPopCourant(), 1);
	store.debut();
	store.fin();
	store.suivant();
	store.precedent();
	store.efface();
	store.ajoute(NULL);
	EXPECT_TRUE(store.vide());
	EXPECT_EQ(store.getNbPop(), 0);
	EXPECT_EQ(store.getPopCourant(), 1);
}

TEST(PopClassList, AppendKeepsCursorAndOrder)
{
	PopClass store;
	fill(store, 3);
	EXPECT_FALSE(store.vide());
	EXPECT_EQ(store.getNbPop(), 3);
	EXPECT_EQ(store.getPopCourant(), 1);
	EXPECT_STREQ(store.getPop()->message, "a");
	EXPECT_EQ(texts(store), "a,b,c,");

	store.fin();
	store.precedent();
	store.ajoute(node("d"));
	EXPECT_EQ(store.getPopCourant(), 2);
	EXPECT_STREQ(store.getPop()->message, "b");
	EXPECT_EQ(texts(store), "a,b,c,d,");
}

TEST(PopClassList, MovesStopAtTheEnds)
{
	PopClass store;
	fill(store, 3);
	store.precedent();
	EXPECT_EQ(store.getPopCourant(), 1);
	store.suivant();
	store.suivant();
	store.suivant();
	EXPECT_EQ(store.getPopCourant(), 3);
	EXPECT_STREQ(store.getPop()->message, "c");
	store.debut();
	EXPECT_EQ(store.getPopCourant(), 1);
	EXPECT_STREQ(store.getPop()->message, "a");
	store.fin();
	EXPECT_EQ(store.getPopCourant(), 3);
	EXPECT_STREQ(store.getPop()->message, "c");
}

TEST(PopClassList, DeletingTheLastNodeMovesBack)
{
	PopClass store;
	fill(store, 3);
	store.fin();
	store.efface();
	EXPECT_EQ(store.getNbPop(), 2);
	EXPECT_EQ(store.getPopCourant(), 2);
	EXPECT_STREQ(store.getPop()->message, "b");
	EXPECT_EQ(store.getPop()->next(), nullptr);
	EXPECT_EQ(texts(store), "a,b,");
}

TEST(PopClassList, DeletingAMiddleOrFirstNodeMovesForward)
{
	PopClass store;
	fill(store, 3);
	store.suivant();
	store.efface();
	EXPECT_EQ(store.getNbPop(), 2);
	EXPECT_EQ(store.getPopCourant(), 2);
	EXPECT_STREQ(store.getPop()->message, "c");
	EXPECT_EQ(texts(store), "a,c,");

	store.debut();
	store.efface();
	EXPECT_EQ(store.getPopCourant(), 1);
	EXPECT_STREQ(store.getPop()->message, "c");
	EXPECT_EQ(store.getPop()->previous(), nullptr);

	store.efface();
	EXPECT_TRUE(store.vide());
	EXPECT_EQ(store.getNbPop(), 0);
	EXPECT_EQ(store.getPopCourant(), 1);
}

TEST(PopClassList, DeleteAllFromAnywhereEmptiesTheList)
{
	PopClass store;
	fill(store, 5);
	store.suivant();
	store.suivant();
	Tliste* middle = store.getPop();
	uint32 handle = tliste_handle(middle);
	ASSERT_NE(handle, 0u);
	store.effacetout();
	EXPECT_TRUE(store.vide());
	EXPECT_EQ(store.getNbPop(), 0);
	EXPECT_EQ(store.getPopCourant(), 1);
	EXPECT_EQ(tliste_node(handle), nullptr);

	fill(store, 2);
	EXPECT_EQ(texts(store), "a,b,");
}

TEST(PopClassList, NodeLinksAreHandlesOfThisProcess)
{
	// Links read from a file are garbage here: the list sets its own.
	Tliste* first = node("x");
	Tliste* second = node("y");
	first->suivant = 0xdeadbeef;
	first->precedent = 7;
	second->suivant = 12345;
	PopClass store;
	store.ajoute(first);
	store.ajoute(second);
	EXPECT_EQ(first->next(), second);
	EXPECT_EQ(first->previous(), nullptr);
	EXPECT_EQ(second->previous(), first);
	EXPECT_EQ(second->next(), nullptr);
	EXPECT_EQ(tliste_node(first->suivant), second);
	EXPECT_EQ(tliste_node(0xdeadbeef), nullptr);
}

TEST(PopClassList, NodeAlreadyInAListIsNotTakenTwice)
{
	PopClass one;
	PopClass two;
	fill(one, 2);
	Tliste* taken = one.getPop();
	two.ajoute(taken);
	one.ajoute(taken);
	EXPECT_TRUE(two.vide());
	EXPECT_EQ(one.getNbPop(), 2);
	EXPECT_EQ(texts(one), "a,b,");
}

TEST(PopClassList, HandlesAreReusedAfterDeletion)
{
	PopClass store;
	fill(store, 1);
	uint32 handle = tliste_handle(store.getPop());
	store.efface();
	Tliste* again = node("z");
	store.ajoute(again);
	EXPECT_EQ(tliste_handle(again), handle);
	EXPECT_EQ(tliste_node(handle), again);
}
