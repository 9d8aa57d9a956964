#pragma once

// TBaseGrid: the layer between the platform string grid and the full string grid. It keeps a
// property record per cell in the cell's object slot (created on first use), merged blocks of
// cells encoded in those records, its own cell painting skeleton and the text accessors that
// redirect a merged cell to its base cell and pass displayed text through the display hooks.
//
// Ownership of the records: every record belongs to the grid that created it and lives in a slot
// of the grid's record store (core/CellRecordStore.h). Freeing a record through the grid
// (ClearPropCell, ClearPropRect, SetCellProperties) returns it once; a second free of the same
// pointer — which happens when a record was shared by two slots after CopyRows, or parked in a
// row moved past the end — finds its slot no longer live and does nothing. What is left when the
// grid is destroyed (records in hidden rows, in rows beyond the counts) is freed with the grid.
// A record made with new outside a grid (a stream carrier's) belongs to whoever made it; delete
// frees either kind.
//
// Size: a record keeps the fields most cells set in 48 bytes (narrow enumerations in bit fields,
// the font name as an id in the store's name table); the rarely set ones (objects, control,
// gradient end colour, border, paint stamp, node level, an out-of-range font size) live in a
// side block made when one of them first takes a value other than its default.

#include "RudUvud/core/CellRecordStore.h"
#include "RudUvud/core/GridTypes.h"

#include <memory>
#include <new>

class TBaseGrid;
class TRudUvudUndoRedo;

class TCellProperties : public TPersistent {
public:
    TCellProperties(TBaseGrid* AOwner, Integer ACol, Integer ARow);
    ~TCellProperties() override;
    // Records of a grid's store go back to their slot; others to the heap.
    void operator delete(TCellProperties* P, std::destroying_delete_t);

    // Copies the listed fields straight (no repaint); not BrushColorTo, GradientDirection,
    // CellObject, the graphic object, the calc fields or the paint stamp.
    void Assign(TPersistent* Source) override;

    // The base cell of the block this record's cell (ACol, ARow) belongs to.
    TPoint GetBaseCell(Integer ACol, Integer ARow) const;

    TBaseGrid* OwnerGrid() const;
    Integer OwnerCol() const { return FOwnerCol; }
    void SetOwnerCol(Integer V) { FOwnerCol = V; }
    Integer OwnerRow() const { return FOwnerRow; }
    void SetOwnerRow(Integer V) { FOwnerRow = V; }
    TObject* CellObject() const { return FExtra ? FExtra->CellObject : nullptr; }
    void SetCellObject(TObject* V)
    {
        if (V || FExtra)
            Extra().CellObject = V;
    }
    TObject* GraphicObject() const { return FExtra ? FExtra->GraphicObject : nullptr; }
    void SetGraphicObject(TObject* V)
    {
        if (V || FExtra)
            Extra().GraphicObject = V;
    }
    TBrushStyle BrushStyle() const { return static_cast<TBrushStyle>(FBrushStyle); }
    void SetBrushStyle(TBrushStyle V) { FBrushStyle = static_cast<unsigned>(V) & 7u; }
    TColor BrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor V);
    TColor BrushColorTo() const { return FExtra ? FExtra->BrushColorTo : clNone; }
    void SetBrushColorTo(TColor V);
    Integer FontSize() const { return FWideFontSize ? FExtra->FontSize : FFontSize; }
    void SetFontSize(Integer V);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor V) { FFontColor = V; }
    TFontStyles FontStyle() const;
    void SetFontStyle(TFontStyles V);
    Integer CellSpanX() const { return FCellSpanX; }
    void SetCellSpanX(Integer V) { FCellSpanX = V; }
    Integer CellSpanY() const { return FCellSpanY; }
    void SetCellSpanY(Integer V) { FCellSpanY = V; }
    Integer BorderWidth() const { return FExtra ? FExtra->BorderWidth : 0; }
    void SetBorderWidth(Integer V)
    {
        if (V || FExtra)
            Extra().BorderWidth = V;
    }
    TColor BorderColor() const { return FExtra ? FExtra->BorderColor : 0; }
    void SetBorderColor(TColor V)
    {
        if (V || FExtra)
            Extra().BorderColor = V;
    }
    TAlignment Alignment() const { return static_cast<TAlignment>(FAlignment); }
    void SetAlignment(TAlignment V) { FAlignment = static_cast<unsigned>(V) & 3u; }
    TVAlignment VAlignment() const { return static_cast<TVAlignment>(FVAlignment); }
    void SetVAlignment(TVAlignment V);
    Integer PaintStamp() const { return FExtra ? FExtra->PaintStamp : 0; }
    void SetPaintStamp(Integer V)
    {
        if (V || FExtra)
            Extra().PaintStamp = V;
    }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool V);
    bool IsBaseCell() const { return FIsBaseCell; }
    void SetIsBaseCell(bool V) { FIsBaseCell = V; }
    TColumnCalcType CalcType() const { return static_cast<TColumnCalcType>(FCalcType); }
    void SetCalcType(TColumnCalcType V) { FCalcType = static_cast<unsigned>(V) & 7u; }
    TObject* CalcObject() const { return FExtra ? FExtra->CalcObject : nullptr; }
    void SetCalcObject(TObject* V)
    {
        if (V || FExtra)
            Extra().CalcObject = V;
    }
    Integer NodeLevel() const { return FExtra ? FExtra->NodeLevel : 0; }
    void SetNodeLevel(Integer V)
    {
        if (V || FExtra)
            Extra().NodeLevel = V;
    }
    TEditorType Editor() const { return static_cast<TEditorType>(FEditor); }
    void SetEditor(TEditorType V) { FEditor = static_cast<unsigned>(V) & 63u; }
    const AnsiString& FontName() const;
    void SetFontName(const AnsiString& V);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool V) { FReadOnly = V; }
    TCellGradientDirection GradientDirection() const
    {
        return static_cast<TCellGradientDirection>(FGradientDirection);
    }
    void SetGradientDirection(TCellGradientDirection V)
    {
        FGradientDirection = static_cast<unsigned>(V) & 1u;
    }
    TControl* Control() const { return FExtra ? FExtra->Control : nullptr; }
    void SetControl(TControl* V)
    {
        if (V || FExtra)
            Extra().Control = V;
    }

