#include "controls/ZevButton.h"

#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using uitest::MouseDown;
using uitest::MouseUp;
using uitest::MoveMouse;
using uitest::PixelAt;
using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class ZevButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }

    TForm* MakeForm(int W = 320, int H = 200)
    {
        TForm* F = New<TForm>(Application);
        F->SetCaption("Buttons");
        F->SetBounds(100, 100, W, H);
        return F;
    }

    TZevButton* AddButton(TForm* F, const AnsiString& Caption, int X, int Y, int W = 75, int H = 25)
    {
        auto* B = New<TZevButton>(F);
        B->SetCaption(Caption);
        B->SetBounds(X, Y, W, H);
        B->SetParent(F);
        return B;
    }

    void ShowForm(TForm* F)
    {
        F->Show();
        PumpUntilIdle();
    }
};

COLORREF Lerp(TColor From, TColor To, int I, int H)
{
    auto Ch = [&](int Shift) {
        const double A = (From >> Shift) & 0xFF, B = (To >> Shift) & 0xFF;
        return static_cast<COLORREF>(std::nearbyint(A + I * (B - A) / H));
    };
    return Ch(0) | (Ch(8) << 8) | (Ch(16) << 16);
}

} // namespace

// ---- Colours and schemes ------------------------------------------------------------------------

TEST_F(ZevButtonTest, NewButtonReportsNeoDesertWithThreeWhiteGradColours)
{
    TForm* F = MakeForm();
    auto* B = AddButton(F, "OK", 10, 10);
    EXPECT_EQ(B->ColorScheme(), csNeoDesert);
    EXPECT_TRUE(B->Gradient());
    EXPECT_EQ(B->ColorFace(), 0xC6ECFFu);
    EXPECT_EQ(B->ColorGrad(), 0x37BEFFu);
    EXPECT_EQ(B->OverColorGrad(), 0xFFFFFFu);
    EXPECT_EQ(B->DownColorGrad(), 0xFFFFFFu);
    EXPECT_EQ(B->DisabledColorGrad(), 0xFFFFFFu);
    EXPECT_EQ(B->Width(), 75);
    EXPECT_EQ(B->Height(), 25);
    EXPECT_TRUE(B->TabStop());
    EXPECT_EQ(B->NumGlyphs(), 2);
    EXPECT_EQ(B->Spacing(), 4);
}

TEST_F(ZevButtonTest, SchemesSetTheirColoursAndGradient)
{
    struct Case {
        TColorScheme Scheme;
        Integer Index;
        TColor Expected;
        bool Gradient;
    };
    // Classic schemes leave the Grad colours of the scheme before them (here csNeoSky's).
    const Case Cases[] = {
        {csNeoSky, TZevButton::ciColorFace, 0xFFEEDD, true},
        {csNeoGrass, TZevButton::ciDownColorLight, 0x177D3E, true},
        {csNeoSun, TZevButton::ciColorFocusRect, 0x00BBBB, true},
        {csDesert, TZevButton::ciColorFace, 0x95DDFF, false},
        {csDesert, TZevButton::ciColorGrad, 0xFFB66C, false},
        {csSky, TZevButton::ciOverColorGrad, 0xFFA346, false},
        {csSilver, TZevButton::ciDisabledColorGrad, 0xFFFFFF, false},
        {csSilver, TZevButton::ciOverColorDark, 0x797979, false},
        {csRose, TZevButton::ciDisabledColorText, 0x808080, false},
    };
    TForm* F = MakeForm();
    for (const Case& C : Cases) {
        auto* B = AddButton(F, "x", 0, 0);
        B->SetColorScheme(csNeoSky);
        B->SetColorScheme(C.Scheme);
        EXPECT_EQ(B->ColorScheme(), C.Scheme);
        EXPECT_EQ(B->Colors(C.Index), C.Expected) << "scheme " << C.Scheme << " colour " << C.Index;
        EXPECT_EQ(B->Gradient(), C.Gradient) << "scheme " << C.Scheme;
    }
}

TEST_F(ZevButtonTest, AnySingleColourMakesTheSchemeCustomAndCustomChangesNothing)
{
    TForm* F = MakeForm();
    auto* B = AddButton(F, "x", 0, 0);
    B->SetOverColorText(clRed);
    EXPECT_EQ(B->ColorScheme(), csCustom);
    EXPECT_EQ(B->OverColorText(), clRed);

    B->SetColorScheme(csNeoRose);
    std::array<TColor, TZevButton::ColorCount> Before{};
    for (Integer I = 0; I < TZevButton::ColorCount; ++I)
        Before[static_cast<size_t>(I)] = B->Colors(I);
    B->SetGradient(false);
    B->SetColorScheme(csCustom);
    for (Integer I = 0; I < TZevButton::ColorCount; ++I)
        EXPECT_EQ(B->Colors(I), Before[static_cast<size_t>(I)]) << I;
    EXPECT_FALSE(B->Gradient()) << "csCustom leaves Gradient alone";

    // An index outside the table stores nothing but still switches the scheme.
    B->SetColorScheme(csNeoSun);
    B->SetColors(25, clRed);
    EXPECT_EQ(B->ColorScheme(), csCustom);
    EXPECT_EQ(B->ColorFace(), 0xF0FFFFu);
}

