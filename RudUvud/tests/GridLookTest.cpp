// The grid's looks and colour presets, the colour schemes it follows, the look settings objects,
// and the painting of cell graphics, check boxes, radio buttons, the modified-row marker and the
// background on the headless backend.

#include "RudUvud/demo/GridGallery.h"
#include "RudUvud/tests/GridTestSupport.h"

#include "platform/win/Colors.h"
#include "platform/win/UxTheme.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

using RudUvudLook::csBorland;
using RudUvudLook::csClassic;
using RudUvudLook::csGlyph;
using RudUvudLook::csTheme;
using RudUvudLook::csWinXP;
using RudUvudLook::csZIV;

constexpr TColor N = clNone;

TColor Rgb(TColor C)
{
    return C == clNone ? C : static_cast<TColor>(ColorToRGB(C));
}

class GridLook : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 4, 8);
        G->SetBounds(0, 0, 600, 300);
        G->SetDefaultColWidth(120);
        G->SetDefaultRowHeight(24);
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    void Repaint()
    {
        G->Invalidate();
        uitest::PumpUntilIdle();
    }
    COLORREF Px(Integer X, Integer Y) { return uitest::PixelAt(G->Handle(), X, Y); }
    // How many pixels of a cell have the colour C.
    int Count(Integer Col, Integer Row, TColor C)
    {
        const TRect R = G->CellRect(Col, Row);
        int K = 0;
        for (Integer Y = R.Top; Y < R.Bottom; ++Y)
            for (Integer X = R.Left; X < R.Right; ++X)
                K += Px(X, Y) == ColorToRGB(C);
        return K;
    }
    // The cell's pixels, for comparing two cells' drawings.
    std::vector<COLORREF> Pixels(Integer Col, Integer Row)
    {
        const TRect R = G->CellRect(Col, Row);
        std::vector<COLORREF> Out;
        for (Integer Y = R.Top; Y < R.Bottom; ++Y)
            for (Integer X = R.Left; X < R.Right; ++X)
                Out.push_back(Px(X, Y));
        return Out;
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

// ---- Presets -----------------------------------------------------------------------------------

struct PresetResult {
    TGridLook Look;
    TColor From, To, MirrorFrom, MirrorTo;
    TColor Active, ActiveTo, Line, FixedLine, Selection, SelectionText;
    TGridSelectionStyle Style;
    TColor Footer, FooterTo;
    TColor SortHeader, HoverBorder;
    friend bool operator==(const PresetResult&, const PresetResult&) = default;
};

void PrintTo(const PresetResult& R, std::ostream* Os)
{
    *Os << std::hex << "look " << R.Look << " grad " << R.From << "," << R.To << "," << R.MirrorFrom << ","
        << R.MirrorTo << " active " << R.Active << "," << R.ActiveTo << " lines " << R.Line << ","
        << R.FixedLine << " sel " << R.Selection << "," << R.SelectionText << " style " << R.Style
        << " footer " << R.Footer << "," << R.FooterTo << " sort " << R.SortHeader << " hover border "
        << R.HoverBorder;
}

PresetResult Read(TDidAririzEvar* G)
{
    const TGridPaintState& P = G->PaintState();
    return {G->Look(),
            P.ZIVGradFrom,
            P.ZIVGradTo,
            P.ZIVGradMirrorFrom,
            P.ZIVGradMirrorTo,
            G->ActiveCellColor(),
            G->ActiveCellColorTo(),
            G->GridLineColor(),
            G->GridFixedLineColor(),
            G->SelectionColor(),
            G->SelectionTextColor(),
            G->SelectionStyle(),
            G->SearchFooter()->Color(),
            G->SearchFooter()->ColorTo(),
            G->SortSettings()->HeaderColor,
            P.HoverBorder};
}

TEST_F(GridLook, EveryPresetWritesItsColoursOnADefaultGrid)
{
    const TColor Face = Rgb(clBtnFace), Hl = clHighlight, HlT = clHighlightText;
    // From the default look (glXP): the look changes for the Office 2007, Vista, 7 and terminal
    // presets only, and a look change applies its own colours first.
    const std::map<TRudUvudStyle, PresetResult> Expected = {
        {gsOffice2003Blue,
         {glXP, 0xFCE1CB, 0xE0A57D, N, N, 0x94E6FB, 0x1595EE, 0xC0C0C0, 0x808080, Hl, HlT, ssDefault,
          0xFCE1CB, N, N, N}},
        {gsOffice2003Silver,
         {glXP, 0xECE2E1, 0xB39698, N, N, 0x94E6FB, 0x1595EE, 0xC0C0C0, 0x808080, Hl, HlT, ssDefault,
          0xECE2E1, N, N, N}},
        {gsOffice2003Olive,
         {glXP, 0xCFF0EA, 0x8CC0B1, N, N, 0x94E6FB, 0x1595EE, 0xC0C0C0, 0x808080, Hl, HlT, ssDefault,
          0xCFF0EA, N, N, N}},
        {gsOffice2003Classic,
         {glXP, 0xFFFFFF, 0xCCD4D8, N, N, 0xD8D5D4, 0xD8D5D4, 0xC0C0C0, 0x808080, Hl, HlT, ssDefault,
          0xFFFFFF, N, N, N}},
        {gsOffice2007Luna,
         {glOffice2007, 0xFBF9F6, 0xE8DBD2, N, N, 0x9DD8F9, 0x5EC1F1, 0xF1EDEB, 0xD1BBA4, 0x5EC1F1, 0,
          ssOffice2007, 0xFBF9F6, N, N, 0xB79F87}},
        {gsOffice2007Obsidian,
         {glOffice2007, 0xF7F7F7, 0xDEDEDE, N, N, 0x9DD8F9, 0x5EC1F1, 0xE5D7D0, 0x808080, 0x5EC1F1, 0,
          ssOffice2007, 0xF7F7F7, N, N, 0xB79F87}},
        {gsWindowsXP,
         {glXP, Face, Face, N, N, clBtnFace, clBtnFace, 0xC0C0C0, 0x808080, Hl, HlT, ssDefault, Face, N, N,
          N}},
        {gsWhidbey,
         {glXP, 0xFFFFFF, Face, N, N, 0x94E6FB, 0x1595EE, 0xC0C0C0, 0x808080, Hl, HlT, ssDefault, 0xFFFFFF, N,
          N, N}},
        {gsCustom,
         {glXP, 0xF7F7F7, 0xE0E0E0, N, N, 0x808080, N, 0xC0C0C0, 0x808080, Hl, HlT, ssDefault, clWhite,
          clBtnFace, N, N}},
        {gsOffice2007Silver,
         {glOffice2007, 0xF3F3F1, 0xCAC9C8, N, N, 0x99CCFF, 0x699CFF, 0xE5D7D0, 0x808080, 0x95C7F5, 0,
          ssOffice2007, 0xF3F3F1, N, N, 0xB79F87}},
        {gsWindowsVista,
         {glVista, 0xFFFFFF, 0xFFFFFF, 0xFAF8F7, 0xF4F2F1, 0xFDF8F1, 0xFCEFD5, 0xECECF0, 0xD4D2D1, 0xEACAB6,
          0, ssVista, 0xFFFFFF, 0xF4F2F1, 0xFCF9F2, 0xE3C993}},
        {gsWindows7,
         {glWin7, 0xFDFCFA, 0xFAF0E6, 0xF4E6DC, 0xF7E9DD, 0xFCEBDC, 0xFCDBC1, 0xECECF0, 0xD4D2D1, 0xEACAB6, 0,
          ssWin7, 0xFDFCFA, 0xF7E9DD, 0xFCF9F2, 0xEEE8E3}},
        {gsTerminal,
         {glStandard, Face, N, N, N, 0x808080, N, 0xC0C0C0, 0x808080, Hl, HlT, ssDefault, clBtnFace,
          clBtnFace, N, N}},
    };
    for (const auto& [Style, Want] : Expected) {
        TDidAririzEvar* Fresh = gridtest::NewShownGrid(Form, 4, 8);
        Fresh->SetStyle(Style);
        EXPECT_EQ(Read(Fresh), Want) << "style " << Style;
        Fresh->Free();
    }
}

TEST_F(GridLook, PresetsAndLooksCallEachOtherOnce)
{
    // Luna on a grid already in the Office 2007 look: the look is not applied again, every Luna
    // colour and the Office 2007 selection style are.
    G->SetLook(glOffice2007);
    G->SetSelectionColor(0x123456);
    G->SetGridLineColor(0x010101);
    G->SetStyle(gsOffice2007Luna);
    EXPECT_EQ(G->SelectionColor(), TColor(0x5EC1F1));
    EXPECT_EQ(G->GridLineColor(), TColor(0xF1EDEB));
    EXPECT_EQ(G->SelectionStyle(), ssOffice2007);
    EXPECT_EQ(G->ComponentStyle(), tsOffice2007Luna);

    // The Vista look gives exactly the Vista preset's colours.
    TDidAririzEvar* A = gridtest::NewShownGrid(Form, 4, 8);
    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 4, 8);
    A->SetLook(glVista);
    B->SetStyle(gsWindowsVista);
    EXPECT_EQ(Read(A), Read(B));
    EXPECT_EQ(A->ControlLook()->FixedGradientDownBorder, TColor(0xAE904F));

    // Silver leaves the mirror colours as they are while the look stays; a change of look to
    // Office 2007 (from Vista) resets them with the look.
    B->SetLook(glOffice2007);
    B->SetZIVGradMirrorFrom(0xFAF8F7);
    B->SetStyle(gsOffice2007Silver);
    EXPECT_EQ(B->PaintState().ZIVGradMirrorFrom, TColor(0xFAF8F7));
    EXPECT_EQ(B->PaintState().ZIVGradFrom, TColor(0xF3F3F1));
    B->SetStyle(gsWindowsVista);
    B->SetStyle(gsOffice2007Silver);
    EXPECT_EQ(B->PaintState().ZIVGradMirrorFrom, N);

    // gsCustom and an ordinal beyond the presets reset only the selection, its style and the
    // sort header colours.
    for (int Style : {int(gsCustom), 13, 99}) {
        A->SetStyle(gsWindowsVista);
        const PresetResult Before = Read(A);
        A->SetStyle(static_cast<TRudUvudStyle>(Style));
        PresetResult Want = Before;
        Want.Selection = clHighlight;
        Want.SelectionText = clHighlightText;
        Want.Style = ssDefault;
        Want.SortHeader = N;
        EXPECT_EQ(Read(A), Want) << Style;
    }
    A->Free();
    B->Free();

    // The current look again changes nothing; glXP from glStandard brings its own colours.
    G->SetLook(glStandard);
    EXPECT_EQ(G->SelectionColor(), clHighlight);
    G->SetSelectionColor(0x111111);
    G->SetLook(glStandard);
    EXPECT_EQ(G->SelectionColor(), TColor(0x111111));
    G->SetLook(glXP);
    EXPECT_EQ(G->SelectionColor(), TColor(0xEACAB6));
    EXPECT_EQ(G->ActiveCellColor(), TColor(0xEACAB6));
    EXPECT_EQ(G->PaintState().ZIVGradFrom, TColor(0xFFFFFF));
    EXPECT_EQ(G->PaintState().ZIVGradTo, Rgb(clBtnFace));
    EXPECT_EQ(G->SearchFooter()->ColorTo(), Rgb(clBtnFace));
    EXPECT_EQ(G->PaintState().DownMirrorTo, TColor(0x627376));
}

