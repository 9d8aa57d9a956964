#include "platform/rtl/Collections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TValueItem : public TCollectionItem {
public:
    explicit TValueItem(TCollection* Collection) : TCollectionItem(Collection) {}

    int Value = 0;
    std::string Caption;

    void Assign(TPersistent* Source) override
    {
        if (auto* Other = dynamic_cast<TValueItem*>(Source)) {
            Value = Other->Value;
            Caption = Other->Caption;
            Changed(false);
            return;
        }
        TCollectionItem::Assign(Source);
    }
    void Touch() { Changed(false); }

protected:
    AnsiString GetDisplayName() const override
    {
        return Caption.empty() ? TCollectionItem::GetDisplayName() : Caption;
    }
};

// Records Update and Notify calls as text: "U*" is Update(nullptr), "U3" Update of the item with
// value 3, "+3", "-3" (extracting) and "x3" (deleting) the notifications.
class TRecordingCollection : public TOwnedCollection {
public:
    explicit TRecordingCollection(TPersistent* AOwner = nullptr)
        : TOwnedCollection(AOwner, ItemClassOf<TValueItem>())
    {
    }
    ~TRecordingCollection() override { Log = nullptr; }

    TValueItem* AddValue(int Value)
    {
        auto* Item = static_cast<TValueItem*>(Add());
        Item->Value = Value;
        return Item;
    }
    std::vector<int> Values() const
    {
        std::vector<int> Result;
        for (Integer I = 0; I < Count(); ++I)
            Result.push_back(static_cast<TValueItem*>(Items(I))->Value);
        return Result;
    }

    std::vector<std::string>* Log = nullptr;
    // The item class seen by Notify on cnAdded: the item must already be a TValueItem.
    bool AddedWasWhole = true;

protected:
    void Update(TCollectionItem* Item) override
    {
        if (Log != nullptr)
            Log->push_back(Item == nullptr ? "U*"
                                           : "U" + std::to_string(static_cast<TValueItem*>(Item)->Value));
    }
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override
    {
        if (Action == cnAdded && dynamic_cast<TValueItem*>(Item) == nullptr)
            AddedWasWhole = false;
        if (Log != nullptr && Action != cnAdded) {
            const char* Mark = Action == cnExtracting ? "-" : "x";
            Log->push_back(Mark + std::to_string(static_cast<TValueItem*>(Item)->Value));
        }
    }
};

} // namespace

TEST(Collection, AddInsertDeleteAndIdsNeverReused)
{
    TRecordingCollection Collection;
    for (int V : {10, 20, 30})
        Collection.AddValue(V);
    EXPECT_TRUE(Collection.AddedWasWhole);
    EXPECT_EQ(Collection.Values(), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(Collection.Items(2)->ID(), 2);
    Collection.Delete(0);
    auto* Inserted = static_cast<TValueItem*>(Collection.Insert(1));
    Inserted->Value = 25;
    EXPECT_EQ(Collection.Values(), (std::vector<int>{20, 25, 30}));
    EXPECT_EQ(Inserted->ID(), 3);
    EXPECT_EQ(Inserted->Index(), 1);
    EXPECT_EQ(Collection.FindItemID(3), Inserted);
    EXPECT_EQ(Collection.FindItemID(0), nullptr);
    EXPECT_EQ(Inserted->Collection(), &Collection);
    EXPECT_EQ(Inserted->GetOwner(), &Collection);
}

TEST(Collection, NotificationsAndUpdates)
{
    TRecordingCollection Collection;
    std::vector<std::string> Log;
    Collection.AddValue(1);
    Collection.AddValue(2);
    Collection.AddValue(3);
    Collection.Log = &Log;

    Collection.Items(0)->SetIndex(2); // a move announces a change of every item
    EXPECT_EQ(Collection.Values(), (std::vector<int>{2, 3, 1}));
    static_cast<TValueItem*>(Collection.Items(0))->Touch();
    Collection.Delete(1);
    EXPECT_EQ(Log, (std::vector<std::string>{"U*", "U2", "x3", "-3", "U*"}));

    Log.clear();
    Collection.BeginUpdate();
    Collection.BeginUpdate();
    Collection.AddValue(4);
    static_cast<TValueItem*>(Collection.Items(0))->Touch();
    Collection.Items(0)->Free(); // an item freed directly leaves the collection
    Collection.EndUpdate();
    EXPECT_EQ(Log, (std::vector<std::string>{"-2"}));
    Collection.EndUpdate();
    EXPECT_EQ(Log, (std::vector<std::string>{"-2", "U*"}));
    EXPECT_EQ(Collection.Values(), (std::vector<int>{1, 4}));

    Log.clear();
    Collection.Clear();
    EXPECT_EQ(Log, (std::vector<std::string>{"-4", "-1", "U*"})) << "one Update for the whole clear";
    EXPECT_EQ(Collection.Count(), 0);
}

TEST(Collection, ItemMovesBetweenCollections)
{
    TRecordingCollection A, B;
    auto* Item = A.AddValue(7);
    Item->SetCollection(&B);
    EXPECT_EQ(A.Count(), 0);
    EXPECT_EQ(B.Count(), 1);
    EXPECT_EQ(Item->Collection(), &B);
    Item->SetCollection(nullptr);
    EXPECT_EQ(B.Count(), 0);
    EXPECT_EQ(Item->Index(), -1);
    Item->Free();
}

TEST(Collection, AssignCopiesItemsThroughTheirAssign)
{
    TRecordingCollection Source, Target;
    Source.AddValue(1)->Caption = "one";
    Source.AddValue(2);
    Target.AddValue(99);
    std::vector<std::string> Log;
    Target.Log = &Log;
    Target.Assign(&Source);
    EXPECT_EQ(Target.Values(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Target.Items(0)->DisplayName(), "one");
    EXPECT_EQ(Target.Items(1)->DisplayName(), "TValueItem");
    EXPECT_EQ(Log, (std::vector<std::string>{"-99", "U*"}));

    Target.SetItems(1, Source.Items(0));
    EXPECT_EQ(Target.Values(), (std::vector<int>{1, 1}));
}

TEST(Collection, IndexErrorsAndOwner)
{
    TPersistent Owner;
    TRecordingCollection Collection(&Owner);
    EXPECT_EQ(Collection.Owner(), &Owner);
    Collection.AddValue(1);
    Collection.AddValue(2);
    const struct {
        std::function<void()> Action;
        const char* Message;
    } Cases[] = {
        {[&] { Collection.Items(2); }, "List index out of bounds (2)"},
        {[&] { Collection.Delete(-1); }, "List index out of bounds (-1)"},
        {[&] { Collection.Insert(3); }, "List index out of bounds (3)"},
        {[&] { Collection.Items(0)->SetIndex(5); }, "List index out of bounds (5)"},
    };
    for (const auto& Case : Cases) {
        try {
            Case.Action();
            ADD_FAILURE() << "no exception for " << Case.Message;
        } catch (const EListError& E) {
            EXPECT_EQ(E.Message(), Case.Message);
        }
    }
    EXPECT_EQ(Collection.Values(), (std::vector<int>{1, 2})) << "a refused insert adds nothing";
}
