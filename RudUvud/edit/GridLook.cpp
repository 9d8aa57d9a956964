// The look settings objects (edit/GridLook.h), the grid's looks and colour presets, the colour
// schemes it follows and the rating change hook.

#include "RudUvud/edit/GridLook.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/VadStyleIF.h"
#include "RudUvud/support/VadXPVS.h"

#include "dropdowns/DropDownAppearance.h"
#include "platform/win/Colors.h"

#include <array>

// ---- TControlLook --------------------------------------------------------------------------------

TControlLook::TControlLook(TDidAririzEvar* AGrid)
    : FGrid(AGrid), FCheckedGlyph(std::make_unique<TBitmap>()), FUnCheckedGlyph(std::make_unique<TBitmap>()),
      FRadioOnGlyph(std::make_unique<TBitmap>()), FRadioOffGlyph(std::make_unique<TBitmap>()),
      FDropDownHeader(std::make_unique<THeaderAppearance>(this)),
      FDropDownFooter(std::make_unique<TFooterAppearance>(this))
{
}

TControlLook::~TControlLook() = default;

void TControlLook::Repaint()
{
    if (FGrid)
        FGrid->Invalidate();
}

void TControlLook::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TControlLook*>(Source);
    if (!S)
        return;
    CheckSize = S->CheckSize;
    RadioSize = S->RadioSize;
    ControlStyle = S->ControlStyle;
    FCheckedGlyph->Assign(S->FCheckedGlyph.get());
    FUnCheckedGlyph->Assign(S->FUnCheckedGlyph.get());
    FRadioOnGlyph->Assign(S->FRadioOnGlyph.get());
    FRadioOffGlyph->Assign(S->FRadioOffGlyph.get());
    ProgressMarginX = S->ProgressMarginX;
    ProgressMarginY = S->ProgressMarginY;
    CommentColor = S->CommentColor;
    Color = S->Color;
    ProgressBorderColor = S->ProgressBorderColor;
    CheckAlwaysActive = S->CheckAlwaysActive;
    RadioAlwaysActive = S->RadioAlwaysActive;
    FixedGradientFrom = S->FixedGradientFrom;
    FixedGradientTo = S->FixedGradientTo;
    FixedGradientMirrorFrom = S->FixedGradientMirrorFrom;
    FixedGradientMirrorTo = S->FixedGradientMirrorTo;
    FixedGradientHoverFrom = S->FixedGradientHoverFrom;
    FixedGradientHoverTo = S->FixedGradientHoverTo;
    FixedGradientHoverMirrorFrom = S->FixedGradientHoverMirrorFrom;
    FixedGradientHoverMirrorTo = S->FixedGradientHoverMirrorTo;
    FixedGradientHoverBorder = S->FixedGradientHoverBorder;
    FixedGradientDownFrom = S->FixedGradientDownFrom;
    FixedGradientDownTo = S->FixedGradientDownTo;
    FixedGradientDownMirrorFrom = S->FixedGradientDownMirrorFrom;
    FixedGradientDownMirrorTo = S->FixedGradientDownMirrorTo;
    FixedGradientDownBorder = S->FixedGradientDownBorder;
    DropDownAlwaysVisible = S->DropDownAlwaysVisible;
    SpinButtonsAlwaysVisible = S->SpinButtonsAlwaysVisible;
    FDropDownFooter->Assign(S->FDropDownFooter.get());
    FDropDownHeader->Assign(S->FDropDownHeader.get());
}

#define CONTROL_LOOK_SETTER(Name, Type)                                                                      \
    void TControlLook::Set##Name(Type V)                                                                     \
    {                                                                                                        \
        Name = V;                                                                                            \
        Repaint();                                                                                           \
    }
