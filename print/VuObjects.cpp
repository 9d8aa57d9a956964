#include "print/VuObjects.h"

#include "platform/forms/Jpeg.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

Integer Px(Extended Inches, Integer Ppi)
{
    return static_cast<Integer>(VuRound(Inches * Ppi));
}

// The entry a stored index names, with one reference taken for the object that will point at
// it. A table that has just been loaded answers through its index map, since entries merged
// while loading no longer sit at their stored positions.
TObject* ResolveStored(TVuResourceList* List, Integer Index, bool Required)
{
    if (Index == -1 && !Required)
        return nullptr;
    if (!List->LoadedIndex().empty()) {
        if (TObject* Entry = List->ResolveLoaded(Index))
            return Entry;
        if (!Required)
            return nullptr;
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    }
    TObject* Entry = List->Item(Index); // EListError when out of range
    List->Counts()->IncValueAtIndex(Index);
    return Entry;
}

} // namespace

// ---- Base ----

void TVuBaseObject::Draw(TCanvas* Canvas, const TVuObjectDrawData& DrawData)
{
    if (!Printable && IsPrinterCanvas(Canvas))
        return;
    DrawToCanvas(Canvas, DrawData);
}

void TVuBaseObject::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVuBaseObject::SaveToValueList(TVuValueList* List)
{
    List->Add("");
    List->Add("");
    List->WriteIntValue("ID", GetObjectID());
    List->WriteIntValue("UI", UserID);
}

void TVuBaseObject::LoadFromValueList(TVuValueList* List)
{
    UserID = List->ReadIntValue("UI", -1);
}

void TVuBaseObject::SaveToStream(TStream* Stream)
{
    Stream->WriteInteger(GetObjectID());
    TVuValueList List;
    SaveToValueList(&List);
    List.SaveToStream(Stream);
}

void TVuBaseObject::LoadFromStream(TStream* Stream)
{
    TVuValueList List;
    List.LoadFromStream(Stream);
    LoadFromValueList(&List);
}

TVuRectPoints TVuVisibleObject::BoundingRect(const TVuObjectDrawData& DrawData)
{
    // Drawn into a path on an off-screen bitmap; the path's region box is the drawn area.
    std::unique_ptr<TBitmap> B(New<TBitmap>());
    B->SetSize(1, 1);
    HDC Dc = B->Canvas()->Handle();
    BeginPath(Dc);
    Draw(B->Canvas(), DrawData);
    EndPath(Dc);
    RECT Box{};
    if (TOwnedRegion Rgn{PathToRegion(Dc)})
        GetRgnBox(Rgn.get(), &Box);
    return RectToVuRectPoints(Box);
}

// ---- Shared resources, copy on write ----

TVuOutlineShape::~TVuOutlineShape() = default;

void TVuOutlineShape::SetPen(TVuPen* Pen)
{
    if (!FPen) {
        FPen = Pen;
        return;
    }
    TVuPen Value;
    Value.Assign(Pen);
    FResourceTable->Pens()->DeleteResource(FPen);
    FPen = FResourceTable->AddPen(&Value);
}

TVuPen* TVuOutlineShape::GetPen()
{
    if (!FPenCopy) {
        FPenCopy = std::make_unique<TVuPen>();
        FPenCopy->Assign(FPen);
        FPenCopy->OnChange = [this](TObject*) {
            std::unique_ptr<TVuPen> Copy = std::move(FPenCopy);
            FResourceTable->Pens()->DeleteResource(FPen);
            FPen = FResourceTable->AddPen(Copy.get());
            Changed();
        };
    }
    return FPenCopy.get();
}

void TVuOutlineShape::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData)
{
    if (FPen)
        FPen->AssignToCanvas(Canvas, DrawData.PpiX);
}

void TVuOutlineShape::SaveToValueList(TVuValueList* List)
{
    TVuVisibleObject::SaveToValueList(List);
    if (FPen)
        List->WriteIntValue("P", FResourceTable->Pens()->IndexOfEntry(FPen));
}

void TVuOutlineShape::LoadFromValueList(TVuValueList* List)
{
    TVuVisibleObject::LoadFromValueList(List);
    FPen = static_cast<TVuPen*>(ResolveStored(FResourceTable->Pens(), List->ReadIntValue("P", -1), false));
}

TVuSolidShape::~TVuSolidShape() = default;

void TVuSolidShape::SetBrush(TVuBrush* Brush)
{
    if (!FBrush) {
        FBrush = Brush;
        return;
    }
    TVuBrush Value;
    Value.Assign(Brush);
    FResourceTable->Brushes()->DeleteResource(FBrush);
    FBrush = FResourceTable->AddBrush(&Value);
}

