#pragma once

// The seven option objects of the string grid. Each holds settings only; the behaviour each
// switches lives with the grid. The grid creates one of each, publishes it under the same name
// and frees it. Those with an owner link repaint or notify the grid as their setters list.

#include "RudUvud/core/GridTypes.h"

#include "platform/rtl/StringLists.h"

#include <memory>
#include <vector>

class TDidAririzEvar;

class TCellNode : public TPersistent {
public:
    explicit TCellNode(TDidAririzEvar* AGrid);
    ~TCellNode() override;
    // Only from a TCellNode (else nothing); copies into the fields, no repaint.
    void Assign(TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor V) { FColor = V; }
    bool ExpandOne() const { return FExpandOne; }
    void SetExpandOne(bool V) { FExpandOne = V; }
    TNodeType NodeType() const { return FNodeType; }
    void SetNodeType(TNodeType V);
    TColor NodeColor() const { return FNodeColor; }
    void SetNodeColor(TColor V) { FNodeColor = V; }
    Integer NodeIndent() const { return FNodeIndent; }
    void SetNodeIndent(Integer V);
    TBitmap* ExpandGlyph() const { return FExpandGlyph.get(); }
    void SetExpandGlyph(TBitmap* V);
    TBitmap* ContractGlyph() const { return FContractGlyph.get(); }
    void SetContractGlyph(TBitmap* V);
    bool ShowTree() const { return FShowTree; }
    void SetShowTree(bool V);
    bool ShowTreeFull() const { return FShowTreeFull; }
    void SetShowTreeFull(bool V);
    TColor TreeColor() const { return FTreeColor; }
    void SetTreeColor(TColor V);

private:
    void Repaint();
    TDidAririzEvar* FGrid;
    TColor FColor = 0xC0C0C0;
    bool FExpandOne = false;
    TNodeType FNodeType = cnXP;
    TColor FNodeColor = 0;
    Integer FNodeIndent = 12;
    std::unique_ptr<TBitmap> FExpandGlyph;
    std::unique_ptr<TBitmap> FContractGlyph;
    bool FShowTree = true;
    bool FShowTreeFull = true;
    TColor FTreeColor = 0x808080;
};

// No Assign of its own: the platform's default applies.
class TSizeWhileTyping : public TPersistent {
public:
    bool Height = false;
    bool Width = false;
};

class TMouseActions : public TPersistent {
public:
    explicit TMouseActions(TDidAririzEvar* AGrid) : FGrid(AGrid) {}

    // Calls the change notification when it is bound.
    void Changed();
    TNotifyEvent OnChange;

    bool AllColumnSize = false;
    bool AllRowSize = false;
    bool AllSelect = false;
    bool AutoSizeColOnDblClick = true;
    bool CaretPositioning = false;
    bool CheckAllCheck = false;
    bool ColSelect = false;
    bool DirectComboClose = false;
    bool DirectComboDrop = false;
    bool DirectDateClose = false;
    bool DirectDateDrop = false;
    bool DirectEdit = false;
    bool DisjunctRowSelectNoCtrl = false;
    TGridFixedCellEdit FixedRowsEdit = fceNone;
    TGridFixedCellEdit FixedColsEdit = fceNone;
    bool MoveRowOnNodeClick = false;
    bool NoAutoRangeScroll = false;
    bool NodeAllExpandContract = false;
    bool NoScrollOnPartialRow = false;
    bool PreciseCheckBoxCheck = false;
    bool PreciseNodeClick = true;
    bool RangeSelectAndEdit = false;
    bool RowSelect = false;
    bool RowSelectPersistent = false;
    bool SelectOnRightClick = false;
    bool SizeFixedCol = false;
    bool SizeFixedRow = false;
    Integer WheelIncrement = 0;

    bool DisjunctRowSelect() const { return FDisjunctRowSelect; }
    void SetDisjunctRowSelect(bool V);
    bool DisjunctColSelect() const { return FDisjunctColSelect; }
    void SetDisjunctColSelect(bool V);
    bool DisjunctCellSelect() const { return FDisjunctCellSelect; }
    void SetDisjunctCellSelect(bool V);
    bool EditOnDblClickOnly() const { return FEditOnDblClickOnly; }
    void SetEditOnDblClickOnly(bool V);
    bool HotmailRowSelect() const { return FHotmailRowSelect; }
    void SetHotmailRowSelect(bool V);
    TWheelAction WheelAction() const { return FWheelAction; }
    void SetWheelAction(TWheelAction V);

private:
    bool Designing() const;
    TDidAririzEvar* FGrid;
    bool FDisjunctRowSelect = false;
    bool FDisjunctColSelect = false;
    bool FDisjunctCellSelect = false;
    bool FEditOnDblClickOnly = false;
    bool FHotmailRowSelect = false;
    TWheelAction FWheelAction = waMoveSelection;
};

class TColumnSize : public TPersistent {
public:
    explicit TColumnSize(TDidAririzEvar* AGrid) : FGrid(AGrid) {}
    // Only from a TColumnSize; Stretch is copied as a field (no stretching).
    void Assign(TPersistent* Source) override;

    TAutoSizeRows Rows = arAll;
    bool Save = false;
    AnsiString Key;
    AnsiString Section;
    Integer StretchColumn = -1;
    bool SynchWithGrid = false;
    bool SynchNormalCellsOnly = false;
    TColumnSizeLocation Location = clRegistry;

    bool Stretch() const { return FStretch; }
    // Stores and, when the grid has a parent, stretches StretchColumn at once (also for false).
    void SetStretch(bool V);

private:
    TDidAririzEvar* FGrid;
    bool FStretch = false;
};