CONTROL_LOOK_SETTER(CheckSize, Integer)
CONTROL_LOOK_SETTER(RadioSize, Integer)
CONTROL_LOOK_SETTER(ControlStyle, RudUvudLook::TControlStyle)
CONTROL_LOOK_SETTER(Color, TColor)
CONTROL_LOOK_SETTER(CommentColor, TColor)
CONTROL_LOOK_SETTER(CheckAlwaysActive, bool)
CONTROL_LOOK_SETTER(RadioAlwaysActive, bool)
CONTROL_LOOK_SETTER(NoDisabledCheckRadioLook, bool)
CONTROL_LOOK_SETTER(NoDisabledButtonLook, bool)
CONTROL_LOOK_SETTER(FlatButton, bool)
CONTROL_LOOK_SETTER(ProgressXP, bool)
CONTROL_LOOK_SETTER(ProgressMarginX, Integer)
CONTROL_LOOK_SETTER(ProgressMarginY, Integer)
CONTROL_LOOK_SETTER(ProgressBorderColor, TColor)
CONTROL_LOOK_SETTER(DropDownAlwaysVisible, bool)
CONTROL_LOOK_SETTER(SpinButtonsAlwaysVisible, bool)
CONTROL_LOOK_SETTER(FixedDropDownButton, bool)
#undef CONTROL_LOOK_SETTER

#define CONTROL_LOOK_GLYPH_SETTER(Name)                                                                      \
    void TControlLook::Set##Name(TBitmap* V)                                                                 \
    {                                                                                                        \
        F##Name->Assign(V);                                                                                  \
        Repaint();                                                                                           \
    }
CONTROL_LOOK_GLYPH_SETTER(CheckedGlyph)
CONTROL_LOOK_GLYPH_SETTER(UnCheckedGlyph)
CONTROL_LOOK_GLYPH_SETTER(RadioOnGlyph)
CONTROL_LOOK_GLYPH_SETTER(RadioOffGlyph)
#undef CONTROL_LOOK_GLYPH_SETTER

void TControlLook::SetDropDownHeader(THeaderAppearance* V)
{
    FDropDownHeader->Assign(V);
}

void TControlLook::SetDropDownFooter(TFooterAppearance* V)
{
    FDropDownFooter->Assign(V);
}

// The normal look goes through the grid's ZIVGrad setters, which repaint.
#define CONTROL_LOOK_GRADIENT_SETTER(Name, GridSetter)                                                       \
    void TControlLook::Set##Name(TColor V)                                                                   \
    {                                                                                                        \
        Name = V;                                                                                            \
        if (V != clNone && FGrid)                                                                            \
            FGrid->GridSetter(V);                                                                            \
    }
CONTROL_LOOK_GRADIENT_SETTER(FixedGradientFrom, SetZIVGradFrom)
CONTROL_LOOK_GRADIENT_SETTER(FixedGradientTo, SetZIVGradTo)
CONTROL_LOOK_GRADIENT_SETTER(FixedGradientMirrorFrom, SetZIVGradMirrorFrom)
CONTROL_LOOK_GRADIENT_SETTER(FixedGradientMirrorTo, SetZIVGradMirrorTo)
#undef CONTROL_LOOK_GRADIENT_SETTER

// The hover and pressed looks go into the grid's working colours, without a repaint.
#define CONTROL_LOOK_WORKING_SETTER(Name, Working)                                                           \
    void TControlLook::Set##Name(TColor V)                                                                   \
    {                                                                                                        \
        Name = V;                                                                                            \
        if (V != clNone && FGrid)                                                                            \
            FGrid->PaintState().Working = V;                                                                 \
    }
CONTROL_LOOK_WORKING_SETTER(FixedGradientHoverFrom, HoverFrom)
CONTROL_LOOK_WORKING_SETTER(FixedGradientHoverTo, HoverTo)
CONTROL_LOOK_WORKING_SETTER(FixedGradientHoverMirrorFrom, HoverMirrorFrom)
CONTROL_LOOK_WORKING_SETTER(FixedGradientHoverMirrorTo, HoverMirrorTo)
CONTROL_LOOK_WORKING_SETTER(FixedGradientHoverBorder, HoverBorder)
CONTROL_LOOK_WORKING_SETTER(FixedGradientDownFrom, DownFrom)
CONTROL_LOOK_WORKING_SETTER(FixedGradientDownTo, DownTo)
CONTROL_LOOK_WORKING_SETTER(FixedGradientDownMirrorFrom, DownMirrorFrom)
CONTROL_LOOK_WORKING_SETTER(FixedGradientDownMirrorTo, DownMirrorTo)
CONTROL_LOOK_WORKING_SETTER(FixedGradientDownBorder, DownBorder)
#undef CONTROL_LOOK_WORKING_SETTER

