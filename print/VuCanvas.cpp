#include "print/VuCanvas.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Guards.h"

namespace {
Extended In(Extended V, TVuMeasurement M)
{
    return ConvertValue(V, M, vuInches);
}
} // namespace

TVuCanvas::TVuCanvas(TVuCanvasTarget* Document)
    : FDocument(Document), FBrush(New<TBrush>()), FFont(New<TFont>()), FPen(New<TPen>()),
      FMeasure(New<TVuValueSize>()), FSaved(New<TVuCanvasSavedValues>()),
      FTextBoxPadding(New<TVuValue>(1, vuMillimeters))
{
    FBrush->SetStyle(bsClear);
    FFont->SetName("Arial");
    FFont->SetSize(10);
}

TVuCanvas::~TVuCanvas() = default;

bool TVuCanvas::CompareGraphics() const
{
    return Table()->Graphics()->CompareGraphics;
}
void TVuCanvas::SetCompareGraphics(bool Value)
{
    Table()->Graphics()->CompareGraphics = Value;
}

void TVuCanvas::SetBrushValues(TColor Color, TBrushStyle Style)
{
    FBrush->SetColor(Color);
    FBrush->SetStyle(Style);
}

void TVuCanvas::SetPenValues(Integer Width, TColor Color, TPenStyle Style)
{
    FPen->SetWidth(Width);
    FPen->SetColor(Color);
    FPen->SetStyle(Style);
}

void TVuCanvas::SetFontValues(const AnsiString& Name, Integer Size, TColor Color, TFontStyles Style)
{
    if (!Name.empty())
        FFont->SetName(Name);
    FFont->SetSize(Size);
    FFont->SetColor(Color);
    FFont->SetStyle(Style);
}

void TVuCanvas::SetFontHeight(Extended Value, TVuMeasurement M)
{
    FFont->SetHeight(static_cast<Integer>(VuRound(In(Value, M) * 96)));
}

void TVuCanvas::SaveCanvasProperties()
{
    FSaved->CoordsRelativeTo = CoordsRelativeTo;
    FSaved->Brush->Assign(FBrush.get());
    FSaved->Font->Assign(FFont.get());
    FSaved->Pen->Assign(FPen.get());
}

void TVuCanvas::LoadCanvasProperties()
{
    CoordsRelativeTo = FSaved->CoordsRelativeTo;
    FBrush->Assign(FSaved->Brush.get());
    FFont->Assign(FSaved->Font.get());
    FPen->Assign(FSaved->Pen.get());
}

TVuBrush* TVuCanvas::AsVuBrush()
{
    FScratchBrush.Assign(FBrush.get());
    return &FScratchBrush;
}

TVuPen* TVuCanvas::AsVuPen()
{
    FScratchPen.Assign(FPen.get());
    return &FScratchPen;
}

TVuFont* TVuCanvas::AsVuFont()
{
    FScratchFont.Assign(FFont.get());
    FScratchFont.SetAngle(FTextAngle);
    return &FScratchFont;
}

TVuBaseObject* TVuCanvas::AddObjectToPage(TVuBaseObject* Object)
{
    FDocument->AddObject(Object, CoordsRelativeTo);
    if (auto* V = dynamic_cast<TVuVisibleObject*>(Object)) {
        V->DragEnabled = DragEnabled;
        FLastObject = V;
    }
    return Object;
}

void TVuCanvas::Intern(TVuBaseObject* Object, bool WithPen, bool WithBrush, bool WithFont)
{
    TVuResourceTable* T = Table();
    if (auto* S = dynamic_cast<TVuSolidShape*>(Object); S && WithBrush)
        S->SetBrush(T->AddBrush(AsVuBrush()));
    if (auto* S = dynamic_cast<TVuOutlineShape*>(Object); S && WithPen)
        S->SetPen(T->AddPen(AsVuPen()));
    if (auto* S = dynamic_cast<TVuBaseTextObject*>(Object); S && WithFont)
        S->SetFont(T->AddFont(AsVuFont()));
}

void TVuCanvas::RecordRect(TVuBaseSolidShape* Shape, Extended X1, Extended Y1, Extended X2, Extended Y2,
                           TVuMeasurement M, bool WithBrush)
{
    Intern(Shape, true, WithBrush, false);
    Shape->SetCoords(M, VuRect(X1, Y1, X2, Y2));
    AddObjectToPage(Shape);
}

void TVuCanvas::Line(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M)
{
    RecordRect(New<TVuLineObject>(Table()), X1, Y1, X2, Y2, M, false);
}

void TVuCanvas::MoveTo(Extended X, Extended Y, TVuMeasurement M)
{
    FPenPos = VuPoint(In(X, M), In(Y, M));
}

