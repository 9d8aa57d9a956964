#include "controls/Label3D.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

#include <climits>

using uitest::PixelAt;
using uitest::PumpUntilIdle;

namespace {

constexpr TColor Paper = 0xFFFFFF;
constexpr TColor Ink = 0x000000;
constexpr TColor ShadowInk = 0xFF0000;    // blue
constexpr TColor HighlightInk = 0x00C000; // green

class Label3DTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->SetColor(Paper);
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }

    TLabel3D* AddLabel(const AnsiString& Caption, int X = 20, int Y = 20)
    {
        auto* L = New<TLabel3D>(Form);
        L->SetParent(Form);
        L->SetLeft(X);
        L->SetTop(Y);
        L->SetColor(Paper);
        L->Font()->SetSize(28);
        L->Font()->SetStyle(TFontStyles{fsBold});
        L->Font()->SetColor(Ink);
        L->SetColorRR(ShadowInk, HighlightInk);
        L->SetCaption(Caption);
        return L;
    }

    void Show()
    {
        Form->Show();
        PumpUntilIdle();
    }

    // The smallest rectangle holding every client pixel of exactly this colour inside the label.
    struct Box {
        int Left = INT_MAX, Top = INT_MAX, Right = INT_MIN, Bottom = INT_MIN;
        bool Empty() const { return Left == INT_MAX; }
    };
    Box BoxOf(TLabel3D* L, TColor Color)
    {
        Box B;
        const COLORREF Want = ColorToRGB(Color);
        for (int Y = L->Top(); Y < L->Top() + L->Height(); ++Y)
            for (int X = L->Left(); X < L->Left() + L->Width(); ++X)
                if (PixelAt(Form->Handle(), X, Y) == Want) {
                    B.Left = std::min(B.Left, X);
                    B.Top = std::min(B.Top, Y);
                    B.Right = std::max(B.Right, X);
                    B.Bottom = std::max(B.Bottom, Y);
                }
        return B;
    }

    TForm* Form = nullptr;
};

TEST_F(Label3DTest, EscapementIsKeptWithinAFullTurn)
{
    auto* L = AddLabel("A");
    const struct {
        Integer Set, Stored;
    } Cases[] = {{-30, 330},    {720, 360}, {-360, 0},         {360, 360},
                 {361, 1},      {45, 45},   {-1000000000, 80}, {INT_MAX, INT_MAX % 360},
                 {INT_MIN, 232}};
    for (const auto& C : Cases) {
        L->SetEscapement(C.Set);
        EXPECT_EQ(L->Escapement(), C.Stored) << C.Set;
    }
}

TEST_F(Label3DTest, EachTextStyleDrawsItsCopiesWhereItShould)
{
    auto* L = AddLabel("Prize");
    L->SetAutoSize(false); // room for the copies beyond the text
    L->SetBounds(20, 20, 300, 80);
    Show();
    const struct {
        TTextStyle Style;
        Integer Shift;
        int ShadowDx, HighlightDx; // copy offset from the text; 0 = no copy of that colour
    } Cases[] = {
        {Label3D::tsNone, 1, 0, 0},         {Label3D::tsRaised, 1, 1, 0},
        {Label3D::tsShadow, 3, 3, 0},       {Label3D::tsRecessed, 1, 0, 1},
        {Label3D::tsLightRaised, 1, 1, -1}, {Label3D::tsHeavyRecessed, 1, -1, 1},
    };
    for (const auto& C : Cases) {
        L->SetTextStyle(C.Style);
        L->SetShift(C.Shift);
        PumpUntilIdle();
        const Box Text = BoxOf(L, Ink);
        ASSERT_FALSE(Text.Empty());
        for (auto [Color, Dx] : {std::pair{ShadowInk, C.ShadowDx}, std::pair{HighlightInk, C.HighlightDx}}) {
            const Box Copy = BoxOf(L, Color);
            if (Dx == 0) {
                EXPECT_TRUE(Copy.Empty()) << "style " << C.Style;
                continue;
            }
            ASSERT_FALSE(Copy.Empty()) << "style " << C.Style;
            // The text covers the copy's other side; the edge the copy sticks out at moves by Dx.
            if (Dx > 0) {
                EXPECT_EQ(Copy.Right - Text.Right, Dx) << "style " << C.Style;
                EXPECT_EQ(Copy.Bottom - Text.Bottom, Dx) << "style " << C.Style;
            } else {
                EXPECT_EQ(Copy.Left - Text.Left, Dx) << "style " << C.Style;
                EXPECT_EQ(Copy.Top - Text.Top, Dx) << "style " << C.Style;
            }
        }
    }
}

TEST_F(Label3DTest, DisabledTextIsGreyWhileItsCopiesKeepTheirColours)
{
    auto* L = AddLabel("Prize");
    L->SetTextStyle(Label3D::tsRaised);
    L->SetEnabled(false);
    Show();
    EXPECT_TRUE(BoxOf(L, Ink).Empty());
    EXPECT_FALSE(BoxOf(L, clGrayText).Empty());
    EXPECT_FALSE(BoxOf(L, ShadowInk).Empty());
}

