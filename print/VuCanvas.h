#pragma once
// The recording canvas: callers draw on it as on a platform canvas, but every call becomes a
// page object appended to the document's current page.
//
// Coordinates are given in any TVuMeasurement (the overloads without one use
// DefaultMeasurement), converted to inches and placed relative to CoordsRelativeTo by the
// document. The canvas's current pen, brush and font are captured by value and interned in the
// document's resource table; changing them later affects only later recordings. Pen widths are
// quarter points (4 = one point at any resolution). Text is measured device-independently.
#include "platform/forms/Graphics.h"
#include "platform/forms/StdCtrls.h"
#include "print/VuObjects.h"
#include "print/VuResources.h"
#include "print/VuTypes.h"

#include <memory>

// What the canvas records into: the print document. The document owns the resource table and
// the pages; AddObject moves the object from the origin named by Relative to page coordinates
// and appends it to the current page (taking ownership).
class TVuCanvasTarget {
public:
    virtual ~TVuCanvasTarget() = default;
    virtual TVuResourceTable* ResourceTable() = 0;
    virtual void AddObject(TVuBaseObject* Object, TVuCoordsRelative Relative) = 0;
};

class TVuCanvasSavedValues : public TPersistent {
public:
    TVuCoordsRelative CoordsRelativeTo = vuFromPage;
    std::unique_ptr<TBrush> Brush{New<TBrush>()};
    std::unique_ptr<TFont> Font{New<TFont>()};
    std::unique_ptr<TPen> Pen{New<TPen>()};
};

class TVuCanvas : public TPersistent {
public:
    explicit TVuCanvas(TVuCanvasTarget* Document);
    ~TVuCanvas() override;

    // Settings
    bool DragEnabled = true;
    TVuCoordsRelative CoordsRelativeTo = vuFromPage;
    TVuMeasurement DefaultMeasurement = vuMillimeters;
    Integer PictureCopyMode = 13369376;
    TAlignment DefaultAlignment = taLeftJustify;
    TVuVertAlignment DefaultVertAlignment = vuTop;
    bool TextBoxWordBreak = true;
    bool CompareGraphics() const;
    void SetCompareGraphics(bool Value);

    TBrush* Brush() const { return FBrush.get(); }
    TFont* Font() const { return FFont.get(); }
    TPen* Pen() const { return FPen.get(); }
    void SetBrush(TBrush* B) { FBrush->Assign(B); }
    void SetFont(TFont* F) { FFont->Assign(F); }
    void SetPen(TPen* P) { FPen->Assign(P); }
    void SetBrushValues(TColor Color, TBrushStyle Style);
    void SetPenValues(Integer Width, TColor Color, TPenStyle Style);
    // The name changes only when not empty.
    void SetFontValues(const AnsiString& Name, Integer Size, TColor Color, TFontStyles Style);
    // Height := round(inches × 96) screen pixels.
    void SetFontHeight(Extended Value, TVuMeasurement M);
    TVuValue* TextBoxPadding() const { return FTextBoxPadding.get(); }
    void SetTextBoxPadding(TVuValue* Value) { FTextBoxPadding->Assign(Value); }
    // One slot: a second save overwrites the first.
    void SaveCanvasProperties();
    void LoadCanvasProperties();

    // The last visible object recorded (paths and clips do not replace it).
    TVuVisibleObject* LastObject() const { return FLastObject; }