TEST_F(GridLook, LookNames)
{
    const char* Names[] = {"glStandard", "glSoft",  "glClassic", "glZIV",        "glXP",
                           "glListView", "glVista", "glWin7",    "glOffice2007", ""};
    const char* Friendly[] = {"Standard", "Soft",          "Classic",   "ZIV",        "Windows XP",
                              "ListView", "Windows Vista", "Windows 7", "Office2007", ""};
    for (int L = glStandard; L <= glCustom; ++L) {
        EXPECT_EQ(G->GetLookAsString(static_cast<TGridLook>(L)), Names[L]);
        EXPECT_EQ(G->GetLookAsFriendlyString(static_cast<TGridLook>(L)), Friendly[L]);
    }
}

TEST_F(GridLook, ThemeAdaptFollowsTheSystemScheme)
{
    struct Case {
        const char* Name;
        bool Vista, ThemeOn;
        TColor From, MirrorFrom, ActiveTo, FooterTo;
    };
    const Case Cases[] = {
        {"Vista or later: aero", true, false, 0xFFFFFF, 0xFAF8F7, 0x1595EE, 0xB39698},
        {"XP with the blue scheme", false, true, 0xFCE1CB, N, 0x1595EE, 0xE0A57D},
        {"XP without visual styles", false, false, 0xFFFFFF, N, 0xFFD9B3, 0xFFD9B3},
    };
    for (const Case& C : Cases) {
        SetLibraryExportHidden("KERNEL32.DLL", "GetLocaleInfoEx", !C.Vista);
        SetBuiltInThemeActive(C.ThemeOn);
        G->ThemeAdapt();
        EXPECT_EQ(G->PaintState().ZIVGradFrom, C.From) << C.Name;
        EXPECT_EQ(G->PaintState().ZIVGradMirrorFrom, C.MirrorFrom) << C.Name;
        EXPECT_EQ(G->ActiveCellColorTo(), C.ActiveTo) << C.Name;
        EXPECT_EQ(G->SearchFooter()->ColorTo(), C.FooterTo) << C.Name;
    }
    SetBuiltInThemeActive(false);
    ResetLibraryTable();
    // The olive scheme; no scheme leaves the control look's colours unset.
    G->SetTheme(xpGreen);
    EXPECT_EQ(G->PaintState().ZIVGradFrom, TColor(0xCFF0EA));
    EXPECT_EQ(G->ControlLook()->FixedGradientFrom, TColor(0xCFF0EA));
    G->SetTheme(xpNone);
    EXPECT_EQ(G->ControlLook()->FixedGradientFrom, N);
    EXPECT_EQ(G->PaintState().ZIVGradTo, Rgb(clBtnFace));
}

