#include "AppTestSupport.h"

#include "app/LotteryForm.h"
#include "app/MainForm.h"
#include "app/SelectOptionForm.h"
#include "platform/win/Colors.h"

using uitest::AdvanceTime;
using uitest::PixelAt;
using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

// The main window open over the store, with the given prizes and stored options.
TMainForm* StartMain(TMemoryDrawStore* Store, std::initializer_list<std::pair<const char*, Integer>> Prizes)
{
    for (const auto& P : Prizes)
        Store->AddPrize(P.first, P.second);
    auto* Main = New<TMainForm>(Application);
    Main->Show();
    PumpUntilIdle();
    return Main;
}

} // namespace

TEST_F(AppTest, OptionsWindowCancelsEvenWithEntriesThatAreNoNumbers)
{
    Store->Working.Options = TDrawOptions{7, 4, 4, false, "Nothing here"};
    Store->Commit();
    StartMain(Store, {{"Pen", 3}});

    // Stored options fill the window; an entry that is no number cannot be stored, and the
    // window still closes on Esc, keeping the stored options.
    Inside([&] {
        auto* O = Active<TSelectOptionForm>();
        ASSERT_NE(O, nullptr);
        EXPECT_EQ(O->person->Text(), "7");
        EXPECT_EQ(O->row->Text(), "4");
        EXPECT_EQ(O->col->Text(), "4");
        EXPECT_EQ(O->noReward->Text(), "Nothing here");
        EXPECT_FALSE(O->showGift->Checked());
        O->person->SetText("abc");
        PressKey(VK_ESCAPE);
    });
    PressKey(VK_F3);
    EXPECT_EQ(Active<TSelectOptionForm>(), nullptr);
    EXPECT_EQ(Active<TLotteryForm>(), nullptr) << "a cancel shows no board";
    ASSERT_TRUE(Store->Working.Options);
    EXPECT_EQ(Store->Working.Options->Person, 7);

    // Valid entries are stored on a cancel too, but not committed; the next window shows them.
    Inside([&] {
        auto* O = Active<TSelectOptionForm>();
        ASSERT_NE(O, nullptr);
        O->person->SetText("9");
        O->Close(); // the window frame's close
    });
    PressKey(VK_F3);
    EXPECT_EQ(Store->Working.Options->Person, 9);
    EXPECT_EQ(Store->Committed.Options->Person, 7) << "a cancel commits nothing";
    Inside([&] {
        auto* O = Active<TSelectOptionForm>();
        ASSERT_NE(O, nullptr);
        EXPECT_EQ(O->person->Text(), "9");
        PressKey(VK_ESCAPE);
    });
    PressKey(VK_F3);
}

TEST_F(AppTest, PrizeNamedLikeTheNoPrizeTextIsStillAPrize)
{
    const TPrizeId Odd = Store->AddPrize("No prize", 2);
    StartMain(Store, {});
    Inside([&] {
        auto* O = Active<TSelectOptionForm>();
        ASSERT_NE(O, nullptr);
        O->person->SetText("1");
        O->row->SetText("1");
        O->col->SetText("3");
        PressKey(VK_F4);
    });
    Then([&] {
        auto* B = Active<TLotteryForm>();
        ASSERT_NE(B, nullptr);
        EXPECT_EQ(B->gift->Caption(), "Prize: 2");
        // A prize cell away from the highlight is painted as a prize, though its text is the
        // no-prize text.
        const Integer PrizeCol = B->Board().CellPrize(1, 0) == Odd ? 1 : 2;
        ASSERT_EQ(B->Board().CellPrize(PrizeCol, 0), Odd);
        const TRect R = B->grid->CellRect(PrizeCol, 0);
        EXPECT_EQ(PixelAt(B->grid->Handle(), R.Left + 2, R.Top + 2), ColorToRGB(RGB(0, 128, 0)));
        PressKey(VK_F4);
        AdvanceTime(5000);
        const Integer Landed = B->Board().HighlightCol();
        EXPECT_EQ(B->Board().CellPrize(Landed, 0), Odd) << "the one person wins a unit";
        EXPECT_EQ(B->gift->Caption(), "Prize: 1") << "and the counter sees it as a prize";
        EXPECT_EQ(Store->Find(Store->Committed, Odd)->Quantity, 1);
        EXPECT_FALSE(B->saveAction->Enabled());
        EXPECT_TRUE(B->exitAction->Enabled());
        PressKey(VK_ESCAPE);
    });
    PressKey(VK_F3);
    EXPECT_EQ(Active<TLotteryForm>(), nullptr);
}

TEST_F(AppTest, BoardHidesItsCountersWhenAskedAndOpensOnTheFirstCell)
{
    StartMain(Store, {{"Pen", 2}});
    Inside([&] {
        auto* O = Active<TSelectOptionForm>();
        ASSERT_NE(O, nullptr);
        O->person->SetText("4");
        O->showGift->SetChecked(false);
        PressKey(VK_F4);
    });
    Then([&] {
        auto* B = Active<TLotteryForm>();
        ASSERT_NE(B, nullptr);
        EXPECT_FALSE(B->showPanel->Visible());
        const TRect R = B->grid->CellRect(0, 0);
        EXPECT_EQ(PixelAt(B->grid->Handle(), R.Left + 2, R.Top + 2), ColorToRGB(clHighlight))
            << "the board opens with the first cell highlighted";
        // 5 x 5 cells fill the grid, every one of them whole.
        EXPECT_GE(B->grid->ColWidths(0), B->grid->ClientWidth() / 5 - 4);
        EXPECT_GE(B->grid->DefaultRowHeight(), B->grid->ClientHeight() / 5 - 2);
        EXPECT_EQ(B->grid->VisibleRowCount(), 5);
        EXPECT_EQ(B->grid->VisibleColCount(), 5);
        PressKey(VK_ESCAPE);
    });
    PressKey(VK_F3);
    ASSERT_TRUE(Store->Committed.Options);
    EXPECT_FALSE(Store->Committed.Options->ShowGift);
    EXPECT_EQ(Store->Working.Take, std::vector<Integer>{2});
    EXPECT_EQ(Store->Committed.Take, std::vector<Integer>{0}) << "durable only with a draw's commit";
}
