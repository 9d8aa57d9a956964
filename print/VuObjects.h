#pragma once
// Page objects: every drawing call recorded by the canvas becomes one of these twenty classes.
//
// An object keeps its geometry in inches and points at shared pens, brushes, fonts and pictures
// of the document's resource table (never changing them in place: see GetPen). It draws itself
// onto any canvas at the resolution of TVuObjectDrawData, moves itself, reports a bounding box
// in device pixels, and persists as its object id followed by one value-list block.
//
// Object ids: 0 text, 1 line, 2 rectangle, 3 ellipse, 4 rounded rectangle, 5 arc, 6 chord,
// 7 pie, 8 path operation, 9 remove clip, 10 clip rectangle, 11 clip rounded rectangle,
// 12 clip ellipse, 13 picture, 14 text box, 15 polygon, 16 polyline, 17 poly-Bézier,
// 18 polyline-to, 19 poly-Bézier-to.
#include "platform/forms/StdCtrls.h"
#include "print/VuResources.h"
#include "print/VuTypes.h"
#include "print/VuValueList.h"

#include <memory>
#include <vector>

class TVuBaseObject : public TPersistent {
public:
    explicit TVuBaseObject(TVuResourceTable* ResourceTable) : FResourceTable(ResourceTable) {}
    virtual Integer GetObjectID() const = 0;
    Integer ObjectID() const { return GetObjectID(); }
    bool Printable = true; // not stored
    Integer UserID = -1;
    TNotifyEvent OnChange;
    TVuResourceTable* ResourceTable() const { return FResourceTable; }

    // DrawToCanvas unless the object is not printable and Canvas is a printer's.
    void Draw(TCanvas* Canvas, const TVuObjectDrawData& DrawData);
    virtual void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) {}
    virtual void Changed();
    virtual void SaveToValueList(TVuValueList* List);
    // Stored resource indices are resolved through the table (see VuResources.h); every object
    // holds one reference on each entry it points at.
    virtual void LoadFromValueList(TVuValueList* List);
    // The id as a 32-bit integer, then one value-list block.
    void SaveToStream(TStream* Stream);
    // One value-list block (the page has read the id).
    void LoadFromStream(TStream* Stream);
    virtual void OffsetObject(Extended DX, Extended DY, TVuMeasurement M) {}

protected:
    TVuResourceTable* FResourceTable;
};

class TVuVisibleObject : public TVuBaseObject {
public:
    using TVuBaseObject::TVuBaseObject;
    std::function<void(TVuVisibleObject* Sender, TVuArrangeObject How)> OnArrange;
    bool DragEnabled = true; // not stored
    void Arrange(TVuArrangeObject How)
    {
        if (OnArrange)
            OnArrange(this, How);
    }
    // Device pixels at DrawData's resolution.
    virtual TVuRectPoints BoundingRect(const TVuObjectDrawData& DrawData);
};

class TVuOutlineShape : public TVuVisibleObject {
public:
    using TVuVisibleObject::TVuVisibleObject;
    ~TVuOutlineShape() override;
    TVuPen* Pen() const { return FPen; }
    // On an object without a pen: stores the (interned) pointer. Otherwise releases the old
    // entry and interns Pen's value.
    void SetPen(TVuPen* Pen);
    // A private copy of the pen: its first change re-interns the object's pen and is consumed.
    // Raises the assignment error when the object has no pen.
    TVuPen* GetPen();
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

private:
    TVuPen* FPen = nullptr;
    std::unique_ptr<TVuPen> FPenCopy;
};

class TVuSolidShape : public TVuOutlineShape {
public:
    using TVuOutlineShape::TVuOutlineShape;
    ~TVuSolidShape() override;
    TVuBrush* Brush() const { return FBrush; }
    void SetBrush(TVuBrush* Brush);
    TVuBrush* GetBrush(); // without a brush: a copy holding the defaults
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

private:
    TVuBrush* FBrush = nullptr;
    std::unique_ptr<TVuBrush> FBrushCopy;
};