TEST_F(ZevButtonTest, ColourSchemeTextHasTwentyFiveLinesInLookOrder)
{
    TForm* F = MakeForm();
    auto* B = AddButton(F, "x", 0, 0);
    std::unique_ptr<TStringList> L(B->GetColorScheme());
    ASSERT_EQ(L->Count(), 25);
    EXPECT_EQ(L->Strings(0), "ColorFace:= $00C6ECFF;");
    EXPECT_EQ(L->Strings(1), "ColorGrad:= $0037BEFF;");
    EXPECT_EQ(L->Strings(2), "ColorLight:= $00B9E7FF;") << "Light comes before Dark in the text";
    EXPECT_EQ(L->Strings(5), "ColorText:= clBlack;");
    EXPECT_EQ(L->Strings(7), "OverColorGrad:= clWhite;");
    EXPECT_EQ(L->Strings(18), "DisabledColorFace:= clGray;");
    EXPECT_EQ(L->Strings(24), "ColorFocusRect:=  $004080FF;");
}

// ---- Painting -----------------------------------------------------------------------------------

TEST_F(ZevButtonTest, FaceIsGradedFromFaceToGradAndFramed)
{
    TForm* F = MakeForm();
    auto* B = AddButton(F, "", 10, 10, 60, 40);
    auto* Other = AddButton(F, "", 100, 10, 60, 40); // takes the focus away from B
    B->SetCtl3D(false);
    B->SetColorFace(0x000000);
    B->SetColorGrad(0xFF8040);
    Other->SetTabOrder(0);
    ShowForm(F);
    ASSERT_FALSE(B->Focused());
    const HWND W = B->Handle();
    for (int Y : {1, 2, 13, 20, 38})
        EXPECT_EQ(PixelAt(W, 30, Y), Lerp(0x000000, 0xFF8040, Y, 40)) << "row " << Y;
    EXPECT_EQ(PixelAt(W, 0, 20), ColorToRGB(B->ColorBorder()));
    EXPECT_EQ(PixelAt(W, 59, 20), ColorToRGB(B->ColorBorder()));
    EXPECT_EQ(PixelAt(W, 30, 39), ColorToRGB(B->ColorBorder()));

    // Flat face, inner edge and focus rectangle.
    B->SetColorScheme(csDesert);
    B->SetCtl3D(true);
    B->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(PixelAt(W, 30, 20), ColorToRGB(0x95DDFF));
    EXPECT_EQ(PixelAt(W, 1, 20), ColorToRGB(B->ColorLight()));
    EXPECT_EQ(PixelAt(W, 30, 1), ColorToRGB(B->ColorLight()));
    EXPECT_EQ(PixelAt(W, 58, 20), ColorToRGB(B->ColorDark()));
    EXPECT_EQ(PixelAt(W, 30, 38), ColorToRGB(B->ColorDark()));
    EXPECT_EQ(PixelAt(W, 3, 20), ColorToRGB(B->ColorFocusRect()));
    EXPECT_EQ(PixelAt(W, 56, 20), ColorToRGB(B->ColorFocusRect()));
}

TEST_F(ZevButtonTest, GlyphStripDrawsOnlyItsLeftImageWithTheCornerColourTransparent)
{
    TForm* F = MakeForm();
    auto* B = AddButton(F, "", 10, 10, 80, 40);
    B->SetColorScheme(csDesert); // flat face
    TBitmap Strip;
    Strip.SetSize(32, 16);
    Strip.Canvas()->Brush()->SetColor(clRed);
    Strip.Canvas()->FillRect(TRect{0, 0, 16, 16});
    Strip.Canvas()->Brush()->SetColor(clBlue);
    Strip.Canvas()->FillRect(TRect{16, 0, 32, 16});
    Strip.Canvas()->Brush()->SetColor(clLime);
    Strip.Canvas()->FillRect(TRect{0, 0, 16, 2}); // the corner colour: see-through
    B->SetGlyph(&Strip);
    B->SetNumGlyphs(2);
    ShowForm(F);
    const HWND W = B->Handle();
    // Without a caption the glyph is centred: x from (80 - 16) / 2 = 32, y from 12.
    EXPECT_EQ(PixelAt(W, 32, 20), ColorToRGB(clRed));
    EXPECT_EQ(PixelAt(W, 47, 27), ColorToRGB(clRed));
    EXPECT_EQ(PixelAt(W, 31, 20), ColorToRGB(0x95DDFF));
    EXPECT_EQ(PixelAt(W, 48, 20), ColorToRGB(0x95DDFF)) << "the strip's second image is not drawn";
    EXPECT_EQ(PixelAt(W, 40, 12), ColorToRGB(0x95DDFF)) << "the corner colour is transparent";

    B->SetTransparentGlyph(false);
    PumpUntilIdle();
    EXPECT_EQ(PixelAt(W, 40, 12), ColorToRGB(clLime));
}

