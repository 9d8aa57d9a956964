// The looks of the dropdown family: the flat look's borders, the selection look of picker
// lists, and the component styles that recolour popup, header, footer, buttons and item lists.

#include "dropdowns/DadOrorUdur.h"
#include "dropdowns/ItemSelector.h"

#include "platform/win/Colors.h"

#include <array>

namespace {

// A table entry that leaves its property as it is (no colour has this value).
constexpr TColor kUnchanged = 0xFFFFFFFF;

// DropDownColor | DropDownColorTo | DropDownBorderColor | Header Color | Header ColorTo | Header font colour
// | Header BorderColor | Footer Color | Footer ColorTo | Footer font colour | Footer BorderColor
const std::array<std::array<TColor, 11>, 13> PopupLooks = {{
    {0xFFFFFF, clNone, kUnchanged, 0xFCE1CB, 0xE0A57D, 0x000000, 0x000000, 0xFCE1CB, 0xE0A57D, 0x000000,
     0x962D00}, // tsOffice2003Blue
    {0xFFFFFF, clNone, kUnchanged, 0xECE2E1, 0xB39698, 0x000000, 0x947C7C, 0xECE2E1, 0xB39698, 0x000000,
     0x947C7C}, // tsOffice2003Silver
    {0xFFFFFF, clNone, clNone, 0xCFF0EA, 0x8CC0B1, 0x000000, 0x588060, 0xCFF0EA, 0x8CC0B1, 0x000000,
     0x588060}, // tsOffice2003Olive
    {0xF2F2F2, 0xF2F2F2, clNone, 0x808080, 0x808080, 0xFFFFFF, 0x808080, 0x808080, 0x808080, 0xFFFFFF,
     0x808080}, // tsOffice2003Classic
    {0xF3E5DA, 0xF0DED0, clNone, 0xFFEFE3, 0xFFD2AF, 0x723708, 0xFFD2AF, 0xFFEFE3, 0xFFD2AF, 0x723708,
     0xFFD2AF}, // tsOffice2007Luna
    {0xFFFFFF, clNone, clNone, 0xF2F1F0, 0xC9C2BD, 0x433C37, 0x5C534C, 0xF2F1F0, 0xC9C2BD, 0x433C37,
     0x5C534C}, // tsOffice2007Obsidian
    {0xFFFFFF, clNone, kUnchanged, 0xFFFFFF, clBtnFace, 0x000000, 0x808080, 0xFFFFFF, clBtnFace, 0x000000,
     0x808080}, // tsWindowsXP
    {0xF5F9FA, 0xF5F9FA, clNone, 0xEBEEEF, 0x7E9898, 0xFFFFFF, 0x962D00, 0xEBEEEF, 0x7E9898, 0xFFFFFF,
     0x962D00}, // tsWhidbey
    {kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged,
     kUnchanged, kUnchanged, kUnchanged}, // tsCustom: nothing
    {0xF8F4F1, 0xF0E8E3, clNone, 0xF8F7F6, 0xE8E0DB, 0x8B4215, 0x74706F, 0xF8F7F6, 0xE8E0DB, 0x8B4215,
     0x74706F}, // tsOffice2007Silver
    {0xFFFFFF, 0xFFFFFF, 0x979797, 0xFFFDF9, 0xFFFAF0, 0x000000, 0xFCF2DA, 0xFFFAF0, 0xFFFDF9, 0x000000,
     0xFCF2DA}, // tsWindowsVista
    {0xFFFFFF, 0xFFFFFF, 0x979797, 0xFDFBFA, 0xFDF3EB, 0x000000, 0xFBD6B8, 0xFDFBFA, 0xFDF3EB, 0x000000,
     0xFBD6B8}, // tsWindows7
    {0xFFFFFF, 0xFFFFFF, 0x808080, clBtnFace, clBtnFace, 0x000000, clNone, clBtnFace, clBtnFace, 0x000000,
     clNone}, // tsTerminal
}};

// Color | ColorTo | BorderColor | ColorHot | ColorHotTo | BorderColorHot | ColorDown | ColorDownTo |
// BorderColorDown | ColorDisabled | ColorDisabledTo | ColorChecked | ColorCheckedTo | BorderColorChecked
const std::array<std::array<TColor, 14>, 13> ButtonLooks = {{
    {0xFCE1CB, 0xE0A57D, clNone, 0xEBFDFF, 0xACECFF, 0x99CEDB, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0xF2F2F2,
     0xB6B6B6, 0x76AFF1, 0x4190F3, 0x45667B}, // tsOffice2003Blue
    {0xECE2E1, 0xB39698, clNone, 0xEBFDFF, 0xACECFF, 0x99CEDB, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0xF2F2F2,
     0xB6B6B6, 0x76AFF1, 0x4190F3, 0x45667B}, // tsOffice2003Silver
    {0xCFF0EA, 0x8CC0B1, clNone, 0xEBFDFF, 0xACECFF, 0x99CEDB, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0xF2F2F2,
     0xB6B6B6, 0x76AFF1, 0x4190F3, 0x45667B}, // tsOffice2003Olive
    {0xFFFFFF, 0xC9D1D5, clNone, 0xD2BDB6, 0xD2BDB6, 0x808080, 0xB59285, 0xB59285, 0x808080, 0xD8D5D4,
     0xD8D5D4, 0xD8D5D4, 0xD8D5D4, 0x808080}, // tsOffice2003Classic
    {0xFFEFE3, 0xFFDDC4, clNone, 0xEBFDFF, 0xACECFF, 0x99CEDB, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0xF2F2F2,
     0xB6B6B6, 0x76AFF1, 0x4190F3, 0x45667B}, // tsOffice2007Luna
    {0xF2F1F0, 0xC9C2BD, clNone, 0xEBFDFF, 0xACECFF, 0x99CEDB, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0xF2F2F2,
     0xB6B6B6, 0x76AFF1, 0x4190F3, 0x45667B}, // tsOffice2007Obsidian
    {0xFFFFFF, clBtnFace, clNone, 0xEFD3C6, 0xEFD3C6, clHighlight, clInactiveCaption, clInactiveCaption,
     clHighlight, 0xB6B6B6, 0xB6B6B6, 0xB9D8DC, 0xB9D8DC, 0x000000}, // tsWindowsXP
    {0xFFFFFF, 0xDFEDF0, clNone, 0xEBFDFF, 0xACECFF, 0x99CEDB, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0xF2F2F2,
     0xB6B6B6, 0x76AFF1, 0x4190F3, 0x45667B}, // tsWhidbey
    {kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged,
     kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged}, // tsCustom: nothing
    {0xF9F8F8, 0xE4E2DF, clNone, 0xEBFDFF, 0xACECFF, 0x99CEDB, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0xF2F2F2,
     0xB6B6B6, 0x76AFF1, 0x4190F3, 0x45667B}, // tsOffice2007Silver
    {0xFFFDF9, 0xFFFAF0, 0xFCF2DA, 0xFEF9F0, 0xFFFAF0, 0xFCF2DA, 0xFEF9F0, 0xFDF0D7, 0xFEDF9A, 0xFFFFFF,
     0xFFFFFF, 0xFEF9F0, 0xFDF0D7, 0xFEDF9A}, // tsWindowsVista
    {0xFDFBFA, 0xFDF3EB, 0xFBD6B8, 0xFDFBFA, 0xFDF3EB, 0xFBD6B8, 0xFCEBDC, 0xFCDBC1, 0xCEA27D, 0xFFFFFF,
     0xFFFFFF, 0xFEF9F0, 0xFCDBC1, 0xCEA27D}, // tsWindows7
    {clBtnFace, clBtnFace, clNone, 0xC0C0C0, 0xC0C0C0, 0x808080, clHighlight, clHighlight, 0x808080,
     clBtnFace, clBtnFace, clBtnFace, clBtnFace, clHighlight}, // tsTerminal
}};

// ColorHot | ColorHotTo | ColorMirrorHot | ColorMirrorHotTo | BorderColor | ColorSelected | ColorSelectedTo |
// ColorMirrorSelected | ColorMirrorSelectedTo | BorderColorTop | BorderColorBottom | EdgeColor |
// ColorSelectedText
const std::array<std::array<TColor, 13>, 13> ItemLooks = {{
    {0xEBFDFF, 0xACECFF, 0x59DAFF, 0xA4E9FF, 0x42AEFE, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0x7AE1FE, clNone, clNone,
     clNone, 0x000000}, // tsOffice2003Blue
    {0xEBFDFF, 0xACECFF, 0x59DAFF, 0xA4E9FF, 0x42AEFE, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0x7AE1FE, clNone, clNone,
     clNone, 0x000000}, // tsOffice2003Silver
    {0xEBFDFF, 0xACECFF, 0x59DAFF, 0xA4E9FF, 0x42AEFE, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0x7AE1FE, clNone, clNone,
     clNone, 0x000000}, // tsOffice2003Olive
    {0xD2BDB6, 0xD2BDB6, clNone, clNone, 0x808080, 0xB59285, 0xB59285, clNone, clNone, clNone, clNone, clNone,
     0x000000}, // tsOffice2003Classic
    {0xEBFDFF, 0xACECFF, 0x59DAFF, 0xA4E9FF, 0x42AEFE, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0x7AE1FE, 0xF4FEFF,
     0xCAF8FF, 0xC3D9DF, 0x000000}, // tsOffice2007Luna
    {0xEBFDFF, 0xACECFF, 0x59DAFF, 0xA4E9FF, 0x42AEFE, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0x7AE1FE, 0xF4FEFF,
     0xCAF8FF, 0xC3D9DF, 0x000000}, // tsOffice2007Obsidian
    {0xEFD3C6, 0xEFD3C6, clNone, clNone, clHighlight, clHighlight, clNone, clNone, clNone, clNone, clNone,
     clNone, clHighlightText}, // tsWindowsXP
    {0xEBFDFF, 0xACECFF, 0x59DAFF, 0xA4E9FF, 0x42AEFE, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0x7AE1FE, clNone, clNone,
     clNone, 0x000000}, // tsWhidbey
    {kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged,
     kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged}, // tsCustom: nothing
    {0xEBFDFF, 0xACECFF, 0x59DAFF, 0xA4E9FF, 0x42AEFE, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0x7AE1FE, 0xF4FEFF,
     0xCAF8FF, 0xC3D9DF, 0x000000}, // tsOffice2007Silver
    {0xFFFDF9, 0xFFFAF0, clNone, clNone, 0xFEDF9A, 0xFEF9F0, 0xFDF0D7, clNone, clNone, 0xFDFBF6, 0xFDF5E7,
     0xFCEDCB, 0x000000}, // tsWindowsVista
    {0xFDFBFA, 0xFDF3EB, clNone, clNone, 0xCEA27D, 0xFCEBDC, 0xFCDBC1, clNone, clNone, 0xFDF4EB, 0xFDEADB,
     0xE0C5AE, 0x000000}, // tsWindows7
    {0xC0C0C0, 0xC0C0C0, clNone, clNone, 0x808080, clHighlight, clNone, clNone, clNone, clNone, clNone,
     clNone, clHighlightText}, // tsTerminal
}};

struct SelectionLook {
    TColor Color, ColorTo, MirrorFrom, MirrorTo, InnerTop, InnerBottom, Border, Edge;
};
// scOffice2007, scWindowsVista, scWindows7.
const SelectionLook SelectionLooks[3] = {
    {0xD7FFFD, 0x58D4FC, 0x58D4FC, 0xB3F1FC, 0xF4FEFF, 0xCAF8FF, 0x8DD7D3, 0xC3D9DF},
    {0xFDF8F1, 0xFCEFD5, clNone, clNone, 0xFDFBF6, 0xFDF5E7, 0xFDDE99, 0xFCEDCB},
    {0xFCEBDC, 0xFCDBC1, clNone, clNone, 0xFDF4EB, 0xFDEADB, 0xCEA27D, 0xE0C5AE},
};

// Sets through the setter unless the table leaves the property alone.
template <class Setter> void Apply(TColor Value, Setter Set)
{
    if (Value != kUnchanged)
        Set(Value);
}

} // namespace

