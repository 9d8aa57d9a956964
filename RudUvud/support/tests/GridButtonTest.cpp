#include "RudUvud/support/VadObj.h"

#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

namespace {

class GridButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Form = New<TForm>(Application);
        Form->SetBounds(40, 40, 300, 160);
        Form->Show();
        uitest::PumpUntilIdle();
    }
    void TearDown() override
    {
        SetBuiltInThemeActive(false);
        Form->Free();
    }
    TRudUvudButton* Make(Integer X, Integer Y)
    {
        auto* B = New<TRudUvudButton>(Form);
        B->SetParent(Form);
        B->SetBounds(X, Y, 40, 22);
        B->OnClick = [this, B](TObject*) { Clicked.push_back(B); };
        return B;
    }
    // Clicks the middle of a button through its parent window, as a person does.
    void ClickOn(TRudUvudButton* B, Integer DX = 20, Integer DY = 11)
    {
        uitest::Click(Form->Handle(), B->Left() + DX, B->Top() + DY);
    }

    TForm* Form = nullptr;
    std::vector<TRudUvudButton*> Clicked;
};

TBitmap* Solid(TBitmap& B, Integer W, Integer H, TColor C, TColor Corner)
{
    B.SetSize(W, H);
    for (Integer Y = 0; Y < H; ++Y)
        for (Integer X = 0; X < W; ++X)
            B.Canvas()->SetPixels(X, Y, C);
    B.Canvas()->SetPixels(0, H - 1, Corner);
    return &B;
}

TEST_F(GridButtonTest, DefaultsAndLooks)
{
    auto* B = New<TRudUvudButton>(Form);
    EXPECT_EQ(B->Width(), 23);
    EXPECT_EQ(B->Height(), 22);
    EXPECT_TRUE(B->Flat());
    EXPECT_EQ(B->Color(), clBtnFace);
    EXPECT_EQ(B->ColorHot(), TColor(RGB(199, 199, 202)));
    EXPECT_EQ(B->ColorDown(), TColor(RGB(210, 211, 216)));
    EXPECT_EQ(B->ColorChecked(), clGray);
    B->SetMargin(-2);
    EXPECT_EQ(B->Margin(), -1) << "below -1 is refused";

    B->SetBorderDownColor(TColor(0x123456));
    B->SetBorderHotColor(TColor(0x654321));
    B->SetBorderColor(TColor(0x111111));
    B->SetFlat(false);
    for (Integer Look : {2, 3, 4}) {
        B->SetLook(Look);
        EXPECT_EQ(B->BorderDownColor(), TColor(0x123456)) << Look;
        EXPECT_EQ(B->BorderHotColor(), TColor(0x654321)) << Look;
        EXPECT_EQ(B->BorderColor(), clNone);
        EXPECT_TRUE(B->Flat());
    }
    B->SetLook(6);
    EXPECT_EQ(B->BorderDownColor(), TColor(0x808080));
    B->SetLook(7);
    EXPECT_EQ(B->Color(), TColor(0xCAFFFF)) << "an unknown look changes nothing";

    // Without a theme look 1; the built-in theme's "NormalColor" scheme gives look 2.
    B->SetAutoThemeAdapt(true);
    EXPECT_EQ(B->Color(), clBtnFace);
    EXPECT_EQ(B->ColorHot(), TColor(0xEED2C1));
    VadXPVS().Initialize();
    SetBuiltInThemeActive(true);
    B->SetAutoThemeAdapt(true);
    EXPECT_EQ(B->Color(), TColor(0xFDEADA));
}