TVuBrush* TVuSolidShape::GetBrush()
{
    if (!FBrushCopy) {
        FBrushCopy = std::make_unique<TVuBrush>();
        FBrushCopy->Assign(FBrush);
        FBrushCopy->OnChange = [this](TObject*) {
            std::unique_ptr<TVuBrush> Copy = std::move(FBrushCopy);
            if (FBrush)
                FResourceTable->Brushes()->DeleteResource(FBrush);
            FBrush = FResourceTable->AddBrush(Copy.get());
            Changed();
        };
    }
    return FBrushCopy.get();
}

void TVuSolidShape::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData)
{
    TVuOutlineShape::DrawToCanvas(Canvas, DrawData);
    if (FBrush)
        FBrush->AssignToCanvas(Canvas);
}

void TVuSolidShape::SaveToValueList(TVuValueList* List)
{
    TVuOutlineShape::SaveToValueList(List);
    if (FBrush)
        List->WriteIntValue("B", FResourceTable->Brushes()->IndexOfEntry(FBrush));
}

void TVuSolidShape::LoadFromValueList(TVuValueList* List)
{
    TVuOutlineShape::LoadFromValueList(List);
    FBrush =
        static_cast<TVuBrush*>(ResolveStored(FResourceTable->Brushes(), List->ReadIntValue("B", -1), false));
}

// ---- Rectangle-based shapes ----

TRect TVuBaseSolidShape::CoordsAsPixels(Integer PpiX, Integer PpiY) const
{
    return TRect{Px(FCoords.Left, PpiX), Px(FCoords.Top, PpiY), Px(FCoords.Right, PpiX),
                 Px(FCoords.Bottom, PpiY)};
}

void TVuBaseSolidShape::OffsetObject(Extended DX, Extended DY, TVuMeasurement M)
{
    OffsetVuRect(FCoords, ConvertValue(DX, M, vuInches), ConvertValue(DY, M, vuInches));
    Changed();
}

void TVuSimpleSolidShape::SaveToValueList(TVuValueList* List)
{
    TVuBaseSolidShape::SaveToValueList(List);
    List->WriteVuRectValue("XY", FCoords);
}

void TVuSimpleSolidShape::LoadFromValueList(TVuValueList* List)
{
    TVuBaseSolidShape::LoadFromValueList(List);
    FCoords = List->ReadVuRectValue("XY", {});
}

void TVuLineObject::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TVuSimpleSolidShape::DrawToCanvas(Canvas, D);
    TRect R = CoordsAsPixels(D.PpiX, D.PpiY);
    Canvas->MoveTo(R.Left, R.Top);
    Canvas->LineTo(R.Right, R.Bottom);
}

TVuRectPoints TVuLineObject::BoundingRect(const TVuObjectDrawData& D)
{
    TRect R = CoordsAsPixels(D.PpiX, D.PpiY);
    return RectToVuRectPoints(TRect{std::min(R.Left, R.Right) - 3, std::min(R.Top, R.Bottom) - 3,
                                    std::max(R.Left, R.Right) + 3, std::max(R.Top, R.Bottom) + 3});
}

void TVuRectangleShape::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TVuSimpleSolidShape::DrawToCanvas(Canvas, D);
    VuDrawRect(Canvas, CoordsAsPixels(D.PpiX, D.PpiY));
}

void TVuEllipseShape::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TVuSimpleSolidShape::DrawToCanvas(Canvas, D);
    TRect R = CoordsAsPixels(D.PpiX, D.PpiY);
    HDC Dc = Canvas->Handle();
    BeginPath(Dc);
    VuDrawEllipse(Canvas, R.Left, R.Top, R.Right, R.Bottom);
    EndPath(Dc);
    StrokeAndFillPath(Dc);
}

void TVuSemiComplexShape::SetX3(TVuMeasurement M, Extended V)
{
    Extended I = ConvertValue(V, M, vuInches);
    if (I != FX3) {
        FX3 = I;
        Changed();
    }
}

void TVuSemiComplexShape::SetY3(TVuMeasurement M, Extended V)
{
    Extended I = ConvertValue(V, M, vuInches);
    if (I != FY3) {
        FY3 = I;
        Changed();
    }
}

void TVuSemiComplexShape::SaveToValueList(TVuValueList* List)
{
    TVuSimpleSolidShape::SaveToValueList(List);
    List->WriteVuPointValue("XY3", VuPoint(FX3, FY3));
}

void TVuSemiComplexShape::LoadFromValueList(TVuValueList* List)
{
    TVuSimpleSolidShape::LoadFromValueList(List);
    TVuPoint P = List->ReadVuPointValue("XY3", {});
    FX3 = P.X;
    FY3 = P.Y;
}