// ---- Settings objects ---------------------------------------------------------------------------

TEST_F(GridLook, SettingsObjectsCopyWhatTheyShould)
{
    TControlLook Source;
    Source.CheckSize = 19;
    Source.ControlStyle = csZIV;
    Source.FixedGradientFrom = 0x102030;
    Source.FixedGradientDownBorder = 0x405060;
    Source.FlatButton = true;
    Source.ProgressXP = true;
    Source.NoDisabledButtonLook = true;
    Source.SetCheckedGlyph(gridgallery::Solid(5, 5, clRed).get());
    TControlLook* CL = G->ControlLook();
    const TColor GridFrom = G->PaintState().ZIVGradFrom;
    CL->Assign(&Source);
    EXPECT_EQ(CL->CheckSize, 19);
    EXPECT_EQ(CL->ControlStyle, csZIV);
    EXPECT_EQ(CL->FixedGradientFrom, TColor(0x102030));
    EXPECT_EQ(CL->FixedGradientDownBorder, TColor(0x405060));
    EXPECT_EQ(CL->CheckedGlyph()->Width(), 5);
    EXPECT_FALSE(CL->FlatButton);
    EXPECT_FALSE(CL->ProgressXP);
    EXPECT_FALSE(CL->NoDisabledButtonLook);
    EXPECT_EQ(G->PaintState().ZIVGradFrom, GridFrom) << "Assign writes fields only";
    // The setters hand a colour to the grid, but no clNone.
    CL->SetFixedGradientFrom(0x00FF00);
    EXPECT_EQ(G->PaintState().ZIVGradFrom, TColor(0x00FF00));
    CL->SetFixedGradientFrom(clNone);
    EXPECT_EQ(G->PaintState().ZIVGradFrom, TColor(0x00FF00));
    CL->SetFixedGradientHoverBorder(0x0000FF);
    EXPECT_EQ(G->PaintState().HoverBorder, TColor(0x0000FF));

    // The gauge settings tell their owner once per change and once per copy.
    TGridProgressAppearance A, B;
    int Changes = 0;
    A.OnChange = [&](TObject*) { ++Changes; };
    A.SetSteps(11);
    EXPECT_EQ(Changes, 0) << "same value";
    A.SetSteps(20);
    B.SetLevel1Perc(33);
    B.SetStyle(psClassic);
    A.Assign(&B);
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(A.Level1Perc(), 33);
    EXPECT_EQ(A.Style(), psClassic);
    EXPECT_EQ(A.Steps(), 11);

    // Bands copy every setting, the printing switch too.
    TBands Bands;
    Bands.Print = true;
    Bands.PrimaryLength = 2;
    G->Bands()->Assign(&Bands);
    EXPECT_TRUE(G->Bands()->Print);
    EXPECT_EQ(G->Bands()->Period(), 3);

    TShowModified M;
    int Told = 0;
    M.OnChange = [&](TObject*) { ++Told; };
    M.SetColor(0x00FF00);
    EXPECT_EQ(Told, 1);
}

