#include "dropdowns/ItemSelector.h"

#include "platform/forms/Forms.h"
#include "platform/forms/ImgList.h"
#include "platform/rtl/Conversions.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PumpUntilIdle;

namespace {

class ItemSelectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Sel = New<TVadCustomItemSelector>(Form);
        Sel->SetParent(Form);
        Sel->SetBounds(10, 10, 300, 250);
        Sel->OnItemSelect = [this](TObject* Sender) {
            EXPECT_EQ(Sender, Sel);
            ++Selects;
        };
        Form->Show();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void AddItems(std::initializer_list<const char*> Captions)
    {
        for (const char* C : Captions)
            Sel->Items()->Add()->SetCaption(C);
    }
    TSize CaptionSize(const AnsiString& S)
    {
        TCanvas* C = Sel->Panel()->Canvas();
        C->Font()->Assign(Sel->ItemAppearance()->Font());
        TSize Size;
        DadOrorUdur::DrawHTMLEX(C, S, TRect{0, 0, 1000, 500}, nullptr, false, nullptr, Size);
        return Size;
    }

    TForm* Form = nullptr;
    TVadCustomItemSelector* Sel = nullptr;
    int Selects = 0;
};

TEST_F(ItemSelectorTest, CellsAreSizedByTheWidestCaptionAndLargestBox)
{
    auto* Images = New<TImageList>(Form);
    Images->SetWidth(16);
    Images->SetHeight(16);
    Sel->SetImages(Images);
    AddItems({"Red", "Yellowish", "Blue"});
    for (int I = 0; I < 3; ++I)
        Sel->Items()->Items(I)->SetImageIndex(0);
    const int TextWidth =
        std::max({CaptionSize("Red").cx, CaptionSize("Yellowish").cx, CaptionSize("Blue").cx});
    const int TextHeight = CaptionSize("Yellowish").cy;
    const TRect R = Sel->Panel()->GetItemRect(0);
    EXPECT_EQ(R.Width(), 4 + 16 + 4 + TextWidth + 4 + 4);
    EXPECT_EQ(R.Height(), std::max(TextHeight, 16) + 8);
    EXPECT_EQ(R.Left, 2);
    EXPECT_EQ(Sel->Panel()->GetItemRect(1).Top, R.Bottom); // one column: one under the other

    // Colour boxes without captions: the box and the padding.
    Sel->Items()->Clear();
    Sel->SetSelectorType(stColor);
    for (int I = 0; I < 10; ++I)
        Sel->Items()->Add()->SetColor(TColor(0x10 * I));
    EXPECT_EQ(Sel->Panel()->GetItemRect(0).Width(), 22);
    EXPECT_EQ(Sel->Panel()->GetItemRect(0).Height(), 22);
    Sel->SetColumns(0); // ignored
    EXPECT_EQ(Sel->Columns(), 1);
    Sel->SetColumns(4);
    EXPECT_EQ(Sel->Panel()->GetItemRect(3).Top, 2);
    EXPECT_EQ(Sel->Panel()->GetItemRect(4).Left, 2);
    EXPECT_EQ(Sel->Panel()->GetItemRect(9).Top, 2 + 2 * 22); // three rows, the last with two
    EXPECT_EQ(Sel->Panel()->GetItemRect(9).Left, 2 + 22);
    EXPECT_EQ(Sel->Panel()->GetItemRect(10).Left, -1);
}

TEST_F(ItemSelectorTest, PanelSizeFromTheCells)
{
    Sel->OnItemSize = [](TObject*, TSize& Size) { Size = TSize{20, 18}; };
    Sel->SetColumns(3);
    AddItems({"a", "b", "c", "d", "e", "f", "g"});
    TSize Size;
    Sel->GetItemPanelSize(Size);
    EXPECT_EQ(Size.cx, 64);
    EXPECT_EQ(Size.cy, 58);
    Sel->Items()->Clear();
    Sel->GetItemPanelSize(Size);
    EXPECT_EQ(Size.cx, 100);
    EXPECT_EQ(Size.cy, 50);
    // A zero cell height shows nothing instead of dividing by zero.
    Sel->OnItemSize = [](TObject*, TSize& Size) { Size = TSize{20, 0}; };
    AddItems({"a"});
    EXPECT_EQ(Sel->GetVisibleItemCount(), 0);
}

TEST_F(ItemSelectorTest, KeysOfThePickerAndTypeAhead)
{
    AddItems({"<b>Green</b>", "Grey", "Blue", "Black"});
    Sel->Items()->Items(2)->SetEnabledItem(false);
    Sel->SelectPrevious(); // nothing selected: the first
    EXPECT_EQ(Sel->ItemIndex(), 0);
    Sel->SelectPrevious();
    EXPECT_EQ(Sel->ItemIndex(), 0);
    Sel->SelectNext();
    EXPECT_EQ(Sel->ItemIndex(), 1);
    Sel->SelectNext(); // the disabled item cannot be selected
    EXPECT_EQ(Sel->ItemIndex(), 1);
    Sel->SelectLast();
    EXPECT_EQ(Sel->ItemIndex(), 3);
    Sel->SelectNext();
    EXPECT_EQ(Sel->ItemIndex(), 3);
    Sel->SetItemIndex(2);
    EXPECT_EQ(Sel->ItemIndex(), 3);
    EXPECT_EQ(Selects, 3);
    // Type-ahead: the markup does not count, the first match wins.
    EXPECT_TRUE(Sel->LookupItem("GR"));
    EXPECT_EQ(Sel->ItemIndex(), 0);
    EXPECT_TRUE(Sel->LookupItem("GREY"));
    EXPECT_EQ(Sel->ItemIndex(), 1);
    EXPECT_FALSE(Sel->LookupItem("X"));
    EXPECT_FALSE(Sel->LookupItem(""));
    EXPECT_EQ(Sel->ItemIndex(), 1);
    Sel->HotNext();
    Sel->HotNext();
    EXPECT_EQ(Sel->GetItemHot(), 1);
}