class TVuBaseSolidShape : public TVuSolidShape {
public:
    using TVuSolidShape::TVuSolidShape;
    Extended GetX(TVuMeasurement M) const { return ConvertValue(FCoords.Left, vuInches, M); }
    Extended GetY(TVuMeasurement M) const { return ConvertValue(FCoords.Top, vuInches, M); }
    Extended GetX2(TVuMeasurement M) const { return ConvertValue(FCoords.Right, vuInches, M); }
    Extended GetY2(TVuMeasurement M) const { return ConvertValue(FCoords.Bottom, vuInches, M); }
    void SetX(TVuMeasurement M, Extended V) { FCoords.Left = ConvertValue(V, M, vuInches); }
    void SetY(TVuMeasurement M, Extended V) { FCoords.Top = ConvertValue(V, M, vuInches); }
    void SetX2(TVuMeasurement M, Extended V) { FCoords.Right = ConvertValue(V, M, vuInches); }
    void SetY2(TVuMeasurement M, Extended V) { FCoords.Bottom = ConvertValue(V, M, vuInches); }
    TVuRect GetCoords(TVuMeasurement M) const { return ConvertVuRect(FCoords, vuInches, M); }
    void SetCoords(TVuMeasurement M, const TVuRect& R) { FCoords = ConvertVuRect(R, M, vuInches); }
    TRect CoordsAsPixels(Integer PpiX, Integer PpiY) const;
    void OffsetObject(Extended DX, Extended DY, TVuMeasurement M) override;

protected:
    TVuRect FCoords;
};

class TVuSimpleSolidShape : public TVuBaseSolidShape {
public:
    using TVuBaseSolidShape::TVuBaseSolidShape;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;
};

class TVuLineObject : public TVuSimpleSolidShape {
public:
    using TVuSimpleSolidShape::TVuSimpleSolidShape;
    Integer GetObjectID() const override { return 1; }
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    TVuRectPoints BoundingRect(const TVuObjectDrawData& DrawData) override;
};

class TVuRectangleShape : public TVuSimpleSolidShape {
public:
    using TVuSimpleSolidShape::TVuSimpleSolidShape;
    Integer GetObjectID() const override { return 2; }
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
};

class TVuEllipseShape : public TVuSimpleSolidShape {
public:
    using TVuSimpleSolidShape::TVuSimpleSolidShape;
    Integer GetObjectID() const override { return 3; }
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
};

class TVuGraphicObject : public TVuSimpleSolidShape {
public:
    using TVuSimpleSolidShape::TVuSimpleSolidShape;
    Integer GetObjectID() const override { return 13; }
    Integer CopyMode = 13369376; // source copy
    TPixelFormat PixelFormat = pf8bit;
    TGraphic* Graphic() const { return FGraphic; }
    // Bitmaps, metafiles and JPEG pictures are interned as they are; icons become bitmaps and
    // anything else a JPEG picture first.
    void SetGraphic(TGraphic* Graphic);
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

private:
    TGraphic* FGraphic = nullptr;
};

class TVuSemiComplexShape : public TVuSimpleSolidShape {
public:
    using TVuSimpleSolidShape::TVuSimpleSolidShape;
    Extended GetX3(TVuMeasurement M) const { return ConvertValue(FX3, vuInches, M); }
    Extended GetY3(TVuMeasurement M) const { return ConvertValue(FY3, vuInches, M); }
    void SetX3(TVuMeasurement M, Extended V);
    void SetY3(TVuMeasurement M, Extended V);
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

protected:
    Extended FX3 = 0, FY3 = 0;
};

class TVuRoundRectShape : public TVuSemiComplexShape {
public:
    using TVuSemiComplexShape::TVuSemiComplexShape;
    Integer GetObjectID() const override { return 4; }
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
};