TEST_F(GridButtonTest, GroupsCheckStyleAndDropDownZone)
{
    TRudUvudButton* A = Make(10, 10);
    TRudUvudButton* B = Make(60, 10);
    A->SetGroupIndex(1);
    B->SetGroupIndex(1);
    ClickOn(A);
    EXPECT_TRUE(A->Down());
    ClickOn(B);
    EXPECT_TRUE(B->Down());
    EXPECT_FALSE(A->Down()) << "pressing one releases the other";
    ClickOn(B);
    EXPECT_TRUE(B->Down()) << "AllowAllUp False keeps it down";
    B->SetAllowAllUp(true);
    EXPECT_TRUE(A->AllowAllUp()) << "the group shares AllowAllUp";
    ClickOn(B);
    EXPECT_FALSE(B->Down());
    EXPECT_EQ(Clicked.size(), 4u);

    // Check style: toggles on a release inside, ignores groups; outside nothing.
    TRudUvudButton* C = Make(110, 10);
    C->SetStyle(tasCheck);
    C->SetGroupIndex(1);
    Clicked.clear();
    ClickOn(C);
    EXPECT_TRUE(C->Down());
    ClickOn(A);
    EXPECT_TRUE(C->Down()) << "a check button is in no group";
    uitest::MouseDown(Form->Handle(), C->Left() + 20, C->Top() + 11);
    uitest::MoveMouse(Form->Handle(), C->Left() + 20, C->Top() + 60);
    uitest::MouseUp(Form->Handle(), C->Left() + 20, C->Top() + 60);
    EXPECT_TRUE(C->Down());
    EXPECT_EQ(Clicked, (std::vector<TRudUvudButton*>{C, A}));
    ClickOn(C);
    EXPECT_FALSE(C->Down());

    // The arrow zone: the rightmost 12 pixels fire OnDropDown, not OnClick.
    TRudUvudButton* D = Make(160, 10);
    D->SetDropDownButton(true);
    int Drops = 0;
    D->OnDropDown = [&](TObject*) { ++Drops; };
    Clicked.clear();
    ClickOn(D, 35);
    EXPECT_EQ(Drops, 1);
    EXPECT_TRUE(Clicked.empty());
    EXPECT_EQ(D->State(), bsUp);
    ClickOn(D, 20);
    EXPECT_EQ(Drops, 1);
    EXPECT_EQ(Clicked, (std::vector<TRudUvudButton*>{D}));
}

TEST_F(GridButtonTest, DisabledGlyphAndShadowFollowTheGlyph)
{
    auto* B = New<TRudUvudButton>(Form);
    TBitmap Red, Blue, Own;
    B->SetGlyph(Solid(Red, 4, 4, TColor(0x0000FF), TColor(0xFFFFFF)));
    const Integer G1 = ((255 + 0 + 0) / 3) / 2 + 96;
    EXPECT_EQ(B->GlyphDisabled()->Canvas()->Pixels(1, 1), TColor(RGB(G1, G1, G1)));
    EXPECT_EQ(B->Shadow()->Canvas()->Pixels(1, 1), TColor(0x808080)) << "a button made in code has a shadow";
    EXPECT_EQ(B->Shadow()->Canvas()->Pixels(0, 3), TColor(0xFFFFFF)) << "transparent pixels stay";

    // A second glyph: the grey image and the shadow are made from it, not kept from the first.
    B->SetGlyph(Solid(Blue, 6, 5, TColor(0xFF0000), TColor(0x00FF00)));
    EXPECT_EQ(B->GlyphDisabled()->Width(), 6);
    EXPECT_EQ(B->Shadow()->Width(), 6);
    EXPECT_EQ(B->Shadow()->Canvas()->Pixels(0, 4), TColor(0x00FF00));
    // Drawing on the glyph's bitmap counts as a change too.
    B->Glyph()->Canvas()->SetPixels(2, 2, TColor(0xFFFFFF));
    EXPECT_EQ(B->GlyphDisabled()->Canvas()->Pixels(2, 2), TColor(RGB(223, 223, 223)));

    // A disabled image the program gave stays.
    B->SetGlyphDisabled(Solid(Own, 2, 2, TColor(0x00FFFF), TColor(0x00FFFF)));
    B->SetGlyph(&Red);
    EXPECT_EQ(B->GlyphDisabled()->Width(), 2);
}

