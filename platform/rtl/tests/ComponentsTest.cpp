#include "platform/rtl/Components.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Records the notifications it receives and can hold a reference to another component that it
// clears on opRemove, as the libraries' components do with their linked components.
class TProbe : public TComponent {
public:
    TProbe(TComponent* AOwner, std::vector<std::string>* ALog = nullptr, const char* AName = "")
        : TComponent(AOwner), Log(ALog)
    {
        SetName(AName);
    }
    ~TProbe() override
    {
        if (Log != nullptr)
            Log->push_back(Name() + " destroyed" +
                           (ComponentState().Contains(csDestroying) ? " (destroying)" : ""));
    }

    void Link(TProbe* Other)
    {
        Linked = Other;
        if (Other != nullptr)
            Other->FreeNotification(this);
    }

    TProbe* Linked = nullptr;
    std::function<void(TComponent*, TOperation)> OnNotify;
    std::vector<std::string>* Log;

    using TComponent::Loaded;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == Linked)
            Linked = nullptr;
        // Names, not the class, identify the others: a component being destroyed is no longer a
        // TProbe by the time its owner hears of it.
        if (Log != nullptr)
            Log->push_back(Name() + (Operation == opInsert ? " +" : " -") + AComponent->Name());
        if (OnNotify)
            OnNotify(AComponent, Operation);
    }
};

} // namespace

TEST(Component, OwnerDeletesOwnedComponentsLastFirst)
{
    std::vector<std::string> Log;
    auto* Owner = New<TProbe>(nullptr, &Log, "owner");
    New<TProbe>(Owner, &Log, "a");
    New<TProbe>(Owner, &Log, "b");
    EXPECT_EQ(Owner->ComponentCount(), 2);
    EXPECT_EQ(Owner->Components(1)->ComponentIndex(), 1);
    Log.clear();
    Owner->Free();
    EXPECT_EQ(Log, (std::vector<std::string>{"owner destroyed (destroying)", "a -b",
                                             "b destroyed (destroying)", "a destroyed (destroying)"}));
}

TEST(Component, FreedComponentLeavesOwnerAndTellsOwnerAndSiblings)
{
    std::vector<std::string> Log;
    auto* Owner = New<TProbe>(nullptr, &Log, "owner");
    auto* A = New<TProbe>(Owner, &Log, "a");
    auto* B = New<TProbe>(Owner, &Log, "b");
    Log.clear();
    A->Link(B);
    A->Free();
    EXPECT_EQ(Log, (std::vector<std::string>{"a destroyed (destroying)", "b -a", "owner -a"}));
    EXPECT_EQ(Owner->ComponentCount(), 1);
    EXPECT_EQ(Owner->Components(0), B);
    Log.clear();
    B->Free();
    EXPECT_EQ(Log, (std::vector<std::string>{"b destroyed (destroying)", "owner -b"}));
    EXPECT_EQ(Owner->ComponentCount(), 0);
    Owner->Free();
}

TEST(Component, FreeNotificationAcrossOwnersClearsReferences)
{
    auto* FormA = New<TProbe>(nullptr);
    auto* FormB = New<TProbe>(nullptr);
    auto* Source = New<TProbe>(FormA);
    auto* User1 = New<TProbe>(FormB);
    auto* User2 = New<TProbe>(FormB);
    User1->Link(Source);
    User2->Link(Source);
    Source->Free();
    EXPECT_EQ(User1->Linked, nullptr);
    EXPECT_EQ(User2->Linked, nullptr);
    // The links were dropped on both sides: freeing the rest must not reach the freed source.
    FormB->Free();
    FormA->Free();
}

TEST(Component, DestroyingAnOwnerWithCrossLinkedComponentsIsSafe)
{
    // Each order of destruction runs under the address sanitizer: a link left behind would be a
    // use after free.
    for (int Order = 0; Order < 4; ++Order) {
        auto* Form1 = New<TProbe>(nullptr);
        auto* Form2 = New<TProbe>(nullptr);
        auto* A = New<TProbe>(Form1);
        auto* B = New<TProbe>(Form1);
        auto* C = New<TProbe>(Form2);
        A->Link(B);
        A->Link(C);
        C->Link(A);
        B->Link(A);
        C->FreeNotification(B);
        C->Link(Form1); // a component linked to another's owner
        Form1->Link(C);
        switch (Order) {
        case 0:
            Form1->Free();
            EXPECT_EQ(C->Linked, nullptr);
            Form2->Free();
            break;
        case 1:
            Form2->Free();
            EXPECT_EQ(B->Linked, A);
            EXPECT_EQ(Form1->Linked, nullptr);
            Form1->Free();
            break;
        case 2:
            C->Free();
            EXPECT_EQ(B->Linked, A);
            A->Free();
            EXPECT_EQ(B->Linked, nullptr);
            Form1->Free();
            Form2->Free();
            break;
        default:
            delete Form1; // without Free: the destructor alone must be as safe
            delete Form2;
            break;
        }
    }
}

