#include "dropdowns/VadButton.h"

#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PumpUntilIdle;

namespace {

class VadButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Edit = New<TDadOrorUdur>(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(20, 20, 200, 21);
        Edit->SetDropDownHeight(120);
        Edit->SetDropDownWidth(200);
        Edit->OnDropUp = [this](TObject*, bool Cancelled) { DropUps.push_back(Cancelled); };
        Form->Show();
        Edit->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }

    // A button on the open popup, closing it through the dropdown.
    TVadButton* PopupButton(TModalResult Result, Integer X = 10)
    {
        auto* B = New<TVadButton>(Edit->DropDownForm());
        B->SetParent(Edit->DropDownForm());
        B->SetBounds(X, 50, 60, 22); // between the header and the footer
        B->SetAppearance(Edit->ButtonAppearance());
        B->SetDadOrorUdur(Edit);
        B->SetModalResult(Result);
        B->OnClick = [this](TObject*) { ++Clicks; };
        return B;
    }
    void Drop()
    {
        uitest::AdvanceTime(300);
        Edit->ShowDropDown();
        PumpUntilIdle();
    }

    TForm* Form = nullptr;
    TDadOrorUdur* Edit = nullptr;
    std::vector<bool> DropUps;
    int Clicks = 0;
};

TEST_F(VadButtonTest, ModalResultsCloseThePopup)
{
    struct Case {
        TModalResult Result;
        bool Closes;
        bool Cancelled;
    };
    const Case Cases[] = {{mrOk, true, false},  {mrCancel, true, true},  {mrNo, true, true},
                          {mrYes, true, false}, {mrRetry, false, false}, {mrNone, false, false}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Result);
        Drop();
        ASSERT_TRUE(Edit->DroppedDown());
        TVadButton* B = PopupButton(C.Result);
        PumpUntilIdle();
        DropUps.clear();
        Clicks = 0;
        uitest::Click(B->Handle(), 20, 10);
        EXPECT_EQ(Clicks, 1); // the button's event comes after the closing
        EXPECT_EQ(Edit->DroppedDown(), !C.Closes);
        if (C.Closes)
            EXPECT_EQ(DropUps, std::vector<bool>{C.Cancelled});
        EXPECT_EQ(Edit->DropDownForm()->ModalResult(), C.Result);
        if (Edit->DroppedDown())
            Edit->HideDropDown(false);
        B->Free();
        PumpUntilIdle();
    }
}

TEST_F(VadButtonTest, EnterClicksWithoutTheEvent)
{
    Drop();
    TVadButton* B = PopupButton(mrOk);
    PumpUntilIdle();
    SendMessage(B->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    PumpUntilIdle();
    EXPECT_FALSE(Edit->DroppedDown());
    EXPECT_EQ(Clicks, 0);
    EXPECT_EQ(DropUps, std::vector<bool>{false});
}

TEST_F(VadButtonTest, PressDragOutAndReleaseOutsideDoesNotClick)
{
    Drop();
    TVadButton* B = PopupButton(mrNone);
    PumpUntilIdle();
    uitest::MoveMouse(B->Handle(), 20, 10);
    EXPECT_TRUE(B->MouseInside());
    uitest::MouseDown(B->Handle(), 20, 10);
    EXPECT_EQ(B->State(), absDown);
    uitest::MoveMouse(B->Handle(), 120, 40);
    EXPECT_FALSE(B->MouseInside());
    EXPECT_EQ(B->State(), absUp);
    uitest::MouseUp(B->Handle(), 120, 40);
    EXPECT_EQ(Clicks, 0);
    EXPECT_TRUE(Edit->DroppedDown());
}

TEST_F(VadButtonTest, GroupedButtonsAreExclusive)
{
    Drop();
    TVadButton* A = PopupButton(mrNone, 10);
    TVadButton* B = PopupButton(mrNone, 80);
    A->SetGroupIndex(1);
    B->SetGroupIndex(1);
    PumpUntilIdle();
    uitest::Click(A->Handle(), 10, 10);
    EXPECT_TRUE(A->Down());
    uitest::Click(B->Handle(), 10, 10);
    EXPECT_TRUE(B->Down());
    EXPECT_FALSE(A->Down());
    // A down button stays down unless the group allows all up.
    uitest::Click(B->Handle(), 10, 10);
    EXPECT_TRUE(B->Down());
    B->SetAllowAllUp(true);
    EXPECT_TRUE(A->AllowAllUp()); // handed on to the group
    uitest::Click(B->Handle(), 10, 10);
    EXPECT_FALSE(B->Down());
    // Without a group a plain button never stays down.
    auto* C = PopupButton(mrNone, 150);
    C->SetDown(true);
    EXPECT_FALSE(C->Down());
}

TEST_F(VadButtonTest, SizesToItsCaptionAndPaintsHot)
{
    auto* B = New<TVadButton>(Form);
    B->SetParent(Form);
    B->SetAppearance(Edit->ButtonAppearance());
    B->SetCaption("OK");
    B->SetAutoSizeEx();
    TCanvas* C = B->Canvas();
    C->Font()->Assign(Edit->ButtonAppearance()->Font());
    const TSize Text = DadOrorUdur::GetTextSize(C, "OK");
    EXPECT_EQ(B->Width(), Text.cx + 8);
    EXPECT_EQ(B->Height(), Text.cy + 4);

    B->SetCaption("");
    B->SetBounds(10, 200, 40, 20);
    PumpUntilIdle();
    // Normal: no colour of its own, the form shows through.
    EXPECT_EQ(uitest::PixelAt(B->Handle(), 20, 10), uitest::PixelAt(Form->Handle(), 5, 195));
    uitest::MoveMouse(B->Handle(), 20, 10);
    PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(B->Handle(), 20, 10), Edit->ButtonAppearance()->ColorHot());
    EXPECT_EQ(uitest::PixelAt(B->Handle(), 0, 10), Edit->ButtonAppearance()->BorderColorHot());
    uitest::MoveMouse(Form->Handle(), 300, 10);
    uitest::AdvanceTime(20);
    EXPECT_FALSE(B->MouseInside());
}

TEST(DbgList, ChecksTheUpperBound)
{
    TDbgList L;
    int A = 1, B = 2;
    L.Add(&A);
    EXPECT_EQ(L.GetItemsEx(0), &A);
    try {
        L.GetItemsEx(1);
        FAIL();
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Index out of bounds in list read access");
    }
    try {
        L.SetItemsEx(1, &B);
        FAIL();
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Index out of bounds in list write access");
    }
    TList Other;
    Other.Add(&B);
    Other.Add(&A);
    L.AssignList(&Other);
    EXPECT_EQ(L.Count(), 2);
    EXPECT_EQ(L.ItemsEx(0), &B);
}

} // namespace