TEST_F(Label3DTest, TurnedTextSizesTheLabelToItsTurnedExtent)
{
    auto* L = AddLabel("Lucky draw");
    L->SetTextStyle(Label3D::tsNone);
    Show();
    const TSize Flat = L->Canvas()->TextExtent("Lucky draw");
    L->SetEscapement(90);
    PumpUntilIdle();
    EXPECT_EQ(L->Width(), Flat.cy);
    EXPECT_EQ(L->Height(), Flat.cx);
    // The text was written inside the label, upwards.
    const Box Text = BoxOf(L, Ink);
    ASSERT_FALSE(Text.Empty());
    EXPECT_GT(Text.Bottom - Text.Top, Text.Right - Text.Left);
}

TEST_F(Label3DTest, AnEllipsisTurnsAutoSizeOff)
{
    auto* L = AddLabel("A caption far too long for the label");
    EXPECT_TRUE(L->AutoSize());
    L->SetEllipsesStyle(esEnd);
    EXPECT_FALSE(L->AutoSize());
    L->SetWidth(120);
    Show();
    const Box Text = BoxOf(L, Ink);
    ASSERT_FALSE(Text.Empty());
    EXPECT_LT(Text.Right, L->Left() + 120);
}

TEST_F(Label3DTest, ThreeDimensionalBordersLightTheirEdges)
{
    auto* L = AddLabel("x");
    L->SetAutoSize(false);
    L->SetBounds(20, 20, 100, 50);
    L->SetBorder(true);
    L->SetBorderType(btRecessed);
    Show();
    const HWND W = Form->Handle();
    EXPECT_EQ(PixelAt(W, 20, 40), 0x808080u);
    EXPECT_EQ(PixelAt(W, 60, 20), 0x808080u);
    EXPECT_EQ(PixelAt(W, 119, 40), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(W, 60, 69), 0xFFFFFFu);
    L->SetBorderType(btRaised);
    PumpUntilIdle();
    EXPECT_EQ(PixelAt(W, 20, 40), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(W, 119, 40), 0x808080u);
    L->SetBorderType(btDefault);
    L->SetBorderColor(clRed);
    PumpUntilIdle();
    EXPECT_EQ(PixelAt(W, 20, 40), ColorToRGB(clRed));
    EXPECT_EQ(PixelAt(W, 119, 40), ColorToRGB(clRed));
}

TEST_F(Label3DTest, ALinkUnderlinesUnderTheMouseAndOpensItsAddress)
{
    auto* Mail = AddLabel("Write to us");
    Mail->SetLabelStyle(lsEMailAddress);
    Mail->SetAddress("prizes@example.com");
    auto* Plain = AddLabel("Plain", 20, 150);
    int Enters = 0, Exits = 0, Clicks = 0;
    Mail->OnMouseEnter = [&](TObject*) { ++Enters; };
    Mail->OnMouseExit = [&](TObject*) { ++Exits; };
    Mail->OnClick = [&](TObject*) { ++Clicks; };
    Show();
    const HWND W = Form->Handle();

    uitest::MoveMouse(W, Mail->Left() + 5, Mail->Top() + 5);
    EXPECT_TRUE(Mail->Font()->Style().Contains(fsUnderline));
    EXPECT_EQ(Mail->Font()->Color(), clRed);
    EXPECT_EQ(Mail->Cursor(), crHandPoint);
    EXPECT_EQ(Enters, 1);

    uitest::MoveMouse(W, Plain->Left() + 5, Plain->Top() + 5);
    EXPECT_FALSE(Mail->Font()->Style().Contains(fsUnderline));
    EXPECT_EQ(Mail->Font()->Color(), Ink);
    EXPECT_EQ(Mail->Cursor(), crDefault);
    EXPECT_EQ(Exits, 1);
    EXPECT_FALSE(Plain->Font()->Style().Contains(fsUnderline)) << "a plain label is no link";

    uitest::ClearRecords();
    uitest::Click(W, Mail->Left() + 5, Mail->Top() + 5);
    ASSERT_EQ(uitest::ShellOpens().size(), 1u);
    EXPECT_EQ(uitest::ShellOpens()[0].Target, "mailto:prizes@example.com");
    EXPECT_EQ(Clicks, 1);

    // A web link opens its address as it is; without an address only the click event runs.
    Mail->SetLabelStyle(lsWWWAddress);
    Mail->SetAddress("https://example.com/draw");
    uitest::Click(W, Mail->Left() + 5, Mail->Top() + 5);
    ASSERT_EQ(uitest::ShellOpens().size(), 2u);
    EXPECT_EQ(uitest::ShellOpens()[1].Target, "https://example.com/draw");
    Mail->SetAddress("");
    uitest::Click(W, Mail->Left() + 5, Mail->Top() + 5);
    EXPECT_EQ(uitest::ShellOpens().size(), 2u);
    EXPECT_EQ(Clicks, 3);
}

} // namespace