// ---- TGridProgressAppearance -------------------------------------------------------------------------

template <class T> void TGridProgressAppearance::Set(T& Field, T V)
{
    if (Field == V)
        return;
    Field = V;
    Changed();
}

void TGridProgressAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TGridProgressAppearance::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TGridProgressAppearance*>(Source);
    if (!S)
        return;
    FCompleteColor = S->FCompleteColor;
    FCompleteFontColor = S->FCompleteFontColor;
    FUnCompleteColor = S->FUnCompleteColor;
    FUnCompleteFontColor = S->FUnCompleteFontColor;
    FLevel0Color = S->FLevel0Color;
    FLevel0ColorTo = S->FLevel0ColorTo;
    FLevel1Color = S->FLevel1Color;
    FLevel1ColorTo = S->FLevel1ColorTo;
    FLevel2Color = S->FLevel2Color;
    FLevel2ColorTo = S->FLevel2ColorTo;
    FLevel3Color = S->FLevel3Color;
    FLevel3ColorTo = S->FLevel3ColorTo;
    FLevel1Perc = S->FLevel1Perc;
    FLevel2Perc = S->FLevel2Perc;
    FBorderColor = S->FBorderColor;
    FShowBorder = S->FShowBorder;
    FStacked = S->FStacked;
    FShowPercentage = S->FShowPercentage;
    FCompletionSmooth = S->FCompletionSmooth;
    FShowGradient = S->FShowGradient;
    FSteps = S->FSteps;
    FStyle = S->FStyle;
    Changed();
}

#define PROGRESS_SETTER(Name, Type)                                                                          \
    void TGridProgressAppearance::Set##Name(Type V)                                                          \
    {                                                                                                        \
        Set(F##Name, V);                                                                                     \
    }
PROGRESS_SETTER(CompleteColor, TColor)
PROGRESS_SETTER(CompleteFontColor, TColor)
PROGRESS_SETTER(UnCompleteColor, TColor)
PROGRESS_SETTER(UnCompleteFontColor, TColor)
PROGRESS_SETTER(Level0Color, TColor)
PROGRESS_SETTER(Level0ColorTo, TColor)
PROGRESS_SETTER(Level1Color, TColor)
PROGRESS_SETTER(Level1ColorTo, TColor)
PROGRESS_SETTER(Level2Color, TColor)
PROGRESS_SETTER(Level2ColorTo, TColor)
PROGRESS_SETTER(Level3Color, TColor)
PROGRESS_SETTER(Level3ColorTo, TColor)
PROGRESS_SETTER(Level1Perc, Integer)
PROGRESS_SETTER(Level2Perc, Integer)
PROGRESS_SETTER(BorderColor, TColor)
PROGRESS_SETTER(ShowBorder, bool)
PROGRESS_SETTER(Stacked, bool)
PROGRESS_SETTER(ShowPercentage, bool)
PROGRESS_SETTER(CompletionSmooth, bool)
PROGRESS_SETTER(ShowGradient, bool)
PROGRESS_SETTER(Steps, Integer)
PROGRESS_SETTER(Style, TProgressStyle)
#undef PROGRESS_SETTER

// ---- TBands, TBackGround, TShowModified ------------------------------------------------------------

void TBands::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TBands*>(Source);
    if (!S)
        return;
    Active = S->Active;
    PrimaryColor = S->PrimaryColor;
    SecondaryColor = S->SecondaryColor;
    PrimaryLength = S->PrimaryLength;
    SecondaryLength = S->SecondaryLength;
    Print = S->Print;
}

