// Cell decorations: the operations that put a decoration into a cell, read it, change it and take
// it away, each a thin layer over the graphic store (core/CellGraphics.cpp) fixing which fields
// its kind uses.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridGraphicState.h"

#include "platform/rtl/Conversions.h"

namespace {

// The graphic of a cell when it is of the kind, else nullptr.
TCellGraphic* OfKind(TCellGraphic* G, TCellType Kind)
{
    return G && G->CellType == Kind ? G : nullptr;
}

} // namespace

// ---- Bitmaps --------------------------------------------------------------------------------------

void TDidAririzEvar::AddBitmap(Integer ACol, Integer ARow, TBitmap* ABitmap, bool Transparent,
                               TCellHAlign HAlign, TCellVAlign VAlign)
{
    CreateCellGraphic(ACol, ARow)->SetBitmap(ABitmap, Transparent, HAlign, VAlign);
}

TBitmap* TDidAririzEvar::CreateBitmap(Integer ACol, Integer ARow, bool Transparent, TCellHAlign HAlign,
                                      TCellVAlign VAlign)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    auto* B = New<TBitmap>();
    G->SetBitmap(B, Transparent, HAlign, VAlign);
    G->CellCreated = true;
    return B;
}

TBitmap* TDidAririzEvar::GetBitmap(Integer ACol, Integer ARow)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctBitmap);
    return G ? G->Bitmap() : nullptr;
}

bool TDidAririzEvar::RemoveBitmap(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctBitmap);
}

// ---- Balloons ---------------------------------------------------------------------------------------

void TDidAririzEvar::AddBalloon(Integer ACol, Integer ARow, const AnsiString& ATitle, const AnsiString& AText,
                                TBalloonIcon AIcon)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctBalloon; // its lines are always the graphic's
    auto* Lines = New<TStringList>();
    G->SetGraphic(Lines);
    Lines->Add(ATitle);
    Lines->Add(AText);
    G->CellIndex = AIcon;
}

bool TDidAririzEvar::RemoveBalloon(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctBalloon);
}

bool TDidAririzEvar::HasBalloon(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    return GetCellType(B.X, B.Y) == ctBalloon;
}

bool TDidAririzEvar::IsBalloon(Integer ACol, Integer ARow, AnsiString& ATitle, AnsiString& AText,
                               TBalloonIcon& AIcon)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctBalloon);
    if (!G)
        return false;
    TStrings* Lines = G->Strings();
    ATitle = Lines && Lines->Count() > 0 ? Lines->Strings(0) : AnsiString();
    AText = Lines && Lines->Count() > 1 ? Lines->Strings(1) : AnsiString();
    AIcon =
        G->CellIndex >= biNone && G->CellIndex <= biError ? static_cast<TBalloonIcon>(G->CellIndex) : biNone;
    return true;
}

// ---- Radio groups -----------------------------------------------------------------------------------

void TDidAririzEvar::AddRadio(Integer ACol, Integer ARow, Integer Direction, Integer Index, TStrings* Items)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctRadio;
    G->SetGraphic(Items);
    G->CellAngle = Items ? Items->Count() : 0;
    G->CellBoolean = Direction != 0;
    G->CellIndex = Index;
}

TStringList* TDidAririzEvar::CreateRadio(Integer ACol, Integer ARow, Integer Direction, Integer Index)
{
    auto* Items = New<TStringList>();
    AddRadio(ACol, ARow, Direction, Index, Items);
    GetCellGraphic(ACol, ARow)->CellCreated = true;
    return Items;
}

bool TDidAririzEvar::RemoveRadio(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctRadio);
}

bool TDidAririzEvar::IsRadio(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    return GetCellType(B.X, B.Y) == ctRadio;
}

TStrings* TDidAririzEvar::GetRadioStrings(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    TCellGraphic* G = OfKind(GetCellGraphic(B.X, B.Y), ctRadio);
    return G ? G->Strings() : nullptr;
}

bool TDidAririzEvar::GetRadioIdx(Integer ACol, Integer ARow, Integer& Index)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G)
        return false;
    Index = G->CellIndex;
    return G->CellType == ctRadio;
}

