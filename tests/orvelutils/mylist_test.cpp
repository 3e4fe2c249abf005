#include "mylist.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Counts its own destructions, to tell an unlink from a destroy.
struct Tracked {
    Tracked(int v, int* deaths) : value(v), deaths(deaths) {}
    ~Tracked() { ++*deaths; }
    int value;
    int* deaths;
};

std::vector<int> Values(const CMyList<Tracked>& list)
{
    std::vector<int> values;
    for (const Tracked* t : list)
        values.push_back(t->value);
    return values;
}

}  // namespace

TEST(OwningList, KeepsOrderAndOwnership)
{
    int deaths = 0;
    {
        CMyList<Tracked> list;
        for (int v : {1, 2, 3, 4})
            list.AddTail(std::make_unique<Tracked>(v, &deaths));
        EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(list.GetAt(0)->value, 1);
        EXPECT_EQ(list.GetAt(4), nullptr);

        std::unique_ptr<Tracked> second = list.RemoveAt(1);
        EXPECT_EQ(second->value, 2);
        EXPECT_EQ(deaths, 0) << "removing unlinks without destroying";
        EXPECT_EQ(list.RemoveAt(7), nullptr);

        list.DeleteAt(0);
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(Values(list), (std::vector<int>{3, 4}));
        EXPECT_EQ(list.Find(list.GetAt(1)), 1u);
        EXPECT_EQ(list.Find(second.get()), std::nullopt);

        list.AddTail(std::make_unique<Tracked>(6, &deaths));
        const auto odd = list.RemoveIf([](const Tracked* t) { return t->value % 2 == 1; });
        ASSERT_EQ(odd.size(), 1u);
        EXPECT_EQ(odd[0]->value, 3);
        EXPECT_EQ(Values(list), (std::vector<int>{4, 6})) << "the rest keeps its order";
        EXPECT_EQ(deaths, 1);

        list.DeleteAll();
        EXPECT_EQ(deaths, 3);
        EXPECT_TRUE(list.IsEmpty());
        list.AddTail(std::make_unique<Tracked>(5, &deaths));
    }
    EXPECT_EQ(deaths, 6) << "the list destroys what it holds; the removed one died with its owner";
}