void TBands::RepaintWhenActive()
{
    if (Active && FGrid)
        FGrid->Invalidate();
}

void TBands::SetActive(bool V)
{
    Active = V;
    if (FGrid)
        FGrid->Invalidate();
}

void TBands::SetPrimaryColor(TColor V)
{
    PrimaryColor = V;
    RepaintWhenActive();
}

void TBands::SetSecondaryColor(TColor V)
{
    SecondaryColor = V;
    RepaintWhenActive();
}

void TBands::SetPrimaryLength(Integer V)
{
    PrimaryLength = V;
    RepaintWhenActive();
}

void TBands::SetSecondaryLength(Integer V)
{
    SecondaryLength = V;
    RepaintWhenActive();
}

TBackGround::TBackGround(TDidAririzEvar* AGrid) : FGrid(AGrid), FBitmap(std::make_unique<TBitmap>()) {}

TBackGround::~TBackGround() = default;

void TBackGround::Repaint()
{
    if (FGrid)
        FGrid->Invalidate();
}

#define BACKGROUND_SETTER(Name, Type)                                                                        \
    void TBackGround::Set##Name(Type V)                                                                      \
    {                                                                                                        \
        Name = V;                                                                                            \
        Repaint();                                                                                           \
    }
BACKGROUND_SETTER(Top, Integer)
BACKGROUND_SETTER(Left, Integer)
BACKGROUND_SETTER(Display, TBackGroundDisplay)
BACKGROUND_SETTER(Cells, TBackGroundCells)
BACKGROUND_SETTER(Color, TColor)
BACKGROUND_SETTER(ColorTo, TColor)
#undef BACKGROUND_SETTER

void TBackGround::SetBitmap(TBitmap* V)
{
    FBitmap->Assign(V);
    Repaint();
}

void TShowModified::Assign(TPersistent* Source)
{
    if (auto* S = dynamic_cast<TShowModified*>(Source)) {
        Color = S->Color;
        Enabled = S->Enabled;
    }
}

void TShowModified::SetColor(TColor V)
{
    Color = V;
    if (OnChange)
        OnChange(this);
}

// ---- Looks --------------------------------------------------------------------------------------------

namespace {

const char* const LookNames[] = {"glStandard", "glSoft",  "glClassic", "glZIV",       "glXP",
                                 "glListView", "glVista", "glWin7",    "glOffice2007"};
const char* const LookFriendlyNames[] = {"Standard", "Soft",          "Classic",   "ZIV",       "Windows XP",
                                         "ListView", "Windows Vista", "Windows 7", "Office2007"};

constexpr TColor White = 0xFFFFFF;

} // namespace

AnsiString TDidAririzEvar::GetLookAsString(TGridLook ALook)
{
    return ALook >= glStandard && ALook < glCustom ? LookNames[ALook] : "";
}

AnsiString TDidAririzEvar::GetLookAsFriendlyString(TGridLook ALook)
{
    return ALook >= glStandard && ALook < glCustom ? LookFriendlyNames[ALook] : "";
}

