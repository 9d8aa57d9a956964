#include "dropdowns/ZerUdiraZiruziZidaZore.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <set>

using uitest::PumpUntilIdle;

namespace {

class ColorPanelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->SetColor(0x00F0F0F0);
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    template <class T> T* Make()
    {
        T* P = New<T>(Form);
        P->SetParent(Form);
        P->SetLeft(10);
        P->SetTop(10);
        P->OnSelect = [this](TObject*) { ++Selects; };
        return P;
    }
    void ShowNow()
    {
        Form->Show();
        PumpUntilIdle();
    }

    TForm* Form = nullptr;
    int Selects = 0;
};

TEST_F(ColorPanelsTest, CubeLaysOutOneLargeHexagonAndHitTestsCircles)
{
    auto* Cube = Make<TVadColorCubePanel>();
    Cube->SetItemsPosition();
    EXPECT_EQ(Cube->Width(), 182);
    EXPECT_EQ(Cube->Height(), 160);
    std::set<TColor> Colors;
    for (int I = 1; I <= 127; ++I)
        Colors.insert(Cube->Cell(I).Color);
    EXPECT_EQ(Colors.size(), 127u);
    EXPECT_EQ(Cube->Cell(64).Color, 0xFFFFFF);
    EXPECT_EQ(Cube->Cell(64).Center.X, 91);
    EXPECT_EQ(Cube->Cell(64).Center.Y, 80);
    EXPECT_EQ(Cube->Cell(127).Color, 0x2100A5);
    struct Case {
        int X, Y, Cell;
    } Cases[] = {
        {55, 20, 1},  {61, 20, 1},    {60, 25, 9},     {55, 13, -1}, {91, 80, 64},   {97, 80, 64},
        {19, 80, 58}, {55, 140, 121}, {127, 140, 127}, {0, 0, -1},   {181, 159, -1}, {25, 90, 71},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Cube->IndexOfCellAt(C.X, C.Y), C.Cell) << C.X << "," << C.Y;
    // A circle of radius 6, not the hexagon: a corner point of the cell misses it.
    EXPECT_FALSE(Cube->PtInCell(1, TPoint{60, 25}));
}

TEST_F(ColorPanelsTest, CubeSelectsByColourAndByMouse)
{
    auto* Cube = Make<TVadColorCubePanel>();
    Cube->SetItemsPosition();
    Cube->SetSelectedColor(0xFFFFFF);
    EXPECT_EQ(Cube->SelectedCell(), 64);
    Cube->SetSelectedColor(0x123456);
    EXPECT_EQ(Cube->SelectedCell(), -1);
    EXPECT_EQ(Cube->SelectedColor(), 0x123456);
    int Ups = 0;
    Cube->OnPanelMouseUp = [&](TObject*) { ++Ups; };
    ShowNow();

    uitest::MoveMouse(Cube->Handle(), 91, 80);
    EXPECT_EQ(Cube->HotCell(), 64);
    EXPECT_EQ(Cube->Hint(), "Red: 255,  Green: 255,  Blue: 255");
    uitest::MoveMouse(Cube->Handle(), 2, 2); // a gap: the cell stays hot, the hint goes
    EXPECT_EQ(Cube->HotCell(), 64);
    EXPECT_EQ(Cube->Hint(), "");

    uitest::Click(Cube->Handle(), 55, 20);
    EXPECT_EQ(Cube->SelectedCell(), 1);
    EXPECT_EQ(Cube->SelectedColor(), 0x663300);
    EXPECT_EQ(Selects, 1);
    EXPECT_EQ(Ups, 1);
    uitest::Click(Cube->Handle(), 2, 2);
    EXPECT_EQ(Selects, 1);
    EXPECT_EQ(Cube->SelectedCell(), 1);

    // The look: cell colours, the background in the gaps, the selected cell's black outline.
    Cube->Repaint();
    PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(Cube->Handle(), 91, 80), 0xFFFFFFu);
    EXPECT_EQ(uitest::PixelAt(Cube->Handle(), 127, 140), ColorToRGB(0x2100A5));
    EXPECT_EQ(uitest::PixelAt(Cube->Handle(), 2, 2), ColorToRGB(Cube->Color()));
    EXPECT_EQ(uitest::PixelAt(Cube->Handle(), 55 - 5, 20), 0x000000u);
}

