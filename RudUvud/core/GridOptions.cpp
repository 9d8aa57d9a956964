#include "RudUvud/core/GridOptions.h"

#include "RudUvud/core/RudUvud.h"

// ---- TCellNode ------------------------------------------------------------------------------------

TCellNode::TCellNode(TDidAririzEvar* AGrid)
    : FGrid(AGrid), FExpandGlyph(std::make_unique<TBitmap>()), FContractGlyph(std::make_unique<TBitmap>())
{
}

TCellNode::~TCellNode() = default;

void TCellNode::Repaint()
{
    if (FGrid)
        FGrid->Invalidate();
}

void TCellNode::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TCellNode*>(Source);
    if (!S)
        return;
    FColor = S->FColor;
    FExpandOne = S->FExpandOne;
    FNodeType = S->FNodeType;
    FNodeColor = S->FNodeColor;
    FNodeIndent = S->FNodeIndent;
    FExpandGlyph->Assign(S->FExpandGlyph.get());
    FContractGlyph->Assign(S->FContractGlyph.get());
    FShowTree = S->FShowTree;
    FShowTreeFull = S->FShowTreeFull;
    FTreeColor = S->FTreeColor;
}

void TCellNode::SetNodeType(TNodeType V)
{
    if (FNodeType == V)
        return;
    FNodeType = V;
    Repaint();
}

void TCellNode::SetNodeIndent(Integer V)
{
    if (FNodeIndent == V)
        return;
    FNodeIndent = V;
    Repaint();
}

void TCellNode::SetShowTree(bool V)
{
    if (FShowTree == V)
        return;
    FShowTree = V;
    Repaint();
}

void TCellNode::SetShowTreeFull(bool V)
{
    if (FShowTreeFull == V)
        return;
    FShowTreeFull = V;
    Repaint();
}

void TCellNode::SetTreeColor(TColor V)
{
    if (FTreeColor == V)
        return;
    FTreeColor = V;
    Repaint();
}

void TCellNode::SetExpandGlyph(TBitmap* V)
{
    FExpandGlyph->Assign(V);
}
void TCellNode::SetContractGlyph(TBitmap* V)
{
    FContractGlyph->Assign(V);
}

// ---- TMouseActions ----------------------------------------------------------------------------------

void TMouseActions::Changed()
{
    if (OnChange)
        OnChange(this);
}

bool TMouseActions::Designing() const
{
    return FGrid && FGrid->ComponentState().Contains(csDesigning);
}

void TMouseActions::SetDisjunctRowSelect(bool V)
{
    FDisjunctRowSelect = V;
    // At design time the three disjunct modes exclude each other; at run time they combine.
    if (V && Designing()) {
        FDisjunctColSelect = false;
        FDisjunctCellSelect = false;
    }
}

void TMouseActions::SetDisjunctColSelect(bool V)
{
    FDisjunctColSelect = V;
    if (V && Designing()) {
        FDisjunctRowSelect = false;
        FDisjunctCellSelect = false;
    }
}

void TMouseActions::SetDisjunctCellSelect(bool V)
{
    FDisjunctCellSelect = V;
    if (V && Designing()) {
        FDisjunctRowSelect = false;
        FDisjunctColSelect = false;
    }
}

void TMouseActions::SetEditOnDblClickOnly(bool V)
{
    FEditOnDblClickOnly = V;
    if (V && FGrid)
        FGrid->SetOptions(FGrid->Options() - TGridOptions{goEditing});
}

void TMouseActions::SetHotmailRowSelect(bool V)
{
    FHotmailRowSelect = V;
    if (FGrid)
        FGrid->Invalidate();
}

void TMouseActions::SetWheelAction(TWheelAction V)
{
    if (FWheelAction == V)
        return;
    FWheelAction = V;
    Changed();
}

// ---- TColumnSize ------------------------------------------------------------------------------------

void TColumnSize::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TColumnSize*>(Source);
    if (!S)
        return;
    Rows = S->Rows;
    Save = S->Save;
    Key = S->Key;
    Section = S->Section;
    FStretch = S->FStretch;
    StretchColumn = S->StretchColumn;
    SynchWithGrid = S->SynchWithGrid;
    SynchNormalCellsOnly = S->SynchNormalCellsOnly;
    Location = S->Location;
}

void TColumnSize::SetStretch(bool V)
{
    FStretch = V;
    if (FGrid && FGrid->Parent())
        FGrid->StretchColumn(StretchColumn);
}

// ---- TNavigation -------------------------------------------------------------------------------------

