#include "AppTestSupport.h"

#include "app/RewardForm.h"
#include "app/RewardListForm.h"
#include "platform/rtl/Conversions.h"

using uitest::PressKey;

namespace {

// The prize list over the memory store, driven by keys and clicks as a person would: Pen,
// Mug, Cup and Hat stored.
class PrizeListTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        for (const char* Name : {"Pen", "Mug", "Cup", "Hat"})
            Store->AddPrize(Name, 3);
    }

    // Opens the list modally; Check runs inside it and ends by closing it.
    void OpenList(std::function<void()> Check)
    {
        L = New<TRewardListForm>(Application);
        Then([=, this] {
            ASSERT_EQ(Active<TRewardListForm>(), L);
            Check();
        });
        L->ShowModal();
        EXPECT_TRUE(Steps.empty());
        L->Free();
        L = nullptr;
    }

    std::vector<Integer> ShownSelected() { return HighlightedRows(L->grid); }

    void Click(Integer Row, bool Ctrl = false)
    {
        // Apart in time: two clicks on one row are no double click.
        uitest::AdvanceTime(1000);
        const TRect Cell = L->grid->CellRect(1, Row);
        if (Ctrl)
            uitest::KeyDown(VK_CONTROL);
        uitest::Click(L->grid->Handle(), (Cell.Left + Cell.Right) / 2, (Cell.Top + Cell.Bottom) / 2);
        if (Ctrl)
            uitest::KeyUp(VK_CONTROL);
    }

    // The name the editor opened by Key shows (closed again with Esc); the message instead when
    // one comes.
    AnsiString Edited(UINT Key)
    {
        AnsiString Shown = "(nothing)";
        Inside([&] {
            if (auto* E = Active<TRewardForm>())
                Shown = E->name->Text();
            else if (auto* M = Active<TYesNoForm>())
                Shown = M->msg->Caption();
            PressKey(VK_ESCAPE);
        });
        PressKey(Key);
        return Shown;
    }

    static std::string Prizes(const std::vector<TPrizeStock>& List)
    {
        std::string S;
        for (const TPrizeStock& P : List)
            S += P.Name + "=" + IntToStr(P.Quantity) + " ";
        return S;
    }

    TRewardListForm* L = nullptr;
};

using Rows = std::vector<Integer>;

} // namespace

// The editor filled and saved by the keyboard alone: the name, Enter, the quantity, Enter lands
// on "Save F4", Enter saves. Tab follows the same order, round to the name.
TEST_F(PrizeListTest, EditorIsFilledAndSavedByKeysAlone)
{
    OpenList([this] {
        Inside([this] {
            auto* E = Active<TRewardForm>();
            ASSERT_NE(E, nullptr);
            std::vector<AnsiString> Order;
            for (int I = 0; I < 4; ++I) {
                Order.push_back(E->ActiveControl() ? E->ActiveControl()->Name() : "(none)");
                PressKey(VK_TAB);
            }
            Order.push_back(E->ActiveControl()->Name());
            EXPECT_EQ(Order,
                      (std::vector<AnsiString>{"name", "quantity", "saveButton", "cancelButton", "name"}));

            uitest::TypeText("Lamp 檯燈");
            PressKey(VK_RETURN);
            ASSERT_EQ(E->ActiveControl(), E->quantity);
            uitest::TypeText("12");
            EXPECT_EQ(E->quantity->Text(), "12") << "the default quantity is replaced by what is typed";
            PressKey(VK_RETURN);
            ASSERT_EQ(E->ActiveControl(), E->saveButton);
            EXPECT_EQ(E->saveButton->Caption(), "Save F4");
            PressKey(VK_RETURN);
            EXPECT_EQ(E->ModalResult(), 1) << "saved";
        });
        PressKey(VK_F2);
        EXPECT_EQ(Prizes(Store->Committed.Prizes), "Pen=3 Mug=3 Cup=3 Hat=3 Lamp 檯燈=12 ");
        ASSERT_EQ(L->grid->RowCount(), 6);
        EXPECT_EQ(L->grid->Cells(1, 5), "Lamp 檯燈");
        EXPECT_EQ(L->grid->Cells(2, 5), "12");
        EXPECT_EQ(L->ActiveControl(), L->grid) << "the keys are back in the list";
        PressKey(VK_ESCAPE);
    });
}

