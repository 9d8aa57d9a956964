#pragma once

// The multi-column lookup dropdown: an edit whose popup shows a table of rows (TVadColGrid) and
// that puts the lookup column's value of the chosen row into its edit part. While the person
// types, the edit completes the text from the lookup column's values.
//
// The edit keeps the keyboard while the popup shows: Up, Down, Page Up, Page Down, Home, End and
// Enter move and choose the popup's rows; the popup rolls with the wheel without choosing.

#include "dropdowns/DadOrorUdur.h"
#include "dropdowns/VadColGrid.h"

#include <memory>

class TDavEdevaRuvuviZaroDizu : public TDizEveverAvivIzar {
public:
    explicit TDavEdevaRuvuviZaroDizu(TComponent* AOwner);
    ~TDavEdevaRuvuviZaroDizu() override;
    void AfterConstruction() override;

    TVadColGrid* Grid() const { return FGrid; }
    bool ColumnSizing() const { return FColumnSizing; }
    void SetColumnSizing(bool Value) { FColumnSizing = Value; }
    Integer LookupColumn() const { return FLookupColumn; }
    void SetLookupColumn(Integer Value);
    TColor HeaderColor() const { return FHeaderColor; }
    void SetHeaderColor(TColor Value) { FHeaderColor = Value; }
    TColor HeaderColorTo() const { return FHeaderColorTo; }
    void SetHeaderColorTo(TColor Value) { FHeaderColorTo = Value; }
    TColor LineColor() const { return FLineColor; }
    void SetLineColor(TColor Value) { FLineColor = Value; }
    TColor FixedLineColor() const { return FFixedLineColor; }
    void SetFixedLineColor(TColor Value) { FFixedLineColor = Value; }
    TDropDownItems* Items() const { return FItems.get(); }
    void SetItems(TDropDownItems* Value) { FItems->Assign(Value); }
    TDropDownColumns* Columns() const { return FColumns.get(); }
    void SetColumns(TDropDownColumns* Value) { FColumns->Assign(Value); }
    Integer ItemIndex() const { return FItemIndex; }
    void SetItemIndex(Integer Index);
    Integer HeaderHeight() const { return FHeaderHeight; }
    void SetHeaderHeight(Integer Value) { FHeaderHeight = Value; }
    TFont* HeaderFont() const { return FHeaderFont.get(); }
    void SetHeaderFont(TFont* Value) { FHeaderFont->Assign(Value); }
    bool DropDownAutoWidth() const { return FDropDownAutoWidth; }
    void SetDropDownAutoWidth(bool Value) { FDropDownAutoWidth = Value; }
    bool ColumnSizeWithDropDown() const { return FColumnSizeWithDropDown; }
    void SetColumnSizeWithDropDown(bool Value) { FColumnSizeWithDropDown = Value; }
    TColor SelectionTextColor() const { return FSelectionTextColor; }
    void SetSelectionTextColor(TColor Value) { FSelectionTextColor = Value; }
    Integer DropDownRowHeight() const { return FDropDownRowHeight; }
    void SetDropDownRowHeight(Integer Value) { FDropDownRowHeight = Value; }

    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    void SelectNextPage();
    void SelectPrevPage();
    void BeginUpdate() {}
    void EndUpdate() { UpdateLookupList(); }
    // Takes the lookup column's value of every row (empties the list without rows).
    void UpdateLookupList();
    Integer GetRowCount() const { return FItems->Count(); }
    AnsiString GetTextEx() { return Text(); }
    void SetTextEx(const AnsiString& Value) { SetText(Value); }
    // Column widths in proportion to the popup's width, the rounding carried from column to column.
    void SyncColWidths();

    void Loaded() override;
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void DoShowDropDown() override;
    void SetCenterControl() override;
    void UpdateDropDownSize() override;
    void DoHideDropDown(bool Cancelled) override;
    void OnDropDownControlKeyDown(Word& Key, TShiftState Shift) override;
    void OnDropDownControlKeyUp(Word& Key, TShiftState Shift) override;
    void OnDropDownSizing() override;
    void HandleMouseWheelDown() override;
    void HandleMouseWheelUp() override;
    void SetSelectionColorStyle(TSelectionColorStyle Value) override;
    void SetComponentStyle(ZEDAVozor AStyle) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnSelect;
    DavEdevaRuvuviZaroDizu::TDrawCellEvent OnDropDownDrawItem;
    // Declared for designers; never fired.
    DavEdevaRuvuviZaroDizu::TGetCellPropEvent OnDropDownGetItemProp;
    DavEdevaRuvuviZaroDizu::TGetCellTextEvent OnDropDownGetItemText;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void Change() override;

    void OnColGridSelectCell(TObject* Sender, Integer Column, Integer Row, bool& CanSelect);
    void OnColGridSelect(TObject* Sender);
    void OnColGridKeyDown(TObject* Sender, Word& Key, TShiftState Shift);

private:
    // The lookup list is rebuilt before its next use after any change of the rows or of the
    // lookup column, so that it never names a row that is gone.
    void EnsureLookupList();
    // The first row whose lookup value equals S without regard to case, or -1.
    Integer LookupRow(const AnsiString& S);
    void SetValueText(const AnsiString& S);

    bool FColumnSizing = false;
    Integer FLookupColumn = 0;
    TColor FHeaderColorTo = 0x808080;
    TColor FHeaderColor = 0xFFFFFF;
    TColor FLineColor = 0x808080;
    std::unique_ptr<TDropDownItems> FItems;
    std::unique_ptr<TDropDownColumns> FColumns;
    Integer FItemIndex = -1;
    Integer FHeaderHeight = 25;
    std::unique_ptr<TFont> FHeaderFont;
    TVadColGrid* FGrid = nullptr;
    TColor FFixedLineColor = 0;
    bool FAutoComplete = true;
    std::unique_ptr<TStringList> FLookupList;
    bool FLookupListStale = true;
    bool FCompletionPending = false;
    Integer FCompletedIndex = 0;
    Integer FTypedLength = 0;
    Integer FSavedItemIndex = -1;
    bool FDropDownAutoWidth = true;
    bool FColumnSizeWithDropDown = true;
    TColor FSelectionTextColor = 0;
    Integer FDropDownRowHeight = 22;
    bool FCompleting = false;
    // Set while a key the edit received is handed to the popup grid, whose own key event would
    // send it back.
    bool FKeyToGrid = false;
};