TEST_F(ColorPanelsTest, GalleryLayoutAndHitTest)
{
    auto* G = Make<TCustomColorSelector>();
    G->UpdateRectAndSize();
    EXPECT_EQ(G->Width(), 100);
    EXPECT_EQ(G->Height(), 50);
    G->CreateDefaultColors();
    G->UpdateRectAndSize();
    EXPECT_EQ(G->Width(), 165);
    EXPECT_EQ(G->Height(), 84);
    EXPECT_EQ(G->Items()->Count(), 60);
    // The gap follows the row of stand-alone boxes only.
    EXPECT_EQ(G->GetItemRect(10).Top - G->GetItemRect(0).Bottom, 4);
    EXPECT_EQ(G->GetItemRect(20).Top, G->GetItemRect(10).Bottom);
    EXPECT_EQ(G->GetItemRect(60).Left, -1);
    struct Case {
        int X, Y, Item;
    } Cases[] = {
        {4, 4, 0},   {15, 15, 0},   {16, 4, -1},   {20, 4, 1},    {4, 16, -1}, {4, 20, 10},
        {4, 32, 20}, {148, 79, 59}, {148, 80, -1}, {160, 79, -1}, {0, 0, -1},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(G->ItemAtPos(C.X, C.Y), C.Item) << C.X << "," << C.Y;
}

TEST_F(ColorPanelsTest, GallerySelectionKeysAndEvents)
{
    auto* G = Make<TCustomColorSelector>();
    G->CreateDefaultColors();
    G->UpdateRectAndSize();
    G->SetSelectedColor(0xFFFFFF);
    EXPECT_EQ(G->ItemIndex(), 0);
    EXPECT_EQ(Selects, 1);
    G->SetSelectedColor(0x123456);
    EXPECT_EQ(G->ItemIndex(), -1);
    EXPECT_EQ(G->SelectedColor(), 0x123456);
    G->SetItemIndex(3);
    G->SetItemIndex(3); // re-selecting fires again
    EXPECT_EQ(Selects, 3);

    struct Step {
        int Start;
        Word Key;
        bool Editor, Dropped;
        int Expected;
    } Steps[] = {
        {-1, VK_DOWN, false, true, 0},   {5, VK_DOWN, false, true, 15}, {55, VK_DOWN, false, true, 55},
        {5, VK_UP, false, true, 5},      {15, VK_UP, false, true, 5},   {5, VK_DOWN, false, false, 6},
        {5, VK_UP, false, false, 4},     {5, VK_LEFT, true, false, 5},  {5, VK_LEFT, true, true, 4},
        {5, VK_RIGHT, false, false, 6},  {5, VK_HOME, false, false, 0}, {5, VK_NEXT, false, false, 59},
        {59, VK_RIGHT, false, true, 59}, {0, VK_LEFT, false, true, 0},  {5, VK_TAB, false, true, 5},
    };
    for (const Step& S : Steps) {
        G->SetItemIndex(S.Start);
        G->HandleKey(S.Key, S.Editor, S.Dropped);
        EXPECT_EQ(G->ItemIndex(), S.Expected) << S.Start << " key " << S.Key;
    }
    G->Items()->Items(7)->FSelectable = false;
    G->SetItemIndex(6);
    G->SetItemIndex(7);
    EXPECT_EQ(G->ItemIndex(), 6);
}

TEST_F(ColorPanelsTest, GalleryMouseAndLook)
{
    auto* G = Make<TCustomColorSelector>();
    G->CreateDefaultColors();
    G->UpdateRectAndSize();
    ShowNow();
    const TRect R1 = G->GetItemRect(1), R13 = G->GetItemRect(13);
    uitest::MoveMouse(G->Handle(), R1.Left + 5, R1.Top + 5);
    EXPECT_EQ(G->ItemHot(), 1);
    uitest::Click(G->Handle(), R13.Left + 5, R13.Top + 5);
    EXPECT_EQ(G->ItemIndex(), 13);
    EXPECT_EQ(G->SelectedColor(), RGB(198, 217, 140));
    EXPECT_EQ(Selects, 1);
    G->Repaint();
    PumpUntilIdle();
    const TRect R2 = G->GetItemRect(2), R22 = G->GetItemRect(22);
    EXPECT_EQ(uitest::PixelAt(G->Handle(), R2.Left + 5, R2.Top + 5), ColorToRGB(RGB(238, 236, 225)));
    EXPECT_EQ(uitest::PixelAt(G->Handle(), R2.Left, R2.Top), ColorToRGB(RGB(197, 197, 197)));
    // A middle box has no top border: its own colour there.
    EXPECT_EQ(uitest::PixelAt(G->Handle(), R22.Left + 5, R22.Top), ColorToRGB(RGB(196, 189, 151)));
    // Selected: red outer and light inner outline.
    EXPECT_EQ(uitest::PixelAt(G->Handle(), R13.Left, R13.Top + 5), 0x0000FFu);
    EXPECT_EQ(uitest::PixelAt(G->Handle(), R13.Left + 1, R13.Top + 5), ColorToRGB(RGB(255, 226, 148)));
    EXPECT_EQ(uitest::PixelAt(G->Handle(), R13.Left + 5, R13.Top + 5), ColorToRGB(RGB(198, 217, 140)));
}

TEST_F(ColorPanelsTest, SpectrumSwatchesAndSampling)
{
    auto* S = Make<TVadColorSpectrumPanel>();
    S->SetItemsPosition();
    EXPECT_EQ(S->Width(), 150);
    EXPECT_EQ(S->Height(), 174);
    EXPECT_EQ(S->SelectedSwatch(), (TRect{10, 146, 73, 166}));
    EXPECT_EQ(S->HoverSwatch(), (TRect{77, 146, 140, 166}));
    EXPECT_EQ(S->SelectedColor(), 0xFFFFFF);
    ShowNow();
    S->Repaint();
    PumpUntilIdle();
    int Ups = 0;
    S->OnPanelMouseUp = [&](TObject*) { ++Ups; };
    // Top row white, the middle row the pure hue (red at the left), the bottom row black.
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 11 + 10, 10), 0xFFFFFFu);
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 11, 10 + 64), 0x0000FFu);
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 11 + 64, 10 + 127), 0x000000u);
    uitest::MoveMouse(S->Handle(), 11, 10 + 64);
    EXPECT_EQ(S->HoverColor(), 0x0000FF);
    uitest::Click(S->Handle(), 11, 10 + 64);
    EXPECT_EQ(S->SelectedColor(), 0x0000FF);
    EXPECT_EQ(Selects, 1);
    EXPECT_EQ(Ups, 1);
    PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 40, 156), 0x0000FFu);
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 100, 156), 0x0000FFu);
}