void TVuRoundRectShape::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TVuSemiComplexShape::DrawToCanvas(Canvas, D);
    TRect R = CoordsAsPixels(D.PpiX, D.PpiY);
    HDC Dc = Canvas->Handle();
    BeginPath(Dc);
    VuDrawRoundRect(Canvas, R.Left, R.Top, R.Right, R.Bottom, Px(FX3, D.PpiX), Px(FY3, D.PpiY));
    EndPath(Dc);
    StrokeAndFillPath(Dc);
}

void TVuComplexShape::SetX4(TVuMeasurement M, Extended V)
{
    Extended I = ConvertValue(V, M, vuInches);
    if (I != FX4) {
        FX4 = I;
        Changed();
    }
}

void TVuComplexShape::SetY4(TVuMeasurement M, Extended V)
{
    Extended I = ConvertValue(V, M, vuInches);
    if (I != FY4) {
        FY4 = I;
        Changed();
    }
}

TVuComplexCoords TVuComplexShape::GetCoords(TVuMeasurement M) const
{
    return ConvertVuComplexCoords(
        VuComplexCoords(FCoords.Left, FCoords.Top, FCoords.Right, FCoords.Bottom, FX3, FY3, FX4, FY4),
        vuInches, M);
}

void TVuComplexShape::SetCoords(TVuMeasurement M, const TVuComplexCoords& C)
{
    TVuComplexCoords I = ConvertVuComplexCoords(C, M, vuInches);
    FCoords = VuRect(I.X, I.Y, I.X2, I.Y2);
    SetX3(vuInches, I.X3);
    SetY3(vuInches, I.Y3);
    SetX4(vuInches, I.X4);
    SetY4(vuInches, I.Y4);
}

void TVuComplexShape::OffsetObject(Extended DX, Extended DY, TVuMeasurement M)
{
    Extended X = ConvertValue(DX, M, vuInches), Y = ConvertValue(DY, M, vuInches);
    FX3 += X;
    FX4 += X;
    FY3 += Y;
    FY4 += Y;
    TVuSemiComplexShape::OffsetObject(DX, DY, M);
}

void TVuComplexShape::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TVuSemiComplexShape::DrawToCanvas(Canvas, D);
    TRect R = CoordsAsPixels(D.PpiX, D.PpiY);
    HDC Dc = Canvas->Handle();
    int X3 = Px(FX3, D.PpiX), Y3 = Px(FY3, D.PpiY), X4 = Px(FX4, D.PpiX), Y4 = Px(FY4, D.PpiY);
    switch (GetObjectID()) {
    case 5:
        Arc(Dc, R.Left, R.Top, R.Right, R.Bottom, X3, Y3, X4, Y4);
        break;
    case 6:
        Chord(Dc, R.Left, R.Top, R.Right, R.Bottom, X3, Y3, X4, Y4);
        break;
    default:
        Pie(Dc, R.Left, R.Top, R.Right, R.Bottom, X3, Y3, X4, Y4);
        break;
    }
}

void TVuComplexShape::SaveToValueList(TVuValueList* List)
{
    TVuSemiComplexShape::SaveToValueList(List);
    List->WriteVuPointValue("XY4", VuPoint(FX4, FY4));
}

void TVuComplexShape::LoadFromValueList(TVuValueList* List)
{
    TVuSemiComplexShape::LoadFromValueList(List);
    TVuPoint P = List->ReadVuPointValue("XY4", {});
    FX4 = P.X;
    FY4 = P.Y;
}

// ---- Pictures ----

void TVuGraphicObject::SetGraphic(TGraphic* Graphic)
{
    if (!Graphic)
        return;
    std::unique_ptr<TGraphic> Converted;
    TGraphic* Source = Graphic;
    if (auto* Icon = dynamic_cast<TIcon*>(Graphic)) {
        auto* B = New<TBitmap>();
        B->SetSize(Icon->Width(), Icon->Height());
        B->Canvas()->Draw(0, 0, Icon);
        Converted.reset(B);
        Source = B;
    } else if (!dynamic_cast<TBitmap*>(Graphic) && !dynamic_cast<TMetafile*>(Graphic) &&
               !dynamic_cast<TJPEGImage*>(Graphic)) {
        auto* J = New<TJPEGImage>();
        J->Assign(Graphic);
        Converted.reset(J);
        Source = J;
    }
    if (FGraphic)
        FResourceTable->Graphics()->DeleteResource(FGraphic);
    FGraphic = FResourceTable->AddGraphic(Source);
    if (auto* B = dynamic_cast<TBitmap*>(FGraphic))
        PixelFormat = B->PixelFormat();
}