void TVuCanvas::LineTo(Extended X, Extended Y, TVuMeasurement M)
{
    TVuPoint To = VuPoint(In(X, M), In(Y, M));
    RecordRect(New<TVuLineObject>(Table()), FPenPos.X, FPenPos.Y, To.X, To.Y, vuInches, false);
    FPenPos = To;
}

void TVuCanvas::Rectangle(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M)
{
    RecordRect(New<TVuRectangleShape>(Table()), X1, Y1, X2, Y2, M, true);
}

void TVuCanvas::Ellipse(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M)
{
    RecordRect(New<TVuEllipseShape>(Table()), X1, Y1, X2, Y2, M, true);
}

void TVuCanvas::RoundRect(Extended X1, Extended Y1, Extended X2, Extended Y2, Extended X3, Extended Y3,
                          TVuMeasurement M)
{
    auto* R = New<TVuRoundRectShape>(Table());
    R->SetX3(M, X3);
    R->SetY3(M, Y3);
    RecordRect(R, X1, Y1, X2, Y2, M, true);
}

void TVuCanvas::RecordComplex(TVuComplexShape* Shape, const TVuComplexCoords& C, TVuMeasurement M)
{
    Intern(Shape, true, true, false);
    Shape->SetCoords(M, C);
    AddObjectToPage(Shape);
}

void TVuCanvas::RecordPoly(Integer Id, const TVuPolyPoints& Points, TVuMeasurement M)
{
    auto* P = static_cast<TVuPolyBaseObject*>(CreateVuObject(Id, Table()));
    Intern(P, true, Id == 15, false);
    P->SetPoints(M, Points);
    AddObjectToPage(P);
}

TVuTextObject* TVuCanvas::TextOutExt(Extended X, Extended Y, Extended Angle, const TVuRect* Rect,
                                     const AnsiString& Text, TVuMeasurement M)
{
    auto* T = New<TVuTextObject>(Table());
    // Freed here until its font is interned; after that the page takes it.
    TOwned<TVuTextObject> Unplaced(T);
    T->SetX(M, X);
    T->SetY(M, Y);
    T->SetCaption(Text);
    if (Rect)
        T->SetClipRect(M, *Rect);
    {
        // The angle turns this text's font only.
        FTextAngle = Angle;
        TScopeExit Level([this] { FTextAngle = 0; });
        T->SetFont(Table()->AddFont(AsVuFont()));
    }
    Unplaced.release();
    Intern(T, true, true, false);
    AddObjectToPage(T);
    return T;
}

void TVuCanvas::TextOutCenter(Extended X, Extended Y, const AnsiString& Text, TVuMeasurement M)
{
    TextOut(X - TextWidth(Text)->GetVuValue(M) / 2, Y, Text, M);
}

void TVuCanvas::TextOutRight(Extended X, Extended Y, const AnsiString& Text, TVuMeasurement M)
{
    TextOut(X - TextWidth(Text)->GetVuValue(M), Y, Text, M);
}

void TVuCanvas::TextClipped(Extended X, Extended Y, const AnsiString& Text, Extended W,
                            TVuCaptionAlign Alignment, TVuMeasurement M)
{
    TVuValueSize* E = TextExtent(Text);
    Extended Width = E->Width()->GetVuValue(M), Height = E->Height()->GetVuValue(M);
    TVuRect R = VuRect(X, Y, X + W, Y + Height);
    Extended Anchor = X;
    if (Alignment == vuRight) {
        R.Left = X - W;
        R.Right = X;
        Anchor = X - Width;
    } else if (Alignment == vuCenter) {
        R.Left = X - W / 2;
        R.Right = X + W / 2;
        Anchor = X - Width / 2;
    }
    TextOutExt(Anchor, Y, 0, &R, Text, M);
}

void TVuCanvas::FloatOut(Extended X, Extended Y, Extended Value, const AnsiString& Format, TVuMeasurement M)
{
    TextOutRight(X, Y, FormatFloat(Format, Value), M);
}

TVuTextBoxObject* TVuCanvas::TextBox(Extended X1, Extended Y1, Extended X2, Extended Y2,
                                     const AnsiString& Text, TVuMeasurement M)
{
    return TextBox(X1, Y1, X2, Y2, Text, DefaultAlignment, DefaultVertAlignment, M);
}

TVuTextBoxObject* TVuCanvas::TextBox(Extended X1, Extended Y1, Extended X2, Extended Y2,
                                     const AnsiString& Text, TAlignment Alignment,
                                     TVuVertAlignment VertAlignment, TVuMeasurement M)
{
    return TextBoxExt(X1, Y1, X2, Y2, FTextBoxPadding->GetVuValue(M), Text, Alignment, VertAlignment, M);
}

