#pragma once

#include "RudUvud/xlsadapter/VovMessages.h"
#include "RudUvud/xlsadapter/XlsMessages.h"

#include <cmath>

// Picture and colour helpers. They read an open workbook only through these operations of the
// file interface, so any class offering them serves (the xls file, or a test double):
//   GetColumnWidthHiddenIsZero(col)  width in 1/256 character, 0 when hidden (1-based col)
//   IsEmptyRow(row)                  true when the row has no ROW record (1-based row)
//   GetRowHeight(row), GetDefaultRowHeight()   twips
//   GetColorPalette(entry) -> TColor (0x00BBGGRR), SetColorPalette(entry, TColor)

namespace zivImageHelpers {

// Round half to even, as the file format's own tools round.
inline Extended RoundEven(Extended V)
{
    return std::nearbyint(V);
}

template <class TWorkbook> Extended ColWidthPx(TWorkbook& W, Integer Col)
{
    return static_cast<Extended>(W.GetColumnWidthHiddenIsZero(Col)) / ColMult;
}

template <class TWorkbook> Extended RowHeightPx(TWorkbook& W, Integer Row)
{
    if (W.IsEmptyRow(Row))
        return static_cast<Extended>(W.GetDefaultRowHeight()) / RowMult;
    return static_cast<Extended>(W.GetRowHeight(Row)) / RowMult;
}

} // namespace zivImageHelpers

// The palette entry (1..55) nearest to Color. With UsedColors (one flag per entry number) a free
// entry is re-coloured to Color exactly and marked; entries 1 and 2 are never re-coloured.
// System colours are taken by their low 24 bits until the platform resolves them.
template <class TWorkbook>
Integer MatchNearestColor(TWorkbook* Workbook, TColor Color, BooleanArray& UsedColors)
{
    TColor rgb = Color & 0x00FFFFFF;
    auto distance = [&](Integer entry) {
        TColor c = Workbook->GetColorPalette(entry);
        Extended d = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            Extended diff =
                static_cast<Extended>((c >> shift) & 0xFF) - static_cast<Extended>((rgb >> shift) & 0xFF);
            d += diff * diff;
        }
        return d;
    };
    auto mark = [&](Integer entry) {
        if (entry >= 0 && static_cast<size_t>(entry) < UsedColors.size())
            UsedColors[entry] = true;
    };
    Integer best = 1;
    Extended bestDistance = -1;
    for (Integer i = 1; i <= 55; ++i) {
        Extended d = distance(i);
        if (d == 0) {
            mark(i);
            return i;
        }
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    if (UsedColors.empty())
        return best;
    for (Integer i = 0; i <= 2; ++i)
        mark(i);
    Integer free = -1;
    Extended freeDistance = -1;
    for (Integer i = 1; i <= 55 && static_cast<size_t>(i) < UsedColors.size(); ++i) {
        if (UsedColors[i])
            continue;
        Extended d = distance(i);
        if (d == 0) {
            mark(i);
            return i;
        }
        if (freeDistance < 0 || d < freeDistance) {
            freeDistance = d;
            free = i;
        }
    }
    if (free > 0) {
        Workbook->SetColorPalette(free, rgb);
        mark(free);
        return free;
    }
    mark(best);
    return best;
}

