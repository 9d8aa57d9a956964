#include "dropdowns/DadOrorUdur.h"
#include "dropdowns/ItemSelector.h"
#include "dropdowns/VadHeader.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PixelAt;
using uitest::PumpUntilIdle;

namespace {

class LooksTest : public ::testing::Test {
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
        Form->Show();
        Edit->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    TForm* Form = nullptr;
    TDadOrorUdur* Edit = nullptr;
};

TEST_F(LooksTest, EveryStylePaintsPopupHeaderAndFooterInItsColours)
{
    // Rows of the style tables, for the colours a person sees first: the popup's background at
    // its left, the header's and footer's border lines, and the buttons' normal colour.
    struct Look {
        ZEDAVozor Style;
        TColor Popup, HeaderBorder, FooterBorder, ButtonColor;
    };
    const Look Looks[] = {
        {tsOffice2003Blue, 0xFFFFFF, 0x000000, 0x962D00, 0xFCE1CB},
        {tsOffice2003Silver, 0xFFFFFF, 0x947C7C, 0x947C7C, 0xECE2E1},
        {tsOffice2003Olive, 0xFFFFFF, 0x588060, 0x588060, 0xCFF0EA},
        {tsOffice2003Classic, 0xF2F2F2, 0x808080, 0x808080, 0xFFFFFF},
        {tsOffice2007Luna, 0xF3E5DA, 0xFFD2AF, 0xFFD2AF, 0xFFEFE3},
        {tsOffice2007Obsidian, 0xFFFFFF, 0x5C534C, 0x5C534C, 0xF2F1F0},
        {tsWindowsXP, 0xFFFFFF, 0x808080, 0x808080, 0xFFFFFF},
        {tsWhidbey, 0xF5F9FA, 0x962D00, 0x962D00, 0xFFFFFF},
        {tsOffice2007Silver, 0xF8F4F1, 0x74706F, 0x74706F, 0xF9F8F8},
        {tsWindowsVista, 0xFFFFFF, 0xFCF2DA, 0xFCF2DA, 0xFFFDF9},
        {tsWindows7, 0xFFFFFF, 0xFBD6B8, 0xFBD6B8, 0xFDFBFA},
        {tsTerminal, 0xFFFFFF, clNone, clNone, clBtnFace},
    };
    for (const Look& L : Looks) {
        SCOPED_TRACE(L.Style);
        Edit->SetComponentStyle(L.Style);
        EXPECT_EQ(Edit->ComponentStyle(), L.Style);
        EXPECT_EQ(Edit->DropDownColor(), L.Popup);
        EXPECT_EQ(Edit->ButtonAppearance()->Color(), L.ButtonColor);
        uitest::AdvanceTime(300);
        Edit->ShowDropDown();
        PumpUntilIdle();
        ASSERT_TRUE(Edit->DroppedDown());
        TDropDownForm* P = Edit->DropDownForm();
        const int Middle = P->ClientHeight() / 2;
        EXPECT_EQ(PixelAt(P->Handle(), 1, Middle), ColorToRGB(L.Popup));
        TVadHeader* H = P->FVadHeader;
        TVadFooter* F = P->FVadFooter;
        ASSERT_TRUE(H && F);
        if (L.HeaderBorder != clNone) {
            EXPECT_EQ(PixelAt(H->Handle(), H->Width() / 2, H->Height() - 1), ColorToRGB(L.HeaderBorder));
            EXPECT_EQ(PixelAt(F->Handle(), F->Width() / 2, 0), ColorToRGB(L.FooterBorder));
        } else {
            // No border: the header's gradient (here a solid colour) runs to its edge.
            EXPECT_EQ(PixelAt(H->Handle(), H->Width() / 2, H->Height() - 1), ColorToRGB(clBtnFace));
        }
        Edit->HideDropDown(false);
        PumpUntilIdle();
    }
}

TEST_F(LooksTest, StylesLeaveWhatTheirTablesLeave)
{
    Edit->SetDropDownBorderColor(0x123456);
    Edit->SetComponentStyle(tsOffice2003Blue);
    EXPECT_EQ(Edit->DropDownBorderColor(), 0x123456u); // unchanged by this style
    EXPECT_EQ(Edit->DropDownHeader()->BorderColor(), 0x000000u);
    EXPECT_EQ(Edit->DropDownFooter()->BorderColor(), 0x962D00u);
    Edit->SetComponentStyle(tsWindowsVista);
    EXPECT_EQ(Edit->DropDownBorderColor(), 0x979797u);
    // The footer's gradient runs the other way round.
    EXPECT_EQ(Edit->DropDownHeader()->Color(), Edit->DropDownFooter()->ColorTo());
    EXPECT_EQ(Edit->DropDownHeader()->ColorTo(), Edit->DropDownFooter()->Color());
    EXPECT_EQ(Edit->ButtonAppearance()->BorderColorChecked(), 0xFEDF9Au);
    // tsCustom records the style and nothing else.
    Edit->SetComponentStyle(tsCustom);
    EXPECT_EQ(Edit->ComponentStyle(), tsCustom);
    EXPECT_EQ(Edit->DropDownBorderColor(), 0x979797u);
    EXPECT_EQ(Edit->DropDownHeader()->Color(), 0xFFFDF9u);
}

TEST_F(LooksTest, SelectionLooks)
{
    EXPECT_EQ(Edit->SelectionColorStyle(), scOffice2007);
    EXPECT_EQ(Edit->SelectionColor(), 0xD7FFFDu);
    EXPECT_EQ(Edit->SelectionColorTo(), 0x58D4FCu);
    Edit->SetSelectionColorStyle(scWindows7);
    EXPECT_EQ(Edit->SelectionColor(), 0xFCEBDCu);
    Edit->SetSelectionColor(0x00FF00);
    Edit->SetSelectionColorStyle(scCustom);
    EXPECT_EQ(Edit->SelectionColor(), 0x00FF00u); // custom keeps the colours

    TBitmap B;
    B.SetSize(60, 30);
    B.Canvas()->Brush()->SetColor(0xFFFFFF);
    B.Canvas()->FillRect(TRect{0, 0, 60, 30});
    Edit->DrawSelectionBackground(B.Canvas(), TRect{5, 5, 55, 25}, 0xFFFFFF, gpFull);
    EXPECT_EQ(B.Canvas()->Pixels(30, 15), 0x00FF00u);
    EXPECT_EQ(B.Canvas()->Pixels(2, 2), 0xFFFFFFu);
    // The gradient look: framed in the style's border colour.
    Edit->SetSelectionColorStyle(scWindows7);
    Edit->DrawSelectionBackground(B.Canvas(), TRect{5, 5, 55, 25}, 0xFFFFFF, gpFull);
    EXPECT_EQ(B.Canvas()->Pixels(30, 5), 0xCEA27Du);
}

TEST_F(LooksTest, ItemListsTakeTheStyle)
{
    TItemAppearance A(nullptr);
    A.ColorHotText = 0x0000FF;
    Edit->SetAppearanceStyle(&A, tsWindowsXP);
    EXPECT_EQ(A.ColorHotText, 0u);
    EXPECT_EQ(A.ColorSelected, clHighlight);
    EXPECT_EQ(A.ColorSelectedText, clHighlightText);
    EXPECT_EQ(A.BorderColorTop, clNone);
    Edit->SetAppearanceStyle(&A, tsOffice2007Luna);
    EXPECT_EQ(A.ColorMirrorSelectedTo, 0x7AE1FEu);
    EXPECT_EQ(A.EdgeColor, 0xC3D9DFu);
    Edit->SetAppearanceStyle(&A, tsCustom);
    EXPECT_EQ(A.EdgeColor, 0xC3D9DFu);
}

TEST_F(LooksTest, FlatLookMarksTheButtonWhileTheMouseIsOver)
{
    Edit->SetFlat(true);
    auto* Other = New<TDadOrorUdur>(Form);
    Other->SetParent(Form);
    Other->SetBounds(20, 100, 100, 21);
    PumpUntilIdle();
    Other->SetFocus(); // the active control counts as under the mouse
    PumpUntilIdle();
    uitest::MoveMouse(Edit->Handle(), 20, 10);
    EXPECT_TRUE(Edit->DropDownButton()->Button()->Focused());
    uitest::MoveMouse(Form->Handle(), 300, 250);
    EXPECT_FALSE(Edit->DropDownButton()->Button()->Focused());
}

} // namespace
