#include "RudUvud/core/CellGraphic.h"
#include "RudUvud/xlsadapter/ImageHelpers.h"
#include "RudUvud/xlsadapter/XlsGridBridge.h"
#include "RudUvud/xlsadapter/XlsPictures.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Jpeg.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cmath>

// The grid bridge's pictures and comments: cell graphics and comments out to pictures and notes
// of the sheet, and the sheet's pictures back into grid pictures.

namespace {

Integer RoundPx(Extended V)
{
    return static_cast<Integer>(std::nearbyint(V));
}

// Where a picture of Size stands in a cell of Cell along one axis: at the far edge, centred when
// narrower, else one pixel in. A picture larger than its cell starts at the cell's edge.
Integer PictureOffset(Integer Cell, Integer Size, bool Far, bool Centre)
{
    Integer Offset = 1;
    if (Far)
        Offset = Cell - Size;
    else if (Centre && Size < Cell)
        Offset = (Cell - Size) / 2;
    return std::max(Offset, 0);
}

} // namespace

void TDozAzevIzaroIO::ExportCellGraphic(TExcelFile& X, Integer g, Integer q, Integer Xc, Integer Y)
{
    TCellGraphic* CG = FGrid->GetCellGraphic(g, q);
    if (!CG)
        return;
    switch (CG->CellType) {
    case ctBitmap:
        ExportImage(X, CG->Bitmap(), g, q, Xc, Y);
        break;
    case ctPicture:
    case ctInterface:
        // An interfaced cell takes part only when its object is a picture.
        if (auto* P = dynamic_cast<TPicture*>(CG->Graphic()))
            ExportImage(X, P->Graphic(), g, q, Xc, Y);
        break;
    case ctImageList: {
        TCustomImageList* Images = FGrid->GridImages();
        if (!Images || CG->CellIndex < 0 || CG->CellIndex >= Images->Count())
            break;
        TBitmap B;
        Images->GetBitmap(CG->CellIndex, &B);
        ExportImage(X, &B, g, q, Xc, Y);
        break;
    }
    default:
        break;
    }
}

void TDozAzevIzaroIO::ExportImage(TExcelFile& X, TGraphic* Graphic, Integer g, Integer q, Integer Xc,
                                  Integer Y)
{
    if (!Graphic || Graphic->Empty() || Graphic->Width() <= 0 || Graphic->Height() <= 0)
        return;
    // Pictures always go into the sheet as JPEG.
    TMemoryStream Jpeg;
    if (auto* J = dynamic_cast<TJPEGImage*>(Graphic)) {
        J->SaveToStream(&Jpeg);
    } else {
        TBitmap B;
        B.SetSize(Graphic->Width(), Graphic->Height());
        Graphic->Draw(B.Canvas(), TRect{0, 0, Graphic->Width(), Graphic->Height()});
        TJPEGImage Converted;
        Converted.Assign(&B);
        Converted.SaveToStream(&Jpeg);
    }
    if (Jpeg.Size() <= 0)
        return;

    TCellGraphic* CG = FGrid->GetCellGraphic(g, q);
    TPoint Size = FGrid->GetPrintGraphicSize(g, q, FGrid->ColWidths(g), FGrid->RowHeights(q), 1.0);
    if (Size.X <= 0 || Size.Y <= 0)
        Size = TPoint{Graphic->Width(), Graphic->Height()};
    const TPoint Cell = FGrid->CellSize(g, q);
    const Integer OffsetX =
        PictureOffset(Cell.X, Size.X, CG->CellHAlign == haRight, CG->CellHAlign == haCenter);
    const Integer OffsetY =
        PictureOffset(Cell.Y, Size.Y, CG->CellVAlign == vaBottom, CG->CellVAlign == vaCenter);

    TImageProperties Props;
    CalcImgCells(&X, Y, Xc, OffsetY, OffsetX, Size.Y, Size.X, Props);
    const Byte* Bytes = static_cast<const Byte*>(Jpeg.Memory());
    X.AddImage(ByteArray(Bytes, Bytes + Jpeg.Size()), xli_Jpeg, Props, at_MoveAndDontResize);
}

void TDozAzevIzaroIO::ExportCellComment(TExcelFile& X, Integer g, Integer q, Integer Xc, Integer Y,
                                        Integer SpanX)
{
    AnsiString Comment;
    if (!FGrid->IsComment(g, q, Comment))
        return;
    const WideString Text = SupressCR(AnsiToWide(Comment));
    Integer Height = 75, Width = 130;
    if (OnGetCommentBoxSize)
        OnGetCommentBoxSize(this, Text, Height, Width);
    // The box stands just right of the cell's block, a little below the row above.
    TImageProperties Props;
    CalcImgCells(&X, Y - 1, Xc + SpanX + 1, 8, 14, Height, Width, Props);
    X.SetCellComment(Y, Xc, Text, Props);
}

std::vector<TDozAzevIzaroIO::TImportedPicture>
TDozAzevIzaroIO::ImportImages(TExcelFile& X, Extended Z, Integer& RowCount, Integer& ColCount)
{
    std::vector<TImportedPicture> Result;
    if (!FOptions->ImportImages)
        return Result;
    const Integer Count = X.GetPicturesCount(0);
    for (Integer i = 0; i < Count; ++i) {
        TMemoryStream Data;
        TXlsImgTypes Type = xli_Unknown;
        TClientAnchor A;
        X.GetPicture(0, i, &Data, Type, A);
        // A corner past the middle of its cell counts from the next cell.
        const Integer Col = A.StartCol + (A.StartColOffset > 512 ? 1 : 0);
        const Integer Row = A.StartRow + (A.StartRowOffset >= 128 ? 1 : 0);
        const Integer EndCol = FGridStartCol + A.EndCol - FXlsStartCol;
        const Integer EndRow = FGridStartRow + A.EndRow - FXlsStartRow;
        if (AutoResizeGrid) {
            if (ColCount < EndCol + 2 && FGrid->GetFixedColsEx() < EndCol + 2)
                ColCount = EndCol + 2;
            if (RowCount < EndRow + 2 && FGrid->GetFixedRowsEx() < EndRow + 2)
                RowCount = EndRow + 2;
        }
        if (A.StartRow < FXlsStartRow || A.StartCol < FXlsStartCol || ColCount < EndCol || RowCount < EndRow)
            continue;
        if (Col > A.EndCol || Row > A.EndRow)
            continue; // a corner pushed past the picture's end: nothing to cover
        Extended Width = 0, Height = 0;
        CalcImgDimentions(&X, A, Width, Height);
        // Only pictures the decoder knows are shown; the others are left out.
        TPicture Decoded;
        bool Handled = false;
        try {
            Data.Seek(0, soBeginning);
            SaveImgStreamToGraphic(Data, Type, &Decoded, Handled);
        } catch (const Exception&) {
            Handled = false;
        }
        if (!Handled || !Decoded.Graphic() || Decoded.Graphic()->Empty())
            continue;
        TImportedPicture P;
        P.Col = FGridStartCol + Col - FXlsStartCol;
        P.Row = FGridStartRow + Row - FXlsStartRow;
        P.SpanCols = A.EndCol - Col + 1;
        P.SpanRows = A.EndRow - Row + 1;
        P.Bitmap = std::make_unique<TBitmap>();
        const Integer W = std::max(1, RoundPx(Width * Z)), H = std::max(1, RoundPx(Height * Z));
        P.Bitmap->SetSize(W, H);
        P.Bitmap->Canvas()->StretchDraw(TRect{0, 0, W, H}, Decoded.Graphic());
        Result.push_back(std::move(P));
    }
    return Result;
}