TVuTextBoxObject* TVuCanvas::TextBoxExt(Extended X1, Extended Y1, Extended X2, Extended Y2, Extended Padding,
                                        const AnsiString& Text, TAlignment Alignment,
                                        TVuVertAlignment VertAlignment, TVuMeasurement M)
{
    auto* B = New<TVuTextBoxObject>(Table());
    B->SetX(M, X1);
    B->SetY(M, Y1);
    B->SetX2(M, X2);
    Extended P = In(Padding, M);
    Extended H;
    if (Y2 == 0 || VertAlignment != vuTop) {
        H = TextBoxHeightExt(In(X2, M) - In(X1, M), P, Text, vuInches);
        if (Y2 == 0)
            B->SetY2(vuInches, In(Y1, M) + H);
        else
            B->SetY2(M, Y2);
    } else {
        B->SetY2(M, Y2);
        H = In(Y2, M) - In(Y1, M);
    }
    B->SetPadding(P);
    B->TextHeight = H;
    B->SetAlignment(Alignment);
    B->SetVertAlignment(VertAlignment);
    Intern(B, true, true, true);
    B->SetCaption(Text);
    B->SetWordBreak(TextBoxWordBreak);
    AddObjectToPage(B);
    return B;
}

TVuValueSize* TVuCanvas::TextExtent(const AnsiString& Text)
{
    TVuSize S = ::TextExtent(Text, FFont.get());
    FMeasure->Height()->SetAsInches(S.Height);
    FMeasure->Width()->SetAsInches(S.Width);
    return FMeasure.get();
}

Extended TVuCanvas::TextBoxHeightExt(Extended Width, Extended Padding, const AnsiString& Text,
                                     TVuMeasurement M)
{
    TVuFontMapper* Mapper = VuFontMapper();
    const Integer R = CALC_PPI;
    TRect Box{0, 0, static_cast<Integer>(VuRound(ConvertValue(Width - 2 * Padding, M, vuInches) * R)), 0};
    Mapper->WordWrap = TextBoxWordBreak;
    Extended T = Mapper->TextBoxHeight(FFont.get(), Box, Text);
    Extended Inches = Extended(VuRound(T * R)) / R + 2 * In(Padding, M);
    return ConvertValue(Inches, vuInches, M);
}

TVuValueSize* TVuCanvas::GraphicExtent(TGraphic* Graphic)
{
    FMeasure->Height()->SetAsInches(Graphic ? Extended(Graphic->Height()) / 96 : 0);
    FMeasure->Width()->SetAsInches(Graphic ? Extended(Graphic->Width()) / 96 : 0);
    return FMeasure.get();
}

void TVuCanvas::StretchDraw(Extended X1, Extended Y1, Extended X2, Extended Y2, TGraphic* Graphic,
                            TVuMeasurement M)
{
    auto* G = New<TVuGraphicObject>(Table());
    G->SetGraphic(Graphic);
    G->CopyMode = PictureCopyMode;
    G->SetCoords(M, VuRect(X1, Y1, X2, Y2));
    AddObjectToPage(G);
}

void TVuCanvas::Draw(Extended X, Extended Y, TGraphic* Graphic, Extended Scale, TVuMeasurement M)
{
    Extended W = ConvertValue(Graphic->Width(), vuPixels, M),
             H = ConvertValue(Graphic->Height(), vuPixels, M);
    StretchDraw(X, Y, X + Scale * W, Y + Scale * H, Graphic, M);
}

void TVuCanvas::RecordPath(TVuPathObjectType Type)
{
    auto* P = New<TVuPathObject>(Table());
    P->PathType = Type;
    FDocument->AddObject(P, CoordsRelativeTo);
}

void TVuCanvas::RecordClip(TVuBaseClipObject* Clip, Extended X1, Extended Y1, Extended X2, Extended Y2,
                           TVuMeasurement M)
{
    Clip->ClipRect = ConvertVuRect(VuRect(X1, Y1, X2, Y2), M, vuInches);
    FDocument->AddObject(Clip, CoordsRelativeTo);
}

void TVuCanvas::SetClipRect(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M)
{
    RecordClip(New<TVuClipRectObject>(Table()), X1, Y1, X2, Y2, M);
}

void TVuCanvas::SetClipEllipse(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M)
{
    RecordClip(New<TVuClipEllipseObject>(Table()), X1, Y1, X2, Y2, M);
}

void TVuCanvas::SetClipRoundRect(Extended X1, Extended Y1, Extended X2, Extended Y2, Extended X3, Extended Y3,
                                 TVuMeasurement M)
{
    auto* C = New<TVuClipRoundRectObject>(Table());
    C->CornerSize = VuPoint(In(X3, M), In(Y3, M));
    RecordClip(C, X1, Y1, X2, Y2, M);
}

void TVuCanvas::RemoveClipRgn()
{
    FDocument->AddObject(New<TVuRemoveClipObject>(Table()), CoordsRelativeTo);
}
