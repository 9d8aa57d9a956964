// The grid's cell graphic store: finding, classifying, attaching and freeing a cell's graphic, the
// size a graphic takes on screen and in print, the displayed text (links, group counts) and the
// node queries the base grid and the display text ask.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridGraphicState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Format.h"

#include <algorithm>

namespace {

// Graphics the cell operations never free: the grid's shared row check box and virtual check
// boxes, which belong to whoever put them in.
bool SharedGraphicKind(const TCellGraphic* G)
{
    return G->CellType == ctVirtCheckBox || G->CellType == ctRowCheckBox;
}

bool BesideText(const TCellGraphic* G)
{
    return G->CellHAlign == haBeforeText || G->CellHAlign == haAfterText;
}

bool StackedWithText(const TCellGraphic* G)
{
    return G->CellVAlign == vaUnderText || G->CellVAlign == vaAboveText;
}

// The link prefixes shown as anchors, in the order they are tried.
const char* const LinkPrefixes[] = {"HTTP://", "WWW.", "MAILTO:", "HTTPS://", "NNTP://", "FILE://", "FTP://"};

} // namespace

// ---- Finding and classifying ------------------------------------------------------------------

TCellGraphic* TDidAririzEvar::GetCellGraphic(Integer ACol, Integer ARow)
{
    if (ACol == 0 && FMouseActions->HotmailRowSelect()) {
        TCellGraphic* G = FGraph.RowCheckGraphic.get();
        G->CellType = ctRowCheckBox;
        G->CellTransparent = FControlLook->ControlStyle == RudUvudLook::csFlat;
        // Rows beyond the grid are simply not selected: a graphic query never raises.
        G->CellBoolean = ARow >= 0 && ARow < TotalRowCount() && GetRowSelect(ARow);
        return G;
    }
    if (ACol < 0 || ARow < 0)
        return nullptr;
    return dynamic_cast<TCellGraphic*>(GetGraphicObjectEx(ACol, ARow));
}

TCellType TDidAririzEvar::GetCellType(Integer ACol, Integer ARow)
{
    if (ACol < 0 || ARow < 0)
        return ctEmpty;
    TObject* O = GetGraphicObjectEx(ACol, ARow);
    if (O && !dynamic_cast<TCellGraphic*>(O))
        return ctEmpty;
    if (ACol == 0 && FMouseActions->HotmailRowSelect())
        return ctRowCheckBox;
    return O ? static_cast<TCellGraphic*>(O)->CellType : ctEmpty;
}

// ---- Attaching and freeing ----------------------------------------------------------------------

TCellGraphic* TDidAririzEvar::CreateCellGraphic(Integer ACol, Integer ARow)
{
    // The graphic the cell holds itself is the one replaced (in column 0 under HotmailRowSelect
    // the shared graphic answers for the cell, and it is never freed).
    if (auto* Old = dynamic_cast<TCellGraphic*>(GetGraphicObjectEx(ACol, ARow)))
        if (Old != FGraph.RowCheckGraphic.get() && !SharedGraphicKind(Old)) {
            GetCellProperties(ACol, ARow)->SetGraphicObject(nullptr);
            Old->Free();
        }
    TCellGraphic* Graphic = New<TCellGraphic>();
    // Storing the graphic keeps an empty cell empty (SetGraphicObjectEx writes around it).
    SetGraphicObjectEx(ACol, ARow, Graphic);
    if (NumHiddenColumns() > 0) {
        const Integer D = RemapColInv(ACol);
        if (D != ACol)
            RepaintCell(D, ARow);
    }
    return Graphic;
}

bool TDidAririzEvar::FreeCellGraphic(Integer ACol, Integer ARow)
{
    if (!GetCellGraphic(ACol, ARow))
        return false;
    // The cell's own graphic goes, whatever answers for the cell (see CreateCellGraphic): a
    // graphic dropped from its slot without being freed would be lost.
    TCellProperties* CP = RecordAt(ACol, ARow);
    if (!CP)
        return true;
    auto* Own = dynamic_cast<TCellGraphic*>(CP->GraphicObject());
    if (!Own)
        return true;
    CP->SetGraphicObject(nullptr);
    if (Own != FGraph.RowCheckGraphic.get() && !SharedGraphicKind(Own))
        Own->Free();
    return true;
}

bool TDidAririzEvar::RemoveCellGraphic(Integer ACol, Integer ARow, TCellType AType)
{
    return GetCellType(ACol, ARow) == AType && FreeCellGraphic(ACol, ARow);
}

TIntList* TDidAririzEvar::GetCellImages(Integer ACol, Integer ARow)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    return G && G->CellType == ctImages ? G->IntList() : nullptr;
}