TEST_F(GridLook, BandsCountFromTheFirstNormalRowAndSkipFooters)
{
    G->SetFixedFooters(1);
    TBands* B = G->Bands();
    B->SetPrimaryColor(0x00FF00);
    B->SetSecondaryColor(0xFFFF00);
    B->SetPrimaryLength(2);
    B->SetSecondaryLength(1);
    B->SetActive(true);
    uitest::PumpUntilIdle();
    const TColor Want[] = {0x00FF00, 0x00FF00, 0xFFFF00, 0x00FF00, 0x00FF00, 0xFFFF00};
    for (Integer R = 1; R <= 6; ++R) {
        const TRect Rc = G->CellRect(2, R);
        EXPECT_EQ(Px(Rc.Left + 60, Rc.Top + 12), ColorToRGB(Want[R - 1])) << "row " << R;
    }
    const TRect F = G->CellRect(2, 7);
    EXPECT_NE(Px(F.Left + 60, F.Top + 12), ColorToRGB(0x00FF00)) << "footer row";
    EXPECT_NE(Px(F.Left + 60, F.Top + 12), ColorToRGB(0xFFFF00)) << "footer row";
}

// ---- Presets on the pixels ----------------------------------------------------------------------

TEST_F(GridLook, EveryPresetPaintsItsHeaderGradient)
{
    for (int Style = gsOffice2003Blue; Style <= gsTerminal; ++Style) {
        G->SetStyle(static_cast<TRudUvudStyle>(Style));
        Repaint();
        const TGridPaintState& P = G->PaintState();
        const TRect H = G->CellRect(2, 0);
        const COLORREF Top = Px((H.Left + H.Right) / 2, H.Top + 3);
        const COLORREF Bottom = Px((H.Left + H.Right) / 2, H.Bottom - 3);
        // Within a few gradient bands of the colour.
        auto Near = [](COLORREF A, TColor B) {
            const COLORREF C = ColorToRGB(B);
            return std::abs(int(GetRValue(A)) - int(GetRValue(C))) <= 24 &&
                   std::abs(int(GetGValue(A)) - int(GetGValue(C))) <= 24 &&
                   std::abs(int(GetBValue(A)) - int(GetBValue(C))) <= 24;
        };
        if (G->Look() == glStandard) {
            EXPECT_EQ(Top, ColorToRGB(G->FixedColor())) << Style;
            EXPECT_EQ(Bottom, ColorToRGB(G->FixedColor())) << Style;
            continue;
        }
        EXPECT_TRUE(Near(Top, P.ZIVGradFrom)) << Style << std::hex << " " << Top;
        const TColor End = P.ZIVGradMirrorFrom != clNone
                               ? (P.ZIVGradMirrorTo != clNone ? P.ZIVGradMirrorTo : P.ZIVGradMirrorFrom)
                               : (P.ZIVGradTo != clNone ? P.ZIVGradTo : P.ZIVGradFrom);
        EXPECT_TRUE(Near(Bottom, End)) << Style << std::hex << " " << Bottom;
    }
}