bool TDidAririzEvar::SetRadioIdx(Integer ACol, Integer ARow, Integer Index)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G)
        return false;
    G->CellIndex = Index;
    RepaintCell(RemapColInv(ACol), ARow);
    return G->CellType == ctRadio;
}

// ---- Interfaced cells, pictures, file pictures, icons -----------------------------------------------

void TDidAririzEvar::AddInterfacedCell(Integer ACol, Integer ARow, TInterfacedPersistent* AObject)
{
    CreateCellGraphic(ACol, ARow)->SetInterfacedCell(AObject);
}

bool TDidAririzEvar::RemoveInterfacedCell(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctInterface);
}

TInterfacedPersistent* TDidAririzEvar::GetInterfacedCell(Integer ACol, Integer ARow)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctInterface);
    return G ? dynamic_cast<TInterfacedPersistent*>(G->Graphic()) : nullptr;
}

void TDidAririzEvar::AddPicture(Integer ACol, Integer ARow, TPicture* APicture, bool Transparent,
                                TStretchMode StretchMode, Integer Padding, TCellHAlign HAlign,
                                TCellVAlign VAlign)
{
    CreateCellGraphic(ACol, ARow)->SetPicture(APicture, Transparent, StretchMode, Padding, HAlign, VAlign);
}

TPicture* TDidAririzEvar::CreatePicture(Integer ACol, Integer ARow, bool Transparent,
                                        TStretchMode StretchMode, Integer Padding, TCellHAlign HAlign,
                                        TCellVAlign VAlign)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    auto* P = New<TPicture>();
    G->SetPicture(P, Transparent, StretchMode, Padding, HAlign, VAlign);
    G->CellCreated = true;
    return P;
}

TPicture* TDidAririzEvar::GetPicture(Integer ACol, Integer ARow)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctPicture);
    return G ? G->Picture() : nullptr;
}

bool TDidAririzEvar::RemovePicture(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctPicture);
}

void TDidAririzEvar::AddFilePicture(Integer ACol, Integer ARow, TFilePicture* APicture, bool Transparent,
                                    TStretchMode StretchMode, Integer Padding, TCellHAlign HAlign,
                                    TCellVAlign VAlign)
{
    CreateCellGraphic(ACol, ARow)
        ->SetFilePicture(APicture, Transparent, StretchMode, Padding, HAlign, VAlign);
}

TFilePicture* TDidAririzEvar::CreateFilePicture(Integer ACol, Integer ARow, bool Transparent,
                                                TStretchMode StretchMode, Integer Padding, TCellHAlign HAlign,
                                                TCellVAlign VAlign)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    auto* P = New<TFilePicture>();
    G->SetFilePicture(P, Transparent, StretchMode, Padding, HAlign, VAlign);
    G->CellCreated = true;
    return P;
}

TFilePicture* TDidAririzEvar::GetFilePicture(Integer ACol, Integer ARow)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctFilePicture);
    return G ? G->FilePicture() : nullptr;
}

bool TDidAririzEvar::RemoveFilePicture(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctFilePicture);
}

void TDidAririzEvar::AddIcon(Integer ACol, Integer ARow, TIcon* AIcon, TCellHAlign HAlign, TCellVAlign VAlign)
{
    CreateCellGraphic(ACol, ARow)->SetIcon(AIcon, HAlign, VAlign);
}

TIcon* TDidAririzEvar::CreateIcon(Integer ACol, Integer ARow, TCellHAlign HAlign, TCellVAlign VAlign)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    auto* I = New<TIcon>();
    G->SetIcon(I, HAlign, VAlign);
    G->CellCreated = true;
    return I;
}

bool TDidAririzEvar::RemoveIcon(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctIcon);
}

// ---- Progress pies, bars and range indicators -------------------------------------------------------

void TDidAririzEvar::AddProgressPie(Integer ACol, Integer ARow, TColor Color, Integer Value)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctProgressPie;
    G->CellHAlign = haBeforeText;
    G->CellVAlign = vaTop;
    G->SetGraphicColor(Color);
    G->CellAngle = Value;
}

void TDidAririzEvar::SetProgressPie(Integer ACol, Integer ARow, Integer Value)
{
    if (TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctProgressPie)) {
        G->CellAngle = Value;
        RepaintCell(RemapColInv(ACol), ARow);
    }
}

