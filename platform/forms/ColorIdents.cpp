#include "platform/forms/Graphics.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Colors.h"

namespace {

struct TColorName {
    TColor Color;
    const char* Name;
};

constexpr TColorName ColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {0x1FFFFFFF, "clNone"},
    {0x20000000, "clDefault"},
};

} // namespace

bool ColorToIdent(TColor Color, AnsiString& Ident)
{
    for (const TColorName& N : ColorNames)
        if (N.Color == Color) {
            Ident = N.Name;
            return true;
        }
    return false;
}

bool IdentToColor(const AnsiString& Ident, TColor& Color)
{
    for (const TColorName& N : ColorNames)
        if (SameText(Ident, N.Name)) {
            Color = N.Color;
            return true;
        }
    return false;
}

AnsiString ColorToString(TColor Color)
{
    AnsiString Ident;
    if (ColorToIdent(Color, Ident))
        return Ident;
    return "$" + IntToHex(static_cast<unsigned>(Color), 8);
}

TColor StringToColor(const AnsiString& S)
{
    TColor Color;
    if (IdentToColor(S, Color))
        return Color;
    return static_cast<TColor>(StrToInt(S));
}