TEST_F(ZevButtonTest, SpacingMovesGlyphAndCaptionApart)
{
    TForm* F = MakeForm();
    auto* B = AddButton(F, "Go", 10, 10, 120, 40);
    B->SetColorScheme(csDesert);
    B->SetCtl3D(false);
    TBitmap G;
    G.SetSize(10, 10);
    G.Canvas()->Brush()->SetColor(clRed);
    G.Canvas()->FillRect(TRect{0, 0, 10, 10});
    B->SetGlyph(&G);
    B->SetNumGlyphs(1);
    B->SetTransparentGlyph(false);
    B->SetSpacing(5);
    ShowForm(F);
    TBitmap Probe;
    Probe.Canvas()->Font()->Assign(B->Font());
    const int TW = Probe.Canvas()->TextWidth("Go");
    const int GX = (120 - TW) / 2 - 10 / 2 - 3; // the glyph moves 3 = 5 div 2 + 5 mod 2 to the left
    const HWND W = B->Handle();
    EXPECT_EQ(PixelAt(W, GX, 20), ColorToRGB(clRed));
    EXPECT_NE(PixelAt(W, GX - 1, 20), ColorToRGB(clRed));
    EXPECT_EQ(PixelAt(W, GX + 9, 20), ColorToRGB(clRed));
    EXPECT_NE(PixelAt(W, GX + 10, 20), ColorToRGB(clRed));
}

TEST_F(ZevButtonTest, DegenerateSizesAndGlyphCountsPaintSafely)
{
    TForm* F = MakeForm();
    auto* Flat = AddButton(F, "x", 10, 10, 60, 0);
    auto* B = AddButton(F, "x", 10, 40, 60, 1);
    TBitmap G;
    G.SetSize(8, 8);
    B->SetGlyph(&G);
    B->SetNumGlyphs(0);
    EXPECT_EQ(B->NumGlyphs(), 1);
    ShowForm(F);
    TBitmap Out;
    Out.SetSize(10, 1);
    TZevButton::GradientFillRect(Out.Canvas(), TRect{0, 0, 10, 0}, clRed, clBlue);
    EXPECT_EQ(Out.Canvas()->Pixels(5, 0), ColorToRGB(clRed)) << "a flat rectangle is one line of the start";
    (void)Flat;
}

// ---- Looks and mouse ----------------------------------------------------------------------------

TEST_F(ZevButtonTest, MouseMovesTheButtonThroughItsLooks)
{
    TForm* F = MakeForm();
    auto* B = AddButton(F, "Go", 20, 20, 80, 30);
    int Clicks = 0;
    B->OnClick = [&](TObject*) { ++Clicks; };
    ShowForm(F);
    const HWND FW = F->Handle(), W = B->Handle();

    MoveMouse(W, 10, 10);
    EXPECT_EQ(B->DrawState(), TZevButton::dsHot);
    MouseDown(W, 10, 10);
    EXPECT_EQ(B->DrawState(), TZevButton::dsDown);
    EXPECT_TRUE(B->Focused());
    MoveMouse(FW, 200, 150);
    EXPECT_EQ(B->DrawState(), TZevButton::dsNormal) << "leaving while held";
    MoveMouse(W, 12, 12);
    EXPECT_EQ(B->DrawState(), TZevButton::dsDown) << "coming back while held";
    MoveMouse(FW, 200, 150);
    MouseUp(FW, 200, 150);
    EXPECT_EQ(Clicks, 0);
    EXPECT_EQ(B->DrawState(), TZevButton::dsNormal);

    MouseDown(W, 10, 10);
    MouseUp(W, 10, 10);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(B->DrawState(), TZevButton::dsHot);

    // A disabled button shows its disabled colours whatever its state.
    B->SetColorScheme(csDesert);
    B->SetEnabled(false);
    PumpUntilIdle();
    EXPECT_EQ(PixelAt(W, 40, 5), ColorToRGB(0xE2E2E2));

    B->SetHotTrack(false);
    B->SetEnabled(true);
    MoveMouse(FW, 200, 150);
    MoveMouse(W, 10, 10);
    EXPECT_EQ(B->DrawState(), TZevButton::dsNormal) << "no hot look without HotTrack";
}