bool TDidAririzEvar::RemoveProgressPie(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctProgressPie);
}

void TDidAririzEvar::AddVadProgress(Integer ACol, Integer ARow, Integer MinValue, Integer MaxValue)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctXPProgress;
    G->CellHAlign = haLeft;
    G->CellVAlign = vaTop;
    G->CellErrFrom = MinValue;
    G->CellErrLen = MaxValue;
    G->CellBoolean = false;
    G->CellText.clear();
}

bool TDidAririzEvar::RemoveVadProgress(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctXPProgress);
}

void TDidAririzEvar::AddProgress(Integer ACol, Integer ARow, TColor Color, TColor BKColor)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctProgress;
    G->CellHAlign = haLeft;
    G->CellVAlign = vaTop;
    G->SetGraphicColor(Color);
    G->SetGraphicExtraColor(BKColor);
    G->CellErrFrom = 0;
    G->CellErrLen = 100;
    G->CellBoolean = false;
    G->CellText.clear();
    if (FGraph.AutoNumAlign)
        SetAlignments(ACol, ARow, taRightJustify);
}

void TDidAririzEvar::AddProgressEx(Integer ACol, Integer ARow, TColor Color, TColor TextColor, TColor BKColor,
                                   TColor BKTextColor)
{
    AddProgress(ACol, ARow, Color, BKColor);
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    G->CellIndex = static_cast<Integer>(TextColor);
    G->CellAngle = static_cast<Integer>(BKTextColor);
    G->CellBoolean = true;
}

void TDidAririzEvar::AddProgressFormatted(Integer ACol, Integer ARow, TColor Color, TColor TextColor,
                                          TColor BKColor, TColor BKTextColor, const AnsiString& Format,
                                          Integer MinValue, Integer MaxValue)
{
    AddProgressEx(ACol, ARow, Color, TextColor, BKColor, BKTextColor);
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    G->CellText = Format;
    G->CellErrFrom = MinValue;
    G->CellErrLen = MaxValue;
}

bool TDidAririzEvar::RemoveProgress(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctProgress);
}

void TDidAririzEvar::AddRangeIndicator(Integer ACol, Integer ARow, Integer Range, TColor NegColor,
                                       TColor PosColor, bool ShowValue)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctRangeIndicator;
    G->CellHAlign = haLeft;
    G->CellVAlign = vaTop;
    G->CellIndex = Range;
    G->SetGraphicColor(NegColor);
    G->SetGraphicExtraColor(PosColor);
    G->CellBoolean = ShowValue;
}

bool TDidAririzEvar::RemoveRangeIndicator(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctRangeIndicator);
}

// ---- Comments ---------------------------------------------------------------------------------------

void TDidAririzEvar::AddComment(Integer ACol, Integer ARow, const AnsiString& Comment)
{
    AddColorComment(ACol, ARow, Comment, FControlLook->CommentColor);
}

void TDidAririzEvar::AddColorComment(Integer ACol, Integer ARow, const AnsiString& Comment, TColor Color)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctComment;
    G->CellHAlign = haLeft;
    G->CellVAlign = vaTop;
    G->CellText = Comment;
    G->CellIndex = static_cast<Integer>(Color);
}

void TDidAririzEvar::SetComment(Integer ACol, Integer ARow, const AnsiString& Comment)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G)
        AddComment(ACol, ARow, Comment);
    else if (G->CellType == ctComment)
        G->CellText = Comment;
}

AnsiString TDidAririzEvar::GetComment(Integer ACol, Integer ARow)
{
    AnsiString Comment;
    return IsComment(ACol, ARow, Comment) ? Comment : AnsiString();
}

bool TDidAririzEvar::IsComment(Integer ACol, Integer ARow, AnsiString& Comment)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctComment);
    if (G)
        Comment = G->CellText;
    return G != nullptr;
}

bool TDidAririzEvar::RemoveComment(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctComment);
}

void TDidAririzEvar::RemoveAllComments()
{
    AnsiString Comment;
    for (Integer C = 0; C < ColCount(); ++C)
        for (Integer R = 0; R < RowCount(); ++R)
            if (IsComment(C, R, Comment))
                RemoveComment(C, R);
}

