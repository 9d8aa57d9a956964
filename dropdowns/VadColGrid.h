#pragma once

// The multi-column popup grid of the lookup dropdown (TDavEdevaRuvuviZaroDizu) and the two
// collections both keep: the column settings and the rows. The grid draws every cell itself
// (header gradient, per-column colours, fonts, alignment, word wrap, ellipsis, row images,
// selection background and grid lines), sizes columns to their content, grows rows for wrapped
// text and reports a chosen row to its dropdown. It takes its rows, columns and colours from the
// dropdown each time the popup opens (Initialize).
//
// The grid never takes the keyboard focus: the dropdown's edit keeps it while the popup shows and
// hands the grid the keys that move its rows (TDavEdevaRuvuviZaroDizu).

#include "platform/forms/Graphics.h"
#include "platform/forms/Grids.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Collections.h"
#include "platform/rtl/StringLists.h"

#include <functional>
#include <memory>

class TDavEdevaRuvuviZaroDizu;

enum TColumnType { ctText, ctImage };

// In the unit's namespace: the platform's draw grid has a cell-drawing event of the same name
// with another signature. Column and Row are popup grid coordinates (row 0 the header, row r
// item r - 1).
namespace DavEdevaRuvuviZaroDizu {
using TDrawCellEvent =
    std::function<void(TObject* Sender, Integer Column, Integer Row, TCanvas* ACanvas, TRect ARect)>;
using TGetCellTextEvent = std::function<void(TObject* Sender, Integer Column, Integer Row, AnsiString& Text)>;
using TGetCellPropEvent = std::function<void(TObject* Sender, Integer Column, Integer Row, TFont* Font,
                                             TColor& AColor, TColor& AColorTo)>;
} // namespace DavEdevaRuvuviZaroDizu

// The settings of one popup column.
class TDropDownColumn : public TCollectionItem {
public:
    explicit TDropDownColumn(TCollection* Collection);
    ~TDropDownColumn() override;
    // From another column: all nine settings (the font copied).
    void Assign(TPersistent* Source) override;

    bool Wordwrap() const { return FWordwrap; }
    void SetWordwrap(bool Value) { FWordwrap = Value; }
    Integer Width() const { return FWidth; }
    void SetWidth(Integer Value) { FWidth = Value; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value) { FAutoSize = Value; }
    const AnsiString& Header() const { return FHeader; }
    void SetHeader(const AnsiString& Value) { FHeader = Value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value) { FAlignment = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TColumnType ColumnType() const { return FColumnType; }
    void SetColumnType(TColumnType Value) { FColumnType = Value; }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    bool Ellipsis() const { return FEllipsis; }
    void SetEllipsis(bool Value) { FEllipsis = Value; }

private:
    bool FWordwrap = false;
    Integer FWidth = 80;
    bool FAutoSize = false;
    AnsiString FHeader;
    TAlignment FAlignment = taLeftJustify;
    TColor FColor = 0xFFFFFF;
    TColumnType FColumnType = ctText;
    std::unique_ptr<TFont> FFont;
    bool FEllipsis = false;
};

class TDropDownColumns : public TCollection {
public:
    explicit TDropDownColumns(TPersistent* AOwner);
    TDropDownColumn* Add() { return static_cast<TDropDownColumn*>(TCollection::Add()); }
    TDropDownColumn* Insert(Integer Index)
    {
        return static_cast<TDropDownColumn*>(TCollection::Insert(Index));
    }
    TDropDownColumn* Items(Integer Index) const
    {
        return static_cast<TDropDownColumn*>(TCollection::Items(Index));
    }
    TPersistent* GetOwner() override { return FOwner; }

private:
    TPersistent* FOwner;
};

// One row: its image and one text per column (a row may hold fewer texts than there are
// columns; the missing cells are empty).
class TDropDownItem : public TCollectionItem {
public:
    explicit TDropDownItem(TCollection* Collection);
    ~TDropDownItem() override;
    // From another row: the image index and the texts.
    void Assign(TPersistent* Source) override;

    Integer ImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);
    TStringList* Text() const { return FText.get(); }
    void SetText(TStringList* Value) { FText->Assign(Value); }
    // The text of a column, empty where the row has none.
    AnsiString TextOf(Integer Column) const;

private:
    Integer FImageIndex = -1;
    std::unique_ptr<TStringList> FText;
};