// Anchors a picture of Width x Height pixels whose top-left corner lies OffsetX/OffsetY pixels
// from the top-left corner of the 1-based cell (Row, Col).
template <class TWorkbook>
void CalcImgCells(TWorkbook* Workbook, Integer Row, Integer Col, Integer OffsetY, Integer OffsetX,
                  Extended Height, Extended Width, TImageProperties& Props)
{
    using namespace zivImageHelpers;
    Props = TImageProperties();
    if (!Workbook)
        XlsError(zivXlsMessages::ErrNoOpenFile);
    TWorkbook& w = *Workbook;
    Integer row = Row, col = Col;
    Extended dx = OffsetX, dy = OffsetY;
    // Hidden columns and rows are 0 wide; the walks stop at the sheet's last column and row so
    // that a sheet of hidden cells cannot keep them going.
    while (col >= 1 && col < 256 && ColWidthPx(w, col) < dx) {
        dx -= ColWidthPx(w, col);
        col += 1;
    }
    while (row >= 1 && row < 65536 && RowHeightPx(w, row) < dy) {
        dy -= RowHeightPx(w, row);
        row += 1;
    }
    if (row < 1) {
        row = 1;
        dy = 0;
    }
    if (col < 1) {
        col = 1;
        dx = 0;
    }
    Props.StartRow = row;
    Props.StartCol = col;
    // A zero-sized anchor cell keeps the picture at its edge.
    Extended cw = ColWidthPx(w, col), rh = RowHeightPx(w, row);
    Props.StartColOffset = cw > 0 ? static_cast<Integer>(RoundEven(dx * 1024 / cw)) : 0;
    Props.StartRowOffset = rh > 0 ? static_cast<Integer>(RoundEven(dy * 255 / rh)) : 0;

    // The edge walks may run past the sheet (the clamps below then move the picture up or left),
    // but only as far as a whole sheet more, so zero-sized rows or columns cannot keep them going.
    Integer k = row;
    Extended acc = rh - dy;
    while (Height > RoundEven(acc) && k < 2 * 65536) {
        k += 1;
        acc += RowHeightPx(w, k);
    }
    Extended hk = RowHeightPx(w, k);
    Props.EndRow = k;
    Props.EndRowOffset = hk > 0 ? static_cast<Integer>(RoundEven((hk - (acc - Height)) / hk * 255)) : 0;

    k = col;
    acc = cw - dx;
    while (Width > RoundEven(acc) && k < 2 * 256) {
        k += 1;
        acc += ColWidthPx(w, k);
    }
    Extended wk = ColWidthPx(w, k);
    Props.EndCol = k;
    Props.EndColOffset = wk > 0 ? static_cast<Integer>(RoundEven((wk - (acc - Width)) / wk * 1024)) : 0;

    if (Props.EndRow > 65536) {
        Props.StartRow -= Props.EndRow - 65536;
        Props.EndRow = 65536;
    }
    if (Props.EndCol > 256) {
        Props.StartCol -= Props.EndCol - 256;
        Props.EndCol = 256;
    }
    if (Props.StartCol < 1)
        Props.StartCol = 1;
    if (Props.StartRow < 1)
        Props.StartRow = 1;
}

// The inverse of CalcImgCells for an anchor with 1-based cells.
template <class TWorkbook>
void CalcImgDimentions(TWorkbook* Workbook, const TClientAnchor& Anchor, Extended& OffsetX, Extended& OffsetY,
                       Extended& Width, Extended& Height)
{
    using namespace zivImageHelpers;
    if (!Workbook)
        XlsError(zivXlsMessages::ErrNoOpenFile);
    TWorkbook& w = *Workbook;
    Width = 0;
    for (Integer c = Anchor.StartCol; c < Anchor.EndCol; ++c)
        Width += ColWidthPx(w, c);
    OffsetX = ColWidthPx(w, Anchor.StartCol) * Anchor.StartColOffset / 1024;
    Width = Width - OffsetX + ColWidthPx(w, Anchor.EndCol) * Anchor.EndColOffset / 1024;
    Height = 0;
    for (Integer r = Anchor.StartRow; r < Anchor.EndRow; ++r)
        Height += RowHeightPx(w, r);
    OffsetY = RowHeightPx(w, Anchor.StartRow) * Anchor.StartRowOffset / 255;
    Height = Height - OffsetY + RowHeightPx(w, Anchor.EndRow) * Anchor.EndRowOffset / 255;
}

template <class TWorkbook>
void CalcImgDimentions(TWorkbook* Workbook, const TClientAnchor& Anchor, Extended& Width, Extended& Height)
{
    Extended ox, oy;
    CalcImgDimentions(Workbook, Anchor, ox, oy, Width, Height);
    Width = zivImageHelpers::RoundEven(Width);
    Height = zivImageHelpers::RoundEven(Height);
}

template <class TWorkbook>
void CalcImgDimentions(TWorkbook* Workbook, const TClientAnchor& Anchor, Integer& Width, Integer& Height)
{
    Extended w, h;
    CalcImgDimentions(Workbook, Anchor, w, h);
    Width = static_cast<Integer>(w);
    Height = static_cast<Integer>(h);
}