// ---- Shapes and ratings -----------------------------------------------------------------------------

void TDidAririzEvar::AddShape(Integer ACol, Integer ARow, TCellShape Shape, TColor FillColor,
                              TColor LineColor, TCellHAlign HAlign, TCellVAlign VAlign)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctShape;
    G->CellAngle = Shape;
    G->CellIndex = static_cast<Integer>(FillColor);
    G->SetGraphicColor(LineColor);
    G->CellHAlign = HAlign;
    G->CellVAlign = VAlign;
}

bool TDidAririzEvar::RemoveShape(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctShape);
}

void TDidAririzEvar::SetShapeColor(Integer ACol, Integer ARow, TColor Color)
{
    if (GetCellType(ACol, ARow) == ctShape)
        GetCellGraphic(ACol, ARow)->CellIndex = static_cast<Integer>(Color);
}

TColor TDidAririzEvar::GetShapeColor(Integer ACol, Integer ARow)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctShape);
    return G ? static_cast<TColor>(G->CellIndex) : clNone;
}

void TDidAririzEvar::AddRating(Integer ACol, Integer ARow, Integer Scale, TColor Color, TColor ColorTo)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctRating;
    G->CellAngle = Scale;
    G->CellIndex = static_cast<Integer>(Color);
    G->SetGraphicColor(ColorTo);
}

bool TDidAririzEvar::RemoveRating(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctRating);
}

bool TDidAririzEvar::HasRating(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    return GetCellType(B.X, B.Y) == ctRating;
}

// ---- Cell scroll bars -------------------------------------------------------------------------------

void TDidAririzEvar::AddScrollBar(Integer ACol, Integer ARow, bool AutoRange)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->CellType = ctScrollbar;
    G->CellAngle = 0;
    G->CellErrFrom = 100;
    G->CellBoolean = AutoRange;
    if (AutoRange)
        CellTextChange(ACol, ARow);
}

bool TDidAririzEvar::RemoveScrollBar(Integer ACol, Integer ARow)
{
    return RemoveCellGraphic(ACol, ARow, ctScrollbar);
}

bool TDidAririzEvar::HasScrollBar(Integer ACol, Integer ARow)
{
    return GetCellType(ACol, ARow) == ctScrollbar;
}

bool TDidAririzEvar::HasAutoRangeScrollBar(Integer ACol, Integer ARow)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctScrollbar);
    return G && G->CellBoolean;
}

void TDidAririzEvar::SetScrollPosition(Integer ACol, Integer ARow, Integer Position)
{
    if (TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctScrollbar)) {
        G->CellIndex = Position;
        RepaintCell(RemapColInv(ACol), ARow);
    }
}

Integer TDidAririzEvar::GetScrollPosition(Integer ACol, Integer ARow)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctScrollbar);
    return G ? G->CellIndex : -1;
}

void TDidAririzEvar::SetScrollProp(Integer ACol, Integer ARow, const TScrollProp& Prop)
{
    if (TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctScrollbar)) {
        G->CellAngle = Prop.PageSize;
        G->CellErrFrom = Prop.Range;
    }
}

TScrollProp TDidAririzEvar::GetScrollProp(Integer ACol, Integer ARow)
{
    TCellGraphic* G = OfKind(GetCellGraphic(ACol, ARow), ctScrollbar);
    return G ? TScrollProp{G->CellAngle, G->CellErrFrom} : TScrollProp{-1, -1};
}

// ---- Markers ----------------------------------------------------------------------------------------

void TDidAririzEvar::AddMarker(Integer ACol, Integer ARow, Integer FromChar, Integer CharCount)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G) {
        // A graphic of no kind: the cell still answers ctEmpty.
        G = CreateCellGraphic(ACol, ARow);
        G->CellType = ctEmpty;
    }
    G->CellErrFrom = FromChar;
    G->CellErrLen = CharCount;
    RepaintCell(RemapColInv(ACol), ARow);
}

void TDidAririzEvar::RemoveMarker(Integer ACol, Integer ARow)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G)
        return;
    if (G->CellType == ctEmpty) {
        RemoveCellGraphic(ACol, ARow, ctEmpty);
        return;
    }
    G->CellErrFrom = 0;
    G->CellErrLen = 0;
}