std::intptr_t TDidAririzEvar::GetCellImageIdx(Integer ACol, Integer ARow)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G)
        return -1;
    switch (G->CellType) {
    case ctBitmap:
        return reinterpret_cast<std::intptr_t>(G->Graphic());
    case ctIcon:
        return reinterpret_cast<std::intptr_t>(G->GraphicExtra());
    case ctImageList:
        return G->CellIndex;
    default:
        return -1;
    }
}

// ---- Sizes --------------------------------------------------------------------------------------

namespace {

// A radio group's size: side by side, the items' widths plus 12 each and one line; stacked, the
// widest item plus 12 (at least 12) and MinLine or more per item.
TPoint RadioGroupSize(TCanvas* C, const TCellGraphic* G, Integer MinLine)
{
    TStrings* Items = G->Strings();
    if (!Items)
        return TPoint{0, 0};
    const Integer Line = C->TextHeight("gh");
    Integer W = 0;
    if (G->CellBoolean) {
        for (Integer I = 0; I < Items->Count(); ++I)
            W += C->TextWidth(Items->Strings(I)) + 12;
        return TPoint{W, Line};
    }
    W = 12;
    for (Integer I = 0; I < Items->Count(); ++I)
        W = std::max(W, C->TextWidth(Items->Strings(I)) + 12);
    return TPoint{W, std::max(MinLine, Line) * Items->Count()};
}

// An image list's images of a ctImages cell: in a row or in a column.
TPoint ImagesSize(const TCellGraphic* G, TCustomImageList* Images)
{
    TIntList* List = G->IntList();
    const Integer N = List ? List->Count() : 0;
    if (G->CellBoolean)
        return TPoint{N * Images->Width(), Images->Height()};
    return TPoint{Images->Width(), N * Images->Height()};
}

} // namespace

TPoint TDidAririzEvar::GetCellGraphicSize(Integer ACol, Integer ARow)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G)
        return TPoint{0, 0};
    const bool NoText = GetCellEx(ACol, ARow).empty();
    const bool Beside = BesideText(G), Stacked = StackedWithText(G);
    // Geometry is of the displayed column the real column shows in.
    const Integer DC = RemapColInv(ACol);
    TCustomImageList* Images = GridImages();
    Integer W = 0, H = 0;
    bool CaptionWidth = false; // the width is a button caption's: haFull does not widen it
    switch (G->CellType) {
    case ctBitmap:
        if (TBitmap* B = G->Bitmap()) {
            if (Beside || NoText)
                W = B->Width();
            if (Stacked || NoText)
                H = B->Height();
        }
        break;
    case ctIcon:
        if (TIcon* I = G->Icon()) {
            if (Beside || NoText)
                W = I->Width();
            H = I->Height();
        }
        break;
    case ctImageList:
    case ctDataImage:
        if (Images) {
            if (Beside || NoText)
                W = Images->Width();
            if (Stacked || NoText)
                H = Images->Height();
        }
        break;
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
        W = H = FControlLook->CheckSize;
        break;
    case ctRadioButton:
        W = H = FControlLook->RadioSize;
        break;
    case ctProgressPie:
        W = H = 20;
        break;
    case ctRadio: {
        const TPoint P = RadioGroupSize(MeasureCanvas(), G, 16);
        W = P.X;
        H = P.Y;
        break;
    }
    case ctImages:
        if (Images) {
            const TPoint P = ImagesSize(G, Images);
            W = P.X;
            H = P.Y;
        }
        break;
    case ctPicture:
    case ctFilePicture: {
        const TPoint S = CellSize(DC, ARow);
        const TPoint P = G->GetPictureSize(S.X, S.Y, !NoText);
        W = P.X;
        H = P.Y;
        break;
    }
    case ctButton:
    case ctBitButton:
        W = ButtonWidth(G->CellIndex);
        H = ButtonHeight(G->CellIndex);
        if (!NoText) {
            if (G->CellHAlign == haCenter)
                W = 0;
            if (G->CellHAlign == haFull)
                W = MeasureCanvas()->TextWidth(G->CellText) + 4;
            if (Stacked)
                W = 0;
            else
                H = 0;
        } else if (G->CellHAlign == haFull) {
            TCanvas* C = MeasureCanvas();
            C->Font()->Assign(Font());
            W = C->TextWidth(G->CellText) + 4;
            CaptionWidth = !G->CellText.empty();
        }
        break;
    case ctInterface:
        if (ICellGraphic* I = G->Interface()) {
            W = I->GetWidth();
            H = I->GetHeight();
        }
        break;
    default:
        break;
    }
    const bool FullWidth = G->CellHAlign == haFull && !CaptionWidth;
    if (G->CellVAlign == vaFull || FullWidth) {
        const TRect R = CellRect(DC, ARow);
        if (G->CellVAlign == vaFull)
            H = R.Height();
        if (FullWidth)
            W = R.Width();
    }
    return TPoint{W, H};
}