// ---- Graphics on the pixels ----------------------------------------------------------------------

TEST_F(GridLook, CheckBoxesInEveryControlStyle)
{
    G->SetOptions(G->Options() + TGridOptions{goEditing});
    G->AddCheckBox(1, 1, true, false);
    G->AddCheckBox(1, 2, false, false);
    G->AddCheckBox(1, 3, true, false);
    G->SetReadOnly(1, 3, true);
    TControlLook* CL = G->ControlLook();
    // Glyphs with a corner of their own colour, which is drawn see-through.
    auto Glyph = [](TColor C) {
        std::unique_ptr<TBitmap> B = gridgallery::Solid(15, 15, C);
        B->Canvas()->Brush()->SetColor(0xFF00FF);
        B->Canvas()->FillRect(TRect{0, 14, 1, 15});
        return B;
    };
    CL->SetCheckedGlyph(Glyph(0x00FF00).get());
    CL->SetUnCheckedGlyph(Glyph(0x0000FF).get());
    std::map<int, std::vector<std::vector<COLORREF>>> Drawn;
    for (int S = csClassic; S <= csTheme; ++S) {
        CL->SetControlStyle(static_cast<RudUvudLook::TControlStyle>(S));
        Repaint();
        Drawn[S] = {Pixels(1, 1), Pixels(1, 2), Pixels(1, 3)};
        // Checked, unchecked and read-only checked boxes all differ.
        EXPECT_NE(Drawn[S][0], Drawn[S][1]) << S;
        EXPECT_NE(Drawn[S][0], Drawn[S][2]) << S;
    }
    // Each style has its own look; csTheme without common controls 6 is the classic box.
    for (int A = csClassic; A < csTheme; ++A)
        for (int B = A + 1; B < csTheme; ++B)
            EXPECT_NE(Drawn[A][0], Drawn[B][0]) << A << " vs " << B;
    EXPECT_EQ(Drawn[csTheme], Drawn[csClassic]);
    // The bitmap styles: the blue frame of the XP box, the green tick; grey when read-only.
    CL->SetControlStyle(csWinXP);
    Repaint();
    EXPECT_GT(Count(1, 1, RGB(28, 81, 128)), 20);
    EXPECT_GT(Count(1, 1, RGB(33, 161, 33)), 10);
    EXPECT_EQ(Count(1, 3, RGB(28, 81, 128)), 0);
    EXPECT_GT(Count(1, 3, RGB(202, 200, 187)), 20);
    // A read-only box is drawn active with CheckAlwaysActive or NoDisabledCheckRadioLook.
    for (auto Set : {&TControlLook::SetCheckAlwaysActive, &TControlLook::SetNoDisabledCheckRadioLook}) {
        (CL->*Set)(true);
        Repaint();
        EXPECT_GT(Count(1, 3, RGB(28, 81, 128)), 20);
        (CL->*Set)(false);
    }
    // Glyphs and the Borland mark colour.
    CL->SetControlStyle(csGlyph);
    Repaint();
    EXPECT_EQ(Count(1, 1, 0x00FF00), 15 * 15 - 1);
    EXPECT_EQ(Count(1, 2, 0x0000FF), 15 * 15 - 1);
    CL->SetControlStyle(csBorland);
    CL->SetColor(0x800080);
    Repaint();
    EXPECT_GT(Count(1, 1, 0x800080), 10);
    EXPECT_EQ(Count(1, 2, 0x800080), 0);
}

