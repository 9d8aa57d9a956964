// TCellGraphic: kinds, setters, copying, ownership and the fitted size of pictures.

#include "RudUvud/core/CellGraphic.h"

#include "platform/rtl/Conversions.h"

#include <algorithm>

TCellGraphic::~TCellGraphic()
{
    FreeOwned();
}

void TCellGraphic::FreeOwned()
{
    switch (CellType) {
    case ctBitmap:
    case ctRadio:
    case ctPicture:
    case ctFilePicture:
    case ctBitButton:
        if (CellCreated)
            FreeAndNil(FGraphic);
        break;
    case ctIcon:
        if (CellCreated)
            FreeAndNil(FGraphicExtra);
        break;
    case ctImages:
    case ctBalloon:
        FreeAndNil(FGraphic);
        break;
    default:
        break;
    }
}

void TCellGraphic::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TCellGraphic*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    CellType = S->CellType;
    CellVAlign = S->CellVAlign;
    CellHAlign = S->CellHAlign;
    CellIndex = S->CellIndex;
    CellTransparent = S->CellTransparent;
    CellValue = S->CellValue;
    CellAngle = S->CellAngle;
    CellBoolean = S->CellBoolean;
    CellErrFrom = S->CellErrFrom;
    CellErrLen = S->CellErrLen;
    CellText = S->CellText;
    CellCreated = S->CellCreated;
}

void TCellGraphic::SetBitmap(TBitmap* ABitmap, bool Transparent, TCellHAlign HAlign, TCellVAlign VAlign)
{
    CellType = ctBitmap;
    FGraphic = ABitmap;
    CellTransparent = Transparent;
    CellHAlign = HAlign;
    CellVAlign = VAlign;
}

void TCellGraphic::SetIcon(TIcon* AIcon, TCellHAlign HAlign, TCellVAlign VAlign)
{
    CellType = ctIcon;
    FGraphicExtra = AIcon;
    CellHAlign = HAlign;
    CellVAlign = VAlign;
}

void TCellGraphic::SetImageIdx(Integer Index, TCellHAlign HAlign, TCellVAlign VAlign)
{
    CellType = ctImageList;
    CellIndex = Index;
    CellHAlign = HAlign;
    CellVAlign = VAlign;
}

void TCellGraphic::SetDataImage(Integer Index, TCellHAlign HAlign, TCellVAlign VAlign)
{
    CellType = ctDataImage;
    CellIndex = Index;
    CellHAlign = HAlign;
    CellVAlign = VAlign;
}

void TCellGraphic::SetMultiImage(Integer ACol, Integer ARow, Integer Direction, TCellHAlign HAlign,
                                 TCellVAlign VAlign, TImageChangeEvent OnChange)
{
    // The list is the graphic's own: an earlier list of a ctImages graphic goes first.
    if (CellType == ctImages)
        FreeAndNil(FGraphic);
    CellType = ctImages;
    auto* List = New<TIntList>(ACol, ARow);
    List->OnChange = std::move(OnChange);
    FGraphic = List;
    CellCreated = true;
    CellBoolean = Direction == 0;
    CellHAlign = HAlign;
    CellVAlign = VAlign;
}

void TCellGraphic::SetPicture(TPicture* APicture, bool Transparent, TStretchMode StretchMode, Integer Padding,
                              TCellHAlign HAlign, TCellVAlign VAlign)
{
    CellType = ctPicture;
    FGraphic = APicture;
    CellTransparent = Transparent;
    CellAngle = StretchMode;
    CellIndex = Padding;
    CellHAlign = HAlign;
    CellVAlign = VAlign;
}

void TCellGraphic::SetFilePicture(TFilePicture* APicture, bool Transparent, TStretchMode StretchMode,
                                  Integer Padding, TCellHAlign HAlign, TCellVAlign VAlign)
{
    SetPicture(nullptr, Transparent, StretchMode, Padding, HAlign, VAlign);
    CellType = ctFilePicture;
    FGraphic = APicture;
}

void TCellGraphic::SetCheckBox(bool Value, bool Data, bool Transparent, TCellHAlign HAlign,
                               TCellVAlign VAlign)
{
    CellType = Data ? ctDataCheckBox : ctCheckBox;
    CellBoolean = Value;
    CellTransparent = Transparent;
    CellHAlign = HAlign;
    CellVAlign = VAlign;
}

void TCellGraphic::SetRadioButton(bool Value, bool Transparent, TCellHAlign HAlign, TCellVAlign VAlign)
{
    CellType = ctRadioButton;
    CellBoolean = Value;
    CellTransparent = Transparent;
    CellHAlign = HAlign;
    CellVAlign = VAlign;
}

void TCellGraphic::SetButton(Integer Width, Integer Height, const AnsiString& Caption, TCellHAlign HAlign,
                             TCellVAlign VAlign)
{
    CellType = ctButton;
    CellIndex = PackButtonSize(Width, Height);
    CellText = Caption;
    CellBoolean = false;
    CellHAlign = HAlign;
    CellVAlign = VAlign;
}

void TCellGraphic::SetBitButton(Integer Width, Integer Height, const AnsiString& Caption, TBitmap* Glyph,
                                TCellHAlign HAlign, TCellVAlign VAlign)
{
    SetButton(Width, Height, Caption, HAlign, VAlign);
    CellType = ctBitButton;
    FGraphic = Glyph;
}

void TCellGraphic::SetAngle(SmallInt Angle)
{
    Integer A = Angle;
    while (A < 0)
        A += 360;
    while (A > 360)
        A -= 360;
    CellType = ctRotated;
    CellAngle = A;
}

void TCellGraphic::SetInterfacedCell(TInterfacedPersistent* AObject)
{
    CellType = ctInterface;
    FGraphic = AObject;
}

TPoint TCellGraphic::GetPictureSize(Integer AWidth, Integer AHeight, bool) const
{
    Integer PW = 0, PH = 0;
    if (CellType == ctPicture) {
        if (TPicture* P = Picture()) {
            PW = P->Width();
            PH = P->Height();
        }
    } else if (CellType == ctFilePicture) {
        if (TFilePicture* P = FilePicture()) {
            PW = P->Width();
            PH = P->Height();
        }
    } else {
        return TPoint{0, 0};
    }
    AWidth -= CellIndex;
    AHeight -= CellIndex;
    const bool TooLarge = PW > AWidth || PH > AHeight;
    auto WithAspect = [&](bool Limit) {
        double RX = PW > 0 ? double(AWidth) / PW : 1.0;
        double RY = PH > 0 ? double(AHeight) / PH : 1.0;
        if (Limit) {
            RX = std::min(RX, 1.0);
            RY = std::min(RY, 1.0);
        }
        if (RX < RY)
            return TPoint{AWidth, static_cast<Integer>(Round(PH * RX))};
        return TPoint{static_cast<Integer>(Round(PW * RY)), AHeight};
    };
    switch (CellAngle) {
    case Stretch:
        return TPoint{AWidth, AHeight};
    case Shrink:
        return TooLarge ? TPoint{AWidth, AHeight} : TPoint{PW, PH};
    case StretchWithAspectRatio:
        return WithAspect(false);
    case ShrinkWithAspectRatio:
        return TooLarge ? WithAspect(true) : TPoint{PW, PH};
    default:
        return TPoint{PW, PH};
    }
}