class TVuComplexShape : public TVuSemiComplexShape {
public:
    using TVuSemiComplexShape::TVuSemiComplexShape;
    Extended GetX4(TVuMeasurement M) const { return ConvertValue(FX4, vuInches, M); }
    Extended GetY4(TVuMeasurement M) const { return ConvertValue(FY4, vuInches, M); }
    void SetX4(TVuMeasurement M, Extended V);
    void SetY4(TVuMeasurement M, Extended V);
    TVuComplexCoords GetCoords(TVuMeasurement M) const;
    void SetCoords(TVuMeasurement M, const TVuComplexCoords& C);
    void OffsetObject(Extended DX, Extended DY, TVuMeasurement M) override;
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

protected:
    Extended FX4 = 0, FY4 = 0;
};

class TVuArcShape : public TVuComplexShape {
public:
    using TVuComplexShape::TVuComplexShape;
    Integer GetObjectID() const override { return 5; }
};
class TVuChordShape : public TVuComplexShape {
public:
    using TVuComplexShape::TVuComplexShape;
    Integer GetObjectID() const override { return 6; }
};
class TVuPieShape : public TVuComplexShape {
public:
    using TVuComplexShape::TVuComplexShape;
    Integer GetObjectID() const override { return 7; }
};

class TVuBaseTextObject : public TVuBaseSolidShape {
public:
    explicit TVuBaseTextObject(TVuResourceTable* T) : TVuBaseSolidShape(T) {}
    ~TVuBaseTextObject() override;
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Text);
    TVuRect GetClipRect(TVuMeasurement M) const { return ConvertVuRect(FClipRect, vuInches, M); }
    void SetClipRect(TVuMeasurement M, const TVuRect& R);
    bool Clipped() const { return !EqualVuRects(FClipRect, VuRect(-1, -1, -1, -1)); }
    TVuFont* Font() const { return FFont; }
    void SetFont(TVuFont* Font);
    TVuFont* GetFont(); // raises the assignment error without a font
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

protected:
    AnsiString FCaption;
    TVuRect FClipRect = VuRect(-1, -1, -1, -1);

private:
    TVuFont* FFont = nullptr;
    std::unique_ptr<TVuFont> FFontCopy;
};

class TVuTextObject : public TVuBaseTextObject {
public:
    using TVuBaseTextObject::TVuBaseTextObject;
    Integer GetObjectID() const override { return 0; }
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    // The anchor moves; the clip rectangle stays; no notification.
    void OffsetObject(Extended DX, Extended DY, TVuMeasurement M) override;
    TVuRectPoints BoundingRect(const TVuObjectDrawData& DrawData) override;
};

class TVuTextBoxObject : public TVuBaseTextObject {
public:
    using TVuBaseTextObject::TVuBaseTextObject;
    Integer GetObjectID() const override { return 14; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment V);
    bool ClipText() const { return FClipText; }
    void SetClipText(bool V);
    TVuVertAlignment VertAlignment() const { return FVertAlignment; }
    void SetVertAlignment(TVuVertAlignment V);
    bool WordBreak() const { return FWordBreak; }
    void SetWordBreak(bool V);
    Extended Padding() const { return FPadding; }
    void SetPadding(Extended Inches);
    Extended TextHeight = 0; // inches, padding included; set by the recording canvas
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

private:
    TAlignment FAlignment = taLeftJustify;
    bool FClipText = true;
    TVuVertAlignment FVertAlignment = vuTop;
    bool FWordBreak = true;
    Extended FPadding = 0;
};

class TVuPolyBaseObject : public TVuSolidShape {
public:
    using TVuSolidShape::TVuSolidShape;
    TVuPolyPoints GetPoints(TVuMeasurement M) const;
    void SetPoints(TVuMeasurement M, const TVuPolyPoints& Points);
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    void OffsetObject(Extended DX, Extended DY, TVuMeasurement M) override;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

protected:
    TVuPolyPoints FPoints;
};

#define VU_POLY_CLASS(Name, Id)                                                                              \
    class Name : public TVuPolyBaseObject {                                                                  \
    public:                                                                                                  \
        using TVuPolyBaseObject::TVuPolyBaseObject;                                                          \
        Integer GetObjectID() const override { return Id; }                                                  \
    };