TEST_F(GridLook, CheckBoxPlacementFollowsTheTextAlignment)
{
    TCellGraphic Box;
    Box.SetCheckBox(true, false, true, haBeforeText, vaTop);
    TCellGraphic Bitmap;
    Bitmap.CellType = ctBitmap;
    const TRect R{100, 50, 200, 80}; // inside: 101..199 x 51..79 (margin 2 less one)
    struct Case {
        const char* Name;
        TCellGraphic* G;
        TCellHAlign H;
        TCellVAlign V;
        Integer TextWidth;
        TAlignment TextH;
        TVAlignment TextV;
        TRect Want;
    };
    const Case Cases[] = {
        {"box, left text", &Box, haBeforeText, vaTop, 30, taLeftJustify, vtaTop, {102, 52, 117, 67}},
        {"box left of right text", &Box, haBeforeText, vaTop, 30, taRightJustify, vtaTop, {151, 52, 166, 67}},
        {"box centred with the text", &Box, haBeforeText, vaTop, 30, taCenter, vtaTop, {119, 52, 134, 67}},
        {"box without text, centred", &Box, haRight, vaTop, 0, taCenter, vtaTop, {142, 52, 157, 67}},
        {"box by the text's vertical place",
         &Box,
         haBeforeText,
         vaTop,
         0,
         taLeftJustify,
         vtaCenter,
         {102, 57, 117, 72}},
        {"bitmap centred", &Bitmap, haCenter, vaCenter, 0, taLeftJustify, vtaTop, {142, 57, 157, 72}},
        {"bitmap after left text",
         &Bitmap,
         haAfterText,
         vaBottom,
         30,
         taLeftJustify,
         vtaTop,
         {133, 63, 148, 78}},
        {"bitmap right", &Bitmap, haRight, vaTop, 0, taLeftJustify, vtaTop, {183, 52, 198, 67}},
    };
    for (const Case& C : Cases) {
        C.G->CellHAlign = C.H;
        C.G->CellVAlign = C.V;
        const TRect P = G->GraphicPlace(*C.G, R, 15, 15, C.TextWidth, C.TextH, C.TextV);
        EXPECT_EQ(P, C.Want) << C.Name << ": " << P.Left << "," << P.Top << "," << P.Right << "," << P.Bottom;
    }
}