// The rows; OnChange fires after any change of a row, its texts included.
class TDropDownItems : public TCollection {
public:
    explicit TDropDownItems(TPersistent* AOwner);
    TDropDownItem* Add() { return static_cast<TDropDownItem*>(TCollection::Add()); }
    TDropDownItem* Insert(Integer Index) { return static_cast<TDropDownItem*>(TCollection::Insert(Index)); }
    TDropDownItem* Items(Integer Index) const
    {
        return static_cast<TDropDownItem*>(TCollection::Items(Index));
    }
    TPersistent* GetOwner() override { return FOwner; }

    TNotifyEvent OnChange;

protected:
    friend class TDropDownItem;
    void Update(TCollectionItem* Item) override;

private:
    TPersistent* FOwner;
};

class TVadColGrid : public TStringGrid {
public:
    explicit TVadColGrid(TComponent* AOwner);
    ~TVadColGrid() override;

    TDavEdevaRuvuviZaroDizu* DadOrorUdur() const { return FDadOrorUdur; }
    void SetDadOrorUdur(TDavEdevaRuvuviZaroDizu* Value) { FDadOrorUdur = Value; }
    TDropDownColumns* Columns() const { return FColumns.get(); }
    void SetColumns(TDropDownColumns* Value) { FColumns->Assign(Value); }
    TColor HeaderColor() const { return FHeaderColor; }
    void SetHeaderColor(TColor Value) { FHeaderColor = Value; }
    TColor HeaderColorTo() const { return FHeaderColorTo; }
    void SetHeaderColorTo(TColor Value) { FHeaderColorTo = Value; }
    TColor LineColor() const { return FLineColor; }
    void SetLineColor(TColor Value) { FLineColor = Value; }
    TColor FixedLineColor() const { return FFixedLineColor; }
    void SetFixedLineColor(TColor Value) { FFixedLineColor = Value; }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    Integer HeaderHeight() const { return FHeaderHeight; }
    void SetHeaderHeight(Integer Value) { FHeaderHeight = Value; }
    TFont* HeaderFont() const { return FHeaderFont.get(); }
    void SetHeaderFont(TFont* Value) { FHeaderFont->Assign(Value); }
    // The width of the lines the grid draws itself; the platform grid's own lines stay at 0, so
    // that cells touch and the lines are drawn inside them.
    Integer GridLineWidth() const { return FColLineWidth; }
    void SetGridLineWidth(Integer Value);
    bool SelectionConfirmed() const { return FSelectionConfirmed; }
    bool WheelMoving() const { return FWheelMoving; }

    // Takes rows, columns, colours, fonts, images and row heights from DropDown, then sizes the
    // columns and the wrapped rows. Nothing without a dropdown.
    void Initialize(TDavEdevaRuvuviZaroDizu* DropDown);
    // Sizes an AutoSize column to its widest cell (the header is not measured); only while the
    // grid is in its dropdown's popup.
    void AutoSizeColumn(Integer Index);
    void AutoSizeColumns();
    // Rows at least 24 high, tall enough for every wrapped cell, once any column wraps.
    void DoWordWrap();
    // The width that shows every column (with a scroll bar's width when not all rows show).
    Integer GetDesiredWidth();
    // The cell's place with the column's width and the row's height.
    TRect CellRect(Integer Column, Integer Row);
    virtual void SelectionChanged();

    // The platform's key, mouse and wheel handling with the popup's rules on top; public so
    // that the dropdown can hand the grid the keys it receives.
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    // Never focused: the dropdown's edit keeps the keyboard while the popup shows.
    bool CanFocus() override { return false; }
    void WndProc(TMessage& Message) override;

    // Declared for designers; the grid draws and fills its cells through the dropdown's events.
    DavEdevaRuvuviZaroDizu::TGetCellTextEvent OnGetCellText;
    DavEdevaRuvuviZaroDizu::TDrawCellEvent OnDrawCell;
    DavEdevaRuvuviZaroDizu::TGetCellPropEvent OnGetCellProp;
    TNotifyEvent OnSelect;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(Integer ACol, Integer ARow) override { return TStringGrid::SelectCell(ACol, ARow); }

private:
    // The image of a data cell (-1 none) and the width it takes beside the text.
    Integer CellImage(Integer Column, Integer Row) const;
    bool InPopup() const;

    TDavEdevaRuvuviZaroDizu* FDadOrorUdur = nullptr;
    std::unique_ptr<TDropDownColumns> FColumns;
    TColor FHeaderColor = 0xFFFFFF;
    TColor FHeaderColorTo = 0x808080;
    TColor FLineColor = 0x808080;
    TCustomImageList* FImages = nullptr;
    Integer FHeaderHeight = 25;
    std::unique_ptr<TFont> FHeaderFont;
    TColor FFixedLineColor = 0;
    Integer FColLineWidth = 1;
    bool FWheelMoving = false;
    bool FSelectionConfirmed = false;
};