VU_POLY_CLASS(TVuPolygonObject, 15)
VU_POLY_CLASS(TVuPolylineObject, 16)
VU_POLY_CLASS(TVuPolyBezierObject, 17)
VU_POLY_CLASS(TVuPolylineToObject, 18)
VU_POLY_CLASS(TVuPolyBezierToObject, 19)
#undef VU_POLY_CLASS

class TVuPathObject : public TVuBaseObject {
public:
    using TVuBaseObject::TVuBaseObject;
    Integer GetObjectID() const override { return 8; }
    TVuPathObjectType PathType = vuBeginPath;
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;
};

class TVuRemoveClipObject : public TVuBaseObject {
public:
    using TVuBaseObject::TVuBaseObject;
    Integer GetObjectID() const override { return 9; }
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
};

class TVuBaseClipObject : public TVuBaseObject {
public:
    using TVuBaseObject::TVuBaseObject;
    TVuRect ClipRect; // inches
    void DrawToCanvas(TCanvas* Canvas, const TVuObjectDrawData& DrawData) override;
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

protected:
    // Adds the clip outline (device pixels) to the open path.
    virtual void AddOutline(TCanvas* Canvas, const TRect& R, const TVuObjectDrawData& DrawData) = 0;
};

class TVuClipRectObject : public TVuBaseClipObject {
public:
    using TVuBaseClipObject::TVuBaseClipObject;
    Integer GetObjectID() const override { return 10; }

protected:
    void AddOutline(TCanvas* Canvas, const TRect& R, const TVuObjectDrawData& DrawData) override;
};

class TVuClipEllipseObject : public TVuBaseClipObject {
public:
    using TVuBaseClipObject::TVuBaseClipObject;
    Integer GetObjectID() const override { return 12; }

protected:
    void AddOutline(TCanvas* Canvas, const TRect& R, const TVuObjectDrawData& DrawData) override;
};

class TVuClipRoundRectObject : public TVuClipRectObject {
public:
    using TVuClipRectObject::TVuClipRectObject;
    Integer GetObjectID() const override { return 11; }
    TVuPoint CornerSize; // inches
    void SaveToValueList(TVuValueList* List) override;
    void LoadFromValueList(TVuValueList* List) override;

protected:
    void AddOutline(TCanvas* Canvas, const TRect& R, const TVuObjectDrawData& DrawData) override;
};

// An empty object of the id (nullptr outside 0..19), as a page creates them when loading.
TVuBaseObject* CreateVuObject(Integer ObjectID, TVuResourceTable* ResourceTable);

// Owns its objects, in z-order (first drawn first).
class TVuBaseObjectList : public TObject {
public:
    ~TVuBaseObjectList() override { Clear(); }
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    void AddObject(TVuBaseObject* Object);
    void InsertObject(Integer Index, TVuBaseObject* Object); // Index clamped to 0..Count
    TVuBaseObject* GetObject(Integer Index) const;
    void SetObject(Integer Index, TVuBaseObject* Object);
    // Takes the object out without freeing it.
    TVuBaseObject* Extract(Integer Index);
    void Delete(Integer Index);
    void Clear();
    void Changed();
    TNotifyEvent OnChange;

private:
    std::vector<TVuBaseObject*> FItems;
};

// Drawing helpers on a canvas in device pixels (filled and outlined polygon; outlines that only
// add to the open path or figure; the poly calls by object id).
void VuDrawRect(TCanvas* Canvas, const TRect& Rect);
void VuDrawRoundRect(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
void VuDrawEllipse(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2);
void VuDrawPolyShape(Integer ObjectID, TCanvas* Canvas, const std::vector<TPoint>& Points);
// True when the canvas is a printer's (class name "TPrinterCanvas", compared ignoring case).
bool IsPrinterCanvas(TCanvas* Canvas);