// ---- Flat look -----------------------------------------------------------------------------------

bool TDizEveverAvivIzar::Is3DBorderControl()
{
    if (ComponentState().Contains(csDesigning))
        return false;
    return FMouseInControl || (Screen && Screen->ActiveControl() == this);
}

bool TDizEveverAvivIzar::Is3DBorderButton()
{
    if (ComponentState().Contains(csDesigning))
        return Enabled();
    return Is3DBorderControl();
}

void TDizEveverAvivIzar::DrawButtonBorder()
{
    if (FDropDownButton)
        FDropDownButton->Button()->SetFocused(Is3DBorderButton());
}

void TDizEveverAvivIzar::DrawBorders()
{
    if (FFlat)
        DrawButtonBorder();
}

// ---- Selection look --------------------------------------------------------------------------------

void TDizEveverAvivIzar::SetSelectionColorStyle(TSelectionColorStyle Value)
{
    FSelectionColorStyle = Value;
    if (Value == scCustom)
        return;
    const SelectionLook& L = SelectionLooks[Value - scOffice2007];
    FSelectionColor = L.Color;
    FSelectionColorTo = L.ColorTo;
}

void TDizEveverAvivIzar::DrawSelectionBackground(TCanvas* Canvas, const TRect& R, TColor Color,
                                                 TGradientPart Part)
{
    if (FSelectionColorStyle == scCustom) {
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(FSelectionColor);
        Canvas->Pen()->SetColor(FSelectionColor);
        Canvas->FillRect(R);
        return;
    }
    const SelectionLook& L = SelectionLooks[FSelectionColorStyle - scOffice2007];
    DrawSelectionGradient(Canvas, FSelectionColor, FSelectionColorTo, L.MirrorFrom, L.MirrorTo, L.InnerTop,
                          L.InnerBottom, L.Border, L.Edge, Color, R, Part);
}