TEST_F(GridButtonTest, LayoutOfGlyphAndCaption)
{
    auto* B = New<TRudUvudButton>(Form);
    B->SetParent(Form);
    TBitmap G;
    B->SetGlyph(Solid(G, 10, 10, TColor(0x0000FF), TColor(0xFFFFFF)));
    B->SetText("Go");
    const TRect Client = Rect(0, 0, 100, 20);
    const Integer TextW = Form->Canvas()->TextWidth("Go");
    struct Case {
        TButtonLayout Layout;
        Integer Margin, Spacing;
        Integer GlyphX, TextX;
    } Cases[] = {
        {blGlyphLeft, -1, -1, (100 - 10 - TextW) / 3, 2 * ((100 - 10 - TextW) / 3) + 10},
        {blGlyphLeft, -1, 4, (100 - 10 - 4 - TextW + 1) / 2, (100 - 10 - 4 - TextW + 1) / 2 + 14},
        {blGlyphLeft, 5, -1, 5, 15 + (100 - 5 - 10 - TextW) / 2},
        {blGlyphRight, 3, 2, 100 - 3 - 10, 100 - 3 - 10 - 2 - TextW},
    };
    for (const Case& C : Cases) {
        B->SetLayout(C.Layout);
        B->SetMargin(C.Margin);
        B->SetSpacing(C.Spacing);
        TPoint GlyphPos;
        TRect Text;
        B->CalcLayout(Client, GlyphPos, Text);
        EXPECT_EQ(GlyphPos.X, C.GlyphX) << C.Layout << " " << C.Margin << " " << C.Spacing;
        EXPECT_EQ(Text.Left, C.TextX) << C.Layout << " " << C.Margin << " " << C.Spacing;
        EXPECT_EQ(GlyphPos.Y, 5);
    }
}

TEST_F(GridButtonTest, IdleHotAndPressedLooks)
{
    TRudUvudButton* B = Make(10, 10);
    B->SetColor(TColor(0x00FF00));
    B->SetColorHot(TColor(0xFF0000));
    B->SetColorDown(TColor(0x0000FF));
    B->SetBorderHotColor(TColor(0x000000));
    const Integer X = B->Left() + 3, Y = B->Top() + 3;
    uitest::MoveMouse(Form->Handle(), 250, 120);
    EXPECT_EQ(uitest::PixelAt(Form->Handle(), X, Y), 0x00FF00u) << "idle";
    uitest::MoveMouse(Form->Handle(), X, Y);
    EXPECT_TRUE(B->MouseInControl());
    EXPECT_EQ(uitest::PixelAt(Form->Handle(), X, Y), 0xFF0000u) << "hot";
    EXPECT_EQ(uitest::PixelAt(Form->Handle(), B->Left() + 1, B->Top() + 1), 0x000000u) << "hot outline";
    uitest::MouseDown(Form->Handle(), X, Y);
    EXPECT_EQ(uitest::PixelAt(Form->Handle(), X, Y), 0x0000FFu) << "pressed";
    uitest::MouseUp(Form->Handle(), X, Y);
    uitest::MoveMouse(Form->Handle(), 250, 120);
    EXPECT_FALSE(B->MouseInControl());
    EXPECT_EQ(uitest::PixelAt(Form->Handle(), X, Y), 0x00FF00u) << "idle again";

    // Gradient of the normal look: the first band is the face colour, the last near the end.
    B->SetColor(TColor(0x000000));
    B->SetColorTo(TColor(0xF00000));
    uitest::PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(Form->Handle(), B->Left() + 5, B->Top() + 1), 0x000000u);
    EXPECT_EQ(uitest::PixelAt(Form->Handle(), B->Left() + 5, B->Top() + 20), 0xE10000u);
}

TEST_F(GridButtonTest, ActionLinkCarriesCaptionCheckedAndGroup)
{
    TRudUvudButton* B = Make(10, 10);
    auto* A = New<TAction>(Form);
    A->SetCaption("Highlight");
    A->SetGroupIndex(2);
    B->SetAction(A);
    EXPECT_EQ(B->Caption(), "Highlight");
    EXPECT_TRUE(dynamic_cast<TRudUvudButtonActionLink*>(B->ActionLink()));
    A->SetCaption("Mark");
    EXPECT_EQ(B->Caption(), "Mark");
    B->SetGroupIndex(2);
    B->SetAllowAllUp(true);
    A->SetChecked(true);
    EXPECT_TRUE(B->Down());
    A->SetChecked(false);
    EXPECT_FALSE(B->Down());
}

} // namespace