void TDidAririzEvar::RemoveAllMarkers()
{
    for (Integer C = 0; C < ColCount(); ++C)
        for (Integer R = 0; R < RowCount(); ++R)
            RemoveMarker(C, R);
}

void TDidAririzEvar::GetMarker(Integer ACol, Integer ARow, Integer& FromChar, Integer& CharCount)
{
    FromChar = 0;
    CharCount = 0;
    if (TCellGraphic* G = GetCellGraphic(ACol, ARow)) {
        FromChar = G->CellErrFrom;
        CharCount = G->CellErrLen;
    }
}

// ---- Buttons ----------------------------------------------------------------------------------------

void TDidAririzEvar::AddButton(Integer ACol, Integer ARow, Integer BWidth, Integer BHeight,
                               const AnsiString& Caption, TCellHAlign HAlign, TCellVAlign VAlign)
{
    CreateCellGraphic(ACol, ARow)->SetButton(BWidth, BHeight, Caption, HAlign, VAlign);
}

void TDidAririzEvar::AddBitButton(Integer ACol, Integer ARow, Integer BWidth, Integer BHeight,
                                  const AnsiString& Caption, TBitmap* Glyph, TCellHAlign HAlign,
                                  TCellVAlign VAlign)
{
    CreateCellGraphic(ACol, ARow)->SetBitButton(BWidth, BHeight, Caption, Glyph, HAlign, VAlign);
}

TBitmap* TDidAririzEvar::CreateBitButton(Integer ACol, Integer ARow, Integer BWidth, Integer BHeight,
                                         const AnsiString& Caption, TCellHAlign HAlign, TCellVAlign VAlign)
{
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    auto* Glyph = New<TBitmap>();
    G->SetBitButton(BWidth, BHeight, Caption, Glyph, HAlign, VAlign);
    G->CellCreated = true;
    return Glyph;
}

bool TDidAririzEvar::RemoveButton(Integer ACol, Integer ARow)
{
    const bool Plain = RemoveCellGraphic(ACol, ARow, ctButton);
    const bool Bit = RemoveCellGraphic(ACol, ARow, ctBitButton);
    return Plain || Bit;
}

bool TDidAririzEvar::HasButton(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    const TCellType T = GetCellType(B.X, B.Y);
    return T == ctButton || T == ctBitButton;
}

void TDidAririzEvar::SetButtonText(Integer ACol, Integer ARow, const AnsiString& Caption)
{
    if (TCellGraphic* G = GetCellGraphic(RemapCol(ACol), ARow)) {
        G->CellText = Caption;
        RepaintCell(ACol, ARow);
    }
}

AnsiString TDidAririzEvar::GetButtonText(Integer ACol, Integer ARow)
{
    TCellGraphic* G = GetCellGraphic(RemapCol(ACol), ARow);
    return G ? G->CellText : AnsiString();
}

void TDidAririzEvar::PushButton(Integer ACol, Integer ARow, bool Push)
{
    TCellGraphic* G = GetCellGraphic(RemapCol(ACol), ARow);
    if (G && G->CellType != ctNode) {
        G->CellBoolean = Push;
        RepaintCell(ACol, ARow);
    }
}

TRect TDidAririzEvar::ButtonRect(Integer ACol, Integer ARow)
{
    TCellGraphic* G = GetCellGraphic(RemapCol(ACol), ARow);
    if (!G)
        return TRect{0, 0, 0, 0};
    // Painting stored where it put the button: X in the low 16 bits, Y in the high ones.
    const auto V = static_cast<std::uint32_t>(Round(G->CellValue));
    const TRect R = CellRect(ACol, ARow);
    TRect B;
    B.Left = R.Left + static_cast<Integer>(V & 0xFFFFu);
    B.Top = R.Top + static_cast<Integer>(V >> 16);
    B.Right = B.Left + ButtonWidth(G->CellIndex);
    B.Bottom = B.Top + ButtonHeight(G->CellIndex);
    if (G->CellVAlign == vaFull) {
        B.Top = R.Top;
        B.Bottom = R.Bottom;
    }
    if (G->CellHAlign == haFull) {
        B.Left = R.Left;
        B.Right = R.Right;
    }
    return B;
}