TPoint TDidAririzEvar::GetPrintGraphicSize(Integer ACol, Integer ARow, Integer AWidth, Integer AHeight,
                                           Double Scale)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G)
        return TPoint{0, 0};
    TCustomImageList* Images = GridImages();
    const Integer DC = RemapColInv(ACol);
    switch (G->CellType) {
    case ctBitmap:
        if (TBitmap* B = G->Bitmap())
            return TPoint{B->Width(), B->Height()};
        return TPoint{0, 0};
    case ctIcon:
        if (TIcon* I = G->Icon())
            return TPoint{I->Width(), I->Height()};
        return TPoint{0, 0};
    case ctImageList:
        if (!Images)
            return TPoint{0, 0};
        return TPoint{BesideText(G) || GetCellEx(ACol, ARow).empty() ? Images->Width() : 0, Images->Height()};
    case ctDataImage:
        return Images ? TPoint{Images->Width(), Images->Height()} : TPoint{0, 0};
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
        return TPoint{FControlLook->CheckSize, FControlLook->CheckSize};
    case ctRadioButton:
        return TPoint{FControlLook->RadioSize, FControlLook->RadioSize};
    case ctNode:
    case ctProgressPie:
        return TPoint{20, 20};
    case ctRadio:
        return RadioGroupSize(MeasureCanvas(), G, 0);
    case ctImages:
        return Images ? ImagesSize(G, Images) : TPoint{0, 0};
    case ctPicture:
    case ctFilePicture: {
        const TPoint P = G->GetPictureSize(AWidth, AHeight, false);
        if (Scale == 0)
            return P;
        return TPoint{static_cast<Integer>(Round(P.X / Scale)), static_cast<Integer>(Round(P.Y / Scale))};
    }
    case ctProgress:
    case ctXPProgress:
        return TPoint{ColWidths(DC), RowHeights(ARow)};
    case ctButton:
    case ctBitButton:
        return TPoint{ButtonWidth(G->CellIndex), ButtonHeight(G->CellIndex)};
    case ctInterface:
        if (ICellGraphic* I = G->Interface())
            return TPoint{I->GetWidth(), I->GetHeight()};
        return TPoint{0, 0};
    case ctShape: {
        const Integer S = RowHeights(ARow) - 2 * FPaint.XYOffset.Y;
        return TPoint{S, S};
    }
    default:
        return TPoint{0, 0};
    }
}

// ---- Displayed text, nodes ----------------------------------------------------------------------

void TDidAririzEvar::GetDisplText(Integer ACol, Integer ARow, AnsiString& Value)
{
    TBaseGrid::GetDisplText(ACol, ARow, Value);
    if (FGraph.URLShowInText) {
        for (const char* Prefix : LinkPrefixes) {
            AnsiString Linked;
            if (MakeHTMLHyperlink(Value, Prefix, Linked)) {
                Value = Linked;
                break;
            }
        }
    }
    if (FGrouping->ShowGroupCount && ACol == 1 && IsNode(ARow)) {
        const Integer N = GetNodeSpan(ARow) - (GetSubNodeCount(ARow) + 1);
        if (FGrouping->GroupCountFormat.empty()) {
            Value += " (" + IntToStr(N) + ")";
        } else {
            // The format is the application's: one that does not take a number leaves the text
            // as it is rather than failing the paint.
            try {
                Value += Format(FGrouping->GroupCountFormat, {N});
            } catch (const Exception&) {
            }
        }
    }
}

bool TDidAririzEvar::HasNodes()
{
    return FCore.FNodeCount > 0;
}

Integer TDidAririzEvar::NodeIndent(Integer ARow)
{
    TCellProperties* CP = FCore.FNodeCount > 0 && ARow >= 0 ? RecordAt(0, ARow) : nullptr;
    return CP ? CP->NodeLevel() * FCellNode->NodeIndent() : 0;
}

bool TDidAririzEvar::URLShowInText() const
{
    return FGraph.URLShowInText;
}

void TDidAririzEvar::SetURLShowInText(bool V)
{
    if (FGraph.URLShowInText == V)
        return;
    FGraph.URLShowInText = V;
    Invalidate();
}

bool TDidAririzEvar::IsNode(Integer ARow)
{
    if (ARow < 0)
        return false;
    // A summary row is no node: it has no span and no state (IsSummary answers for it).
    return GetCellType(0, ARow) == ctNode;
}

Integer TDidAririzEvar::GetNodeSpan(Integer ARow)
{
    TCellGraphic* G = IsNode(ARow) ? GetCellGraphic(0, ARow) : nullptr;
    return G ? G->CellIndex : -1;
}

Integer TDidAririzEvar::GetSubNodeCount(Integer ARow)
{
    TCellGraphic* G = IsNode(ARow) ? GetCellGraphic(0, ARow) : nullptr;
    return G ? G->CellErrFrom : 0;
}