void TVuGraphicObject::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    if (!FGraphic)
        return;
    TRect R = CoordsAsPixels(D.PpiX, D.PpiY);
    Canvas->SetCopyMode(static_cast<TCopyMode>(CopyMode));
    if (dynamic_cast<TMetafile*>(FGraphic)) {
        Canvas->StretchDraw(R, FGraphic);
        return;
    }
    std::unique_ptr<TBitmap> Temp(New<TBitmap>());
    Temp->Assign(FGraphic);
    if (IsPrinterCanvas(Canvas))
        Temp->SetPixelFormat(PixelFormat);
    Canvas->StretchDraw(R, Temp.get());
}

void TVuGraphicObject::SaveToValueList(TVuValueList* List)
{
    TVuSimpleSolidShape::SaveToValueList(List);
    List->WriteIntValue("CM", CopyMode);
    List->WriteIntValue("PF", PixelFormat);
    if (FGraphic)
        List->WriteIntValue("G", FResourceTable->Graphics()->IndexOfEntry(FGraphic));
}

void TVuGraphicObject::LoadFromValueList(TVuValueList* List)
{
    TVuSimpleSolidShape::LoadFromValueList(List);
    CopyMode = List->ReadIntValue("CM", 13369376);
    PixelFormat = static_cast<TPixelFormat>(std::clamp(List->ReadIntValue("PF", 3), 0, int(pfCustom)));
    FGraphic =
        static_cast<TGraphic*>(ResolveStored(FResourceTable->Graphics(), List->ReadIntValue("G", -1), false));
}

// ---- Text ----

TVuBaseTextObject::~TVuBaseTextObject() = default;

void TVuBaseTextObject::SetCaption(const AnsiString& Text)
{
    if (Text == FCaption)
        return;
    FCaption = Text;
    Changed();
}

void TVuBaseTextObject::SetClipRect(TVuMeasurement M, const TVuRect& R)
{
    TVuRect I = ConvertVuRect(R, M, vuInches);
    if (EqualVuRects(I, FClipRect))
        return;
    FClipRect = I;
    Changed();
}

void TVuBaseTextObject::SetFont(TVuFont* Font)
{
    if (!FFont) {
        FFont = Font;
        return;
    }
    TVuFont Value;
    Value.Assign(Font);
    FResourceTable->Fonts()->DeleteResource(FFont);
    FFont = FResourceTable->AddFont(&Value);
}

TVuFont* TVuBaseTextObject::GetFont()
{
    if (!FFontCopy) {
        auto Copy = std::make_unique<TVuFont>();
        Copy->Assign(FFont); // no font: the assignment error
        FFontCopy = std::move(Copy);
        FFontCopy->OnChange = [this](TObject*) {
            std::unique_ptr<TVuFont> Copy = std::move(FFontCopy);
            FResourceTable->Fonts()->DeleteResource(FFont);
            FFont = FResourceTable->AddFont(Copy.get());
            Changed();
        };
    }
    return FFontCopy.get();
}

void TVuBaseTextObject::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TVuBaseSolidShape::DrawToCanvas(Canvas, D);
    if (FFont) {
        Canvas->Font()->SetPixelsPerInch(D.PpiX);
        FFont->AssignToCanvas(Canvas);
    }
}

void TVuBaseTextObject::SaveToValueList(TVuValueList* List)
{
    TVuBaseSolidShape::SaveToValueList(List);
    List->WriteStringValue("T", FCaption);
    List->WriteVuRectValue("CR", FClipRect);
    List->WriteVuPointValue("XY", VuPoint(FCoords.Left, FCoords.Top));
    if (FFont)
        List->WriteIntValue("F", FResourceTable->Fonts()->IndexOfEntry(FFont));
}

void TVuBaseTextObject::LoadFromValueList(TVuValueList* List)
{
    TVuBaseSolidShape::LoadFromValueList(List);
    FCaption = List->ReadStringValue("T", "");
    FClipRect = List->ReadVuRectValue("CR", VuRect(-1, -1, -1, -1));
    TVuPoint P = List->ReadVuPointValue("XY", {});
    FCoords.Left = P.X;
    FCoords.Top = P.Y;
    // A text object given no font draws with the canvas's font and is saved without one (F
    // absent, or -1 from a text box): it loads that way again. Any other index must resolve.
    const Integer F = List->ReadIntValue("F", -1);
    FFont = F == -1 ? nullptr : static_cast<TVuFont*>(ResolveStored(FResourceTable->Fonts(), F, true));
}