    // Lines and shapes
    void Line(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M);
    void Line(Extended X1, Extended Y1, Extended X2, Extended Y2)
    {
        Line(X1, Y1, X2, Y2, DefaultMeasurement);
    }
    void MoveTo(Extended X, Extended Y, TVuMeasurement M);
    void MoveTo(Extended X, Extended Y) { MoveTo(X, Y, DefaultMeasurement); }
    void LineTo(Extended X, Extended Y, TVuMeasurement M);
    void LineTo(Extended X, Extended Y) { LineTo(X, Y, DefaultMeasurement); }
    TVuPoint GetPenPos(TVuMeasurement M) const { return ConvertVuPoint(FPenPos, vuInches, M); }
    void Rectangle(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M);
    void Rectangle(Extended X1, Extended Y1, Extended X2, Extended Y2)
    {
        Rectangle(X1, Y1, X2, Y2, DefaultMeasurement);
    }
    void Ellipse(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M);
    void Ellipse(Extended X1, Extended Y1, Extended X2, Extended Y2)
    {
        Ellipse(X1, Y1, X2, Y2, DefaultMeasurement);
    }
    void RoundRect(Extended X1, Extended Y1, Extended X2, Extended Y2, Extended X3, Extended Y3,
                   TVuMeasurement M);
    void RoundRect(Extended X1, Extended Y1, Extended X2, Extended Y2, Extended X3, Extended Y3)
    {
        RoundRect(X1, Y1, X2, Y2, X3, Y3, DefaultMeasurement);
    }
    void Arc(const TVuComplexCoords& C, TVuMeasurement M) { RecordComplex(New<TVuArcShape>(Table()), C, M); }
    void Chord(const TVuComplexCoords& C, TVuMeasurement M)
    {
        RecordComplex(New<TVuChordShape>(Table()), C, M);
    }
    void Pie(const TVuComplexCoords& C, TVuMeasurement M) { RecordComplex(New<TVuPieShape>(Table()), C, M); }
    void Polygon(const TVuPolyPoints& Points, TVuMeasurement M) { RecordPoly(15, Points, M); }
    void Polyline(const TVuPolyPoints& Points, TVuMeasurement M) { RecordPoly(16, Points, M); }
    void PolyBezier(const TVuPolyPoints& Points, TVuMeasurement M) { RecordPoly(17, Points, M); }
    void PolylineTo(const TVuPolyPoints& Points, TVuMeasurement M) { RecordPoly(18, Points, M); }
    void PolyBezierTo(const TVuPolyPoints& Points, TVuMeasurement M) { RecordPoly(19, Points, M); }

    // Text
    // A text object at anchor (X, Y), clipped to Rect (same measurement) unless null, in the
    // canvas font rotated by Angle degrees.
    TVuTextObject* TextOutExt(Extended X, Extended Y, Extended Angle, const TVuRect* Rect,
                              const AnsiString& Text, TVuMeasurement M);
    void TextOut(Extended X, Extended Y, const AnsiString& Text, TVuMeasurement M)
    {
        TextOutExt(X, Y, 0, nullptr, Text, M);
    }
    void TextOut(Extended X, Extended Y, const AnsiString& Text) { TextOut(X, Y, Text, DefaultMeasurement); }
    void TextOutLeft(Extended X, Extended Y, const AnsiString& Text, TVuMeasurement M)
    {
        TextOut(X, Y, Text, M);
    }
    void TextOutCenter(Extended X, Extended Y, const AnsiString& Text, TVuMeasurement M);
    void TextOutCenter(Extended X, Extended Y, const AnsiString& Text)
    {
        TextOutCenter(X, Y, Text, DefaultMeasurement);
    }
    void TextOutRight(Extended X, Extended Y, const AnsiString& Text, TVuMeasurement M);
    void TextOutRight(Extended X, Extended Y, const AnsiString& Text)
    {
        TextOutRight(X, Y, Text, DefaultMeasurement);
    }
    void TextRect(const TVuRect& Rect, Extended X, Extended Y, const AnsiString& Text, TVuMeasurement M)
    {
        TextOutExt(X, Y, 0, &Rect, Text, M);
    }
    void TextClipped(Extended X, Extended Y, const AnsiString& Text, Extended W, TVuCaptionAlign Alignment,
                     TVuMeasurement M);
    void RotateOut(Extended X, Extended Y, Extended Angle, const AnsiString& Text, TVuMeasurement M)
    {
        TextOutExt(X, Y, Angle, nullptr, Text, M);
    }
    void FloatOut(Extended X, Extended Y, Extended Value, const AnsiString& Format, TVuMeasurement M);
    TVuTextBoxObject* TextBox(Extended X1, Extended Y1, Extended X2, Extended Y2, const AnsiString& Text,
                              TVuMeasurement M);
    TVuTextBoxObject* TextBox(Extended X1, Extended Y1, Extended X2, Extended Y2, const AnsiString& Text,
                              TAlignment Alignment, TVuVertAlignment VertAlignment, TVuMeasurement M);
    // A Y2 of 0 asks for the height the text needs.
    TVuTextBoxObject* TextBoxExt(Extended X1, Extended Y1, Extended X2, Extended Y2, Extended Padding,
                                 const AnsiString& Text, TAlignment Alignment, TVuVertAlignment VertAlignment,
                                 TVuMeasurement M);