void TDidAririzEvar::SetLook(TGridLook Value)
{
    if (Value == FCore.Look)
        return;
    FCore.Look = Value;
    TControlLook* CL = FControlLook.get();
    const bool Loading = ComponentState().Contains(csLoading);
    if (Value != glCustom) {
        CL->SetFixedGradientMirrorFrom(clNone);
        CL->SetFixedGradientMirrorTo(clNone);
        CL->SetFixedGradientFrom(clNone);
        CL->SetFixedGradientTo(clNone);
        FPaint.ZIVGradFrom = FPaint.ZIVGradTo = FPaint.ZIVGradMirrorFrom = FPaint.ZIVGradMirrorTo = clNone;
    }
    auto Preset = [&](TRudUvudStyle Style, ZEDAVozor Editors, TGridSelectionStyle Selection) {
        SetStyle(Style);
        FPaint.EditorsStyle = FPaint.ComponentStyle = Editors;
        SetSelectionStyle(Selection);
    };
    switch (Value) {
    case glVista:
        Preset(gsWindowsVista, tsWindowsVista, ssVista);
        break;
    case glWin7:
        Preset(gsWindows7, tsWindows7, ssWin7);
        break;
    case glOffice2007:
        Preset(gsOffice2007Luna, tsOffice2007Luna, ssOffice2007);
        break;
    case glCustom:
        break;
    default: {
        if (!ComponentState().Contains(csDesigning))
            SetEditorsStyle(tsWindowsXP);
        SetSelectionStyle(ssDefault);
        if (Loading)
            break;
        const bool Plain = Value == glStandard || Value == glSoft || Value == glClassic;
        if (Plain) {
            SetFixedColor(clBtnFace);
            CL->SetFixedGradientFrom(clBtnFace);
            CL->SetFixedGradientTo(clNone);
        } else {
            CL->SetFixedGradientFrom(White);
            CL->SetFixedGradientTo(clBtnFace);
        }
        SetGridFixedLineColor(0x808080);
        CL->SetFixedGradientMirrorFrom(clNone);
        CL->SetFixedGradientMirrorTo(clNone);
        FPaint.ZIVGradMirrorFrom = FPaint.ZIVGradMirrorTo = clNone;
        SetGridLineColor(0xC0C0C0);
        if (Value == glZIV || Value == glXP) {
            SetActiveCellColor(0xEACAB6);
            SetActiveCellColorTo(clNone);
            SetSelectionColor(0xEACAB6);
            SetSelectionColorTo(clNone);
            SetSelectionTextColor(0);
            FSearchFooter->SetColor(FPaint.ZIVGradFrom);
            FSearchFooter->SetColorTo(FPaint.ZIVGradTo);
            CL->SetFixedGradientFrom(White);
            CL->SetFixedGradientTo(Value == glXP ? clBtnFace : 0xC0C0C0);
            CL->SetFixedGradientHoverFrom(0xCFD0D1);
            CL->SetFixedGradientHoverTo(0xBEC6C8);
            CL->SetFixedGradientHoverMirrorFrom(0xBEC6C8);
            CL->SetFixedGradientHoverMirrorTo(0xABBCBF);
            CL->SetFixedGradientDownFrom(0x868788);
            CL->SetFixedGradientDownTo(0x737C7E);
            CL->SetFixedGradientDownMirrorFrom(0x737C7E);
            CL->SetFixedGradientDownMirrorTo(0x627376);
        } else {
            SetActiveCellColor(0x808080);
            SetActiveCellColorTo(clNone);
            SetSelectionColor(clHighlight);
            SetSelectionTextColor(clHighlightText);
            FSearchFooter->SetColor(clBtnFace);
            FSearchFooter->SetColorTo(clBtnFace);
        }
        break;
    }
    }
    Invalidate();
    if (!Loading)
        UpdateFooter();
}