void TVuTextObject::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TVuBaseTextObject::DrawToCanvas(Canvas, D);
    AnsiString Text = Tokenize(FCaption, D.Page, D.NumPages, GlobalDateTokenFormat, GlobalTimeTokenFormat);
    HDC Dc = Canvas->Handle();
    RECT Clip{};
    bool Clipped = this->Clipped();
    if (Clipped)
        Clip = {Px(FClipRect.Left, D.PpiX), Px(FClipRect.Top, D.PpiY), Px(FClipRect.Right, D.PpiX),
                Px(FClipRect.Bottom, D.PpiY)};
    SetBkMode(Dc, Canvas->Brush()->Style() == bsClear ? TRANSPARENT : OPAQUE);
    // The platform font keeps no angle: a rotated text gets a font handle of its own.
    TOwnedFont Rotated;
    std::optional<TSelectObject> Selected;
    if (Font() && Font()->Angle() != 0) {
        LOGFONTA Lf = Canvas->Font()->LogFont();
        Lf.lfEscapement = Lf.lfOrientation = static_cast<LONG>(VuRound(Font()->Angle() * 10));
        Rotated.reset(CreateFontIndirect(&Lf));
        Selected.emplace(Dc, Rotated.get());
    }
    ExtTextOut(Dc, Px(FCoords.Left, D.PpiX), Px(FCoords.Top, D.PpiY), Clipped ? UINT(ETO_CLIPPED) : 0u,
               Clipped ? &Clip : nullptr, Text.data(), static_cast<UINT>(Text.size()), nullptr);
}

void TVuTextObject::OffsetObject(Extended DX, Extended DY, TVuMeasurement M)
{
    FCoords.Left += ConvertValue(DX, M, vuInches);
    FCoords.Top += ConvertValue(DY, M, vuInches);
}

TVuRectPoints TVuTextObject::BoundingRect(const TVuObjectDrawData& D)
{
    std::unique_ptr<TBitmap> B(New<TBitmap>());
    B->SetSize(1, 1);
    B->Canvas()->Font()->SetPixelsPerInch(D.PpiX);
    if (Font())
        Font()->AssignToCanvas(B->Canvas());
    TSize S = B->Canvas()->TextExtent(FCaption);
    Integer X = Px(FCoords.Left, D.PpiX), Y = Px(FCoords.Top, D.PpiY);
    return RectToVuRectPoints(TRect{X, Y, X + S.cx, Y + S.cy});
}

#define VU_BOX_SETTER(Setter, Field, Type)                                                                   \
    void TVuTextBoxObject::Setter(Type V)                                                                    \
    {                                                                                                        \
        if (V == Field)                                                                                      \
            return;                                                                                          \
        Field = V;                                                                                           \
        Changed();                                                                                           \
    }
VU_BOX_SETTER(SetAlignment, FAlignment, TAlignment)
VU_BOX_SETTER(SetClipText, FClipText, bool)
VU_BOX_SETTER(SetVertAlignment, FVertAlignment, TVuVertAlignment)
VU_BOX_SETTER(SetWordBreak, FWordBreak, bool)
VU_BOX_SETTER(SetPadding, FPadding, Extended)
#undef VU_BOX_SETTER

void TVuTextBoxObject::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TVuBaseTextObject::DrawToCanvas(Canvas, D);
    AnsiString Text = Tokenize(FCaption, D.Page, D.NumPages, GlobalDateTokenFormat, GlobalTimeTokenFormat);
    TRect Box = CoordsAsPixels(D.PpiX, D.PpiY);
    Integer Th = Px(TextHeight, D.PpiY);
    TRect T = Box;
    if (FVertAlignment == vuMiddle)
        T.Top += (Box.Bottom - Box.Top - Th) / 2;
    else if (FVertAlignment == vuBottom)
        T.Top = Box.Bottom - Th;
    Integer PadX = Px(FPadding, D.PpiX), PadY = Px(FPadding, D.PpiY);
    T.Left += PadX;
    T.Right -= PadX;
    T.Top += PadY;
    T.Bottom -= PadY;
    VuDrawRect(Canvas, Box);
    HDC Dc = Canvas->Handle();
    SetBkMode(Dc, TRANSPARENT);
    UINT Format = DT_EXPANDTABS | DT_NOPREFIX | (FWordBreak ? UINT(DT_WORDBREAK) : 0u);
    if (FAlignment == taRightJustify)
        Format |= DT_RIGHT;
    else if (FAlignment == taCenter)
        Format |= DT_CENTER;
    RECT R{T.Left, T.Top, T.Right, T.Bottom};
    DrawText(Dc, Text.data(), static_cast<int>(Text.size()), &R, Format);
}

