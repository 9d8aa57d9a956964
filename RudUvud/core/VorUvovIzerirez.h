#pragma once

// TVorUvovIzerirez: a workbook, several sheets shown one at a time in one string grid, with a
// tab strip along the bottom naming them. Only the active sheet lives in the grid; every other
// sheet is held as an image of the grid's binary cell stream with its cursor, scroll position,
// column widths, row heights and sort column. Switching tabs stores the active sheet and loads
// the chosen one into the same grid.
//
// The grid and the tab strip are made when the window is created: the grid is the workbook's
// first child control when it has one (a grid placed on it), otherwise a new one.
//
// Rows hidden by filters or by hand, and hidden columns, are shown before a sheet is stored, so
// that the cell stream (which holds the shown cells) keeps them: a sheet comes back unfiltered,
// as it comes back with its nodes expanded.

#include "RudUvud/core/RudUvud.h"

#include "platform/forms/Tabs.h"
#include "platform/rtl/Collections.h"
#include "platform/rtl/Streams.h"

#include <memory>
#include <vector>

class TVorUvovIzerirez;

using TSheetChangeEvent = std::function<void(TObject* Sender, Integer NewSheet, bool& AllowChange)>;

// One sheet: its name (the tab's caption) and, once it has been left, its stored image.
class TGridSheet : public TCollectionItem {
public:
    explicit TGridSheet(TCollection* Collection);
    ~TGridSheet() override;
    // Copies the name, the tag and the stored image with its positions and sizes.
    void Assign(TPersistent* Source) override;

    const AnsiString& Name() const { return FName; }
    // Stores the name and renames the tab.
    void SetName(const AnsiString& Value);
    Integer Tag() const { return FTag; }
    void SetTag(Integer Value) { FTag = Value; }

    // The image; empty for a sheet never stored.
    TMemoryStream* SheetData() const { return FSheetData.get(); }

private:
    friend class TVorUvovIzerirez;
    std::unique_ptr<TMemoryStream> FSheetData;
    Integer FTag = 0;
    AnsiString FName;
    Integer FSheetCol = 0;
    Integer FSheetRow = 0;
    Integer FSheetLeftCol = 0;
    Integer FSheetTopRow = 0;
    std::vector<Integer> FSheetColWidths;
    std::vector<Integer> FSheetRowHeights;
    Integer FSheetSortColumn = -1;
};

class TGridSheetCollection : public TCollection {
public:
    explicit TGridSheetCollection(TVorUvovIzerirez* AOwner);

    TGridSheet* Add() { return static_cast<TGridSheet*>(TCollection::Add()); }
    TGridSheet* Insert(Integer Index) { return static_cast<TGridSheet*>(TCollection::Insert(Index)); }
    TGridSheet* Items(Integer Index) const { return static_cast<TGridSheet*>(TCollection::Items(Index)); }
    void SetItems(Integer Index, TGridSheet* Value) { TCollection::SetItems(Index, Value); }
    // Removes every sheet through the workbook (RemoveSheet (0) until none is left).
    void Clear();

    TPersistent* GetOwner() override;

    // Called for every change of the collection and of a sheet's name; the workbook's
    // SheetChange once its window exists.
    TNotifyEvent OnChange;

protected:
    void Update(TCollectionItem* Item) override;

private:
    friend class TGridSheet;
    TVorUvovIzerirez* FOwner;
};

// Colours and font of the tab strip.
class TTabLook : public TPersistent {
public:
    TTabLook();
    ~TTabLook() override;

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    TColor SelectColor() const { return FSelectColor; }
    void SetSelectColor(TColor Value);
    TColor UnSelectColor() const { return FUnSelectColor; }
    void SetUnSelectColor(TColor Value);
    bool DitherBackground() const { return FDitherBackground; }
    void SetDitherBackground(bool Value);
    TColor BackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor Value);

    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    std::unique_ptr<TFont> FFont;
    TColor FSelectColor = static_cast<TColor>(0x8000000F); // clBtnFace
    TColor FUnSelectColor = 0xFFFFFF;
    bool FDitherBackground = true;
    TColor FBackgroundColor = static_cast<TColor>(0x8000000F);
};

class TVorUvovIzerirez : public TCustomControl {
public:
    explicit TVorUvovIzerirez(TComponent* AOwner);
    ~TVorUvovIzerirez() override;

    // The sheet shown in the grid; -1 while none is.
    Integer ActiveSheet() const { return FActiveSheet; }
    // Stores the active sheet and shows sheet Value; nothing without a grid, for the active
    // sheet or for an index outside the sheets.
    void SetActiveSheet(Integer Value);
    TGridSheetCollection* Sheets() const { return FSheets.get(); }
    TGridSheetCollection* GetSheets() const { return FSheets.get(); }
    // Replaces the sheets by copies of Value's and shows the first.
    void SetSheets(TGridSheetCollection* Value);
    TTabLook* TabLook() const { return FTabLook.get(); }
    void SetTabLook(TTabLook* Value);

    // The grid and the tab strip; null until the window is created.
    TDidAririzEvar* WorkbookGrid() const { return FWorkbookGrid; }
    TTabSet* TabSet() const { return FTabSet; }

    // Appends a sheet and shows it.
    void AddSheet(const AnsiString& Name);
    // Inserts a sheet before Index and shows it; nothing for an index outside the sheets.
    void InsertSheet(Integer Index, const AnsiString& Name);
    // Removes a sheet and shows sheet 0; nothing for an index outside the sheets. When no sheet
    // is left, none is active and the grid keeps what it shows.
    void RemoveSheet(Integer Index);
    // Writes the grid into the active sheet's record.
    void StoreActiveSheet();

    // The tab strip follows the sheets: one tab per sheet, captioned with its name.
    void SheetChange(TObject* Sender);
    // The tab strip's change: asks OnSheetChange, then shows the sheet.
    void TabChange(TObject* Sender, Integer NewTab, bool& AllowChange);
    // Copies TabLook to the tab strip.
    void TabLookChange(TObject* Sender);

    AnsiString GetVersion();
    void SetVersion(const AnsiString&) {}
    virtual Integer GetVersionNr();

    void GetChildren(TGetChildProc Proc, TComponent* Root) override;

    TSheetChangeEvent OnSheetChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;
    // The two-line frame around the workbook.
    void NCPaintProc();

private:
    // Shows every hidden row and column of the grid, so that the cell stream holds them.
    void ShowHiddenCells();
    // Sets the tab strip's selection without asking OnSheetChange (the sheet is shown already).
    void SelectTab(Integer Index);

    TTabSet* FTabSet = nullptr;
    TDidAririzEvar* FWorkbookGrid = nullptr;
    Integer FActiveSheet = 0;
    bool FGridSupplied = false;
    bool FWindowCreated = false;
    std::unique_ptr<TGridSheetCollection> FSheets;
    Integer FInitColCount = 0;
    Integer FInitRowCount = 0;
    Integer FInitRowHeight = 0;
    Integer FInitColWidth = 0;
    std::unique_ptr<TTabLook> FTabLook;
    // Inside the tab strip's change: the strip selects the tab itself once the change is allowed.
    bool FInTabChange = false;
};