private:
    friend class TBaseGrid;
    struct TInStore {};
    // A record in a slot of AOwner's store.
    TCellProperties(TBaseGrid* AOwner, Integer ACol, Integer ARow, TInStore);
    void Repaint();

    // The fields few cells set.
    struct TExtra {
        TBaseGrid* Owner = nullptr; // a record made outside a grid's store
        TObject* CellObject = nullptr;
        TObject* GraphicObject = nullptr;
        TObject* CalcObject = nullptr;
        TControl* Control = nullptr;
        TColor BrushColorTo = clNone;
        Integer BorderWidth = 0;
        TColor BorderColor = 0;
        Integer PaintStamp = 0;
        Integer NodeLevel = 0;
        Integer FontSize = 0; // when it does not fit FFontSize
        AnsiString FontName;  // a record outside a store, or a store whose name table is full
    };
    TExtra& Extra()
    {
        if (!FExtra)
            FExtra = std::make_unique<TExtra>();
        return *FExtra;
    }
    TCellRecordStore* Store() const { return FInStore ? TCellRecordStore::StoreOf(this) : nullptr; }

    std::unique_ptr<TExtra> FExtra;
    Integer FOwnerCol;
    Integer FOwnerRow;
    TColor FBrushColor = clNone;
    TColor FFontColor = clNone;
    Integer FCellSpanX = -1;
    Integer FCellSpanY = -1;
    std::int16_t FFontSize = 0;
    std::uint16_t FFontName = TCellRecordStore::EmptyName;
    unsigned FBrushStyle : 3 = bsSolid;
    unsigned FFontStyle : 4 = 0;
    unsigned FAlignment : 2 = taLeftJustify;
    unsigned FVAlignment : 2 = vtaTop;
    unsigned FCalcType : 3 = acNONE;
    unsigned FEditor : 6 = edNormal;
    unsigned FGradientDirection : 1 = GradientVertical;
    bool FWordWrap : 1 = true;
    bool FIsBaseCell : 1 = true;
    bool FReadOnly : 1 = false;
    bool FInStore : 1 = false;
    bool FWideFontSize : 1 = false; // the font size is in the side block
    bool FNameInExtra : 1 = false;  // the font name is in the side block
};

class TBaseGrid : public TStringGrid {
public:
    explicit TBaseGrid(TComponent* AOwner);
    ~TBaseGrid() override;

    // ---- Published properties ----
    bool ActiveRowShow() const { return FActiveRowShow; }
    void SetActiveRowShow(bool Value);
    TColor ActiveRowColor() const { return FActiveRowColor; }
    void SetActiveRowColor(TColor Value);
    // Only stored: the platform's own default drawing stays off.
    bool DefaultDrawing() const { return FOwnDefaultDrawing; }
    void SetDefaultDrawing(bool Value);
    // The width of the lines DrawCell draws itself; the platform's own line width stays 0.
    Integer GridLineWidth() const { return FGridLineWidth2; }
    Integer GetGridLineWidth() const { return FGridLineWidth2; }
    void SetGridLineWidth(Integer Value);
    TColor GridLineColor() const { return FGridLineColor; }
    void SetGridLineColor(TColor Value);
    TColor GridFixedLineColor() const { return FGridFixedLineColor; }
    void SetGridFixedLineColor(TColor Value);
    TRudUvudUndoRedo* UndoRedo() const { return FUndoRedo; }
    void SetUndoRedo(TRudUvudUndoRedo* Value);
    TGetDisplTextEvent OnGetDisplText;
    TGetDisplWideTextEvent OnGetDisplWideText;