void TVuTextBoxObject::SaveToValueList(TVuValueList* List)
{
    TVuBaseTextObject::SaveToValueList(List);
    List->WriteVuPointValue("XY2", VuPoint(FCoords.Right, FCoords.Bottom));
    List->WriteExtValue("TP", FPadding);
    List->WriteExtValue("TH", TextHeight);
    List->WriteStringValue("T", FCaption);
    if (FAlignment != taLeftJustify)
        List->WriteIntValue("TA", FAlignment);
    if (FVertAlignment != vuTop)
        List->WriteIntValue("VA", FVertAlignment);
    if (!FClipText)
        List->WriteBoolValue("CT", false);
    if (!FWordBreak)
        List->WriteBoolValue("WB", false);
    List->WriteIntValue("F", Font() ? FResourceTable->Fonts()->IndexOfEntry(Font()) : -1);
}

void TVuTextBoxObject::LoadFromValueList(TVuValueList* List)
{
    TVuBaseTextObject::LoadFromValueList(List);
    TVuPoint P = List->ReadVuPointValue("XY2", {});
    FCoords.Right = P.X;
    FCoords.Bottom = P.Y;
    FPadding = List->ReadExtValue("TP", 0);
    TextHeight = List->ReadExtValue("TH", 0);
    FAlignment = static_cast<TAlignment>(std::clamp(List->ReadIntValue("TA", 0), 0, int(taCenter)));
    FVertAlignment = static_cast<TVuVertAlignment>(std::clamp(List->ReadIntValue("VA", 0), 0, int(vuBottom)));
    FClipText = List->ReadBoolValue("CT", true);
    FWordBreak = List->ReadBoolValue("WB", true);
}

// ---- Poly objects ----

TVuPolyPoints TVuPolyBaseObject::GetPoints(TVuMeasurement M) const
{
    TVuPolyPoints P = FPoints;
    ConvertVuPolyPoints(P, vuInches, M);
    return P;
}

void TVuPolyBaseObject::SetPoints(TVuMeasurement M, const TVuPolyPoints& Points)
{
    FPoints = Points;
    ConvertVuPolyPoints(FPoints, M, vuInches);
    Changed();
}

void TVuPolyBaseObject::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TVuSolidShape::DrawToCanvas(Canvas, D);
    std::vector<TPoint> Pts;
    Pts.reserve(FPoints.size());
    for (const TVuPoint& P : FPoints)
        Pts.push_back(TPoint{Px(P.X, D.PpiX), Px(P.Y, D.PpiY)});
    VuDrawPolyShape(GetObjectID(), Canvas, Pts);
}

void TVuPolyBaseObject::OffsetObject(Extended DX, Extended DY, TVuMeasurement M)
{
    Extended X = ConvertValue(DX, M, vuInches), Y = ConvertValue(DY, M, vuInches);
    for (TVuPoint& P : FPoints)
        OffsetVuPoint(P, X, Y);
}

void TVuPolyBaseObject::SaveToValueList(TVuValueList* List)
{
    TVuSolidShape::SaveToValueList(List);
    List->WriteIntValue("SZ", static_cast<Integer>(FPoints.size()));
    for (size_t i = 0; i < FPoints.size(); ++i)
        List->WriteVuPointValue("XY" + IntToStr(static_cast<long long>(i)), FPoints[i]);
}

void TVuPolyBaseObject::LoadFromValueList(TVuValueList* List)
{
    TVuSolidShape::LoadFromValueList(List);
    Integer N = List->ReadIntValue("SZ", 0);
    // Every stored point has its own line, so a count beyond the list's lines is a damaged
    // value: refuse it rather than allocate what it claims.
    if (N < 0 || N > List->Count())
        throw EConvertError("'" + IntToStr(N) + "' is not a valid point count");
    FPoints.assign(static_cast<size_t>(N), TVuPoint{});
    for (Integer i = 0; i < N; ++i)
        FPoints[static_cast<size_t>(i)] = List->ReadVuPointValue("XY" + IntToStr(i), {});
}

// ---- Paths and clipping ----

void TVuPathObject::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData&)
{
    HDC Dc = Canvas->Handle();
    switch (PathType) {
    case vuBeginPath:
        BeginPath(Dc);
        break;
    case vuEndPath:
        EndPath(Dc);
        break;
    case vuFillPath:
        FillPath(Dc);
        break;
    case vuStrokePath:
        StrokePath(Dc);
        break;
    case vuStrokeAndFillPath:
        StrokeAndFillPath(Dc);
        break;
    case vuCloseFigure:
        CloseFigure(Dc);
        break;
    }
}

void TVuPathObject::SaveToValueList(TVuValueList* List)
{
    TVuBaseObject::SaveToValueList(List);
    List->WriteIntValue("PT", PathType);
}

