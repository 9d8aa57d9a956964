#include "platform/rtl/Lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// Pointers that read as small numbers, so a list's contents can be compared as numbers.
Pointer P(std::intptr_t N)
{
    return reinterpret_cast<Pointer>(N);
}

std::vector<std::intptr_t> Values(const TList& List)
{
    std::vector<std::intptr_t> Result;
    for (Integer I = 0; I < List.Count(); ++I)
        Result.push_back(reinterpret_cast<std::intptr_t>(List.Items(I)));
    return Result;
}

// Counts its own destruction, so ownership faults show as wrong counts (or as ASan findings).
struct TCounted : TObject {
    explicit TCounted(int& ACounter) : Counter(ACounter) {}
    ~TCounted() override { ++Counter; }
    int& Counter;
};

} // namespace

TEST(List, EditingOperations)
{
    TList List;
    EXPECT_EQ(List.Add(P(1)), 0);
    EXPECT_EQ(List.Add(P(2)), 1);
    List.Insert(0, P(3));
    List.Insert(3, P(4));
    EXPECT_EQ(Values(List), (std::vector<std::intptr_t>{3, 1, 2, 4}));
    EXPECT_EQ(List.First(), P(3));
    EXPECT_EQ(List.Last(), P(4));
    List.Exchange(0, 3);
    EXPECT_EQ(Values(List), (std::vector<std::intptr_t>{4, 1, 2, 3}));
    List.Move(0, 2);
    EXPECT_EQ(Values(List), (std::vector<std::intptr_t>{1, 2, 4, 3}));
    List.Move(3, 0);
    EXPECT_EQ(Values(List), (std::vector<std::intptr_t>{3, 1, 2, 4}));
    EXPECT_EQ(List.IndexOf(P(2)), 2);
    EXPECT_EQ(List.IndexOf(P(9)), -1);
    EXPECT_EQ(List.Remove(P(1)), 1);
    EXPECT_EQ(List.Remove(P(1)), -1);
    EXPECT_EQ(List.Extract(P(2)), P(2));
    EXPECT_EQ(List.Extract(P(2)), nullptr);
    List.Delete(0);
    EXPECT_EQ(Values(List), (std::vector<std::intptr_t>{4}));
    List.SetItems(0, P(5));
    EXPECT_EQ(Values(List), (std::vector<std::intptr_t>{5}));

    List.SetCount(4);
    EXPECT_EQ(Values(List), (std::vector<std::intptr_t>{5, 0, 0, 0}));
    List.SetItems(2, P(6));
    List.Pack();
    EXPECT_EQ(Values(List), (std::vector<std::intptr_t>{5, 6}));
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(List.Capacity(), 0);
}

TEST(List, CapacityGrowsAndCannotDropBelowCount)
{
    TList List;
    for (int I = 1; I <= 100; ++I)
        List.Add(P(I));
    EXPECT_GE(List.Capacity(), 100);
    List.SetCapacity(100);
    EXPECT_EQ(List.Capacity(), 100);
    try {
        List.SetCapacity(99);
        ADD_FAILURE();
    } catch (const EListError& E) {
        EXPECT_EQ(E.Message(), "List capacity out of bounds (99)");
    }
    try {
        List.SetCount(-1);
        ADD_FAILURE();
    } catch (const EListError& E) {
        EXPECT_EQ(E.Message(), "List count out of bounds (-1)");
    }
}

TEST(List, IndexErrorsNameTheIndex)
{
    TList List;
    List.Add(P(1));
    List.Add(P(2));
    const struct {
        std::function<void()> Action;
        const char* Message;
    } Cases[] = {
        {[&] { List.Items(2); }, "List index out of bounds (2)"},
        {[&] { List.Items(-1); }, "List index out of bounds (-1)"},
        {[&] { List.SetItems(5, nullptr); }, "List index out of bounds (5)"},
        {[&] { List.Delete(2); }, "List index out of bounds (2)"},
        {[&] { List.Insert(3, P(9)); }, "List index out of bounds (3)"},
        {[&] { List.Insert(-1, P(9)); }, "List index out of bounds (-1)"},
        {[&] { List.Exchange(1, 2); }, "List index out of bounds (2)"},
        {[&] { List.Move(0, 7); }, "List index out of bounds (7)"},
    };
    for (const auto& Case : Cases) {
        try {
            Case.Action();
            ADD_FAILURE() << "no exception for " << Case.Message;
        } catch (const EListError& E) {
            EXPECT_EQ(E.Message(), Case.Message);
        }
    }
    EXPECT_EQ(Values(List), (std::vector<std::intptr_t>{1, 2}));

    TList Empty;
    EXPECT_THROW(Empty.First(), EListError);
    EXPECT_THROW(Empty.Last(), EListError);
}