namespace {

// One preset's colours (clNone where the preset leaves a colour of its kind alone, see the
// flags).
struct TPresetColors {
    TGridLook Look;
    bool SetsLook;
    TColor From, To, MirrorFrom, MirrorTo;
    bool SetsMirror;     // the preset writes the two mirror colours
    bool LookGets;       // ControlLook's From/To get the colours (else clNone)
    bool LookGetsMirror; // ControlLook's mirror colours get them too
    TColor Active, ActiveTo;
    TColor Line, FixedLine;
    TColor Selection, SelectionText; // clNone: as the first step
};

constexpr TColor N = clNone;

// Indexed by TRudUvudStyle; gsCustom and gsTerminal are handled apart.
const std::array<TPresetColors, 13> Presets = {{
    // gsOffice2003Blue
    {glXP, true, 0xFCE1CB, 0xE0A57D, N, N, true, true, false, 0x94E6FB, 0x1595EE, 0xC0C0C0, 0x808080, N, N},
    // gsOffice2003Silver
    {glXP, true, 0xECE2E1, 0xB39698, N, N, true, true, false, 0x94E6FB, 0x1595EE, 0xC0C0C0, 0x808080, N, N},
    // gsOffice2003Olive
    {glXP, true, 0xCFF0EA, 0x8CC0B1, N, N, true, true, false, 0x94E6FB, 0x1595EE, 0xC0C0C0, 0x808080, N, N},
    // gsOffice2003Classic
    {glXP, true, 0xFFFFFF, 0xCCD4D8, N, N, true, false, false, 0xD8D5D4, 0xD8D5D4, 0xC0C0C0, 0x808080, N, N},
    // gsOffice2007Luna
    {glOffice2007, true, 0xFBF9F6, 0xE8DBD2, N, N, true, true, false, 0x9DD8F9, 0x5EC1F1, 0xF1EDEB, 0xD1BBA4,
     0x5EC1F1, 0},
    // gsOffice2007Obsidian
    {glOffice2007, true, 0xF7F7F7, 0xDEDEDE, N, N, true, true, false, 0x9DD8F9, 0x5EC1F1, 0xE5D7D0, 0x808080,
     0x5EC1F1, 0},
    // gsWindowsXP
    {glXP, true, clBtnFace, clBtnFace, N, N, true, false, false, clBtnFace, clBtnFace, 0xC0C0C0, 0x808080, N,
     N},
    // gsWhidbey
    {glXP, false, 0xFFFFFF, clBtnFace, N, N, true, false, false, 0x94E6FB, 0x1595EE, 0xC0C0C0, 0x808080, N,
     N},
    // gsCustom
    {glCustom, false, N, N, N, N, false, false, false, N, N, N, N, N, N},
    // gsOffice2007Silver
    {glOffice2007, true, 0xF3F3F1, 0xCAC9C8, N, N, false, true, false, 0x99CCFF, 0x699CFF, 0xE5D7D0, 0x808080,
     0x95C7F5, 0},
    // gsWindowsVista
    {glVista, true, 0xFFFFFF, 0xFFFFFF, 0xFAF8F7, 0xF4F2F1, true, false, true, 0xFDF8F1, 0xFCEFD5, 0xECECF0,
     0xD4D2D1, 0xEACAB6, 0},
    // gsWindows7
    {glWin7, true, 0xFDFCFA, 0xFAF0E6, 0xF4E6DC, 0xF7E9DD, true, false, true, 0xFCEBDC, 0xFCDBC1, 0xECECF0,
     0xD4D2D1, 0xEACAB6, 0},
    // gsTerminal
    {glStandard, true, N, N, N, N, false, false, false, N, N, N, N, N, N},
}};

} // namespace

