#pragma once

// The drawing side of the cell text routines (DerOdoz): stateless routines that paint cell and
// button decorations. Each changes the canvas's pen, brush and font as it goes and does not put
// them back unless it says so. Rectangles have exclusive right and bottom edges; clNone means
// "no colour"; system colours are resolved to RGB before any colour arithmetic.

#include "platform/rtl/Types.h"

#include <cstdint>

class TCanvas;
class TBitmap;
class TFont;
class TWinControl;
struct HWND__;

enum TGradientPart { gpFull, gpLeft, gpRight, gpMiddle };
enum TGaugeOrientation { goHorizontal, goVertical };
enum TCellShape {
    csRectangle,
    csCircle,
    csTriangleLeft,
    csTriangleRight,
    csTriangleUp,
    csTriangleDown,
    csDiamond,
    csLineVert,
    csLineHorz,
    csRoundRect,
    csEllips,
    csSquare,
    csRoundSquare,
    csStar,
    csArrowUp,
    csArrowDown,
    csArrowLeft,
    csArrowRight,
    csHalfStar,
};

struct TGaugeSettings {
    TColor Level0Color = 0, Level0ColorTo = 0;
    TColor Level1Color = 0, Level1ColorTo = 0;
    TColor Level2Color = 0, Level2ColorTo = 0;
    TColor Level3Color = 0, Level3ColorTo = 0;
    Integer Level1Perc = 50, Level2Perc = 80;
    TColor BorderColor = 0;
    bool ShowBorder = false, Stacked = false, ShowPercentage = false;
    TFont* Font = nullptr;
    TColor CompleteFontColor = 0;
    bool CompletionSmooth = true, ShowGradient = false;
    Integer Steps = 16;
    TColor BackgroundColor = 0xFFFFFF;
    TGaugeOrientation Orientation = goHorizontal;
};

// Steps bands (0 taken as 1) from FromColor to ToColor, left to right when Direction; a solid
// rectangle in FromColor when ToColor is clNone.
void DrawGradient(TCanvas* Canvas, TColor FromColor, TColor ToColor, Integer Steps, const TRect& R,
                  bool Direction);
// The colour at Offset of a gradient over RangeStart..RangeEnd; FromColor for an empty range or
// when ToColor is clNone.
TColor GradientAt(TColor FromColor, TColor ToColor, Integer RangeStart, Integer RangeEnd, Integer Offset);
void DrawVistaGradient(TCanvas* Canvas, const TRect& R, TColor Color, TColor ColorTo, TColor MirrorColor,
                       TColor MirrorColorTo, bool Vertical, TColor BorderColor, bool SideLinesOnly,
                       bool Fill);
void DrawSelectionGradient(TCanvas* Canvas, TColor FaceTopFrom, TColor FaceTopTo, TColor FaceBottomFrom,
                           TColor FaceBottomTo, TColor InnerLight, TColor InnerDark, TColor OuterBorder,
                           TColor CornerBlend, TColor Corner, const TRect& R, TGradientPart Part);
// A bar from Min to Max with the value as text; with an empty format the rounded value and "%".
// A format that does not fit the value, or Min = Max, falls back to sound output instead of failing.
void DrawProgressLin(TCanvas* Canvas, TRect R, TColor FillColor, TColor FillTextColor, TColor RestColor,
                     TColor RestTextColor, double Value, Integer HMargin, Integer VMargin, double Min,
                     double Max, const AnsiString& Format, TColor FrameColor, bool InvertedAxis);
void DrawProgressPie(TCanvas* Canvas, const TRect& R, TColor FillColor, Integer Percentage,
                     bool InvertedAxis);
void DrawRangeIndicator(TCanvas* Canvas, TRect R, Integer Value, Integer Range, bool ShowValue,
                        TColor NegColor, TColor PosColor);
void DrawGauge(TCanvas* Canvas, const TRect& R, Integer Percentage, const TGaugeSettings& Settings);
void DrawShape(TCanvas* Canvas, Integer X, Integer Y, Integer W, Integer H, TCellShape Shape,
               TColor BrushColor, TColor PenColor);
// A red zigzag under characters FirstChar .. FirstChar + Count - 1 (0-based) of Text drawn in R,
// positions measured with the canvas font.
void DrawErrorLines(TWinControl* Control, TCanvas* Canvas, const AnsiString& Text, const TRect& R,
                    Integer VOffset, Integer FirstChar, Integer Count);
void DrawBitmapTransp(TCanvas* Canvas, TBitmap* Bitmap, TColor BkColor, const TRect& R);
void DrawBitmapResourceTransp(TCanvas* Canvas, TColor BkColor, const TRect& R, const AnsiString& ResName);
void DrawComboButton(TCanvas* Canvas, HWND__* Handle, const TRect& R, bool Themed, bool Unused = false);
void DrawSpinButtons(TCanvas* Canvas, HWND__* Handle, const TRect& R, bool Themed, bool Unused = false);
void DrawTriangle(TCanvas* Canvas, Integer X, Integer Y, TColor Color);
TColor DarkenColor(TColor Color);
// Layered windows are not supported by the platform's windows: both answer false (failure).
bool DynaLink_UpdateLayeredWindow(HWND__* hwnd, void* hdcDst, TPoint* pptDst, TSize* psize, void* hdcSrc,
                                  TPoint* pptSrc, std::uint32_t crKey, void* pblend, std::uint32_t dwFlags);
bool DynaLink_SetLayeredWindowAttributes(HWND__* hwnd, std::uint32_t crKey, std::uint8_t bAlpha,
                                         std::uint32_t dwFlags);