TEST_F(ItemSelectorTest, MouseMakesHotAndSelects)
{
    AddItems({"One", "Two", "Three"});
    Sel->Items()->Items(1)->SetEnabledItem(false);
    PumpUntilIdle();
    TCustomItemSelector* P = Sel->Panel();
    const TRect R0 = P->GetItemRect(0), R1 = P->GetItemRect(1), R2 = P->GetItemRect(2);
    uitest::MoveMouse(P->Handle(), R0.Left + 3, R0.Top + 3);
    EXPECT_EQ(Sel->GetItemHot(), 0);
    EXPECT_NE(uitest::PixelAt(P->Handle(), R0.Left + 2, R0.Top + R0.Height() / 2), ColorToRGB(clWindow));
    EXPECT_EQ(uitest::PixelAt(P->Handle(), R2.Left + 2, R2.Top + R2.Height() / 2), ColorToRGB(clWindow));
    uitest::MoveMouse(P->Handle(), R1.Left + 3, R1.Top + 3);
    EXPECT_EQ(Sel->GetItemHot(), -1); // disabled
    uitest::Click(P->Handle(), R1.Left + 3, R1.Top + 3);
    EXPECT_EQ(Sel->ItemIndex(), -1);
    uitest::Click(P->Handle(), R2.Left + 3, R2.Top + 3);
    EXPECT_EQ(Sel->ItemIndex(), 2);
    EXPECT_EQ(Selects, 1);
}

TEST_F(ItemSelectorTest, OwnerDrawingComesAfterTheHighlight)
{
    Sel->ItemAppearance()->SetColorStyle(scCustom);
    Sel->ItemAppearance()->BorderColorTop = clNone;
    Sel->ItemAppearance()->ColorSelected = 0x00FF00;
    Sel->ItemAppearance()->ColorSelectedTo = clNone;
    Sel->ItemAppearance()->BorderColor = clNone;
    std::vector<Integer> Drawn;
    Sel->OnDrawItem = [&](TObject*, TCanvas*, TRect, Integer Index) { Drawn.push_back(Index); };
    AddItems({"One", "Two"});
    Sel->SetItemIndex(1);
    Sel->Panel()->Repaint();
    PumpUntilIdle();
    const TRect R = Sel->Panel()->GetItemRect(1);
    EXPECT_EQ(uitest::PixelAt(Sel->Panel()->Handle(), R.Left + 5, R.Top + 5), 0x00FF00u);
    EXPECT_FALSE(Drawn.empty());
}

TEST_F(ItemSelectorTest, SelectingScrollsTheItemIntoView)
{
    Sel->SetBounds(10, 10, 200, 60);
    for (int I = 0; I < 20; ++I)
        Sel->Items()->Add()->SetCaption("Item " + IntToStr(I));
    PumpUntilIdle();
    ASSERT_TRUE(Sel->VertScrollBar()->IsScrollBarVisible());
    Sel->SetItemIndex(15);
    PumpUntilIdle();
    const TRect R = Sel->Panel()->GetItemRect(15);
    const int Bottom = R.Bottom + Sel->Panel()->Top();
    EXPECT_LE(Bottom, Sel->ClientHeight());
    EXPECT_GE(R.Top + Sel->Panel()->Top(), 0);
    Sel->SelectFirst();
    PumpUntilIdle();
    EXPECT_EQ(Sel->Panel()->GetItemRect(0).Top + Sel->Panel()->Top(), 0);
}

TEST(ItemAppearance, StylesAndAssign)
{
    TItemAppearance A(nullptr);
    EXPECT_EQ(A.ColorStyle(), scOffice2007);
    EXPECT_EQ(A.ColorHot, 0xD7FFFDu);
    EXPECT_EQ(A.ColorSelectedText, 0u);
    A.SetColorStyle(scWindows7);
    EXPECT_EQ(A.BorderColor, 0xCEA27Du);
    EXPECT_EQ(A.ColorMirrorHot, clNone);
    // A styled source into a target of another style: the target's preset is reloaded.
    TItemAppearance B(nullptr);
    A.ColorHot = 0x123456;
    B.Assign(&A);
    EXPECT_EQ(B.ColorStyle(), scWindows7);
    EXPECT_EQ(B.ColorHot, 0xFCEBDCu);
}

TEST(ItemSelectorPanel, NeedsASelectorAsOwner)
{
    uitest::Start();
    TForm* F = New<TForm>(Application);
    EXPECT_THROW(New<TCustomItemSelector>(F), Exception);
    F->Free();
}

} // namespace
