#pragma once

#include "platform/rtl/Types.h"

// The cell format and font as callers of the spreadsheet engine see them. The style records
// convert these to and from the XF, FONT and FORMAT records of a workbook.

enum TVovFontStyle { flsBold, flsItalic, flsStrikeOut, flsSuperscript, flsSubscript };
// Bit i is set when TVovFontStyle i is in the set.
using SetOfTVovFontStyle = Byte;

enum TVovUnderline : Byte { fu_None, fu_Single, fu_Double, fu_SingleAccounting, fu_DoubleAccounting };

enum TVovBorderStyle : Byte {
    fbs_None,
    fbs_Thin,
    fbs_Medium,
    fbs_Dashed,
    fbs_Dotted,
    fbs_Thick,
    fbs_Double,
    fbs_Hair,
    fbs_Medium_dashed,
    fbs_Dash_dot,
    fbs_Medium_dash_dot,
    fbs_Dash_dot_dot,
    fbs_Medium_dash_dot_dot,
    fbs_Slanted_dash_dot
};

enum TVovDiagonalBorder : Byte { fdb_None, fdb_DiagDown, fdb_DiagUp, fdb_Both };

enum THVovAlignment : Byte {
    fha_general,
    fha_left,
    fha_center,
    fha_right,
    fha_fill,
    fha_justify,
    fha_center_across_selection
};

enum TVVovAlignment : Byte { fva_top, fva_center, fva_bottom, fva_justify, fva_distributed };

// The XF fill-pattern code plus 1: 1 is no fill, 2 solid fill; 0..19.
using TVovPatternStyle = Byte;

struct TVovFont {
    WideString FontName;
    Word HeightTwips = 0;
    // 1-based palette entry: the FONT record's colour index minus 7 (automatic reads 32760).
    Integer PaletteIndex = 0;
    SetOfTVovFontStyle StyleSet = 0;
    TVovUnderline UnderlineKind = fu_None;
    Byte FamilyCode = 0;
    Byte CharSetCode = 0;
    friend bool operator==(const TVovFont&, const TVovFont&) = default;
};

struct TVovOneBorder {
    TVovBorderStyle LineStyle = fbs_None;
    // 1-based palette entry; a stored colour index of 7 or less reads as 1.
    Integer LineColor = 0;
    friend bool operator==(const TVovOneBorder&, const TVovOneBorder&) = default;
};

struct TVovBorders {
    TVovOneBorder LeftEdge;
    TVovOneBorder RightEdge;
    TVovOneBorder TopEdge;
    TVovOneBorder BottomEdge;
    TVovOneBorder DiagonalEdge;
    TVovDiagonalBorder DiagonalKind = fdb_None;
    friend bool operator==(const TVovBorders&, const TVovBorders&) = default;
};

struct TVovFillPattern {
    TVovPatternStyle PatternKind = 1;
    // XF colour index minus 7; the system colours 64 and 65 read as 57 and 58.
    Integer ForeColor = 0;
    Integer BackColor = 0;
    friend bool operator==(const TVovFillPattern&, const TVovFillPattern&) = default;
};

struct TVovFormat {
    TVovFont FontInfo;
    TVovBorders BorderSet;
    WideString NumberFormat;
    TVovFillPattern Fill;
    THVovAlignment HorizontalAlign = fha_general;
    TVVovAlignment VerticalAlign = fva_bottom;
    bool IsLocked = false;
    bool IsHidden = false;
    // The XF's type-and-protection word with its four low bits cleared, as read; ignored on write.
    Integer ParentBits = 0;
    bool Wrap = false;
    bool Shrink = false;
    // 0-90 up, 91-180 down (90 + degrees), 255 vertical stacked text.
    Byte TextRotation = 0;
    Byte IndentLevel = 0;
    friend bool operator==(const TVovFormat&, const TVovFormat&) = default;
};
using PVovFormat = TVovFormat*;