// The list opens with the keys in the grid and its first prize selected: the arrows move the
// selection, Enter edits the prize shown selected, and F4 asks about that prize, also after a
// refill.
TEST_F(PrizeListTest, ListOpensInTheGridWithTheFirstPrizeSelected)
{
    OpenList([this] {
        EXPECT_EQ(L->ActiveControl(), L->grid);
        EXPECT_EQ(ShownSelected(), Rows{1});
        EXPECT_EQ(Edited(VK_RETURN), "Pen");
        PressKey(VK_DOWN);
        PressKey(VK_DOWN);
        EXPECT_EQ(ShownSelected(), Rows{3});
        EXPECT_EQ(Edited(VK_RETURN), "Cup");
        EXPECT_EQ(Edited(VK_F3), "Cup");

        // "No" keeps every prize; the refilled list selects its first row, and that is what
        // Delete asks about.
        EXPECT_EQ(Answered([] { PressKey(VK_F4); }, VK_ESCAPE), "Delete 'Cup' ?");
        EXPECT_EQ(ShownSelected(), Rows{1});
        EXPECT_EQ(Answered([] { PressKey(VK_F4); }, VK_ESCAPE), "Delete 'Pen' ?");
        // So after an insert cancelled (a refill too).
        PressKey(VK_DOWN);
        EXPECT_EQ(Edited(VK_F2), "");
        EXPECT_EQ(ShownSelected(), Rows{1});
        EXPECT_EQ(Answered([] { PressKey(VK_F4); }), "Delete 'Pen' ?");
        EXPECT_EQ(Prizes(Store->Committed.Prizes), "Mug=3 Cup=3 Hat=3 ");
        EXPECT_EQ(ShownSelected(), Rows{1});
        EXPECT_EQ(Edited(VK_RETURN), "Mug");
        PressKey(VK_ESCAPE);
    });
}

// Rows chosen with the mouse: what shows highlighted is exactly what Edit and Delete take.
TEST_F(PrizeListTest, RowsShownSelectedAreTheRowsEditAndDeleteTake)
{
    OpenList([this] {
        Click(3, true);
        EXPECT_EQ(ShownSelected(), (Rows{1, 3})) << "Ctrl adds to the row selected at the start";
        EXPECT_EQ(Answered([] { PressKey(VK_F4); }, VK_ESCAPE), "Delete 2 records?");
        EXPECT_EQ(Prizes(Store->Committed.Prizes), "Pen=3 Mug=3 Cup=3 Hat=3 ");

        Click(2);
        EXPECT_EQ(ShownSelected(), Rows{2});
        Click(4, true);
        EXPECT_EQ(ShownSelected(), (Rows{2, 4}));
        EXPECT_EQ(Edited(VK_F3), "Hat") << "of several, the one clicked last";
        Click(4, true);
        EXPECT_EQ(ShownSelected(), Rows{2}) << "Ctrl on a selected row takes it out";
        EXPECT_EQ(Edited(VK_F3), "Mug");
        Click(2, true);
        EXPECT_EQ(ShownSelected(), Rows{});
        EXPECT_EQ(Edited(VK_F3), "No record selected.");
        EXPECT_EQ(Answered([] { PressKey(VK_F4); }), "No record selected.");

        // A sweep over three rows selects the three.
        const TRect From = L->grid->CellRect(1, 1), To = L->grid->CellRect(1, 3);
        uitest::Drag(L->grid->Handle(), From.Left + 20, (From.Top + From.Bottom) / 2, To.Left + 20,
                     (To.Top + To.Bottom) / 2);
        EXPECT_EQ(ShownSelected(), (Rows{1, 2, 3}));
        EXPECT_EQ(Answered([] { PressKey(VK_F4); }, VK_ESCAPE), "Delete 3 records?");

        Click(1);
        Click(3, true);
        EXPECT_EQ(Answered([] { PressKey(VK_F4); }), "Delete 2 records?");
        EXPECT_EQ(Prizes(Store->Committed.Prizes), "Mug=3 Hat=3 ");
        ASSERT_EQ(L->grid->RowCount(), 3);
        EXPECT_EQ(ShownSelected(), Rows{1});
        EXPECT_EQ(Answered([] { PressKey(VK_F4); }, VK_ESCAPE), "Delete 'Mug' ?");
        PressKey(VK_ESCAPE);
    });
}