TEST(List, SortOrdersByTheCompareFunction)
{
    TList List;
    std::vector<std::intptr_t> Expected;
    for (int I = 0; I < 500; ++I) {
        const std::intptr_t V = (I * 7919) % 503 - 250;
        List.Add(P(V));
        Expected.push_back(V);
    }
    // Duplicates and already sorted runs.
    for (int I = 0; I < 50; ++I) {
        List.Add(P(7));
        Expected.push_back(7);
    }
    auto Ascending = [](Pointer A, Pointer B) {
        const auto X = reinterpret_cast<std::intptr_t>(A), Y = reinterpret_cast<std::intptr_t>(B);
        return X < Y ? -1 : X > Y ? 1 : 0;
    };
    List.Sort(Ascending);
    std::sort(Expected.begin(), Expected.end());
    EXPECT_EQ(Values(List), Expected);
    List.Sort(Ascending);
    EXPECT_EQ(Values(List), Expected);
    List.Sort([&](Pointer A, Pointer B) { return Ascending(B, A); });
    std::reverse(Expected.begin(), Expected.end());
    EXPECT_EQ(Values(List), Expected);
}

TEST(List, SortSurvivesAnInconsistentCompare)
{
    const std::vector<TListSortCompare> Compares = {
        [](Pointer, Pointer) { return -1; },
        [](Pointer, Pointer) { return 1; },
        [](Pointer A, Pointer) { return reinterpret_cast<std::intptr_t>(A) % 2 == 0 ? -1 : 1; },
    };
    for (const auto& Compare : Compares) {
        TList List;
        for (int I = 0; I < 300; ++I)
            List.Add(P(I));
        List.Sort(Compare);
        auto Sorted = Values(List);
        std::sort(Sorted.begin(), Sorted.end());
        std::vector<std::intptr_t> All(300);
        for (int I = 0; I < 300; ++I)
            All[static_cast<std::size_t>(I)] = I;
        EXPECT_EQ(Sorted, All) << "the sort must only permute";
    }
}

TEST(ObjectList, DeletesOwnedObjectsOnEveryWayOut)
{
    int Freed = 0;
    {
        TObjectList List;
        for (int I = 0; I < 6; ++I)
            List.Add(new TCounted(Freed));
        List.Delete(0);
        EXPECT_EQ(Freed, 1);
        List.Remove(List.Items(0));
        EXPECT_EQ(Freed, 2);
        List.SetItems(0, new TCounted(Freed));
        EXPECT_EQ(Freed, 3);
        TObject* Kept = List.Extract(List.Items(1));
        EXPECT_EQ(Freed, 3);
        delete Kept;
        EXPECT_EQ(Freed, 4);
        List.SetCount(2);
        EXPECT_EQ(Freed, 5);
        EXPECT_EQ(List.Count(), 2);
    }
    EXPECT_EQ(Freed, 7) << "every object made is deleted exactly once";
}

TEST(ObjectList, DoesNotDeleteWhenNotOwning)
{
    int Freed = 0;
    TCounted A(Freed), B(Freed);
    {
        TObjectList List(false);
        List.Add(&A);
        List.Add(&B);
        List.Delete(0);
        List.Clear();
        List.Add(&A);
    }
    EXPECT_EQ(Freed, 0);
    TObjectList List;
    EXPECT_TRUE(List.OwnsObjects());
    List.SetOwnsObjects(false);
    List.Add(&A);
}