    // Measuring (the results belong to the canvas and change with the next measurement)
    TVuValueSize* TextExtent(const AnsiString& Text);
    TVuValue* TextWidth(const AnsiString& Text) { return TextExtent(Text)->Width(); }
    TVuValue* TextHeight(const AnsiString& Text) { return TextExtent(Text)->Height(); }
    Extended TextBoxHeightExt(Extended Width, Extended Padding, const AnsiString& Text, TVuMeasurement M);
    Extended TextBoxHeight(Extended Width, const AnsiString& Text, TVuMeasurement M)
    {
        return TextBoxHeightExt(Width, FTextBoxPadding->GetVuValue(M), Text, M);
    }
    TVuValueSize* GraphicExtent(TGraphic* Graphic);

    // Pictures
    void StretchDraw(Extended X1, Extended Y1, Extended X2, Extended Y2, TGraphic* Graphic, TVuMeasurement M);
    void Draw(Extended X, Extended Y, TGraphic* Graphic, Extended Scale, TVuMeasurement M);

    // Paths and clipping
    void BeginPath() { RecordPath(vuBeginPath); }
    void EndPath() { RecordPath(vuEndPath); }
    void FillPath() { RecordPath(vuFillPath); }
    void StrokePath() { RecordPath(vuStrokePath); }
    void StrokeAndFillPath() { RecordPath(vuStrokeAndFillPath); }
    void CloseFigure() { RecordPath(vuCloseFigure); }
    void SetClipRect(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M);
    void SetClipEllipse(Extended X1, Extended Y1, Extended X2, Extended Y2, TVuMeasurement M);
    void SetClipRoundRect(Extended X1, Extended Y1, Extended X2, Extended Y2, Extended X3, Extended Y3,
                          TVuMeasurement M);
    void RemoveClipRgn();

    // The captured values of the canvas tools (scratch objects owned by the canvas).
    TVuBrush* AsVuBrush();
    TVuPen* AsVuPen();
    TVuFont* AsVuFont();
    TVuBaseObject* AddObjectToPage(TVuBaseObject* Object);

private:
    TVuResourceTable* Table() const { return FDocument->ResourceTable(); }
    void Intern(TVuBaseObject* Object, bool WithPen, bool WithBrush, bool WithFont);
    void RecordRect(TVuBaseSolidShape* Shape, Extended X1, Extended Y1, Extended X2, Extended Y2,
                    TVuMeasurement M, bool WithBrush);
    void RecordComplex(TVuComplexShape* Shape, const TVuComplexCoords& C, TVuMeasurement M);
    void RecordPoly(Integer Id, const TVuPolyPoints& Points, TVuMeasurement M);
    void RecordPath(TVuPathObjectType Type);
    void RecordClip(TVuBaseClipObject* Clip, Extended X1, Extended Y1, Extended X2, Extended Y2,
                    TVuMeasurement M);

    TVuCanvasTarget* FDocument;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    Extended FTextAngle = 0;
    TVuBrush FScratchBrush;
    TVuFont FScratchFont;
    TVuPen FScratchPen;
    TVuVisibleObject* FLastObject = nullptr;
    TVuPoint FPenPos;
    std::unique_ptr<TVuValueSize> FMeasure;
    std::unique_ptr<TVuCanvasSavedValues> FSaved;
    std::unique_ptr<TVuValue> FTextBoxPadding;
};