    TGridSelectionStyle SelectionStyle() const { return FSelectionStyle; }
    void SetSelectionStyle(TGridSelectionStyle Value);
    bool ShowSelection() const { return FShowSelection; }
    void SetShowSelection(bool Value);
    // True while the floating footer shows the last row (fsFixedLastRow).
    bool FooterRowFlag() const { return FFooterRow; }
    void SetFooterRowFlag(bool Value) { FFooterRow = Value; }
    // Rows at or beyond this index are read without the display-text hooks.
    Integer DisplayLimit() const { return FDisplayLimit; }
    void SetDisplayLimit(Integer Value) { FDisplayLimit = Value; }
    bool DefaultWordWrap() const { return FDefaultWordWrap; }
    void SetDefaultWordWrap(bool Value) { FDefaultWordWrap = Value; }
    bool PropertiesCreated() const { return FPropsCreated; }
    void SetPropertiesCreated(bool Value) { FPropsCreated = Value; }
    Integer MergeCount() const { return FMergeCount; }
    Integer PaintCounter() const { return FPaintCounter; }

    // ---- Virtual operations introduced here ----
    virtual bool IsFixed(Integer ACol, Integer ARow);
    virtual Integer NodeIndent(Integer ARow);
    virtual bool HasNodes();
    virtual void DrawGridCell(TCanvas* Canvas, Integer ACol, Integer ARow, TRect ARect,
                              TGridDrawState AState);
    virtual void FloatFooterUpdate();
    virtual void GetDisplText(Integer ACol, Integer ARow, AnsiString& Value);
    virtual void GetDisplWideText(Integer ACol, Integer ARow, WideString& Value);
    virtual void GetDefaultProps(Integer ACol, Integer ARow, TFont* AFont, TBrush* ABrush, TColor& ColorTo,
                                 TColor& MirrorColor, TColor& MirrorColorTo, TAlignment& HAlign,
                                 TVAlignment& VAlign, bool& WordWrap, TCellGradientDirection& GradientDir);
    virtual void CellTextChange(Integer ACol, Integer ARow);
    virtual bool HasCustomCellBorder();
    virtual void GetVisualProperties(Integer ACol, Integer ARow, TGridDrawState& AState, bool Print,
                                     bool Select, bool Remap, TBrush* ABrush, TColor& ColorTo,
                                     TColor& MirrorColor, TColor& MirrorColorTo, TFont* AFont,
                                     TAlignment& HAlign, TVAlignment& VAlign, bool& WordWrap,
                                     TCellGradientDirection& GradientDir);
    virtual Integer DisplColIndex(Integer ACol);
    virtual void MergeCells(Integer ACol, Integer ARow, Integer NCols, Integer NRows);
    virtual void SplitCells(Integer ACol, Integer ARow);

    // ---- Cell property store ----
    // The slot holds a record of this grid (a foreign object in the slot counts as no record).
    bool HasCellProperties(Integer ACol, Integer ARow) const;
    // The cell's record, created on first use and seeded through GetDefaultProps.
    TCellProperties* GetCellProperties(Integer ACol, Integer ARow);
    // Frees the old record (and its owned graphic) and stores Value.
    void SetCellProperties(Integer ACol, Integer ARow, TCellProperties* Value);
    TObject* GetGridObject(Integer ACol, Integer ARow) const { return Objects(ACol, ARow); }
    void SetGridObject(Integer ACol, Integer ARow, TObject* Obj) { SetObjects(ACol, ARow, Obj); }
    AnsiString GetGridCell(Integer ACol, Integer ARow) const { return Cells(ACol, ARow); }
    void SetGridCell(Integer ACol, Integer ARow, const AnsiString& Value) { SetCells(ACol, ARow, Value); }
    TObject* GetObjectEx(Integer ACol, Integer ARow) const;
    void SetObjectEx(Integer ACol, Integer ARow, TObject* Obj);
    TObject* GetGraphicObjectEx(Integer ACol, Integer ARow) const;
    void SetGraphicObjectEx(Integer ACol, Integer ARow, TObject* Obj);
    TObject* GetCPGraphicObject(TCellProperties* CP) const { return CP ? CP->GraphicObject() : nullptr; }
    void ClearPropCell(Integer ACol, Integer ARow);
    void ClearPropRect(Integer ACol1, Integer ARow1, Integer ACol2, Integer ARow2);
    void ClearPropRow(Integer ARow);
    void ClearProps();
    void CopyRows(Integer ToRow, Integer FromRow);
    void CopyCols(Integer ToCol, Integer FromCol);
    void NilRow(Integer ARow);
    void NilCol(Integer ACol);
    void NilCell(Integer ACol, Integer ARow);
    // Returns a record to the grid: frees it (and its owned graphic) unless it was freed before.
    void FreeCellRecord(TCellProperties* CP);
    // The object as a live record of this grid, or nullptr (a foreign object, or a record that
    // was freed already). Never touches the object itself.
    TCellProperties* AsRecord(TObject* O) const
    {
        return O && FRecordStore.Holds(O) ? static_cast<TCellProperties*>(O) : nullptr;
    }
    // Records created and not yet freed.
    std::size_t LiveRecordCount() const { return FRecordStore.LiveCount(); }