class TNavigation : public TPersistent {
public:
    TNavigation() = default;
    // Only from a TNavigation: every property but KeepScrollOnSort, without notification.
    void Assign(TPersistent* Source) override;
    void Changed();
    TNotifyEvent OnChange;

    bool AllowInsertRow = false;
    bool AllowDeleteRow = false;
    bool AlwaysEdit = false;
    bool AdvanceOnEnter = false;
    bool AdvanceAutoEdit = true;
    bool AutoGotoWhenSorted = false;
    bool AutoGotoIncremental = false;
    bool AutoComboDropSize = false;
    bool AllowClipboardShortCuts = false;
    bool AllowCtrlEnter = true;
    bool AllowSmartClipboard = false;
    bool AllowRTFClipboard = false;
    bool AllowFmtClipboard = false;
    bool AllowClipboardAlways = false;
    bool AllowClipboardRowGrow = true;
    bool AllowClipboardColGrow = true;
    bool AdvanceAuto = false;
    bool AppendOnArrowDown = false;
    bool EditSelectAll = true;
    TInsertPosition InsertPosition = pInsertBefore;
    TClipboardPasteAction ClipboardPasteAction = paReplace;
    bool CursorWalkEditor = false;
    bool CursorWalkAlwaysEdit = true;
    bool MoveRowOnSort = false;
    bool KeepScrollOnSort = false;
    bool MoveScrollOnly = false;
    bool ImproveMaskSel = false;
    bool LeftRightRowSelect = true;
    bool CopyHTMLTagsToClipboard = true;
    bool KeepHorizScroll = false;
    bool LineFeedOnEnter = false;
    THomeEndAction HomeEndKey = heFirstLastColumn;
    bool SkipFixedCells = true;
    bool TabToNextAtEnd = false;
    TAdvanceDirection TabAdvanceDirection = adLeftRight;

    TAdvanceDirection AdvanceDirection() const { return FAdvanceDirection; }
    void SetAdvanceDirection(TAdvanceDirection V);
    bool AdvanceInsert() const { return FAdvanceInsert; }
    void SetAdvanceInsert(bool V);

private:
    TAdvanceDirection FAdvanceDirection = adLeftRight;
    bool FAdvanceInsert = false;
};

class THTMLSettings : public TPersistent {
public:
    THTMLSettings() = default;
    // Only from a THTMLSettings; not ExportImages and not the column width list.
    void Assign(TPersistent* Source) override;

    bool AutoPreview = false;
    Integer BorderSize = 1;
    Integer CellSpacing = 0;
    Integer CellPadding = 0;
    bool ConvertSpecialChars = false;
    bool ExportImages = true;
    AnsiString FooterFile;
    AnsiString HeaderFile;
    bool NonBreakingText = false;
    AnsiString PrefixTag;
    bool SaveColor = true;
    bool SaveFonts = true;
    AnsiString SuffixTag;
    AnsiString Summary;
    AnsiString TableStyle;
    Integer Width = 100;
    bool XHTML = false;
    // Column widths of the exported table (owned, empty at first).
    std::vector<Integer> HTMLColWidths;
};

class TPrintSettings : public TPersistent {
public:
    explicit TPrintSettings(TDidAririzEvar* AGrid);
    ~TPrintSettings() override;
    // Copies every published property; a source of another class raises before anything changes.
    void Assign(TPersistent* Source) override;

    Integer FooterSize = 0;
    Integer HeaderSize = 0;
    TPrintPosition Time = ppNone;
    TPrintPosition Date = ppNone;
    TPrintPosition PageNr = ppNone;
    TPrintPosition Title = ppNone;
    AnsiString DateFormat = "dd/mm/yyyy";
    AnsiString TitleText;
    TPrintBorders Borders = pbSingle;
    TPenStyle BorderStyle = psSolid;
    TColor BorderColor = 0;
    bool Centered = true;
    bool RepeatFixedRows = false;
    bool RepeatFixedCols = false;
    Integer LeftSize = 0;
    Integer RightSize = 0;
    Integer ColumnSpacing = 0;
    Integer RowSpacing = 0;
    Integer TitleSpacing = 0;
    RudUvudPrint::TPrinterOrientation Orientation = RudUvudPrint::poPortrait;
    AnsiString PagePrefix;
    AnsiString PageSuffix;
    Integer PageNumberOffset = 0;
    Integer MaxPagesOffset = 0;
    Integer FixedWidth = 0;
    Integer FixedHeight = 0;
    bool UseFixedHeight = false;
    bool UseFixedWidth = false;
    TFitToPage FitToPage = fpNever;
    AnsiString JobName;
    AnsiString PageNumSep = "/";
    bool NoAutoSize = false;
    bool NoAutoSizeRow = false;
    bool PrintGraphics = false;
    bool UseDisplayFont = true;
    bool UseDefaultOrientation = false;
    // Not published: whether a printed selection keeps the fixed cells.
    bool KeepFixedInSelection = false;

    TStringList* TitleLines() const { return FTitleLines.get(); }
    void SetTitleLines(TStrings* V) { FTitleLines->Assign(V); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* V) { FFont->Assign(V); }
    TFont* FixedFont() const { return FFixedFont.get(); }
    void SetFixedFont(TFont* V) { FFixedFont->Assign(V); }
    TFont* HeaderFont() const { return FHeaderFont.get(); }
    void SetHeaderFont(TFont* V) { FHeaderFont->Assign(V); }
    TFont* FooterFont() const { return FFooterFont.get(); }
    void SetFooterFont(TFont* V) { FFooterFont->Assign(V); }

private:
    [[maybe_unused]] TDidAririzEvar* FGrid;
    std::unique_ptr<TStringList> FTitleLines;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TFont> FFixedFont;
    std::unique_ptr<TFont> FHeaderFont;
    std::unique_ptr<TFont> FFooterFont;
};