void TDizEveverAvivIzar::DrawGradientBackground(TCanvas* Canvas, TColor FromColor, TColor ToColor,
                                                Integer Steps, const TRect& R, bool Direction)
{
    DadOrorUdur::DrawGradient(Canvas, FromColor, ToColor, Steps, R, Direction);
}

// ---- Component styles ------------------------------------------------------------------------------

void TDizEveverAvivIzar::SetComponentStyle(ZEDAVozor AStyle)
{
    FComponentStyle = AStyle;
    if (AStyle == tsCustom)
        return;
    const auto& P = PopupLooks[AStyle];
    Apply(P[0], [&](TColor C) { FDropDownColor = C; });
    Apply(P[1], [&](TColor C) { FDropDownColorTo = C; });
    Apply(P[2], [&](TColor C) { FDropDownBorderColor = C; });
    THeaderAppearance* H = FDropDownHeader.get();
    Apply(P[3], [&](TColor C) { H->SetColor(C); });
    Apply(P[4], [&](TColor C) { H->SetColorTo(C); });
    Apply(P[5], [&](TColor C) { H->Font()->SetColor(C); });
    Apply(P[6], [&](TColor C) { H->SetBorderColor(C); });
    TFooterAppearance* F = FDropDownFooter.get();
    Apply(P[7], [&](TColor C) { F->SetColor(C); });
    Apply(P[8], [&](TColor C) { F->SetColorTo(C); });
    Apply(P[9], [&](TColor C) { F->Font()->SetColor(C); });
    Apply(P[10], [&](TColor C) { F->SetBorderColor(C); });

    const auto& B = ButtonLooks[AStyle];
    TVadButtonAppearance* A = FButtonAppearance.get();
    A->SetColor(B[0]);
    A->SetColorTo(B[1]);
    A->SetBorderColor(B[2]);
    A->SetColorHot(B[3]);
    A->SetColorHotTo(B[4]);
    A->SetBorderColorHot(B[5]);
    A->SetColorDown(B[6]);
    A->SetColorDownTo(B[7]);
    A->SetBorderColorDown(B[8]);
    A->SetColorDisabled(B[9]);
    A->SetColorDisabledTo(B[10]);
    A->SetColorChecked(B[11]);
    A->SetColorCheckedTo(B[12]);
    A->SetBorderColorChecked(B[13]);
}

void TDizEveverAvivIzar::SetAppearanceStyle(TItemAppearance* Appearance, ZEDAVozor Style)
{
    if (!Appearance)
        return;
    Appearance->ColorSelectedText = 0;
    Appearance->ColorHotText = 0;
    if (Style == tsCustom)
        return;
    const auto& L = ItemLooks[Style];
    Appearance->ColorHot = L[0];
    Appearance->ColorHotTo = L[1];
    Appearance->ColorMirrorHot = L[2];
    Appearance->ColorMirrorHotTo = L[3];
    Appearance->BorderColor = L[4];
    Appearance->ColorSelected = L[5];
    Appearance->ColorSelectedTo = L[6];
    Appearance->ColorMirrorSelected = L[7];
    Appearance->ColorMirrorSelectedTo = L[8];
    Appearance->BorderColorTop = L[9];
    Appearance->BorderColorBottom = L[10];
    Appearance->EdgeColor = L[11];
    Appearance->ColorSelectedText = L[12];
}