    // ---- Merged cells ----
    TPoint BaseCell(Integer ACol, Integer ARow) const;
    bool IsBaseCell(Integer ACol, Integer ARow) const;
    bool IsBaseCellEx(Integer ACol, Integer ARow, Integer& BaseCol, Integer& BaseRow) const;
    bool IsMergedCell(Integer ACol, Integer ARow) const;
    bool IsMergedNonBaseCell(Integer ACol, Integer ARow) const;
    bool IsXMergedCell(Integer ACol, Integer ARow) const;
    bool IsYMergedCell(Integer ACol, Integer ARow) const;
    TPoint CellSpan(Integer ACol, Integer ARow) const;
    TPoint CellExt(Integer ACol, Integer ARow) const;
    TGridRect FullCell(Integer ACol, Integer ARow) const;
    // The cell's rectangle: the whole block for a merged cell (also out of view).
    TRect CellRect(Integer ACol, Integer ARow);
    TPoint CellSize(Integer ACol, Integer ARow);
    // The rectangle of one cell from the sums of sizes, also for cells out of view.
    TRect GetCellRect(Integer ACol, Integer ARow);
    Integer MinRowSpan(Integer ARow) const;
    Integer MaxRowSpan(Integer ARow) const;
    bool RowSpanIdentical(Integer ARow1, Integer ARow2) const;
    bool ColSpanIdentical(Integer ACol1, Integer ACol2) const;
    void SelectBaseCell();

    // ---- Text, painting and focus ----
    AnsiString GetCellEx(Integer ACol, Integer ARow);
    void SetCellEx(Integer ACol, Integer ARow, const AnsiString& Value);
    void RepaintCell(Integer ACol, Integer ARow);
    bool IsSelected(Integer ACol, Integer ARow);
    Integer FixedColsWidth() const;
    Integer FixedRowsHeight() const;
    void RepaintFixedMergedCols();
    void RepaintFixedMergedRows();

    void KeyDown(Word& Key, TShiftState Shift) override;
    void ChangeScale(Integer M, Integer D) override;

protected:
    // The record in a slot, or nullptr for an empty slot or a foreign object.
    TCellProperties* RecordAt(Integer ACol, Integer ARow) const;
    // The base cell's record of the block holding (ACol, ARow): nullptr when the cell has no
    // record or its base cell lost its record (the cell then acts as unmerged).
    TCellProperties* BaseRecordOf(Integer ACol, Integer ARow, TPoint* Base = nullptr) const;
    void InvalidateRectOf(const TRect& R, bool Erase);

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(Integer ACol, Integer ARow) override;
    void TopLeftChanged() override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    AnsiString GetEditText(Integer ACol, Integer ARow) override;
    void SetEditText(Integer ACol, Integer ARow, const AnsiString& Value) override;

    // Sum of the sizes of columns/rows 0 .. Index - 1 (the default size beyond the count).
    Int64 ColOffset(Integer Index);
    Int64 RowOffset(Integer Index);

    TObject* FSharedGraphic = nullptr; // never freed with a record (the row check graphic)

private:
    friend class TCellProperties;
    // Puts the current cell where a key's one-step move over a merged block starts.
    void StartKeyMoveAt(Integer ACol, Integer ARow);

    bool FOwnDefaultDrawing = false;
    Integer FGridLineWidth2 = 1;
    TColor FGridLineColor = 0xC0C0C0;
    TColor FGridFixedLineColor = 0x808080;
    Integer FPaintCounter = 1;
    bool FFooterRow = false;
    Integer FDisplayLimit = 0;
    TRudUvudUndoRedo* FUndoRedo = nullptr;
    bool FDefaultWordWrap = true;
    bool FActiveRowShow = false;
    TColor FActiveRowColor = static_cast<TColor>(0x80000018); // clInfoBk
    TGridSelectionStyle FSelectionStyle = ssDefault;
    bool FShowSelection = true;
    bool FPropsCreated = false;
    Integer FMergeCount = 0;
    TCellRecordStore FRecordStore{this, sizeof(TCellProperties)};
};