void TVuPathObject::LoadFromValueList(TVuValueList* List)
{
    TVuBaseObject::LoadFromValueList(List);
    PathType = static_cast<TVuPathObjectType>(std::clamp(List->ReadIntValue("PT", 1), 0, int(vuCloseFigure)));
}

void TVuRemoveClipObject::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData&)
{
    SelectClipRgn(Canvas->Handle(), nullptr);
}

void TVuBaseClipObject::DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& D)
{
    TRect R{Px(ClipRect.Left, D.PpiX), Px(ClipRect.Top, D.PpiY), Px(ClipRect.Right, D.PpiX),
            Px(ClipRect.Bottom, D.PpiY)};
    HDC Dc = Canvas->Handle();
    BeginPath(Dc);
    AddOutline(Canvas, R, D);
    EndPath(Dc);
    if (TOwnedRegion Rgn{PathToRegion(Dc)})
        SelectClipRgn(Dc, Rgn.get());
}

void TVuBaseClipObject::SaveToValueList(TVuValueList* List)
{
    TVuBaseObject::SaveToValueList(List);
    List->WriteVuRectValue("XY", ClipRect);
}

void TVuBaseClipObject::LoadFromValueList(TVuValueList* List)
{
    TVuBaseObject::LoadFromValueList(List);
    ClipRect = List->ReadVuRectValue("XY", {});
}

void TVuClipRectObject::AddOutline(TCanvas* Canvas, const TRect& R, const TVuObjectDrawData&)
{
    VuDrawRect(Canvas, R);
}

void TVuClipEllipseObject::AddOutline(TCanvas* Canvas, const TRect& R, const TVuObjectDrawData&)
{
    VuDrawEllipse(Canvas, R.Left, R.Top, R.Right, R.Bottom);
}

void TVuClipRoundRectObject::AddOutline(TCanvas* Canvas, const TRect& R, const TVuObjectDrawData& D)
{
    VuDrawRoundRect(Canvas, R.Left, R.Top, R.Right, R.Bottom, Px(CornerSize.X, D.PpiX),
                    Px(CornerSize.Y, D.PpiY));
}

void TVuClipRoundRectObject::SaveToValueList(TVuValueList* List)
{
    TVuClipRectObject::SaveToValueList(List);
    List->WriteVuPointValue("XY3", CornerSize);
}

void TVuClipRoundRectObject::LoadFromValueList(TVuValueList* List)
{
    TVuClipRectObject::LoadFromValueList(List);
    CornerSize = List->ReadVuPointValue("XY3", {});
}

// ---- Factory and list ----

TVuBaseObject* CreateVuObject(Integer ObjectID, TVuResourceTable* T)
{
    switch (ObjectID) {
    case 0:
        return New<TVuTextObject>(T);
    case 1:
        return New<TVuLineObject>(T);
    case 2:
        return New<TVuRectangleShape>(T);
    case 3:
        return New<TVuEllipseShape>(T);
    case 4:
        return New<TVuRoundRectShape>(T);
    case 5:
        return New<TVuArcShape>(T);
    case 6:
        return New<TVuChordShape>(T);
    case 7:
        return New<TVuPieShape>(T);
    case 8:
        return New<TVuPathObject>(T);
    case 9:
        return New<TVuRemoveClipObject>(T);
    case 10:
        return New<TVuClipRectObject>(T);
    case 11:
        return New<TVuClipRoundRectObject>(T);
    case 12:
        return New<TVuClipEllipseObject>(T);
    case 13:
        return New<TVuGraphicObject>(T);
    case 14:
        return New<TVuTextBoxObject>(T);
    case 15:
        return New<TVuPolygonObject>(T);
    case 16:
        return New<TVuPolylineObject>(T);
    case 17:
        return New<TVuPolyBezierObject>(T);
    case 18:
        return New<TVuPolylineToObject>(T);
    case 19:
        return New<TVuPolyBezierToObject>(T);
    default:
        return nullptr;
    }
}

void TVuBaseObjectList::AddObject(TVuBaseObject* Object)
{
    InsertObject(Count(), Object);
}