TEST_F(ZevButtonTest, ClickCopiesModalResultToTheForm)
{
    TForm* F = MakeForm();
    auto* Yes = AddButton(F, "Yes", 10, 10);
    auto* Plain = AddButton(F, "Plain", 100, 10);
    Yes->SetModalResult(mrYes);
    ShowForm(F);
    Yes->Click();
    EXPECT_EQ(F->ModalResult(), mrYes);
    Plain->Click();
    EXPECT_EQ(F->ModalResult(), mrNone) << "0 is copied too";

    // Shown modally, the button's result closes the form.
    F->Hide();
    PumpUntilIdle();
    PostMessage(Yes->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    PostMessage(Yes->Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(F->ShowModal(), mrYes);
}

// ---- Keys ---------------------------------------------------------------------------------------

TEST_F(ZevButtonTest, KeysClickTheButtonAsADialogButton)
{
    TForm* F = MakeForm();
    auto* Ok = AddButton(F, "&Okay", 10, 10);
    auto* Cancel = AddButton(F, "Cancel", 100, 10);
    auto* Other = AddButton(F, "Other", 190, 10);
    int OkClicks = 0, CancelClicks = 0, OtherClicks = 0;
    Ok->OnClick = [&](TObject*) { ++OkClicks; };
    Cancel->OnClick = [&](TObject*) { ++CancelClicks; };
    Other->OnClick = [&](TObject*) { ++OtherClicks; };
    Ok->SetDefault(true);
    Cancel->SetCancel(true);
    ShowForm(F);

    Other->SetFocus();
    PumpUntilIdle();
    uitest::KeyDown(VK_SPACE);
    EXPECT_EQ(Other->DrawState(), TZevButton::dsDown);
    EXPECT_EQ(OtherClicks, 0);
    uitest::KeyUp(VK_SPACE);
    EXPECT_EQ(OtherClicks, 1);
    EXPECT_EQ(Other->DrawState(), TZevButton::dsNormal);

    PressKey(VK_RETURN);
    // The form offers Enter to its buttons in their order; the default button comes first and
    // takes it, so the focused one is not clicked as well.
    EXPECT_EQ(OkClicks, 1);
    EXPECT_EQ(OtherClicks, 1) << "only Space's click";

    OkClicks = OtherClicks = 0;
    PressKey(VK_ESCAPE);
    EXPECT_EQ(CancelClicks, 1);
    EXPECT_EQ(OkClicks, 0) << "Escape does not click the default button";
    for (unsigned Shift : {uitest::ksShift, uitest::ksCtrl}) {
        PressKey(VK_ESCAPE, Shift);
        EXPECT_EQ(CancelClicks, 1) << "Escape with a modifier does nothing";
    }

    // Enter reaches the default button while the cancel button has the focus.
    Cancel->SetFocus();
    PumpUntilIdle();
    PressKey(VK_RETURN);
    EXPECT_EQ(OkClicks, 1);
    EXPECT_EQ(CancelClicks, 1) << "only Escape's click";

    PressKey('O', uitest::ksAlt);
    EXPECT_EQ(OkClicks, 2) << "Alt and the accelerator letter";
    const int Before = OkClicks;
    Ok->SetEnabled(false);
    PressKey('O', uitest::ksAlt);
    EXPECT_EQ(OkClicks, Before) << "a disabled button ignores its accelerator";
}

TEST_F(ZevButtonTest, ActionShortcutsStillWorkWhileAButtonHasTheFocus)
{
    TForm* F = MakeForm();
    auto* B = AddButton(F, "", 10, 10);
    auto* List = New<TActionList>(F);
    auto* Draw = New<TAction>(F);
    Draw->SetActionList(List);
    Draw->SetCaption("Draw F3");
    Draw->SetShortCut(VK_F3);
    int Runs = 0;
    Draw->OnExecute = [&](TObject*) { ++Runs; };
    B->SetAction(Draw);
    ShowForm(F);
    B->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(B->Caption(), "Draw F3");
    PressKey(VK_F3);
    EXPECT_EQ(Runs, 1);
    B->Click();
    EXPECT_EQ(Runs, 2);
}

TEST_F(ZevButtonTest, CaptionLeavesTheFaceShowingAroundItsLetters)
{
    TForm* F = MakeForm();
    auto* B = AddButton(F, "_", 10, 10, 80, 40);
    B->SetColorScheme(csDesert); // a flat face
    ShowForm(F);
    TBitmap Probe;
    Probe.Canvas()->Font()->Assign(B->Font());
    const TSize T = Probe.Canvas()->TextExtent("_");
    // The top of the text cell of "_" has no ink: the face must show there, not a text background.
    EXPECT_EQ(PixelAt(B->Handle(), (80 - T.cx) / 2, (40 - T.cy) / 2 + 1), ColorToRGB(0x95DDFF));
}