void TNavigation::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TNavigation::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TNavigation*>(Source);
    if (!S)
        return;
    const bool KeepScroll = KeepScrollOnSort;
    const TNotifyEvent Saved = OnChange;
    // Every published value but KeepScrollOnSort, field by field and without notification.
    AllowInsertRow = S->AllowInsertRow;
    AllowDeleteRow = S->AllowDeleteRow;
    AlwaysEdit = S->AlwaysEdit;
    AdvanceOnEnter = S->AdvanceOnEnter;
    AdvanceAutoEdit = S->AdvanceAutoEdit;
    AutoGotoWhenSorted = S->AutoGotoWhenSorted;
    AutoGotoIncremental = S->AutoGotoIncremental;
    AutoComboDropSize = S->AutoComboDropSize;
    AllowClipboardShortCuts = S->AllowClipboardShortCuts;
    AllowCtrlEnter = S->AllowCtrlEnter;
    AllowSmartClipboard = S->AllowSmartClipboard;
    AllowRTFClipboard = S->AllowRTFClipboard;
    AllowFmtClipboard = S->AllowFmtClipboard;
    AllowClipboardAlways = S->AllowClipboardAlways;
    AllowClipboardRowGrow = S->AllowClipboardRowGrow;
    AllowClipboardColGrow = S->AllowClipboardColGrow;
    AdvanceAuto = S->AdvanceAuto;
    AppendOnArrowDown = S->AppendOnArrowDown;
    EditSelectAll = S->EditSelectAll;
    InsertPosition = S->InsertPosition;
    ClipboardPasteAction = S->ClipboardPasteAction;
    CursorWalkEditor = S->CursorWalkEditor;
    CursorWalkAlwaysEdit = S->CursorWalkAlwaysEdit;
    MoveRowOnSort = S->MoveRowOnSort;
    MoveScrollOnly = S->MoveScrollOnly;
    ImproveMaskSel = S->ImproveMaskSel;
    LeftRightRowSelect = S->LeftRightRowSelect;
    CopyHTMLTagsToClipboard = S->CopyHTMLTagsToClipboard;
    KeepHorizScroll = S->KeepHorizScroll;
    LineFeedOnEnter = S->LineFeedOnEnter;
    HomeEndKey = S->HomeEndKey;
    SkipFixedCells = S->SkipFixedCells;
    TabToNextAtEnd = S->TabToNextAtEnd;
    TabAdvanceDirection = S->TabAdvanceDirection;
    FAdvanceDirection = S->FAdvanceDirection;
    FAdvanceInsert = S->FAdvanceInsert;
    KeepScrollOnSort = KeepScroll;
    OnChange = Saved;
}

void TNavigation::SetAdvanceDirection(TAdvanceDirection V)
{
    if (FAdvanceDirection == V)
        return;
    FAdvanceDirection = V;
    Changed();
}

void TNavigation::SetAdvanceInsert(bool V)
{
    if (FAdvanceInsert == V)
        return;
    FAdvanceInsert = V;
    Changed();
}

// ---- THTMLSettings -----------------------------------------------------------------------------------

void THTMLSettings::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<THTMLSettings*>(Source);
    if (!S)
        return;
    BorderSize = S->BorderSize;
    CellSpacing = S->CellSpacing;
    CellPadding = S->CellPadding;
    SaveColor = S->SaveColor;
    SaveFonts = S->SaveFonts;
    FooterFile = S->FooterFile;
    HeaderFile = S->HeaderFile;
    TableStyle = S->TableStyle;
    PrefixTag = S->PrefixTag;
    SuffixTag = S->SuffixTag;
    Summary = S->Summary;
    Width = S->Width;
    XHTML = S->XHTML;
    ConvertSpecialChars = S->ConvertSpecialChars;
    AutoPreview = S->AutoPreview;
    NonBreakingText = S->NonBreakingText;
}

// ---- TPrintSettings ----------------------------------------------------------------------------------

TPrintSettings::TPrintSettings(TDidAririzEvar* AGrid)
    : FGrid(AGrid), FTitleLines(std::make_unique<TStringList>()), FFont(std::make_unique<TFont>()),
      FFixedFont(std::make_unique<TFont>()), FHeaderFont(std::make_unique<TFont>()),
      FFooterFont(std::make_unique<TFont>())
{
}

TPrintSettings::~TPrintSettings() = default;

void TPrintSettings::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TPrintSettings*>(Source);
    if (!S)
        throw EInvalidCast("Invalid class typecast");
    FooterSize = S->FooterSize;
    HeaderSize = S->HeaderSize;
    Time = S->Time;
    Date = S->Date;
    DateFormat = S->DateFormat;
    PageNr = S->PageNr;
    Title = S->Title;
    TitleText = S->TitleText;
    FTitleLines->Assign(S->FTitleLines.get());
    FFont->Assign(S->FFont.get());
    FFixedFont->Assign(S->FFixedFont.get());
    FHeaderFont->Assign(S->FHeaderFont.get());
    FFooterFont->Assign(S->FFooterFont.get());
    Borders = S->Borders;
    BorderStyle = S->BorderStyle;
    Centered = S->Centered;
    RepeatFixedRows = S->RepeatFixedRows;
    RepeatFixedCols = S->RepeatFixedCols;
    LeftSize = S->LeftSize;
    RightSize = S->RightSize;
    ColumnSpacing = S->ColumnSpacing;
    RowSpacing = S->RowSpacing;
    TitleSpacing = S->TitleSpacing;
    Orientation = S->Orientation;
    PagePrefix = S->PagePrefix;
    PageSuffix = S->PageSuffix;
    PageNumberOffset = S->PageNumberOffset;
    MaxPagesOffset = S->MaxPagesOffset;
    FixedWidth = S->FixedWidth;
    FixedHeight = S->FixedHeight;
    UseFixedHeight = S->UseFixedHeight;
    UseFixedWidth = S->UseFixedWidth;
    FitToPage = S->FitToPage;
    JobName = S->JobName;
    PageNumSep = S->PageNumSep;
    NoAutoSize = S->NoAutoSize;
    NoAutoSizeRow = S->NoAutoSizeRow;
    PrintGraphics = S->PrintGraphics;
    UseDisplayFont = S->UseDisplayFont;
    UseDefaultOrientation = S->UseDefaultOrientation;
    BorderColor = S->BorderColor;
}