TEST_F(GridLook, RatingsCommentsAndGauges)
{
    const TColor Full = 0x00C0FF, Empty = 0xD0D0D0;
    const char* Values[] = {"2.4", "2.5", "2.9", "abc"};
    for (Integer R = 0; R < 4; ++R) {
        G->AddRating(1, R + 1, 5, Full, Empty);
        G->SetCells(1, R + 1, Values[R]);
    }
    Repaint();
    const int Full24 = Count(1, 1, Full), Empty24 = Count(1, 1, Empty);
    const int Full25 = Count(1, 2, Full), Full29 = Count(1, 3, Full);
    ASSERT_GT(Full24, 0);
    // 2.4: two full stars and three empty ones; 2.5 and 2.9: a half star more.
    EXPECT_NEAR(double(Full24) / Empty24, 2.0 / 3.0, 0.05);
    EXPECT_EQ(Full25, Full29);
    EXPECT_GT(Full25, Full24 + Full24 / 8);
    // A text that is no number paints as 0 instead of breaking off the cell.
    EXPECT_EQ(Count(1, 4, Full), 0);
    EXPECT_NEAR(Count(1, 4, Empty), Empty24 * 5 / 3, Empty24 / 10);

    // Comment marks: the comment's own colour, the control look's otherwise, none with clNone.
    G->AddComment(2, 1, "x");
    G->AddColorComment(2, 2, "y", 0xFF0000);
    Repaint();
    EXPECT_GT(Count(2, 1, 255), 4);
    EXPECT_GT(Count(2, 2, 0xFF0000), 4);
    G->ControlLook()->SetCommentColor(clNone);
    Repaint();
    EXPECT_EQ(Count(2, 1, 255), 0);
    EXPECT_EQ(Count(2, 2, 0xFF0000), 0);

    // A gauge from 0 to 200 at 50 shows what one from 0 to 100 at 25 shows.
    G->AddVadProgress(3, 1, 0, 200);
    G->SetCells(3, 1, "50");
    G->AddVadProgress(3, 2, 0, 100);
    G->SetCells(3, 2, "25");
    // Without a range it shows empty or full instead of dividing by zero.
    G->AddVadProgress(3, 3, 10, 10);
    G->SetCells(3, 3, "10");
    Repaint();
    EXPECT_EQ(Pixels(3, 1), Pixels(3, 2));
    EXPECT_NE(Pixels(3, 1), Pixels(3, 3));
}