TEST(Component, NotificationThatFreesAnotherComponentIsSafe)
{
    auto* Owner = New<TProbe>(nullptr);
    auto* A = New<TProbe>(Owner);
    auto* B = New<TProbe>(Owner);
    auto* C = New<TProbe>(Owner);
    auto* D = New<TProbe>(Owner);
    (void)C;
    // When A goes, D frees B: the owner's walk over its list must cope with the list shrinking.
    D->OnNotify = [&](TComponent* AComponent, TOperation Operation) {
        if (AComponent == A && Operation == opRemove && B != nullptr) {
            TProbe* Victim = B;
            B = nullptr;
            Victim->Free();
        }
    };
    A->Free();
    EXPECT_EQ(Owner->ComponentCount(), 2);
    Owner->Free();
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwner)
{
    auto* Owner = New<TProbe>(nullptr);
    auto* A = New<TProbe>(Owner);
    auto* B = New<TProbe>(Owner);
    const struct {
        const char* Name;
        const char* Error;
    } Cases[] = {
        {"Button1", nullptr},
        {"_private", nullptr},
        {"", nullptr},
        {"1st", "'1st' is not a valid component name"},
        {"two words", "'two words' is not a valid component name"},
        {"Grüße", "'Grüße' is not a valid component name"},
        {"a-b", "'a-b' is not a valid component name"},
    };
    for (const auto& Case : Cases) {
        try {
            A->SetName(Case.Name);
            EXPECT_EQ(Case.Error, nullptr) << Case.Name;
            EXPECT_EQ(A->Name(), Case.Name);
        } catch (const EComponentError& E) {
            ASSERT_NE(Case.Error, nullptr) << Case.Name;
            EXPECT_EQ(E.Message(), Case.Error);
        }
    }
    A->SetName("Edit1");
    try {
        B->SetName("EDIT1");
        ADD_FAILURE();
    } catch (const EComponentError& E) {
        EXPECT_EQ(E.Message(), "A component named EDIT1 already exists");
    }
    EXPECT_EQ(B->Name(), "");
    A->SetName("EDIT1"); // its own name in another case is no clash
    EXPECT_EQ(Owner->FindComponent("edit1"), A);
    EXPECT_EQ(Owner->FindComponent(""), nullptr);
    EXPECT_EQ(Owner->FindComponent("Missing"), nullptr);

    // The same name under another owner is fine; moving a component into an owner that has the
    // name taken is refused.
    auto* Other = New<TProbe>(nullptr);
    auto* C = New<TProbe>(Other);
    C->SetName("Edit1");
    EXPECT_THROW(Owner->InsertComponent(C), EComponentError);
    C->SetName("Edit2");
    Owner->InsertComponent(C);
    EXPECT_EQ(C->Owner(), Owner);
    EXPECT_EQ(Other->ComponentCount(), 0);
    EXPECT_EQ(Owner->FindComponent("edit2"), C);
    Other->Free();
    Owner->Free();
}

TEST(Component, StateTagAndIndexErrors)
{
    auto* Owner = New<TProbe>(nullptr);
    auto* Child = New<TProbe>(Owner);
    Child->SetTag(-42);
    EXPECT_EQ(Child->Tag(), -42);
    EXPECT_TRUE(Child->ComponentState().Empty());
    Owner->SetDesigning(true);
    EXPECT_TRUE(Child->ComponentState().Contains(csDesigning));
    Owner->SetDesigning(false, false);
    EXPECT_FALSE(Owner->ComponentState().Contains(csDesigning));
    EXPECT_TRUE(Child->ComponentState().Contains(csDesigning));
    EXPECT_EQ(Child->GetOwner(), Owner);
    EXPECT_EQ(Owner->ComponentIndex(), -1);
    try {
        Owner->Components(1);
        ADD_FAILURE();
    } catch (const EListError& E) {
        EXPECT_EQ(E.Message(), "List index out of bounds (1)");
    }
    Owner->Free();
}