void TVuBaseObjectList::InsertObject(Integer Index, TVuBaseObject* Object)
{
    Index = std::clamp(Index, 0, Count());
    FItems.insert(FItems.begin() + Index, Object);
    Object->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

TVuBaseObject* TVuBaseObjectList::GetObject(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return FItems[static_cast<size_t>(Index)];
}

void TVuBaseObjectList::SetObject(Integer Index, TVuBaseObject* Object)
{
    TVuBaseObject* Old = GetObject(Index);
    FItems[static_cast<size_t>(Index)] = Object;
    if (Old != Object && Old)
        Old->Free();
}

TVuBaseObject* TVuBaseObjectList::Extract(Integer Index)
{
    TVuBaseObject* O = GetObject(Index);
    FItems.erase(FItems.begin() + Index);
    return O;
}

void TVuBaseObjectList::Delete(Integer Index)
{
    Extract(Index)->Free();
}

void TVuBaseObjectList::Clear()
{
    for (TVuBaseObject* O : FItems)
        O->Free();
    FItems.clear();
}

void TVuBaseObjectList::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---- Drawing helpers ----

void VuDrawRect(TCanvas* Canvas, const TRect& R)
{
    POINT P[6] = {{R.Left, R.Top},    {R.Right, R.Top}, {R.Right, R.Bottom},
                  {R.Left, R.Bottom}, {R.Left, R.Top},  {R.Right, R.Top}};
    Polygon(Canvas->Handle(), P, 6);
}

void VuDrawRoundRect(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3)
{
    Integer W = X2 - X1, H = Y2 - Y1;
    Integer Cx = static_cast<Integer>(VuRound(X3 / 4.0)) - 1,
            Cy = static_cast<Integer>(VuRound(Y3 / 4.0)) - 1;
    Integer Rx = X3 / 2, Ry = Y3 / 2;
    if (Rx > W)
        Rx = W;
    if (Ry > H)
        Ry = H;
    HDC Dc = Canvas->Handle();
    auto Bez = [&](POINT A, POINT B, POINT C) {
        POINT P[3] = {A, B, C};
        PolyBezierTo(Dc, P, 3);
    };
    MoveToEx(Dc, X1 + Rx, Y1, nullptr);
    Bez({X1 + Cx, Y1}, {X1, Y1 + Cy}, {X1, Y1 + Ry});
    LineTo(Dc, X1, Y2 - Ry);
    Bez({X1, Y2 - Cy}, {X1 + Cx, Y2}, {X1 + Rx, Y2});
    LineTo(Dc, X2 - Rx, Y2);
    Bez({X2 - Cx, Y2}, {X2, Y2 - Cy}, {X2, Y2 - Ry});
    LineTo(Dc, X2, Y1 + Ry);
    Bez({X2, Y1 + Cy}, {X2 - Cx, Y1}, {X2 - Rx, Y1});
    LineTo(Dc, X1 + Rx, Y1);
}

void VuDrawEllipse(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    Integer W = X2 - X1, H = Y2 - Y1, Hw = W / 2, Hh = H / 2;
    Integer Cx = static_cast<Integer>(VuRound(W / 4.45)), Cy = static_cast<Integer>(VuRound(H / 4.45));
    HDC Dc = Canvas->Handle();
    auto Bez = [&](POINT A, POINT B, POINT C) {
        POINT P[3] = {A, B, C};
        PolyBezierTo(Dc, P, 3);
    };
    MoveToEx(Dc, X1 + Hw, Y1, nullptr);
    Bez({X1 + Cx, Y1}, {X1, Y1 + Cy}, {X1, Y1 + Hh});
    Bez({X1, Y2 - Cy}, {X1 + Cx, Y2}, {X1 + Hw, Y2});
    Bez({X2 - Cx, Y2}, {X2, Y2 - Cy}, {X2, Y2 - Hh});
    Bez({X2, Y1 + Cy}, {X2 - Cx, Y1}, {X2 - Hw, Y1});
}

void VuDrawPolyShape(Integer ObjectID, TCanvas* Canvas, const std::vector<TPoint>& Points)
{
    if (Points.empty())
        return;
    std::vector<POINT> P;
    P.reserve(Points.size());
    for (const TPoint& T : Points)
        P.push_back({T.X, T.Y});
    HDC Dc = Canvas->Handle();
    switch (ObjectID) {
    case 15:
        Polygon(Dc, P.data(), static_cast<int>(P.size()));
        break;
    case 16:
        Polyline(Dc, P.data(), static_cast<int>(P.size()));
        break;
    case 17:
        PolyBezier(Dc, P.data(), static_cast<DWORD>(P.size()));
        break;
    case 18:
        // The "to" shapes start at their own first point, not wherever the context's current
        // point was left by what was drawn before (which would add a stray line to them).
        MoveToEx(Dc, P[0].X, P[0].Y, nullptr);
        PolylineTo(Dc, P.data(), static_cast<DWORD>(P.size()));
        break;
    case 19:
        MoveToEx(Dc, P[0].X, P[0].Y, nullptr);
        PolyBezierTo(Dc, P.data(), static_cast<DWORD>(P.size()));
        break;
    default:
        break;
    }
}

bool IsPrinterCanvas(TCanvas* Canvas)
{
    return Canvas && Canvas->ClassNameIs("TPrinterCanvas");
}
