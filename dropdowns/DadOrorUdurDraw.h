#pragma once

// The drawing routines of the dropdown family: banded gradients, colour blending and
// darkening, framed fills, button captions with an image, transparent glyphs, text measuring
// and fitting with an ellipsis, the mini-HTML wrapper and the module version query. They keep
// no state; each changes the canvas's pen, brush and font as it goes. Rectangles have exclusive
// right and bottom edges; clNone means "no colour"; system colours are resolved to RGB before
// any colour arithmetic.

#include "platform/forms/Controls.h"
#include "platform/rtl/Types.h"

class TCanvas;
class TBitmap;
class TCustomImageList;

enum TGradientDirection { gdHorizontal, gdVertical };

// Offers the protected painting of child graphic controls to the popup buttons, which paint
// their parent's controls into their own device context.
class TWinCtrl : public TWinControl {
public:
    using TWinControl::TWinControl;
    void PaintCtrls(HDC DC, TControl* First) { PaintControls(DC, First); }
};

// The routines live in a namespace of their own: the grid support library has a gradient of
// the same signature with other band arithmetic.
namespace DadOrorUdur {

// Steps bands (0 taken as 1) from FromColor to ToColor over R; Direction true gives vertical
// bands changing from left to right, false horizontal ones changing from top to bottom.
// Neighbouring bands overlap by their outline. A ToColor of clNone fills R with FromColor.
void DrawGradient(TCanvas* Canvas, TColor FromColor, TColor ToColor, Integer Steps, const TRect& R,
                  bool Direction);
// Percent of Color1 mixed with 100 - Percent of Color2; 100 or more gives Color1, 0 or less
// Color2, unchanged (system colours too).
TColor BlendColor(TColor Color1, TColor Color2, Integer Percent);
// Darkens each channel by the percentage (negative darkens); a zero channel becomes the
// percentage when it is positive.
TColor BrightnessColor(TColor Color, Integer Percent);
TColor BrightnessColor(TColor Color, Integer PercentR, Integer PercentG, Integer PercentB);
// A gradient (80 bands) or a solid fill, then a frame of BorderWidth in BorderColor; clNone
// colours are left out. Nothing without a canvas.
void DrawRectFill(TCanvas* Canvas, const TRect& R, TColor Color, TColor ColorTo, TColor BorderColor,
                  Integer BorderWidth, TGradientDirection Direction);
// An image at the left (when ImageIndex names one) and the caption on one centred line with an
// end ellipsis; left-aligned after the image.
void DrawButtonContent(TCanvas* Canvas, TRect R, const AnsiString& Caption, TCustomImageList* Images,
                       Integer ImageIndex);
// Copies Bitmap into R with the colour of its top-left pixel replaced by BackColor.
void DrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, TColor BackColor, const TRect& R);
// The size of S as one line; (0, 0) for an empty text.
TSize GetTextSize(TCanvas* Canvas, const AnsiString& S);
// The longest head of S (followed by "..." when Ellipsis) narrower than MaxWidth; S itself
// when it fits or when no head fits.
void GetTextOfSize(TCanvas* Canvas, const AnsiString& S, Integer MaxWidth, AnsiString& Result, bool Ellipsis);
// Draws (or, with Draw false, only measures) mini-HTML S in R; Size gets the measured extent,
// (0, 0) for an empty text.
void DrawHTMLEX(TCanvas* Canvas, const AnsiString& S, const TRect& R, TCustomImageList* Images, bool Draw,
                HWND Wnd, TSize& Size);
// S itself when CaseSensitive, else S in upper case (the key of item lookups).
void CaseKey(const AnsiString& S, bool CaseSensitive, AnsiString& Result);
// The most significant file-version pair of a module (major version in the high word), -1 for
// a file without readable version information.
Integer GetFileVersionNr(const AnsiString& FileName);

} // namespace DadOrorUdur