void TDidAririzEvar::SetStyle(TRudUvudStyle AStyle)
{
    // 1.
    SetSelectionColor(clHighlight);
    SetSelectionTextColor(clHighlightText);
    SetSelectionStyle(ssDefault);
    TSortSettings& Sort = *FSortSettings;
    Sort.HeaderColor = Sort.HeaderColorTo = Sort.HeaderMirrorColor = Sort.HeaderMirrorColorTo = clNone;
    if (AStyle < gsOffice2003Blue || AStyle > gsTerminal || AStyle == gsCustom) {
        Invalidate();
        return;
    }
    // 2.
    const TPresetColors& P = Presets[AStyle];
    TControlLook* CL = FControlLook.get();
    if (AStyle == gsTerminal) {
        SetLook(glStandard);
        Invalidate();
        return;
    }
    if (P.SetsLook)
        SetLook(P.Look);
    SetZIVGradFrom(P.From);
    SetZIVGradTo(P.To);
    if (P.SetsMirror) {
        SetZIVGradMirrorFrom(P.MirrorFrom);
        SetZIVGradMirrorTo(P.MirrorTo);
    }
    if (P.LookGetsMirror) {
        CL->SetFixedGradientFrom(P.From);
        CL->SetFixedGradientTo(P.To);
        CL->SetFixedGradientMirrorFrom(P.MirrorFrom);
        CL->SetFixedGradientMirrorTo(P.MirrorTo);
    }
    // The control look's setters pass no clNone on: the grid keeps the colours written above.
    CL->SetFixedGradientFrom(P.LookGets ? P.From : clNone);
    CL->SetFixedGradientTo(P.LookGets ? P.To : clNone);
    SetActiveCellColor(P.Active);
    SetActiveCellColorTo(P.ActiveTo);
    SetGridLineColor(P.Line);
    SetGridFixedLineColor(P.FixedLine);
    if (P.Selection != clNone) {
        SetSelectionColor(P.Selection);
        SetSelectionTextColor(P.SelectionText);
    }
    auto Hover = [&](TColor From, TColor To, TColor MirrorFrom, TColor MirrorTo) {
        CL->SetFixedGradientHoverFrom(From);
        CL->SetFixedGradientHoverTo(To);
        CL->SetFixedGradientHoverMirrorFrom(MirrorFrom);
        CL->SetFixedGradientHoverMirrorTo(MirrorTo);
    };
    auto Down = [&](TColor From, TColor To, TColor MirrorFrom, TColor MirrorTo, TColor Border) {
        CL->SetFixedGradientDownFrom(From);
        CL->SetFixedGradientDownTo(To);
        CL->SetFixedGradientDownMirrorFrom(MirrorFrom);
        CL->SetFixedGradientDownMirrorTo(MirrorTo);
        CL->SetFixedGradientDownBorder(Border);
    };
    auto SortHeader = [&] {
        Sort.HeaderColor = 0xFCF9F2;
        Sort.HeaderColorTo = 0xFCF9F2;
        Sort.HeaderMirrorColor = 0xF9F1E1;
        Sort.HeaderMirrorColorTo = 0xF6ECD8;
    };
    switch (AStyle) {
    case gsOffice2007Luna:
        Hover(0xE4E2DF, 0xDBD3CD, 0xDBD3CD, 0xD2C5BC);
        CL->SetFixedGradientHoverBorder(0xB79F87);
        Down(0xE4C19D, 0xE4C19D, 0xE4C19D, 0xE4C19D, 0xE4C19D);
        SetSelectionStyle(ssOffice2007);
        break;
    case gsWindowsXP:
        SetLook(glXP);
        break;
    case gsWindowsVista:
        // The border is the grid's own working colour; ControlLook gets the other four.
        Hover(0xFFF7E3, 0xFFF7E3, 0xFFEDBD, 0xFBE7B7);
        FPaint.HoverBorder = 0xE3C993;
        Down(0xF9E4BC, 0xF9E4BC, 0xF7D68D, 0xF5D18A, 0xAE904F);
        SortHeader();
        SetSelectionStyle(ssVista);
        break;
    case gsWindows7:
        FPaint.HoverBorder = 0xEEE8E3;
        Hover(0xFEFBF8, 0xFAF2ED, 0xF4E4D7, 0xE8D2C1);
        Down(0xF1E8DD, 0xF1E4D8, 0xECDBCF, 0xEDDCCF, 0xD5BCAA);
        SortHeader();
        SetSelectionStyle(ssWin7);
        break;
    default:
        break;
    }
    // 3.
    FSearchFooter->SetColor(FPaint.ZIVGradFrom);
    FSearchFooter->SetColorTo(FPaint.ZIVGradMirrorTo);
    // 4.
    Invalidate();
}

void TDidAririzEvar::SetComponentStyle(ZEDAVozor AStyle)
{
    FPaint.ComponentStyle = AStyle;
    SetStyle(static_cast<TRudUvudStyle>(AStyle));
    if (!ComponentState().Contains(csDesigning))
        SetEditorsStyle(AStyle);
}

ZEDAVozor TDidAririzEvar::ComponentStyle() const
{
    return FPaint.ComponentStyle;
}