TEST_F(ColorPanelsTest, CollectionsCopyAndNotify)
{
    TColorItems Items(nullptr);
    int Changes = 0;
    Items.OnChange = [&](TObject*) { ++Changes; };
    TColorItem* A = Items.Add();
    EXPECT_EQ(A->Color(), clNone);
    A->SetCaption("Red");
    A->SetColor(0x0000FF);
    A->SetColor(0x0000FF);
    A->SetHint("warm");
    TColorItem* B = Items.Add();
    B->Assign(A);
    EXPECT_EQ(B->Caption(), "Red");
    EXPECT_EQ(B->Color(), 0x0000FF);
    EXPECT_EQ(B->Hint(), "warm");
    EXPECT_GE(Changes, 4);

    TColorBoxItems Boxes(nullptr);
    TColorBoxItem* X = Boxes.Add();
    X->SetColor(0x00FF00);
    X->SetColorBoxPos(ipBottom);
    X->FSelectable = false;
    TColorBoxItem* Y = Boxes.Add();
    Y->Assign(X);
    EXPECT_EQ(Y->Color(), 0x00FF00);
    EXPECT_EQ(Y->ColorBoxPos(), ipBottom);
    EXPECT_FALSE(Y->FSelectable);

    TColorBoxAppearance P, Q;
    EXPECT_EQ(P.BorderColor, 0xC5C5C5);
    P.OuterBorderColorHot = 1;
    Q.Assign(&P);
    EXPECT_EQ(Q.OuterBorderColorHot, 1);
}

} // namespace