TEST_F(GridLook, ModifiedMarkerAndBackground)
{
    G->ShowModified()->Enabled = true;
    G->SetRowModified(2, true);
    Repaint();
    const TRect C0 = G->CellRect(0, 2);
    EXPECT_EQ(Px(C0.Right - 2, C0.Top + 10), ColorToRGB(0x00FFFF));
    EXPECT_NE(Px(C0.Right - 2, G->CellRect(0, 3).Top + 10), ColorToRGB(0x00FFFF));
    G->ShowModified()->SetColor(0xFF0000);
    uitest::PumpUntilIdle();
    EXPECT_EQ(Px(C0.Right - 2, C0.Top + 10), ColorToRGB(0xFF0000));

    // The client area right of the last column: a horizontal gradient, then a fixed picture.
    G->SetColCount(2);
    TBackGround* B = G->BackGround();
    B->SetColor(0x0000FF);
    B->SetColorTo(0xFF0000);
    B->SetDisplay(bdGradientHorz);
    uitest::PumpUntilIdle();
    const Integer Outside = G->CellRect(1, 1).Right + 20;
    const COLORREF Near = Px(Outside, 100), Far = Px(590, 100);
    EXPECT_GT(GetBValue(Far), GetBValue(Near));
    EXPECT_LT(GetRValue(Far), GetRValue(Near));
    EXPECT_NE(Px(G->CellRect(1, 1).Left + 10, 100), Near) << "cells keep their own colour";
    std::unique_ptr<TBitmap> Pic = gridgallery::Solid(40, 30, 0x00FF00);
    B->SetBitmap(Pic.get());
    B->SetDisplay(bdFixed);
    B->SetLeft(Outside);
    B->SetTop(100);
    uitest::PumpUntilIdle();
    EXPECT_EQ(Px(Outside + 5, 105), ColorToRGB(0x00FF00));
    EXPECT_NE(Px(Outside + 45, 105), ColorToRGB(0x00FF00));
    B->SetDisplay(bdTile);
    uitest::PumpUntilIdle();
    EXPECT_EQ(Px(590, 250), ColorToRGB(0x00FF00));
}

TEST_F(GridLook, GalleryDrawsEveryKind)
{
    gridgallery::TGallery Gallery;
    gridgallery::Fill(G, Gallery);
    G->SetBounds(0, 0, 600, 800);
    Repaint();
    const TColor Window = G->Color();
    // Every sample cell has ink beyond its text; the picture's, the shapes' and the pie's own
    // colours show.
    for (Integer R = 1; R < G->RowCount(); ++R) {
        const TRect Rc = G->CellRect(1, R);
        int Ink = 0;
        for (Integer Y = Rc.Top + 2; Y < Rc.Bottom - 2; ++Y)
            for (Integer X = Rc.Left + 2; X < Rc.Right - 2; ++X)
                Ink += Px(X, Y) != ColorToRGB(Window);
        EXPECT_GT(Ink, 20) << gridgallery::RowNames()[R - 1];
    }
    EXPECT_GT(Count(1, 4, 0x206020), 100) << "picture";
    EXPECT_GT(Count(1, 17, 0x00C000), 50) << "shape";
    EXPECT_GT(Count(1, 2, 0x0000C0), 200) << "image list";
    // Painting put the button where the mouse finds it.
    const TRect Button = G->ButtonRect(1, 15);
    EXPECT_EQ(Button.Right - Button.Left, 80);
    EXPECT_GE(Button.Left, G->CellRect(1, 15).Left);
}

} // namespace