void TDidAririzEvar::SetEditorsStyle(ZEDAVozor AStyle)
{
    FPaint.EditorsStyle = AStyle;
    const TGridEditorControls& E = FEditors;
    for (TControl* C :
         {static_cast<TControl*>(E.ColorDropDown), static_cast<TControl*>(E.ImageDropDown),
          static_cast<TControl*>(E.GridDropDown), static_cast<TControl*>(E.DetailPickerDropDown),
          static_cast<TControl*>(E.TimePickerDropDown), static_cast<TControl*>(E.CalculatorDropDown),
          static_cast<TControl*>(E.MemoDropDown)})
        if (auto* Styled = dynamic_cast<RUZIVazov*>(C))
            Styled->SetComponentStyle(AStyle);
}

ZEDAVozor TDidAririzEvar::EditorsStyle() const
{
    return FPaint.EditorsStyle;
}

void TDidAririzEvar::SetTheme(TXPColorScheme Scheme)
{
    struct TScheme {
        TColor From, To, MirrorFrom, MirrorTo, Active, ActiveTo, Footer, FooterTo;
    };
    static const TScheme Schemes[] = {
        // xpNone
        {0xFFFFFF, clBtnFace, N, N, 0xFFFFFF, 0xFFD9B3, 0xFFFFFF, 0xFFD9B3},
        // xpBlue
        {0xFCE1CB, 0xE0A57D, N, N, 0x94E6FB, 0x1595EE, 0xFCE1CB, 0xE0A57D},
        // xpGreen
        {0xCFF0EA, 0x8CC0B1, N, N, 0x94E6FB, 0x1595EE, 0xCFF0EA, 0x8CC0B1},
        // xpGray
        {0xECE2E1, 0xB39698, N, N, 0x94E6FB, 0x1595EE, 0xECE2E1, 0xB39698},
        // vistaAero: the footer takes the grey scheme's colours.
        {0xFFFFFF, 0xFFFFFF, 0xFAF8F7, 0xF4F2F1, 0x94E6FB, 0x1595EE, 0xECE2E1, 0xB39698},
    };
    if (Scheme < xpNone || Scheme > vistaAero)
        return;
    const TScheme& S = Schemes[Scheme];
    SetZIVGradFrom(S.From);
    SetZIVGradTo(S.To);
    SetZIVGradMirrorFrom(S.MirrorFrom);
    SetZIVGradMirrorTo(S.MirrorTo);
    SetActiveCellColor(S.Active);
    SetActiveCellColorTo(S.ActiveTo);
    FSearchFooter->SetColor(S.Footer);
    FSearchFooter->SetColorTo(S.FooterTo);
    FControlLook->SetFixedGradientFrom(Scheme == xpNone ? clNone : S.From);
    FControlLook->SetFixedGradientTo(Scheme == xpNone ? clNone : S.To);
}

void TDidAririzEvar::ThemeAdapt()
{
    TXPColorScheme Scheme = xpNone;
    themeapi::TThemeLoader& Theme = VadXPVS();
    if (IsVista()) {
        Scheme = vistaAero;
    } else if (Theme.Loaded() && Theme.ThemeActive() && Theme.GetCurrentThemeName) {
        WideChar File[256] = {}, ColorName[256] = {}, Size[256] = {};
        Theme.GetCurrentThemeName(File, 255, ColorName, 255, Size, 255);
        const std::u16string Name = ColorName;
        if (Name == u"NormalColor")
            Scheme = xpBlue;
        else if (Name == u"HomeStead")
            Scheme = xpGreen;
        else if (Name == u"Metallic")
            Scheme = xpGray;
    }
    SetTheme(Scheme);
}

bool TDidAririzEvar::DoRatingChange(Integer ACol, Integer ARow, Double& NewRate)
{
    bool Allow = true;
    if (OnRatingChange)
        OnRatingChange(this, ACol, ARow, NewRate, Allow);
    return Allow;
}
