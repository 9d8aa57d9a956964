// Cells showing images of the grid's image list (one index, an index kept in the text, a list of
// indexes) and cells whose text is drawn rotated.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"

namespace {

bool OwnsObjects(const TCellGraphic& G)
{
    switch (G.CellType) {
    case ctImages:
    case ctBalloon:
        return true;
    case ctBitmap:
    case ctRadio:
    case ctPicture:
    case ctFilePicture:
    case ctBitButton:
    case ctIcon:
        return G.CellCreated;
    default:
        return false;
    }
}

} // namespace

void TDidAririzEvar::AddImageIdx(Integer ACol, Integer ARow, Integer Index, TCellHAlign HAlign,
                                 TCellVAlign VAlign)
{
    if (!GridImages())
        return;
    CreateCellGraphic(ACol, ARow)->SetImageIdx(Index, HAlign, VAlign);
}

bool TDidAririzEvar::GetImageIdx(Integer ACol, Integer ARow, Integer& Index)
{
    if (!GridImages() || GetCellType(ACol, ARow) != ctImageList)
        return false;
    Index = GetCellGraphic(ACol, ARow)->CellIndex;
    return true;
}

void TDidAririzEvar::SetImageIdx(Integer ACol, Integer ARow, Integer Index)
{
    if (GridImages() && GetCellType(ACol, ARow) == ctImageList)
        GetCellGraphic(ACol, ARow)->CellIndex = Index;
}

void TDidAririzEvar::RemoveImageIdx(Integer ACol, Integer ARow)
{
    RemoveCellGraphic(ACol, ARow, ctImageList);
}

void TDidAririzEvar::AddDataImage(Integer ACol, Integer ARow, Integer Index, TCellHAlign HAlign,
                                  TCellVAlign VAlign)
{
    if (!GridImages())
        return;
    CreateCellGraphic(ACol, ARow)->SetDataImage(Index, HAlign, VAlign);
    SetInts(ACol, ARow, Index);
}

bool TDidAririzEvar::HasDataImage(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    return GetCellType(B.X, B.Y) == ctDataImage;
}

void TDidAririzEvar::RemoveDataImage(Integer ACol, Integer ARow)
{
    RemoveCellGraphic(ACol, ARow, ctDataImage);
}

void TDidAririzEvar::AddMultiImage(Integer ACol, Integer ARow, Integer Direction, TCellHAlign HAlign,
                                   TCellVAlign VAlign)
{
    if (!GridImages())
        return;
    CreateCellGraphic(ACol, ARow)
        ->SetMultiImage(ACol, ARow, Direction, HAlign, VAlign,
                        [this](TObject* Sender, Integer C, Integer R) { MultiImageChanged(Sender, C, R); });
}

void TDidAririzEvar::MultiImageChanged(TObject*, Integer ACol, Integer ARow)
{
    RepaintCell(ACol, ARow);
}

void TDidAririzEvar::RemoveMultiImage(Integer ACol, Integer ARow)
{
    RemoveCellGraphic(ACol, ARow, ctImages);
}

void TDidAririzEvar::AddRotated(Integer ACol, Integer ARow, SmallInt Angle, const AnsiString& AText)
{
    CreateCellGraphic(ACol, ARow)->SetAngle(Angle);
    SetCells(ACol, ARow, AText);
}

void TDidAririzEvar::SetRotated(Integer ACol, Integer ARow, SmallInt Angle)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    // A graphic owning a picture, a list or a balloon is replaced, so that what it owns is freed
    // instead of being forgotten by the kind change.
    if (!G || OwnsObjects(*G))
        G = CreateCellGraphic(ACol, ARow);
    G->SetAngle(Angle);
}

bool TDidAririzEvar::IsRotated(Integer ACol, Integer ARow, Integer& Angle)
{
    if (GetCellType(ACol, ARow) != ctRotated)
        return false;
    Angle = GetCellGraphic(ACol, ARow)->CellAngle;
    return true;
}

void TDidAririzEvar::RemoveRotated(Integer ACol, Integer ARow)
{
    RemoveCellGraphic(ACol, ARow, ctRotated);
}

TColor TDidAririzEvar::URLColor() const
{
    return FCore.URLColor;
}

void TDidAririzEvar::SetURLColor(TColor Value)
{
    if (FCore.URLColor == Value)
        return;
    FCore.URLColor = Value;
    if (URLShow())
        Invalidate();
}
